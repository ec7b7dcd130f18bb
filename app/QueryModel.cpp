#include "app/QueryModel.h"

#include "store/Error.h"
#include "store/Query.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace dosarium {

QueryModel::QueryModel(Query &query, QObject *parent) : QAbstractTableModel(parent), m_query(query)
{
    connect(&m_query, &Query::dataSetChanged, this, [this] {
        beginResetModel();
        reload();
        endResetModel();
    });
    reload();
}

void QueryModel::reload()
{
    m_rows = m_query.isOpen() ? m_query.recordCount() : 0;
    m_fields.clear();
    if (m_query.isOpen()) {
        for (int column = 0; column < m_query.fieldCount(); ++column)
            m_fields << m_query.fieldName(column);
    }
}

int QueryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int QueryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant QueryModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows ||
        index.column() >= m_fields.size())
        return {};
    // While the query's controls are disabled its rows may differ from the ones shown; such a
    // cell reads empty until the model is reset.
    if (m_query.controlsDisabled() || index.row() >= m_query.recordCount() ||
        index.column() >= m_query.fieldCount())
        return QString();
    // A column read from the table when shown may find it cut or rebuilt meanwhile; the cell says
    // so, and the next action on the row reports the error itself.
    try {
        return m_query.text(index.row(), index.column());
    } catch (const Error &) {
        return QStringLiteral("(necitit)");
    }
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= m_fields.size())
        return {};
    return m_fields.at(section);
}

QueryModel *showQuery(QTableView &view, Query &query)
{
    auto *model = new QueryModel(query, &view);
    view.setModel(model);
    QTableView *target = &view;
    auto showCurrent = [target, model](int row) {
        QItemSelectionModel *selection = target->selectionModel();
        if (!selection || row < 0 || row >= model->rowCount()) {
            if (selection)
                selection->clearCurrentIndex();
            return;
        }
        // A column the view shows: an index in a hidden column cannot be scrolled to.
        int column = target->currentIndex().column();
        if (column < 0 || target->isColumnHidden(column)) {
            column = 0;
            while (column + 1 < model->columnCount() && target->isColumnHidden(column))
                ++column;
        }
        const QModelIndex index = model->index(row, column);
        if (selection->currentIndex().row() != row)
            selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
        target->scrollTo(index);
    };
    QObject::connect(&query, &Query::currentRowChanged, model, showCurrent);
    QObject::connect(model, &QAbstractItemModel::modelReset, model, [target, showCurrent, &query] {
        // The scroll range follows the new rows now, not at the next paint, so that the view
        // can scroll to a row far down at once.
        target->doItemsLayout();
        showCurrent(query.recNo());
    });
    QObject::connect(view.selectionModel(), &QItemSelectionModel::currentRowChanged, model,
                     [&query](const QModelIndex &current) {
                         if (current.isValid() && current.row() != query.recNo() &&
                             !query.controlsDisabled())
                             query.moveTo(current.row());
                     });
    showCurrent(query.recNo());
    return model;
}

} // namespace dosarium
