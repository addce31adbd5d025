#include "doc/selection_commands.h"

#include <cstring>

namespace doc {

bool IsFullySelected(const model::FaceTable& table, int f) {
    for (int k = 0; k < table.vertexCount[f]; ++k) {
        if (table.selected[f][k] == 0) return false;
    }
    return true;
}

int CutSelectedFaces(Session& session) {
    model::FaceTable& table = session.Table();
    model::ModelHost& host = session.model;
    int deleted = 0;
    if (host.m_pMesh) {
        for (int f = table.faceCount - 1; f >= 0; --f) {
            if (!IsFullySelected(table, f)) continue;
            if (host.m_pMesh->DeleteFace(host.m_pMesh->GetFace(f))) ++deleted;
        }
    }
    table.ReadFromMesh(host);
    table.RebuildMesh(host);
    std::memset(table.selected, 0, sizeof table.selected);
    return deleted;
}

void InvertSelection(model::FaceTable& table) {
    for (int f = 0; f < table.faceCount; ++f) {
        for (int k = 0; k < table.vertexCount[f]; ++k) {
            table.selected[f][k] = table.selected[f][k] == 0 ? 1 : 0;
        }
    }
}

void ClearSelection(model::FaceTable& table) {
    for (int f = 0; f < table.faceCount; ++f) {
        for (int k = 0; k < table.vertexCount[f]; ++k) table.selected[f][k] = 0;
    }
}

void RegisterSelectionCommands(Session& session, ports::FrameHost& frame, CommandRouter& router) {
    router.On(ID_EDIT_CUT, [&session, &frame] {
        CutSelectedFaces(session);
        frame.UpdateAllViews();
    });
    router.On(ID_SELECT_INVERT, [&session, &frame] {
        InvertSelection(session.Table());
        frame.UpdateAllViews();
    });
    router.On(ID_SELECT_CLEAR, [&session, &frame] {
        ClearSelection(session.Table());
        frame.UpdateAllViews();
    });
}

}  // namespace doc
