// Message texts and captions of the program, in one place. Texts marked "ours" are the
// program's own words where the original gave none; everything else is shown exactly as
// written here. printf-style texts take their arguments in the order given.
#pragma once

#include <string>
#include <string_view>

namespace doc::text {

// Names and titles.
inline constexpr std::string_view kAppName = "Kestrilune";
inline constexpr std::string_view kUntitled = "無題";  // ours: the framework's untitled name

// ours: the status bar's message while nothing else is shown (the framework's idle text)
inline constexpr std::string_view kIdleMessage = "ﾚﾃﾞｨ";

// Captions.
inline constexpr std::string_view kErrorCaption = "エラー";
inline constexpr std::string_view kReaderErrorCaption = "ERROR";

// File commands.
inline constexpr std::string_view kCannotCreate = "%sを作成できませんでした。\n";  // path
// ours: the model's limits dropped part of an imported file (faces, corners)
inline constexpr std::string_view kDroppedOnRead =
    "モデルの上限(面は5000個まで、1つの面の頂点は16個まで)を超えたため、"
    "%d個の面と%d個の頂点を読み込めませんでした。\n"
    "このまま上書き保存すると、元のファイルの一部が失われます。";
inline constexpr std::string_view kDroppedCaption = "警告";  // ours
// ours: status-bar text after a failed read (file name, reason)
inline constexpr std::string_view kCannotRead = "%sを読み込めませんでした: %s";
// ours: status-bar text when no reader takes the extension (file name)
inline constexpr std::string_view kUnknownFormat = "%sは読み込めない形式です";

// Start-up: the hardware accelerator question.
inline constexpr std::string_view kHalQuestion = "Direct3D HALを使いますか？";
inline constexpr std::string_view kHalCaption =
    "Direct3Dハードウェアアクセラレイターを検出しました";

// 3D pane set-up failures (shown with the program's name as caption and an OK button).
inline constexpr std::string_view kD3DInitFailed = "Direct3Dの初期化に失敗しました";
inline constexpr std::string_view kWindowModeFailed =
    "Direct3D-WindowModeの初期化に失敗しました。\n"
    "ハードウェアアクセラレーションを使用している場合はVRAMが足りないと予測されます。\n"
    "解像度を下げてください。";
inline constexpr std::string_view kNoViewportAndScene = "ビューポートとシーンを作成できません";

// About box.
inline constexpr std::string_view kAboutTitle = "Kestriluneのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr std::string_view kAboutVersion = "Kestrilune Version 1.0";
inline constexpr std::string_view kAboutSecondLine = "ポリゴンモデラー・コンバーター";  // ours
inline constexpr std::string_view kAboutWebTarget =
    "https://github.com/kestrilune/kestrilune";                                 // ours
inline constexpr std::string_view kAboutMailTarget = "kestrilune@example.org";  // ours
inline constexpr std::string_view kHyperlinkError = "Unable to open hyperlink:\n\n";
// The text for a shell error code (an unknown code gives "Unknown Error (%d) occurred.").
std::string ShellErrorText(int code);

// Help: ours, when the manual cannot be opened (path)
inline constexpr std::string_view kNoManual = "ヘルプファイル %s を開けませんでした。";

// printf with one string or int argument, into a std::string.
std::string Format(std::string_view format, const std::string& arg);
std::string Format(std::string_view format, int arg);
std::string Format(std::string_view format, int a, int b);
std::string Format(std::string_view format, const std::string& a, const std::string& b);

}  // namespace doc::text
