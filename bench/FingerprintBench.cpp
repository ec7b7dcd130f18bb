// What the fingerprints cost:
// - adding an act with a 10 MB scan the way a person does it ("Memoreaza" looks for the scan's
//   fingerprint, taken beside the dialog since the file was chosen, among the acts', then the
//   act is added with its fingerprint row), against the fingerprint's own steps timed alone (the
//   lookup and the two statements of the act's row): the addition without fingerprints is the
//   difference, and the steps must stay within 10 % of it; the scan's SHA-256 for comparison;
// - "verifica" decoding every document of a folder of 10,000 acts of 100 KB (1 GB) against
//   sha256sum over the same coded files; before the clock starts, one byte of one document is
//   flipped in place, and the check must name that act and nothing else.
// Folders are written before any clock starts, under $TMPDIR; the page cache is warm.
#include "SampleAct.h"
#include "access/UserFile.h"
#include "app/FingerprintsTable.h"
#include "app/Workspace.h"
#include "archive/ArchivePath.h"
#include "archive/KeyCursor.h"
#include "archive/ProgressSink.h"
#include "register/ActDialogRules.h"
#include "register/ActOperations.h"
#include "store/Engine.h"
#include "store/Statement.h"
#include "tools/ArchiveCheck.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

using namespace dosarium;

namespace {

const QByteArray kKey("Parola#Arhiva2005");
constexpr int kFolderActs = 10'000;
constexpr qint64 kDocumentBytes = 100 * 1024;

QByteArray pseudoScan(qint64 size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 x = seed * 2654435761u + 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = char(x);
    }
    return bytes;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::abort();
}

// A data folder of the program in a temporary folder, with the tables made as at a start.
struct Folder {
    QTemporaryDir exe;
    Workspace workspace;
    Folder()
    {
        workspace.setWorkstation({exe.path(), QStringLiteral("BIROU"), QStringLiteral("bench")});
        workspace.prepareFolders();
        workspace.CreateTables();
        workspace.UpgradeActe();
    }
    QString dataDir() const { return workspace.context().DataDir; }
};

// ---- adding an act with a 10 MB scan ----

struct Addition {
    Folder folder;
    ActOperations acts{folder.workspace, [] { return kKey; }};
    QString scan;
    Addition()
    {
        scan = folder.exe.filePath(QStringLiteral("scan.pdf"));
        writeBytes(scan, pseudoScan(10 * 1024 * 1024, 7));
        // An office's fingerprints to look through: 20,000 acts' rows.
        const QString dummy = folder.exe.filePath(QStringLiteral("coded"));
        writeBytes(dummy, "x");
        const QDateTime now = QDateTime::currentDateTime();
        for (int id = 1; id <= 20'000; ++id)
            FingerprintsTable::add(
                folder.dataDir(), 1'000'000 + id,
                {QCryptographicHash::hash(QByteArray::number(id), QCryptographicHash::Sha256)
                     .toHex(),
                 id, 0},
                dummy, now, QStringLiteral("BIROU - bench"));
    }
};

Addition &addition()
{
    static Addition a;
    return a;
}

// "Memoreaza" to the act stored: the lookup among the fingerprints, the addition with its
// fingerprint row. The scan's fingerprint is taken beside the dialog once the file is chosen.
void addTenMegabyteScan(benchmark::State &state)
{
    Addition &a = addition();
    NoProgress progress;
    ActEntry act = bench::sampleAct(a.scan);
    act.fingerprint = fingerprintOfFile(a.scan);
    for (auto _ : state) {
        benchmark::DoNotOptimize(alreadyArchivedQuestion(a.folder.dataDir(), *act.fingerprint));
        benchmark::DoNotOptimize(a.acts.add(act, progress));
    }
}
BENCHMARK(addTenMegabyteScan)->Unit(benchmark::kMillisecond)->Iterations(20);

// The fingerprint's part of that addition alone: the lookup and the act's row.
void fingerprintStepsOfTheAddition(benchmark::State &state)
{
    Addition &a = addition();
    const QString coded = a.folder.exe.filePath(QStringLiteral("coded"));
    const DocumentFingerprint print = fingerprintOfFile(a.scan);
    for (auto _ : state) {
        benchmark::DoNotOptimize(alreadyArchivedQuestion(a.folder.dataDir(), print));
        FingerprintsTable::replace(a.folder.dataDir(), 999'999, print, coded,
                                   QDateTime::currentDateTime(), QStringLiteral("BIROU - bench"));
    }
}
BENCHMARK(fingerprintStepsOfTheAddition)->Unit(benchmark::kMillisecond)->Iterations(20);

// The scan's fingerprint itself, taken beside the dialog while the person types.
void fingerprintOfTheScan(benchmark::State &state)
{
    Addition &a = addition();
    for (auto _ : state)
        benchmark::DoNotOptimize(fingerprintOfFile(a.scan));
}
BENCHMARK(fingerprintOfTheScan)->Unit(benchmark::kMillisecond)->Iterations(20);

// ---- verifica against sha256sum ----

struct CheckedFolder {
    Folder folder;
    QString damagedAct;
    CheckedFolder()
    {
        const QString dataDir = folder.dataDir();
        const QString table = quoteText(folder.workspace.actePath());
        const QDateTime now = QDateTime::currentDateTime();
        for (int id = 1; id <= kFolderActs; ++id) {
            const QString domain = QStringLiteral("DOMENIU%1").arg(id % 50);
            const QString subdomain = QStringLiteral("SUB%1").arg(id % 7);
            Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, LUNA, DATAACT, DOMENIUL, "
                                           "SUBDOM) VALUES (%2, 2020, 1, \"05.01.2020\", %3, %4)")
                                .arg(table)
                                .arg(id)
                                .arg(quoteText(domain), quoteText(subdomain)));
            const QString path = ArchivePath(dataDir, 2020, domain, subdomain, id);
            QDir().mkpath(QFileInfo(path).path());
            const QByteArray plain = pseudoScan(kDocumentBytes, quint32(id));
            QByteArray coded = plain;
            KeyCursor(kKey).code(coded.data(), coded.size());
            writeBytes(path, coded);
            FingerprintsTable::add(
                dataDir, id,
                {QCryptographicHash::hash(plain, QCryptographicHash::Sha256).toHex(), plain.size(),
                 0},
                path, now, QStringLiteral("BIROU - bench"));
        }
        folder.workspace.WriteSetting(QStringLiteral("INDEX"), QStringLiteral("IDACT"),
                                      QString::number(kFolderActs + 1));
        UserEntry admin = defaultUserEntry();
        admin.Password = kKey;
        WriteUserFile(dataDir, {admin});
        // One byte flipped in place, its modification time kept, as a failing disk does it.
        const QString victim =
            ArchivePath(dataDir, 2020, QStringLiteral("DOMENIU%1").arg(1717 % 50),
                        QStringLiteral("SUB%1").arg(1717 % 7), 1717);
        const QDateTime time = QFileInfo(victim).fileTime(QFileDevice::FileModificationTime);
        QFile f(victim);
        f.open(QIODevice::ReadWrite);
        f.seek(51'200);
        char c = 0;
        f.getChar(&c);
        f.seek(51'200);
        f.putChar(char(c ^ 0x01));
        f.flush();
        f.setFileTime(time, QFileDevice::FileModificationTime);
        f.close();
        damagedAct = QStringLiteral("Actul 1717 ");
    }
};

CheckedFolder &checkedFolder()
{
    static CheckedFolder c;
    return c;
}

void verificaWithDecoding(benchmark::State &state)
{
    CheckedFolder &c = checkedFolder();
    for (auto _ : state) {
        const CheckResult result = checkDataFolder(c.folder.dataDir(), {true, nullptr});
        if (result.findings.size() != 1 || !result.findings.first().text.startsWith(c.damagedAct) ||
            result.fingerprinted != kFolderActs) {
            for (const Finding &f : result.findings)
                std::fprintf(stderr, "%s\n", qPrintable(f.text));
            state.SkipWithError("the check did not name exactly the damaged act");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFolderActs * kDocumentBytes);
}
BENCHMARK(verificaWithDecoding)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void sha256sumOfTheSameFiles(benchmark::State &state)
{
    CheckedFolder &c = checkedFolder();
    const QString script =
        QStringLiteral("cd %1 && find 2020 -type f -print0 | xargs -0 sha256sum > /dev/null")
            .arg(c.folder.dataDir());
    for (auto _ : state) {
        if (QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script}) != 0) {
            state.SkipWithError("sha256sum failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kFolderActs * kDocumentBytes);
}
BENCHMARK(sha256sumOfTheSameFiles)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
