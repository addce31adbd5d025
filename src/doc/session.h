// The state that every part of the program shares: the model (its scene, mesh and
// editable table), the zoom of the orthographic panes, the polygon being built and the
// current tool. main() makes one and hands it to the main window, the document and the
// views; each test makes its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/face_table.h"
#include "model/model_host.h"
#include "model/table_history.h"
#include "rm/frame.h"
#include "rm/root.h"
#include "rm/types.h"

namespace doc {

// The current tool (`m_nEditMode`). 1 is never set; the views treat it as no tool.
enum EditMode : int {
    EDIT_SELECT = 0,
    EDIT_MOVE = 2,
    EDIT_ROTATE = 3,
    EDIT_SCALE = 4,
    EDIT_STRETCH = 5,
    EDIT_POLYGON = 6,
};

constexpr int MAX_POLY_POINTS = 16;
using model::POLY_NEW_VERTEX;      // a point that made a new vertex
constexpr int SNAP_TOLERANCE = 4;  // pixels

// The polygon being built with the polygon tool, one for the whole program.
struct PolygonState {
    rm::Vector PolyPoints[MAX_POLY_POINTS] = {};
    int PolyPointVertex[MAX_POLY_POINTS] = {};
    int PolyLastPoint = -1;        // index of the last point; -1 = no point
    rm::Vector PolyDepthRef = {};  // never reset: kept across tools and documents

    int PointCount() const { return PolyLastPoint + 1; }
    void Discard() { PolyLastPoint = -1; }
};

constexpr float INITIAL_VIEW_SCALE = 120.0f;

// The step of the edit path in progress, and the state last saved (doc/edit_path.h).
struct EditState {
    bool open = false;
    int kind = 0;
    model::EditScope scope = model::EditScope::Everything;
    std::uint64_t savedState = 0;
};

class Session {
  public:
    Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The scene of the main window, from the object-creating root: the scene frame, its
    // light frame and model frame (in that order, the model frame at the origin), an empty
    // mesh attached to the model frame, an ambient light of 0.4 grey on the scene and a
    // directional light of 0.8 grey on the light frame. False when the root refuses an
    // object; what was made stays.
    bool CreateScene(std::shared_ptr<rm::Root> root);
    // Releases the light frame, the mesh, the model frame and the scene, in that order.
    void ReleaseScene();

    // The model: root, model frame and mesh (model.m_pMesh is replaced by every rebuild).
    model::ModelHost model;
    rm::FramePtr m_pScene;
    rm::FramePtr m_pLightFrame;
    // The editable copy of the model (about 3.5 MB, so on the heap).
    std::unique_ptr<model::FaceTable> table;
    model::FaceTable& Table() { return *table; }
    // Undo and redo of the table's edits, and the step in progress.
    model::TableHistory history;
    EditState edit;

    // Pixels per model unit of the three orthographic panes.
    float ViewScale = INITIAL_VIEW_SCALE;
    // The model point drawn at the centre of the orthographic panes (each pane takes the
    // two coordinates of its axes); the origin in the start view.
    rm::Vector viewCentre = {};
    // The start view: ViewScale 120, the centre at the origin, the model frame unturned and
    // unscaled at the scene origin.
    void ResetView();
    PolygonState poly;
    int m_nEditMode = EDIT_SELECT;
    int m_nToolCheck = 0;  // which of the six tool commands shows as checked

    // The folder the file dialogs start in (with a trailing '/'): the one last used, kept
    // by the window in its settings; empty: the program's folder.
    std::string fileFolder;

    // The program's folder (with a trailing '/'), holding MODEL, TEXTURE and the manual.
    // Tests point it elsewhere.
    std::string programFolder;
};

}  // namespace doc
