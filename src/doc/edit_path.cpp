#include "doc/edit_path.h"

#include "doc/texts.h"

namespace doc {

std::string_view StepName(StepKind kind) {
    switch (kind) {
        case StepKind::Move:
            return text::kStepMove;
        case StepKind::Rotate:
            return text::kStepRotate;
        case StepKind::Scale:
            return text::kStepScale;
        case StepKind::Stretch:
            return text::kStepStretch;
        case StepKind::NumericMove:
            return text::kStepNumericMove;
        case StepKind::NumericRotate:
            return text::kStepNumericRotate;
        case StepKind::NumericScale:
            return text::kStepNumericScale;
        case StepKind::NumericStretch:
            return text::kStepNumericStretch;
        case StepKind::Cut:
            return text::kStepCut;
        case StepKind::Material:
            return text::kStepMaterial;
        case StepKind::Texture:
            return text::kStepTexture;
        case StepKind::RemoveTexture:
            return text::kStepRemoveTexture;
        case StepKind::Wrap:
            return text::kStepWrap;
        case StepKind::Polygon:
            return text::kStepPolygon;
        case StepKind::Open:
            return text::kStepOpen;
    }
    return {};
}

void EditPath::Begin(StepKind kind, model::EditScope scope) {
    if (InStep()) Commit(Repaint::AllViews);
    session_.history.Begin(session_.Table());
    session_.edit.open = true;
    session_.edit.kind = static_cast<int>(kind);
    session_.edit.scope = scope;
}

bool EditPath::Show(Repaint repaint) {
    const bool rebuilt = session_.Table().RebuildMesh(session_.model);
    RequestRepaint(repaint);
    return rebuilt;
}

bool EditPath::ChangeMesh(const std::function<bool(model::ModelHost&)>& change) {
    model::ModelHost& host = session_.model;
    if (!host.m_pMesh) return false;
    if (host.m_pModelFrame) host.m_pModelFrame->DeleteVisual(host.m_pMesh);
    const bool changed = change(host);
    if (host.m_pModelFrame && host.m_pMesh) host.m_pModelFrame->AddVisual(host.m_pMesh);
    if (changed) session_.Table().ReadFromMesh(host);
    return changed;
}

bool EditPath::Commit(Repaint repaint, bool rebuild) {
    if (!InStep()) return false;
    session_.edit.open = false;
    model::FaceTable& table = session_.Table();
    if (rebuild && !table.RebuildMesh(session_.model)) {
        // The old mesh may have been changed in place: rebuild it from the old table.
        session_.history.Restore(table, session_.edit.scope);
        table.RebuildMesh(session_.model);
        RequestRepaint(repaint);
        return false;
    }
    RequestRepaint(repaint);
    if (session_.history.Record(table, session_.edit.scope, session_.edit.kind)) Changed();
    return true;
}

void EditPath::Abandon(Repaint repaint) {
    if (!InStep()) return;
    session_.edit.open = false;
    model::FaceTable& table = session_.Table();
    session_.history.Restore(table, session_.edit.scope);
    table.RebuildMesh(session_.model);
    RequestRepaint(repaint);
}

bool EditPath::Apply(StepKind kind, model::EditScope scope, Repaint repaint,
                     const std::function<bool(model::FaceTable&)>& change) {
    Begin(kind, scope);
    if (!change(session_.Table())) {
        Abandon(repaint);
        return false;
    }
    return Commit(repaint);
}

bool EditPath::Undo() {
    if (InStep()) Commit(Repaint::AllViews);
    model::FaceTable& table = session_.Table();
    if (!session_.history.Undo(table)) return false;
    if (!table.RebuildMesh(session_.model)) {
        // The mesh cannot follow: the table goes back to the mesh's state.
        session_.history.Redo(table);
        return false;
    }
    RequestRepaint(Repaint::AllViews);
    Changed();
    return true;
}

bool EditPath::Redo() {
    if (InStep()) Commit(Repaint::AllViews);
    model::FaceTable& table = session_.Table();
    if (!session_.history.Redo(table)) return false;
    if (!table.RebuildMesh(session_.model)) {
        session_.history.Undo(table);
        return false;
    }
    RequestRepaint(Repaint::AllViews);
    Changed();
    return true;
}

void EditPath::Reset() {
    session_.edit.open = false;
    session_.history.Reset(session_.Table());
    session_.edit.savedState = session_.history.StateId();
    Changed();
}

void EditPath::MarkSaved() {
    session_.edit.savedState = session_.history.StateId();
    Changed();
}

void EditPath::Changed() {
    frame_.SetModified(IsModified());
    frame_.RefreshCommandStates();
}

void EditPath::RequestRepaint(Repaint repaint) {
    switch (repaint) {
        case Repaint::None:
            break;
        case Repaint::View3D:
            frame_.InvalidatePane(ports::PaneRole::View3D, false);
            break;
        case Repaint::AllPanes:
            frame_.InvalidatePane(ports::PaneRole::Top, true);
            frame_.InvalidatePane(ports::PaneRole::View3D, true);
            frame_.InvalidatePane(ports::PaneRole::Front, true);
            frame_.InvalidatePane(ports::PaneRole::Side, true);
            break;
        case Repaint::AllViews:
            frame_.UpdateAllViews();
            break;
    }
}

}  // namespace doc
