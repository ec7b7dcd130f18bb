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
QByteArray codedByHand(const QByteArray &plain, const QByteArray &key)
{
    QByteArray out = plain;
    if (key.isEmpty())
        return out;
    for (qsizetype i = 0; i < out.size(); ++i)
        out[i] = char(out[i] ^ key[i % key.size()]);
    return out;
}

QByteArray sampleBytes(qsizetype size, int seed = 7)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = quint32(seed);
    for (char &c : bytes) {
        state = state * 1103515245u + 12345u;
        c = char(state >> 23);
    }
    return bytes;
}

struct RecordingProgress : ProgressSink {
    int starts = 0;
    qint64 maximum = -1;
    QString description;
    int steps = 0;
    int finishes = 0;
    int failAtStep = -1; // a step that throws, as a window that fails would

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

    void put(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray get(const QString &file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll();
    }
    QStringList entries() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir;
    RecordingProgress progress;
};

TEST(KeyCursorTest, nextKeyByte_runsThroughTheKeyAndWraps)
{
    KeyCursor cursor(QByteArray("abc"));
    EXPECT_EQ(cursor.position(), 0);
    QByteArray seen;
    for (int i = 0; i < 7; ++i)
        seen += NextKeyByte(cursor);
    EXPECT_EQ(seen, QByteArray("abcabca"));
    EXPECT_EQ(cursor.position(), 1);

    KeyCursor empty{QByteArray()};
    EXPECT_EQ(NextKeyByte(empty), '\0');
    EXPECT_EQ(empty.position(), 0);
}

TEST(KeyCursorTest, blockCoding_equalsByteByByteAtAnyStartAndBlockLength)
{
    const QByteArray plain = sampleBytes(20000);
    // Key lengths that divide the runs and ones that do not, bytes above 127 included.
    for (const QByteArray &key : {QByteArray("k"), QByteArray("\xAA\xDE\xFE\x01\x80"),
                                  QByteArray("ParolaAdministrator#2005-32chars")}) {
        for (const qsizetype first : {0, 1, 7, 4099}) {
            KeyCursor slow(key);
            KeyCursor fast(key);
            QByteArray bySteps = plain;
            for (qsizetype i = 0; i < first; ++i)
                bySteps[i] = char(bySteps[i] ^ NextKeyByte(slow));
            QByteArray byBlocks = plain;
            fast.code(byBlocks.data(), first);
            // The rest in one block; the key position must run on from the first part.
            fast.code(byBlocks.constData() + first, byBlocks.data() + first, plain.size() - first);
            for (qsizetype i = first; i < plain.size(); ++i)
                bySteps[i] = char(bySteps[i] ^ NextKeyByte(slow));
            EXPECT_EQ(byBlocks, bySteps) << key.size() << " " << first;
            EXPECT_EQ(byBlocks, codedByHand(plain, key));
            EXPECT_EQ(fast.position(), slow.position());
        }
    }
}

TEST_F(CodedCopyTest, emptyKey_copiesByteForByte_andAOneCharacterKeyCodesEveryByteWithIt)
{
    const QByteArray plain = sampleBytes(3000);
    put(path("ales.pdf"), plain);
    CopyCoded(path("ales.pdf"), path("17"), QByteArray(), progress);
    EXPECT_EQ(get(path("17")), plain);

    CopyCoded(path("ales.pdf"), path("18"), QByteArray("\xE3"), progress);
    const QByteArray coded = get(path("18"));
    ASSERT_EQ(coded.size(), plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i)
        ASSERT_EQ(char(coded[i] ^ plain[i]), '\xE3') << i;
}

TEST_F(CodedCopyTest, threeBlocks_keyRunsOnAcrossThem_andProgressHasMaximumTwoAndThreeSteps)
{
    const QByteArray plain = sampleBytes(25000);
    const QByteArray key("Secret7");
    put(path("scan.tif"), plain);
    CopyCoded(path("scan.tif"), path("17"), key, progress);

    const QByteArray coded = get(path("17"));
    EXPECT_EQ(coded, codedByHand(plain, key));
    // Byte 10000 is the first of the second block: key character (10000 mod 7) + 1 = 5.
    EXPECT_EQ(char(coded[10000] ^ plain[10000]), key[4]);
    EXPECT_EQ(char(coded[20000] ^ plain[20000]), key[20000 % 7]);
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_EQ(progress.description, QStringLiteral("Pregatesc fisierul..."));
    EXPECT_EQ(progress.steps, 3);
    EXPECT_EQ(progress.finishes, 1);
}

TEST_F(CodedCopyTest, smallAndEmptyFiles_giveMaximumZero_andAnEmptyFileAnEmptyCopy)
{
    put(path("mic.txt"), sampleBytes(9999));
    CopyCoded(path("mic.txt"), path("1"), QByteArray("abc"), progress);
    EXPECT_EQ(progress.maximum, 0);
    EXPECT_EQ(progress.steps, 1);

    progress = RecordingProgress();
    put(path("gol.txt"), QByteArray());
    put(path("2"), QByteArray("a file that the copy replaces"));
    CopyCoded(path("gol.txt"), path("2"), QByteArray("abc"), progress);
    EXPECT_TRUE(QFile::exists(path("2")));
    EXPECT_EQ(get(path("2")), QByteArray());
    EXPECT_EQ(progress.maximum, 0);
    EXPECT_EQ(progress.steps, 0);
    EXPECT_EQ(progress.finishes, 1);
}

TEST_F(CodedCopyTest, storeThenReadableCopy_givesTheChosenFileBack)
{
    const QByteArray plain = sampleBytes(300001);
    const QByteArray key("\xAA\xBA\xFE\xDE\xDE"
                         "Parola");
    put(path("ales.pdf"), plain);
    CopyCoded(path("ales.pdf"), path("17"), key, progress);
    EXPECT_EQ(get(path("17")), codedByHand(plain, key));
    EXPECT_EQ(progress.maximum, 30);
    EXPECT_EQ(progress.steps, 31); // the last block holds one byte
    CopyCoded(path("17"), path("17.pdf"), key, progress);
    EXPECT_EQ(get(path("17.pdf")), plain);
    EXPECT_EQ(entries(), QStringList({QStringLiteral("17"), QStringLiteral("17.pdf"),
                                      QStringLiteral("ales.pdf")}));
}

TEST_F(CodedCopyTest, samePathText_doesNothingAndShowsNoProgress)
{
    const QByteArray plain = sampleBytes(15000);
    put(path("17"), plain);
    CopyCoded(path("17"), path("17"), QByteArray("key"), progress);
    EXPECT_EQ(get(path("17")), plain);
    EXPECT_EQ(progress.starts, 0);
    EXPECT_EQ(progress.finishes, 0);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("17")});
}

TEST_F(CodedCopyTest, sameFileUnderAnotherPathText_isCodedWithoutLosingIt)
{
    const QByteArray plain = sampleBytes(25000);
    put(path("17"), plain);
    const QString other = dir.path() + QStringLiteral("/./17");
    CopyCoded(path("17"), other, QByteArray("key"), progress);
    EXPECT_EQ(get(path("17")), codedByHand(plain, QByteArray("key")));
}

TEST_F(CodedCopyTest, recode_sameKeyKeepsTheFile_emptyOldKeyCodes_emptyNewKeyDecodes)
{
    const QByteArray plain = sampleBytes(130500); // 130 blocks of 1000 and one of 500
    const QByteArray oldKey("Veche");
    const QByteArray newKey("NouaParola!");
    put(path("17"), codedByHand(plain, oldKey));

    RecodeFile(path("17"), oldKey, oldKey);
    EXPECT_EQ(get(path("17")), codedByHand(plain, oldKey));

    // The two cursors wrap at their own lengths (5 and 11) across the blocks.
    RecodeFile(path("17"), oldKey, newKey);
    EXPECT_EQ(get(path("17")), codedByHand(plain, newKey));

    RecodeFile(path("17"), newKey, QByteArray());
    EXPECT_EQ(get(path("17")), plain);

    RecodeFile(path("17"), QByteArray(), oldKey);
    EXPECT_EQ(get(path("17")), codedByHand(plain, oldKey));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("17")});
}

TEST_F(CodedCopyTest, recode_emptyFileStaysEmpty_andPermissionsStay)
{
    put(path("0"), QByteArray());
    RecodeFile(path("0"), QByteArray("a"), QByteArray("b"));
    EXPECT_EQ(get(path("0")), QByteArray());

    put(path("17"), sampleBytes(10));
    const auto mode = QFile::ReadOwner | QFile::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(path("17"), mode));
    RecodeFile(path("17"), QByteArray("a"), QByteArray("b"));
    // The user bits say what this process may do (everything, for root), not the file's mode.
    const auto user = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    EXPECT_EQ(QFile::permissions(path("17")) & ~user, mode);
}

TEST_F(CodedCopyTest, missingSourceOrFolder_reportsTheFile_finishesAndLeavesNothing)
{
    put(path("17"), QByteArray("archived before"));
    try {
        CopyCoded(path("lipsa.pdf"), path("17"), QByteArray("k"), progress);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(path("lipsa.pdf")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("nu exista")));
    }
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_EQ(get(path("17")), QByteArray("archived before"));

    progress = RecordingProgress();
    put(path("ales.pdf"), sampleBytes(100));
    const QString folder = path("TEMP");
    try {
        CopyCoded(path("ales.pdf"), folder + QStringLiteral("/17.pdf"), QByteArray(), progress);
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(folder));
        EXPECT_TRUE(e.message().contains(QStringLiteral("nu exista")));
    }
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_EQ(entries(), QStringList({QStringLiteral("17"), QStringLiteral("ales.pdf")}));

    EXPECT_THROW(RecodeFile(path("lipsa"), QByteArray("a"), QByteArray("b")), Error);
}

TEST_F(CodedCopyTest, failureMidCopy_keepsTheOldDestinationAndRemovesThePartialFile)
{
    put(path("ales.pdf"), sampleBytes(35000));
    put(path("17"), QByteArray("archived before"));
    progress.failAtStep = 2; // the second of four blocks
    EXPECT_THROW(CopyCoded(path("ales.pdf"), path("17"), QByteArray("k"), progress),
                 std::runtime_error);
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_EQ(get(path("17")), QByteArray("archived before"));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("17"), QStringLiteral("ales.pdf")}));
}

TEST_F(CodedCopyTest, sizesPastTwoGigabytes_giveTheWholeProgressMaximum)
{
    // A sparse file: nothing is copied beyond the first block.
    const qint64 size = (qint64(1) << 31) + 25000;
    QFile big(path("scan.tif"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(size));
    big.close();
    progress.failAtStep = 1;
    EXPECT_THROW(CopyCoded(path("scan.tif"), path("17"), QByteArray("k"), progress),
                 std::runtime_error);
    EXPECT_EQ(progress.maximum, size / 10000);
    EXPECT_EQ(progress.maximum, 214750);
    EXPECT_FALSE(QFile::exists(path("17")));
}

// A file size limit makes every write past it fail, as a full disk does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

TEST_F(CodedCopyTest, writeFailure_keepsTheOldFileWhole_andRemovesTheNewOne)
{
    const QByteArray plain = sampleBytes(25000);
    put(path("ales.pdf"), plain);
    put(path("17"), codedByHand(plain, QByteArray("old")));
    {
        FileSizeLimit limit(15000);
        try {
            CopyCoded(path("ales.pdf"), path("17"), QByteArray("new"), progress);
            ADD_FAILURE() << "no error";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(path("17")));
        }
        // Re-coding a file: it stays coded wholly with the old key.
        EXPECT_THROW(RecodeFile(path("17"), QByteArray("old"), QByteArray("new")), Error);
    }
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_EQ(get(path("17")), codedByHand(plain, QByteArray("old")));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("17"), QStringLiteral("ales.pdf")}));
}

} // namespace
