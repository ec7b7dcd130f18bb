// Data folders made through the program's own act operations, the whole content of a folder
// for before-and-after comparisons, and a CSV reader independent of the program's writer.
#pragma once

#include "access/UserFile.h"
#include "app/Workspace.h"
#include "archive/ProgressSink.h"
#include "register/ActOperations.h"

#include <QDate>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

namespace dosarium::testing {

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes a file, with the folders it needs.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

// Every file below `folder` (relative path to bytes); folders are listed with an empty value
// under their path followed by "/".
inline QMap<QString, QByteArray> folderContent(const QString &folder)
{
    QMap<QString, QByteArray> content;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    const QDir base(folder);
    while (it.hasNext()) {
        it.next();
        const QString relative = base.relativeFilePath(it.filePath());
        if (it.fileInfo().isDir())
            content.insert(relative + QLatin1Char('/'), QByteArray());
        else
            content.insert(relative, readAll(it.filePath()));
    }
    return content;
}

// A data folder of the program's own: tables made at start-up, the user file with ADMIN's
// password as the archive key, and acts added as the register adds them.
class ToolData {
public:
    explicit ToolData(const QByteArray &key = QByteArrayLiteral("K3y\xE2"))
        : m_key(key), m_operations(workspace, [this] { return ReadArchiveKey(dataDir()); })
    {
        workspace.setWorkstation({root.path(), QStringLiteral("BIROU1"), QStringLiteral("ana")});
        workspace.prepareFolders();
        workspace.CreateTables();
        workspace.UpgradeActe();
        UserEntry admin = defaultUserEntry();
        admin.Password = key;
        WriteUserFile(dataDir(), {admin});
    }

    QString dataDir() const { return workspace.context().DataDir; }
    QString path(const QString &relative) const { return dataDir() + QLatin1Char('/') + relative; }
    const QByteArray &key() const { return m_key; }

    // Adds an act whose document holds `content` (a scan named `fileName`); returns its id.
    QString add(const QString &domain, const QString &subdomain, const QByteArray &content,
                const QDate &date = QDate(2005, 3, 14), const QString &title = {},
                const QString &obs = {}, const QString &fileName = QStringLiteral("scan.pdf"))
    {
        const QString source = m_scans.filePath(QString::number(++m_scanCount) + fileName);
        writeFile(source, content);
        ActEntry act;
        act.date = date;
        act.domeniul = domain;
        act.subdom = subdomain;
        act.titlu = title;
        act.obs = obs;
        act.file = source;
        NoProgress progress;
        return m_operations.add(act, progress);
    }

    QTemporaryDir root;
    Workspace workspace;

private:
    QByteArray m_key;
    ActOperations m_operations;
    QTemporaryDir m_scans;
    int m_scanCount = 0;
};

// A CSV file as RFC 4180 reads it, the byte-order mark dropped: rows of fields.
inline QList<QStringList> readCsv(const QByteArray &bytes, QChar separator = QLatin1Char(';'))
{
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() &&
                text.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
            continue;
        }
        any = true;
        if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == separator) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            row << field;
            rows << row;
            row.clear();
            field.clear();
            any = false;
            ++i;
        } else {
            field += c;
        }
    }
    if (any)
        rows << (row << field);
    return rows;
}

} // namespace dosarium::testing
