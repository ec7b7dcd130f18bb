// The rows of a query as a table model for the data grids. The model follows the query: it is
// reset when the query's rows are replaced or filtered (not while the query's bound controls are
// disabled), its header texts are the field names, and it formats only the cells a view asks for,
// dates in the fixed "dd.MM.yyyy" form.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class QTableView;

namespace dosarium {

class Query;

class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit QueryModel(Query &query, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    Query &query() const { return m_query; }

private:
    void reload();

    Query &m_query;
    int m_rows = 0;
    QStringList m_fields;
};

// Shows `query` in `view` through a new model owned by the view, and keeps the two on one row:
// the query's current row is the view's current row, and a row the user moves to in the view
// becomes the query's current row.
QueryModel *showQuery(QTableView &view, Query &query);

} // namespace dosarium
