#include "widgets/DataGridDelegate.h"

namespace dosarium {

DataGridDelegate::DataGridDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

void DataGridDelegate::setRowColors(const QColor &even, const QColor &odd)
{
    m_even = even;
    m_odd = odd;
}

void DataGridDelegate::setColumnAlignment(int logical, Qt::Alignment alignment)
{
    m_alignments.insert(logical, alignment);
}

void DataGridDelegate::clearColumnAlignments()
{
    m_alignments.clear();
}

void DataGridDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->backgroundBrush.style() == Qt::NoBrush)
        option->backgroundBrush = rowColor(index.row());
    const auto it = m_alignments.constFind(index.column());
    if (it != m_alignments.constEnd())
        option->displayAlignment = (*it & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter;
}

} // namespace dosarium
