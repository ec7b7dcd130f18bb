// A data folder with a user file, acts and their archived files, for the administration tests;
// coded bytes are computed here, independently of the archive's code.
#pragma once

#include "app/Workspace.h"
#include "archive/ProgressSink.h"
#include "store/Engine.h"
#include "store/Statement.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace dosarium::testing {

struct StoredUser {
    QByteArray name;
    QByteArray password;
    quint8 rank = 0;
    friend bool operator==(const StoredUser &, const StoredUser &) = default;
};

inline void PrintTo(const StoredUser &u, std::ostream *os)
{
    *os << '{' << u.name.toStdString() << '|' << u.password.toStdString() << '|' << int(u.rank)
        << '}';
}

inline QByteArray coded(const QByteArray &plain, const QByteArray &key)
{
    QByteArray out = plain;
    for (qsizetype i = 0; i < out.size() && !key.isEmpty(); ++i)
        out[i] = char(out[i] ^ key[i % key.size()]);
    return out;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct CountingProgress : ProgressSink {
    int starts = 0, steps = 0, finishes = 0;
    qint64 maximum = -1;
    QString description;
    bool shown = false; // started and not finished since: the window behind it is disabled
    void start(qint64 max, const QString &text) override
    {
        ++starts;
        maximum = max;
        description = text;
        shown = true;
    }
    void step() override { ++steps; }
    void finish() override
    {
        ++finishes;
        shown = false;
    }
};

class AdminData {
public:
    AdminData()
    {
        workspace.setWorkstation({exe.path(), QStringLiteral("BIROU1"), QStringLiteral("ana")});
        workspace.prepareFolders();
        workspace.CreateTables();
        workspace.UpgradeActe();
        writeUsers({{"ADMIN", "", 0}, {"ION", "PAROLA", 1}, {"ANA", "X", 2}});
    }

    QString dataDir() const { return workspace.context().DataDir; }

    // The user file as bytes: 67-byte records written here, field by field.
    void writeUsers(const QList<StoredUser> &users, const QString &folder = {})
    {
        QByteArray bytes;
        for (const StoredUser &u : users) {
            QByteArray record(67, '\0');
            record[0] = char(u.name.size());
            record.replace(1, u.name.size(), u.name);
            record[33] = char(u.password.size());
            record.replace(34, u.password.size(), u.password);
            record[66] = char(u.rank);
            bytes += record;
        }
        QFile f((folder.isEmpty() ? dataDir() : folder) + QStringLiteral("/ini.mpg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QList<StoredUser> users() const
    {
        const QByteArray bytes = readAll(dataDir() + QStringLiteral("/ini.mpg"));
        QList<StoredUser> out;
        for (qsizetype at = 0; at + 67 <= bytes.size(); at += 67)
            out.append({bytes.mid(at + 1, uchar(bytes[at])),
                        bytes.mid(at + 34, uchar(bytes[at + 33])), quint8(bytes[at + 66])});
        return out;
    }

    // An act's row and, unless `plain` is null, its file coded with `key`; returns the path.
    QString addAct(int id, int year, const QString &domain, const QString &subdom,
                   const QByteArray &plain, const QByteArray &key)
    {
        Engine::execute(QStringLiteral("INSERT INTO %1 (IDACT, ANUL, DOMENIUL, SUBDOM) VALUES "
                                       "(%2, %3, %4, %5)")
                            .arg(quoteText(workspace.actePath()))
                            .arg(id)
                            .arg(year)
                            .arg(quoteText(domain), quoteText(subdom)));
        const QString folder =
            QStringLiteral("%1/%2/%3/%4").arg(dataDir()).arg(year).arg(domain, subdom);
        const QString path = folder + QStringLiteral("/%1").arg(id);
        if (plain.isNull())
            return path;
        EXPECT_TRUE(QDir().mkpath(folder));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(coded(plain, key));
        return path;
    }

    // Four archived files of assorted sizes (one past a transfer of 128 KB), an empty one and
    // an act whose file is missing, all coded with `key`.
    void fillArchive(const QByteArray &key)
    {
        plains.clear();
        paths.clear();
        const QByteArray big = [] {
            QByteArray b(130'001, Qt::Uninitialized);
            for (qsizetype i = 0; i < b.size(); ++i)
                b[i] = char((i * 7 + 3) % 251);
            return b;
        }();
        const struct {
            int id, year;
            const char *domain, *subdom;
            QByteArray plain;
        } acts[] = {
            {1, 2005, "CONTRACTE", "FURNIZORI", QByteArray("%PDF-1.4 contract")},
            {2, 2004, "ADRESE", "PRIMITE", big},
            {3, 2005, "CONTRACTE", "CLIENTI", QByteArray(2500, 'z')},
            {4, 2006, "BUGET", "ANUAL", QByteArray("scan")},
            {5, 2006, "BUGET", "ANUAL", QByteArray("")},
        };
        for (const auto &a : acts) {
            paths << addAct(a.id, a.year, QLatin1String(a.domain), QLatin1String(a.subdom), a.plain,
                            key);
            plains << a.plain;
        }
        addAct(6, 2007, QStringLiteral("LIPSA"), QStringLiteral("FISIER"), QByteArray(), key);
    }
    // Every archived file is its plain text coded with `key`.
    void expectArchiveCodedWith(const QByteArray &key) const
    {
        for (qsizetype i = 0; i < paths.size(); ++i)
            EXPECT_EQ(readAll(paths.at(i)), coded(plains.at(i), key))
                << qPrintable(paths.at(i)) << " key " << key.constData();
    }
    QString journal() const { return dataDir() + QStringLiteral("/Recodare.jrn"); }

    QTemporaryDir exe;
    Workspace workspace;
    QStringList paths;
    QList<QByteArray> plains;
};

} // namespace dosarium::testing
