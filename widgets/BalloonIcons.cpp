#include "widgets/BalloonIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace dosarium::BalloonIcons {

namespace {

QImage blankIcon()
{
    QImage image(IconSize, IconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void paintDisc(QPainter &p, const QColor &light, const QColor &dark)
{
    QRadialGradient shade(QPointF(12, 10), 20);
    shade.setColorAt(0, light);
    shade.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(140), 1));
    p.setBrush(shade);
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
}

QImage informationIcon()
{
    QImage image = blankIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintDisc(p, QColor(0x8C, 0xB8, 0xFF), QColor(0x10, 0x40, 0xC0));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(13.5, 6.5, 5, 5));
    QPainterPath stem;
    stem.addRoundedRect(QRectF(13.5, 13, 5, 13), 1.5, 1.5);
    p.drawPath(stem);
    return image;
}

QImage errorIcon()
{
    QImage image = blankIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintDisc(p, QColor(0xFF, 0x90, 0x80), QColor(0xC8, 0x00, 0x00));
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
    return image;
}

QImage warningIcon()
{
    QImage image = blankIcon();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(16, 2);
    triangle.lineTo(30.5, 29);
    triangle.lineTo(1.5, 29);
    triangle.closeSubpath();
    QLinearGradient shade(QPointF(0, 2), QPointF(0, 29));
    shade.setColorAt(0, QColor(0xFF, 0xF0, 0x80));
    shade.setColorAt(1, QColor(0xF0, 0xC0, 0x00));
    p.setPen(QPen(QColor(0x80, 0x60, 0x00), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(shade);
    p.drawPath(triangle);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath bar;
    bar.addRoundedRect(QRectF(14, 10, 4, 11), 1.5, 1.5);
    p.drawPath(bar);
    p.drawEllipse(QRectF(14, 22.5, 4, 4));
    return image;
}

} // namespace

QString resourceName(int iconKind)
{
    switch (iconKind) {
    case 0:
        return QStringLiteral("INFO");
    case 1:
        return QStringLiteral("ERROR");
    case 2:
        return QStringLiteral("WARNING");
    default:
        return {};
    }
}

QImage icon(const QString &resourceName)
{
    if (resourceName == QLatin1String("INFO"))
        return informationIcon();
    if (resourceName == QLatin1String("ERROR"))
        return errorIcon();
    if (resourceName == QLatin1String("WARNING"))
        return warningIcon();
    return {};
}

} // namespace dosarium::BalloonIcons
