// Speed of the archive console and of the statement console on an office's volume:
// - the check of 100,000 acts and their documents, against a bare listing of the same tree (the
//   floor any check pays) and the same listing with every file's size;
// - the export of 1 GB of coded documents, against "cp -r" of the same data folder in the same
//   run;
// - dosarium-sql printing SELECT * ... ORDER BY DATAACT over 100,000 acts to a file, against the
//   sqlite3 console printing the same rows from an SQLite copy of the table, side by side.
// Trees and tables are written before any clock starts; the page cache is warm, as it is for an
// office that checks or exports the folder it works in.
#include "SampleRegister.h"

#include "access/UserFile.h"
#include "app/ActsTable.h"
#include "app/LogTable.h"
#include "archive/KeyCursor.h"
#include "platform/FileHandles.h"
#include "platform/FolderListing.h"
#include "store/Engine.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "tools/ArchiveCheck.h"
#include "tools/ArchiveExport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

using namespace dosarium;

namespace {

const QByteArray kKey("Parola#Arhiva2005");

struct ActPlace {
    qint64 id;
    QString folder; // year/domain/subdomain
};

// The acts of a sample register with the folders of their documents.
QList<ActPlace> actPlaces(const QString &dataDir)
{
    Query q;
    q.appendSql(QStringList{QStringLiteral("SELECT ") + ActsTable::kId, ActsTable::kYear,
                            ActsTable::kDomain, ActsTable::kSubdomain}
                    .join(QStringLiteral(", ")) +
                QStringLiteral(" FROM ") + quoteText(ActsTable::path(dataDir)));
    q.open();
    QList<ActPlace> places;
    for (int r = 0; r < q.recordCount(); ++r)
        places.append({q.text(r, 0).toLongLong(), q.text(r, 1) + QLatin1Char('/') + q.text(r, 2) +
                                                      QLatin1Char('/') + q.text(r, 3)});
    return places;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

// A data folder as the program leaves it: the register, the log, the user file with the key.
void writeDataFolder(const QString &dataDir, int acts)
{
    bench::writeSampleRegister(dataDir, acts);
    Query sx;
    LogTable::create(sx, dataDir, [] {});
    UserEntry admin = defaultUserEntry();
    admin.Password = kKey;
    WriteUserFile(dataDir, {admin});
}

// 100,000 acts, each with a small coded document in its folder.
struct CheckedFolder {
    QTemporaryDir dir;
    CheckedFolder()
    {
        writeDataFolder(dir.path(), 100'000);
        QRandomGenerator rng(7);
        QSet<QString> made;
        for (const ActPlace &act : actPlaces(dir.path())) {
            const QString folder = dir.path() + QLatin1Char('/') + act.folder;
            if (!made.contains(folder)) {
                QDir().mkpath(folder);
                made.insert(folder);
            }
            QByteArray bytes(1 + rng.bounded(200), 'x');
            KeyCursor(kKey).code(bytes.data(), bytes.size());
            writeFile(folder + QLatin1Char('/') + QString::number(act.id), bytes);
        }
        syncAllFiles();
    }
};

CheckedFolder &checkedFolder()
{
    static CheckedFolder folder;
    return folder;
}

// The archive tree listed by the fast folder listing alone, with nothing of a check's work: no
// check can do less. With sizes, each file is also looked at by its path.
qint64 listTree(FolderListing &listing, const QString &path, int dirFd, bool withSizes)
{
    if (dirFd < 0)
        return 0;
    qint64 files = 0;
    QStringList folders;
    listing.list(dirFd, [&](const QString &name, EntryKind kind, qint64) {
        if (name.startsWith(QLatin1Char('.')))
            return;
        if (kind == EntryKind::Folder) {
            folders << name;
            return;
        }
        ++files;
        if (withSizes) {
            const std::optional<FileStatus> info = statusAt(path + QLatin1Char('/') + name);
            benchmark::DoNotOptimize(info);
        }
    });
    for (const QString &name : std::as_const(folders))
        files += listTree(listing, path + QLatin1Char('/') + name,
                          FolderListing::openSubfolder(dirFd, name), withSizes);
    FolderListing::closeFolder(dirFd);
    return files;
}

void listing(benchmark::State &state, bool withSizes)
{
    const QString root = checkedFolder().dir.path();
    FolderListing listing;
    for (auto _ : state) {
        const qint64 files = listTree(listing, root, FolderListing::openFolder(root), withSizes);
        benchmark::DoNotOptimize(files);
        state.counters["files"] = double(files);
    }
}

void listingFloor(benchmark::State &state)
{
    listing(state, false);
}
BENCHMARK(listingFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void listingWithSizes(benchmark::State &state)
{
    listing(state, true);
}
BENCHMARK(listingWithSizes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void verifica(benchmark::State &state)
{
    const QString root = checkedFolder().dir.path();
    for (auto _ : state) {
        const CheckResult result = checkDataFolder(root);
        if (!result.findings.isEmpty() || result.acts != 100'000) {
            state.SkipWithError(result.findings.isEmpty()
                                    ? "wrong number of acts"
                                    : result.findings.first().text.toLocal8Bit().constData());
            break;
        }
        state.counters["acts"] = result.acts;
    }
}
BENCHMARK(verifica)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// About 1 GB of coded scans (1024 acts of 200 KB to 1.8 MB) in their folders.
struct ExportedFolder {
    QTemporaryDir dir;
    QString data;
    qint64 bytes = 0;
    ExportedFolder() : data(dir.filePath(QStringLiteral("Data")))
    {
        QDir().mkpath(data);
        writeDataFolder(data, 1024);
        QRandomGenerator rng(11);
        QByteArray bytes(2 << 20, Qt::Uninitialized);
        for (const ActPlace &act : actPlaces(data)) {
            const QString folder = data + QLatin1Char('/') + act.folder;
            QDir().mkpath(folder);
            const qsizetype size = 200'000 + qsizetype(rng.bounded(1'600'000));
            rng.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4 + 1);
            writeFile(folder + QLatin1Char('/') + QString::number(act.id), bytes.left(size));
            this->bytes += size;
        }
        syncAllFiles();
    }
};

ExportedFolder &exportedFolder()
{
    static ExportedFolder folder;
    return folder;
}

double seconds(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// One round: cp -r and the export of the same folder, in alternating order, each into a new
// folder and after everything before it is on the disk. The iteration's time is the export's;
// the counters are the medians of the rounds.
void exportAgainstCopy(benchmark::State &state)
{
    ExportedFolder &folder = exportedFolder();
    const QString copy = folder.dir.filePath(QStringLiteral("copie"));
    const QString exported = folder.dir.filePath(QStringLiteral("export"));
    std::vector<double> copies, exports, ratios;
    int round = 0;
    for (auto _ : state) {
        double copySeconds = 0, exportSeconds = 0;
        for (int step = 0; step < 2; ++step) {
            QDir(copy).removeRecursively();
            QDir(exported).removeRecursively();
            syncAllFiles();
            QElapsedTimer clock;
            clock.start();
            if ((step + round) % 2 == 0) {
                if (QProcess::execute(QStringLiteral("cp"),
                                      {QStringLiteral("-r"), folder.data, copy}) != 0)
                    state.SkipWithError("cp -r failed");
                copySeconds = seconds(clock);
            } else {
                const ExportResult result = exportDataFolder(folder.data, exported, {});
                exportSeconds = seconds(clock);
                if (!result.missing.isEmpty() || result.bytes != folder.bytes)
                    state.SkipWithError("export incomplete");
            }
        }
        ++round;
        state.SetIterationTime(exportSeconds);
        copies.push_back(copySeconds);
        exports.push_back(exportSeconds);
        ratios.push_back(copySeconds / exportSeconds);
    }
    state.counters["cp_r_s"] = median(copies);
    state.counters["export_s"] = median(exports);
    state.counters["speed_vs_cp"] = median(ratios);
    state.counters["GB"] = double(folder.bytes) / 1e9;
}
BENCHMARK(exportAgainstCopy)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

// The register of 100,000 acts and its copy in SQLite, made from the rows dosarium-sql prints.
struct PrintedRegister {
    QTemporaryDir dir;
    QString acte;
    QString sqlite;
    QString copy;
    QString error;
    PrintedRegister()
        : acte(ActsTable::path(dir.path())),
          sqlite(QStandardPaths::findExecutable(QStringLiteral("sqlite3"))),
          copy(dir.filePath(QStringLiteral("acte.db")))
    {
        bench::writeSampleRegister(dir.path(), 100'000);
        if (sqlite.isEmpty()) {
            error = QStringLiteral("sqlite3 is not installed (apt-get install sqlite3)");
            return;
        }
        const QString rows = dir.filePath(QStringLiteral("rows.tsv"));
        QProcess print;
        print.setStandardOutputFile(rows);
        print.start(QStringLiteral(DOSARIUM_SQL_PATH),
                    {QStringLiteral("SELECT * FROM ") + quoteText(acte)});
        print.waitForFinished(-1);
        QProcess load;
        load.start(sqlite, {copy});
        load.waitForStarted();
        // The copy's columns in the register's order, the numbers as integers.
        QStringList columns;
        for (const QString &c :
             {ActsTable::kId, ActsTable::kYear, ActsTable::kDate, ActsTable::kDomain,
              ActsTable::kSubdomain, ActsTable::kTitle, ActsTable::kSeries, ActsTable::kNumber,
              ActsTable::kCode, ActsTable::kExtension, ActsTable::kNote, ActsTable::kMonth})
            columns << c + (c == ActsTable::kId || c == ActsTable::kYear || c == ActsTable::kMonth
                                ? QStringLiteral(" INTEGER")
                                : QStringLiteral(" TEXT"));
        load.write((QStringLiteral("CREATE TABLE acte (") + columns.join(QStringLiteral(", ")) +
                    QStringLiteral(");\n.mode tabs\n.import --skip 1 "))
                       .toLatin1());
        load.write(QFile::encodeName(rows));
        load.write(" acte\nUPDATE acte SET DATAACT = substr(DATAACT,7,4) || '-' || "
                   "substr(DATAACT,4,2) || '-' || substr(DATAACT,1,2);\n");
        load.closeWriteChannel();
        load.waitForFinished(-1);
        QProcess count;
        count.start(sqlite, {copy, QStringLiteral("SELECT count(*) FROM acte")});
        count.waitForFinished(-1);
        if (count.readAllStandardOutput().trimmed() != "100000")
            error = QStringLiteral("the SQLite copy was not made: ") +
                    QString::fromLocal8Bit(load.readAllStandardError());
        syncAllFiles();
    }
};

PrintedRegister &printedRegister()
{
    static PrintedRegister r;
    return r;
}

double timedRun(const QString &program, const QStringList &arguments, const QString &output)
{
    QProcess process;
    process.setStandardOutputFile(output);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    const double s = seconds(clock);
    return process.exitCode() == 0 ? s : -1;
}

// Both consoles print the 100,000 rows ordered by date to a file, in alternating order.
void sqlConsoleAgainstSqlite(benchmark::State &state)
{
    PrintedRegister &r = printedRegister();
    if (!r.error.isEmpty()) {
        state.SkipWithError(r.error.toLocal8Bit().constData());
        return;
    }
    const QString ours = r.dir.filePath(QStringLiteral("dosarium.out"));
    const QString theirs = r.dir.filePath(QStringLiteral("sqlite.out"));
    std::vector<double> oursAll, theirsAll, ratios;
    int round = 0;
    for (auto _ : state) {
        double oursSeconds = 0, theirsSeconds = 0;
        for (int step = 0; step < 2; ++step) {
            if ((step + round) % 2 == 0)
                oursSeconds = timedRun(QStringLiteral(DOSARIUM_SQL_PATH),
                                       {QStringLiteral("SELECT * FROM ") + quoteText(r.acte) +
                                        QStringLiteral(" ORDER BY DATAACT")},
                                       ours);
            else
                theirsSeconds = timedRun(
                    r.sqlite, {r.copy, QStringLiteral("SELECT * FROM acte ORDER BY DATAACT")},
                    theirs);
        }
        if (oursSeconds < 0 || theirsSeconds < 0) {
            state.SkipWithError("a console failed");
            break;
        }
        ++round;
        state.SetIterationTime(oursSeconds);
        oursAll.push_back(oursSeconds);
        theirsAll.push_back(theirsSeconds);
        ratios.push_back(theirsSeconds / oursSeconds);
    }
    if (round == 0)
        return;
    state.counters["dosarium_sql_s"] = median(oursAll);
    state.counters["sqlite3_s"] = median(theirsAll);
    state.counters["speed_vs_sqlite3"] = median(ratios);
    state.counters["MB_printed"] = double(QFileInfo(ours).size()) / 1e6;
}
BENCHMARK(sqlConsoleAgainstSqlite)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

} // namespace

BENCHMARK_MAIN();
