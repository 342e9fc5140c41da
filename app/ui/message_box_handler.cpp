#include "message_box_handler.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "kelvane/platform/message_box.h"

namespace kv::ui {

namespace {

QMessageBox::Icon IconOf(unsigned type) {
    switch (type & 0xF0u) {
        case kMbIconError:
            return QMessageBox::Critical;
        case kMbIconQuestion:
            return QMessageBox::Question;
        case kMbIconWarning:
            return QMessageBox::Warning;
        case kMbIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

int Show(const std::string& text, const std::string& caption, unsigned type) {
    // While the window only takes its own picture nobody can answer: the box
    // is printed and gets the default answer.
    if (!qEnvironmentVariableIsEmpty("KELVANE_GRAB")) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return defaultAnswer(type);
    }
    QMessageBox box(IconOf(type), QString::fromStdString(caption.empty() ? "Kelvane" : caption),
                    QString::fromStdString(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    switch (type & 0x0Fu) {
        case kMbOkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case kMbYesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case kMbYesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    if ((type & kMbDefButton2) != 0) {
        const bool yesNo = (type & 0x0Fu) == kMbYesNo || (type & 0x0Fu) == kMbYesNoCancel;
        box.setDefaultButton(yesNo ? QMessageBox::No : QMessageBox::Cancel);
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return kIdYes;
        case QMessageBox::No:
            return kIdNo;
        case QMessageBox::Cancel:
            return kIdCancel;
        case QMessageBox::Ok:
            return kIdOk;
        default:
            // Closed from the title bar: the cancelling answer of the set.
            if ((type & 0x0Fu) == kMbYesNo) return kIdNo;
            if ((type & 0x0Fu) == kMbOk) return kIdOk;
            return kIdCancel;
    }
}

MessageBoxHandler& Previous() {
    static MessageBoxHandler previous;
    return previous;
}

}  // namespace

void InstallMessageBoxHandler() {
    Previous() = setMessageBoxHandler(Show);
}

void RemoveMessageBoxHandler() {
    setMessageBoxHandler(std::move(Previous()));
    Previous() = nullptr;
}

}  // namespace kv::ui
