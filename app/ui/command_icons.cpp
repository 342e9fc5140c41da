#include "command_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "command_ids.h"

namespace kv::ui {

namespace {

const QColor kInk(0x30, 0x30, 0x30);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kBlue(0x30, 0x60, 0xC0);
const QColor kGreen(0x20, 0x90, 0x40);
const QColor kRed(0xC0, 0x20, 0x30);
const QColor kYellow(0xE8, 0xB8, 0x30);

void Page(QPainter& p, int x, int y, int w, int h) {
    p.setPen(kInk);
    p.setBrush(kPaper);
    QPolygon outline({QPoint(x, y), QPoint(x + w - 3, y), QPoint(x + w, y + 3),
                      QPoint(x + w, y + h), QPoint(x, y + h)});
    p.drawPolygon(outline);
}

void Arrow(QPainter& p, bool up, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    if (up)
        p.drawPolygon(QPolygon({QPoint(8, 2), QPoint(14, 8), QPoint(10, 8), QPoint(10, 14),
                                QPoint(6, 14), QPoint(6, 8), QPoint(2, 8)}));
    else
        p.drawPolygon(QPolygon({QPoint(8, 14), QPoint(14, 8), QPoint(10, 8), QPoint(10, 2),
                                QPoint(6, 2), QPoint(6, 8), QPoint(2, 8)}));
}

void CommandLines(QPainter& p) {
    p.setPen(kInk);
    for (int y : {3, 7, 11})
        p.drawLine(7, y, 14, y);
}

void Draw(QPainter& p, int commandId) {
    switch (commandId) {
        case ID_FILE_NEW:
            Page(p, 3, 1, 10, 14);
            p.setPen(kYellow);
            p.drawLine(11, 9, 15, 13);
            p.drawLine(15, 9, 11, 13);
            break;
        case ID_FILE_OPEN:
            p.setPen(kInk);
            p.setBrush(kYellow);
            p.drawRect(1, 4, 13, 10);
            p.setBrush(kYellow.lighter(130));
            p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 14), QPoint(1, 14)}));
            break;
        case ID_FILE_SAVE:
            p.setPen(kInk);
            p.setBrush(kBlue);
            p.drawRect(1, 1, 13, 13);
            p.setBrush(kPaper);
            p.drawRect(4, 1, 7, 5);
            p.drawRect(3, 9, 9, 5);
            break;
        case ID_EDIT_CUT:
            p.setPen(QPen(kInk, 1.5));
            p.drawLine(4, 1, 10, 10);
            p.drawLine(11, 1, 5, 10);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(4, 12), 2.5, 2.5);
            p.drawEllipse(QPointF(11, 12), 2.5, 2.5);
            break;
        case ID_EDIT_COPY:
            Page(p, 1, 1, 8, 10);
            Page(p, 6, 5, 8, 10);
            break;
        case ID_EDIT_PASTE:
            p.setPen(kInk);
            p.setBrush(QColor(0xB0, 0x80, 0x40));
            p.drawRect(1, 2, 10, 13);
            p.setBrush(Qt::gray);
            p.drawRect(4, 1, 4, 3);
            Page(p, 6, 6, 8, 9);
            break;
        case ID_IMMEDIATE_EXECUTE:
            p.setPen(kGreen.darker(140));
            p.setBrush(kGreen);
            p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(13, 8), QPoint(4, 14)}));
            break;
        case ID_IMMEDIATE_MASS_ERASE:
            p.setPen(kInk);
            p.setBrush(QColor(0xF0, 0x90, 0xA0));
            p.drawPolygon(QPolygon({QPoint(1, 10), QPoint(8, 3), QPoint(14, 9), QPoint(7, 15)}));
            p.setBrush(kPaper);
            p.drawPolygon(QPolygon({QPoint(1, 10), QPoint(4, 7), QPoint(10, 13), QPoint(7, 15)}));
            break;
        case ID_IMMEDIATE_RESET: {
            p.setPen(QPen(kBlue, 2));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRect(2, 2, 12, 12), 60 * 16, 300 * 16);
            p.setPen(Qt::NoPen);
            p.setBrush(kBlue);
            p.drawPolygon(QPolygon({QPoint(9, 0), QPoint(14, 3), QPoint(9, 6)}));
            break;
        }
        case ID_IMMEDIATE_POWER_OFF:
            p.setPen(QPen(kRed, 2));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRect(2, 3, 12, 12), 120 * 16, 300 * 16);
            p.drawLine(8, 1, 8, 8);
            break;
        case ID_PROJECT_DELETE_COMMAND:
            CommandLines(p);
            p.setPen(QPen(kRed, 2));
            p.drawLine(1, 9, 7, 15);
            p.drawLine(7, 9, 1, 15);
            break;
        case ID_PROJECT_INSERT_COMMAND:
            CommandLines(p);
            p.setPen(Qt::NoPen);
            p.setBrush(kGreen);
            p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(6, 7), QPoint(1, 10)}));
            break;
        case ID_PROJECT_ADD_COMMAND:
            CommandLines(p);
            p.setPen(QPen(kGreen, 2));
            p.drawLine(4, 9, 4, 15);
            p.drawLine(1, 12, 7, 12);
            break;
        case ID_PROJECT_COMMAND_UP:
            Arrow(p, true, kBlue);
            break;
        case ID_PROJECT_COMMAND_DOWN:
            Arrow(p, false, kBlue);
            break;
        case ID_APP_ABOUT:
            p.setPen(kBlue.darker(130));
            p.setBrush(kBlue);
            p.drawEllipse(1, 1, 14, 14);
            p.setPen(QPen(kPaper, 2));
            p.drawPoint(8, 4);
            p.drawLine(8, 7, 8, 12);
            break;
        default:
            p.setPen(kInk);
            p.setBrush(Qt::lightGray);
            p.drawRect(2, 2, 11, 11);
            break;
    }
}

}  // namespace

QString CommandIconName(int commandId) {
    switch (commandId) {
        case ID_FILE_NEW:
            return QStringLiteral("document-new");
        case ID_FILE_OPEN:
            return QStringLiteral("document-open");
        case ID_FILE_SAVE:
            return QStringLiteral("document-save");
        case ID_EDIT_CUT:
            return QStringLiteral("edit-cut");
        case ID_EDIT_COPY:
            return QStringLiteral("edit-copy");
        case ID_EDIT_PASTE:
            return QStringLiteral("edit-paste");
        case ID_IMMEDIATE_EXECUTE:
            return QStringLiteral("media-playback-start");
        case ID_IMMEDIATE_MASS_ERASE:
            return QStringLiteral("edit-clear");
        case ID_IMMEDIATE_RESET:
            return QStringLiteral("view-refresh");
        case ID_IMMEDIATE_POWER_OFF:
            return QStringLiteral("system-shutdown");
        case ID_PROJECT_DELETE_COMMAND:
            return QStringLiteral("list-remove");
        case ID_PROJECT_INSERT_COMMAND:
            return QStringLiteral("insert-object");
        case ID_PROJECT_ADD_COMMAND:
            return QStringLiteral("list-add");
        case ID_PROJECT_COMMAND_UP:
            return QStringLiteral("go-up");
        case ID_PROJECT_COMMAND_DOWN:
            return QStringLiteral("go-down");
        case ID_APP_ABOUT:
            return QStringLiteral("help-about");
        default:
            return {};
    }
}

QIcon CommandFallbackIcon(int commandId) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, commandId);
    painter.end();
    return QIcon(pixmap);
}

QIcon CommandIcon(int commandId) {
    const QString name = CommandIconName(commandId);
    QIcon fallback = CommandFallbackIcon(commandId);
    return name.isEmpty() ? fallback : QIcon::fromTheme(name, fallback);
}

}  // namespace kv::ui
