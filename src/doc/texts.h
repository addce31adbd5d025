// Message texts and captions of the program, in one place. Texts marked "ours" are the
// program's own words where the original gave none; everything else is shown exactly as
// written here. printf-style texts take their arguments in the order given.
#pragma once

#include <string>
#include <string_view>

#include "ports/ui.h"

namespace doc::text {

// Names and titles.
inline constexpr std::string_view kAppName = ports::kProgramName;
inline constexpr std::string_view kUntitled = "無題";  // ours: the framework's untitled name

// ours: the status bar's message while nothing else is shown (the framework's idle text)
inline constexpr std::string_view kIdleMessage = "ﾚﾃﾞｨ";

// Captions.
inline constexpr std::string_view kErrorCaption = "エラー";
inline constexpr std::string_view kReaderErrorCaption = "ERROR";

// File commands.
inline constexpr std::string_view kCannotCreate = "%sを作成できませんでした。\n";  // path
// ours: the model's limits dropped part of an imported file (faces, corners)
// (the middle line names only what was dropped: kDroppedBoth, kDroppedFaces or
// kDroppedCorners)
inline constexpr std::string_view kDroppedOnRead =
    "モデルの上限(面は5000個まで、1つの面の頂点は16個まで)を超えたため、"
    "%sを読み込めませんでした。\n"
    "このまま上書き保存すると、元のファイルの一部が失われます。";
inline constexpr std::string_view kDroppedBoth = "%d個の面と%d個の頂点";
inline constexpr std::string_view kDroppedFaces = "%d個の面";
inline constexpr std::string_view kDroppedCorners = "%d個の頂点";
inline constexpr std::string_view kDroppedCaption = "警告";  // ours

// ours: the message box after a failed open (file name, reason); the reasons by failure
// kind, then the readers' common details; an unknown detail follows in its own words
inline constexpr std::string_view kOpenFailed = "%sを読み込めませんでした。\n%s";
inline constexpr std::string_view kOpenFailedCaption = "読み込みエラー";
inline constexpr std::string_view kFailUnreadable = "ファイルを開けないか、読み取れません。";
inline constexpr std::string_view kFailMalformed =
    "ファイルが壊れているか、この形式のファイルではありません。";
inline constexpr std::string_view kFailUnsupported =
    "この版または構成のファイルには対応していません。";
inline constexpr std::string_view kFailMergeRefused =
    "ファイルの面をモデルに追加できませんでした。";
inline constexpr std::string_view kFailNoModel = "読み込み先のモデルがありません。";
inline constexpr std::string_view kFailUnknownFormat =
    "拡張子が読み込める形式(x, lwo, obj, mqo, rok, dxf)のどれでもありません。";
inline constexpr std::string_view kDetailVersion = "ファイルの版(バージョン)に対応していません。";
inline constexpr std::string_view kDetailLayout = "このファイルの構成には対応していません。";
inline constexpr std::string_view kDetailNoFaces = "ファイルに面がありません。";
inline constexpr std::string_view kDetailTruncated = "ファイルが途中で終わっています。";
inline constexpr std::string_view kDetailDamaged = "ファイルの中身が壊れています。";
inline constexpr std::string_view kDetailNotThisFormat = "この形式のファイルではありません。";
inline constexpr std::string_view kDetailOutOfMemory = "メモリーが足りません。";
inline constexpr std::string_view kDetailAtLine = "%d行目で読めなくなりました。";
inline constexpr std::string_view kDetailAtOffset = "%dバイト目で読めなくなりました。";

// ours: the status bar after an open that moved the view so that the model shows
inline constexpr std::string_view kViewFitted = "ﾓﾃﾞﾙ全体が見えるように表示を合わせました";
// ours: the status bar's counts pane (vertices, faces, selected corners, fully selected
// faces)
inline constexpr std::string_view kCounts = "頂点 %d  面 %d  選択: 頂点 %d  面 %d";
// ours: status-bar text when a file of the other axis convention joins the model
inline constexpr std::string_view kMixedHandedness =
    "右手系と左手系のファイルが混在しています(左手系として保存します)";

// The 3D layer's messages (the accelerator question, the 3D pane's set-up failures) are in
// render/texts.h.

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

// Material dialog.
inline constexpr std::string_view kMaterialTitle = "ﾏﾃﾘｱﾙ";
inline constexpr std::string_view kMaterialColor = "Color";
inline constexpr std::string_view kMaterialTransparency = "透明度";
inline constexpr std::string_view kMaterialLeftEnd = "0%";
inline constexpr std::string_view kMaterialRightEnd = "100%";
inline constexpr std::string_view kMaterialQuality = "Quality";
inline constexpr std::string_view kMaterialWire = "Wire";
inline constexpr std::string_view kMaterialGouraud = "Gouraud";
inline constexpr std::string_view kMaterialFlat = "Flat";
inline constexpr std::string_view kDialogOk = "OK";
inline constexpr std::string_view kDialogCancel = "ｷｬﾝｾﾙ";

// Texture wrap dialog.
inline constexpr std::string_view kWrapTitle = "テクスチャー";
inline constexpr std::string_view kWrapMapping = "マッピング";
inline constexpr std::string_view kWrapPlane = "平面";
inline constexpr std::string_view kWrapCylinder = "円筒";
inline constexpr std::string_view kWrapSphere = "球体";
inline constexpr std::string_view kWrapAxis = "軸";
inline constexpr std::string_view kWrapAxisX = "Ｘ軸";
inline constexpr std::string_view kWrapAxisY = "Ｙ軸";
inline constexpr std::string_view kWrapAxisZ = "Ｚ軸";

// Textures. ours: a bitmap that could not be loaded (path, reason), and the reasons
inline constexpr std::string_view kTextureNotLoaded =
    "テクスチャー %s を読み込めませんでした。\n%s";
inline constexpr std::string_view kBitmapNotFound = "ファイルが見つかりません。";
inline constexpr std::string_view kBitmapUnreadable =
    "ビットマップとして読めないファイルです(RLE圧縮のビットマップには対応していません)。";
inline constexpr std::string_view kBitmapTooLarge =
    "ビットマップが大きすぎます(8192×8192ピクセル、256MBまで)。";
// ours: the same reasons for the other kinds of image, and for a file of no kind taken
inline constexpr std::string_view kPngUnreadable = "PNG画像として読めないファイルです。";
inline constexpr std::string_view kJpegUnreadable =
    "JPEG画像として読めないファイルです(算術符号化と12ビットのJPEGには対応していません)。";
inline constexpr std::string_view kTgaUnreadable = "TGA画像として読めないファイルです。";
inline constexpr std::string_view kImageUnreadable =
    "画像として読めないファイルです(BMP、PNG、JPEG、TGAに対応しています)。";
inline constexpr std::string_view kImageTooLarge =
    "画像が大きすぎます(8192×8192ピクセル、256MBまで)。";
// ours: status-bar text after a model whose named textures were not all found (count)
inline constexpr std::string_view kTexturesMissing = "%d個のテクスチャーを読み込めませんでした";

// Editing: polygon creation.
inline constexpr std::string_view kTooManyPoints = "ポイントは16個までです。";
inline constexpr std::string_view kTooFewPoints = "3個以上のポイントを作ってください。";
// ours: Enter while the model already holds 5000 faces
inline constexpr std::string_view kPolygonTableFull =
    "面は5000個までです。これ以上ポリゴンを追加できません。";
// ours: the new face's vertices would not fit the model's 80000 vertices
inline constexpr std::string_view kPolygonTooManyVertices =
    "頂点は80000個までです。これ以上ポリゴンを追加できません。";
// ours: the new mesh could not be built
inline constexpr std::string_view kPolygonRefused = "ポリゴンを追加できませんでした。";

// Editing: the numeric transform dialogs.
inline constexpr std::string_view kMoveTitle = "頂点移動";
inline constexpr std::string_view kScaleTitle = "拡大縮小";
inline constexpr std::string_view kStretchTitle = "ｽﾄﾚｯﾁ";
inline constexpr std::string_view kRotateTitle = "回転";
inline constexpr std::string_view kCentreGroup = "中心点";
inline constexpr std::string_view kRateGroup = "拡大率";
inline constexpr std::string_view kStretchRateGroup = "伸縮率";
inline constexpr std::string_view kAxisGroup = "回転軸";
inline constexpr std::string_view kAngleGroup = "回転角度";
inline constexpr std::string_view kPercentUnit = "%";
inline constexpr std::string_view kDegreeUnit = "゜";
inline constexpr std::string_view kAxisX = "X軸";
inline constexpr std::string_view kAxisY = "Y軸";
inline constexpr std::string_view kAxisZ = "Z軸";
// ours: the framework's prompt for a number field that does not hold a number
inline constexpr std::string_view kEnterNumber = "数値を入力してください。";

// Undo and redo (all ours): the steps' names in the prompts, and the prompts.
inline constexpr std::string_view kStepMove = "移動";
inline constexpr std::string_view kStepRotate = "回転";
inline constexpr std::string_view kStepScale = "拡大縮小";
inline constexpr std::string_view kStepStretch = "ｽﾄﾚｯﾁ";
inline constexpr std::string_view kStepNumericMove = "数値入力(移動)";
inline constexpr std::string_view kStepNumericRotate = "数値入力(回転)";
inline constexpr std::string_view kStepNumericScale = "数値入力(拡大縮小)";
inline constexpr std::string_view kStepNumericStretch = "数値入力(ｽﾄﾚｯﾁ)";
inline constexpr std::string_view kStepCut = "切り取り";
inline constexpr std::string_view kStepMaterial = "ﾏﾃﾘｱﾙ";
inline constexpr std::string_view kStepTexture = "ﾃｸｽﾁｬ";
inline constexpr std::string_view kStepRemoveTexture = "ﾃｸｽﾁｬを外す";
inline constexpr std::string_view kStepWrap = "ﾗｯﾌﾟ";
inline constexpr std::string_view kStepPolygon = "ﾎﾟﾘｺﾞﾝ作成";
inline constexpr std::string_view kStepOpen = "開く";
inline constexpr std::string_view kUndoStepPrompt = "直前の操作「%s」を元に戻します";  // step
inline constexpr std::string_view kRedoStepPrompt = "元に戻した操作「%s」をやり直します";
inline constexpr std::string_view kNothingToUndo = "元に戻す操作はありません";
inline constexpr std::string_view kNothingToRedo = "やり直す操作はありません";

// The question before a modified model is discarded (ours): text (document title),
// caption, and the three buttons.
inline constexpr std::string_view kSaveQuestion = "%sへの変更を保存しますか？";
inline constexpr std::string_view kSaveSave = "保存";
inline constexpr std::string_view kSaveDontSave = "保存しない";
inline constexpr std::string_view kSaveCancel = "キャンセル";
// ours: status-bar text after a save to a format that does not keep everything the model
// holds (file name, what the format leaves out)
inline constexpr std::string_view kSavedNotAll =
    "%sに保存しました。この形式には%sが保存されないため、変更済みのままです";
inline constexpr std::string_view kLostLwo = "テクスチャーと透明度";
inline constexpr std::string_view kLostMqo = "テクスチャー";
inline constexpr std::string_view kLostDxf = "色・透明度・テクスチャー";
inline constexpr std::string_view kLostDsm = "テクスチャーの画像と頂点の共有";

// printf with one string or int argument, into a std::string.
std::string Format(std::string_view format, const std::string& arg);
std::string Format(std::string_view format, int arg);
std::string Format(std::string_view format, int a, int b);
std::string Format(std::string_view format, int a, int b, int c, int d);
std::string Format(std::string_view format, const std::string& a, const std::string& b);

}  // namespace doc::text
