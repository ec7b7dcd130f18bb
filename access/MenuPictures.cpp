#include "access/MenuPictures.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace dosarium::MenuPictures {

namespace {

QPixmap blank()
{
    QPixmap picture(Size, Size);
    picture.fill(Qt::transparent);
    return picture;
}

const QColor Outline(0x10, 0x18, 0x30);

} // namespace

QPixmap archive()
{
    QPixmap picture = blank();
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Outline, 1));
    // Two sheets standing out of the drawer.
    p.setBrush(QColor(0xF4, 0xF4, 0xEE));
    p.drawRect(QRectF(8.5, 3.5, 14, 15));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11.5, 6.5, 14, 14));
    p.setPen(QPen(QColor(0x70, 0x80, 0xA0), 1));
    for (int y = 10; y <= 16; y += 3)
        p.drawLine(QPointF(14, y + 0.5), QPointF(23, y + 0.5));
    // The drawer, shaded from light to dark gold.
    QLinearGradient front(0, 15, 0, 30);
    front.setColorAt(0, QColor(0xF0, 0xC8, 0x50));
    front.setColorAt(1, QColor(0xB8, 0x84, 0x10));
    p.setPen(QPen(Outline, 1));
    p.setBrush(front);
    p.drawRoundedRect(QRectF(2.5, 15.5, 27, 14), 2, 2);
    // Its handle.
    p.setBrush(QColor(0x50, 0x38, 0x08));
    p.drawRoundedRect(QRectF(11.5, 20.5, 9, 3), 1, 1);
    return picture;
}

QPixmap settings()
{
    QPixmap picture = blank();
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(14, 14);
    // The gear: ten teeth around a wheel with a hole.
    QPainterPath gear;
    const int teeth = 10;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * std::numbers::pi / teeth;
        const double a1 = (i + 0.5) * std::numbers::pi / teeth;
        const double r = i % 2 == 0 ? 12.5 : 9.5;
        const QPointF from = centre + QPointF(r * std::cos(a0), r * std::sin(a0));
        const QPointF to = centre + QPointF(r * std::cos(a1), r * std::sin(a1));
        if (i == 0)
            gear.moveTo(from);
        else
            gear.lineTo(from);
        gear.lineTo(to);
    }
    gear.closeSubpath();
    gear.addEllipse(centre, 4, 4);
    gear.setFillRule(Qt::OddEvenFill);
    QRadialGradient steel(centre, 13, centre - QPointF(4, 4));
    steel.setColorAt(0, QColor(0xF0, 0xF4, 0xFA));
    steel.setColorAt(1, QColor(0x80, 0x90, 0xA8));
    p.setPen(QPen(Outline, 1));
    p.setBrush(steel);
    p.drawPath(gear);
    // A wrench across the lower right: a handle and an open jaw.
    p.translate(22, 22);
    p.rotate(45);
    QPainterPath wrench;
    wrench.addRoundedRect(QRectF(-2.5, -3, 5, 13), 2, 2);
    wrench.addEllipse(QPointF(0, -6), 5, 5);
    QPainterPath jaw;
    jaw.addRect(QRectF(-2, -12, 4, 7));
    p.setBrush(QColor(0xE8, 0x60, 0x20));
    p.drawPath(wrench.simplified().subtracted(jaw));
    return picture;
}

QPixmap exit()
{
    QPixmap picture = blank();
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Outline, 1));
    // The door frame and the open door.
    p.setBrush(QColor(0x30, 0x30, 0x40));
    p.drawRect(QRectF(4.5, 2.5, 16, 27));
    QLinearGradient wood(4, 0, 16, 0);
    wood.setColorAt(0, QColor(0xC0, 0x70, 0x30));
    wood.setColorAt(1, QColor(0x80, 0x40, 0x18));
    p.setBrush(wood);
    QPolygonF door;
    door << QPointF(4.5, 2.5) << QPointF(13.5, 5.5) << QPointF(13.5, 31.5) << QPointF(4.5, 29.5);
    p.drawPolygon(door);
    p.setBrush(QColor(0xF0, 0xD0, 0x40));
    p.drawEllipse(QPointF(11.5, 18), 1.2, 1.2);
    // The arrow going out to the right.
    QPolygonF arrow;
    arrow << QPointF(15, 13.5) << QPointF(23, 13.5) << QPointF(23, 9) << QPointF(31, 17)
          << QPointF(23, 25) << QPointF(23, 20.5) << QPointF(15, 20.5);
    p.setBrush(QColor(0x30, 0xD0, 0x40));
    p.drawPolygon(arrow);
    return picture;
}

} // namespace dosarium::MenuPictures
