#include "platform/FileHandles.h"
#include "platform/FileStatus.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dosarium;

// An exported document keeps the date it was archived on: the time a status gives, set on
// another file, reads back the same to the nanosecond, also before 1970 (where the fraction
// counts back from the next second).
TEST(FileHandles, modificationTimeSetFromAStatus_readsBackExactly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("scan.pdf"));
    constexpr qint64 kMarch2019 = 1'552'555'613'589'123'456;
    for (const qint64 when : {kMarch2019, qint64(-750'000'000)}) {
        const int fd = openFile(path, FileAccess::Write, {.create = true});
        ASSERT_GE(fd, 0);
        ASSERT_EQ(writeFile(fd, "scan", 4), 4);
        setModificationTime(fd, when);
        const std::optional<FileStatus> open = statusOf(fd);
        ASSERT_EQ(closeFile(fd), 0);
        ASSERT_TRUE(open);
#ifdef _WIN32
        const qint64 kept = when - when % 100; // Windows keeps times in steps of 100 ns
#else
        const qint64 kept = when;
#endif
        EXPECT_EQ(open->modified, kept);
        EXPECT_EQ(statusAt(path)->modified, kept);
    }
}
