// Adding, modifying, deleting and viewing acts without windows: what lands in the register, the
// archive and the log, and how each operation keeps them together when a step fails.
#include "register/ActOperations.h"
#include "RegisterData.h"
#include "access/ArchiveRecoding.h"
#include "access/ArchiveUseLock.h"
#include "app/FingerprintsTable.h"
#include "archive/ProgressSink.h"
#include "register/ActDialogRules.h"
#include "register/ActJournal.h"
#include "store/FilePath.h"
#include "store/Query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

const QByteArray kKey = QByteArrayLiteral("K3y");

// The coded form computed here, independently of the archive's code.
QByteArray coded(const QByteArray &plain, const QByteArray &key)
{
    QByteArray out = plain;
    for (qsizetype i = 0; i < out.size() && !key.isEmpty(); ++i)
        out[i] = char(out[i] ^ key[i % key.size()]);
    return out;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class ActOperationsTest : public ::testing::Test {
protected:
    QString writeSource(const QString &name, const QByteArray &bytes)
    {
        return writeSourceFile(sources, name, bytes);
    }
    QString dataDir() const { return data.workspace.context().DataDir; }
    // The register's row of act `id`, as the register window reads it.
    StoredAct stored(const QString &id)
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(data.workspace.actePath()));
        q.open();
        EXPECT_TRUE(q.locate(QStringLiteral("IDACT"), id));
        return {q.asString(QStringLiteral("IDACT")),    q.asInteger(QStringLiteral("ANUL")),
                q.asDate(QStringLiteral("DATAACT")),    q.asString(QStringLiteral("SERIA")),
                q.asString(QStringLiteral("NR")),       q.asString(QStringLiteral("COD")),
                q.asString(QStringLiteral("DOMENIUL")), q.asString(QStringLiteral("SUBDOM")),
                q.asString(QStringLiteral("TITLU")),    q.asString(QStringLiteral("OBS")),
                q.asString(QStringLiteral("EXTENSIE"))};
    }
    int rows(const QString &table)
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(table));
        q.open();
        return q.recordCount();
    }
    QStringList log()
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(data.workspace.logPath()));
        q.appendSql(QStringLiteral("ORDER BY IDLOG"));
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next())
            out << q.asString(QStringLiteral("ACTIUNE"));
        return out;
    }
    ActEntry contract(const QString &file)
    {
        ActEntry a;
        a.date = QDate(2009, 3, 5);
        a.seria = QStringLiteral("AB");
        a.nr = QStringLiteral("12");
        a.domeniul = QStringLiteral("CONTRACTE");
        a.subdom = QStringLiteral("FURNIZORI");
        a.titlu = QStringLiteral("CONTRACT");
        a.file = file;
        return a;
    }

    RegisterData data;
    QTemporaryDir sources;
    QByteArray key = kKey;
    ActOperations acts{data.workspace, [this] { return key; }};
    NoProgress progress;
    const QByteArray scan = QByteArray(25000, 'x') + QByteArrayLiteral("%PDF end");
};

TEST_F(ActOperationsTest, adding_writesTheRowTheCodedFileWithoutExtensionAndTheLog)
{
    const QString id = acts.add(contract(writeSource(QStringLiteral("scan.pdf"), scan)), progress);
    EXPECT_EQ(id, QStringLiteral("1"));
    const StoredAct row = stored(id);
    EXPECT_EQ(row.year, 2009);
    EXPECT_EQ(row.date, QDate(2009, 3, 5));
    EXPECT_EQ(row.extensie, QStringLiteral(".pdf"));
    Query q;
    q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(data.workspace.actePath()));
    q.open();
    EXPECT_EQ(q.asInteger(QStringLiteral("LUNA")), 3);
    EXPECT_EQ(q.asString(QStringLiteral("DATAACT")), QStringLiteral("05.03.2009"));
    const QString archived = dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI/1");
    EXPECT_EQ(readAll(archived), coded(scan, kKey));
    EXPECT_EQ(log(),
              QStringList{QStringLiteral("Adaugare Act 12/05.03.2009 - Domeniul: CONTRACTE")});

    // A file without an extension gives an empty EXTENSIE.
    const QString bare = acts.add(contract(writeSource(QStringLiteral("SCAN"), scan)), progress);
    EXPECT_EQ(stored(bare).extensie, QString());
}

TEST_F(ActOperationsTest, quotesTypedInAnyField_areStoredAsTypedAndReachNoOtherRow)
{
    const QString first = acts.add(contract(writeSource(QStringLiteral("a.pdf"), scan)), progress);
    ActEntry tricky = contract(writeSource(QStringLiteral("b.pdf"), scan));
    tricky.seria = QStringLiteral("A\"B");
    tricky.nr = QStringLiteral("1\", NR=\"X");
    tricky.obs = QStringLiteral("\" WHERE IDACT=1 \"");
    const QString second = acts.add(tricky, progress);
    EXPECT_EQ(stored(second).seria, QStringLiteral("A\"B"));
    EXPECT_EQ(stored(second).nr, QStringLiteral("1\", NR=\"X"));
    tricky.obs = QStringLiteral("\"");
    tricky.file = acts.archivedFile(stored(second));
    acts.modify(stored(second), tricky, progress);
    EXPECT_EQ(stored(second).obs, QStringLiteral("\""));
    EXPECT_EQ(stored(first).nr, QStringLiteral("12"));
    EXPECT_EQ(stored(first).obs, QString());
    EXPECT_EQ(log().at(1), QStringLiteral("Adaugare Act 1\", NR=\"X/05.03.2009 - Domeniul: "
                                          "CONTRACTE"));
}

TEST_F(ActOperationsTest, aFileThatCannotBeStored_takesItsRowAwayAgain)
{
    const QString source = writeSource(QStringLiteral("gone.pdf"), scan);
    QFile::remove(source); // the scan went away after it was chosen
    EXPECT_THROW(acts.add(contract(source), progress), Error);
    EXPECT_EQ(rows(data.workspace.actePath()), 0);
    EXPECT_EQ(log().size(), 1); // the log entry and the used id stay
    EXPECT_EQ(data.workspace.ReadSetting(QStringLiteral("INDEX"), QStringLiteral("IDACT")),
              QStringLiteral("2"));
    EXPECT_FALSE(QFileInfo::exists(dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI/1")));
}

TEST_F(ActOperationsTest, lostSettingsFile_neverPutsANewDocumentOverAnActs)
{
    const QByteArray first("first act's scan");
    acts.add(contract(writeSource(QStringLiteral("a.pdf"), first)), progress);
    acts.add(contract(writeSource(QStringLiteral("b.pdf"), scan)), progress);
    // The settings file is lost: its counters would start again at 1.
    QFile::remove(joinPath(dataDir(), QStringLiteral("Dsm.in")));
    const QString id = acts.add(contract(writeSource(QStringLiteral("c.pdf"), scan)), progress);
    EXPECT_EQ(id, QStringLiteral("3"));
    EXPECT_EQ(readAll(dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI/1")),
              coded(first, kKey));
    EXPECT_EQ(stored(QStringLiteral("1")).extensie, QStringLiteral(".pdf"));
    EXPECT_EQ(rows(data.workspace.actePath()), 3);
}

TEST_F(ActOperationsTest, actNumbersUsedUp_areSaidPlainly_beforeAnythingIsWritten)
{
    // The register holds the last number IDACT takes: the start moves the counter past it.
    data.add({1, QDate(2009, 3, 5), QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
              QString(), QString(), QString()});
    Engine::execute(QStringLiteral("UPDATE %1 SET IDACT=9999999999 WHERE IDACT=1")
                        .arg(quoteText(data.workspace.actePath())));
    data.workspace.CheckDataFiles();
    ASSERT_EQ(data.workspace.ReadSetting(QStringLiteral("INDEX"), QStringLiteral("IDACT")),
              QStringLiteral("10000000000"));
    try {
        acts.add(contract(writeSource(QStringLiteral("a.pdf"), scan)), progress);
        FAIL();
    } catch (const ActRefused &refused) {
        EXPECT_EQ(refused.title(), QStringLiteral("Memorare act"));
        EXPECT_TRUE(refused.message().startsWith(
            QStringLiteral("\rNumerele actelor s-au terminat: contorul IDACT a ajuns la "
                           "10000000000")))
            << qPrintable(refused.message());
    }
    EXPECT_TRUE(log().isEmpty());
    EXPECT_EQ(rows(data.workspace.actePath()), 1);
}

TEST_F(ActOperationsTest, aFolderThatCannotBeMade_stopsTheAdditionBeforeAnythingIsWritten)
{
    // A file where the year's folder should be.
    QFile blocker(joinPath(dataDir(), QStringLiteral("2009")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        acts.add(contract(writeSource(QStringLiteral("a.pdf"), scan)), progress);
        FAIL();
    } catch (const ActRefused &refused) {
        EXPECT_EQ(refused.title(), QStringLiteral("Memorare act"));
        EXPECT_EQ(
            refused.message(),
            QStringLiteral("\rNu pot crea directorul ") +
                QDir::toNativeSeparators(dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI")) +
                QLatin1Char('!'));
    }
    EXPECT_TRUE(log().isEmpty());
    EXPECT_EQ(rows(data.workspace.actePath()), 0);
    EXPECT_EQ(data.workspace.ReadSetting(QStringLiteral("INDEX"), QStringLiteral("IDACT")),
              QString());
}

TEST_F(ActOperationsTest, modifying_movesReplacesOrLeavesTheFileAsTheEntriesAsk)
{
    ActEntry act = contract(writeSource(QStringLiteral("scan.pdf"), scan));
    act.date = QDate(2008, 6, 1);
    const QString id = acts.add(act, progress);
    const QString in2008 = dataDir() + QStringLiteral("/2008/CONTRACTE/FURNIZORI/1");
    const QString in2009 = dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI/1");

    // Only the observation: no file operation, EXTENSIE unchanged.
    act.obs = QStringLiteral("revizuit");
    act.file = in2008;
    const QDateTime before = QFileInfo(in2008).lastModified();
    acts.modify(stored(id), act, progress);
    EXPECT_EQ(stored(id).obs, QStringLiteral("revizuit"));
    EXPECT_EQ(stored(id).extensie, QStringLiteral(".pdf"));
    EXPECT_EQ(QFileInfo(in2008).lastModified(), before);

    // Into 2009 without a new file: moved, not re-coded.
    act.date = QDate(2009, 3, 5);
    acts.modify(stored(id), act, progress);
    EXPECT_FALSE(QFileInfo::exists(in2008));
    EXPECT_EQ(readAll(in2009), coded(scan, kKey));
    EXPECT_EQ(stored(id).year, 2009);

    // A new file: stored in its place, EXTENSIE follows it.
    const QByteArray picture("\x89PNG picture", 12);
    act.file = writeSource(QStringLiteral("poza.png"), picture);
    acts.modify(stored(id), act, progress);
    EXPECT_EQ(readAll(in2009), coded(picture, kKey));
    EXPECT_EQ(stored(id).extensie, QStringLiteral(".png"));
    EXPECT_EQ(log().last(), QStringLiteral("Modificare Act 12/05.03.2009 - Domeniul: CONTRACTE"));
}

TEST_F(ActOperationsTest, failedFileSteps_leaveTheRowAndTheOldFileAsTheyWere)
{
    ActEntry act = contract(writeSource(QStringLiteral("scan.pdf"), scan));
    const QString id = acts.add(act, progress);
    const QString archived = dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI/1");

    // A new file that cannot be read: the old document stays.
    act.file = joinPath(sources.path(), QStringLiteral("lipsa.png"));
    EXPECT_THROW(acts.modify(stored(id), act, progress), Error);
    EXPECT_EQ(readAll(archived), coded(scan, kKey));
    EXPECT_EQ(stored(id).extensie, QStringLiteral(".pdf"));

    // A move onto a file that stands at the new place: refused before the row changes.
    const QString occupied = dataDir() + QStringLiteral("/2010/CONTRACTE/FURNIZORI");
    ASSERT_TRUE(QDir().mkpath(occupied));
    QFile stranger(joinPath(occupied, QStringLiteral("1")));
    ASSERT_TRUE(stranger.open(QIODevice::WriteOnly));
    stranger.write("altceva");
    stranger.close();
    act.file = archived;
    act.date = QDate(2010, 1, 2);
    EXPECT_THROW(acts.modify(stored(id), act, progress), ActRefused);
    EXPECT_EQ(stored(id).year, 2009);
    EXPECT_EQ(readAll(archived), coded(scan, kKey));
    EXPECT_EQ(readAll(joinPath(occupied, QStringLiteral("1"))), QByteArray("altceva"));
}

TEST_F(ActOperationsTest, refusedChanges_leaveNoLogEntry)
{
    // Two files without rows where the next ids would go: the addition is refused.
    const QString folder = dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char *name : {"1", "2"}) {
        QFile stray(joinPath(folder, QLatin1String(name)));
        ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    }
    EXPECT_THROW(acts.add(contract(writeSource(QStringLiteral("a.pdf"), scan)), progress),
                 ActRefused);
    EXPECT_TRUE(log().isEmpty());

    // A modification onto another file, or into a folder that cannot be made.
    QFile::remove(joinPath(folder, QStringLiteral("1")));
    QFile::remove(joinPath(folder, QStringLiteral("2")));
    ActEntry act = contract(writeSource(QStringLiteral("b.pdf"), scan));
    const QString id = acts.add(act, progress);
    const QStringList logged = log();
    const QString occupied = dataDir() + QStringLiteral("/2010/CONTRACTE/FURNIZORI");
    ASSERT_TRUE(QDir().mkpath(occupied));
    QFile stranger(joinPath(occupied, id));
    ASSERT_TRUE(stranger.open(QIODevice::WriteOnly));
    QFile blocker(dataDir() + QStringLiteral("/2011"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    act.file = acts.archivedFile(stored(id));
    for (int year : {2010, 2011}) {
        act.date = QDate(year, 1, 2);
        EXPECT_THROW(acts.modify(stored(id), act, progress), ActRefused);
        act.file = writeSource(QStringLiteral("c.pdf"), scan); // with a new file too
        EXPECT_THROW(acts.modify(stored(id), act, progress), ActRefused);
        act.file = acts.archivedFile(stored(id));
    }
    EXPECT_EQ(log(), logged);
    EXPECT_EQ(stored(id).year, 2009);
}

TEST_F(ActOperationsTest, aRecodingElsewhere_holdsBackEveryFileOperationUntilItEnds)
{
    ActEntry act = contract(writeSource(QStringLiteral("scan.pdf"), scan));
    const QString id = acts.add(act, progress);
    const QString archived = acts.archivedFile(stored(id));
    const QStringList logged = log();
    ArchiveRecoding elsewhere(data.workspace, [] { return QByteArray(); });
    elsewhere.open(progress);
    acts.setRecodingWait(std::chrono::milliseconds(300));
    const auto refusal = [](const std::function<void()> &operation) {
        try {
            operation();
        } catch (const ActRefused &refused) {
            return refused.message();
        }
        return QString();
    };
    const QString busy = QStringLiteral("\rArhiva este recodata chiar acum de pe alt calculator."
                                        "\rIncercati din nou mai tarziu.");
    EXPECT_EQ(
        refusal([&] { acts.add(contract(writeSource(QStringLiteral("b.pdf"), scan)), progress); }),
        busy + QStringLiteral("\rActul nu a fost adaugat."));
    ActEntry moved = act;
    moved.file = archived;
    moved.date = QDate(2010, 1, 2);
    EXPECT_EQ(refusal([&] { acts.modify(stored(id), moved, progress); }),
              busy + QStringLiteral("\rActul nu a fost modificat."));
    EXPECT_EQ(refusal([&] { acts.remove(stored(id)); }),
              busy + QStringLiteral("\rActul nu a fost sters."));
    EXPECT_EQ(rows(data.workspace.actePath()), 1);
    EXPECT_EQ(stored(id).year, 2009);
    EXPECT_EQ(readAll(archived), coded(scan, kKey));
    EXPECT_EQ(log(), logged);

    // The pass ends while an addition waits: the addition goes on.
    int steps = 0;
    WorkspaceReports reports;
    reports.yield = [&] {
        if (++steps == 2)
            elsewhere.close();
    };
    data.workspace.setReports(reports);
    acts.setRecodingWait(std::chrono::seconds(60));
    EXPECT_EQ(acts.add(contract(writeSource(QStringLiteral("c.pdf"), scan)), progress),
              QStringLiteral("2"));
    EXPECT_GE(steps, 2);

    // An operation under way keeps a pass from reading the acts until it ends...
    int keptOut = 0;
    steps = 0;
    reports.yield = [&] {
        ++steps;
        ArchiveUseLock pass(dataDir(), ArchiveUseLock::Holder::Recoding);
        keptOut += pass.tryTake() ? 0 : 1;
    };
    data.workspace.setReports(reports);
    acts.add(contract(writeSource(QStringLiteral("d.pdf"), scan)), progress);
    EXPECT_GT(steps, 0);
    EXPECT_EQ(keptOut, steps);

    // ...and a pass waits for it.
    auto underWay =
        std::make_unique<ArchiveUseLock>(dataDir(), ArchiveUseLock::Holder::ActOperation);
    ASSERT_TRUE(underWay->tryTake());
    steps = 0;
    reports.yield = [&] {
        if (++steps == 3)
            underWay.reset();
    };
    data.workspace.setReports(reports);
    ArchiveRecoding pass(data.workspace, [] { return QByteArray(); });
    pass.open(progress);
    EXPECT_GE(steps, 3);
    EXPECT_FALSE(ArchiveUseLock(dataDir(), ArchiveUseLock::Holder::ActOperation).tryTake());
    pass.close();
    EXPECT_TRUE(ArchiveUseLock(dataDir(), ArchiveUseLock::Holder::ActOperation).tryTake());
}

TEST_F(ActOperationsTest, aMoveTurnedBackThatCannotPutItsFileBack_leavesItToTheNextStart)
{
    ActEntry act = contract(writeSource(QStringLiteral("scan.pdf"), scan));
    act.date = QDate(2008, 6, 1);
    const QString id = acts.add(act, progress);
    const QString folder2008 = dataDir() + QStringLiteral("/2008/CONTRACTE/FURNIZORI");
    const QString in2008 = joinPath(folder2008, id);
    const QString in2009 = dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI/1");
    const QString table = resolveFileName(data.workspace.actePath());
    const QString aside = table + QStringLiteral(".aside");
    // Once the file has moved, the register goes out of reach and so does the old folder.
    WorkspaceReports reports;
    reports.yield = [&] {
        if (QFileInfo::exists(in2009) && QFileInfo::exists(table)) {
            QFile::rename(table, aside);
            QDir().rmdir(folder2008);
        }
    };
    data.workspace.setReports(reports);
    act.file = in2008;
    act.date = QDate(2009, 3, 5);
    const StoredAct before = stored(id);
    try {
        acts.modify(before, act, progress);
        FAIL() << "the modification went through";
    } catch (const ActRefused &) {
        FAIL() << "refused before the move";
    } catch (const Error &e) {
        EXPECT_TRUE(
            e.message().contains(QStringLiteral("Actul nu a fost modificat, dar fisierul ") +
                                 QDir::toNativeSeparators(in2009) +
                                 QStringLiteral(" nu a putut fi adus inapoi cum era.")))
            << qPrintable(e.message());
        EXPECT_TRUE(e.message().contains(QStringLiteral("Inchideti programul")));
    }
    ActJournal journal(data.workspace.context());
    EXPECT_TRUE(journal.exists());

    // The next start, with the register back, puts the file where the row says.
    data.workspace.setReports({});
    ASSERT_TRUE(QFile::rename(aside, table));
    ASSERT_TRUE(QDir().mkpath(folder2008));
    EXPECT_FALSE(journal.finishPending().isEmpty());
    EXPECT_EQ(readAll(in2008), coded(scan, kKey));
    EXPECT_FALSE(QFileInfo::exists(in2009));
    EXPECT_EQ(stored(id).year, 2008);
}

TEST_F(ActOperationsTest, deleting_removesFileAndRowAndLogsWhichAct)
{
    const QString id = acts.add(contract(writeSource(QStringLiteral("scan.pdf"), scan)), progress);
    acts.remove(stored(id));
    EXPECT_EQ(rows(data.workspace.actePath()), 0);
    EXPECT_FALSE(QFileInfo::exists(dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI/1")));
    EXPECT_EQ(log().last(),
              QStringLiteral("Stergere Act Domeniul: CONTRACTE/2009 - Nr. 12/05.03.2009 "
                             "- Titlul: CONTRACT"));
}

TEST_F(ActOperationsTest, viewing_makesADecodedCopyNamedByIdAndExtension_orSaysWhyNot)
{
    const QString id = acts.add(contract(writeSource(QStringLiteral("scan.pdf"), scan)), progress);
    const QString copy = acts.readableCopy(stored(id), progress);
    EXPECT_EQ(copy, joinPath(data.workspace.context().TempDir, QStringLiteral("1.pdf")));
    EXPECT_EQ(readAll(copy), scan);
    // Again: the copy is replaced.
    EXPECT_EQ(readAll(acts.readableCopy(stored(id), progress)), scan);

    QFile::remove(dataDir() + QStringLiteral("/2009/CONTRACTE/FURNIZORI/1"));
    for (const StoredAct &act : {stored(id), StoredAct()}) {
        try {
            acts.readableCopy(act, progress);
            FAIL();
        } catch (const ActRefused &refused) {
            EXPECT_EQ(refused.title(), QStringLiteral("Vizualizare fisier"));
            EXPECT_EQ(refused.message(), QStringLiteral("\rFisierul nu exista!"));
        }
    }
}

} // namespace

TEST_F(ActOperationsTest, aFingerprintsTableThatCannotBeRead_neverStopsAnActOperation)
{
    QStringList notices;
    data.workspace.setReports({{}, {}, {}, {}, {}, [&](const QString &m) { notices << m; }});
    // A damaged table another program left: a header that ends before its columns.
    QFile damaged(joinPath(dataDir(), QStringLiteral("Amprente.dbf")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray("\x03\x7e\x0c\x08", 4) + QByteArray(20, '\xff'));
    damaged.close();

    const QString id = acts.add(contract(writeSource(QStringLiteral("a.pdf"), scan)), progress);
    EXPECT_EQ(rows(data.workspace.actePath()), 1);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices.first().startsWith(
        QStringLiteral("Actul a fost memorat, dar amprenta documentului nu a putut fi scrisa")));
    const DocumentFingerprint print = fingerprintOfFile(acts.archivedFile(stored(id)), kKey, false);
    EXPECT_EQ(alreadyArchivedQuestion(dataDir(), print), QString());
    acts.remove(stored(id));
    EXPECT_EQ(rows(data.workspace.actePath()), 0);
}

TEST_F(ActOperationsTest, aScanWrittenAgainWhileItIsStored_getsTheFingerprintOfWhatTheArchiveHolds)
{
    // The scanner's program writes the end of the file again while the copy is under way.
    struct Rewriting : ProgressSink {
        QString file;
        bool done = false;
        void start(qint64, const QString &) override {}
        void step() override
        {
            if (done)
                return;
            done = true;
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.seek(f.size() - 1);
            f.write("!");
        }
        void finish() override {}
    } rewriting;
    rewriting.file = writeSource(QStringLiteral("scan.pdf"), QByteArray(600000, 'x'));
    const QString id = acts.add(contract(rewriting.file), rewriting);
    ASSERT_TRUE(rewriting.done);
    const DocumentFingerprint archived =
        fingerprintOfFile(acts.archivedFile(stored(id)), kKey, false);
    const FingerprintSet prints = FingerprintsTable::readAll(dataDir());
    ASSERT_TRUE(prints.byAct.contains(id.toLongLong()));
    EXPECT_EQ(prints.byAct.value(id.toLongLong()).sha256, archived.sha256);
}
