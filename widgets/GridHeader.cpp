#include "widgets/GridHeader.h"

#include <QPainter>

#include <algorithm>

namespace dosarium {

GridHeader::GridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(8);
}

void GridHeader::setTitleRowHeight(int height)
{
    m_titleRowHeight = height;
    updateGeometry();
    viewport()->update();
}

int GridHeader::bandRowHeight() const
{
    if (!hasBands())
        return 0;
    QFont bold = font();
    bold.setBold(true);
    return QFontMetrics(bold).height() + 4;
}

void GridHeader::setShadeColor(const QColor &color)
{
    m_shadeColor = color;
    viewport()->update();
}

void GridHeader::setLineColor(const QColor &color)
{
    m_lineColor = color;
    viewport()->update();
}

QString GridHeader::sectionTitle(int logical) const
{
    const auto it = m_titles.constFind(logical);
    if (it != m_titles.constEnd())
        return *it;
    if (model())
        return model()->headerData(logical, orientation(), Qt::DisplayRole).toString();
    return {};
}

void GridHeader::setSectionTitle(int logical, const QString &title)
{
    m_titles.insert(logical, title);
    viewport()->update();
}

void GridHeader::setSectionBand(int logical, const QString &band)
{
    const bool hadBands = hasBands();
    if (band.isEmpty())
        m_bands.remove(logical);
    else
        m_bands.insert(logical, band);
    if (hadBands != hasBands())
        updateGeometry();
    viewport()->update();
}

void GridHeader::clearSectionTexts()
{
    const bool hadBands = hasBands();
    m_titles.clear();
    m_bands.clear();
    if (hadBands)
        updateGeometry();
    viewport()->update();
}

bool GridHeader::hasBands() const
{
    return !m_bands.isEmpty();
}

QRect GridHeader::bandRect(int logical) const
{
    const QString band = sectionBand(logical);
    if (band.isEmpty() || isSectionHidden(logical))
        return {};
    const int visual = visualIndex(logical);
    auto sameBand = [&](int v) {
        const int l = logicalIndex(v);
        return l >= 0 && !isSectionHidden(l) && sectionBand(l) == band;
    };
    int first = visual;
    for (int v = visual - 1; v >= 0; --v) {
        const int l = logicalIndex(v);
        if (l >= 0 && isSectionHidden(l))
            continue;
        if (!sameBand(v))
            break;
        first = v;
    }
    int last = visual;
    for (int v = visual + 1; v < count(); ++v) {
        const int l = logicalIndex(v);
        if (l >= 0 && isSectionHidden(l))
            continue;
        if (!sameBand(v))
            break;
        last = v;
    }
    const int left = sectionViewportPosition(logicalIndex(first));
    const int right = sectionViewportPosition(logicalIndex(last)) + sectionSize(logicalIndex(last));
    return QRect(left, 0, right - left, bandRowHeight());
}

QSize GridHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    size.setHeight(m_titleRowHeight + bandRowHeight());
    return size;
}

QSize GridHeader::sectionSizeFromContents(int logicalIndex) const
{
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return QSize(metrics.horizontalAdvance(sectionTitle(logicalIndex)) + 8,
                 m_titleRowHeight + bandRowHeight());
}

void GridHeader::shade(QPainter *painter, const QRect &rect) const
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, m_shadeColor);
    painter->fillRect(rect, gradient);
}

void GridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    painter->setClipRect(rect);
    QFont bold = font();
    bold.setBold(true);
    painter->setFont(bold);
    const QColor textColor = palette().color(QPalette::Active, QPalette::ButtonText);

    const int bandHeight = bandRowHeight();
    const QRect titleRect(rect.left(), rect.top() + bandHeight, rect.width(),
                          rect.height() - bandHeight);
    const bool banded = bandHeight > 0 && !bandRect(logicalIndex).isEmpty();

    if (bandHeight > 0) {
        const QRect bandPart(rect.left(), rect.top(), rect.width(), bandHeight);
        const QRect band = bandRect(logicalIndex);
        if (band.isEmpty()) {
            // A column without a band: its title cell reaches up through the band row.
            shade(painter, rect);
        } else {
            // The band cell is shaded and lettered as a whole; each section paints its share.
            const QRect whole(band.left(), rect.top(), band.width(), bandHeight);
            shade(painter, whole);
            painter->setPen(textColor);
            painter->drawText(whole.adjusted(2, 0, -2, 0), Qt::AlignCenter,
                              sectionBand(logicalIndex));
            painter->setPen(m_lineColor);
            painter->drawLine(bandPart.bottomLeft(), bandPart.bottomRight());
            if (rect.right() == whole.right())
                painter->drawLine(bandPart.topRight(), bandPart.bottomRight());
            shade(painter, titleRect);
        }
    } else {
        shade(painter, rect);
    }

    const QRect textRect = banded ? titleRect : rect;
    painter->setPen(textColor);
    painter->drawText(textRect.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap,
                      sectionTitle(logicalIndex));

    painter->setPen(m_lineColor);
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->drawLine(QPoint(rect.right(), textRect.top()), rect.bottomRight());
    painter->restore();
}

} // namespace dosarium
