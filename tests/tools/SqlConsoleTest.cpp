// The console's input splitting, value escaping and stop at the first error.
#include "tools/SqlConsole.h"
#include "store/Statement.h"

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
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const int status = runStatements(
        {QStringLiteral("CREATE TABLE ") + t + QStringLiteral(" (A CHAR(5), N DECIMAL(4,0))"),
         QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (A, N) VALUES (\"x\ty\", 7)"),
         QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (A, N) VALUES (\"z\", 8)"),
         QStringLiteral("SELECT * FROM ") + t, QStringLiteral("SELEC nothing"),
         QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (A) VALUES (\"never\")")},
        QStringLiteral("(N=7)"), out, err);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(outText, QStringLiteral("A\tN\nx\\ty\t7\n"));
    EXPECT_TRUE(errText.contains(QStringLiteral("SELEC"))) << errText.toStdString();
}
