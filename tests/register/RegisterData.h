// A data folder of the program's own, with its tables, and acts written into it.
#pragma once

#include "app/Workspace.h"
#include "store/Engine.h"
#include "store/Statement.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

namespace dosarium::testing {

struct Act {
    int id;
    QDate date;
    QString domeniul, subdom, titlu, seria, nr;
};

// Writes a file to be attached to an act; returns its path.
inline QString writeSourceFile(const QTemporaryDir &dir, const QString &name,
                               const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

class RegisterData {
public:
    RegisterData()
    {
        workspace.setWorkstation({folder.path(), QStringLiteral("BIROU1"), QStringLiteral("ana")});
        workspace.prepareFolders();
        workspace.CreateTables();
        workspace.UpgradeActe();
        workspace.UpgradeLog();
    }
    void add(const Act &a)
    {
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, LUNA, DATAACT, DOMENIUL, "
                                       "SUBDOM, TITLU, SERIA, NR) VALUES (%2, %3, %4, %5, %6, "
                                       "%7, %8, %9, %10)")
                            .arg(quoteText(workspace.actePath()))
                            .arg(a.id)
                            .arg(a.date.year())
                            .arg(a.date.month())
                            .arg(quoteText(a.date.toString(QStringLiteral("dd.MM.yyyy"))),
                                 quoteText(a.domeniul), quoteText(a.subdom), quoteText(a.titlu),
                                 quoteText(a.seria), quoteText(a.nr)));
    }

    QTemporaryDir folder;
    Workspace workspace;
};

} // namespace dosarium::testing
