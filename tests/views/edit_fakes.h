// Helpers of the editing tests: a session with a scene and faces, and the recorders.
#pragma once

#include <memory>
#include <vector>

#include "doc/session.h"
#include "fake_ports.h"
#include "test_support.h"
#include "views/mdlr_view.h"

namespace edit_test {

using PaneRepaint = testing_support::RecordingFrame::Invalidation;
using testing_support::RecordingFrame;
using testing_support::ScriptedUi;

// All four panes in the order top, 3D, front, side.
inline const std::vector<PaneRepaint> kAllPanes = {
    {0, 0, true}, {0, 1, true}, {1, 0, true}, {1, 1, true}};

// A session with a scene, as the main window makes it.
inline std::unique_ptr<doc::Session> MakeSession() {
    auto s = std::make_unique<doc::Session>();
    s->CreateScene(std::make_shared<rm::Root>());
    return s;
}

// Builds the session's model from faces (each corner its own vertex unless `indices` says
// otherwise), read into the table and rebuilt as an open does.
inline void SetFaces(doc::Session& s, const std::vector<std::vector<rm::Vector>>& faces,
                     const std::vector<std::vector<int>>& indices = {}) {
    testing_support::ModelBuilder model;
    if (indices.empty()) {
        for (const auto& face : faces) model.FaceAt(face);
    } else {
        std::vector<rm::Vector> vertices;
        for (std::size_t f = 0; f < faces.size(); ++f) {
            for (std::size_t k = 0; k < faces[f].size(); ++k) {
                const std::size_t v = std::size_t(indices[f][k]);
                if (v >= vertices.size()) vertices.resize(v + 1);
                vertices[v] = faces[f][k];
            }
        }
        model.Vertices(vertices);
        for (const auto& face : indices) model.Face(face);
    }
    model.Into(s.model, s.Table());
}

// The four panes of the splitter, 200 x 200 each (centre 100, 100) unless told, on one
// session; the views show their messages and dialogs through `ui`.
struct EditPanes {
    std::unique_ptr<doc::Session> s = MakeSession();
    ScriptedUi ui;
    RecordingFrame frame;
    testing_support::RecordingPane pane[4];  // top, 3D, front, side
    std::unique_ptr<views::CMdlrView> view[4];

    explicit EditPanes(ports::Size size = {200, 200}) {
        for (int i = 0; i < 4; ++i) {
            pane[i].size = size;
            view[i] = std::make_unique<views::CMdlrView>(*s, frame, pane[i], i / 2, i % 2);
            view[i]->SetUserInterface(&ui);
        }
    }
    views::CMdlrView& Top() { return *view[0]; }
    views::CMdlrView& View3D() { return *view[1]; }
    views::CMdlrView& Front() { return *view[2]; }
    views::CMdlrView& Side() { return *view[3]; }
    model::FaceTable& T() { return s->Table(); }

    static void Click(views::CMdlrView& v, int x, int y) {
        v.OnLButtonDown(x, y);
        v.OnLButtonUp(x, y);
    }
    static void RightClick(views::CMdlrView& v, int x, int y) {
        v.OnRButtonDown(x, y);
        v.OnRButtonUp(x, y);
    }
};

}  // namespace edit_test
