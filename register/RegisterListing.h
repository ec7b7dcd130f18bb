// What the register window does with its row set, without the window: the rows of the documents
// table in the chosen order, narrowed by the pick lists' record filter, with the re-entry counter
// that keeps one listing operation running at a time while pending window events run inside it.
#pragma once

#include "app/ActsTable.h"
#include "register/RegisterFilter.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

namespace dosarium {

class Query;
class Workspace;

// The entries of the six refilled pick lists, each beginning with "indiferent".
struct RegisterPickLists {
    QStringList anul, seria, nr, domeniul, subdom, titlu;
};

class RegisterListing {
public:
    static inline const QString kAny = QStringLiteral("indiferent");
    static inline const QString kDefaultOrder = ActsTable::kDate;

    explicit RegisterListing(Workspace &workspace);
    ~RegisterListing();

    Query &Ox() const { return *m_ox; }
    int busyCount() const { return m_busyCount; }
    QString orderField() const { return m_order; }

    // Where the filter pass reads the lists' current choices.
    void setChoices(std::function<RegisterChoices()> choices);

    // The distinct values of the six lists: from the open rows, else read from the table.
    RegisterPickLists readPickLists();

    // The opening: holds the counter, opens the rows ordered by date, runs `fillLists`, and
    // runs the first filter pass. On a failure the counter is back at 0 and the rows are closed.
    void open(const std::function<void()> &fillLists);
    void close();

    // The filter pass: applies the lists' filter when it differs from the one in force; a pass
    // asked for while one runs makes the running one repeat once when it ends.
    void Filtreaza();

    // Re-sorts by `field`, keeping the filter and the current act. Does nothing without rows.
    void sortBy(const QString &field);

    // Closes and reopens the rows with the same statement and filter, standing on act `id` when
    // the filter shows it; false when the filter hides it.
    bool reopenAt(const QString &id);
    // Closes and reopens the rows, standing on the last one.
    void reopenAtLast();

    // View, modify and delete need a current act.
    bool hasRows() const;

    // Where `value` joins a pick list so that the list keeps the order an opening gives it
    // (after "indiferent": numbers ascending for a `numeric` list, texts in the table's
    // alphabetical order); -1 when the list holds it already in any letter case.
    static int pickListPlace(const QStringList &entries, const QString &value, bool numeric);

    // The columns that are ordered number-aware when the user sorts by them.
    static bool sortsNumberAware(const QString &field);

private:
    void setOrder(const QString &field);
    void reopen();
    void finishOperation();

    Workspace &m_workspace;
    std::unique_ptr<Query> m_ox;
    std::function<RegisterChoices()> m_choices;
    int m_busyCount = 0;
    QString m_order = kDefaultOrder;
};

} // namespace dosarium
