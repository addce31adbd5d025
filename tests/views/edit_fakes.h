// Helpers of the editing tests: a session with a scene and faces, and the recorders.
#pragma once

#include <memory>
#include <vector>

#include "doc/session.h"
#include "fake_ports.h"

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

// Puts faces into the session's table (each corner its own vertex unless `indices` says
// otherwise) and rebuilds the mesh from it.
inline void SetFaces(doc::Session& s, const std::vector<std::vector<rm::Vector>>& faces,
                     const std::vector<std::vector<int>>& indices = {}) {
    model::FaceTable& t = s.Table();
    t.faceCount = int(faces.size());
    int next = 0;
    for (int f = 0; f < t.faceCount; ++f) {
        t.vertexCount[f] = int(faces[f].size());
        for (int k = 0; k < t.vertexCount[f]; ++k) {
            t.position[f][k] = faces[f][k];
            t.vertexIndex[f][k] = indices.empty() ? next++ : indices[f][k];
            t.selected[f][k] = 0;
        }
    }
    t.RebuildMesh(s.model);
}

}  // namespace edit_test
