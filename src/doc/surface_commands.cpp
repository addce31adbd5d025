#include "doc/surface_commands.h"

#include <algorithm>
#include <cmath>

#include "base/module_dir.h"
#include "doc/edit_path.h"
#include "doc/texts.h"

namespace doc {

const char* const kTextureFilter =
    "ビットマップファイル(*.bmp)|*.bmp|"
    "全ての画像(*.bmp;*.png;*.jpg;*.jpeg;*.tga)|*.bmp;*.png;*.jpg;*.jpeg;*.tga|"
    "PNGファイル(*.png)|*.png|JPEGファイル(*.jpg;*.jpeg)|*.jpg;*.jpeg|TGAファイル(*.tga)|*.tga|";

namespace {

constexpr rm::Quality kRadioQuality[] = {rm::Quality::Wireframe, rm::Quality::Gouraud,
                                         rm::Quality::Flat};

// The 3D pane, repainted over its old picture.
void Invalidate3DPane(ports::FrameHost& frame) {
    frame.InvalidatePane(ports::PaneRole::View3D, false);
}

struct AxisSetup {
    rm::Vector direction;
    rm::Vector up;
    int first;   // B: the box axis that u follows (0 X, 1 Y, 2 Z)
    int second;  // A: the box axis that v follows
};
constexpr AxisSetup kAxes[] = {
    {{1, 0, 0}, {0, -1, 0}, 2, 1},  // X: B = Z, A = Y
    {{0, 1, 0}, {0, 0, 1}, 0, 2},   // Y: B = X, A = Z
    {{0, 0, 1}, {0, -1, 0}, 0, 1},  // Z: B = X, A = Y
};

float Component(const rm::Vector& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

}  // namespace

int QualityRadioOf(rm::Quality quality) {
    for (int i = 0; i < 3; ++i) {
        if (kRadioQuality[i] == quality) return i;
    }
    return -1;
}

bool QualityOfRadio(int radio, rm::Quality* quality) {
    if (radio < 0 || radio > 2) return false;
    *quality = kRadioQuality[radio];
    return true;
}

int MaterialDialogData::OnHScroll(int code, int thumb) {
    int position = m_nTransparency;
    switch (code) {
        case SB_LINELEFT:
            position -= 1;
            break;
        case SB_LINERIGHT:
            position += 1;
            break;
        case SB_PAGELEFT:
            position -= 10;
            break;
        case SB_PAGERIGHT:
            position += 10;
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            position = thumb;
            break;
        case SB_LEFT:
            position = 0;
            break;
        case SB_RIGHT:
            position = TRANSPARENCY_MAX;
            break;
        default:
            break;
    }
    m_nTransparency = std::clamp(position, 0, TRANSPARENCY_MAX);
    return m_nTransparency;
}

WrapParameters ComputeWrapParameters(int mapping, int axis, const rm::Box& box) {
    if (mapping < 0 || mapping > 2) mapping = 0;
    if (axis < 0 || axis > 2) axis = 0;
    const AxisSetup& setup = kAxes[axis];
    const auto extentOf = [&box](int a) {
        const float e = Component(box.max, a) - Component(box.min, a);
        // A flat model wrapped across its flat side: one unit instead of a division by 0.
        return std::isfinite(e) && e > 0.0f ? e : 1.0f;
    };
    const float extB = extentOf(setup.first);
    const float extA = extentOf(setup.second);
    WrapParameters p;
    p.type = static_cast<rm::WrapType>(mapping);
    p.direction = setup.direction;
    p.up = setup.up;
    p.ou = Component(box.min, setup.first) / extB;
    p.ov = Component(box.min, setup.second) / extA;
    p.su = mapping == 0 ? 1.0f / extB : 1.0f;
    p.sv = mapping == 2 ? 1.0f : 1.0f / extA;
    return p;
}

std::vector<std::string> TextureFolders(const Session& session, const std::string& modelFolder) {
    std::vector<std::string> folders;
    if (session.model.m_pD3DRoot) folders = session.model.m_pD3DRoot->GetSearchPaths();
    // A root without a search path (one not set up by the 3D root) still finds TEXTURE.
    if (folders.empty()) folders.push_back(base::JoinPath(session.programFolder, "TEXTURE/"));
    if (!modelFolder.empty()) {
        folders.push_back(modelFolder.back() == '/' ? modelFolder : modelFolder + '/');
    }
    return folders;
}

std::string_view BitmapErrorText(rm::BitmapError error, rm::ImageKind kind) {
    switch (error) {
        case rm::BitmapError::NotFound:
            return text::kBitmapNotFound;
        case rm::BitmapError::TooLarge:
            return kind == rm::ImageKind::Bmp ? text::kBitmapTooLarge : text::kImageTooLarge;
        default:
            break;
    }
    switch (kind) {
        case rm::ImageKind::Bmp:
            return text::kBitmapUnreadable;
        case rm::ImageKind::Png:
            return text::kPngUnreadable;
        case rm::ImageKind::Jpeg:
            return text::kJpegUnreadable;
        case rm::ImageKind::Tga:
            return text::kTgaUnreadable;
        case rm::ImageKind::Unknown:
            break;
    }
    return text::kImageUnreadable;
}

void OnMaterial(Session& session, ports::UserInterface& ui, ports::FrameHost& frame) {
    model::FaceTable& table = session.Table();
    MaterialDialogData dlg;
    // The dialog starts at the transparency every target face shares, and the colour
    // dialog at the colour they share; where they differ, at 0 % and black. (Faces of
    // several colours but one transparency keep it when only the quality is changed.)
    const model::FaceTable::TargetLook targets = table.TargetsLook();
    const model::FaceColor& shared = targets.look;
    dlg.m_nTransparency = targets.sameAlpha ? TRANSPARENCY_MAX - shared.alpha : 0;
    rm::ColorRef colorStart = targets.sameColor ? model::ToColorRef(shared) : 0u;
    dlg.m_nQuality = QualityRadioOf(table.meshQuality);
    // One use of the dialog is one step, with a colour the button applied at once.
    EditPath path(session, frame);
    path.Begin(StepKind::Material, model::EditScope::Appearance);
    dlg.onColor = [&session, &ui, &path, &colorStart] {
        const std::optional<rm::ColorRef> color = ui.ChooseColor(colorStart);
        if (!color) return;
        colorStart = *color;
        session.Table().ApplyColor(*color);
        path.Show(Repaint::View3D);
    };
    if (!ui.DoModal(dlg)) {
        path.Commit(Repaint::None, false);
        return;
    }
    rm::Quality quality{};
    if (QualityOfRadio(dlg.m_nQuality, &quality)) table.meshQuality = quality;
    table.ApplyTransparency(std::clamp(dlg.m_nTransparency, 0, TRANSPARENCY_MAX));
    path.Commit(Repaint::View3D);
}

namespace {

// The Wrap dialog and, after OK, the wrap of the mesh read back into the table, inside the
// step in progress. False when the dialog was cancelled or there is no mesh.
bool WrapInStep(Session& session, ports::UserInterface& ui, ports::FrameHost& frame,
                EditPath& path) {
    WrapDialogData dlg;
    if (!ui.DoModal(dlg)) return false;
    if (!session.model.m_pMesh) return false;
    const WrapParameters p =
        ComputeWrapParameters(dlg.m_nMapping, dlg.m_nWrapAxis, session.model.m_pMesh->GetBox());
    path.ChangeMesh([&p](model::ModelHost& host) {
        if (const auto wrap =
                rm::Wrap::Create(p.type, {0, 0, 0}, p.direction, p.up, p.ou, p.ov, p.su, p.sv)) {
            wrap->Apply(*host.m_pMesh);
        }
        return true;
    });
    Invalidate3DPane(frame);
    return true;
}

}  // namespace

void OnTextureLoad(Session& session, ports::UserInterface& ui, ports::FrameHost& frame) {
    std::string folder = base::JoinPath(session.programFolder, "TEXTURE");
    const ports::FileDialogRequest req{.open = true,
                                       .filter = kTextureFilter,
                                       .defaultExtension = "bmp",
                                       .initialName = {},
                                       .flags = ports::OFN_HIDEREADONLY,
                                       .initialFolder = std::move(folder)};
    const std::optional<std::string> path = ui.FileDialog(req);
    if (!path) return;
    if (!session.model.m_pMesh) return;
    // The bitmap is read before the model is touched: a file that does not load leaves
    // the model as it was and says why.
    rm::BitmapError error = rm::BitmapError::None;
    rm::ImageKind kind = rm::ImageKind::Unknown;
    rm::TexturePtr texture =
        rm::LoadTexture(*path, TextureFolders(session), &error, nullptr, &kind);
    if (!texture) {
        ui.MessageBox(
            text::Format(text::kTextureNotLoaded, *path, std::string(BitmapErrorText(error, kind))),
            std::string(text::kErrorCaption), ports::Buttons::Ok, ports::Icon::Exclamation);
        return;
    }
    // The texture and the Wrap that follows at once are one step, even when that Wrap is
    // cancelled.
    EditPath edit(session, frame);
    edit.Begin(StepKind::Texture, model::EditScope::Everything);
    edit.ChangeMesh([&texture](model::ModelHost& host) {
        host.m_pMesh->SetTexture(std::move(texture));
        return true;
    });
    Invalidate3DPane(frame);
    WrapInStep(session, ui, frame, edit);
    edit.Commit(Repaint::None);
}

void OnTextureRemove(Session& session, ports::FrameHost& frame) {
    if (!session.model.m_pMesh) return;
    const model::FaceTable& table = session.Table();
    bool anyTexture = false;
    for (int f = 0; f < table.Faces() && !anyTexture; ++f)
        anyTexture = table.faceTexture[f] != nullptr;
    if (!anyTexture) {  // nothing to remove: no step
        Invalidate3DPane(frame);
        return;
    }
    EditPath path(session, frame);
    path.Begin(StepKind::RemoveTexture, model::EditScope::Everything);
    path.ChangeMesh([](model::ModelHost& host) {
        host.m_pMesh->SetTexture(nullptr);
        return true;
    });
    path.Commit(Repaint::View3D);
}

void OnTextureWrap(Session& session, ports::UserInterface& ui, ports::FrameHost& frame) {
    EditPath path(session, frame);
    path.Begin(StepKind::Wrap, model::EditScope::Everything);
    if (!WrapInStep(session, ui, frame, path)) {
        path.Commit(Repaint::None, false);  // cancelled: nothing changed
        return;
    }
    path.Commit(Repaint::None);
}

void RegisterSurfaceCommands(Session& session, ports::UserInterface& ui, ports::FrameHost& frame,
                             CommandRouter& router) {
    router.On(ID_MATERIAL, [&session, &ui, &frame] { OnMaterial(session, ui, frame); });
    router.On(ID_TEXTURE, [&session, &ui, &frame] { OnTextureLoad(session, ui, frame); });
    router.On(ID_TEXTURE_REMOVE, [&session, &frame] { OnTextureRemove(session, frame); });
    router.On(ID_WRAP, [&session, &ui, &frame] { OnTextureWrap(session, ui, frame); });
}

}  // namespace doc
