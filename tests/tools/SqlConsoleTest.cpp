// The console's input splitting, value escaping, rows printed as UTF-8 and stop at the first
// error.
#include "tools/SqlConsole.h"
#include "store/Statement.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "TestText.h"

using namespace dosarium;

TEST(SqlConsole, statementsOfInput_endAtALineHoldingOnlyASemicolon)
{
    EXPECT_EQ(
        splitStatements(QStringLiteral("SELECT *\nFROM \"a\"\n;\n\n;\nDELETE FROM \"a\"\r\n")),
        strs({"SELECT *\nFROM \"a\"", "DELETE FROM \"a\""}));
    EXPECT_EQ(escapeValue(QStringLiteral("a\tb\nc\\d")), QStringLiteral("a\\tb\\nc\\\\d"));
}

TEST(SqlConsole, rowsArePrintedAndTheFirstErrorStopsTheRest)
{
    QTemporaryDir dir;
    const QString t = quoteText(QDir(dir.path()).filePath(QStringLiteral("T.dbf")));
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString errText;
    QTextStream err(&errText);
    const int status = runStatements(
        {QStringLiteral("CREATE TABLE ") + t +
             QStringLiteral(" (A CHAR(8), N DECIMAL(4,0), D DATE)"),
         QStringLiteral("INSERT INTO ") + t +
             QStringLiteral(" (A, N, D) VALUES (\"x\ty\\\", 7, \"05.01.2024\")"),
         QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (A, N) VALUES (\"z\", 8)"),
         QStringLiteral("INSERT INTO ") + t + QString::fromUtf8(" (A, N) VALUES (\"Țară\", 7)"),
         QStringLiteral("SELECT * FROM ") + t, QStringLiteral("SELEC nothing"),
         QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (A) VALUES (\"never\")")},
        QStringLiteral("(N=7)"), out, err);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(QString::fromUtf8(out.data()),
              QString::fromUtf8("A\tN\tD\nx\\ty\\\\\t7\t05.01.2024\nŢară\t7\t\n"));
    EXPECT_TRUE(errText.contains(QStringLiteral("SELEC"))) << errText.toStdString();

    // A filter the engine cannot read prints nothing of its statement.
    QBuffer none;
    none.open(QIODevice::WriteOnly);
    EXPECT_EQ(
        runStatements({QStringLiteral("SELECT * FROM ") + t}, QStringLiteral("(N=="), none, err),
        1);
    EXPECT_TRUE(none.data().isEmpty());
}
