// The check of a data folder: every kind of finding at once and each once, the repairs that are
// safe and nothing more, a clean folder, folders that cannot be read, letter case in folders,
// and partial files or a re-coding that may belong to another workstation.
#include "access/ArchiveRecoding.h"
#include "app/SettingsFile.h"
#include "archive/ArchivePath.h"
#include "archive/KeyCursor.h"
#include "platform/Names.h"
#include "register/ActJournal.h"
#include "store/Engine.h"
#include "store/FilePath.h"
#include "store/Statement.h"
#include "tools/ArchiveConsole.h"
#include "tools/ArchiveRepair.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "ToolData.h"

using namespace dosarium;
using namespace dosarium::testing;

namespace {

QByteArray coded(QByteArray bytes, const QByteArray &key)
{
    KeyCursor(key).code(bytes.data(), bytes.size());
    return bytes;
}

QList<Finding::Kind> kindsOf(const CheckResult &result)
{
    QList<Finding::Kind> kinds;
    for (const Finding &f : result.findings)
        kinds << f.kind;
    return kinds;
}

// A temporary file name of a replacement by `host` and process `pid`.
QString temporaryName(const QString &target, const QString &host, qint64 pid)
{
    return target + QStringLiteral(".~dsm-%1-%2-0123456789abcdef").arg(host).arg(pid);
}

// This computer's name as its replacements write it (on Windows, its name in capitals).
QString thisWorkstation()
{
    return computerName().left(15).replace(QLatin1Char('-'), QLatin1Char('_'));
}

void makeOld(const QString &path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600),
                  QFileDevice::FileModificationTime);
}

// A process id that no process has: past the system's highest.
constexpr qint64 kEndedProcess = 4'194'304 + 17;

int run(const QStringList &args, QString *output = nullptr)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runArchiveTool(args, o, e);
    if (output)
        *output = out + err;
    return status;
}

} // namespace

TEST(ArchiveCheck, everyKindAtOnce_eachReportedOnce_repairLeavesWhatAPersonMustDecide)
{
    ToolData data;
    const QByteArray scan1(30000, 'a'), scan5 = QByteArrayLiteral("raport lunar");
    const QString id1 = data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), scan1);
    const QString id2 = data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "b");
    const QString id3 = data.add(QStringLiteral("Facturi"), QStringLiteral("2005"), "c");
    data.add(QStringLiteral("A:B"), QStringLiteral("Sub"), "d");
    const QString id5 = data.add(QStringLiteral("Rapoarte"), QStringLiteral("Lunar"), scan5);
    const QString folder = QStringLiteral("2005/Contracte/Furnizori/");

    ASSERT_TRUE(QFile::remove(data.path(folder + id2))); // an act without its document
    writeFile(data.path(QStringLiteral("2005/Facturi/2005/") + id3), {}); // emptied
    writeFile(data.path(folder + QStringLiteral("99")), "x");             // documents without acts
    writeFile(data.path(QStringLiteral("2006/ratacit.pdf")), "y");
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, DOMENIUL, SUBDOM) VALUES (%2, "
                                   "2005, \"Contracte\", \"Furnizori\")")
                        .arg(quoteText(data.workspace.actePath()), id1));
    SettingsFile settings(data.dataDir());
    settings.write(QStringLiteral("INDEX"), QStringLiteral("IDACT"), QStringLiteral("3"));
    settings.write(QStringLiteral("INDEX"), QStringLiteral("IDLOG"), QStringLiteral("2"));
    const QString rapoarte = QStringLiteral("2005/Rapoarte/Lunar/") + id5;
    writeFile(data.path(temporaryName(rapoarte, thisWorkstation(), kEndedProcess)), "partial");
    const QString oldTemporary =
        temporaryName(QStringLiteral("Acte.dbf"), QStringLiteral("ALTA"), 7);
    writeFile(data.path(oldTemporary), "partial");
    makeOld(data.path(oldTemporary));

    // A re-coding to a new key that stopped after its first document.
    const QByteArray newKey = QByteArrayLiteral("noua");
    {
        ArchiveRecoding recoding(data.workspace, [&] { return ReadArchiveKey(data.dataDir()); });
        NoProgress progress;
        recoding.open(progress);
        recoding.plan(data.key(), newKey);
        UserEntry admin = defaultUserEntry();
        admin.Password = newKey;
        WriteUserFile(data.dataDir(), {admin});
        recoding.setCrashPoint([](int recoded) { return recoded == 1; });
        EXPECT_THROW(recoding.run(progress), SimulatedCrash);
    }

    // A deletion stopped before its row went: the journal stays for the program's next start.
    ActJournal(data.workspace.context())
        .begin(ActJournal::Entry::of(ActJournal::Kind::Delete, data.dataDir(), id5,
                                     data.path(rapoarte), QString()));

    const CheckResult found = checkDataFolder(data.dataDir());
    using K = Finding::Kind;
    EXPECT_EQ(kindsOf(found),
              (QList<K>{K::MissingDocument, K::EmptyDocument, K::OrphanDocument, K::OrphanDocument,
                        K::DuplicateId, K::FolderName, K::CounterBehind, K::CounterBehind,
                        K::PartialFile, K::PartialFile, K::RecodingLeft, K::ActJournalLeft}));
    EXPECT_TRUE(found.findings.at(0).text.contains(folder + id2))
        << found.findings.at(0).text.toStdString();
    EXPECT_TRUE(found.findings.at(5).text.contains(QStringLiteral("\"A:B\" (1 act)")));
    EXPECT_EQ(found.acts, 6);
    EXPECT_EQ(found.documents, 6); // 4 of acts, 2 strays

    const QByteArray table = readAll(data.workspace.actePath());
    const RepairResult repaired = repairDataFolder(data.dataDir(), found);
    EXPECT_EQ(repaired.done.size(), 5) << repaired.done.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(repaired.failed.isEmpty()) << repaired.failed.join(QLatin1Char('\n')).toStdString();

    const CheckResult after = checkDataFolder(data.dataDir());
    EXPECT_EQ(kindsOf(after),
              (QList<K>{K::MissingDocument, K::EmptyDocument, K::OrphanDocument, K::OrphanDocument,
                        K::DuplicateId, K::FolderName, K::ActJournalLeft}));
    // The counters run on past the ids in use; no row and no document went.
    EXPECT_EQ(settings.read(QStringLiteral("INDEX"), QStringLiteral("IDACT")),
              QString::number(id5.toInt() + 1));
    EXPECT_GT(settings.read(QStringLiteral("INDEX"), QStringLiteral("IDLOG")).toInt(), 5);
    EXPECT_EQ(readAll(data.workspace.actePath()), table);
    EXPECT_TRUE(QFileInfo::exists(data.path(folder + QStringLiteral("99"))));
    // Every document stands under the key the user file holds now.
    EXPECT_EQ(readAll(data.path(folder + id1)), coded(scan1, newKey));
    EXPECT_EQ(readAll(data.path(rapoarte)), coded(scan5, newKey));
    EXPECT_FALSE(QFileInfo::exists(ArchiveRecoding::journalPath(data.dataDir())));
}

TEST(ArchiveCheck, cleanFolderReportsNothingAndWritesNothing_unreadableFoldersExitTwo)
{
    ToolData data;
    data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "a");
    data.add(QStringLiteral("Contracte"), QStringLiteral("Clienti"), "b", QDate(2006, 1, 2));
    const auto before = folderContent(data.dataDir());
    QString report;
    EXPECT_EQ(run({QStringLiteral("verifica"), data.dataDir()}, &report), StatusClean)
        << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral("2 acte, 2 documente in arhiva; nicio problema.\n")))
        << report.toStdString();
    EXPECT_EQ(folderContent(data.dataDir()), before);
    EXPECT_EQ(run({QStringLiteral("verifica"), QStringLiteral("--repara"), data.dataDir()}),
              StatusClean);
    EXPECT_EQ(folderContent(data.dataDir()), before);

    QTemporaryDir empty;
    EXPECT_EQ(run({QStringLiteral("verifica"), empty.path()}, &report), StatusFailed);
    EXPECT_TRUE(report.contains(QStringLiteral("nu are tabelul Acte.dbf"))) << report.toStdString();
    EXPECT_EQ(run({QStringLiteral("verifica"), empty.filePath(QStringLiteral("nu-exista"))}),
              StatusFailed);
    writeFile(empty.filePath(QStringLiteral("ACTE.DBF")), "not a table");
    EXPECT_EQ(run({QStringLiteral("verifica"), empty.path()}), StatusFailed);
    EXPECT_EQ(run({QStringLiteral("verifica")}), StatusFailed);
    EXPECT_EQ(run({QStringLiteral("sterge"), empty.path()}), StatusFailed);
}

TEST(ArchiveCheck, damagedFiles_areToldInTheProgramsOwnWords_andLeftAsTheyAre)
{
    ToolData data;
    data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "a");
    const QByteArray users = readAll(userFilePath(data.dataDir()));
    writeFile(userFilePath(data.dataDir()), users + "\x05"
                                                    "AD"); // a piece of a record
    QFile settings(SettingsFile(data.dataDir()).path());
    ASSERT_TRUE(settings.open(QIODevice::Append));
    settings.write("IDACT 7\r\n"); // neither a section nor a key
    settings.close();
    QFile log(resolveFileName(data.workspace.logPath()));
    ASSERT_TRUE(log.open(QIODevice::ReadWrite));
    log.resize(log.size() - 10); // the last entry cut short
    log.close();
    const auto before = folderContent(data.dataDir());

    QString report;
    EXPECT_EQ(
        run({QStringLiteral("verifica"), QStringLiteral("--repara"), data.dataDir()}, &report),
        StatusFound);
    // The table is named as the program reaches it (on Windows, as the program names it).
    for (const QString &told :
         {QStringLiteral("Tabelul ") + QFileInfo(log).fileName() +
              QStringLiteral(" este deteriorat: antetul numara 1 randuri, dar"),
          QStringLiteral("ini.mpg este deteriorat: are 70 octeti"),
          QStringLiteral("Dsm.in este deteriorat: randul")})
        EXPECT_TRUE(report.contains(told)) << qPrintable(told) << '\n' << report.toStdString();
    EXPECT_EQ(folderContent(data.dataDir()), before);
}

TEST(ArchiveCheck, foldersInAnotherLetterCase_areReachedAsTheProgramReachesThem)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows keeps no two folders whose names differ only in letter case";
#endif
    ToolData data;
    const QString id = data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "a");
    // Another workstation made the folders in capitals; a stray copy sits in a third spelling.
    QDir year(data.path(QStringLiteral("2005")));
    ASSERT_TRUE(year.rename(QStringLiteral("Contracte"), QStringLiteral("CONTRACTE")));
    ASSERT_TRUE(year.mkpath(QStringLiteral("contracte/Furnizori")));
    writeFile(year.filePath(QStringLiteral("contracte/Furnizori/") + id), "copie");
    ASSERT_EQ(ArchivePath(data.dataDir(), 2005, QStringLiteral("Contracte"),
                          QStringLiteral("Furnizori"), id.toLongLong()),
              year.filePath(QStringLiteral("CONTRACTE/Furnizori/") + id));

    const CheckResult found = checkDataFolder(data.dataDir());
    ASSERT_EQ(kindsOf(found), QList<Finding::Kind>{Finding::Kind::OrphanDocument});
    EXPECT_TRUE(found.findings.at(0).text.contains(QStringLiteral("2005/contracte/Furnizori/")));
}

TEST(ArchiveCheck, anIdThatIsNoActNumber_andActNumbersUsedUp_areExplained)
{
    ToolData data;
    data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "a");
    data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "b");
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, DOMENIUL, SUBDOM) VALUES (7777, "
                                   "2005, \"Contracte\", \"Furnizori\")")
                        .arg(quoteText(data.workspace.actePath())));
    // Written elsewhere: an IDACT that reads 1.5, which is neither act 1 nor act 2.
    const QString table = resolveFileName(data.workspace.actePath());
    QByteArray bytes = readAll(table);
    ASSERT_EQ(bytes.count("      7777"), 1);
    writeFile(table, bytes.replace("      7777", "       1.5"));
    SettingsFile(data.dataDir())
        .write(QStringLiteral("INDEX"), QStringLiteral("IDACT"), QStringLiteral("10000000000"));

    const CheckResult found = checkDataFolder(data.dataDir());
    ASSERT_EQ(kindsOf(found),
              (QList<Finding::Kind>{Finding::Kind::InvalidId, Finding::Kind::IdsUsedUp}));
    EXPECT_TRUE(found.findings.at(0).text.contains(QStringLiteral("IDACT \"1.5\"")))
        << qPrintable(found.findings.at(0).text);
    EXPECT_TRUE(found.findings.at(1).text.startsWith(
        QStringLiteral("Numerele actelor s-au terminat: contorul IDACT din Dsm.in a ajuns la "
                       "10000000000")))
        << qPrintable(found.findings.at(1).text);
}

TEST(ArchiveCheck, writesThatMayBeGoingOnElsewhere_areReportedAndLeftAlone)
{
    ToolData data;
    const QString id = data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "a");
    const QString target = data.path(QStringLiteral("2005/Contracte/Furnizori/") + id);
    const QString fresh = temporaryName(target, QStringLiteral("ALTA"), 7);
    const QString running =
        temporaryName(target, thisWorkstation(), QCoreApplication::applicationPid());
    writeFile(fresh, "in lucru");
    writeFile(running, "in lucru");
    ArchiveRecoding elsewhere(data.workspace, [&] { return ReadArchiveKey(data.dataDir()); });
    NoProgress progress;
    elsewhere.open(progress); // holds the journal, as a pass running on another workstation
    // An act operation under way in another running copy: its journal is held, not left.
    ActJournal operation(data.workspace.context());
    operation.begin(
        ActJournal::Entry::of(ActJournal::Kind::Delete, data.dataDir(), id, target, QString()));

    const CheckResult found = checkDataFolder(data.dataDir());
    using K = Finding::Kind;
    EXPECT_EQ(kindsOf(found),
              (QList<K>{K::PartialFile, K::PartialFile, K::RecodingRunning, K::ActJournalLeft}));
    EXPECT_TRUE(found.findings.last().text.contains(QStringLiteral("in curs chiar acum")))
        << found.findings.last().text.toStdString();
    EXPECT_FALSE(isRepairable(K::RecodingRunning));
    const RepairResult repaired = repairDataFolder(data.dataDir(), found);
    EXPECT_EQ(repaired.failed.size(), 2);
    EXPECT_TRUE(QFileInfo::exists(fresh));
    EXPECT_TRUE(QFileInfo::exists(running));
    EXPECT_TRUE(QFileInfo::exists(ArchiveRecoding::journalPath(data.dataDir())));

    makeOld(fresh); // nobody wrote it for an hour: its writer is gone
    EXPECT_EQ(repairDataFolder(data.dataDir(), checkDataFolder(data.dataDir())).done.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(fresh));
}

TEST(ArchiveCheck, countsReadAsRomanianWritesThem)
{
    const QString act = QStringLiteral("act"), acte = QStringLiteral("acte");
    EXPECT_EQ(countText(0, act, acte), QStringLiteral("0 acte"));
    EXPECT_EQ(countText(1, act, acte), QStringLiteral("1 act"));
    EXPECT_EQ(countText(19, act, acte), QStringLiteral("19 acte"));
    EXPECT_EQ(countText(20, act, acte), QStringLiteral("20 de acte"));
    EXPECT_EQ(countText(101, act, acte), QStringLiteral("101 acte"));
    EXPECT_EQ(countText(100000, act, acte), QStringLiteral("100000 de acte"));
}
