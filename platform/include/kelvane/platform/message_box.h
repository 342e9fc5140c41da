// The one message-box hook of the system. Libraries and the program ask for a
// message box through it; the console prints through it and tests script it.
#pragma once

#include <functional>
#include <string>

namespace kv {

// Button sets and icons, combined by OR as the callers pass them.
enum MessageBoxType : unsigned {
    kMbOk = 0x0000,
    kMbOkCancel = 0x0001,
    kMbYesNoCancel = 0x0003,
    kMbYesNo = 0x0004,
    kMbIconError = 0x0010,
    kMbIconQuestion = 0x0020,
    kMbIconWarning = 0x0030,
    kMbIconInformation = 0x0040,
    // The second button is the default one (Enter answers No, or Cancel).
    kMbDefButton2 = 0x0100,
};

// Button identifiers a message box answers with.
enum MessageBoxAnswer : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

using MessageBoxHandler =
    std::function<int(const std::string& text, const std::string& caption, unsigned type)>;

// Shows a message box through the installed handler. Without one, prints the
// caption and text to standard error and answers with the first button.
int messageBox(const std::string& text, const std::string& caption, unsigned type);

// Installs a handler (an empty one restores the default); returns the previous.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

// The answer the default handler gives for a button set: OK, or Yes; the
// second button when kMbDefButton2 is set.
int defaultAnswer(unsigned type);

}  // namespace kv
