#include "app/SplashLogo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace dosarium {

QPixmap splashLogo()
{
    QPixmap pixmap(73, 78);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(4, 22);
    back.lineTo(4, 12);
    back.lineTo(26, 12);
    back.lineTo(31, 18);
    back.lineTo(68, 18);
    back.lineTo(68, 70);
    back.lineTo(4, 70);
    back.closeSubpath();
    p.setPen(QPen(QColor(0x5A, 0x3A, 0x08), 1.5));
    p.setBrush(QColor(0xD9, 0x9A, 0x2B));
    p.drawPath(back);

    // Two sheets standing out of the folder, the front one with lines of text.
    p.setPen(QPen(QColor(0x60, 0x60, 0x70), 1));
    p.setBrush(QColor(0xF2, 0xF2, 0xF7));
    p.drawRect(QRectF(16, 4, 40, 46));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11, 9, 40, 46));
    p.setPen(QPen(QColor(0x4D, 0x60, 0x80), 2));
    for (int y = 17; y <= 41; y += 6)
        p.drawLine(QPointF(16, y), QPointF(y == 41 ? 34 : 46, y));

    // Front of the folder, shaded.
    QPainterPath front;
    front.moveTo(2, 34);
    front.lineTo(71, 34);
    front.lineTo(66, 72);
    front.lineTo(7, 72);
    front.closeSubpath();
    QLinearGradient shade(0, 34, 0, 72);
    shade.setColorAt(0, QColor(0xFF, 0xD0, 0x6A));
    shade.setColorAt(1, QColor(0xC9, 0x85, 0x1C));
    p.setPen(QPen(QColor(0x5A, 0x3A, 0x08), 1.5));
    p.setBrush(shade);
    p.drawPath(front);
    return pixmap;
}

} // namespace dosarium
