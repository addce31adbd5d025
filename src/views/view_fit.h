// What part of the model the panes show: the fit of the model (or of the selected corners)
// to the three orthographic panes and the 3D pane, the start view, and the test after an
// open whether the model is in view at all. Pure functions of the table, the pane sizes and
// the view; the commands that apply them live in views/view_commands.h.
#pragma once

#include "model/face_table.h"
#include "ports/pane_host.h"
#include "render/pane_geometry.h"
#include "rm/matrix.h"
#include "rm/types.h"

namespace views {

// The box around a set of corners. Corners with a coordinate that is not finite are left
// out, so one broken vertex cannot throw the view to infinity.
struct ModelBounds {
    int points = 0;  // corners taken
    rm::Vector min;
    rm::Vector max;

    bool empty() const { return points == 0; }
    // The box centre, formed so that it cannot overflow for boxes near the float range.
    rm::Vector Centre() const;
    // Edge lengths; infinite when the box is wider than the float range.
    rm::Vector Extent() const;
};

// The corners of every face (selectedOnly false), or only the selected ones.
ModelBounds CornerBounds(const model::FaceTable& table, bool selectedOnly);

// The client sizes of the panes a fit works for: the top, front and side panes, and the
// 3D pane.
struct PaneSizes {
    ports::Size top;
    ports::Size front;
    ports::Size side;
    ports::Size view3d;
};

// The view after a fit: the orthographic zoom and centre, and the 3D model frame's scale
// (its rotation is kept) with the point it turns about.
struct ViewFit {
    float viewScale = 0.0f;
    rm::Vector centre;
    float frameScale = 1.0f;
};

// Share of the most constrained orthographic pane that a fitted model fills.
inline constexpr float kFitShare = 0.9f;

// The fit of `bounds`: the zoom (within its bounds) that makes the box fill kFitShare of the
// most constrained orthographic pane on that pane's own axes, so that it lies inside the
// other two; the view centre at the box centre; and the 3D scale that makes the box's
// bounding sphere fill kFitShare of the 3D view's smaller side (`field` is the viewport's
// field). A box of zero extent (one point) keeps the current zooms and is only centred;
// an empty box gives nothing to do (the current view comes back unchanged).
ViewFit FitView(const ModelBounds& bounds, const PaneSizes& panes, float currentViewScale,
                float currentFrameScale, float field);

// True when, at this zoom and centre, the box does not lie wholly inside each of the three
// orthographic panes, or is drawn so small (under kSmallShare of every pane's width and
// height) that it can hardly be seen. An empty box needs nothing.
inline constexpr float kSmallShare = 0.02f;
bool NeedsFit(const ModelBounds& bounds, const PaneSizes& panes, float viewScale,
              const rm::Vector& centre);

// The uniform scale of a frame transform (the length of its first axis); 1 when it is not
// a usable number.
float FrameScaleOf(const rm::Matrix& m);
// The model frame's transform that scales the model by `scale` about `centre`, keeps the
// rotation of `current`, and moves `centre` to the scene origin, so that a rotation after
// it turns the model about its centre.
rm::Matrix FramedTransform(const rm::Matrix& current, float scale, const rm::Vector& centre);

}  // namespace views
