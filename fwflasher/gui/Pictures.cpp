#include "Pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace oltrex::fwflasher {
namespace {

const QColor kKeyBody(0x1F, 0x3B, 0x73);
const QColor kMetal(0xB8, 0xBE, 0xC6);
const QColor kLed(0x2E, 0xC4, 0x4B);

// A key lying flat, plug to the right, inside `area`.
void drawKey(QPainter& p, const QRectF& area) {
    const qreal plugWidth = area.width() * 0.24;
    const QRectF body(area.left(), area.top(), area.width() - plugWidth, area.height());
    const QRectF plug(body.right(), area.top() + area.height() * 0.22, plugWidth,
                      area.height() * 0.56);
    p.setPen(QPen(kMetal.darker(140), 1));
    p.setBrush(kMetal);
    p.drawRect(plug);
    p.setBrush(Qt::white);
    const qreal hole = plug.height() * 0.22;
    p.drawRect(QRectF(plug.left() + plug.width() * 0.3, plug.top() + hole, hole, hole));
    p.drawRect(QRectF(plug.left() + plug.width() * 0.3, plug.bottom() - 2 * hole, hole, hole));

    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, kKeyBody.lighter(140));
    shade.setColorAt(1, kKeyBody);
    p.setPen(QPen(kKeyBody.darker(150), 1));
    p.setBrush(shade);
    p.drawRoundedRect(body, body.height() * 0.2, body.height() * 0.2);

    p.setPen(Qt::white);
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(body.height() * 0.42));
    p.setFont(font);
    p.drawText(body.adjusted(0, 0, -body.width() * 0.12, 0), Qt::AlignCenter, QStringLiteral("OX"));
    p.setPen(Qt::NoPen);
    p.setBrush(kLed);
    const qreal led = body.height() * 0.14;
    p.drawEllipse(QRectF(body.right() - 2.2 * led, body.top() + led, led, led));
}

}  // namespace

QPixmap keyPicture() {
    QPixmap picture(50, 50);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    drawKey(p, QRectF(2, 14, 46, 22));
    return picture;
}

QPixmap adapterPicture() {
    QPixmap picture(129, 105);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // The adapter: a grey box with its cable, the key plugged in from the left.
    const QRectF adapter(62, 30, 52, 44);
    p.setPen(QPen(QColor(0x55, 0x5B, 0x63), 1));
    p.setBrush(QColor(0x8A, 0x92, 0x9C));
    p.drawRoundedRect(adapter, 6, 6);
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3));
    p.drawLine(QPointF(adapter.right(), adapter.center().y()),
               QPointF(127, adapter.center().y() + 18));
    drawKey(p, QRectF(6, 40, 70, 24));
    p.setPen(QColor(0x1F, 0x3B, 0x73));
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(15);
    p.setFont(font);
    p.drawText(QRectF(0, 4, 129, 20), Qt::AlignCenter, QStringLiteral("OLTREX-Key"));
    font.setBold(false);
    font.setPixelSize(10);
    p.setFont(font);
    p.drawText(QRectF(0, 82, 129, 18), Qt::AlignCenter, QStringLiteral("OLTREX-Adapter"));
    return picture;
}

}  // namespace oltrex::fwflasher
