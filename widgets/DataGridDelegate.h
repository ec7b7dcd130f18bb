#pragma once

// DataGridDelegate: paints the cells of a DataGrid in its two alternating row colours and with
// the alignment of each column; colours the model gives for a cell win over the row colours.

#include <QColor>
#include <QHash>
#include <QStyledItemDelegate>

namespace dosarium {

class DataGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit DataGridDelegate(QObject *parent = nullptr);

    void setRowColors(const QColor &even, const QColor &odd);
    QColor rowColor(int row) const { return row % 2 == 0 ? m_even : m_odd; }
    // Alignment of a model column's cells; columns without one keep the model's alignment.
    void setColumnAlignment(int logical, Qt::Alignment alignment);
    void clearColumnAlignments();

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QColor m_even = Qt::white;
    QColor m_odd = Qt::white;
    QHash<int, Qt::Alignment> m_alignments;
};

} // namespace dosarium
