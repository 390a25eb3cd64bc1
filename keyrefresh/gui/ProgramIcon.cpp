#include "ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace oltrex::gui {

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 40, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal unit = size / 16.0;
        // A USB key with a refresh arrow: body, plug, arrow.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1f, 0x4e, 0x96));
        painter.drawRoundedRect(QRectF(1 * unit, 4 * unit, 10 * unit, 8 * unit), unit, unit);
        painter.setBrush(QColor(0xb0, 0xb0, 0xb0));
        painter.drawRect(QRectF(11 * unit, 5.5 * unit, 4 * unit, 5 * unit));
        painter.setPen(QPen(Qt::white, 1.4 * unit, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(3 * unit, 5.5 * unit, 5 * unit, 5 * unit), 30 * 16, 280 * 16);
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace oltrex::gui
