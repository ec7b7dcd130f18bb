#include "store/ChangeTrail.h"

#include "platform/PlainFiles.h"
#include "store/FilePath.h"
#include "store/IoCount.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <thread>

namespace dosarium {

namespace {

using namespace std::chrono_literals;

// The file: a head of kEntrySize bytes (the mark, the generation), then the entries, each of
// kEntrySize bytes, little-endian:
//   0 size before   8 time before   16 size after   24 time after   (64-bit each)
//   32 place (1 for the first entry)   36 generation   40 flags   44 records written
//   48 up to three record numbers      60 check sum of the bytes before it, the seal left out
constexpr qint64 kEntrySize = 64;
constexpr int kRecordsPerEntry = 3;
constexpr char kMark[] = "DOSARIUM-URME-1";
constexpr quint32 kSealed = 1;
constexpr quint32 kEverything = 2;
// A trail past this many entries begins again (its readers then read the table whole once).
constexpr qint64 kMostEntries = 4096;
// A reader follows at most this many entries; past them, reading the table whole is as cheap.
constexpr qint64 kMostEntriesFollowed = 1024;
// How long a writer waits for the file system's clock to pass the table's new time.
constexpr auto kLongestSealWait = 2500ms;

using Entry = std::array<char, kEntrySize>;

quint32 checksum(const Entry &e)
{
    // FNV-1a over everything before the sum, the seal taken out: the seal is set afterwards.
    quint32 hash = 2166136261u;
    for (int i = 0; i < 60; ++i) {
        char c = e[size_t(i)];
        if (i == 40)
            c = char(c & ~char(kSealed));
        hash = (hash ^ quint8(c)) * 16777619u;
    }
    return hash;
}

template <typename T> void put(Entry &e, int at, T value)
{
    qToLittleEndian(value, e.data() + at);
}

template <typename T> T get(const Entry &e, int at)
{
    return qFromLittleEndian<T>(e.data() + at);
}

struct Step {
    TableStamp before;
    TableStamp after;
    quint32 place = 0;
    quint32 generation = 0;
    quint32 flags = 0;
    std::vector<quint32> records;
};

Entry entryOf(const Step &s)
{
    Entry e{};
    put<qint64>(e, 0, s.before.size);
    put<qint64>(e, 8, s.before.modified);
    put<qint64>(e, 16, s.after.size);
    put<qint64>(e, 24, s.after.modified);
    put<quint32>(e, 32, s.place);
    put<quint32>(e, 36, s.generation);
    put<quint32>(e, 40, s.flags);
    put<quint32>(e, 44, quint32(s.records.size()));
    for (size_t i = 0; i < s.records.size(); ++i)
        put<quint32>(e, 48 + 4 * int(i), s.records[i]);
    put<quint32>(e, 60, checksum(e));
    return e;
}

// The entry read at place `place` of trail `generation`; nothing when it is damaged or not
// the one that belongs there.
std::optional<Step> stepOf(const Entry &e, quint32 place, quint32 generation)
{
    Step s;
    s.before = {get<qint64>(e, 0), get<qint64>(e, 8)};
    s.after = {get<qint64>(e, 16), get<qint64>(e, 24)};
    s.place = get<quint32>(e, 32);
    s.generation = get<quint32>(e, 36);
    s.flags = get<quint32>(e, 40);
    const quint32 n = get<quint32>(e, 44);
    if (get<quint32>(e, 60) != checksum(e) || s.place != place || s.generation != generation ||
        n > quint32(kRecordsPerEntry))
        return std::nullopt;
    for (quint32 i = 0; i < n; ++i)
        s.records.push_back(get<quint32>(e, 48 + 4 * int(i)));
    return s;
}

Entry headOf(quint32 generation)
{
    Entry e{};
    memcpy(e.data(), kMark, sizeof kMark);
    put<quint32>(e, 36, generation);
    put<quint32>(e, 60, checksum(e));
    return e;
}

std::optional<quint32> generationOf(const Entry &head)
{
    if (memcmp(head.data(), kMark, sizeof kMark) != 0 || get<quint32>(head, 60) != checksum(head))
        return std::nullopt;
    return get<quint32>(head, 36);
}

class TrailFile {
public:
    TrailFile(const QString &path, FileAccess access, bool create = false)
        : m_fd(openPlainFile(path, access, create))
    {}
    ~TrailFile()
    {
        if (m_fd >= 0)
            closeFile(m_fd);
    }
    TrailFile(const TrailFile &) = delete;
    TrailFile &operator=(const TrailFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    std::optional<FileStatus> status() const { return statusOf(m_fd); }

    bool read(qint64 at, char *into, qint64 size) const
    {
        const bool whole = readFileAt(m_fd, into, size, at) == size;
        countTableRead(size);
        return whole;
    }
    bool write(qint64 at, const char *data, qint64 size) const
    {
        countTableWritten(size);
        return writeFileAt(m_fd, data, size, at) == size;
    }
    bool truncate(qint64 size) const { return truncateFile(m_fd, size); }

    // The trail's generation and length; nothing for a trail that cannot be read.
    std::optional<std::pair<quint32, qint64>> shape() const
    {
        const std::optional<FileStatus> st = status();
        Entry head;
        if (!st || st->size < kEntrySize || st->size % kEntrySize != 0 ||
            !read(0, head.data(), kEntrySize))
            return std::nullopt;
        const std::optional<quint32> generation = generationOf(head);
        if (!generation)
            return std::nullopt;
        return std::pair{*generation, st->size};
    }

    // Begins the trail again, under a new generation; its length, or nothing.
    std::optional<std::pair<quint32, qint64>> restart() const
    {
        const quint32 generation = QRandomGenerator::system()->generate();
        const Entry head = headOf(generation);
        if (!truncate(0) || !write(0, head.data(), kEntrySize))
            return std::nullopt;
        return std::pair{generation, kEntrySize};
    }

private:
    int m_fd;
};

// Writes `entry` again until the trail's time is past `after`, then sets its seal.
void seal(const TrailFile &trail, qint64 at, const Entry &entry, const TableStamp &after)
{
    QElapsedTimer waited;
    waited.start();
    auto pause = 1ms;
    for (;;) {
        const std::optional<FileStatus> st = trail.status();
        if (!st)
            return;
        if (st->modified > after.modified) {
            const quint32 flags = get<quint32>(entry, 40) | kSealed;
            char bytes[4];
            qToLittleEndian(flags, bytes);
            trail.write(at + 40, bytes, 4);
            return;
        }
        if (waited.elapsed() > kLongestSealWait.count())
            return;
        std::this_thread::sleep_for(pause);
        pause = std::min<std::chrono::milliseconds>(pause * 2, 50ms);
        if (!trail.write(at, entry.data(), kEntrySize))
            return;
    }
}

} // namespace

QString ChangeTrail::pathFor(const QString &tablePath)
{
    const qsizetype slash =
        std::max(tablePath.lastIndexOf(QLatin1Char('/')), tablePath.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = tablePath.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > slash ? tablePath.left(dot) : tablePath;
    return resolveFileName(base + QStringLiteral(".sch"));
}

void ChangeTrail::create(const QString &tablePath)
{
    const QString path = pathFor(tablePath);
    if (entryKind(path) != EntryKind::Missing)
        return;
    const TrailFile trail(path, FileAccess::ReadWrite, true);
    if (trail.isOpen() && !trail.shape())
        trail.restart();
}

void ChangeTrail::record(const QString &tablePath, const TableStamp &before,
                         const TableStamp &after, std::vector<quint32> records, bool everything)
{
    const TrailFile trail(pathFor(tablePath), FileAccess::ReadWrite);
    if (!trail.isOpen())
        return;
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    everything = everything || records.size() > size_t(kRecordsPerEntry);
    std::optional<std::pair<quint32, qint64>> shape = trail.shape();
    // A change of the whole table begins the trail again, which keeps it short.
    if (!shape || everything || shape->second / kEntrySize > kMostEntries)
        shape = trail.restart();
    if (!shape)
        return;
    const auto [generation, at] = *shape;
    Step step{before,
              after,
              quint32(at / kEntrySize),
              generation,
              everything ? kEverything : 0,
              everything ? std::vector<quint32>{} : std::move(records)};
    const Entry entry = entryOf(step);
    if (!trail.write(at, entry.data(), kEntrySize)) {
        // A piece of an entry is never taken for one; what is left of it is cut away if it can be.
        trail.truncate(at);
        return;
    }
    // Sealed even when it tells of the whole table: a reader that read it whole may then trust
    // the trail from there on.
    seal(trail, at, entry, after);
}

TrailMark ChangeTrail::mark(const QString &tablePath, const TableStamp &now)
{
    TrailMark mark;
    mark.stamp = now;
    const QString path = pathFor(tablePath);
    auto trail = std::make_unique<TrailFile>(path, FileAccess::ReadWrite);
    const bool writable = trail->isOpen();
    if (!writable)
        trail = std::make_unique<TrailFile>(path, FileAccess::Read);
    const std::optional<std::pair<quint32, qint64>> shape =
        trail->isOpen() ? trail->shape() : std::nullopt;
    if (!shape)
        return mark;
    mark.generation = shape->first;
    mark.end = shape->second;
    Entry e;
    if (mark.end >= 2 * kEntrySize && trail->read(mark.end - kEntrySize, e.data(), kEntrySize)) {
        const std::optional<Step> last =
            stepOf(e, quint32(mark.end / kEntrySize - 1), mark.generation);
        mark.trusted = last && (last->flags & kSealed) && last->after == now;
    }
    // The table changed last elsewhere (or not since the trail began): its head written again
    // now, while the shared lock keeps writers out, tells whether that change is older than
    // the clock; then any later change gives the table a newer time, and the trail may be
    // followed from here.
    if (!mark.trusted && writable && trail->read(0, e.data(), kEntrySize) &&
        trail->write(0, e.data(), kEntrySize)) {
        const std::optional<FileStatus> st = trail->status();
        mark.trusted = st && st->modified > now.modified;
    }
    return mark;
}

std::optional<ChangeTrail::Changes> ChangeTrail::since(const QString &tablePath,
                                                       const TrailMark &from, const TableStamp &now)
{
    if (!from.trusted)
        return std::nullopt;
    const TrailFile trail(pathFor(tablePath), FileAccess::Read);
    const std::optional<std::pair<quint32, qint64>> shape =
        trail.isOpen() ? trail.shape() : std::nullopt;
    if (!shape || shape->first != from.generation || shape->second < from.end ||
        (shape->second - from.end) / kEntrySize > kMostEntriesFollowed)
        return std::nullopt;
    const qint64 n = (shape->second - from.end) / kEntrySize;
    QByteArray bytes(n * kEntrySize, Qt::Uninitialized);
    if (n > 0 && !trail.read(from.end, bytes.data(), bytes.size()))
        return std::nullopt;
    Changes changes;
    TableStamp reached = from.stamp;
    for (qint64 i = 0; i < n; ++i) {
        Entry e;
        memcpy(e.data(), bytes.constData() + i * kEntrySize, kEntrySize);
        const std::optional<Step> step =
            stepOf(e, quint32(from.end / kEntrySize + i), from.generation);
        if (!step || step->flags != kSealed || step->before != reached)
            return std::nullopt;
        reached = step->after;
        changes.records.insert(changes.records.end(), step->records.begin(), step->records.end());
    }
    if (reached != now)
        return std::nullopt;
    changes.mark = {true, from.generation, shape->second, now};
    return changes;
}

} // namespace dosarium
