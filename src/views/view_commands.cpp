#include "views/view_commands.h"

#include <algorithm>

#include "doc/texts.h"
#include "render/pane3d.h"

namespace views {

PaneSizes PaneSizesOf(const ports::FrameHost& frame) {
    using ports::PaneRole;
    return {frame.PaneClientSize(PaneRole::Top), frame.PaneClientSize(PaneRole::Front),
            frame.PaneClientSize(PaneRole::Side), frame.PaneClientSize(PaneRole::View3D)};
}

void ApplyFit(doc::Session& session, const ViewFit& fit) {
    session.ViewScale = fit.viewScale;
    session.viewCentre = fit.centre;
    if (const rm::FramePtr& frame = session.model.m_pModelFrame) {
        frame->AddTransform(rm::COMBINE_REPLACE,
                            FramedTransform(frame->GetTransform(), fit.frameScale, fit.centre));
    }
}

bool FitToModel(doc::Session& session, const PaneSizes& panes, bool selectionOnly) {
    ModelBounds bounds;
    if (selectionOnly) bounds = CornerBounds(session.Table(), true);
    if (bounds.empty()) bounds = CornerBounds(session.Table(), false);
    if (bounds.empty()) return false;
    const rm::FramePtr& frame = session.model.m_pModelFrame;
    const float frameScale = frame ? FrameScaleOf(frame->GetTransform()) : 1.0f;
    ApplyFit(session,
             FitView(bounds, panes, session.ViewScale, frameScale, render::C3DPane::kField));
    return true;
}

bool FitAfterOpen(doc::Session& session, const PaneSizes& panes) {
    const ModelBounds bounds = CornerBounds(session.Table(), false);
    if (!NeedsFit(bounds, panes, session.ViewScale, session.viewCentre)) return false;
    return FitToModel(session, panes, false);
}

std::string CountsText(const model::FaceTable& table) {
    int selectedCorners = 0;
    int selectedFaces = 0;
    const int faces = table.FacesToWrite();
    for (int f = 0; f < faces; ++f) {
        const int n = table.CornersOf(f);
        int here = 0;
        for (int k = 0; k < n; ++k) here += table.selected[f][k] != 0;
        selectedCorners += here;
        selectedFaces += n > 0 && here == n;
    }
    return doc::text::Format(doc::text::kCounts, table.poolVertexCount, faces, selectedCorners,
                             selectedFaces);
}

void RegisterViewCommands(doc::Session& session, ports::FrameHost& frame,
                          doc::CommandRouter& router) {
    router.On(doc::ID_VIEW_FIT, [&session, &frame] {
        if (FitToModel(session, PaneSizesOf(frame), false)) frame.UpdateAllViews();
    });
    router.On(doc::ID_VIEW_FIT_SELECTION, [&session, &frame] {
        if (FitToModel(session, PaneSizesOf(frame), true)) frame.UpdateAllViews();
    });
    router.On(doc::ID_VIEW_RESET, [&session, &frame] {
        session.ResetView();
        frame.UpdateAllViews();
    });
}

}  // namespace views
