// The menu and toolbar commands of the main window: identifiers, menu texts
// and status prompts ("prompt\ntooltip").
#pragma once

#include <string>
#include <vector>

namespace kv::ui {

enum CommandId : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_CLEAR_LOG = 32803,
    ID_APP_EXIT = 57665,
    ID_EDIT_UNDO = 57643,
    ID_EDIT_CUT = 57635,
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE = 57637,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
    ID_IMMEDIATE_EXECUTE = 32786,
    ID_IMMEDIATE_MASS_ERASE = 32783,
    ID_IMMEDIATE_RESET = 32784,
    ID_IMMEDIATE_POWER_OFF = 32785,
    ID_IMMEDIATE_BLOW_FUSE = 32802,
    ID_IMMEDIATE_READ_DEVICE = 32772,
    ID_IMMEDIATE_READ_RANGE = 32773,
    ID_PROJECT_DELETE_COMMAND = 32787,
    ID_PROJECT_INSERT_COMMAND = 32799,
    ID_PROJECT_ADD_COMMAND = 32800,
    ID_PROJECT_COMMAND_UP = 32790,
    ID_PROJECT_COMMAND_DOWN = 32791,
    ID_APP_ABOUT = 57664,
};

struct CommandInfo {
    int id;
    // Menu text with "&" for the mnemonic; the shortcut is separate.
    const char* menuText;
    const char* shortcut;
    // "prompt\ntooltip".
    const char* prompt;
};

// Every command, grouped by menu in menu order.
struct MenuInfo {
    const char* title;
    std::vector<CommandInfo> commands;
};

const std::vector<MenuInfo>& MainMenu();
const CommandInfo* FindCommand(int id);
// The status prompt (before "\n") and the tooltip (after it).
std::string PromptText(const CommandInfo& info);
std::string TooltipText(const CommandInfo& info);
// The editing keys that do the same as a command's shortcut.
std::vector<const char*> AlternateShortcuts(int id);
// The keys the project tree acts on and the Project command each one runs;
// the Project menu shows them beside its entries.
struct TreeKey {
    int id;
    const char* key;
};
const std::vector<TreeKey>& TreeKeys();
// The tree's key of a command, or nullptr.
const char* TreeKeyOf(int id);
// The toolbar: command identifiers, 0 for a separator.
const std::vector<int>& ToolbarCommands();

}  // namespace kv::ui
