// Where acts' files live: the path from the row's pieces, pieces that would leave the data
// folder, folders found in another letter case, and folders created on demand.
#include "archive/ArchivePath.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

class ArchivePathTest : public ::testing::Test {
protected:
    QString data() const { return dir.path(); }
    void makeFolders(const QString &relative) { ASSERT_TRUE(QDir(data()).mkpath(relative)); }

    QTemporaryDir dir;
};

TEST_F(ArchivePathTest, pieces_areJoinedUnderTheDataFolder)
{
    EXPECT_EQ(
        ArchivePath(data(), 2005, QStringLiteral("Contracte"), QStringLiteral("Furnizori"), 17),
        data() + QStringLiteral("/2005/Contracte/Furnizori/17"));
    EXPECT_EQ(ArchiveFolder(data(), 2005, QStringLiteral("Contracte"), QStringLiteral("Furnizori")),
              data() + QStringLiteral("/2005/Contracte/Furnizori"));
    // Identifiers past 32 bits (IDACT has ten digits), texts with blanks and Romanian letters.
    EXPECT_EQ(ArchivePath(data(), 1999, QStringLiteral(u"Şcoala nr. 5"), QStringLiteral("A B"),
                          9999999999),
              data() + QStringLiteral(u"/1999/Şcoala nr. 5/A B/9999999999"));
    // A trailing dot or blank is not part of a Windows folder name.
    EXPECT_EQ(ArchiveFolder(data(), 2005, QStringLiteral("Contr."), QStringLiteral("Div. ")),
              data() + QStringLiteral("/2005/Contr/Div"));
}

TEST_F(ArchivePathTest, piecesThatLeaveTheDataFolder_areRefused)
{
    const QString bad[] = {QString(),
                           QStringLiteral("."),
                           QStringLiteral(".."),
                           QStringLiteral("..."),
                           QStringLiteral(" "),
                           QStringLiteral("../../etc"),
                           QStringLiteral("a/b"),
                           QStringLiteral("a\\b"),
                           QStringLiteral("\\"),
                           QStringLiteral("/"),
                           QString(QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("/.."))};
    for (const QString &piece : bad) {
        EXPECT_THROW(ArchivePath(data(), 2005, piece, QStringLiteral("Furnizori"), 1), Error)
            << piece.toStdString();
        EXPECT_THROW(ArchivePath(data(), 2005, QStringLiteral("Contracte"), piece, 1), Error)
            << piece.toStdString();
    }
    EXPECT_THROW(ArchivePath(data(), -1, QStringLiteral("A"), QStringLiteral("B"), 1), Error);
    EXPECT_THROW(ArchivePath(data(), 2005, QStringLiteral("A"), QStringLiteral("B"), -17), Error);
    try {
        ArchiveFolder(data(), 2005, QStringLiteral(".."), QStringLiteral("B"));
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Domeniul \"..\" nu poate fi nume de director in arhiva."));
    }
    EXPECT_EQ(QDir(data()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(ArchivePathTest, levelsInAnotherLetterCase_areReachedAsTheyExist)
{
    makeFolders(QStringLiteral("2005/CONTRACTE/furnizori"));
    EXPECT_EQ(
        ArchivePath(data(), 2005, QStringLiteral("Contracte"), QStringLiteral("Furnizori"), 17),
        data() + QStringLiteral("/2005/CONTRACTE/furnizori/17"));
    // A missing subdomain keeps its own spelling under the existing domain.
    EXPECT_EQ(ArchiveFolder(data(), 2005, QStringLiteral("contracte"), QStringLiteral("Clienti")),
              data() + QStringLiteral("/2005/CONTRACTE/Clienti"));
    // Romanian letters in either case.
    makeFolders(QStringLiteral(u"2006/ŞCOLI/Ţară"));
    EXPECT_EQ(ArchiveFolder(data(), 2006, QStringLiteral(u"şcoli"), QStringLiteral(u"ţARĂ")),
              data() + QStringLiteral(u"/2006/ŞCOLI/Ţară"));
    // Nothing matches: the path as given.
    EXPECT_EQ(ArchiveFolder(data(), 2007, QStringLiteral("Nou"), QStringLiteral("Nou")),
              data() + QStringLiteral("/2007/Nou/Nou"));
}

TEST_F(ArchivePathTest, severalSpellings_theExactOneFirst_elseTheFirstInOrder)
{
    makeFolders(QStringLiteral("2005/contracte/a"));
    makeFolders(QStringLiteral("2005/Contracte/a"));
    EXPECT_EQ(ArchiveFolder(data(), 2005, QStringLiteral("contracte"), QStringLiteral("a")),
              data() + QStringLiteral("/2005/contracte/a"));
    EXPECT_EQ(ArchiveFolder(data(), 2005, QStringLiteral("CONTRACTE"), QStringLiteral("A")),
              data() + QStringLiteral("/2005/Contracte/a"));
}

TEST_F(ArchivePathTest, ensureArchiveFolder_createsEveryMissingLevel)
{
    const QString folder =
        ArchiveFolder(data(), 2005, QStringLiteral("Contracte"), QStringLiteral("Furnizori"));
    EXPECT_TRUE(EnsureArchiveFolder(folder));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(EnsureArchiveFolder(folder)); // existing

    // A file where a folder level should be.
    QFile blocker(data() + QStringLiteral("/2006"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(EnsureArchiveFolder(
        ArchiveFolder(data(), 2006, QStringLiteral("Contracte"), QStringLiteral("Furnizori"))));
}

} // namespace
