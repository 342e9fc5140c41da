#include "kelvane/app/app_message_box.h"

#include <cstdio>

#include "kelvane/platform/message_box.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

namespace {
bool g_consoleMode = false;
}

bool IsConsoleModeSet() {
    return g_consoleMode;
}
void SetConsoleModeFlag(bool console) {
    g_consoleMode = console;
}

int AppMessageBox(const std::string& text, unsigned type) {
    return messageBox(text, "Kelvane", type);
}

int ConsoleMessageBox(const std::string& raw, unsigned type) {
    // Texts may quote a file: its control bytes are shown, never sent raw.
    const std::string text = EscapeControlBytes(raw);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputs("\n", stdout);
    const char* answer = nullptr;
    int id = kIdCancel;
    switch (type & 7u) {
        case 0:
            answer = "OK? <Auto OK>\n";
            id = kIdOk;
            break;
        case 1:
            answer = "OK, cancel? <Auto Cancel>\n";
            break;
        case 2:
            answer = "Abort, retry, ignore? <Auto Abort>\n";
            id = 3;
            break;
        case 3:
            answer = "Yes, no, cancel? <Auto Cancel>\n";
            break;
        case 4:
            answer = "Yes, no? <Auto No>\n";
            id = kIdNo;
            break;
        case 5:
            answer = "Retry, cancel? <Auto Cancel>\n";
            break;
        default:
            break;
    }
    if (answer != nullptr) std::fputs(answer, stdout);
    std::fflush(stdout);
    return id;
}

}  // namespace kv
