#pragma once

// DataGrid: the read-only grid over a row set. Whole rows are selected, columns can be resized
// with the mouse, the title row (24 pixels) carries bold, centred, word-wrapped titles shaded
// towards a colour, with band titles above runs of columns where set; data rows are 17 pixels
// high in two alternating colours. The grid scrolls vertically by keys and wheel only (no
// vertical scroll bar) and shows a horizontal scroll bar when the columns need it. A click on a
// column title and a double click on the rows are reported as signals.

#include "widgets/DataGridColumn.h"

#include <QColor>
#include <QList>
#include <QTableView>

namespace dosarium {

class DataGridDelegate;
class GridHeader;

class DataGrid : public QTableView {
    Q_OBJECT
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QColor titleShadeColor READ titleShadeColor WRITE setTitleShadeColor)
    Q_PROPERTY(int titleRowHeight READ titleRowHeight WRITE setTitleRowHeight)
    Q_PROPERTY(int rowHeight READ rowHeight WRITE setRowHeight)
    Q_PROPERTY(int defaultColumnWidth READ defaultColumnWidth WRITE setDefaultColumnWidth)
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;

    // The columns shown, left to right; model columns not listed are hidden. An empty list
    // shows every model column with the model's header texts.
    void setColumns(const QList<DataGridColumn> &columns);
    const QList<DataGridColumn> &columns() const { return m_columns; }
    // The field of a grid column (its place in the column list), empty when out of range.
    QString columnField(int column) const;
    // The model column a grid column shows, or -1.
    int logicalColumn(int column) const;
    // The grid column that shows a model column, or -1.
    int gridColumn(int logical) const;

    void setRowColors(const QColor &even, const QColor &odd);
    QColor rowColor(int row) const;
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &color);
    QColor titleShadeColor() const;
    void setTitleShadeColor(const QColor &color);
    int titleRowHeight() const;
    void setTitleRowHeight(int height);
    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int height);
    int defaultColumnWidth() const { return m_defaultColumnWidth; }
    void setDefaultColumnWidth(int width);

    GridHeader *gridHeader() const { return m_header; }
    // The current row, or -1.
    int currentRow() const;

signals:
    // A click on the title of a grid column (its place in the column list).
    void titleClicked(int column);
    // A double click on the rows: the row under the pointer, else the current row (-1 when
    // the grid is empty).
    void rowDoubleClicked(int row);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void applyColumns();
    int resolveField(const DataGridColumn &column, int place) const;
    void applyPalette();
    void sectionResizedByUser(int logical, int oldSize, int newSize);

    GridHeader *m_header = nullptr;
    DataGridDelegate *m_delegate = nullptr;
    QList<DataGridColumn> m_columns;
    QList<int> m_logical;
    QColor m_backgroundColor = Qt::white;
    QColor m_textColor = Qt::black;
    int m_rowHeight = 17;
    int m_defaultColumnWidth = 64;
    bool m_applying = false;
    QList<QMetaObject::Connection> m_modelConnections;
};

} // namespace dosarium
