#include "oltrex/keyfetch/gui/KeyFetchArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace oltrex {
namespace {

const QColor kBody(24, 64, 128);
const QColor kBodyLight(70, 120, 190);
const QColor kMetal(190, 190, 196);
const QColor kArrow(236, 140, 24);

// The key lying on its side: plug on the left, body on the right, in a
// rectangle of the given size.
void drawKey(QPainter& p, const QRectF& area) {
    const qreal w = area.width(), h = area.height();
    const QRectF plug(area.left(), area.top() + h * 0.30, w * 0.26, h * 0.40);
    const QRectF body(area.left() + w * 0.24, area.top() + h * 0.18, w * 0.76, h * 0.64);

    p.setPen(QPen(QColor(90, 90, 96), qMax<qreal>(1.0, w / 40)));
    p.setBrush(kMetal);
    p.drawRect(plug);
    p.setBrush(QColor(120, 120, 126));
    p.drawRect(QRectF(plug.left() + plug.width() * 0.25, plug.top() + plug.height() * 0.22, plug.width() * 0.2,
                      plug.height() * 0.18));
    p.drawRect(QRectF(plug.left() + plug.width() * 0.25, plug.top() + plug.height() * 0.60, plug.width() * 0.2,
                      plug.height() * 0.18));

    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, kBodyLight);
    shade.setColorAt(1, kBody);
    p.setBrush(shade);
    p.setPen(QPen(kBody.darker(140), qMax<qreal>(1.0, w / 40)));
    p.drawRoundedRect(body, h * 0.12, h * 0.12);
}

void drawArrow(QPainter& p, const QRectF& area) {
    QPainterPath arrow;
    const qreal cx = area.center().x(), w = area.width(), h = area.height();
    arrow.moveTo(cx - w * 0.18, area.top());
    arrow.lineTo(cx + w * 0.18, area.top());
    arrow.lineTo(cx + w * 0.18, area.top() + h * 0.5);
    arrow.lineTo(cx + w * 0.45, area.top() + h * 0.5);
    arrow.lineTo(cx, area.bottom());
    arrow.lineTo(cx - w * 0.45, area.top() + h * 0.5);
    arrow.lineTo(cx - w * 0.18, area.top() + h * 0.5);
    arrow.closeSubpath();
    p.setPen(QPen(kArrow.darker(150), qMax<qreal>(1.0, w / 16)));
    p.setBrush(kArrow);
    p.drawPath(arrow);
}

QPixmap iconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawKey(p, QRectF(0, size * 0.05, size, size * 0.6));
    drawArrow(p, QRectF(size * 0.35, size * 0.45, size * 0.6, size * 0.52));
    return pixmap;
}

}  // namespace

QIcon keyFetchIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(iconPixmap(size));
    return icon;
}

QPixmap keyPicture(const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF key(0, size.height() * 0.1, size.width(), size.height() * 0.7);
    drawKey(p, key);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(qMax(6, static_cast<int>(size.height() * 0.18)));
    p.setFont(font);
    p.setPen(Qt::white);
    const QRectF label(key.left() + key.width() * 0.26, key.top() + key.height() * 0.18, key.width() * 0.72,
                       key.height() * 0.64);
    p.drawText(label, Qt::AlignCenter, QStringLiteral("OLTREX"));
    return pixmap;
}

}  // namespace oltrex
