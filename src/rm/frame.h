// Frames: the nodes of the scene. A frame has one parent (or none), carries visuals
// (meshes), lights and child frames, and places its contents with a transform relative to
// its parent. The matrix conventions are written down in rm/matrix.h.
#pragma once

#include <memory>
#include <vector>

#include "rm/light.h"
#include "rm/matrix.h"
#include "rm/mesh_builder.h"
#include "rm/types.h"

namespace rm {

// How AddRotation, AddScale, AddTranslation and AddTransform combine the new transform T
// with the frame's current one M (row vectors, so the left factor acts first):
// - COMBINE_REPLACE: M = T (the position, too, is replaced);
// - COMBINE_BEFORE:  M = T * M, T acts in the frame's own axes before the current transform
//   (a scale BEFORE scales the frame's contents about their own origin);
// - COMBINE_AFTER:   M = M * T, T acts in the parent's axes after it (a rotation AFTER
//   turns the frame, its position included, about the parent's axes).
enum Combine : int { COMBINE_REPLACE = 0, COMBINE_BEFORE = 1, COMBINE_AFTER = 2 };

// LookAt's constraint: CONSTRAIN_Z turns the frame by X and Y rotations only, so that it
// never rolls about its own Z axis (its Y axis stays in the plane of the reference's Y axis
// and the viewing direction).
enum Constraint : int { CONSTRAIN_X = 0, CONSTRAIN_Y = 1, CONSTRAIN_Z = 2 };

class Frame {
  public:
    Frame() = default;
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    // Attaches a mesh; attaching one that is already attached does nothing.
    bool AddVisual(const MeshBuilderPtr& mesh);
    // Detaches a mesh; false when it was not attached. A detached mesh is not drawn.
    bool DeleteVisual(const MeshBuilderPtr& mesh);
    const std::vector<MeshBuilderPtr>& Visuals() const { return visuals_; }

    // Lights carried by this frame; a directional light shines along the frame's +Z axis.
    bool AddLight(const LightPtr& light);
    bool DeleteLight(const LightPtr& light);
    const std::vector<LightPtr>& Lights() const { return lights_; }

    // Makes `child` a child of this frame, taking it from its old parent. Refused (false)
    // for null, for this frame itself and for an ancestor of this frame (no cycles). The
    // child keeps its transform relative to its (new) parent.
    bool AddChild(const std::shared_ptr<Frame>& child);
    bool DeleteChild(const std::shared_ptr<Frame>& child);
    const std::vector<std::shared_ptr<Frame>>& Children() const { return children_; }
    // The parent, or null for a root frame. A parent does not outlive its children's
    // pointer to it: its destruction clears them.
    Frame* GetParent() const { return parent_; }

    // The transform relative to the parent, and the frame's transform to world (root)
    // coordinates: local * parent's world.
    const Matrix& GetTransform() const { return transform_; }
    Matrix GetWorldTransform() const;

    // Places the frame's origin at (x, y, z) in the axes of `reference` (null: the parent).
    void SetPosition(const Frame* reference, float x, float y, float z);
    // The frame's origin in the axes of `reference` (null: the parent).
    Vector GetPosition(const Frame* reference = nullptr) const;
    // Turns the frame so that its +Z axis points along `direction` and its +Y axis along
    // the part of `up` perpendicular to it, both given in the axes of `reference` (null:
    // the parent). The position stays; any scale is dropped. A zero direction, or an up
    // parallel to it, leaves the frame as it was (false).
    bool SetOrientation(const Frame* reference, float dx, float dy, float dz, float ux, float uy,
                        float uz);
    // Turns the frame's +Z axis toward the origin of `target`; the up direction is the
    // reference's +Y axis (null reference: the parent). See Constraint.
    bool LookAt(const Frame* target, const Frame* reference, Constraint constraint = CONSTRAIN_Z);

    void AddTransform(Combine combine, const Matrix& t);
    void AddRotation(Combine combine, float x, float y, float z, float theta);
    void AddScale(Combine combine, float sx, float sy, float sz);
    void AddTranslation(Combine combine, float x, float y, float z);

  private:
    // World matrix of the frame that `reference` names for this frame (null: the parent).
    Matrix ReferenceWorld(const Frame* reference) const;
    Matrix ParentWorld() const;

    std::vector<MeshBuilderPtr> visuals_;
    std::vector<std::shared_ptr<Frame>> children_;
    std::vector<LightPtr> lights_;
    Frame* parent_ = nullptr;
    Matrix transform_;
};

using FramePtr = std::shared_ptr<Frame>;

}  // namespace rm
