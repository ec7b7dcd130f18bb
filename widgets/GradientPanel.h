// TGradientPanel: the background control that shades a window or a band of it with solid bands
// stepping from one colour to another.
#pragma once

#include "widgets/GradientBands.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace dosarium {

class TGradientPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor ColorFrom READ ColorFrom WRITE setColorFrom)
    Q_PROPERTY(QColor ColorTo READ ColorTo WRITE setColorTo)
    Q_PROPERTY(int ColorCount READ ColorCount WRITE setColorCount)
    Q_PROPERTY(dosarium::TGradientDirection Direction READ Direction WRITE setDirection)

public:
    explicit TGradientPanel(QWidget *parent = nullptr);

    QColor ColorFrom() const { return QColor(m_colorFrom); }
    QColor ColorTo() const { return QColor(m_colorTo); }
    int ColorCount() const { return m_colorCount; }
    TGradientDirection Direction() const { return m_direction; }

    // Each setter repaints when the value changes and does nothing when it is the current one.
    // Only the red, green and blue bytes of a colour count.
    void setColorFrom(const QColor &color);
    void setColorTo(const QColor &color);
    // Kept within 1 to 255.
    void setColorCount(int count);
    void setDirection(TGradientDirection direction);

    QSize sizeHint() const override { return {100, 100}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void changed();

    QRgb m_colorFrom = qRgb(0x00, 0x00, 0xFF);
    QRgb m_colorTo = qRgb(0x00, 0x00, 0x00);
    int m_colorCount = 64;
    TGradientDirection m_direction = TGradientDirection::TopToBottom;
    QImage m_picture; // the bands at the current size; null when a setting or the size changed
};

} // namespace dosarium
