#include "kelvane/platform/message_box.h"

#include <cstdio>
#include <mutex>

namespace kv {

namespace {
std::mutex handlerMutex;
MessageBoxHandler handler;
}  // namespace

int defaultAnswer(unsigned type) {
    if ((type & kMbDefButton2) != 0) {
        switch (type & 0x0F) {
            case kMbYesNo:
            case kMbYesNoCancel:
                return kIdNo;
            case kMbOkCancel:
                return kIdCancel;
            default:
                break;
        }
    }
    switch (type & 0x0F) {
        case kMbYesNo:
        case kMbYesNoCancel:
            return kIdYes;
        default:
            return kIdOk;
    }
}

int messageBox(const std::string& text, const std::string& caption, unsigned type) {
    MessageBoxHandler h;
    {
        std::lock_guard lock(handlerMutex);
        h = handler;
    }
    if (h) return h(text, caption, type);
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    return defaultAnswer(type);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler h) {
    std::lock_guard lock(handlerMutex);
    MessageBoxHandler previous = std::move(handler);
    handler = std::move(h);
    return previous;
}

}  // namespace kv
