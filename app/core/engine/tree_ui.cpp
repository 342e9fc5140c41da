#include "kelvane/core/tree_ui.h"

#include <utility>

namespace kv {

namespace {

MessagePump& Pump() {
    static MessagePump pump;
    return pump;
}

DocumentModifiedHandler& ModifiedHandler() {
    static DocumentModifiedHandler handler;
    return handler;
}

}  // namespace

MessagePump SetMessagePump(MessagePump pump) {
    return std::exchange(Pump(), std::move(pump));
}

void PumpWindowMessages(int maxMessages) {
    if (Pump()) Pump()(maxMessages);
}

DocumentModifiedHandler SetDocumentModifiedHandler(DocumentModifiedHandler handler) {
    return std::exchange(ModifiedHandler(), std::move(handler));
}

void SetDocumentModified(int modified) {
    if (ModifiedHandler()) ModifiedHandler()(modified);
}

}  // namespace kv
