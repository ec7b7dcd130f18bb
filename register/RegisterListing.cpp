#include "register/RegisterListing.h"

#include "app/QueryText.h"
#include "app/Workspace.h"
#include "store/ChangeTrail.h"
#include "store/CodePage.h"
#include "store/Query.h"
#include "store/Statement.h"

namespace dosarium {

namespace {

// Keeps the re-entry counter consistent when an operation fails: a failed pass or re-sort never
// leaves the lists frozen until the window is opened again.
struct BusyReset {
    int &count;
    bool armed = true;
    ~BusyReset()
    {
        if (armed)
            count = 0;
    }
};

// The query's bound controls are disabled for its lifetime.
struct ControlsOff {
    Query &query;
    explicit ControlsOff(Query &q) : query(q) { query.disableControls(); }
    ~ControlsOff() { query.enableControls(); }
};

} // namespace

RegisterListing::RegisterListing(Workspace &workspace)
    : m_workspace(workspace), m_ox(std::make_unique<Query>())
{}

RegisterListing::~RegisterListing() = default;

void RegisterListing::setChoices(std::function<RegisterChoices()> choices)
{
    m_choices = std::move(choices);
}

RegisterPickLists RegisterListing::readPickLists()
{
    RegisterPickLists lists;
    const QString table = m_workspace.actePath();
    const std::pair<QStringList *, QString> fills[] = {
        {&lists.anul, ActsTable::kYear},        {&lists.seria, ActsTable::kSeries},
        {&lists.nr, ActsTable::kNumber},        {&lists.domeniul, ActsTable::kDomain},
        {&lists.subdom, ActsTable::kSubdomain}, {&lists.titlu, ActsTable::kTitle},
    };
    for (const auto &[list, field] : fills) {
        list->append(kAny);
        // The open rows hold these columns: their values come without reading the table again.
        if (const std::optional<QStringList> values = m_ox->distinctTexts(field)) {
            for (const QString &value : *values) {
                if (!trimmedText(value).isEmpty())
                    list->append(value);
            }
        } else {
            m_workspace.FillDistinct(*list, table, field);
        }
    }
    return lists;
}

void RegisterListing::setOrder(const QString &field)
{
    m_order = field;
    Query &ox = *m_ox;
    // 7/2017 after 7 and before 12; the statement's order decides between equal numbers.
    ox.setNumberAwareOrder(sortsNumberAware(field) ? field : QString());
    // What the lists, the filter, the orders and the act's place need; the note, the
    // extension and whatever else the table holds are read for the rows shown.
    ox.setKeptColumns({ActsTable::kId, ActsTable::kYear, ActsTable::kMonth, ActsTable::kDate,
                       ActsTable::kSeries, ActsTable::kNumber, ActsTable::kCode, ActsTable::kDomain,
                       ActsTable::kSubdomain, ActsTable::kTitle});
    const QStringList lines{QStringLiteral("SELECT *"),
                            QStringLiteral("FROM ") + quoteText(m_workspace.actePath()),
                            QStringLiteral("ORDER BY ") + field};
    // Open rows that hold the column are ordered anew without reading the table again.
    if (ox.isOpen()) {
        ox.refreshAs(lines);
        return;
    }
    ox.clearSql();
    for (const QString &line : lines)
        ox.appendSql(line);
}

void RegisterListing::open(const std::function<void()> &fillLists)
{
    m_busyCount = 1;
    BusyReset reset{m_busyCount};
    // An opening reads the table whole.
    m_ox->close();
    try {
        // The trail beside the table lets a refresh read only what changed; an older folder
        // gets one at its first opening.
        ChangeTrail::create(m_workspace.actePath());
        // The rows first: the lists are read from them.
        setOrder(kDefaultOrder);
        m_ox->open();
        if (fillLists)
            fillLists();
        m_workspace.yield();
        m_workspace.yield();
        m_busyCount = 0;
        Filtreaza();
    } catch (...) {
        m_ox->close();
        throw;
    }
}

void RegisterListing::close()
{
    m_ox->close();
}

bool RegisterListing::hasRows() const
{
    return m_ox->isOpen() && !m_ox->isEmpty();
}

int RegisterListing::pickListPlace(const QStringList &entries, const QString &value, bool numeric)
{
    const CodePage &codePage = CodePage::windows1250();
    const QByteArray bytes = codePage.tryEncode(value).value_or(value.toUtf8());
    const auto before = [&](const QString &entry) {
        if (numeric)
            return entry.toLongLong() < value.toLongLong();
        const QByteArray other = codePage.tryEncode(entry).value_or(entry.toUtf8());
        return codePage.compare(other.constData(), other.size(), bytes.constData(), bytes.size()) <
               0;
    };
    for (int i = 1; i < entries.size(); ++i) {
        if (entries.at(i).compare(value, Qt::CaseInsensitive) == 0)
            return -1;
    }
    int place = 1;
    while (place < entries.size() && before(entries.at(place)))
        ++place;
    return place;
}

bool RegisterListing::sortsNumberAware(const QString &field)
{
    return field.compare(QStringLiteral("NR"), Qt::CaseInsensitive) == 0 ||
           field.compare(QStringLiteral("SERIA"), Qt::CaseInsensitive) == 0;
}

void RegisterListing::Filtreaza()
{
    Query &ox = *m_ox;
    if (!ox.isOpen())
        return;
    if (++m_busyCount > 1)
        return;
    {
        BusyReset reset{m_busyCount};
        const QString text = m_choices ? RegisterFilterText(m_choices()) : QString();
        if (text != ox.filter()) {
            if (text.isEmpty()) {
                ox.setFiltered(false);
                ox.setFilter(QString());
            } else {
                ox.setFilter(text);
                ox.setFiltered(true);
            }
        }
        m_workspace.yield();
        reset.armed = false;
    }
    finishOperation();
}

void RegisterListing::finishOperation()
{
    const bool again = m_busyCount > 1;
    m_busyCount = 0;
    if (again)
        Filtreaza();
}

void RegisterListing::sortBy(const QString &field)
{
    Query &ox = *m_ox;
    // The statement names the column itself: only a column of the rows can be chosen.
    if (!hasRows() || !ox.hasField(field))
        return;
    if (++m_busyCount > 1)
        return;
    {
        BusyReset reset{m_busyCount};
        const QString id = ox.asString(ActsTable::kId);
        const QString previous = m_order;
        {
            ControlsOff off(ox);
            try {
                setOrder(field);
                m_workspace.yield();
                ox.open();
                m_workspace.yield();
            } catch (...) {
                // The rows stay listed in the order they had.
                setOrder(previous);
                try {
                    ox.open();
                } catch (...) {
                }
                throw;
            }
        }
        ox.locate(ActsTable::kId, id);
        reset.armed = false;
    }
    finishOperation();
}

void RegisterListing::reopen()
{
    Query &ox = *m_ox;
    ControlsOff off(ox);
    m_workspace.yield();
    // Reads only what changed since the rows were read, where the table's trail tells it.
    ox.refresh();
    m_workspace.yield();
}

bool RegisterListing::reopenAt(const QString &id)
{
    reopen();
    return m_ox->locate(ActsTable::kId, id);
}

void RegisterListing::reopenAtLast()
{
    reopen();
    m_ox->last();
}

} // namespace dosarium
