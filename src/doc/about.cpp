#include "doc/about.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/module_dir.h"
#include "doc/commands.h"
#include "doc/texts.h"

namespace doc {

DialogBaseUnits BaseUnitsFromFont(int widthOf52Letters, int lineHeight) {
    // Average of 52 letters, rounded: (w / 26 + 1) / 2 is w / 52 rounded half up.
    return {(widthOf52Letters / 26 + 1) / 2, lineHeight};
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const std::int64_t d = c;
    const bool negative = (p < 0) != (d < 0);
    const std::int64_t q = (std::llabs(p) + std::llabs(d) / 2) / std::llabs(d);
    return static_cast<int>(negative ? -q : q);
}

Rect DialogToPixels(const DialogUnitsRect& r, DialogBaseUnits units) {
    const int x = MulDiv(r.x, units.cx, 4);
    const int y = MulDiv(r.y, units.cy, 8);
    return {x, y, x + MulDiv(r.width, units.cx, 4), y + MulDiv(r.height, units.cy, 8)};
}

Rect FitRectToText(Rect rc, int textWidth, int textHeight, HAlign align, bool centerVertically) {
    if (centerVertically) {
        const int d = (rc.Height() - textHeight) / 2;
        rc.top += d;
        rc.bottom -= d;
    } else {
        rc.bottom = rc.top + textHeight;
    }
    switch (align) {
        case HAlign::Center: {
            const int d = (rc.Width() - textWidth) / 2;
            rc.left += d;
            rc.right -= d;
            break;
        }
        case HAlign::Right:
            rc.left = rc.right - textWidth;
            break;
        case HAlign::Left:
            rc.right = rc.left + textWidth;
            break;
    }
    return rc;
}

std::string TargetUrl(std::string_view target) {
    // A scheme is letters, digits, '+', '-' or '.' after a letter, then ':'.
    const auto colon = target.find(':');
    if (colon != std::string_view::npos && colon > 0) {
        bool scheme =
            (target[0] >= 'A' && target[0] <= 'Z') || (target[0] >= 'a' && target[0] <= 'z');
        for (std::size_t i = 1; scheme && i < colon; ++i) {
            const char c = target[i];
            scheme = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '+' || c == '-' || c == '.';
        }
        if (scheme) return std::string(target);
    }
    if (target.find('@') != std::string_view::npos) return "mailto:" + std::string(target);
    return std::string(target);
}

std::string LinkStatic::Attach(const std::string& windowText) {
    if (m_strTarget.empty()) m_strTarget = windowText;
    return windowText.empty() ? m_strTarget : windowText;
}

ColorRef LinkStatic::TextColor() const {
    if (m_bHover) return m_crHover;
    return m_bVisited ? m_crVisited : m_crLink;
}

LinkStatic::HoverChange LinkStatic::OnMouseMove(bool inside) {
    if (!m_bHover) {
        if (!inside) return HoverChange::None;
        m_bHover = 1;
        return HoverChange::Entered;
    }
    if (inside) return HoverChange::None;
    m_bHover = 0;
    return HoverChange::Left;
}

std::string HyperlinkErrorText(int code) {
    return std::string(text::kHyperlinkError) + text::ShellErrorText(code);
}

bool LinkStatic::OnClicked(ports::Opener& opener, ports::UserInterface& ui) {
    const int result = opener.OpenUrl(TargetUrl(m_strTarget));
    if (result > 32) {
        SetVisited(true);
        return true;
    }
    ui.Beep();
    ui.MessageBox(HyperlinkErrorText(result), "", ports::Buttons::Ok, ports::Icon::Exclamation);
    return false;
}

AboutDialog::AboutDialog(ports::Opener& opener, ports::UserInterface& ui)
    : opener_(opener), ui_(ui), title_(text::kAboutTitle) {
    controls_ = {
        {ControlType::Icon, IDC_STATIC, {11, 17, 0, 0}, ""},
        {ControlType::Text, IDC_STATIC, {40, 10, 119, 8}, std::string(text::kAboutVersion)},
        {ControlType::Text, IDC_STATIC, {40, 25, 127, 8}, std::string(text::kAboutSecondLine)},
        {ControlType::Button, IDOK, {177, 7, 50, 14}, "OK"},
        {ControlType::Link, IDC_MAIL, {40, 44, 131, 10}, std::string(text::kAboutMailTarget)},
        {ControlType::Link, IDC_WEB, {40, 58, 131, 8}, std::string(text::kAboutWebTarget)},
    };
}

LinkStatic* AboutDialog::Link(int id) {
    if (id == IDC_WEB) return &webLink;
    if (id == IDC_MAIL) return &mailLink;
    return nullptr;
}

bool AboutDialog::OnLinkClicked(int id) {
    LinkStatic* link = Link(id);
    return link != nullptr && link->OnClicked(opener_, ui_);
}

std::string ManualPath(const std::string& programFolder) {
    return base::JoinPath(base::JoinPath(programFolder, "manual"), "index.html");
}

bool OpenManual(const std::string& programFolder, ports::Opener& opener, ports::UserInterface& ui) {
    const std::string path = ManualPath(programFolder);
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec) && opener.OpenFile(path) > 32) return true;
    ui.MessageBox(text::Format(text::kNoManual, path), "", ports::Buttons::Ok,
                  ports::Icon::Exclamation);
    return false;
}

void RegisterHelpCommands(CommandRouter& router, ports::UserInterface& ui, ports::Opener& opener,
                          const std::string& programFolder) {
    router.On(ID_APP_ABOUT, [&ui, &opener] {
        AboutDialog dlg(opener, ui);
        ui.DoModal(dlg);
    });
    router.On(ID_HELP_FINDER,
              [&ui, &opener, programFolder] { OpenManual(programFolder, opener, ui); });
}

}  // namespace doc
