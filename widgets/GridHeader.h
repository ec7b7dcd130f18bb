#pragma once

// GridHeader: the title row of a DataGrid. Titles are bold, centred and word-wrapped on a
// shading from white to the shade colour; an optional band row above the titles carries a band
// title drawn once across each run of neighbouring columns that share it.

#include <QColor>
#include <QHash>
#include <QHeaderView>

namespace dosarium {

class GridHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit GridHeader(QWidget *parent = nullptr);

    int titleRowHeight() const { return m_titleRowHeight; }
    void setTitleRowHeight(int height);
    // Height of the band row: 0 while no column has a band.
    int bandRowHeight() const;
    QColor shadeColor() const { return m_shadeColor; }
    void setShadeColor(const QColor &color);
    QColor lineColor() const { return m_lineColor; }
    void setLineColor(const QColor &color);

    // Title of a model column; without one set, the model's header text.
    QString sectionTitle(int logical) const;
    void setSectionTitle(int logical, const QString &title);
    QString sectionBand(int logical) const { return m_bands.value(logical); }
    void setSectionBand(int logical, const QString &band);
    void clearSectionTexts();
    bool hasBands() const;

    // The band cell the section belongs to, in the header's own coordinates: it spans the run
    // of visible neighbouring sections with the same band. Empty without a band.
    QRect bandRect(int logical) const;

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    void shade(QPainter *painter, const QRect &rect) const;

    int m_titleRowHeight = 24;
    QColor m_shadeColor = QColor(0xAC, 0xB8, 0xCC);
    QColor m_lineColor = QColor(0x80, 0x80, 0x80);
    QHash<int, QString> m_titles;
    QHash<int, QString> m_bands;
};

} // namespace dosarium
