// Act operations stopped in the middle, as a power cut stops them: a child process runs the
// operation and ends at a chosen moment, and the next start (the journal's finishPending) must
// leave the act wholly changed or wholly as it was, its row and its document in step. And
// failures of the row's statement never cost the act its document.
#include "register/ActJournal.h"
#include "RegisterData.h"
#include "app/FingerprintsTable.h"
#include "archive/ProgressSink.h"
#include "register/ActOperations.h"
#include "store/Engine.h"
#include "store/FilePath.h"
#include "store/Query.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

const QByteArray kKey = QByteArrayLiteral("K3y");
const QByteArray kScan = QByteArray(35000, 's');
const QByteArray kPicture = QByteArray(26000, 'p');

QByteArray coded(const QByteArray &plain)
{
    QByteArray out = plain;
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i] = char(out[i] ^ kKey[i % kKey.size()]);
    return out;
}

QByteArray sha256(const QByteArray &plain)
{
    return QCryptographicHash::hash(plain, QCryptographicHash::Sha256).toHex();
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Ends the process at the n-th call of any of its hooks: a stop at that moment.
class StopAt final : public ProgressSink {
public:
    explicit StopAt(int n) : m_left(n) {}
    void start(qint64, const QString &) override { tick(); }
    void step() override { tick(); }
    void finish() override { tick(); }
    void tick()
    {
        if (--m_left == 0)
            _exit(0);
    }

private:
    int m_left;
};

class ActJournalTest : public ::testing::Test {
protected:
    ActJournalTest()
    {
        const QString path = joinPath(sources.path(), QStringLiteral("scan.pdf"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kScan);
        scan = path;
        const QString picture = joinPath(sources.path(), QStringLiteral("poza.png"));
        QFile p(picture);
        EXPECT_TRUE(p.open(QIODevice::WriteOnly));
        p.write(kPicture);
        this->picture = picture;
    }

    ActEntry contract(int year, const QString &file) const
    {
        ActEntry a;
        a.date = QDate(year, 3, 5);
        a.nr = QStringLiteral("12");
        a.domeniul = QStringLiteral("CONTRACTE");
        a.subdom = QStringLiteral("FURNIZORI");
        a.file = file;
        return a;
    }
    QString archived(int year, const QString &id) const
    {
        return data.workspace.context().DataDir +
               QStringLiteral("/%1/CONTRACTE/FURNIZORI/%2").arg(year).arg(id);
    }
    std::optional<StoredAct> stored(const QString &id)
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(data.workspace.actePath()));
        q.open();
        if (!q.locate(QStringLiteral("IDACT"), id))
            return std::nullopt;
        return StoredAct{
            q.asString(QStringLiteral("IDACT")),    q.asInteger(QStringLiteral("ANUL")),
            q.asDate(QStringLiteral("DATAACT")),    q.asString(QStringLiteral("SERIA")),
            q.asString(QStringLiteral("NR")),       q.asString(QStringLiteral("COD")),
            q.asString(QStringLiteral("DOMENIUL")), q.asString(QStringLiteral("SUBDOM")),
            q.asString(QStringLiteral("TITLU")),    q.asString(QStringLiteral("OBS")),
            q.asString(QStringLiteral("EXTENSIE"))};
    }
    // Runs `operation` in a child process that stops as `progress` or the workspace's n-th
    // yield says; then the next start's repair, whose notice is returned.
    QString stoppedThenRestarted(const std::function<void()> &operation, int stopAtYield = 0)
    {
        const pid_t pid = fork();
        if (pid == 0) {
            int yields = 0;
            data.workspace.setReports({[&yields, stopAtYield] {
                                           if (++yields == stopAtYield)
                                               _exit(0);
                                       },
                                       {},
                                       {},
                                       {},
                                       {},
                                       {}});
            try {
                operation();
            } catch (...) {
                _exit(3);
            }
            _exit(4); // it ran to its end: the stop never came
        }
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the stop did not come";
        ActJournal journal(data.workspace.context());
        const QString notice = journal.finishPending();
        restartLog = journal.logText();
        return notice;
    }
    // The SHA-256 of the act's fingerprint; empty when it has none.
    QByteArray fingerprint(const QString &id)
    {
        return FingerprintsTable::readAll(data.workspace.context().DataDir)
            .byAct.value(id.toLongLong())
            .sha256;
    }
    // No temporary, staged or stray file beside the act's files.
    QStringList archiveFiles()
    {
        QStringList files;
        const QString root = data.workspace.context().DataDir;
        for (const QString &year : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QDir folder(root + QStringLiteral("/%1/CONTRACTE/FURNIZORI").arg(year));
            for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden))
                files << year + QLatin1Char('/') + name;
        }
        return files;
    }

    RegisterData data;
    QTemporaryDir sources;
    QString scan, picture;
    QString restartLog; // the log entry of the last restart's repair
    ActOperations acts{data.workspace, [] { return kKey; }};
};

TEST_F(ActJournalTest, additionStoppedInsideItsCopy_leavesNoActAndNoFile)
{
    StopAt stop(3); // start, then two of the copy's four blocks
    const QString notice = stoppedThenRestarted([&] { acts.add(contract(2009, scan), stop); });
    EXPECT_FALSE(stored(QStringLiteral("1")));
    EXPECT_TRUE(archiveFiles().isEmpty()) << archiveFiles().join(QLatin1Char(' ')).toStdString();
    // The act is named as the person typed it, not by an id the person never sees.
    EXPECT_EQ(notice, QStringLiteral("Adaugarea actului nr. 12 din 05.03.2009 a fost intrerupta la "
                                     "ultima oprire a programului; actul nu a fost adaugat."));
    EXPECT_EQ(restartLog, QStringLiteral("Adaugare Act 12/05.03.2009 anulata la repornire"));
    EXPECT_FALSE(ActJournal(data.workspace.context()).exists());
    EXPECT_EQ(fingerprint(QStringLiteral("1")), QByteArray());
}

TEST_F(ActJournalTest, aSecondRunningCopyLeavesTheFirstsJournal_untilThatCopyStops)
{
    // Two people signed in on one computer, each running the program: the first is between
    // its addition's coded copy and its row.
    const QString file = archived(2009, QStringLiteral("1"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    QFile(file).open(QIODevice::WriteOnly);
    auto first = std::make_unique<ActJournal>(data.workspace.context());
    first->begin(ActJournal::Entry::of(ActJournal::Kind::Add, data.workspace.context().DataDir,
                                       QStringLiteral("1"), QString(), file));

    // The second copy's start and its own act operations leave that addition alone.
    EXPECT_EQ(ActJournal(data.workspace.context()).finishPending(), QString());
    acts.setJournalWait(std::chrono::milliseconds(300));
    NoProgress none;
    EXPECT_THROW(acts.add(contract(2010, scan), none), ActRefused);
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_TRUE(first->exists());

    // The first copy stops before its row: the next start removes what it left.
    first.reset();
    EXPECT_EQ(ActJournal(data.workspace.context()).finishPending(),
              QStringLiteral("Adaugarea actului cu numarul intern 1 a fost intrerupta la "
                             "ultima oprire a programului; actul nu a fost adaugat."));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(acts.add(contract(2010, scan), none), QStringLiteral("1"));
}

TEST_F(ActJournalTest, additionStoppedAfterItsRow_keepsTheWholeAct)
{
    NoProgress none;
    // Yields: after the log entry, after the row.
    stoppedThenRestarted([&] { acts.add(contract(2009, scan), none); }, 2);
    ASSERT_TRUE(stored(QStringLiteral("1")));
    EXPECT_EQ(restartLog, QStringLiteral("Adaugare Act 12/05.03.2009 terminata la repornire"));
    EXPECT_EQ(readAll(archived(2009, QStringLiteral("1"))), coded(kScan));
    // Stopped before its fingerprint: the restart writes the one the journal kept.
    EXPECT_EQ(fingerprint(QStringLiteral("1")), sha256(kScan));
    EXPECT_EQ(archiveFiles(), QStringList{QStringLiteral("2009/1")});
}

TEST_F(ActJournalTest, newDocumentStoppedBeforeTheRowChanged_leavesTheActAsItWas)
{
    NoProgress none;
    const QString id = acts.add(contract(2009, scan), none);
    ActEntry edited = contract(2009, picture);
    edited.titlu = QStringLiteral("CU POZA");
    const StoredAct old = *stored(id);
    StopAt stop(5); // start, three blocks, finish: the new document is stored whole
    const QString notice = stoppedThenRestarted([&] { acts.modify(old, edited, stop); });
    EXPECT_EQ(stored(id)->extensie, QStringLiteral(".pdf"));
    EXPECT_EQ(stored(id)->titlu, QString());
    EXPECT_EQ(readAll(archived(2009, id)), coded(kScan));
    EXPECT_EQ(archiveFiles(), QStringList{QStringLiteral("2009/1")});
    EXPECT_TRUE(notice.endsWith(QStringLiteral("actul a ramas cum era.")));
    EXPECT_EQ(fingerprint(id), sha256(kScan));
}

TEST_F(ActJournalTest, newDocumentStoppedAfterTheRowChanged_takesTheOldOnesPlace)
{
    NoProgress none;
    const QString id = acts.add(contract(2009, scan), none);
    const StoredAct old = *stored(id);
    // Yields: after the log entry, after the row's change; the document is not in place yet.
    stoppedThenRestarted([&] { acts.modify(old, contract(2009, picture), none); }, 2);
    EXPECT_EQ(stored(id)->extensie, QStringLiteral(".png"));
    EXPECT_EQ(restartLog, QStringLiteral("Modificare Act 12/05.03.2009 terminata la repornire"));
    EXPECT_EQ(readAll(archived(2009, id)), coded(kPicture));
    // The old document's fingerprint never stays with the new one.
    EXPECT_EQ(fingerprint(id), sha256(kPicture));
    EXPECT_EQ(archiveFiles(), QStringList{QStringLiteral("2009/1")});
}

TEST_F(ActJournalTest, moveStoppedEitherSideOfTheRow_bringsTheFileWhereTheRowSays)
{
    NoProgress none;
    const QString id = acts.add(contract(2008, scan), none);
    const StoredAct old = *stored(id);
    const QString from = archived(2008, id);
    const QString to = archived(2010, id);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(to).path()));
    ActJournal journal(data.workspace.context());
    ActJournal::Entry entry = ActJournal::Entry::of(ActJournal::Kind::Modify,
                                                    data.workspace.context().DataDir, id, from, to);
    entry.update = updateActStatement(data.workspace.actePath(), id, contract(2010, from), nullptr);

    // The file had moved, the row had not: the file goes back.
    journal.begin(entry);
    ASSERT_TRUE(QFile::rename(from, to));
    EXPECT_TRUE(journal.finishPending().endsWith(QStringLiteral("actul a ramas cum era.")));
    EXPECT_EQ(archiveFiles(), QStringList{QStringLiteral("2008/1")});

    // The row had changed, the file had not moved yet: it moves.
    journal.begin(entry);
    Engine::execute(entry.update.join(QLatin1Char('\n')));
    journal.finishPending();
    EXPECT_EQ(stored(id)->year, 2010);
    EXPECT_EQ(archiveFiles(), QStringList{QStringLiteral("2010/1")});
    EXPECT_EQ(readAll(to), coded(kScan));
    EXPECT_EQ(old.year, 2008);
}

TEST_F(ActJournalTest, deletionWhoseRowCannotBeWritten_keepsTheDocument)
{
    NoProgress none;
    // Acts written straight into the table, so that the log stays short.
    for (int id = 1; id <= 6; ++id)
        data.add({id, QDate(2009, 3, 5), QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
                  QString(), QString(), QStringLiteral("%1").arg(id)});
    const QString last = archived(2009, QStringLiteral("6"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(last).path()));
    QFile document(last);
    ASSERT_TRUE(document.open(QIODevice::WriteOnly));
    document.write(coded(kScan));
    document.close();
    const StoredAct act = *stored(QStringLiteral("6"));
    const qint64 acteSize = QFileInfo(resolveFileName(data.workspace.actePath())).size();

    // The disk takes the log entry, but no write as far as the last act's record.
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(acteSize - 600), rlim_t(acteSize - 600)};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            acts.remove(act);
        } catch (const Error &) {
            _exit(0);
        }
        _exit(4);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the deletion did not fail";
    EXPECT_TRUE(stored(QStringLiteral("6")));
    EXPECT_EQ(readAll(last), coded(kScan));
    EXPECT_EQ(ActJournal(data.workspace.context()).finishPending(), QString());
}

TEST(ActJournalText, readsBackWhatItWrote_andNothingFromACutJournal)
{
    ActJournal::Entry e = ActJournal::Entry::of(
        ActJournal::Kind::Modify, QStringLiteral("/date=birou\nX"), QStringLiteral("17"),
        QStringLiteral("/a/2009/D%20/17"), QStringLiteral("/a/2010/D/17"));
    e.stagedFile = QStringLiteral("/a/2010/D/17.nou");
    e.newCopy = true;
    e.update = {QStringLiteral("UPDATE \"x\""), QStringLiteral("SET OBS=\"a=b\nc\""),
                QStringLiteral("WHERE IDACT=17")};
    e.sha256 = sha256("scan");
    e.size = 4;
    const QByteArray text = ActJournal::text(e);
    const std::optional<ActJournal::Entry> back = ActJournal::parse(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, e.kind);
    EXPECT_EQ(back->dataDir, e.dataDir);
    EXPECT_EQ(back->oldFile, e.oldFile);
    EXPECT_EQ(back->stagedFile, e.stagedFile);
    EXPECT_TRUE(back->newCopy);
    EXPECT_EQ(back->update, e.update);
    EXPECT_EQ(back->sha256, e.sha256);
    EXPECT_EQ(back->size, 4);
    for (qsizetype cut = 0; cut < text.size() - 4; cut += 7)
        EXPECT_FALSE(ActJournal::parse(text.left(cut))) << cut;
}

} // namespace
