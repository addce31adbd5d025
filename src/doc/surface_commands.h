// The surface commands of the document: Material (face colour, transparency and the
// model's render quality), Texture (a bitmap on the whole model), Remove texture, and Wrap
// (texture coordinates projected along one axis). Their dialogs are data here; the shell
// shows them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "doc/commands.h"
#include "doc/session.h"
#include "ports/pane_host.h"
#include "ports/ui.h"
#include "rm/bitmap.h"
#include "rm/types.h"
#include "rm/wrap.h"

namespace doc {

// The texture open dialog's filter, exactly as the program shows it.
extern const char* const kTextureFilter;

// Radio index of the material dialog's quality buttons (Wire 0, Gouraud 1, Flat 2) for a
// render quality, -1 for any other value; and the quality of an index (false for -1 and
// other indices).
int QualityRadioOf(rm::Quality quality);
bool QualityOfRadio(int radio, rm::Quality* quality);

// Scroll codes of the transparency bar, as the shell reports them.
enum ScrollCode : int {
    SB_LINELEFT = 0,
    SB_LINERIGHT = 1,
    SB_PAGELEFT = 2,
    SB_PAGERIGHT = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_LEFT = 6,
    SB_RIGHT = 7,
    SB_ENDSCROLL = 8,
};
constexpr int TRANSPARENCY_MAX = 255;

// The Material dialog's fields and rules (the shell's dialogs::CMaterialDlg shows them). The
// shell shows the bar at m_nTransparency (range 0..255) and the
// radio m_nQuality, reports each scroll with OnHScroll and puts the bar where it says, and
// calls OnColor when "Color" is clicked; on OK it copies the checked radio back.
class MaterialDialogData final : public ports::ModalDialog {
  public:
    static constexpr std::string_view kKind = "material";
    std::string_view Kind() const override { return kKind; }

    int m_nTransparency = 0;
    int m_nQuality = -1;

    // The bar's new position for a scroll code, from its current position (`thumb` is the
    // thumb's position for the two thumb codes), clamped to 0..255; also kept in
    // m_nTransparency.
    int OnHScroll(int code, int thumb = 0);
    // The "Color" button: the colour dialog, applied at once.
    std::function<void()> onColor;
    void OnColor() {
        if (onColor) onColor();
    }
};

// The Wrap dialog's fields (the shell's dialogs::CTextureWrapDlg shows them): mapping 0 plane, 1
// cylinder, 2 sphere; axis 0 X, 1 Y, 2 Z.
class WrapDialogData final : public ports::ModalDialog {
  public:
    static constexpr std::string_view kKind = "wrap";
    std::string_view Kind() const override { return kKind; }

    int m_nMapping = 0;
    int m_nWrapAxis = 0;
};

// What the Wrap command passes to the wrap, derived from the mesh's box.
struct WrapParameters {
    rm::WrapType type = rm::WrapType::Flat;
    rm::Vector direction;
    rm::Vector up;
    float ou = 0.0f;
    float ov = 0.0f;
    float su = 1.0f;
    float sv = 1.0f;
};
// Mapping and axis as in the dialog (out-of-range values count as 0). An extent of zero
// (or one that is not a finite positive number) counts as 1, so every value stays finite.
WrapParameters ComputeWrapParameters(int mapping, int axis, const rm::Box& box);

// The folders searched for textures: the root's search path ("TEXTURE/" under the
// program's folder), then `modelFolder` when one is given.
std::vector<std::string> TextureFolders(const Session& session,
                                        const std::string& modelFolder = {});
// The user's words for an image that did not load, by what went wrong and the kind of file
// it was (the run-length remark belongs to bitmaps, the size limit is named for each kind).
std::string_view BitmapErrorText(rm::BitmapError error, rm::ImageKind kind = rm::ImageKind::Bmp);

void OnMaterial(Session& session, ports::UserInterface& ui, ports::FrameHost& frame);
void OnTextureLoad(Session& session, ports::UserInterface& ui, ports::FrameHost& frame);
void OnTextureRemove(Session& session, ports::FrameHost& frame);
void OnTextureWrap(Session& session, ports::UserInterface& ui, ports::FrameHost& frame);

// Registers Material, Texture, Remove texture and Wrap.
void RegisterSurfaceCommands(Session& session, ports::UserInterface& ui, ports::FrameHost& frame,
                             CommandRouter& router);

}  // namespace doc
