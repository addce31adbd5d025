#include "doc/commands.h"

#include <algorithm>
#include <array>

namespace doc {

namespace {

// Labels and prompts as the program shows them. Commands whose prompt the framework
// supplied (its Japanese texts are not known here) carry prompts of our own, marked.
constexpr std::array kCommands{std::to_array<CommandText>({
    {ID_TOOL_MOVE, "移動(&M)", "選択した頂点を移動させる\n移動", false},
    {ID_TOOL_SELECT, "頂点選択(&C)", "頂点を選択・解除する\n選択", false},
    {ID_TEXTURE, "ﾃｸｽﾁｬ(&T)", "ﾌｧｲﾙからﾃｸｽﾁｬを読み込む\nﾃｸｽﾁｬを読み込む", false},
    {ID_WRAP, "ﾗｯﾌﾟ(&W)", "ﾃｸｽﾁｬのﾏｯﾋﾟﾝｸﾞの方法や方向を設定する\nﾗｯﾌﾟする", false},
    {ID_TEXTURE_REMOVE, "ﾃｸｽﾁｬを外す(&R)", "ﾃｸｽﾁｬを外す\nﾃｸｽﾁｬを外す", false},
    {ID_TOOL_ROTATE, "回転(&R)", "選択した頂点を回転させる\n回転", false},
    {ID_TOOL_SCALE, "拡大縮小(&E)", "選択した頂点を拡大・縮小する\n拡大縮小", false},
    {ID_SELECT_INVERT, "反転(&R)", "選択した頂点を非選択し、非選択の頂点を選択します\n反転", false},
    {ID_SELECT_CLEAR, "解除(&C)", "選択した頂点を全て解除します\n解除", false},
    {ID_MATERIAL, "ﾏﾃﾘｱﾙ(&M)", "ﾏﾃﾘｱﾙを設定する\nﾏﾃﾘｱﾙ", false},
    {ID_TOOL_POLYGON, "ﾎﾟﾘｺﾞﾝ作成(&M)", "ﾎﾟｲﾝﾄを3個以上作って、ﾎﾟﾘｺﾞﾝを作る\nﾎﾟﾘｺﾞﾝ作成", false},
    {ID_UNDO_POINT, "元に戻す(&U)\tCtrl+Z", "ﾎﾟﾘｺﾞﾝ作成時、最後に作成したﾎﾟｲﾝﾄを消す\nｱﾝﾄﾞｩ",
     false},
    {ID_NUMERIC_INPUT, "数値入力(&N)",
     "移動・回転・拡大・ストレッチの数値を入力して変形する\n数値入力", false},
    {ID_TOOL_STRETCH, "ｽﾄﾚｯﾁ(&S)", "選択した頂点を引き伸ばす\nｽﾄﾚｯﾁ", false},
    {ID_VIEW_FIT, "全体を表示(&F)\tHome", "ﾓﾃﾞﾙ全体が見えるように表示を合わせます\n全体を表示",
     true},
    {ID_VIEW_FIT_SELECTION, "選択部分を表示(&L)\tF",
     "選択した頂点が見えるように表示を合わせます(選択がなければﾓﾃﾞﾙ全体)\n選択部分を表示", true},
    {ID_VIEW_RESET, "表示を元に戻す(&R)",
     "表示の拡大率と位置、3Dﾋﾞｭｰの回転を最初の状態に戻します\n表示を元に戻す", true},
    {ID_EDIT_REDO, "やり直し(&R)\tCtrl+Y", "元に戻した操作をやり直します\nやり直し", true},
    {ID_FILE_NEW, "新規作成(&N)\tCtrl+N", "新しいﾓﾃﾞﾙを作成します\n新規作成", true},
    {ID_FILE_OPEN, "開く(&O)...\tCtrl+O", "ﾌｧｲﾙを開いて、ﾓﾃﾞﾙに読み込みます\n開く", true},
    {ID_FILE_SAVE, "", "ﾓﾃﾞﾙを保存します\n保存", true},
    {ID_FILE_SAVE_AS, "名前を付けて保存(&A)...", "ﾓﾃﾞﾙを名前を付けて保存します\n名前を付けて保存",
     true},
    {ID_FILE_MRU_FILE1, "最近使ったﾌｧｲﾙ", "このﾌｧｲﾙを開きます", true},
    {ID_EDIT_COPY, "ｺﾋﾟｰ(&C)\tCtrl+C", "選択範囲をｺﾋﾟｰします\nｺﾋﾟｰ", true},
    {ID_EDIT_CUT, "切り取り(&T)\tCtrl+X", "完全に選択された面を削除します\n切り取り", true},
    {ID_EDIT_PASTE, "貼り付け(&P)\tCtrl+V", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容を貼り付けます\n貼り付け", true},
    {ID_EDIT_UNDO, "", "直前の操作を元に戻します\n元に戻す", true},
    {ID_APP_ABOUT, "Kestrilune のﾊﾞｰｼﾞｮﾝ情報(&A)...",
     "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝ、著作権を表示します\nﾊﾞｰｼﾞｮﾝ情報", true},
    {ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", "ｱﾌﾟﾘｹｰｼｮﾝを終了します\n終了", true},
    {ID_HELP_FINDER, "ﾄﾋﾟｯｸの検索(&H)", "ﾍﾙﾌﾟの目次を表示します\nﾍﾙﾌﾟの目次", true},
    {ID_NEXT_PANE, "", "次のﾍﾟｲﾝに切り替えます\n次のﾍﾟｲﾝ", true},
    {ID_PREV_PANE, "", "前のﾍﾟｲﾝに切り替えます\n前のﾍﾟｲﾝ", true},
    {ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)", "ﾂｰﾙ ﾊﾞｰの表示/非表示を切り替えます\nﾂｰﾙ ﾊﾞｰの表示/非表示",
     true},
    {ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)",
     "ｽﾃｰﾀｽ ﾊﾞｰの表示/非表示を切り替えます\nｽﾃｰﾀｽ ﾊﾞｰの表示/非表示", true},
})};

constexpr std::array<int, 31> kToolBar{
    ID_FILE_NEW,
    ID_FILE_OPEN,
    ID_FILE_SAVE_AS,
    0,
    ID_EDIT_CUT,
    ID_EDIT_COPY,
    ID_EDIT_PASTE,
    0,
    ID_UNDO_POINT,
    ID_EDIT_REDO,
    0,
    ID_TOOL_SELECT,
    ID_TOOL_MOVE,
    ID_TOOL_ROTATE,
    ID_TOOL_SCALE,
    ID_TOOL_STRETCH,
    ID_NUMERIC_INPUT,
    0,
    ID_TOOL_POLYGON,
    0,
    ID_MATERIAL,
    ID_TEXTURE,
    ID_TEXTURE_REMOVE,
    ID_WRAP,
    0,
    ID_SELECT_INVERT,
    ID_SELECT_CLEAR,
    0,
    ID_APP_ABOUT,
    0,
    ID_VIEW_FIT,
};

constexpr std::array kAccelerators{
    Accelerator{"Ctrl+N", ID_FILE_NEW},    Accelerator{"Ctrl+O", ID_FILE_OPEN},
    Accelerator{"Ctrl+S", ID_FILE_SAVE},   Accelerator{"Ctrl+X", ID_EDIT_CUT},
    Accelerator{"Shift+Del", ID_EDIT_CUT}, Accelerator{"Del", ID_EDIT_CUT},
    Accelerator{"Ctrl+C", ID_EDIT_COPY},   Accelerator{"Ctrl+Ins", ID_EDIT_COPY},
    Accelerator{"Ctrl+V", ID_EDIT_PASTE},  Accelerator{"Shift+Ins", ID_EDIT_PASTE},
    Accelerator{"Ctrl+Z", ID_EDIT_UNDO},   Accelerator{"Alt+Backspace", ID_EDIT_UNDO},
    Accelerator{"Ctrl+Y", ID_EDIT_REDO},   Accelerator{"Ctrl+Shift+Z", ID_EDIT_REDO},
    Accelerator{"F6", ID_NEXT_PANE},       Accelerator{"Shift+F6", ID_PREV_PANE},
    Accelerator{"Home", ID_VIEW_FIT},      Accelerator{"F", ID_VIEW_FIT_SELECTION},
};

constexpr std::array<int, 6> kTools{ID_TOOL_SELECT, ID_TOOL_MOVE,    ID_TOOL_ROTATE,
                                    ID_TOOL_SCALE,  ID_TOOL_STRETCH, ID_TOOL_POLYGON};

constexpr std::array<std::string_view, 4> kIndicators{"ｶﾅ", "CAP", "NUM", "SCRL"};

}  // namespace

std::span<const CommandText> Commands() {
    return kCommands;
}

const CommandText* FindCommand(int id) {
    for (const CommandText& c : kCommands) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

std::string_view PromptOf(const CommandText& c) {
    return c.prompt.substr(0, c.prompt.find('\n'));
}
std::string_view ToolTipOf(const CommandText& c) {
    const std::size_t nl = c.prompt.find('\n');
    return nl == std::string_view::npos ? std::string_view{} : c.prompt.substr(nl + 1);
}

const std::vector<MenuDef>& MainMenu() {
    static const std::vector<MenuDef> menus{
        {"ﾌｧｲﾙ(&F)",
         {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE_AS, 0, ID_FILE_MRU_FILE1, 0, ID_APP_EXIT}},
        {"編集(&E)", {ID_UNDO_POINT, ID_EDIT_REDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE}},
        {"変形(&T)",
         {ID_TOOL_SELECT, ID_TOOL_MOVE, ID_TOOL_ROTATE, ID_TOOL_SCALE, ID_TOOL_STRETCH,
          ID_NUMERIC_INPUT}},
        {"ﾎﾟﾘｺﾞﾝ(&P)", {ID_TOOL_POLYGON}},
        {"表面(&S)", {ID_MATERIAL, ID_TEXTURE, ID_TEXTURE_REMOVE, ID_WRAP}},
        {"選択(&C)", {ID_SELECT_INVERT, ID_SELECT_CLEAR}},
        {"表示(&V)",
         {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, 0, ID_VIEW_FIT, ID_VIEW_FIT_SELECTION,
          ID_VIEW_RESET}},
        {"ﾍﾙﾌﾟ(&H)", {ID_HELP_FINDER, 0, ID_APP_ABOUT}},
    };
    return menus;
}

std::span<const int> ToolBarButtons() {
    return kToolBar;
}
std::span<const Accelerator> Accelerators() {
    return kAccelerators;
}
std::span<const int> ToolCommands() {
    return kTools;
}
std::span<const std::string_view> StatusIndicators() {
    return kIndicators;
}

void CommandRouter::On(int id, Handler handler, Query enabled, Query checked) {
    entries_[id] = Entry{std::move(handler), std::move(enabled), std::move(checked)};
}

void CommandRouter::SetPrompt(int id, std::function<std::string()> prompt) {
    prompts_[id] = std::move(prompt);
}

std::string CommandRouter::Prompt(int id) const {
    const auto it = prompts_.find(id);
    return it == prompts_.end() || !it->second ? std::string{} : it->second();
}

bool CommandRouter::HasHandler(int id) const {
    const auto it = entries_.find(id);
    return it != entries_.end() && it->second.handler;
}

bool CommandRouter::Execute(int id) {
    if (!IsEnabled(id)) return false;
    // Copy: a handler may replace its own registration.
    Handler h = entries_.at(id).handler;
    if (prelude_) prelude_();
    h();
    return true;
}

bool CommandRouter::IsEnabled(int id) const {
    const auto it = entries_.find(id);
    if (it == entries_.end() || !it->second.handler) return false;
    return !it->second.enabled || it->second.enabled();
}

bool CommandRouter::IsChecked(int id) const {
    const auto it = entries_.find(id);
    return it != entries_.end() && it->second.checked && it->second.checked();
}

}  // namespace doc
