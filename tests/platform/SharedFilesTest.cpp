// What workstations sharing one data folder rely on, on either system: byte-range locks that
// exclude each other without keeping anyone from the data, a file replaced while others read it,
// and folder and file names with Romanian letters.
#include "platform/FileHandles.h"
#include "platform/FileLocks.h"
#include "platform/FileStatus.h"
#include "platform/FolderListing.h"
#include "platform/ReplacementFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

using namespace dosarium;
using namespace std::chrono_literals;

namespace {

// The table header lock's offset: past any byte a table holds.
constexpr qint64 kFar = 1'000'000'000;

int openReadWrite(const QString &path)
{
    return openFile(path, FileAccess::ReadWrite, {.create = true});
}

QByteArray readAll(int fd)
{
    QByteArray bytes(64, '\0');
    const qint64 n = readFileAt(fd, bytes.data(), bytes.size(), 0);
    return n < 0 ? QByteArray("<eroare>") : bytes.left(n);
}

} // namespace

// Two descriptors of one file stand for two workstations: an exclusive lock keeps every other
// lock out until it is released, shared locks go together, and a lock far past the data never
// keeps the other from reading or writing the rows (Windows locks are mandatory).
TEST(SharedFiles, locksExcludeOtherOpenFiles_butNeverTheData)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Acte.dbf"));
    const int a = openReadWrite(path);
    const int b = openReadWrite(path);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_EQ(writeFileAt(a, "rand", 4, 0), 4);

    ASSERT_TRUE(lockRange(a, kFar, 1, LockMode::Exclusive, 0ms, path));
    EXPECT_FALSE(lockRange(b, kFar, 1, LockMode::Shared, 20ms, path));
    EXPECT_FALSE(lockRange(b, kFar, 1, LockMode::Exclusive, 0ms, path));
    EXPECT_TRUE(rangeLockedElsewhere(b, kFar, 1));
    EXPECT_EQ(readAll(b), QByteArray("rand"));
    EXPECT_EQ(writeFileAt(b, "RAND", 4, 0), 4);
    unlockRange(a, kFar, 1);

    EXPECT_FALSE(rangeLockedElsewhere(b, kFar, 1));
    ASSERT_TRUE(lockRange(a, kFar, 1, LockMode::Shared, 0ms, path));
    EXPECT_TRUE(lockRange(b, kFar, 1, LockMode::Shared, 0ms, path));
    // The byte beside is a lock of its own.
    EXPECT_TRUE(lockRange(b, kFar + 1, 1, LockMode::Exclusive, 0ms, path));
    EXPECT_FALSE(lockRange(a, kFar + 1, 1, LockMode::Exclusive, 0ms, path));
    closeFile(a);
    closeFile(b);

    // Closing a descriptor drops its locks: a third open takes the lock at once.
    const int c = openReadWrite(path);
    EXPECT_TRUE(lockRange(c, kFar, 1, LockMode::Exclusive, 0ms, path));
    closeFile(c);
}

// A table is rewritten while another workstation still has it open: the replacement succeeds,
// the reader keeps the bytes it opened, and whoever opens the name next reads the new ones.
TEST(SharedFiles, replacementWhileAnotherReads_succeeds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Acte.dbf"));
    const int writer = openReadWrite(path);
    ASSERT_EQ(writeFile(writer, "vechi", 5), 5);
    closeFile(writer);
    const int reader = openFile(path, FileAccess::Read);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(lockRange(reader, kFar, 1, LockMode::Shared, 0ms, path));

    ReplacementFile out(path);
    out.write(QByteArrayLiteral("nou"));
    ASSERT_NO_THROW(out.commit());

    EXPECT_EQ(readAll(reader), QByteArray("vechi"));
    EXPECT_FALSE(isFileAt(reader, path));
    closeFile(reader);
    const int again = openFile(path, FileAccess::Read);
    EXPECT_EQ(readAll(again), QByteArray("nou"));
    closeFile(again);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Acte.dbf")});
}

// Folders named with Romanian letters are opened, listed and written as any other.
TEST(SharedFiles, romanianNames_workEverywhere)
{
    QTemporaryDir dir;
    const QString school = dir.filePath(QStringLiteral("ŞCOALĂ"));
    ASSERT_TRUE(QDir().mkpath(school + QStringLiteral("/ÎNCHIRIERI")));
    const QString file = school + QStringLiteral("/Înscrieri ţară.pdf");
    {
        ReplacementFile out(file);
        out.write(QByteArrayLiteral("%PDF"));
        out.commit();
    }
    EXPECT_EQ(statusAt(file)->size, 4);
    EXPECT_EQ(entryKind(school + QStringLiteral("/ÎNCHIRIERI")), EntryKind::Folder);

    FolderListing listing;
    const int top = FolderListing::openFolder(dir.path());
    ASSERT_GE(top, 0);
    const int sub = FolderListing::openSubfolder(top, QStringLiteral("ŞCOALĂ"));
    ASSERT_GE(sub, 0);
    std::map<QString, std::pair<EntryKind, qint64>> seen;
    EXPECT_EQ(listing.list(sub,
                           [&](const QString &name, EntryKind kind, qint64 size) {
                               seen[name] = {kind, size};
                           }),
              0);
    FolderListing::closeFolder(sub);
    FolderListing::closeFolder(top);
    const std::map<QString, std::pair<EntryKind, qint64>> expected{
        {QStringLiteral("ÎNCHIRIERI"), {EntryKind::Folder, 0}},
        {QStringLiteral("Înscrieri ţară.pdf"), {EntryKind::File, 4}}};
    EXPECT_EQ(seen, expected);
}
