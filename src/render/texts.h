// The 3D layer's own message texts (the program's other texts are in doc/texts.h). Shown
// exactly as written here.
#pragma once

#include <string_view>

namespace render::text {

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

}  // namespace render::text
