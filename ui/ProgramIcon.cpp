#include "ui/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace dosarium {

QImage programIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    const QColor outline(0x10, 0x18, 0x30);

    // The back of the folder, with its tab.
    QPainterPath back;
    back.moveTo(4, 14);
    back.lineTo(24, 14);
    back.lineTo(29, 19);
    back.lineTo(60, 19);
    back.lineTo(60, 56);
    back.lineTo(4, 56);
    back.closeSubpath();
    p.setPen(QPen(outline, 1.5));
    p.setBrush(QColor(0x2A, 0x3A, 0x5C));
    p.drawPath(back);

    // A sheet with lines of text, one of them in the archive's code.
    p.save();
    p.translate(32, 30);
    p.rotate(-8);
    p.setBrush(QColor(0xF4, 0xF4, 0xEE));
    p.drawRect(QRectF(-16, -24, 32, 36));
    p.setPen(QPen(QColor(0x70, 0x80, 0xA0), 2));
    for (int y = -18; y <= -6; y += 6)
        p.drawLine(QPointF(-11, y), QPointF(11, y));
    p.setPen(QPen(QColor(0x40, 0x40, 0xFF), 2, Qt::DotLine));
    p.drawLine(QPointF(-11, 0), QPointF(11, 0));
    p.restore();

    // The front of the folder, shaded from light to dark navy.
    QLinearGradient front(0, 28, 0, 58);
    front.setColorAt(0, QColor(0x4D, 0x60, 0x80));
    front.setColorAt(1, QColor(0x00, 0x00, 0x80));
    p.setPen(QPen(outline, 1.5));
    p.setBrush(front);
    QPainterPath lid;
    lid.moveTo(4, 30);
    lid.lineTo(60, 30);
    lid.lineTo(58, 58);
    lid.lineTo(6, 58);
    lid.closeSubpath();
    p.drawPath(lid);
    // Its label.
    p.setBrush(QColor(0xAC, 0xB8, 0xCC));
    p.drawRoundedRect(QRectF(22, 38, 20, 9), 2, 2);
    return image;
}

} // namespace dosarium
