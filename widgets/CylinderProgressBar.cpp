#include "widgets/CylinderProgressBar.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>

namespace dosarium {

namespace {

QRgb opaque(const QColor &color)
{
    return qRgb(color.red(), color.green(), color.blue());
}

constexpr int roundCornerRadius = 5;

// The first column of the first block and of the unfilled part, whatever the margin: on a bar
// 9 pixels thick or less the filled part starts two columns earlier.
constexpr int firstBlockColumn = 3;

QString percentText(double percent)
{
    return QString::number(percent, 'g', 15);
}

} // namespace

TCylinderProgressBar::TCylinderProgressBar(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    resize(sizeHint());
    applyPosition();
}

template <typename T> void TCylinderProgressBar::assign(T &member, const T &value)
{
    if (member == value)
        return;
    member = value;
    update();
}

void TCylinderProgressBar::setOrientation(TBarOrientation orientation)
{
    if (orientation == m_orientation)
        return;
    m_orientation = orientation;
    applyPosition();
    update();
}

void TCylinderProgressBar::setBarKind(TBarKind kind)
{
    assign(m_barKind, kind);
}

void TCylinderProgressBar::setBarLook(TBarLook look)
{
    assign(m_barLook, look);
}

void TCylinderProgressBar::setRoundCorner(bool round)
{
    assign(m_roundCorner, round);
}

void TCylinderProgressBar::setShaped(bool shaped)
{
    assign(m_shaped, shaped);
}

void TCylinderProgressBar::setShapeColor(const QColor &color)
{
    assign(m_shapeColor, opaque(color));
}

void TCylinderProgressBar::setBackgroundColor(const QColor &color)
{
    assign(m_backgroundColor, opaque(color));
}

void TCylinderProgressBar::setStartColor(const QColor &color)
{
    assign(m_startColor, opaque(color));
}

void TCylinderProgressBar::setFinalColor(const QColor &color)
{
    assign(m_finalColor, opaque(color));
}

void TCylinderProgressBar::setBarColor(const QColor &color)
{
    setStartColor(color);
    setFinalColor(color);
}

void TCylinderProgressBar::setShowInactivePos(bool show)
{
    assign(m_showInactivePos, show);
}

void TCylinderProgressBar::setInactivePosColor(const QColor &color)
{
    assign(m_inactivePosColor, opaque(color));
}

void TCylinderProgressBar::setInvertInactPos(bool invert)
{
    assign(m_invertInactPos, invert);
}

void TCylinderProgressBar::setBlockSize(int size)
{
    assign(m_blockSize, size);
}

void TCylinderProgressBar::setSpaceSize(int size)
{
    assign(m_spaceSize, size);
}

void TCylinderProgressBar::setShowFullBlock(bool show)
{
    assign(m_showFullBlock, show);
}

void TCylinderProgressBar::setMaximum(int maximum)
{
    maximum = std::max(maximum, 0);
    if (maximum == m_maximum)
        return;
    m_maximum = maximum;
    if (m_maximum == 0)
        m_filledEnd = 0; // an empty range shows an empty bar
    applyPosition();
    update();
}

void TCylinderProgressBar::setPosition(int position)
{
    if (position == m_position)
        return;
    m_position = position;
    applyPosition();
}

void TCylinderProgressBar::setCaption(const QString &caption)
{
    assign(m_caption, caption);
}

void TCylinderProgressBar::setCaptionAlign(Qt::Alignment align)
{
    assign(m_captionAlign, align);
}

void TCylinderProgressBar::setAutoCaption(bool on)
{
    if (on == m_autoCaption)
        return;
    m_autoCaption = on;
    applyPosition();
    update();
}

void TCylinderProgressBar::setShowPosAsPct(bool on)
{
    if (on == m_showPosAsPct)
        return;
    m_showPosAsPct = on;
    applyPosition();
    update();
}

void TCylinderProgressBar::setAutoHint(bool on)
{
    if (on == m_autoHint)
        return;
    m_autoHint = on;
    applyPosition();
}

int TCylinderProgressBar::barLength() const
{
    return m_orientation == boHorizontal ? width() : height();
}

int TCylinderProgressBar::thickness() const
{
    return m_orientation == boHorizontal ? height() : width();
}

int TCylinderProgressBar::borderWidth() const
{
    return cylinderBorderWidth(thickness());
}

int TCylinderProgressBar::margin() const
{
    return cylinderMargin(thickness());
}

int TCylinderProgressBar::usableLength() const
{
    return barLength() - margin();
}

CylinderBlocks TCylinderProgressBar::blockLayout() const
{
    CylinderBlocks blocks;
    blocks.blockSize = m_blockSize;
    blocks.spaceSize = m_spaceSize;
    blocks.firstColumn = firstBlockColumn;
    blocks.lastColumn = usableLength();
    return blocks;
}

int TCylinderProgressBar::drawnFillEnd() const
{
    const CylinderBlocks blocks = blockLayout();
    int column = std::min(m_filledEnd, blocks.lastColumn);
    while (column >= blocks.firstColumn &&
           (blocks.isGap(column) ||
            (m_showFullBlock && blocks.active() && blocks.blockEnd(column) > m_filledEnd)))
        --column;
    return std::max(column, blocks.firstColumn - 1);
}

void TCylinderProgressBar::applyPosition()
{
    if (m_maximum == 0)
        return;
    const int drawnBefore = drawnFillEnd();
    const QString captionBefore = m_caption;
    if (m_position > 0)
        m_position = std::min(m_position, m_maximum);
    const double percent = cylinderPercent(m_position, m_maximum);
    m_filledEnd = cylinderFilledEnd(m_position, m_maximum, usableLength(), margin());
    const QString shown = m_showPosAsPct ? percentText(percent) : QString::number(m_position);
    if (m_autoHint)
        setToolTip(m_showPosAsPct ? shown + QStringLiteral(" %") : shown);
    if (m_autoCaption)
        m_caption = m_showPosAsPct ? shown + QStringLiteral("%") : shown;
    // A long operation moves the fill by less than a pixel in most of its steps: those paint
    // nothing.
    if (drawnFillEnd() != drawnBefore || m_caption != captionBefore)
        update();
}

void TCylinderProgressBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    applyPosition();
}

void TCylinderProgressBar::drawBar(QImage &image) const
{
    const int across = thickness();
    const int m = margin();
    const int length = usableLength();
    const int first = m - 1;
    const int last = across - m; // last pixel across the bar; also the last shade index
    if (length < first || last < first)
        return;

    const bool cylinder = m_barKind == bkCylinder;
    const int shadeCount = across - m + 1;
    const auto shadesOf = [&](QRgb color, bool inverted) {
        return cylinder ? cylinderShades(color, shadeCount, m_barLook, inverted)
                        : QList<QRgb>(shadeCount, color);
    };
    const QList<QRgb> inactive =
        m_showInactivePos ? shadesOf(m_inactivePosColor, m_invertInactPos) : QList<QRgb>();

    const CylinderBlocks blocks = blockLayout();

    const bool vertical = m_orientation == boVertical;
    const int fullLength = barLength();
    QRgb lastColor = 0;
    QList<QRgb> activeShades;
    for (int along = first; along <= length; ++along) {
        if (blocks.isGap(along))
            continue;
        bool filled = along <= m_filledEnd;
        if (filled && m_showFullBlock && blocks.active() && blocks.blockEnd(along) > m_filledEnd)
            filled = false;
        const QList<QRgb> *shades = nullptr;
        if (filled) {
            const QRgb color = cylinderColumnColor(m_startColor, m_finalColor, along, length);
            if (activeShades.isEmpty() || color != lastColor) {
                activeShades = shadesOf(color, false);
                lastColor = color;
            }
            shades = &activeShades;
        } else if (m_showInactivePos && along >= firstBlockColumn) {
            shades = &inactive;
        } else {
            continue;
        }
        for (int j = first; j <= last; ++j) {
            if (vertical)
                image.setPixel(j, fullLength - 1 - along, (*shades)[j]);
            else
                image.setPixel(along, j, (*shades)[j]);
        }
    }
}

void TCylinderProgressBar::drawCaption(QPainter &painter) const
{
    if (m_caption.isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font());
    const int textHeight = metrics.size(Qt::TextSingleLine, QStringLiteral("Pg")).height();
    const int textWidth = metrics.horizontalAdvance(m_caption);
    int x = 0;
    if (m_captionAlign & Qt::AlignHCenter)
        x = (width() - textWidth) / 2;
    else if (m_captionAlign & Qt::AlignRight)
        x = width() - textWidth - 1;
    const int top = (height() - textHeight) / 2;
    painter.drawText(x, top + metrics.ascent(), m_caption);
}

void TCylinderProgressBar::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (m_shaped) {
        QPainter background(&image);
        const int radius = m_roundCorner ? roundCornerRadius : 0;
        background.setPen(QColor(m_shapeColor));
        background.setBrush(QColor(m_backgroundColor));
        background.drawRoundedRect(QRect(0, 0, width() - 1, height() - 1), radius, radius);
    }
    drawBar(image);
    QPainter painter(this);
    painter.drawImage(0, 0, image);
    drawCaption(painter);
}

} // namespace dosarium
