#include "widgets/FlatSpeedButton.h"

#include "widgets/FlatColors.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace dosarium {

namespace {

constexpr int GlyphSpacing = 4;
constexpr int ContentMargin = 4;
constexpr int RoundedRadius = 6;

// Where the glyph and the caption go inside their block, by the button's layout.
void placeInBlock(TFlatSpeedButton::TButtonLayout layout, const QRect &block,
                  const QSize &glyphSize, const QSize &captionSize, int spacing, QPoint &glyphAt,
                  QRect &captionRect)
{
    const int x = block.left();
    const int y = block.top();
    switch (layout) {
    case TFlatSpeedButton::blGlyphLeft:
        glyphAt = QPoint(x, y + (block.height() - glyphSize.height()) / 2);
        captionRect =
            QRect(x + glyphSize.width() + spacing, y + (block.height() - captionSize.height()) / 2,
                  captionSize.width(), captionSize.height());
        break;
    case TFlatSpeedButton::blGlyphRight:
        captionRect = QRect(x, y + (block.height() - captionSize.height()) / 2, captionSize.width(),
                            captionSize.height());
        glyphAt = QPoint(x + captionSize.width() + spacing,
                         y + (block.height() - glyphSize.height()) / 2);
        break;
    case TFlatSpeedButton::blGlyphTop:
        glyphAt = QPoint(x + (block.width() - glyphSize.width()) / 2, y);
        captionRect =
            QRect(x + (block.width() - captionSize.width()) / 2, y + glyphSize.height() + spacing,
                  captionSize.width(), captionSize.height());
        break;
    case TFlatSpeedButton::blGlyphBottom:
        captionRect = QRect(x + (block.width() - captionSize.width()) / 2, y, captionSize.width(),
                            captionSize.height());
        glyphAt =
            QPoint(x + (block.width() - glyphSize.width()) / 2, y + captionSize.height() + spacing);
        break;
    }
}

} // namespace

TFlatSpeedButton::TFlatSpeedButton(QWidget *parent) : TFlatSpeedButton(QString(), parent) {}

TFlatSpeedButton::TFlatSpeedButton(const QString &caption, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(caption);
    setFocusPolicy(Qt::NoFocus);
    m_color = palette().color(QPalette::Button).toRgb();
    m_hotTrackFont = font();
    connect(this, &QAbstractButton::toggled, this, [this](bool down) {
        if (down)
            releaseOthersInGroup();
    });
}

TFlatSpeedButton::~TFlatSpeedButton()
{
    // No fade step may reach a button that is going away.
    stopTicker();
}

void TFlatSpeedButton::setColor(const QColor &color)
{
    m_color = color.toRgb();
    update();
}

void TFlatSpeedButton::setColorWhenDown(const QColor &color)
{
    m_colorWhenDown = color.isValid() ? color.toRgb() : QColor();
    update();
}

void TFlatSpeedButton::setHotTrackColor(const QColor &color)
{
    m_hotTrackColor = color.isValid() ? color.toRgb() : QColor();
    update();
}

void TFlatSpeedButton::setLightColor(const QColor &color)
{
    m_lightColor = color.toRgb();
    update();
}

void TFlatSpeedButton::setShadowColor(const QColor &color)
{
    m_shadowColor = color.toRgb();
    update();
}

void TFlatSpeedButton::setFontColor(const QColor &color)
{
    m_fontColor = color;
    update();
}

void TFlatSpeedButton::setHotTrackFont(const QFont &font)
{
    m_hotTrackFont = font;
    update();
}

void TFlatSpeedButton::setHotTrackFontColor(const QColor &color)
{
    m_hotTrackFontColor = color;
    update();
}

void TFlatSpeedButton::setButtonStyle(TFlatButtonStyle style)
{
    m_style = style;
    update();
}

void TFlatSpeedButton::setSlowDecease(bool on)
{
    if (on == m_slowDecease)
        return;
    m_slowDecease = on;
    if (on) {
        startTicker();
    } else {
        m_fadeStep = 0;
        stopTicker();
    }
    update();
}

void TFlatSpeedButton::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TFlatSpeedButton::setGlyphLayout(TButtonLayout layout)
{
    m_layout = layout;
    update();
}

void TFlatSpeedButton::setWordWrap(bool on)
{
    m_wordWrap = on;
    update();
}

void TFlatSpeedButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    updateGeometry();
    update();
}

void TFlatSpeedButton::setNumGlyphs(int count)
{
    m_numGlyphs = std::clamp(count, 1, 4);
    updateGeometry();
    update();
}

void TFlatSpeedButton::setFlat(bool on)
{
    m_flat = on;
    update();
}

void TFlatSpeedButton::setTransparent(bool on)
{
    m_transparent = on;
    update();
}

void TFlatSpeedButton::setGroupIndex(int index)
{
    m_groupIndex = index;
    if (index == 0)
        setChecked(false);
    setCheckable(index != 0);
    if (isChecked())
        releaseOthersInGroup();
    update();
}

void TFlatSpeedButton::setDownInGroup(bool down)
{
    if (m_groupIndex == 0 || down == isChecked())
        return;
    if (!down && !m_allowAllUp)
        return;
    setChecked(down);
}

void TFlatSpeedButton::setAllowAllUp(bool on)
{
    m_allowAllUp = on;
    // The whole group shares the rule.
    for (TFlatSpeedButton *other : groupMembers())
        other->m_allowAllUp = on;
}

QList<TFlatSpeedButton *> TFlatSpeedButton::groupMembers() const
{
    QList<TFlatSpeedButton *> members;
    if (m_groupIndex == 0 || !parentWidget())
        return members;
    const auto siblings =
        parentWidget()->findChildren<TFlatSpeedButton *>(Qt::FindDirectChildrenOnly);
    for (TFlatSpeedButton *other : siblings) {
        if (other != this && other->m_groupIndex == m_groupIndex)
            members.append(other);
    }
    return members;
}

void TFlatSpeedButton::releaseOthersInGroup()
{
    for (TFlatSpeedButton *other : groupMembers()) {
        if (other->isChecked())
            other->setChecked(false);
    }
}

void TFlatSpeedButton::nextCheckState()
{
    if (m_groupIndex == 0)
        return;
    if (!isChecked())
        setChecked(true);
    else if (m_allowAllUp)
        setChecked(false);
}

bool TFlatSpeedButton::looksDown() const
{
    return isDown() || isChecked();
}

bool TFlatSpeedButton::seeThrough() const
{
    return m_transparent || m_style == bsRounded;
}

QColor TFlatSpeedButton::currentFaceColor() const
{
    if (looksDown() && m_colorWhenDown.isValid())
        return m_colorWhenDown;
    if (isEnabled() && m_hotTrackColor.isValid())
        return FlatColors::fadeColor(m_color, m_hotTrackColor, m_fadeStep);
    return m_color;
}

// ---- the hover fade ----

void TFlatSpeedButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    if (!isEnabled() || !isVisible())
        return;
    m_hovered = true;
    m_fadeStep = FlatColors::FadeSteps;
    if (m_ticker)
        m_ticker->suspend();
    repaint();
}

void TFlatSpeedButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_hovered = false;
    if (m_slowDecease && m_fadeStep > 0) {
        if (!m_ticker)
            startTicker();
        if (m_ticker->isSuspended())
            m_ticker->resume();
    } else {
        m_fadeStep = 0;
    }
    repaint();
}

void TFlatSpeedButton::fadeOneStep()
{
    --m_fadeStep;
    if (m_fadeStep <= 0) {
        m_fadeStep = 0;
        if (m_ticker)
            m_ticker->suspend();
    }
    update();
}

void TFlatSpeedButton::startTicker()
{
    if (m_ticker)
        return;
    m_ticker = FadeTicker::create();
    m_ticker->suspend();
    connect(m_ticker.get(), &FadeTicker::tick, this, &TFlatSpeedButton::fadeOneStep);
}

void TFlatSpeedButton::stopTicker()
{
    if (!m_ticker)
        return;
    m_ticker->suspend();
    disconnect(m_ticker.get(), nullptr, this, nullptr);
    m_ticker.reset();
}

void TFlatSpeedButton::showEvent(QShowEvent *event)
{
    QAbstractButton::showEvent(event);
    if (m_slowDecease)
        startTicker();
}

void TFlatSpeedButton::hideEvent(QHideEvent *event)
{
    // A window that closes takes its fading buttons back to rest and frees their tickers.
    m_hovered = false;
    m_fadeStep = 0;
    stopTicker();
    QAbstractButton::hideEvent(event);
}

void TFlatSpeedButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_hovered = false;
        m_fadeStep = 0;
        if (m_ticker)
            m_ticker->suspend();
    }
    QAbstractButton::changeEvent(event);
}

// ---- painting ----

QSize TFlatSpeedButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    QSize caption = metrics.size(Qt::TextShowMnemonic, text());
    QSize glyphSize;
    if (!m_glyph.isNull())
        glyphSize = QSize(m_glyph.width() / m_numGlyphs, m_glyph.height());
    int w = caption.width();
    int h = caption.height();
    if (!glyphSize.isEmpty()) {
        const bool beside = m_layout == blGlyphLeft || m_layout == blGlyphRight;
        if (beside) {
            w += glyphSize.width() + (text().isEmpty() ? 0 : GlyphSpacing);
            h = std::max(h, glyphSize.height());
        } else {
            w = std::max(w, glyphSize.width());
            h += glyphSize.height() + (text().isEmpty() ? 0 : GlyphSpacing);
        }
    }
    return QSize(std::max(w + 2 * ContentMargin + 4, 23), std::max(h + 2 * ContentMargin, 22));
}

QImage TFlatSpeedButton::glyphImage() const
{
    if (m_glyph.isNull())
        return {};
    const int w = m_glyph.width() / m_numGlyphs;
    int index = 0;
    if (!isEnabled())
        index = 1;
    else if (isDown())
        index = 2;
    else if (isChecked())
        index = 3;
    if (index >= m_numGlyphs)
        index = 0;
    QImage image = m_glyph.toImage().copy(index * w, 0, w, m_glyph.height());
    if (!isEnabled() && m_numGlyphs < 2) {
        // No picture of its own for the disabled state: a faded copy of the up picture.
        QImage faded(image.size(), QImage::Format_ARGB32_Premultiplied);
        faded.fill(Qt::transparent);
        QPainter p(&faded);
        p.setOpacity(0.4);
        p.drawImage(0, 0, image);
        return faded;
    }
    return image;
}

void TFlatSpeedButton::drawFace(QPainter &p, const QRect &r) const
{
    const QColor face = currentFaceColor();
    const bool lit = m_fadeStep > 0 || looksDown();
    const bool fill = !m_transparent || lit;
    const bool bevel = !m_flat || m_hovered || looksDown();
    const QColor topLeft = looksDown() ? m_shadowColor : m_lightColor;
    const QColor bottomRight = looksDown() ? m_lightColor : m_shadowColor;

    switch (m_style) {
    case bsRounded: {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(r).adjusted(0, 0, -1, -1), RoundedRadius, RoundedRadius);
        if (fill)
            p.fillPath(shape, face);
        if (bevel) {
            p.setPen(bottomRight);
            p.drawPath(shape);
            QPainterPath highlight;
            highlight.addRoundedRect(QRectF(r).adjusted(1, 1, -2, -2), RoundedRadius - 1,
                                     RoundedRadius - 1);
            p.setPen(topLeft);
            p.setClipRect(QRect(r.left(), r.top(), r.width(), r.height() / 2));
            p.drawPath(highlight);
            p.setClipping(false);
        }
        break;
    }
    case bsGradient:
        if (fill)
            FlatColors::fillBands(p, r, m_lightColor, face);
        [[fallthrough]];
    case bsModern:
        if (m_style == bsModern && fill)
            p.fillRect(r, face);
        if (bevel) {
            p.setPen(topLeft);
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
        }
        break;
    }
}

void TFlatSpeedButton::drawContents(QPainter &p, const QRect &r) const
{
    const QImage picture = glyphImage();
    const QSize glyphSize = picture.isNull() ? QSize() : picture.size();
    QFont captionFont = m_hovered ? m_hotTrackFont : font();
    // Over the transparent colour the caption is drawn without smoothing, so that no pixel
    // mixes the caption with magenta.
    if (seeThrough())
        captionFont.setStyleStrategy(QFont::NoAntialias);
    QColor captionColor = m_hovered ? m_hotTrackFontColor : m_fontColor;
    if (!captionColor.isValid())
        captionColor = palette().color(QPalette::Active, QPalette::WindowText);
    if (!isEnabled())
        captionColor = FlatColors::fadeColor(captionColor, currentFaceColor(), 5);

    QRect area = r.adjusted(ContentMargin, ContentMargin, -ContentMargin, -ContentMargin);
    if (looksDown())
        area.translate(1, 1);

    const QString caption = text();
    const QFontMetrics metrics(captionFont);
    int textFlags = Qt::TextShowMnemonic | int(m_alignment);
    if (m_wordWrap)
        textFlags |= Qt::TextWordWrap;
    const bool beside = m_layout == blGlyphLeft || m_layout == blGlyphRight;
    const int spacing = glyphSize.isEmpty() || caption.isEmpty() ? 0 : GlyphSpacing;
    const int wrapWidth = beside ? area.width() - glyphSize.width() - spacing : area.width();
    const QSize captionSize =
        caption.isEmpty()
            ? QSize()
            : metrics.boundingRect(QRect(0, 0, std::max(wrapWidth, 1), 10000), textFlags, caption)
                  .size();

    // The glyph and the caption form one block, placed by the alignment across and centred
    // along the other direction.
    const QSize block = beside ? QSize(glyphSize.width() + spacing + captionSize.width(),
                                       std::max(glyphSize.height(), captionSize.height()))
                               : QSize(std::max(glyphSize.width(), captionSize.width()),
                                       glyphSize.height() + spacing + captionSize.height());
    int x = area.left() + (area.width() - block.width()) / 2;
    if (m_alignment & Qt::AlignLeft)
        x = area.left();
    else if (m_alignment & Qt::AlignRight)
        x = area.right() + 1 - block.width();
    const int y = area.top() + (area.height() - block.height()) / 2;

    QPoint glyphAt;
    QRect captionRect;
    placeInBlock(m_layout, QRect(QPoint(x, y), block), glyphSize, captionSize, spacing, glyphAt,
                 captionRect);

    if (!picture.isNull())
        p.drawImage(glyphAt, picture);
    if (!caption.isEmpty()) {
        p.setFont(captionFont);
        p.setPen(captionColor);
        p.drawText(captionRect, textFlags, caption);
    }
    if (hasFocus()) {
        QPen dotted(captionColor, 1, Qt::DotLine);
        p.setPen(dotted);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(3, 3, -4, -4));
    }
}

QImage TFlatSpeedButton::renderFace() const
{
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(seeThrough() ? QColor::fromRgb(TransparentColor) : currentFaceColor());
    {
        QPainter p(&image);
        const QRect r = rect();
        drawFace(p, r);
        drawContents(p, r);
    }
    if (!seeThrough())
        return image;
    QImage clear = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb magenta =
        qRgb(qRed(TransparentColor), qGreen(TransparentColor), qBlue(TransparentColor));
    for (int y = 0; y < clear.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(clear.scanLine(y));
        for (int x = 0; x < clear.width(); ++x) {
            if (line[x] == magenta)
                line[x] = 0;
        }
    }
    return clear;
}

void TFlatSpeedButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, renderFace());
}

} // namespace dosarium
