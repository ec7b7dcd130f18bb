#include "tools/ArchiveExport.h"

#include "access/ArchiveRecoding.h"
#include "app/ActsTable.h"
#include "app/LogTable.h"
#include "archive/ArchivePath.h"
#include "archive/FolderName.h"
#include "archive/KeyCursor.h"
#include "platform/FileHandles.h"
#include "platform/FileNames.h"
#include "platform/FileStatus.h"
#include "register/ActJournal.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/TableFile.h"
#include "tools/ArchiveCheck.h"
#include "tools/CsvWriter.h"
#include "tools/FieldTextUtf8.h"
#include "tools/ParallelHasher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace dosarium {

namespace {

// Documents copied side by side at most.
constexpr unsigned kMaxWorkers = 4;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The absolute form of a path that may not exist yet: its nearest existing folder resolved
// through links, then the rest as written.
QString canonicalOf(const QString &path)
{
    QFileInfo info(QDir::cleanPath(QDir(path).absolutePath()));
    QStringList rest;
    while (!info.exists() && !info.isRoot()) {
        rest.prepend(info.fileName());
        info = QFileInfo(info.absolutePath());
    }
    QString base = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    for (const QString &piece : std::as_const(rest))
        base += QLatin1Char('/') + piece;
    return QDir::cleanPath(base);
}

bool isInside(const QString &path, const QString &folder)
{
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

void prepareDestination(const QString &dataDir, const QString &destination)
{
    const QFileInfo info(destination);
    if (info.exists() || info.isSymLink()) {
        if (!info.isDir())
            throw ExportRefused(QStringLiteral("%1 exista si nu este un dosar: alegeti un dosar "
                                               "nou sau gol pentru export.")
                                    .arg(native(destination)));
        if (!QDir(destination)
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                 .isEmpty())
            throw ExportRefused(QStringLiteral("Dosarul %1 nu este gol: alegeti un dosar nou sau "
                                               "gol pentru export.")
                                    .arg(native(destination)));
    }
    if (isInside(canonicalOf(destination), canonicalOf(dataDir)))
        throw ExportRefused(QStringLiteral("Exportul nu poate fi scris in dosarul de date %1: "
                                           "alegeti un dosar din afara lui.")
                                .arg(native(dataDir)));
    if (!QDir().mkpath(destination))
        throw Error(QStringLiteral("Nu pot crea dosarul %1.").arg(native(destination)));
}

struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor()
    {
        if (fd >= 0)
            closeFile(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
};

// One act of the register and what the export does with it.
struct PlannedAct {
    quint32 record = 0; // its record in the snapshot
    qint64 id = 0;
    qint64 year = 0;
    QString domain, subdomain, extension;
    QString source;      // the archived file; empty when none can be named
    QString archivePath; // the same from the data folder, with "/"
    qint64 size = 0;
    QString target; // from the destination, with "/"; empty when missing
    QByteArray sha256;
    QString missing; // why the document is missing
};

// Destination folders and names, so that names differing only in letter case (one folder on
// Windows and on most memory sticks) end up together, and two files never share one name.
class TargetNames {
public:
    QString folder(const QStringList &levels)
    {
        QString path;
        for (const QString &level : levels) {
            const QString wanted = path.isEmpty() ? safeFileName(level)
                                                  : path + QLatin1Char('/') + safeFileName(level);
            const QString key = wanted.toCaseFolded();
            auto it = m_folders.find(key);
            if (it == m_folders.end())
                it = m_folders.insert(key, wanted);
            path = it.value();
        }
        return path;
    }
    QString file(const QString &folder, qint64 id, const QString &extension)
    {
        for (int n = 1;; ++n) {
            const QString stem =
                n == 1 ? QString::number(id) : QStringLiteral("%1-%2").arg(id).arg(n);
            const QString name = folder + QLatin1Char('/') + safeFileName(stem + extension);
            if (!m_files.contains(name.toCaseFolded())) {
                m_files.insert(name.toCaseFolded());
                return name;
            }
        }
    }

private:
    QHash<QString, QString> m_folders;
    QSet<QString> m_files;
};

TableSnapshot readTable(const QString &path)
{
    auto table = TableFile::open(path, TableFile::Mode::Shared);
    return table->readSnapshot();
}

QString causeText(int error)
{
    return systemErrorText(error);
}

// Opens the archived file of `act`; -1 (and act.missing set) when it cannot be read.
int openDocument(PlannedAct &act, FileStatus &info)
{
    const int fd = openFile(act.source, FileAccess::Read, {.noFollow = true, .noBlock = true});
    if (fd < 0) {
        act.missing = errno == ENOENT ? QStringLiteral("fisierul lipseste")
                                      : QStringLiteral("nu pot citi fisierul: ") + causeText(errno);
        return -1;
    }
    const std::optional<FileStatus> status = statusOf(fd);
    if (!status || status->kind != EntryKind::File) {
        closeFile(fd);
        act.missing = QStringLiteral("in locul fisierului este altceva decat un fisier");
        return -1;
    }
    info = *status;
    return fd;
}

// Decodes the open archived file of `act` into `destination`/`act.target`; its fingerprint
// reaches act.sha256 through `hasher`. Returns false (and sets act.missing) when the archived file
// cannot be read; throws Error when the destination cannot be written.
bool copyDocument(PlannedAct &act, const Descriptor &in, const FileStatus &info,
                  const QString &destination, const QByteArray &key, ParallelHasher &hasher,
                  Sha256 &sha, std::atomic<qint64> &copied)
{
    adviseSequentialRead(in.fd);
    const QString targetPath = destination + QLatin1Char('/') + act.target;
    Descriptor out(
        openFile(targetPath, FileAccess::Write, {.create = true, .exclusive = true}, 0666));
    if (out.fd < 0)
        throw Error(QStringLiteral("Nu pot crea fisierul %1: %2.")
                        .arg(native(targetPath), causeText(errno)));
    KeyCursor cursor(key);
    qint64 total = 0;
    for (;;) {
        char *buffer = hasher.take();
        qint64 n;
        do {
            n = readFile(in.fd, buffer, ParallelHasher::kPieceBytes);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) {
            hasher.giveBack(buffer);
            if (n == 0)
                break;
            act.missing = QStringLiteral("nu pot citi fisierul: ") + causeText(errno);
            removeEntry(targetPath);
            return false;
        }
        cursor.code(buffer, n);
        for (qint64 done = 0; done < n;) {
            const qint64 w = writeFile(out.fd, buffer + done, n - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                const int error = w < 0 ? errno : ENOSPC;
                hasher.giveBack(buffer);
                throw Error(QStringLiteral("Nu pot scrie fisierul %1: %2.")
                                .arg(native(targetPath), causeText(error)));
            }
            done += w;
        }
        hasher.hash(buffer, n, &sha);
        copied += n;
        total += n;
    }
    hasher.finish(&sha, &act.sha256);
    // The document keeps the date it was archived on.
    setModificationTime(out.fd, info.modified);
    if (closeFile(std::exchange(out.fd, -1)) != 0)
        throw Error(QStringLiteral("Nu pot scrie fisierul %1: %2.")
                        .arg(native(targetPath), causeText(errno)));
    act.size = total;
    return true;
}

void writeRows(CsvWriter &csv, const TableSnapshot &table, const std::vector<quint32> &records,
               const std::function<void(quint32 record)> &extra = {})
{
    const FieldTextUtf8 text(table.layout);
    QByteArray value;
    for (const quint32 r : records) {
        const char *record = table.records.constData() + qsizetype(r) * table.layout.recordLength;
        for (const Field &field : table.layout.fields) {
            value.resize(0);
            text.append(value, field, record);
            csv.field(QByteArrayView(value));
        }
        if (extra)
            extra(r);
        csv.endRow();
    }
}

} // namespace

QString safeFileName(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == '\\' || u == '/' || u == ':' || u == '*' || u == '?' ||
            u == '"' || u == '<' || u == '>' || u == '|')
            c = QLatin1Char('_');
    }
    while (!safe.isEmpty() && (safe.back() == QLatin1Char('.') || safe.back() == QLatin1Char(' ')))
        safe.chop(1);
    if (safe.isEmpty())
        return QStringLiteral("_");
    if (!isPortableFolderName(safe))
        safe.prepend(QLatin1Char('_')); // a device name such as CON or nul.txt
    return safe;
}

ExportResult exportDataFolder(const QString &dataFolder, const QString &destination,
                              const ExportOptions &options, ExportProgress *progress)
{
    const QString dataDir = QDir(dataFolder).absolutePath();
    if (!QFileInfo(dataDir).isDir())
        throw FolderUnreadable(
            QStringLiteral("Dosarul %1 nu exista sau nu este un dosar.").arg(native(dataDir)));
    const QString actePath = resolveFileName(ActsTable::path(dataDir));
    if (!QFileInfo(actePath).isFile())
        throw FolderUnreadable(missingActsTableText(dataDir));
    if (QFileInfo::exists(ArchiveRecoding::journalPath(dataDir)))
        throw ExportRefused(QStringLiteral("Recodarea arhivei din %1 nu este incheiata, iar unele "
                                           "documente pot fi codate cu parola veche. Rulati intai "
                                           "\"dosarium-arhiva verifica --repara\" (sau porniti "
                                           "programul), apoi exportati.")
                                .arg(native(dataDir)));
    TableSnapshot acte;
    try {
        acte = readTable(actePath);
    } catch (const Error &e) {
        throw FolderUnreadable(e.message());
    }
    const QByteArray key = readArchiveKeyOnly(dataDir);
    prepareDestination(dataDir, destination);

    const TableLayout &layout = acte.layout;
    const ActsTable::Reader reader(layout, QFileInfo(actePath).fileName());

    // The acts in the order of their ids, rows of one id in the table's order.
    std::vector<PlannedAct> acts;
    for (quint32 r = 0; r < acte.count; ++r) {
        const char *record = acte.records.constData() + qsizetype(r) * layout.recordLength;
        if (record[0] == '*')
            continue;
        const ActRow row = reader.read(record, r);
        PlannedAct act;
        act.record = r;
        // Only an act number names a document: a value such as 1.5 is never taken for act 2.
        act.id = row.id.value_or(-1);
        act.year = row.year;
        act.domain = row.domain;
        act.subdomain = row.subdomain;
        act.extension = reader.extension(record);
        acts.push_back(std::move(act));
    }
    std::stable_sort(acts.begin(), acts.end(),
                     [](const PlannedAct &a, const PlannedAct &b) { return a.id < b.id; });

    ExportResult result;
    result.acts = int(acts.size());
    if (QFileInfo::exists(joinPath(dataDir, ActJournal::kFileName)))
        result.notes << QStringLiteral("Atentie: o operatie pe un act a fost intrerupta (a ramas "
                                       "jurnalul Acte.jrn); documentul acelui act poate lipsi "
                                       "din export.");
    TargetNames names;
    qint64 totalBytes = 0;
    std::vector<PlannedAct *> jobs;
    const QDir base(dataDir);
    for (PlannedAct &act : acts) {
        try {
            act.source =
                ActsTable::archivedFile(dataDir, act.year, act.domain, act.subdomain, act.id);
            act.archivePath = base.relativeFilePath(act.source);
        } catch (const LinkInArchive &e) {
            act.archivePath = QStringLiteral("%1/%2/%3/%4")
                                  .arg(act.year)
                                  .arg(act.domain, act.subdomain)
                                  .arg(act.id);
            act.missing = e.message();
            continue;
        } catch (const Error &) {
            act.archivePath = QStringLiteral("%1/%2/%3/%4")
                                  .arg(act.year)
                                  .arg(act.domain, act.subdomain)
                                  .arg(act.id);
            act.missing = act.id < 0 || act.year < 0
                              ? QStringLiteral("actul nu are un IDACT sau un an bun")
                              : QStringLiteral("domeniul sau subdomeniul nu poate numi un "
                                               "director al arhivei");
            continue;
        }
        const std::optional<FileStatus> info = statusAt(act.source);
        if (!info) {
            act.missing = errno == ENOENT || errno == ENOTDIR
                              ? QStringLiteral("fisierul lipseste")
                              : QStringLiteral("nu pot citi fisierul: ") + causeText(errno);
            continue;
        }
        if (info->kind != EntryKind::File) {
            act.missing = QStringLiteral("in locul fisierului este altceva decat un fisier");
            continue;
        }
        act.size = info->size;
        totalBytes += info->size;
        act.target =
            names.file(names.folder({QString::number(act.year), act.domain, act.subdomain}), act.id,
                       act.extension);
        jobs.push_back(&act);
    }

    // The documents are copied by a few workers side by side, each with its own fingerprint
    // thread: on a machine of several cores the export then goes about as fast as the disk.
    if (progress)
        progress->begin(totalBytes, int(jobs.size()));
    std::atomic<qint64> copied{0};
    std::atomic<int> finished{0};
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex shared;
    QSet<QString> madeFolders;
    QString failure;
    const auto work = [&] {
        std::deque<Sha256> fingerprints; // alive until the hasher has finished with them
        ParallelHasher hasher;
        for (size_t i; !stop && (i = next++) < jobs.size(); ++finished) {
            PlannedAct &act = *jobs[i];
            try {
                FileStatus info;
                const Descriptor in(openDocument(act, info));
                if (in.fd < 0)
                    continue;
                const QString folder = act.target.left(act.target.lastIndexOf(QLatin1Char('/')));
                {
                    const std::lock_guard<std::mutex> lock(shared);
                    if (!madeFolders.contains(folder)) {
                        if (!QDir().mkpath(destination + QLatin1Char('/') + folder))
                            throw Error(QStringLiteral("Nu pot crea dosarul %1.")
                                            .arg(native(destination + QLatin1Char('/') + folder)));
                        madeFolders.insert(folder);
                    }
                }
                fingerprints.emplace_back();
                copyDocument(act, in, info, destination, key, hasher, fingerprints.back(), copied);
            } catch (const std::exception &e) {
                const std::lock_guard<std::mutex> lock(shared);
                if (failure.isEmpty())
                    failure = dynamic_cast<const Error *>(&e)
                                  ? static_cast<const Error &>(e).message()
                                  : QString::fromLocal8Bit(e.what());
                stop = true;
            }
        }
        hasher.drain();
    };
    const int workers =
        int(std::clamp<unsigned>(std::thread::hardware_concurrency() + 1, 2, kMaxWorkers));
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back(work);
    qint64 shownBytes = 0;
    int shownDocuments = 0;
    const auto show = [&] {
        if (!progress)
            return;
        const qint64 bytes = copied;
        if (bytes > shownBytes)
            progress->advance(bytes - std::exchange(shownBytes, bytes));
        for (const int done = finished; shownDocuments < done; ++shownDocuments)
            progress->documentDone();
    };
    while (finished < int(jobs.size()) && !stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        show();
    }
    for (std::thread &t : threads)
        t.join();
    show();
    if (progress)
        progress->end();
    if (!failure.isEmpty())
        throw Error(failure);
    for (const PlannedAct *act : jobs) {
        if (act->missing.isEmpty()) {
            ++result.documents;
            result.bytes += act->size;
        }
    }
    for (PlannedAct &act : acts) {
        if (!act.missing.isEmpty()) {
            act.sha256.clear();
            act.target.clear();
        }
    }

    // The register, with each act's exported document and its fingerprint.
    std::vector<quint32> records;
    records.reserve(acts.size());
    QHash<quint32, const PlannedAct *> byRecord;
    for (const PlannedAct &act : acts) {
        records.push_back(act.record);
        byRecord.insert(act.record, &act);
    }
    {
        CsvWriter csv(destination + QStringLiteral("/acte.csv"), options.separator);
        for (const Field &field : layout.fields)
            csv.field(field.name);
        csv.field(QStringLiteral("FISIER"));
        csv.field(QStringLiteral("SHA256"));
        csv.endRow();
        writeRows(csv, acte, records, [&](quint32 r) {
            const PlannedAct *act = byRecord.value(r);
            csv.field(act->target);
            csv.field(QByteArrayView(act->sha256));
        });
        csv.close();
    }

    // The acts whose document could not be exported.
    {
        CsvWriter csv(destination + QStringLiteral("/lipsa.csv"), options.separator);
        for (const QString &title :
             {ActsTable::kId, ActsTable::kYear, ActsTable::kDomain, ActsTable::kSubdomain,
              ActsTable::kTitle, QStringLiteral("FISIER_ARHIVA"), QStringLiteral("MOTIV")})
            csv.field(title);
        csv.endRow();
        for (const PlannedAct &act : acts) {
            if (act.missing.isEmpty())
                continue; // exported
            const char *record =
                acte.records.constData() + qsizetype(act.record) * layout.recordLength;
            csv.field(fieldText(layout, reader.idField(), record));
            csv.field(QString::number(act.year));
            csv.field(act.domain);
            csv.field(act.subdomain);
            csv.field(reader.title(record));
            csv.field(act.archivePath);
            csv.field(act.missing);
            csv.endRow();
            result.missing.append({act.id, act.archivePath, act.missing});
        }
        csv.close();
    }

    // The activity log, in the order it was written.
    const QString logPath = resolveFileName(LogTable::path(dataDir));
    if (!QFileInfo(logPath).isFile()) {
        result.logProblem = QStringLiteral("Tabelul ") + LogTable::kFileName +
                            QStringLiteral(" lipseste: jurnal.csv nu a fost scris.");
        return result;
    }
    TableSnapshot log;
    try {
        log = readTable(logPath);
    } catch (const Error &e) {
        result.logProblem = e.message() + QStringLiteral(" jurnal.csv nu a fost scris.");
        return result;
    }
    {
        std::vector<quint32> live;
        for (quint32 r = 0; r < log.count; ++r) {
            if (log.records.at(qsizetype(r) * log.layout.recordLength) != '*')
                live.push_back(r);
        }
        CsvWriter csv(destination + QStringLiteral("/jurnal.csv"), options.separator);
        for (const Field &field : log.layout.fields)
            csv.field(field.name);
        csv.endRow();
        writeRows(csv, log, live);
        csv.close();
        result.logEntries = int(live.size());
    }
    return result;
}

} // namespace dosarium
