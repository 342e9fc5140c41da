#include "status_bitmaps.h"

#include <QPainter>

namespace kv::ui {

QPixmap LoadStatusBitmap(StatusPicture picture) {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    if (picture == StatusPicture::None) return pixmap;
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor colour = picture == StatusPicture::Busy      ? QColor(0xE0, 0xB0, 0x00)
                    : picture == StatusPicture::Success ? QColor(0x20, 0xA0, 0x30)
                                                        : QColor(0xC8, 0x20, 0x20);
    painter.setBrush(colour);
    painter.setPen(QPen(colour.darker(150), 2));
    painter.drawEllipse(3, 3, 42, 42);
    painter.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (picture == StatusPicture::Success) {
        painter.drawPolyline(QPolygon({QPoint(14, 25), QPoint(21, 32), QPoint(34, 16)}));
    } else if (picture == StatusPicture::Failure) {
        painter.drawLine(16, 16, 32, 32);
        painter.drawLine(32, 16, 16, 32);
    } else {
        painter.drawLine(24, 13, 24, 25);
        painter.drawLine(24, 25, 32, 30);
    }
    return pixmap;
}

QIcon ItemImage(int index) {
    // Every index gets its own pair of colour and shape: eight colours, then
    // the next shape.
    static const QColor colours[] = {QColor(0x30, 0x60, 0xC0), QColor(0x20, 0x90, 0x40),
                                     QColor(0xC0, 0x70, 0x10), QColor(0x80, 0x30, 0xA0),
                                     QColor(0x10, 0x90, 0x90), QColor(0xB0, 0x20, 0x40),
                                     QColor(0x60, 0x60, 0x60), QColor(0x90, 0x90, 0x10)};
    constexpr int kColours = static_cast<int>(sizeof colours / sizeof colours[0]);
    constexpr int kShapes = 6;
    const int n = index < 0 ? 0 : index;
    const QColor colour = colours[n % kColours];
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(colour.darker(160));
    switch ((n / kColours) % kShapes) {
        case 0:
            painter.drawRoundedRect(2, 2, 11, 11, 2, 2);
            break;
        case 1:
            painter.drawEllipse(2, 2, 12, 12);
            break;
        case 2:
            painter.drawPolygon(QPolygon({QPoint(8, 1), QPoint(15, 8), QPoint(8, 15), QPoint(1, 8)}));
            break;
        case 3:
            painter.drawPolygon(QPolygon({QPoint(8, 2), QPoint(15, 14), QPoint(1, 14)}));
            break;
        case 4:
            // A chip with its pins.
            painter.drawRect(4, 3, 8, 10);
            for (int y = 4; y <= 11; y += 3) {
                painter.drawLine(1, y, 3, y);
                painter.drawLine(13, y, 15, y);
            }
            break;
        default:
            // A page with a folded corner.
            painter.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 15),
                                          QPoint(3, 15)}));
            break;
    }
    return QIcon(pixmap);
}

}  // namespace kv::ui
