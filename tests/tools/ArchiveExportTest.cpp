// The export: documents decoded byte for byte, the CSV files read back by a reader of their own,
// the data folder left as it was, and the destinations and archives that refuse an export.
#include "tools/ArchiveExport.h"
#include "access/ArchiveRecoding.h"
#include "store/Engine.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/TableFile.h"
#include "tools/ArchiveConsole.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

#include "TestText.h"
#include "ToolData.h"

using namespace dosarium;
using namespace dosarium::testing;

namespace {

int run(const QStringList &args, QString *output = nullptr)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runArchiveTool(args, o, e);
    if (output)
        *output = out + err;
    return status;
}

// The rows of a table as the engine reads them, header first.
QList<QStringList> tableRows(const QString &path)
{
    Query q;
    q.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(path));
    q.open();
    QList<QStringList> rows;
    QStringList names;
    for (int c = 0; c < q.fieldCount(); ++c)
        names << q.fieldName(c);
    rows << names;
    for (int r = 0; r < q.recordCount(); ++r) {
        QStringList row;
        for (int c = 0; c < q.fieldCount(); ++c)
            row << q.text(r, c);
        rows << row;
    }
    return rows;
}

// Changes the record of the first row whose IDACT is `id` in place, bytes and all.
void changeRow(const QString &actePath, int id,
               const std::function<void(const TableLayout &, QByteArray &)> &change)
{
    auto file = TableFile::open(actePath, TableFile::Mode::Exclusive);
    file->modify([&](const TableLayout &layout, quint32 count) {
        QByteArray record(layout.recordLength, ' ');
        const Field &idact = layout.fields.at(layout.fieldIndex(QStringLiteral("IDACT")));
        for (quint32 r = 0; r < count; ++r) {
            file->readRecords(layout, r, 1, record.data());
            if (fieldText(layout, idact, record.constData()) != QString::number(id))
                continue;
            change(layout, record);
            file->writeRecord(layout, r, record.constData());
            return;
        }
    });
}

// Sets a text column, line breaks (which no statement can carry) included.
void setText(const QString &actePath, int id, const char *column, const QString &value)
{
    changeRow(actePath, id, [&](const TableLayout &layout, QByteArray &record) {
        const Field &field = layout.fields.at(layout.fieldIndex(QLatin1String(column)));
        writeField(layout, field, record.data(), Literal::ofText(value));
    });
}

// Writes `text` into the IDACT bytes, as another program might.
void setIdBytes(const QString &actePath, int id, const QByteArray &text)
{
    changeRow(actePath, id, [&](const TableLayout &layout, QByteArray &record) {
        const Field &idact = layout.fields.at(layout.fieldIndex(QStringLiteral("IDACT")));
        const QByteArray bytes = text.rightJustified(idact.length, ' ');
        std::memcpy(record.data() + idact.offset, bytes.constData(), idact.length);
    });
}

QByteArray scan(int seed, qsizetype size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = char((i * 31 + seed * 7) % 256);
    return b;
}

} // namespace

TEST(ArchiveExport, codedDocumentsComeOutAsTheScans_andTheCsvReadsBackValueForValue)
{
    ToolData data;
    const QString ampersand = QStringLiteral("Contracte; \"speciale\", anexa");
    const QByteArray first = scan(1, 250'000), second = scan(2, 1), third = scan(3, 70'001);
    data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), first, QDate(2005, 3, 14),
             QString::fromUtf8("Închiriere spaţiu, ştampilă Ţară"), ampersand);
    data.add(QStringLiteral("Facturi"), QString::fromUtf8("Împrumut ăâîșț"), second,
             QDate(2006, 12, 31), QStringLiteral("Factura"), {}, QStringLiteral("poza.jpeg"));
    data.add(QStringLiteral("Facturi"), QStringLiteral("Diverse"), third, QDate(2006, 1, 2));
    setText(data.workspace.actePath(), 3, "OBS", QStringLiteral("rand unu\r\nrand doi\nrand trei"));
    const auto before = folderContent(data.dataDir());

    QTemporaryDir out;
    const QString dest = out.filePath(QStringLiteral("export"));
    QString report;
    ASSERT_EQ(run({QStringLiteral("exporta"), data.dataDir(), dest}, &report), StatusClean)
        << report.toStdString();
    EXPECT_EQ(folderContent(data.dataDir()), before); // not one byte of the data folder changed

    const QList<QStringList> table = tableRows(data.workspace.actePath());
    const QList<QStringList> csv = readCsv(readAll(dest + QStringLiteral("/acte.csv")));
    ASSERT_EQ(csv.size(), 4);
    EXPECT_EQ(csv.at(0), table.at(0) + strs({"FISIER", "SHA256", "AMPRENTA"}));
    const QByteArray scans[] = {first, second, third};
    const QString files[] = {QStringLiteral("2005/Contracte/Furnizori/1.pdf"),
                             QString::fromUtf8("2006/Facturi/Împrumut ăâîşţ/2.jpeg"),
                             QStringLiteral("2006/Facturi/Diverse/3.pdf")};
    for (int i = 0; i < 3; ++i) {
        const QStringList &row = csv.at(i + 1);
        ASSERT_EQ(row.size(), table.at(i + 1).size() + 3);
        EXPECT_EQ(row.mid(0, row.size() - 3), table.at(i + 1));
        EXPECT_EQ(row.at(row.size() - 3), files[i]);
        EXPECT_EQ(readAll(dest + QLatin1Char('/') + files[i]), scans[i]);
        // The fingerprint of the exported bytes, and the one taken when the act was added,
        // which it matched.
        const QByteArray sha =
            QCryptographicHash::hash(scans[i], QCryptographicHash::Sha256).toHex();
        EXPECT_EQ(row.at(row.size() - 2).toLatin1(), sha);
        EXPECT_EQ(row.last().toLatin1(), sha);
    }
    EXPECT_EQ(csv.at(1).at(table.at(0).indexOf(QStringLiteral("OBS"))), ampersand);
    EXPECT_EQ(csv.at(3).at(table.at(0).indexOf(QStringLiteral("OBS"))),
              QStringLiteral("rand unu\r\nrand doi\nrand trei"));
    EXPECT_EQ(readCsv(readAll(dest + QStringLiteral("/jurnal.csv"))),
              tableRows(data.workspace.logPath()));
    EXPECT_EQ(readCsv(readAll(dest + QStringLiteral("/lipsa.csv"))).size(), 1); // its titles

    // The same with commas between the fields.
    const QString commas = out.filePath(QStringLiteral("virgule"));
    ASSERT_EQ(run({QStringLiteral("exporta"), QStringLiteral("--separator"), QStringLiteral(","),
                   data.dataDir(), commas}),
              StatusClean);
    EXPECT_EQ(readCsv(readAll(commas + QStringLiteral("/acte.csv")), QLatin1Char(',')), csv);
}

TEST(ArchiveExport, missingDocumentsAreListed_namesAreMadeSafe_andNoTwoFilesShareAName)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "the archive holds folders only another system makes: names with Windows' "
                    "reserved characters, device names and spellings that differ in case";
#endif
    ToolData data{QByteArray()}; // an archive without a key
    const QString gone = data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "a");
    data.add(QStringLiteral("CONTRACTE"), QStringLiteral("furnizori"), "b");
    data.add(QStringLiteral("A:B*"), QStringLiteral("con"), "c");
    const QString shared = data.add(QStringLiteral("Rapoarte"), QStringLiteral("Lunar"), "d");
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, DOMENIUL, SUBDOM, EXTENSIE) "
                                   "VALUES (%2, 2005, \"Rapoarte\", \"Lunar\", \".pdf\")")
                        .arg(quoteText(data.workspace.actePath()), shared));
    ASSERT_TRUE(QFile::remove(data.path(QStringLiteral("2005/Contracte/Furnizori/") + gone)));
    // A row whose IDACT reads 3.5 names no act's document: never act 4's.
    Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, DOMENIUL, SUBDOM, EXTENSIE) "
                                   "VALUES (99, 2005, \"Rapoarte\", \"Lunar\", \".pdf\")")
                        .arg(quoteText(data.workspace.actePath())));
    setIdBytes(data.workspace.actePath(), 99, "3.5");

    QTemporaryDir out;
    QString report;
    EXPECT_EQ(run({QStringLiteral("exporta"), data.dataDir(), out.path()}, &report), StatusFound);
    EXPECT_TRUE(report.contains(QStringLiteral("Lipseste documentul actului %1").arg(gone)))
        << report.toStdString();
    const QList<QStringList> missing = readCsv(readAll(out.filePath(QStringLiteral("lipsa.csv"))));
    ASSERT_EQ(missing.size(), 3);
    EXPECT_EQ(missing.at(2).at(0), gone);
    EXPECT_EQ(missing.at(2).at(5), QStringLiteral("2005/Contracte/Furnizori/") + gone);

    QStringList exported;
    for (const QStringList &row : readCsv(readAll(out.filePath(QStringLiteral("acte.csv")))).mid(1))
        exported << row.at(row.size() - 3);
    // Letter case folds into one folder; Windows' reserved characters and device names go.
    EXPECT_EQ(exported,
              (QStringList{QString(), QString(), QStringLiteral("2005/CONTRACTE/furnizori/2.pdf"),
                           QStringLiteral("2005/A_B_/_con/3.pdf"),
                           QStringLiteral("2005/Rapoarte/Lunar/4.pdf"),
                           QStringLiteral("2005/Rapoarte/Lunar/4-2.pdf")}));
    for (const QString &file : exported.mid(2))
        EXPECT_TRUE(QFileInfo(out.filePath(file)).isFile()) << file.toStdString();
    EXPECT_EQ(safeFileName(QStringLiteral("Contr. ")), QStringLiteral("Contr"));
    EXPECT_EQ(safeFileName(QStringLiteral("...")), QStringLiteral("_"));
    EXPECT_EQ(safeFileName(QStringLiteral("LPT1.txt")), QStringLiteral("_LPT1.txt"));
    EXPECT_EQ(safeFileName(QStringLiteral("a\tb|c")), QStringLiteral("a_b_c"));
}

TEST(ArchiveExport, destinationsThatAreNotNewOrEmpty_andAnUnfinishedRecoding_areRefused)
{
    ToolData data;
    data.add(QStringLiteral("Contracte"), QStringLiteral("Furnizori"), "a");
    const auto before = folderContent(data.dataDir());
    QTemporaryDir out;
    writeFile(out.filePath(QStringLiteral("ocupat/nota.txt")), "a mea");
    QString report;
    EXPECT_EQ(
        run({QStringLiteral("exporta"), data.dataDir(), out.filePath(QStringLiteral("ocupat"))},
            &report),
        StatusFailed);
    EXPECT_TRUE(report.contains(QStringLiteral("nu este gol"))) << report.toStdString();
    EXPECT_EQ(QDir(out.filePath(QStringLiteral("ocupat")))
                  .entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("nota.txt")});
    EXPECT_EQ(run({QStringLiteral("exporta"), data.dataDir(),
                   out.filePath(QStringLiteral("ocupat/nota.txt"))}),
              StatusFailed);
    EXPECT_EQ(run({QStringLiteral("exporta"), data.dataDir(), data.path(QStringLiteral("export"))},
                  &report),
              StatusFailed);
    EXPECT_TRUE(report.contains(QStringLiteral("dosarul de date"))) << report.toStdString();

    writeFile(ArchiveRecoding::journalPath(data.dataDir()), "DOSARIUM RECODARE 1\n");
    const QString dest = out.filePath(QStringLiteral("nou"));
    EXPECT_EQ(run({QStringLiteral("exporta"), data.dataDir(), dest}, &report), StatusFailed);
    EXPECT_TRUE(report.contains(QStringLiteral("verifica --repara"))) << report.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dest));
    QFile::remove(ArchiveRecoding::journalPath(data.dataDir()));
    EXPECT_EQ(folderContent(data.dataDir()), before);
}
