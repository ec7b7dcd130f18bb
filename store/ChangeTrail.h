// What this program's writers leave beside a table so that a reader holding its rows can catch
// up by reading only the records that changed: a file of fixed-size entries, one per change, each
// with the table's size and modification time before and after the change and the numbers of the
// records it wrote.
//
// The file is only a help, and only for the tables beside which it stands. A reader trusts it
// only when its entries link, stamp to stamp, from the table as the reader last read it to the
// table as it stands now: a change made by a program that does not keep the file (a workstation
// of the older program) breaks the link, and the reader reads the whole table again. A writer
// seals its entry only once the file system's clock has moved past the table's new modification
// time, so that a later change by such a program cannot hide under the same time; an entry left
// unsealed is never trusted, nor is one that is damaged or out of place.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace dosarium {

// A table file as the file system describes it.
struct TableStamp {
    qint64 size = -1;
    qint64 modified = 0; // nanoseconds since 1970

    bool operator==(const TableStamp &) const = default;
};

// How far a reader has followed the trail.
struct TrailMark {
    bool trusted = false; // the rows read stand exactly as the trail says the table stands
    quint32 generation = 0;
    qint64 end = 0;   // where the next entry begins
    TableStamp stamp; // the table as the reader read it
};

class ChangeTrail {
public:
    static QString pathFor(const QString &tablePath);

    // Begins an empty trail beside the table when none is there; a failure leaves the table
    // without one (its readers then read it whole), which is no fault.
    static void create(const QString &tablePath);

    // For a writer holding the table's header lock, once its change is written: records that
    // `records` (or every record, with `everything`) changed between the two stamps. Does
    // nothing where the table has no trail, and never throws: a change the trail misses breaks
    // its links, and the readers read the whole table.
    static void record(const QString &tablePath, const TableStamp &before, const TableStamp &after,
                       std::vector<quint32> records, bool everything);

    // For a reader holding the header lock shared: where the trail ends for a table standing at
    // `now`, trusted when its last entry leaves the table exactly so, or when the table's time
    // is older than a write to the trail made now.
    static TrailMark mark(const QString &tablePath, const TableStamp &now);

    struct Changes {
        std::vector<quint32> records; // as the entries name them, in their order
        TrailMark mark;
    };
    // The records changed since `from`, for a table standing at `now`; nothing when the trail
    // cannot tell them all.
    static std::optional<Changes> since(const QString &tablePath, const TrailMark &from,
                                        const TableStamp &now);
};

} // namespace dosarium
