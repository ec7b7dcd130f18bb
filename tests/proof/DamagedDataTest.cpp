// The whole program over damaged files: the table corpus and damaged copies of the program's
// own documents table, log, user file and settings file, each put into the shared folder before
// a workstation starts, signs in, adds an act and changes two, and the server installation
// starts and packs. No process may crash or trip a sanitizer; every error is the program's own
// clear text; and a damaged file is never rewritten unless its bytes are kept in a copy beside it.
#include "CrashTrials.h"
#include "ProofFolder.h"
#include "Workstations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace dosarium::proof;

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The file of the folder with that name in any letter case, or the name itself.
QString fileIn(const QString &folder, const QString &name)
{
    for (const QString &n : QDir(folder).entryList(QDir::Files)) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(folder).filePath(n);
    }
    return QDir(folder).filePath(name);
}

struct Damage {
    QString file; // the file of the data folder it replaces
    QString what;
    QByteArray bytes;
    // Damage a reader sees (a header and a size that disagree, a piece of a user record, bytes
    // no settings text holds): the file is never rewritten unless a copy keeps its bytes.
    // Damaged values inside whole records read as values; only no crash is asked of them.
    bool seen = false;
};

QByteArray patched(QByteArray bytes, qsizetype at, const QByteArray &with)
{
    if (at >= 0 && at + with.size() <= bytes.size())
        bytes.replace(at, with.size(), with);
    return bytes;
}

QByteArray le32(quint32 v)
{
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    return QByteArray(bytes, 4);
}

// Damaged forms of a sound documents table or log of `bytes`.
QList<Damage> damagedTables(const QString &file, const QByteArray &bytes)
{
    const int header = quint8(bytes[8]) | quint8(bytes[9]) << 8;
    const int record = quint8(bytes[10]) | quint8(bytes[11]) << 8;
    const quint32 count = quint32((bytes.size() - header) / record);
    QByteArray zeroed = bytes;
    zeroed.replace(header + record, std::min<int>(4096, bytes.size() - header - record),
                   QByteArray(std::min<int>(4096, bytes.size() - header - record), '\0'));
    QByteArray noisy = bytes;
    for (qsizetype i = header; i < noisy.size(); i += 7)
        noisy[i] = char(i * 31);
    return {
        {file, QStringLiteral("cut in its rows"), bytes.left(header + record * 2 + 100), true},
        {file, QStringLiteral("counting 100000 rows"), patched(bytes, 4, le32(100000)), true},
        {file, QStringLiteral("counting fewer rows"), patched(bytes, 4, le32(count / 2)), true},
        {file, QStringLiteral("count with the top bit"), patched(bytes, 4, le32(0x80000003u)),
         true},
        {file, QStringLiteral("cut inside its header"), bytes.left(header - 20), true},
        {file, QStringLiteral("header length past the end"), patched(bytes, 8, "\xff\xff"), true},
        {file, QStringLiteral("record length zero"), patched(bytes, 10, QByteArray(2, '\0')), true},
        {file, QStringLiteral("a block of zeros"), zeroed},
        {file, QStringLiteral("noise in the records"), noisy},
        {file, QStringLiteral("stray deletion flags"),
         patched(patched(bytes, header, "#"), header + record, "\x01")},
        {file, QStringLiteral("stars in the numbers"), patched(bytes, header + 1, "**********")},
        {file, QStringLiteral("no bytes at all"), QByteArray(), true},
    };
}

QList<Damage> damagedUserFiles()
{
    QByteArray admin(67, '\0');
    admin[0] = 5;
    admin.replace(1, 5, "ADMIN");
    admin[33] = 7;
    admin.replace(34, 7, "CHEIA-9");
    QByteArray undefined = admin;
    undefined[1] = char(0x81); // a byte Windows-1250 does not define
    QByteArray garbage(500, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char(i * 113 + 7);
    const QString f = QStringLiteral("ini.mpg");
    return {
        {f, QStringLiteral("empty"), QByteArray(), true},
        {f, QStringLiteral("a piece of a record"), admin + admin.left(30), true},
        {f, QStringLiteral("length 255"), patched(admin, 0, "\xff"), true},
        {f, QStringLiteral("password length 200"), patched(admin, 33, "\xc8"), true},
        {f, QStringLiteral("rank 200"), patched(admin, 66, "\xc8"), true},
        {f, QStringLiteral("a byte no code page defines"), undefined + admin},
        {f, QStringLiteral("noise"), garbage, true},
        {f, QStringLiteral("a megabyte of noise"), garbage.repeated(2100), true},
    };
}

QList<Damage> damagedSettingsFiles()
{
    const QString f = QStringLiteral("Dsm.in");
    const QByteArray sound = QByteArrayLiteral("[INDEX]\r\nIDLOG=40\r\nIDACT=30\r\n");
    QByteArray noise(300, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char(i * 97 + 3);
    return {
        {f, QStringLiteral("zeros"), QByteArray(512, '\0'), true},
        {f, QStringLiteral("noise"), noise, true},
        {f, QStringLiteral("zeros after the counters"), sound + QByteArray(64, '\0'), true},
        {f, QStringLiteral("counter no number"), "[INDEX]\r\nIDACT=abc\r\nIDLOG=x1\r\n"},
        {f, QStringLiteral("counter beyond 64 bits"), "[INDEX]\nIDACT=99999999999999999999\n"},
        {f, QStringLiteral("negative counters"), "[INDEX]\nIDACT=-5\nIDLOG=-1\n"},
        {f, QStringLiteral("section never closed"), "[INDEX\nIDACT=3\n"},
        {f, QStringLiteral("two INDEX sections"), sound + "[INDEX]\r\nIDACT=2\r\n"},
        {f, QStringLiteral("a value of 5000 characters"),
         "[CONST]\nSERVER=" + QByteArray(5000, 'x') + "\n" + sound},
        {f, QStringLiteral("more than a megabyte"), sound + QByteArray(1100000, ';')},
        {f, QStringLiteral("no line end"), "[INDEX]\rIDACT=12"},
    };
}

class DamagedDataTest : public ::testing::Test {
protected:
    DamagedDataTest() : base(makeTrialBase(77))
    {
        const QString server = base.folders->server();
        for (const QString &table : {QStringLiteral("Acte.dbf"), QStringLiteral("Log.dbf")}) {
            const QByteArray sound = readFile(fileIn(server, table));
            damages += damagedTables(table, sound);
        }
        const QDir corpus(QDir(qEnvironmentVariable("DOSARIUM_TEST_DATA",
                                                    QStringLiteral(DOSARIUM_TEST_DATA_DEFAULT)))
                              .filePath(QStringLiteral("damaged")));
        // The corpus in the documents table's place, and a few of it in the log's.
        const QStringList asLog = {
            QStringLiteral("short.dbf"), QStringLiteral("count-too-large.dbf"),
            QStringLiteral("unknown-version.dbf"), QStringLiteral("stray-flag.dbf")};
        for (const QString &name : corpus.entryList({QStringLiteral("*.dbf")}, QDir::Files)) {
            const QByteArray bytes = readFile(corpus.filePath(name));
            // Of the corpus, the reader sees the count the file cannot hold.
            const bool seen = name == QLatin1String("count-too-large.dbf");
            damages.append({QStringLiteral("Acte.dbf"), name, bytes, seen});
            if (asLog.contains(name))
                damages.append({QStringLiteral("Log.dbf"), name, bytes, seen});
        }
        damages += damagedUserFiles();
        damages += damagedSettingsFiles();
    }

    TrialBase base;
    QList<Damage> damages;
};

// Nothing the sanitizers or the C++ runtime say, no end by a signal.
void expectNoCrash(const StationRun &run, const std::string &context)
{
    static const QRegularExpression crash(
        QStringLiteral("Sanitizer|runtime error|terminate called|Segmentation|Aborted"));
    EXPECT_FALSE(run.killed) << context;
    EXPECT_FALSE(crash.match(run.errors).hasMatch()) << context << run.errors.toStdString();
    EXPECT_FALSE(run.text().contains(QStringLiteral("Eroare neprevazuta"))) << context;
}

TEST_F(DamagedDataTest, everyDamagedFile_givesClearErrorsNoCrash_andIsNeverLostByARewrite)
{
    int tried = 0, refused = 0, kept = 0;
    for (const Damage &d : std::as_const(damages)) {
        const std::unique_ptr<Workstations> copy = base.folders->copy();
        const QString server = copy->server();
        const QString target = fileIn(server, d.file);
        writeFile(target, d.bytes);
        const std::string context = (d.file + QStringLiteral(", ") + d.what).toStdString();

        const StationRun station = copy->runForked(
            copy->stationArgs(1, 3) + QStringList{QStringLiteral("start"), QStringLiteral("signin"),
                                                  QStringLiteral("OPERATOR"), QStringLiteral("OP1"),
                                                  QStringLiteral("add"), QStringLiteral("1"),
                                                  QStringLiteral("mixed"), QStringLiteral("2")});
        expectNoCrash(station, context);
        // The server installation's own start packs a damaged table; the workstation's start
        // has checked the other files of the shared folder already.
        StationRun serverStart;
        if (d.file.endsWith(QLatin1String(".dbf"))) {
            serverStart = copy->runForked({QStringLiteral("--home"), copy->home(0),
                                           QStringLiteral("--station"), QStringLiteral("SERVER"),
                                           QStringLiteral("start")});
            expectNoCrash(serverStart, context);
        }
        for (const StationRun *run : {&station, static_cast<const StationRun *>(&serverStart)}) {
            for (const QStringList &error : run->linesOf(QStringLiteral("ERROR"))) {
                ++refused;
                EXPECT_FALSE(error.last().trimmed().isEmpty()) << context;
                if (qEnvironmentVariableIsSet("DOSARIUM_PROOF_VERBOSE"))
                    std::cout << context << ": " << error.join(QLatin1Char(' ')).toStdString()
                              << '\n';
            }
        }

        // The damaged bytes are where they were, or in a copy beside them.
        const QString stem = QFileInfo(target).completeBaseName() + QStringLiteral(".deteriorat-*");
        bool keptAside = false;
        for (const QString &name : QDir(server).entryList({stem}, QDir::Files))
            keptAside |= readFile(QDir(server).filePath(name)) == d.bytes;
        kept += keptAside ? 1 : 0;
        if (d.seen && !d.bytes.isEmpty()) {
            EXPECT_TRUE(keptAside || readFile(target) == d.bytes)
                << context << ": rewritten without a copy";
        }
        ++tried;
    }
    std::cout << "[ figures  ] damaged files: " << tried << " tried, " << refused
              << " clear errors, " << kept << " kept in a dated copy before a rewrite\n";
}

} // namespace
