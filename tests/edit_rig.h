// A whole editing set-up without a window: the session, the four views, the document and
// every command on one router, with scripted answers; and snapshots of the table and the
// mesh that tests compare before and after undo and redo.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "doc/document.h"
#include "doc/edit_path.h"
#include "doc/selection_commands.h"
#include "doc/session.h"
#include "doc/surface_commands.h"
#include "doc/tools.h"
#include "fake_ports.h"
#include "views/edit_commands.h"
#include "views/edit_fakes.h"
#include "views/mdlr_view.h"

namespace edit_rig {

// What a test compares: every field of the table that the faces use, and the mesh face
// by face.
struct TableSnapshot {
    int faceCount = 0;
    int poolVertexCount = 0;
    int quality = 0;
    std::vector<int> counts, indices, selected, colors;
    std::vector<float> positions, normals, uvs, pool;
    std::vector<const void*> textures;
    friend bool operator==(const TableSnapshot&, const TableSnapshot&) = default;
};

inline TableSnapshot SnapTable(const model::FaceTable& t) {
    TableSnapshot s;
    s.faceCount = t.faceCount;
    s.poolVertexCount = t.poolVertexCount;
    s.quality = static_cast<int>(t.meshQuality);
    for (int f = 0; f < model::MAX_FACES; ++f) {
        for (int k = 0; k < model::MAX_FACE_VERTICES; ++k) s.selected.push_back(t.selected[f][k]);
    }
    for (int f = 0; f < t.Faces(); ++f) {
        s.counts.push_back(t.vertexCount[f]);
        const model::FaceColor& c = t.faceColor[f];
        s.colors.insert(s.colors.end(), {c.red, c.green, c.blue, c.alpha});
        s.textures.push_back(t.faceTexture[f].get());
        for (int k = 0; k < t.CornersOf(f); ++k) {
            const rm::Vector& p = t.position[f][k];
            const rm::Vector& n = t.normal[f][k];
            s.indices.push_back(t.vertexIndex[f][k]);
            s.positions.insert(s.positions.end(), {p.x, p.y, p.z});
            s.normals.insert(s.normals.end(), {n.x, n.y, n.z});
            s.uvs.insert(s.uvs.end(), {t.texU[f][k], t.texV[f][k]});
        }
    }
    for (int i = 0; i < t.poolVertexCount && i < model::MAX_POOL_VERTICES; ++i) {
        const rm::Vector& p = t.vertexPool[i];
        s.pool.insert(s.pool.end(), {p.x, p.y, p.z});
    }
    return s;
}

struct MeshSnapshot {
    std::vector<float> corners;  // per face: its corners' positions and texture coordinates
    std::vector<std::uint32_t> colors;
    std::vector<const void*> textures;
    std::vector<int> sizes;
    int quality = 0;
    friend bool operator==(const MeshSnapshot&, const MeshSnapshot&) = default;
};

inline MeshSnapshot SnapMesh(const rm::MeshBuilderPtr& mesh) {
    MeshSnapshot s;
    if (!mesh) return s;
    s.quality = static_cast<int>(mesh->GetQuality());
    const int faces = mesh->GetFaceCount();
    const auto& verts = mesh->Vertices();
    for (int f = 0; f < faces; ++f) {
        const auto corners = mesh->FaceCorners(std::size_t(f));
        s.sizes.push_back(int(corners.size()));
        for (const auto& c : corners) {
            const rm::Vector& p = verts[c.vertex];
            s.corners.insert(s.corners.end(), {p.x, p.y, p.z, c.u, c.v});
        }
        s.colors.push_back(mesh->FaceRecords()[std::size_t(f)].color);
        s.textures.push_back(mesh->TextureOf(std::size_t(f)).get());
    }
    return s;
}

// The table's invariants, finite positions, and a mesh with the table's faces.
inline ::testing::AssertionResult ModelIsSound(const doc::Session& s) {
    const model::FaceTable& t = *s.table;
    if (!t.CheckInvariants()) return ::testing::AssertionFailure() << "invariants";
    int withCorners = 0;
    for (int f = 0; f < t.Faces(); ++f) {
        for (int k = 0; k < t.CornersOf(f); ++k) {
            const rm::Vector& p = t.position[f][k];
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                return ::testing::AssertionFailure() << "position " << f << "," << k;
        }
        withCorners += t.vertexCount[f] > 0 ? 1 : 0;
    }
    const rm::MeshBuilderPtr& mesh = s.model.m_pMesh;
    if (!mesh) return ::testing::AssertionFailure() << "no mesh";
    if (mesh->GetFaceCount() != withCorners)
        return ::testing::AssertionFailure()
               << "mesh has " << mesh->GetFaceCount() << " faces, table " << withCorners;
    int mf = 0;
    for (int f = 0; f < t.Faces(); ++f) {
        if (t.vertexCount[f] <= 0) continue;
        if (int(mesh->FaceCorners(std::size_t(mf)).size()) != t.vertexCount[f])
            return ::testing::AssertionFailure() << "corners of face " << f;
        ++mf;
    }
    return ::testing::AssertionSuccess();
}

// The panes of edit_test (240 x 200 each) with the document and every command on them.
struct Rig : edit_test::EditPanes {
    doc::CommandRouter router;
    std::unique_ptr<doc::CMdlrDoc> document;

    explicit Rig(const std::string& programFolder = {}) : EditPanes({240, 200}) {
        if (!programFolder.empty()) s->programFolder = programFolder;
        document = std::make_unique<doc::CMdlrDoc>(*s, ui, frame);
        document->RegisterCommands(router);
        doc::RegisterSurfaceCommands(*s, ui, frame, router);
        doc::RegisterToolCommands(*s, frame, router);
        doc::RegisterSelectionCommands(*s, frame, router);
        views::RegisterEditCommands(*s, ui, frame, router);
        router.SetPrelude([this] {
            for (auto& v : view) v->EndDrag();
        });
    }
    doc::EditPath Path() { return doc::EditPath(*s, frame); }
    std::size_t Steps() const { return s->history.UndoSteps(); }

    // A left drag in pane `p` (0 top, 2 front, 3 side) in `moves` mouse messages.
    void Drag(int p, int x0, int y0, int x1, int y1, int moves = 3, bool left = true) {
        views::CMdlrView& v = *view[p];
        left ? v.OnLButtonDown(x0, y0) : v.OnRButtonDown(x0, y0);
        for (int i = 1; i <= moves; ++i) {
            v.OnMouseMove(x0 + (x1 - x0) * i / moves, y0 + (y1 - y0) * i / moves, {left, !left});
        }
        left ? v.OnLButtonUp(x1, y1) : v.OnRButtonUp(x1, y1);
    }
    // Selects everything the top pane shows, with the select tool.
    void SelectAll() {
        router.Execute(doc::ID_TOOL_SELECT);
        Drag(0, 0, 0, 239, 199, 1);
    }
};

}  // namespace edit_rig
