// The fingerprints under the archive check: a document damaged in place is named and nothing
// else is, a document another program wrote again is never called damaged, "--rapid" decodes
// nothing, "--repara" takes the missing fingerprints and never replaces one that does not
// match, and rows that are no fingerprint are passed over.
#include "app/FingerprintsTable.h"
#include "archive/KeyCursor.h"
#include "store/Engine.h"
#include "store/Statement.h"
#include "tools/ArchiveConsole.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <gtest/gtest.h>

#include "ToolData.h"

using namespace dosarium;
using namespace dosarium::testing;

namespace {

int run(const QStringList &args, QString *output)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runArchiveTool(args, o, e);
    *output = out + err;
    return status;
}

QByteArray scan(int n)
{
    QByteArray bytes(20'000 + n * 977, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 31 + n * 7) >> 3);
    return bytes;
}

QDateTime modified(const QString &path)
{
    return QFileInfo(path).fileTime(QFileDevice::FileModificationTime);
}

// Changes the file as a failing disk does: its bytes, never its modification time.
void damageInPlace(const QString &path, qint64 at, qint64 newSize = -1)
{
    const QDateTime time = modified(path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    if (newSize >= 0) {
        ASSERT_TRUE(f.resize(newSize));
    } else {
        ASSERT_TRUE(f.seek(at));
        char c = 0;
        ASSERT_TRUE(f.getChar(&c));
        ASSERT_TRUE(f.seek(at));
        ASSERT_TRUE(f.putChar(char(c ^ 0x10)));
    }
    ASSERT_TRUE(f.flush());
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
}

void setModified(const QString &path, const QDateTime &time)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
}

QString archived(const ToolData &data, const QString &id)
{
    return data.path(QStringLiteral("2005/Contracte/Furnizori/") + id);
}

} // namespace

TEST(FingerprintCheck, aDamagedDocumentIsNamed_anotherProgramsRewriteIsNot_rapidDecodesNothing)
{
    ToolData data;
    QStringList ids;
    for (int n = 0; n < 12; ++n)
        ids << data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), scan(n));
    damageInPlace(archived(data, ids.at(3)), 15'000);                // one bit flipped
    damageInPlace(archived(data, ids.at(7)), 0, scan(7).size() / 2); // cut, its time kept
    // A workstation of the older program replaces act 10's document: a new file, a new time.
    QByteArray replacement = scan(40);
    KeyCursor(data.key()).code(replacement.data(), replacement.size());
    writeFile(archived(data, ids.at(10)), replacement);
    setModified(archived(data, ids.at(10)), QDateTime::currentDateTime().addSecs(60));

    QString report;
    EXPECT_EQ(run({QStringLiteral("verifica"), data.dataDir()}, &report), StatusFound);
    const QStringList damaged =
        report.split(QLatin1Char('\n')).filter(QStringLiteral("deteriorat:"));
    ASSERT_EQ(damaged.size(), 2) << report.toStdString();
    EXPECT_TRUE(damaged.at(0).startsWith(QStringLiteral("Actul %1 (2005, Contracte, Furnizori): "
                                                        "documentul arhivat "
                                                        "2005/Contracte/Furnizori/%1 este "
                                                        "deteriorat")
                                             .arg(ids.at(3))))
        << damaged.at(0).toStdString();
    EXPECT_TRUE(damaged.at(1).startsWith(QStringLiteral("Actul %1 ").arg(ids.at(7))));
    EXPECT_TRUE(report.contains(QStringLiteral("Nota: Actul %1 (2005, Contracte, Furnizori): "
                                               "documentul arhivat 2005/Contracte/Furnizori/%1 "
                                               "a fost scris din nou")
                                    .arg(ids.at(10))))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral("; 2 probleme.\n"))) << report.toStdString();

    // Names and sizes only: the cut document shows, the flipped bit does not.
    EXPECT_EQ(run({QStringLiteral("verifica"), QStringLiteral("--rapid"), data.dataDir()}, &report),
              StatusFound);
    EXPECT_FALSE(report.contains(QStringLiteral("Actul %1 ").arg(ids.at(3))));
    EXPECT_TRUE(report.contains(QStringLiteral("Actul %1 ").arg(ids.at(7))));

    // Written again with the same content (as the archive's re-coding does): nothing to say;
    // the repair records the new time, so damage after that is still damage.
    const QString rewritten = archived(data, ids.at(5));
    setModified(rewritten, QDateTime::currentDateTime().addSecs(120));
    EXPECT_EQ(
        run({QStringLiteral("verifica"), QStringLiteral("--repara"), data.dataDir()}, &report),
        StatusFound);
    EXPECT_FALSE(report.contains(QStringLiteral("Actul %1 ").arg(ids.at(5))));
    EXPECT_TRUE(report.contains(QStringLiteral("Amprente aduse la zi (fisier scris din nou cu "
                                               "acelasi continut, de exemplu la recodarea "
                                               "arhivei): 1 document.")))
        << report.toStdString();
    damageInPlace(rewritten, 600);
    EXPECT_EQ(run({QStringLiteral("verifica"), data.dataDir()}, &report), StatusFound);
    EXPECT_TRUE(report.contains(QStringLiteral("Actul %1 (2005, Contracte, Furnizori): documentul "
                                               "arhivat 2005/Contracte/Furnizori/%1 este "
                                               "deteriorat")
                                    .arg(ids.at(5))))
        << report.toStdString();
}

TEST(FingerprintCheck, repair_takesMissingFingerprintsOnly_andPlantedRowsAreNeverUsed)
{
    ToolData data;
    const QString kept =
        data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), scan(1));
    const QString older =
        data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), scan(2));
    const QString torn =
        data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), scan(3));
    // Act `older` as a workstation of the older program adds it: no fingerprint.
    FingerprintsTable::remove(data.dataDir(), older.toLongLong());
    damageInPlace(archived(data, kept), 100);
    const QString table = quoteText(FingerprintsTable::path(data.dataDir()));
    // Rows another tool wrote: no act number, no fingerprint, and a second one for `torn`.
    for (const QString &values :
         {QStringLiteral("0, \"%1\", 5, 5").arg(QString(64, QLatin1Char('a'))),
          QStringLiteral("%1, \"zz\", 5, 5").arg(kept),
          QStringLiteral("%1, \"%2\", 5, 5").arg(torn, QString(64, QLatin1Char('b')))})
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, SHA256, MARIME, MARIMEARH) VALUES "
                                       "(%2)")
                            .arg(table, values));
    const auto printOf = [&](const QString &id) {
        return FingerprintsTable::readAll(data.dataDir()).byAct.value(id.toLongLong()).sha256;
    };
    const QByteArray keptPrint = printOf(kept);

    QString report;
    EXPECT_EQ(
        run({QStringLiteral("verifica"), QStringLiteral("--repara"), data.dataDir()}, &report),
        StatusFound);
    EXPECT_TRUE(report.contains(QStringLiteral("Am luat amprenta pentru 1 act.")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("are 2 randuri care nu sunt amprente bune")));
    EXPECT_TRUE(report.contains(QStringLiteral("Actul %1 (2005, Contracte, Furnizori): are mai "
                                               "multe amprente")
                                    .arg(torn)));
    // The damaged document stays for a person, and its fingerprint stays as it was taken.
    EXPECT_TRUE(report.contains(QStringLiteral("Raman de rezolvat de o persoana:")));
    EXPECT_EQ(printOf(kept), keptPrint);
    EXPECT_EQ(printOf(older),
              QCryptographicHash::hash(scan(2), QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(printOf(torn), QByteArray());
}
