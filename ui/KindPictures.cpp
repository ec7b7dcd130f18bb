#include "ui/KindPictures.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace dosarium {

namespace {

void drawMark(QPainter &p, const QRectF &box, const QString &mark, const QColor &color, int px)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(px);
    font.setBold(true);
    p.setFont(font);
    p.setPen(color);
    p.drawText(box, Qt::AlignCenter, mark);
}

void warning(QPainter &p)
{
    QPainterPath triangle;
    triangle.moveTo(16, 2);
    triangle.lineTo(30.5, 29);
    triangle.lineTo(1.5, 29);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xFF, 0xD8, 0x20));
    p.drawPath(triangle);
    drawMark(p, QRectF(0, 9, 32, 20), QStringLiteral("!"), Qt::black, 18);
}

void error(QPainter &p)
{
    p.setPen(QPen(QColor(0x80, 0x00, 0x00), 1.5));
    p.setBrush(QColor(0xE0, 0x10, 0x10));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
}

void bubble(QPainter &p, const QString &mark)
{
    QPainterPath shape;
    shape.addRoundedRect(QRectF(1.5, 1.5, 29, 22), 7, 7);
    QPainterPath tail;
    tail.moveTo(8, 21);
    tail.lineTo(6, 30.5);
    tail.lineTo(16, 22);
    tail.closeSubpath();
    shape = shape.united(tail);
    p.setPen(QPen(QColor(0x00, 0x20, 0x70), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x20, 0x60, 0xD0));
    p.drawPath(shape);
    drawMark(p, QRectF(1.5, 1.5, 29, 22), mark, Qt::white, 17);
}

} // namespace

QPixmap kindPicture(int picture)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    switch (picture) {
    case 0:
        warning(p);
        break;
    case 2:
        bubble(p, QStringLiteral("i"));
        break;
    case 3:
        bubble(p, QStringLiteral("?"));
        break;
    default:
        error(p);
        break;
    }
    return pixmap;
}

} // namespace dosarium
