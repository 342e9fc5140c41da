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
    static const QColor colours[] = {QColor(0x30, 0x60, 0xC0), QColor(0x20, 0x90, 0x40),
                                     QColor(0xC0, 0x70, 0x10), QColor(0x80, 0x30, 0xA0),
                                     QColor(0x10, 0x90, 0x90), QColor(0xB0, 0x20, 0x40),
                                     QColor(0x60, 0x60, 0x60), QColor(0x90, 0x90, 0x10)};
    constexpr int kColours = static_cast<int>(sizeof colours / sizeof colours[0]);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QColor colour = colours[(index < 0 ? 0 : index) % kColours];
    painter.setBrush(colour);
    painter.setPen(colour.darker(160));
    painter.drawRoundedRect(2, 2, 11, 11, 2, 2);
    return QIcon(pixmap);
}

}  // namespace kv::ui
