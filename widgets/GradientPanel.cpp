#include "widgets/GradientPanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace dosarium {

namespace {

QRgb opaque(const QColor &color)
{
    return qRgb(color.red(), color.green(), color.blue());
}

} // namespace

TGradientPanel::TGradientPanel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    resize(sizeHint());
}

void TGradientPanel::setColorFrom(const QColor &color)
{
    const QRgb rgb = opaque(color);
    if (rgb == m_colorFrom)
        return;
    m_colorFrom = rgb;
    changed();
}

void TGradientPanel::setColorTo(const QColor &color)
{
    const QRgb rgb = opaque(color);
    if (rgb == m_colorTo)
        return;
    m_colorTo = rgb;
    changed();
}

void TGradientPanel::setColorCount(int count)
{
    count = std::clamp(count, gradientMinColorCount, gradientMaxColorCount);
    if (count == m_colorCount)
        return;
    m_colorCount = count;
    changed();
}

void TGradientPanel::setDirection(TGradientDirection direction)
{
    if (direction == m_direction)
        return;
    m_direction = direction;
    changed();
}

void TGradientPanel::changed()
{
    m_picture = QImage();
    update();
}

void TGradientPanel::resizeEvent(QResizeEvent *event)
{
    m_picture = QImage();
    QWidget::resizeEvent(event);
}

void TGradientPanel::paintEvent(QPaintEvent *event)
{
    if (m_picture.isNull() || m_picture.size() != size())
        m_picture = renderGradient(size(), m_colorFrom, m_colorTo, m_colorCount, m_direction);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(event->rect().topLeft(), m_picture, event->rect());
}

} // namespace dosarium
