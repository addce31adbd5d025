// The About box and its link fields as plain data and rules, and the Help command. The
// shell draws them (dialogs/about_dialog, dialogs/link_static) and forwards the pointer
// and clicks here; tests drive the same rules with scripted ports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ports/canvas.h"
#include "ports/opener.h"
#include "ports/ui.h"
#include "rm/types.h"

namespace doc {

class CommandRouter;

using rm::BlueOf;
using rm::ColorRef;
using rm::GreenOf;
using rm::MakeColorRef;
using rm::RedOf;

// A rectangle with exclusive right and bottom edges.
using ports::Rect;

// --- Dialog units ---------------------------------------------------------------------

// The dialog font's base units in pixels: cx is the average width of the letters, cy the
// height of a line.
struct DialogBaseUnits {
    int cx = 0;
    int cy = 0;
};

// Base units from the dialog font: the width in pixels of the 52 letters "A".."Z" "a".."z"
// written one after the other, and the font's line height in pixels. The average width is
// rounded to the nearest pixel.
DialogBaseUnits BaseUnitsFromFont(int widthOf52Letters, int lineHeight);

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// Position and size in dialog units (x, y, width, height).
struct DialogUnitsRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Dialog units to pixels: horizontal values are a quarter of cx, vertical ones an eighth
// of cy; each of the four values is converted and rounded on its own.
Rect DialogToPixels(const DialogUnitsRect& r, DialogBaseUnits units);

// --- The link field ---------------------------------------------------------------------

enum class HAlign { Left, Center, Right };

// The window rectangle of a link field shrunk to its text: vertically centred when
// `centerVertically`, else the text's height from the top; horizontally by the alignment.
// Centring shrinks both sides by half the difference (truncated).
Rect FitRectToText(Rect window, int textWidth, int textHeight, HAlign align, bool centerVertically);

// The target as a URL: a mail address (an '@' and no scheme) gets "mailto:" in front;
// anything with a scheme ("https:", "mailto:") stays as it is.
std::string TargetUrl(std::string_view target);

// A static text that behaves like a hyperlink: its colours, hover state and click. The
// shell's widget keeps one and asks it for the colour to draw with.
class LinkStatic {
  public:
    ColorRef m_crLink = MakeColorRef(0, 0, 238);       // not yet visited
    ColorRef m_crVisited = MakeColorRef(85, 26, 139);  // after a successful open
    // While the pointer is over the field: the desktop's highlight colour, which the shell
    // sets when it creates the widget.
    ColorRef m_crHover = MakeColorRef(0, 120, 215);
    int m_bHover = 0;
    int m_bVisited = 0;
    int m_bUnderline = 1;
    int m_bFitToText = 1;
    std::string m_strTarget;

    // Called when the field takes over its static text: an empty target becomes the text,
    // an empty text shows the target. Returns the text to show.
    std::string Attach(const std::string& windowText);

    // The text colour: hover, else visited, else link.
    ColorRef TextColor() const;

    enum class HoverChange { None, Entered, Left };
    // The pointer moved; `inside` tells whether it is within the field. Entered: redraw and
    // keep the pointer (capture). Left: release the pointer and redraw.
    HoverChange OnMouseMove(bool inside);

    // Opens the target. On success the field turns visited and true comes back; otherwise
    // a beep and "Unable to open hyperlink:" with the reason for the code.
    bool OnClicked(ports::Opener& opener, ports::UserInterface& ui);

    void SetVisited(bool visited) { m_bVisited = visited ? 1 : 0; }
};

// The failure message of a link for a shell result code.
std::string HyperlinkErrorText(int code);

// --- The About box ----------------------------------------------------------------------

class AboutDialog final : public ports::ModalDialog {
  public:
    static constexpr int IDD = 100;            // the dialog template
    static constexpr int IDR_MAINFRAME = 101;  // the program icon
    static constexpr int IDOK = 1;
    static constexpr int IDC_MAIL = 1033;
    static constexpr int IDC_WEB = 1034;
    static constexpr int IDC_STATIC = -1;  // the plain texts and the icon have no id of their own
    static constexpr DialogUnitsRect kSize{0, 0, 234, 73};

    enum class ControlType { Icon, Text, Button, Link };
    struct Control {
        ControlType type;
        int id;
        DialogUnitsRect rect;  // the icon has its position only
        std::string text;
    };

    AboutDialog(ports::Opener& opener, ports::UserInterface& ui);

    std::string_view Kind() const override { return "about"; }

    const std::string& Title() const { return title_; }
    // The controls in tab order: icon, version, second line, OK, mail link, web link.
    const std::vector<Control>& Controls() const { return controls_; }

    // The link of a control id (IDC_WEB or IDC_MAIL); null for any other id.
    LinkStatic* Link(int id);
    // A click on a link field: opens its target (see LinkStatic::OnClicked).
    bool OnLinkClicked(int id);

    LinkStatic webLink;
    LinkStatic mailLink;

  private:
    ports::Opener& opener_;
    ports::UserInterface& ui_;
    std::string title_;
    std::vector<Control> controls_;
};

// --- Help ---------------------------------------------------------------------------------

// The manual shipped with the program: "manual/index.html" under the program's folder.
std::string ManualPath(const std::string& programFolder);

// Opens the manual; when it is missing or the desktop cannot open it, says so (kNoManual)
// and returns false.
bool OpenManual(const std::string& programFolder, ports::Opener& opener, ports::UserInterface& ui);

// Registers About (shows the About box modally) and Help (opens the manual) on the router.
// The ports must outlive the router's use.
void RegisterHelpCommands(CommandRouter& router, ports::UserInterface& ui, ports::Opener& opener,
                          const std::string& programFolder);

}  // namespace doc
