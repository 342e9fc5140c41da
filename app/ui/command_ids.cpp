#include "command_ids.h"

namespace kv::ui {

const std::vector<MenuInfo>& MainMenu() {
    static const std::vector<MenuInfo> menus = {
        {"&File",
         {{ID_FILE_NEW, "&New", "Ctrl+N", "Create a new project\nNew"},
          {ID_FILE_OPEN, "&Open...", "Ctrl+O", "Open an existing project\nOpen"},
          {ID_FILE_SAVE, "&Save", "Ctrl+S", "Save the active project\nSave"},
          {ID_FILE_SAVE_AS, "Save &As...", "", "Save the active project with a new name\nSave As"},
          {0, nullptr, nullptr, nullptr},
          {ID_FILE_CLEAR_LOG, "&Clear Log", "", "Clear the execution log\nClear Log"},
          {0, nullptr, nullptr, nullptr},
          {ID_APP_EXIT, "E&xit", "", "Quit the application; prompts to save documents\nExit"}}},
        {"&Edit",
         {{ID_EDIT_UNDO, "&Undo", "Ctrl+Z", "Undo the last action\nUndo"},
          {0, nullptr, nullptr, nullptr},
          {ID_EDIT_CUT, "Cu&t", "Ctrl+X", "Cut the selection and put it on the Clipboard\nCut"},
          {ID_EDIT_COPY, "&Copy", "Ctrl+C", "Copy the selection and put it on the Clipboard\nCopy"},
          {ID_EDIT_PASTE, "&Paste", "Ctrl+V", "Insert Clipboard contents\nPaste"}}},
        {"&View",
         {{ID_VIEW_TOOLBAR, "&Toolbar", "", "Show or hide the toolbar\nToggle ToolBar"},
          {ID_VIEW_STATUS_BAR, "&Status Bar", "",
           "Show or hide the status bar\nToggle StatusBar"}}},
        {"&Immediate",
         {{ID_IMMEDIATE_EXECUTE, "&Execute", "", "Execute the current operation\nExecute"},
          {0, nullptr, nullptr, nullptr},
          {ID_IMMEDIATE_MASS_ERASE, "&Mass Erase", "", "Mass erase the entire device\nMass Erase"},
          {ID_IMMEDIATE_RESET, "&Reset", "", "Reset and release JTAG\nReset"},
          {ID_IMMEDIATE_POWER_OFF, "&Power Off", "", "Power down the target\nPower Off"},
          {ID_IMMEDIATE_BLOW_FUSE, "&Blow JTAG Fuse", "",
           "Blow target device JTAG fuse target\nBlow Fuse"},
          {0, nullptr, nullptr, nullptr},
          {ID_IMMEDIATE_READ_DEVICE, "Read Entire &Device ...", "",
           "Read from all target processor flash spaces\nRead Device"},
          {ID_IMMEDIATE_READ_RANGE, "Read R&ange ...", "",
           "Read from a spe"
           "cific target range\nRead Range"}}},
        // The Project commands' keys are the tree's (TreeKeys).
        {"&Project",
         {{ID_PROJECT_DELETE_COMMAND, "&Delete Command", "",
           "Delete the current command\nDelete Command"},
          {ID_PROJECT_INSERT_COMMAND, "&Insert Command ...", "",
           "Insert a new command\nInsert Command"},
          {ID_PROJECT_ADD_COMMAND, "&Add Command ...", "", "Add a new command\nAdd Command"},
          {0, nullptr, nullptr, nullptr},
          {ID_PROJECT_COMMAND_UP, "Move Command &Up", "", "Move command up\nCommand Up"},
          {ID_PROJECT_COMMAND_DOWN, "Move Command Do&wn", "", "Move command down\nCommand Down"}}},
        {"&Help",
         {{ID_APP_ABOUT, "&About Kelvane...", "",
           "Display program information, version number and copyright\nAbout"}}},
    };
    return menus;
}

const CommandInfo* FindCommand(int id) {
    for (const MenuInfo& menu : MainMenu()) {
        for (const CommandInfo& info : menu.commands) {
            if (info.id == id && info.id != 0) return &info;
        }
    }
    return nullptr;
}

std::string PromptText(const CommandInfo& info) {
    std::string text = info.prompt != nullptr ? info.prompt : "";
    return text.substr(0, text.find('\n'));
}

std::string TooltipText(const CommandInfo& info) {
    std::string text = info.prompt != nullptr ? info.prompt : "";
    std::size_t at = text.find('\n');
    return at == std::string::npos ? std::string() : text.substr(at + 1);
}

std::vector<const char*> AlternateShortcuts(int id) {
    switch (id) {
        case ID_EDIT_UNDO:
            return {"Alt+Backspace"};
        case ID_EDIT_CUT:
            return {"Shift+Del"};
        case ID_EDIT_COPY:
            return {"Ctrl+Ins"};
        case ID_EDIT_PASTE:
            return {"Shift+Ins"};
        default:
            return {};
    }
}

const std::vector<TreeKey>& TreeKeys() {
    // Add Command has no key: Ctrl+Insert is the window's Copy.
    static const std::vector<TreeKey> keys = {
        {ID_PROJECT_DELETE_COMMAND, "Delete"},
        {ID_PROJECT_INSERT_COMMAND, "Insert"},
        {ID_PROJECT_COMMAND_UP, "Ctrl+Up"},
        {ID_PROJECT_COMMAND_DOWN, "Ctrl+Down"},
    };
    return keys;
}

const char* TreeKeyOf(int id) {
    for (const TreeKey& key : TreeKeys()) {
        if (key.id == id) return key.key;
    }
    return nullptr;
}

const std::vector<int>& ToolbarCommands() {
    static const std::vector<int> commands = {ID_FILE_NEW,
                                              ID_FILE_OPEN,
                                              ID_FILE_SAVE,
                                              0,
                                              ID_EDIT_CUT,
                                              ID_EDIT_COPY,
                                              ID_EDIT_PASTE,
                                              0,
                                              ID_IMMEDIATE_EXECUTE,
                                              0,
                                              ID_IMMEDIATE_MASS_ERASE,
                                              ID_IMMEDIATE_RESET,
                                              ID_IMMEDIATE_POWER_OFF,
                                              0,
                                              ID_PROJECT_DELETE_COMMAND,
                                              ID_PROJECT_INSERT_COMMAND,
                                              ID_PROJECT_ADD_COMMAND,
                                              ID_PROJECT_COMMAND_UP,
                                              ID_PROJECT_COMMAND_DOWN,
                                              0,
                                              ID_APP_ABOUT};
    return commands;
}

}  // namespace kv::ui
