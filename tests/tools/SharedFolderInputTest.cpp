// The shared data folder as a careless or hostile colleague leaves it: planted journals, symbolic
// links where the program keeps files and folders, named pipes, a sparse table. Whatever the
// program does at its start or in its operations, every file outside the data folder stays as it
// was, and the user reads a Romanian message naming what was refused.
#include "ToolData.h"
#include "access/ArchiveRecoding.h"
#include "app/AppContext.h"
#include "app/DamagedFiles.h"
#include "app/SettingsFile.h"
#include "archive/ArchivePath.h"
#include "platform/FileModes.h"
#include "register/ActJournal.h"
#include "store/Engine.h"
#include "store/FilePath.h"
#include "store/PlainFile.h"
#include "store/Statement.h"
#include "tools/ArchiveCheck.h"
#include "tools/ArchiveRepair.h"

#include <QtEndian>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dosarium;
using namespace dosarium::testing;

namespace {

const QByteArray kSecret = QByteArrayLiteral("parola contabilului, a nimanui altcuiva\n");

mode_t modeOf(const QString &path)
{
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

class SharedFolderInputTest : public ::testing::Test {
protected:
    SharedFolderInputTest() { writeFile(victim, kSecret); }

    // A file of another account, outside the data folder.
    QString outside(const QString &name) const { return data.root.filePath(name); }
    QString journal() const { return data.path(ActJournal::kFileName); }
    QStringList setAside(const QString &stem) const
    {
        return QDir(data.dataDir())
            .entryList({stem + QStringLiteral(".respins-*")},
                       QDir::Files | QDir::System | QDir::Hidden);
    }
    StoredAct act(const QString &id, int year) const
    {
        StoredAct a;
        a.id = id;
        a.year = year;
        a.domeniul = QStringLiteral("CONTRACTE");
        a.subdom = QStringLiteral("FURNIZORI");
        a.extensie = QStringLiteral(".pdf");
        return a;
    }

    ToolData data;
    QString victim = outside(QStringLiteral("privat.txt"));
    ActOperations acts{data.workspace, [this] { return data.key(); }};
};

TEST_F(SharedFolderInputTest, plantedActJournals_areSetAsideAndNeverActedOn)
{
    const QString dataDir = data.dataDir();
    const QString planted = outside(QStringLiteral("plantat"));
    writeFile(planted, QByteArrayLiteral("altceva"));
    ActJournal::Entry modify = ActJournal::Entry::of(ActJournal::Kind::Modify, dataDir,
                                                     QStringLiteral("3"), victim, victim);
    modify.stagedFile = planted;
    const QList<ActJournal::Entry> journals = {
        // An addition whose act has no row: its "new file" would be deleted.
        ActJournal::Entry::of(ActJournal::Kind::Add, dataDir, QStringLiteral("77"), QString(),
                              victim),
        // A file of the archive's shape, reached from another data folder.
        ActJournal::Entry::of(ActJournal::Kind::Delete, data.root.path(), QStringLiteral("5"),
                              victim, QString()),
        // Inside the folder, climbing out of it.
        ActJournal::Entry::of(ActJournal::Kind::Add, dataDir, QStringLiteral("9"), QString(),
                              dataDir + QStringLiteral("/2009/../../privat.txt/9")),
        modify,
    };
    for (const ActJournal::Entry &entry : journals) {
        writeFile(journal(), ActJournal::text(entry));
        const QString notice = ActJournal(data.workspace.context()).finishPending();
        EXPECT_TRUE(notice.startsWith(QStringLiteral("Jurnalul ") + journal() +
                                      QStringLiteral(" nu a fost folosit: ")))
            << notice.toStdString();
        EXPECT_FALSE(QFileInfo::exists(journal()));
    }
    EXPECT_EQ(readAll(victim), kSecret);
    EXPECT_EQ(readAll(planted), QByteArrayLiteral("altceva"));
    EXPECT_EQ(setAside(QStringLiteral("Acte")).size(), journals.size());
}

TEST_F(SharedFolderInputTest, journalsAsLinks_areNeverOpenedThroughThem)
{
    // The act journal linked to a file that holds a journal's text naming the victim.
    const QString text = outside(QStringLiteral("jurnal"));
    writeFile(text,
              ActJournal::text(ActJournal::Entry::of(ActJournal::Kind::Add, data.dataDir(),
                                                     QStringLiteral("77"), QString(), victim)));
    ASSERT_EQ(
        ::symlink(QFile::encodeName(text).constData(), QFile::encodeName(journal()).constData()),
        0);
    EXPECT_TRUE(ActJournal(data.workspace.context())
                    .finishPending()
                    .contains(QStringLiteral("nu este un fisier obisnuit")));
    EXPECT_EQ(readAll(victim), kSecret);

    // The re-coding journal linked to the victim: neither emptied nor read.
    const QString recoding = ArchiveRecoding::journalPath(data.dataDir());
    ASSERT_EQ(
        ::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(recoding).constData()),
        0);
    ArchiveRecoding pass(data.workspace, [this] { return data.key(); });
    NoProgress none;
    EXPECT_THROW(pass.finishPending(none), Error);
    EXPECT_EQ(readAll(victim), kSecret);
    EXPECT_EQ(entryKind(recoding), EntryKind::Missing);
    EXPECT_EQ(setAside(QStringLiteral("Recodare")).size(), 1);
}

TEST_F(SharedFolderInputTest, plantedRecodingJournal_namingFilesOutside_recodesNothing)
{
    const QString id = data.add(QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
                                QByteArrayLiteral("scanare"), QDate(2009, 3, 5));
    const QString document = data.path(QStringLiteral("2009/CONTRACTE/FURNIZORI/") + id);
    const QByteArray stored = readAll(document);
    for (const QByteArray &relative : {QByteArrayLiteral("../privat.txt"),
                                       QByteArrayLiteral("2009/CONTRACTE/../../../privat.txt"),
                                       QByteArrayLiteral("/etc/x/y/1")}) {
        // An own file of the archive first, so that the pass would otherwise run.
        const QByteArray text = "DOSARIUM RECODARE 1\nCHEIE_VECHE " + data.key().toHex() +
                                "\nCHEIE_NOUA " + QByteArrayLiteral("X").toHex() +
                                "\nACTE 2\nF 0 0 1 2009/CONTRACTE/FURNIZORI/" + id.toLatin1() +
                                "\nF 1 0 1 " + relative + "\nSFARSIT\n";
        writeFile(ArchiveRecoding::journalPath(data.dataDir()), text);
        ArchiveRecoding pass(data.workspace, [this] { return data.key(); });
        NoProgress none;
        try {
            pass.finishPending(none);
            ADD_FAILURE() << "accepted " << relative.toStdString();
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("nu a fost folosit"))) << e.what();
        }
        EXPECT_EQ(pass.filesRecoded(), 0);
    }
    EXPECT_EQ(readAll(victim), kSecret);
    EXPECT_EQ(readAll(document), stored);
}

TEST_F(SharedFolderInputTest, linksInTheArchiveTree_areReportedAndLeftAlone)
{
    const QString id = data.add(QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
                                QByteArrayLiteral("scanare"), QDate(2009, 3, 5));
    // The year folder moved out of the data folder and linked back in its place.
    const QString away = outside(QStringLiteral("2009"));
    ASSERT_TRUE(QDir().rename(data.path(QStringLiteral("2009")), away));
    ASSERT_EQ(::symlink(QFile::encodeName(away).constData(),
                        QFile::encodeName(data.path(QStringLiteral("2009"))).constData()),
              0);
    const QString beyond = away + QStringLiteral("/CONTRACTE/FURNIZORI/") + id;
    writeFile(away + QStringLiteral("/CONTRACTE/FURNIZORI/9.~dsm-x-1-0000000000000000"), "x");
    const auto before = folderContent(data.root.path() + QStringLiteral("/2009"));

    NoProgress none;
    EXPECT_THROW(acts.readableCopy(act(id, 2009), none), LinkInArchive);
    EXPECT_THROW(acts.remove(act(id, 2009)), LinkInArchive);
    ActEntry moved;
    moved.date = QDate(2009, 3, 5);
    moved.domeniul = QStringLiteral("CONTRACTE");
    moved.subdom = QStringLiteral("FURNIZORI");
    moved.file = victim;
    EXPECT_THROW(acts.add(moved, none), LinkInArchive);

    // The check names the link and never walks through it; the repair deletes nothing there.
    const CheckResult found = checkDataFolder(data.dataDir());
    EXPECT_EQ(found.count(Finding::Kind::Link), 1);
    EXPECT_EQ(found.count(Finding::Kind::PartialFile), 0);
    repairDataFolder(data.dataDir(), found);
    EXPECT_EQ(folderContent(data.root.path() + QStringLiteral("/2009")), before);
    EXPECT_TRUE(QFileInfo::exists(beyond));
    EXPECT_EQ(readAll(victim), kSecret);
}

TEST_F(SharedFolderInputTest, linksAndPipesForTheStartsFiles_areNamedAndNeverFollowed)
{
    const QString settings = data.path(QStringLiteral("Dsm.in"));
    const QString lock = data.path(QStringLiteral("Dsm.lck"));
    QFile::remove(lock);
    const QString lockTarget = outside(QStringLiteral("lacat"));
    ASSERT_EQ(
        ::symlink(QFile::encodeName(lockTarget).constData(), QFile::encodeName(lock).constData()),
        0);
    EXPECT_THROW(SettingsFile(data.dataDir())
                     .update(QStringLiteral("INDEX"), QStringLiteral("IDACT"),
                             [](const QString &) { return QString(); }),
                 Error);
    EXPECT_FALSE(QFileInfo::exists(lockTarget));
    QFile::remove(lock);

    // The user file linked to a private file; the settings file, the tables as pipes. The start's
    // check runs in a child, so that a read that waits on a pipe fails the test instead of
    // hanging it.
    const QString users = userFilePath(data.dataDir());
    QFile::remove(users);
    ASSERT_EQ(
        ::symlink(QFile::encodeName(victim).constData(), QFile::encodeName(users).constData()), 0);
    QFile::remove(settings);
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0666), 0);
    // The archive check first, its tables whole: it reads the other two files' bytes.
    const pid_t check = fork();
    if (check == 0) {
        alarm(20);
        const CheckResult found = checkDataFolder(data.dataDir());
        _exit(found.count(Finding::Kind::Link) == 1 && found.count(Finding::Kind::DamagedFile) >= 1
                  ? 0
                  : 1);
    }
    int checked = 0;
    waitpid(check, &checked, 0);
    EXPECT_TRUE(WIFEXITED(checked) && WEXITSTATUS(checked) == 0) << "the check waited or missed";
    for (const QString &name : {QStringLiteral("Acte.dbf"), QStringLiteral("Log.dbf")}) {
        const QString path = resolveFileName(data.path(name));
        QFile::remove(path);
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    }
    const pid_t child = fork();
    if (child == 0) {
        alarm(20);
        const QStringList notices = CheckDataFiles(data.dataDir());
        int named = 0;
        for (const QString &n : notices)
            named += n.contains(QStringLiteral("legatura simbolica")) ||
                     n.contains(QStringLiteral("nu este un fisier obisnuit"));
        bool refused = false;
        try {
            ReadArchiveKey(data.dataDir());
        } catch (const Error &) {
            refused = true;
        }
        bool tableRefused = false;
        try {
            Engine::select(QStringLiteral("SELECT * FROM ") +
                           quoteText(data.path(QStringLiteral("Acte.dbf"))));
        } catch (const Error &) {
            tableRefused = true;
        }
        _exit(named == 4 && refused && tableRefused ? 0 : 10 + named);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "the start's check waited on a pipe";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readAll(victim), kSecret);
    EXPECT_TRUE(QDir(data.dataDir()).entryList({QStringLiteral("*.deteriorat-*")}).isEmpty());
}

TEST_F(SharedFolderInputTest, sparseTable_isReadWithoutRoomForItsEmptySpace)
{
    // A consistent header counting 4 million rows over 2 GB never written (4 KB on the disk).
    const QString acte = resolveFileName(data.path(QStringLiteral("Acte.dbf")));
    QByteArray head = readAll(acte);
    const int headerLength = qFromLittleEndian<quint16>(head.constData() + 8);
    const int recordLength = qFromLittleEndian<quint16>(head.constData() + 10);
    const quint32 rows = quint32((qint64(2) << 30) / recordLength);
    qToLittleEndian<quint32>(rows, head.data() + 4);
    head.truncate(headerLength);
    {
        QFile f(acte);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(head);
        ASSERT_TRUE(f.resize(headerLength + qint64(rows) * recordLength + 1));
        f.seek(headerLength + qint64(rows) * recordLength);
        f.write("\x1A");
    }
    const pid_t child = fork();
    if (child == 0) {
#if !defined(__SANITIZE_ADDRESS__)
        // Less room than the rows would take, where no sanitizer needs the address space.
        const rlimit limit{rlim_t(1) << 31, rlim_t(1) << 31};
        setrlimit(RLIMIT_AS, &limit);
#endif
        const QString damage = tableDamage(acte);
        const RowSet set = Engine::select(QStringLiteral("SELECT * FROM ") + quoteText(acte));
        // Only the rows of the one block the header shares are read (the system keeps whole
        // blocks), and the damage is told.
        _exit(set.size() * recordLength <= 4096 &&
                      damage.startsWith(QStringLiteral("antetul numara %1 randuri").arg(rows))
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SharedFolderInputTest, privateFiles_stayPrivate)
{
    const QString id = data.add(QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
                                QByteArrayLiteral("scanare"), QDate(2009, 3, 5));
    NoProgress none;
    const QString copy = acts.readableCopy(act(id, 2009), none);
    EXPECT_EQ(modeOf(copy), mode_t(0600));

    // A damaged file of its owner's alone is kept in a copy no wider than it.
    const QString users = userFilePath(data.dataDir());
    writeFile(users, readAll(users) + "xyz");
    ASSERT_EQ(::chmod(QFile::encodeName(users).constData(), 0600), 0);
    const QString notice = keepDamagedCopy(users, QStringLiteral("bucata"));
    const QStringList copies = QDir(data.dataDir()).entryList({QStringLiteral("ini.deteriorat-*")});
    ASSERT_EQ(copies.size(), 1) << notice.toStdString();
    EXPECT_EQ(modeOf(data.path(copies.first())), mode_t(0600));

    // What the program creates is the office group's and nobody else's; a copy left in TEMP by
    // a run that never reached its end goes at the next start, other files stay.
    const pid_t child = fork();
    if (child == 0) {
        useOfficeFileMode();
        const QString made = data.path(QStringLiteral("nou"));
        writeFile(made, "x");
        _exit(modeOf(made) == 0660 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const QString other = data.workspace.context().TempDir + QStringLiteral("/altul.txt");
    writeFile(other, "y");
    data.workspace.prepareFolders();
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_TRUE(QFileInfo::exists(other));
}

TEST_F(SharedFolderInputTest, damagedEntries_getAMessageNamingTheFileAndWhatToDo)
{
    // A counter that is no number; one with a sign no statement takes.
    writeFile(data.path(QStringLiteral("Dsm.in")), "[INDEX]\r\nIDACT=abc\r\nIDLOG=+12\r\n");
    try {
        data.workspace.NextId(QStringLiteral("IDACT"));
        ADD_FAILURE();
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Contorul IDACT din fisierul de setari ") +
                                         data.path(QStringLiteral("Dsm.in"))))
            << e.what();
    }
    EXPECT_EQ(data.workspace.NextId(QStringLiteral("IDLOG")), QStringLiteral("12"));
    writeFile(data.path(QStringLiteral("Dsm.in")), "[INDEX]\r\nIDACT=1\r\n");

    // Viewing: an extension no name can carry is left out; a blank IDACT is said to be one.
    const QString id = data.add(QStringLiteral("CONTRACTE"), QStringLiteral("FURNIZORI"),
                                QByteArrayLiteral("scanare"), QDate(2009, 3, 5));
    StoredAct viewed = act(id, 2009);
    viewed.extensie = QLatin1Char('.') + QString(300, QLatin1Char('x'));
    NoProgress none;
    EXPECT_TRUE(acts.readableCopy(viewed, none).endsWith(QLatin1Char('/') + id));
    writeFile(data.path(QStringLiteral("2009/CONTRACTE/FURNIZORI/0")), "x");
    viewed = act(QString(), 2009);
    viewed.extensie = QStringLiteral(".");
    try {
        acts.readableCopy(viewed, none);
        ADD_FAILURE();
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("nu are un numar (IDACT) bun")));
    }

    // A folder under the documents table's name.
    QFile::remove(resolveFileName(data.path(QStringLiteral("Acte.dbf"))));
    ASSERT_TRUE(QDir().mkpath(data.path(QStringLiteral("Acte.DBF"))));
    try {
        data.workspace.CreateTables();
        ADD_FAILURE();
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(data.path(QStringLiteral("Acte.DBF")) +
                                         QStringLiteral(" este un director")))
            << e.what();
    }
}

TEST(PackageLayout, anExecutableInBin_findsTheDataFolderBesideIt)
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    // A fresh installation of its own: the data folder is made beside the executable.
    EXPECT_EQ(programFolder(bin), bin);
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("Data"))));
    EXPECT_EQ(programFolder(bin), root.path());
    EXPECT_EQ(programFolder(root.path()), root.path());
    // Data beside the executable always wins.
    ASSERT_TRUE(QDir().mkpath(bin + QStringLiteral("/Data")));
    EXPECT_EQ(programFolder(bin), bin);
}

} // namespace
