// A table of acts with a change trail, changed as this program and as the older one change it,
// and read into rows held apart as the register holds them.
#pragma once

#include "ListedRows.h"
#include "platform/FileHandles.h"
#include "store/ChangeTrail.h"
#include "store/Engine.h"
#include "store/FileLock.h"
#include "store/FilePath.h"
#include "store/Query.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dosarium {

class ChangeTrailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = joinPath(dir.path(), QStringLiteral("Acte.dbf"));
        table = quoteText(path);
        Engine::execute(QStringLiteral("CREATE TABLE ") + table +
                        QStringLiteral(" (IDACT DECIMAL(10,0), ANUL DECIMAL(6,0), "
                                       "TITLU CHAR(20), OBS CHAR(60))"));
        for (int id = 1; id <= kRows; ++id)
            add(id, QStringLiteral("Titlul %1").arg(id % 7));
        // After the first rows, which then need no entries of their own.
        ChangeTrail::create(path);
    }
    void add(int id, const QString &title)
    {
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, TITLU, OBS) VALUES "
                                       "(%2, %3, %4, %5)")
                            .arg(table)
                            .arg(id)
                            .arg(2000 + id % 5)
                            .arg(quoteText(title), quoteText(QStringLiteral("nota %1").arg(id))));
    }
    void setTitle(int id, const QString &title)
    {
        Engine::execute(QStringLiteral("UPDATE %1 SET TITLU=%2 WHERE IDACT=%3")
                            .arg(table, quoteText(title))
                            .arg(id));
    }
    void remove(int id)
    {
        Engine::execute(QStringLiteral("DELETE FROM %1 WHERE IDACT=%2").arg(table).arg(id));
    }
    // What a workstation of the older program does: the record rewritten in place under the
    // header lock, and no trail.
    void setTitleAsOlderProgram(int id, const QString &title)
    {
        const TableLayout layout = Engine::readLayout(path);
        const Field &f = layout.fields.at(layout.fieldIndex(QStringLiteral("TITLU")));
        QByteArray bytes = title.toLatin1().leftJustified(f.length, ' ');
        const int fd = openFile(path, FileAccess::ReadWrite);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(lockRange(fd, TableLocks::kHeader, 1, LockMode::Exclusive,
                              std::chrono::seconds(5), path));
        const qint64 at = layout.headerLength + qint64(id - 1) * layout.recordLength + f.offset;
        EXPECT_EQ(writeFileAt(fd, bytes.constData(), bytes.size(), at), bytes.size());
        unlockRange(fd, TableLocks::kHeader, 1);
        closeFile(fd);
    }
    static QStringList statement(const QString &table, const QString &order)
    {
        return {QStringLiteral("SELECT * FROM ") + table, QStringLiteral("ORDER BY ") + order};
    }
    static void openOn(Query &q, const QString &table,
                       const QString &order = QStringLiteral("TITLU"))
    {
        q.clearSql();
        for (const QString &line : statement(table, order))
            q.appendSql(line);
        q.setKeptColumns(
            {QStringLiteral("IDACT"), QStringLiteral("ANUL"), QStringLiteral("TITLU")});
        q.open();
    }
    // The rows and the distinct titles, as a fresh read of the table gives them.
    static QStringList listed(const Query &q)
    {
        return listedRows(q) + q.distinctTexts(QStringLiteral("TITLU")).value_or(QStringList{});
    }
    QStringList freshlyRead(const QString &order = QStringLiteral("TITLU")) const
    {
        Query fresh;
        openOn(fresh, table, order);
        return listed(fresh);
    }
    qint64 tableSize() const { return QFile(path).size(); }

    static constexpr int kRows = 600;
    QTemporaryDir dir;
    QString path, table;
};

} // namespace dosarium
