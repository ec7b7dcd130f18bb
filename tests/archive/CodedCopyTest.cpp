// The coded copy and the re-coding of one file: the bytes other workstations expect, the blocks
// and the progress, and what a failure leaves behind.
#include "archive/CodedCopy.h"
#include "archive/KeyCursor.h"
#include "archive/ProgressSink.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

using namespace dosarium;

namespace {

// The coded form written out the slow, obvious way: byte i XOR key byte (i mod L) + 1.
QByteArray codedByHand(QByteArray bytes, const QByteArray &key)
{
    for (qsizetype i = 0; !key.isEmpty() && i < bytes.size(); ++i)
        bytes[i] = char(bytes[i] ^ key[i % key.size()]);
    return bytes;
}

QByteArray sampleBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 7;
    for (char &c : bytes)
        c = char((state = state * 1103515245u + 12345u) >> 23);
    return bytes;
}

struct RecordingProgress : ProgressSink {
    int starts = 0, steps = 0, finishes = 0;
    qint64 maximum = -1;
    QString description;
    int failAtStep = -1; // a step that throws, as a failing window would

    void start(qint64 max, const QString &text) override
    {
        ++starts;
        maximum = max;
        description = text;
    }
    void step() override
    {
        if (++steps == failAtStep)
            throw std::runtime_error("step failed");
    }
    void finish() override { ++finishes; }
};

class CodedCopyTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    void put(const char *name, const QByteArray &bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray get(const char *name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // Copies with a fresh progress record.
    void copy(const char *from, const char *to, const QByteArray &key)
    {
        progress = RecordingProgress();
        CopyCoded(path(from), path(to), key, progress);
    }

    QTemporaryDir dir;
    RecordingProgress progress;
};

TEST(KeyCursorTest, nextKeyByte_runsThroughTheKeyAndWraps_anEmptyKeyGivesZero)
{
    KeyCursor cursor(QByteArray("abc"));
    QByteArray seen;
    for (int i = 0; i < 7; ++i)
        seen += NextKeyByte(cursor);
    EXPECT_EQ(seen, QByteArray("abcabca"));
    EXPECT_EQ(cursor.position(), 1);
    KeyCursor empty{QByteArray()};
    EXPECT_EQ(NextKeyByte(empty), '\0');
    EXPECT_EQ(empty.position(), 0);
}

TEST_F(CodedCopyTest, codedBytes_emptyKeyPlain_oneCharacterKeyOnEveryByte_smallAndEmptyFiles)
{
    const QByteArray plain = sampleBytes(9999);
    put("ales.pdf", plain);
    copy("ales.pdf", "1", QByteArray());
    EXPECT_EQ(get("1"), plain);
    copy("ales.pdf", "2", QByteArray("\xE3"));
    EXPECT_EQ(get("2"), codedByHand(plain, QByteArray("\xE3")));
    EXPECT_EQ(progress.maximum, 0); // under 10,000 bytes
    EXPECT_EQ(progress.steps, 1);

    put("gol.txt", QByteArray());
    put("3", QByteArray("a file that the copy replaces"));
    copy("gol.txt", "3", QByteArray("abc"));
    EXPECT_EQ(get("3"), QByteArray());
    EXPECT_EQ(progress.steps, 0);
    EXPECT_EQ(progress.finishes, 1);
}

TEST_F(CodedCopyTest, threeBlocks_keyRunsOnAcrossThem_andProgressHasMaximumTwoAndThreeSteps)
{
    const QByteArray plain = sampleBytes(25000);
    const QByteArray key("Secret7");
    put("scan.tif", plain);
    copy("scan.tif", "17", key);
    const QByteArray coded = get("17");
    EXPECT_EQ(coded, codedByHand(plain, key));
    // Byte 10000 begins the second block: key character (10000 mod 7) + 1 = 5.
    EXPECT_EQ(char(coded[10000] ^ plain[10000]), key[4]);
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_EQ(progress.description, QStringLiteral("Pregatesc fisierul..."));
    EXPECT_EQ(progress.steps, 3);
    EXPECT_EQ(progress.finishes, 1);
}

TEST_F(CodedCopyTest, storeThenReadableCopy_givesTheChosenFileBack)
{
    const QByteArray plain = sampleBytes(300001); // several reads of many blocks
    const QByteArray key("\xAA\xBA\xFE\xDE\xDE"
                         "Parola");
    put("ales.pdf", plain);
    copy("ales.pdf", "17", key);
    EXPECT_EQ(get("17"), codedByHand(plain, key));
    EXPECT_EQ(progress.maximum, 30);
    EXPECT_EQ(progress.steps, 31);
    copy("17", "17.pdf", key);
    EXPECT_EQ(get("17.pdf"), plain);
}

TEST_F(CodedCopyTest, samePathText_doesNothing_anotherTextForTheSameFileCodesIt)
{
    const QByteArray plain = sampleBytes(25000);
    put("17", plain);
    copy("17", "17", QByteArray("key"));
    EXPECT_EQ(get("17"), plain);
    EXPECT_EQ(progress.starts + progress.finishes, 0);

    CopyCoded(path("17"), dir.path() + QStringLiteral("/./17"), QByteArray("key"), progress);
    EXPECT_EQ(get("17"), codedByHand(plain, QByteArray("key")));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("17")});
}

TEST_F(CodedCopyTest, recode_sameKeyKeeps_emptyOldKeyCodes_emptyNewKeyDecodes_modeStays)
{
    const QByteArray plain = sampleBytes(130500); // blocks of 1000 over several reads
    const QByteArray oldKey("Veche");
    const QByteArray newKey("NouaParola!");
    put("17", codedByHand(plain, oldKey));
    const auto mode = QFile::ReadOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path("17"), mode));

    RecodeFile(path("17"), oldKey, oldKey);
    EXPECT_EQ(get("17"), codedByHand(plain, oldKey));
    // The two cursors wrap at their own lengths, 5 and 11.
    RecodeFile(path("17"), oldKey, newKey);
    EXPECT_EQ(get("17"), codedByHand(plain, newKey));
    RecodeFile(path("17"), newKey, QByteArray());
    EXPECT_EQ(get("17"), plain);
    RecodeFile(path("17"), QByteArray(), oldKey);
    EXPECT_EQ(get("17"), codedByHand(plain, oldKey));
    // The user bits tell what this process may do (everything, for root), not the file's mode.
    const auto user = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    EXPECT_EQ(QFile::permissions(path("17")) & ~user, mode);

    put("0", QByteArray());
    RecodeFile(path("0"), QByteArray("a"), QByteArray("b"));
    EXPECT_EQ(get("0"), QByteArray());
    EXPECT_EQ(entries(), QStringList({QStringLiteral("0"), QStringLiteral("17")}));
}

TEST_F(CodedCopyTest, sizesPastTwoGigabytes_giveTheWholeProgressMaximum)
{
    const qint64 size = (qint64(1) << 31) + 25000; // sparse: the copy stops at the first step
    QFile big(path("scan.tif"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(size));
    big.close();
    progress.failAtStep = 1;
    EXPECT_THROW(CopyCoded(path("scan.tif"), path("17"), QByteArray("k"), progress),
                 std::runtime_error);
    EXPECT_EQ(progress.maximum, 214750);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("scan.tif")});
}

// Every write past a file size limit fails, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    void (*m_handler)(int);
    rlimit m_old{};
};

TEST_F(CodedCopyTest, failures_leaveTheOldFileWholeAndNoPartialFile_andFinishTheProgress)
{
    const QByteArray plain = sampleBytes(35000);
    const QByteArray archived = codedByHand(plain, QByteArray("old"));
    put("ales.pdf", plain);
    put("17", archived);
    const auto expectError = [&](const char *from, const QString &to, const QString &named) {
        progress = RecordingProgress();
        try {
            CopyCoded(path(from), to, QByteArray("new"), progress);
            ADD_FAILURE() << "no error";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(named)) << e.message().toStdString();
        }
        EXPECT_EQ(progress.finishes, 1);
    };
    expectError("lipsa.pdf", path("17"), path("lipsa.pdf") + QStringLiteral(": fisierul"));
    expectError("ales.pdf", path("TEMP/17.pdf"), path("TEMP") + QStringLiteral(" nu exista"));
    {
        FileSizeLimit limit(15000);
        expectError("ales.pdf", path("17"), path("17"));
        EXPECT_EQ(progress.starts, 1);
        EXPECT_THROW(RecodeFile(path("17"), QByteArray("old"), QByteArray("new")), Error);
    }
    progress = RecordingProgress();
    progress.failAtStep = 2;
    EXPECT_THROW(CopyCoded(path("ales.pdf"), path("17"), QByteArray("new"), progress),
                 std::runtime_error);
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_THROW(RecodeFile(path("lipsa"), QByteArray("a"), QByteArray("b")), Error);

    EXPECT_EQ(get("17"), archived);
    EXPECT_EQ(entries(), QStringList({QStringLiteral("17"), QStringLiteral("ales.pdf")}));
}

} // namespace
