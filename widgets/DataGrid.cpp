#include "widgets/DataGrid.h"

#include "widgets/DataGridDelegate.h"
#include "widgets/GridHeader.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace dosarium {

DataGrid::DataGrid(QWidget *parent) : QTableView(parent)
{
    m_header = new GridHeader(this);
    setHorizontalHeader(m_header);
    m_delegate = new DataGridDelegate(this);
    setItemDelegate(m_delegate);

    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setSortingEnabled(false);
    setAlternatingRowColors(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(m_rowHeight);
    m_header->setDefaultSectionSize(m_defaultColumnWidth);

    connect(m_header, &QHeaderView::sectionClicked, this, [this](int logical) {
        const int column = gridColumn(logical);
        if (column >= 0)
            emit titleClicked(column);
    });
    connect(m_header, &QHeaderView::sectionResized, this, &DataGrid::sectionResizedByUser);
    applyPalette();
}

void DataGrid::setModel(QAbstractItemModel *model)
{
    for (const QMetaObject::Connection &c : std::as_const(m_modelConnections))
        disconnect(c);
    m_modelConnections.clear();
    QTableView::setModel(model);
    if (model) {
        auto reapply = [this] { applyColumns(); };
        m_modelConnections = {
            connect(model, &QAbstractItemModel::modelReset, this, reapply),
            connect(model, &QAbstractItemModel::columnsInserted, this, reapply),
            connect(model, &QAbstractItemModel::columnsRemoved, this, reapply),
            connect(model, &QAbstractItemModel::columnsMoved, this, reapply),
            connect(model, &QAbstractItemModel::headerDataChanged, this,
                    [this](Qt::Orientation orientation, int, int) {
                        if (orientation == Qt::Horizontal)
                            applyColumns();
                    }),
        };
    }
    applyColumns();
}

void DataGrid::setColumns(const QList<DataGridColumn> &columns)
{
    m_columns = columns;
    applyColumns();
}

QString DataGrid::columnField(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return {};
    return m_columns.at(column).field;
}

int DataGrid::logicalColumn(int column) const
{
    if (column < 0 || column >= m_logical.size())
        return -1;
    return m_logical.at(column);
}

int DataGrid::gridColumn(int logical) const
{
    if (logical < 0)
        return -1;
    return int(m_logical.indexOf(logical));
}

int DataGrid::resolveField(const DataGridColumn &column, int place) const
{
    const int count = model()->columnCount();
    if (column.field.isEmpty())
        return place < count ? place : -1;
    for (int c = 0; c < count; ++c) {
        const QString name = model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        if (name.compare(column.field, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

void DataGrid::applyColumns()
{
    m_applying = true;
    m_header->clearSectionTexts();
    m_delegate->clearColumnAlignments();
    m_logical.clear();
    const int count = model() ? model()->columnCount() : 0;
    if (m_columns.isEmpty()) {
        for (int c = 0; c < count; ++c) {
            m_header->showSection(c);
            m_logical.append(c);
        }
        m_applying = false;
        return;
    }
    for (int c = 0; c < count; ++c)
        m_header->hideSection(c);
    int visual = 0;
    for (int j = 0; j < m_columns.size(); ++j) {
        const DataGridColumn &column = m_columns.at(j);
        const int logical = count > 0 ? resolveField(column, j) : -1;
        m_logical.append(logical);
        if (logical < 0 || gridColumn(logical) != j)
            continue;
        m_header->showSection(logical);
        m_header->moveSection(m_header->visualIndex(logical), visual++);
        m_header->resizeSection(logical, column.width >= 0 ? column.width : m_defaultColumnWidth);
        m_header->setSectionTitle(logical, column.title);
        m_header->setSectionBand(logical, column.band);
        m_delegate->setColumnAlignment(logical, column.alignment);
    }
    m_applying = false;
    updateGeometries();
    viewport()->update();
}

void DataGrid::sectionResizedByUser(int logical, int, int newSize)
{
    if (m_applying)
        return;
    // A width the user gave a column outlives a reset of the row set.
    const int column = gridColumn(logical);
    if (column >= 0 && newSize > 0)
        m_columns[column].width = newSize;
}

void DataGrid::setRowColors(const QColor &even, const QColor &odd)
{
    m_delegate->setRowColors(even, odd);
    viewport()->update();
}

QColor DataGrid::rowColor(int row) const
{
    return m_delegate->rowColor(row);
}

void DataGrid::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    applyPalette();
}

void DataGrid::setTextColor(const QColor &color)
{
    m_textColor = color;
    applyPalette();
}

void DataGrid::applyPalette()
{
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, m_backgroundColor);
        p.setColor(group, QPalette::Text, m_textColor);
    }
    p.setColor(QPalette::Disabled, QPalette::Base, m_backgroundColor);
    setPalette(p);
    // The title row keeps the window's ordinary text colours.
    m_header->setPalette(QPalette());
}

QColor DataGrid::titleShadeColor() const
{
    return m_header->shadeColor();
}

void DataGrid::setTitleShadeColor(const QColor &color)
{
    m_header->setShadeColor(color);
}

int DataGrid::titleRowHeight() const
{
    return m_header->titleRowHeight();
}

void DataGrid::setTitleRowHeight(int height)
{
    m_header->setTitleRowHeight(height);
    updateGeometries();
}

void DataGrid::setRowHeight(int height)
{
    m_rowHeight = height;
    verticalHeader()->setDefaultSectionSize(height);
}

void DataGrid::setDefaultColumnWidth(int width)
{
    m_defaultColumnWidth = width;
    m_header->setDefaultSectionSize(width);
    applyColumns();
}

int DataGrid::currentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex under = indexAt(event->position().toPoint());
    emit rowDoubleClicked(under.isValid() ? under.row() : currentRow());
}

} // namespace dosarium
