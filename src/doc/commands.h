// The one table of the program's commands and texts: ids, menu labels (with the tab and
// the key text), status-bar prompts and tool tips, the menus, the tool bar, the
// accelerators, and every message text with its caption. The shell builds its menus, tool
// bar and shortcuts from it; the core shows its messages from it; tests read it.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace doc {

// Command ids. The framework's own commands keep the framework's numbers.
enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_MRU_FILE1 = 57616,  // the recent-file entries are 57616..57619
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57669,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_TOOL_MOVE = 32771,
    ID_TOOL_SELECT = 32772,
    ID_TEXTURE = 32776,
    ID_WRAP = 32777,
    ID_TEXTURE_REMOVE = 32778,
    ID_TOOL_ROTATE = 32782,
    ID_TOOL_SCALE = 32783,
    ID_SELECT_INVERT = 32786,
    ID_SELECT_CLEAR = 32788,
    ID_MATERIAL = 32792,
    ID_TOOL_POLYGON = 32801,
    ID_UNDO_POINT = 32802,
    ID_NUMERIC_INPUT = 32803,
    ID_TOOL_STRETCH = 32804,
    ID_EDIT_REDO = 32805,  // ours
    // ours: what the panes show
    ID_VIEW_FIT = 32810,
    ID_VIEW_FIT_SELECTION = 32811,
    ID_VIEW_RESET = 32812,
};
constexpr int RECENT_FILE_COUNT = 4;

struct CommandText {
    int id;
    std::string_view label;   // menu label, "&" before the mnemonic, "\t" before the keys
    std::string_view prompt;  // status-bar prompt, then "\n" and the tool tip (if any)
    bool ours;                // true: a text of our own (the framework's own is not known)
};
// Every command, in id order.
std::span<const CommandText> Commands();
// Null for an unknown id.
const CommandText* FindCommand(int id);
// The prompt part and the tool-tip part of a command's string.
std::string_view PromptOf(const CommandText& c);
std::string_view ToolTipOf(const CommandText& c);

// A menu of the menu bar: its label and its items (0 = separator).
struct MenuDef {
    std::string_view label;
    std::vector<int> items;
};
const std::vector<MenuDef>& MainMenu();

// Tool-bar buttons left to right (0 = separator). Buttons are 16 x 15 pixels.
std::span<const int> ToolBarButtons();
constexpr int TOOLBAR_BUTTON_WIDTH = 16;
constexpr int TOOLBAR_BUTTON_HEIGHT = 15;

// Accelerators; keys in the portable text form ("Ctrl+N", "Shift+Del", "Alt+Backspace").
struct Accelerator {
    std::string_view keys;
    int id;
};
std::span<const Accelerator> Accelerators();

// The six tool commands in check order: m_nToolCheck is the index of the checked one.
std::span<const int> ToolCommands();

// Status-bar indicators after the message pane: kana, caps lock, num lock, scroll lock.
std::span<const std::string_view> StatusIndicators();

// Routes a command id to the object that handles it, and answers the menu and tool-bar
// questions "enabled?" and "checked?". A command without a handler is disabled, as the
// framework showed Copy and Paste.
class CommandRouter {
  public:
    using Handler = std::function<void()>;
    using Query = std::function<bool()>;

    // Registers (or replaces) the handler of `id`; an empty `enabled` means always
    // enabled, an empty `checked` never checked.
    void On(int id, Handler handler, Query enabled = {}, Query checked = {});
    bool HasHandler(int id) const;
    // A status-bar prompt that depends on the state (undo and redo name their step); an
    // empty result leaves the table's prompt.
    void SetPrompt(int id, std::function<std::string()> prompt);
    std::string Prompt(int id) const;
    // Runs before every handler that Execute runs (the main window ends mouse drags there,
    // so that no command works under a drag in progress).
    void SetPrelude(Handler prelude) { prelude_ = std::move(prelude); }
    // Runs the handler when there is one and it is enabled; false otherwise.
    bool Execute(int id);
    bool IsEnabled(int id) const;
    bool IsChecked(int id) const;

  private:
    struct Entry {
        Handler handler;
        Query enabled;
        Query checked;
    };
    std::map<int, Entry> entries_;
    std::map<int, std::function<std::string()>> prompts_;
    Handler prelude_;
};

}  // namespace doc
