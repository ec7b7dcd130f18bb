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

// The program gives paths in the system's own form. Windows's file names ignore letter case:
// there the program keeps the spelling it is given and the system finds the folder in any case;
// elsewhere the program finds the spelling that exists.
::testing::AssertionResult samePath(const QString &actual, const QString &expected)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity letterCase = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity letterCase = Qt::CaseSensitive;
#endif
    if (actual.compare(expected, letterCase) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << qPrintable(actual) << " is not " << qPrintable(expected);
}

class ArchivePathTest : public ::testing::Test {
protected:
    QString data(const char16_t *below = u"") const
    {
        return QDir::toNativeSeparators(dir.path() + QString::fromUtf16(below));
    }
    QString folder(qint64 year, const char16_t *domain, const char16_t *subdomain) const
    {
        return ArchiveFolder(dir.path(), year, QString::fromUtf16(domain),
                             QString::fromUtf16(subdomain));
    }
    void makeFolders(const char16_t *relative)
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QString::fromUtf16(relative)));
    }

    QTemporaryDir dir;
};

TEST_F(ArchivePathTest, pieces_areJoinedUnderTheDataFolder)
{
    EXPECT_TRUE(samePath(
        ArchivePath(data(), 2005, QStringLiteral("Contracte"), QStringLiteral("Furnizori"), 17),
        data(u"/2005/Contracte/Furnizori/17")));
    // Identifiers of ten digits, blanks and Romanian letters.
    EXPECT_TRUE(samePath(ArchivePath(data(), 1999, QStringLiteral(u"Şcoala nr. 5"),
                                     QStringLiteral("A B"), 9999999999),
                         data(u"/1999/Şcoala nr. 5/A B/9999999999")));
    // A trailing dot or blank is no part of a Windows folder name.
    EXPECT_TRUE(samePath(folder(2005, u"Contr.", u"Div. "), data(u"/2005/Contr/Div")));
    // Letters with a comma below reach the folder of the text their row stores.
    EXPECT_TRUE(samePath(folder(2005, u"Școli", u"Țări și ținuturi"),
                         data(u"/2005/Şcoli/Ţări şi ţinuturi")));
}

TEST_F(ArchivePathTest, piecesThatLeaveTheDataFolder_areRefused)
{
    for (const QString &piece :
         {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("..."),
          QStringLiteral(" "), QStringLiteral("../../etc"), QStringLiteral("a/b"),
          QStringLiteral("a\\b"), QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("/..")}) {
        EXPECT_THROW(ArchiveFolder(data(), 2005, piece, QStringLiteral("B")), Error);
        EXPECT_THROW(ArchivePath(data(), 2005, QStringLiteral("A"), piece, 1), Error);
    }
    EXPECT_THROW(ArchivePath(data(), -1, QStringLiteral("A"), QStringLiteral("B"), 1), Error);
    EXPECT_THROW(ArchivePath(data(), 2005, QStringLiteral("A"), QStringLiteral("B"), -17), Error);
    try {
        folder(2005, u"..", u"B");
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Domeniul \"..\" nu poate fi nume de director in arhiva."));
    }
    EXPECT_EQ(QDir(data()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(ArchivePathTest, levelsInAnotherLetterCase_areReachedAsTheyExist)
{
    makeFolders(u"2005/CONTRACTE/furnizori");
    EXPECT_TRUE(
        samePath(folder(2005, u"Contracte", u"Furnizori"), data(u"/2005/CONTRACTE/furnizori")));
    // A missing subdomain keeps its own spelling under the existing domain.
    EXPECT_TRUE(samePath(folder(2005, u"contracte", u"Clienti"), data(u"/2005/CONTRACTE/Clienti")));
    makeFolders(u"2006/ŞCOLI/Ţară");
    EXPECT_TRUE(samePath(folder(2006, u"şcoli", u"ţARĂ"), data(u"/2006/ŞCOLI/Ţară")));
    // Several spellings: the exact one, else the first in order.
    makeFolders(u"2005/Contracte/a");
    EXPECT_TRUE(samePath(folder(2005, u"CONTRACTE", u"A"), data(u"/2005/CONTRACTE/A")));
    EXPECT_TRUE(samePath(folder(2005, u"contracte", u"a"), data(u"/2005/CONTRACTE/a")));
    EXPECT_TRUE(samePath(folder(2005, u"Contracte", u"A"), data(u"/2005/Contracte/a")));
}

TEST_F(ArchivePathTest, ensureArchiveFolder_createsEveryMissingLevel)
{
    const QString path = folder(2005, u"Contracte", u"Furnizori");
    EXPECT_TRUE(EnsureArchiveFolder(path));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_TRUE(EnsureArchiveFolder(path));
    QFile blocker(data(u"/2006")); // a file where a folder level should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(EnsureArchiveFolder(folder(2006, u"Contracte", u"Furnizori")));
}

} // namespace
