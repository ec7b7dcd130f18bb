// Damaged files of a data folder are kept, byte for byte, in a dated copy beside them before
// anything rewrites them, and the user is told what was found and where the copy is: the
// documents table cut short in its rows before the start's pack, a user file with a piece of a
// record before a save, a settings file holding bytes no text holds; and a lost settings file
// never makes the counter hand out an act's id again.
#include "app/DamagedFiles.h"
#include "app/DataTables.h"
#include "app/SettingsFile.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

class DamagedFilesTest : public ::testing::Test {
protected:
    DamagedFilesTest()
    {
        Query sx;
        Table tx;
        CreateTables(sx, dir.path(), [] {});
        ActsTable::upgrade(sx, tx, dir.path(), [] {});
        acte = resolveFileName(joinPath(dir.path(), QStringLiteral("Acte.dbf")));
    }
    QString path(const QString &name) const { return joinPath(dir.path(), name); }
    static QByteArray read(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void addActs(int count)
    {
        for (int id = 1; id <= count; ++id)
            Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, DOMENIUL) VALUES (%2, "
                                           "2009, \"CONTRACTE\")")
                                .arg(quoteText(acte))
                                .arg(id));
    }
    // The header's record count set to `count`, whatever the file holds.
    void setDeclaredCount(quint32 count)
    {
        QFile f(acte);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(4);
        const char bytes[4] = {char(count), char(count >> 8), char(count >> 16), char(count >> 24)};
        f.write(bytes, 4);
    }
    // The dated copies beside `name`.
    QStringList copiesOf(const QString &stem) const
    {
        return QDir(dir.path()).entryList({stem + QStringLiteral(".deteriorat-*")}, QDir::Files);
    }
    int rows()
    {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(acte));
        q.open();
        return q.recordCount();
    }

    QTemporaryDir dir;
    QString acte;
};

TEST_F(DamagedFilesTest, documentsTableCutShortInItsRows_isKeptBeforeThePackRewritesIt)
{
    addActs(20);
    Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT<3").arg(quoteText(acte)));
    setDeclaredCount(100000); // the header still counts the rows the file lost
    const QByteArray damaged = read(acte);

    Table sursa;
    const QString notice = PackTable(sursa, acte, [] {});
    const QStringList copies = copiesOf(QStringLiteral("Acte"));
    ASSERT_EQ(copies.size(), 1);
    // The copy keeps the table's own extension (on Windows, as the program was given its name).
    EXPECT_TRUE(copies.first().endsWith(QLatin1Char('.') + QFileInfo(acte).suffix()))
        << copies.first().toStdString();
    EXPECT_EQ(read(path(copies.first())), damaged);
    EXPECT_EQ(notice, QStringLiteral("Fisierul %1 este deteriorat: antetul numara 100000 "
                                     "randuri, dar fisierul le cuprinde doar pe primele 20. Asa "
                                     "cum era, fisierul a fost pastrat in %2.")
                          .arg(QDir::toNativeSeparators(acte),
                               QDir::toNativeSeparators(path(copies.first()))));
    EXPECT_EQ(rows(), 18);
    // Packed, the table is sound: no further copy.
    EXPECT_EQ(PackTable(sursa, acte, [] {}), QString());
    EXPECT_EQ(copiesOf(QStringLiteral("Acte")).size(), 1);
}

TEST_F(DamagedFilesTest, tablesWhoseHeaderAndSizeDisagree_orOnlyByACrashedAppend)
{
    addActs(6);
    EXPECT_EQ(tableDamage(acte), QString());
    setDeclaredCount(5); // one record after the count: what a stop inside an append leaves
    EXPECT_EQ(tableDamage(acte), QString());
    setDeclaredCount(2);
    EXPECT_EQ(tableDamage(acte),
              QStringLiteral("fisierul cuprinde 6 randuri, dar antetul numara doar 2"));
    setDeclaredCount(7);
    EXPECT_EQ(tableDamage(acte), QStringLiteral("antetul numara 7 randuri, dar fisierul le "
                                                "cuprinde doar pe primele 6"));
    // A file no reader takes is nobody's to rewrite.
    write(acte, QByteArrayLiteral("\x03short"));
    EXPECT_EQ(tableDamage(acte), QString());
}

TEST_F(DamagedFilesTest, headerCountingFewerRowsThanItHolds_isNeverWrittenUntilTheStartCountsAll)
{
    addActs(6);
    setDeclaredCount(2);
    const QByteArray damaged = read(acte);
    // No change goes over the rows the header does not count.
    const QString table = quoteText(acte);
    EXPECT_THROW(Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT) VALUES (7)").arg(table)),
                 DamagedTableError);
    EXPECT_THROW(Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=1").arg(table)),
                 DamagedTableError);
    Table sursa;
    EXPECT_THROW(PackTable(sursa, acte, [] {}), DamagedTableError);
    EXPECT_EQ(read(acte), damaged);

    // The start keeps the file as it was, then makes the header count every row.
    const QStringList notices = CheckDataFiles(dir.path());
    ASSERT_EQ(copiesOf(QStringLiteral("Acte")).size(), 1);
    EXPECT_EQ(read(path(copiesOf(QStringLiteral("Acte")).first())), damaged);
    EXPECT_TRUE(notices.join(QLatin1Char('\n')).contains(QStringLiteral("acum le numara pe toate")))
        << qPrintable(notices.join(QLatin1Char('\n')));
    EXPECT_EQ(rows(), 6);
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT) VALUES (7)").arg(table));
    EXPECT_EQ(rows(), 7);
}

TEST_F(DamagedFilesTest, startCheck_keepsEveryDamagedFileOnce_andMovesALostCounterPastTheActs)
{
    addActs(4);
    write(path(QStringLiteral("ini.mpg")), QByteArray(67, '\0') + QByteArrayLiteral("ADMIN"));
    write(path(QStringLiteral("Dsm.in")), QByteArrayLiteral("[INDEX]\r\nIDLOG=7\r\n\0\0\0\0"));

    const QStringList notices = CheckDataFiles(dir.path());
    ASSERT_EQ(notices.size(), 3) << notices.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(notices.at(0).contains(QStringLiteral("ini.mpg este deteriorat: are 72 octeti, "
                                                      "iar dupa ultima inregistrare intreaga "
                                                      "de 67 raman 5")));
    EXPECT_TRUE(notices.at(1).contains(
        QStringLiteral("Dsm.in este deteriorat: cuprinde octeti care nu sunt text")));
    EXPECT_TRUE(notices.at(2).startsWith(QStringLiteral("Contorul actelor (IDACT)")));
    EXPECT_EQ(copiesOf(QStringLiteral("ini")).size(), 1);
    EXPECT_EQ(copiesOf(QStringLiteral("Dsm")).size(), 1);
    EXPECT_EQ(read(path(copiesOf(QStringLiteral("Dsm")).first())),
              QByteArrayLiteral("[INDEX]\r\nIDLOG=7\r\n\0\0\0\0"));
    SettingsFile settings(dir.path());
    EXPECT_EQ(settings.read(QStringLiteral("INDEX"), QStringLiteral("IDACT")), QStringLiteral("5"));
    EXPECT_EQ(settings.read(QStringLiteral("INDEX"), QStringLiteral("IDLOG")), QStringLiteral("7"));

    // The next start finds the same user file: the copy it names is the one kept before.
    const QStringList again = CheckDataFiles(dir.path());
    ASSERT_EQ(again.size(), 2) << again.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(copiesOf(QStringLiteral("ini")).size(), 1);
    EXPECT_EQ(again.first(), notices.first());
}

TEST_F(DamagedFilesTest, whatCountsAsDamageInTheUserAndSettingsFiles)
{
    QByteArray sound(67, '\0');
    sound[0] = 5;
    sound.replace(1, 5, "ADMIN");
    EXPECT_EQ(userFileDamage(sound + sound), QString());
    EXPECT_EQ(userFileDamage(QByteArray()), QStringLiteral("nu cuprinde niciun utilizator"));
    QByteArray longName = sound;
    longName[0] = char(200);
    EXPECT_EQ(userFileDamage(sound + longName),
              QStringLiteral("inregistrarea 2 are un nume sau o parola mai lunga de 32"));
    QByteArray rank = sound;
    rank[66] = 7;
    EXPECT_EQ(userFileDamage(rank), QStringLiteral("inregistrarea 1 are rangul 7, care nu exista"));

    EXPECT_EQ(settingsDamage(QByteArrayLiteral("; note\r\n[INDEX]\r\nIDACT=3\r\n\r\n[CONST]\n"
                                               "SERVER=\\\\srv\\Acte\tx\n")),
              QString());
    EXPECT_EQ(settingsDamage(QByteArrayLiteral("[INDEX]\nIDACT 3\n")),
              QStringLiteral("randul 2 nu este nici sectiune, nici cheie=valoare"));
    EXPECT_EQ(settingsDamage(QByteArrayLiteral("[INDEX]\nID\x01") + QByteArrayLiteral("ACT=3")),
              QStringLiteral("cuprinde octeti care nu sunt text (primul la pozitia 10)"));
}

} // namespace
