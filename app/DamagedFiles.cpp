#include "app/DamagedFiles.h"

#include "app/ActIds.h"
#include "app/ActsTable.h"
#include "app/LogTable.h"
#include "app/SettingsFile.h"
#include "platform/FileNames.h"
#include "platform/ReplacementFile.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/PlainFile.h"
#include "store/TableFile.h"
#include "store/TableLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <new>

namespace dosarium {

namespace {

constexpr int kUserRecord = 67;
constexpr int kUserText = 32;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// A plain file's bytes; nothing for a link, a folder, a special file or one that cannot be read.
std::optional<QByteArray> readBytes(const QString &path)
{
    try {
        return readPlainFile(path);
    } catch (const Error &) {
        return std::nullopt;
    } catch (const std::bad_alloc &) {
        return std::nullopt; // more than the memory holds
    }
}

// The highest IDACT of the register, 0 for an empty one.
qint64 highestActId(const QString &actePath)
{
    const RowSet set = Engine::select(QStringLiteral("SELECT ") + ActsTable::kId +
                                      QStringLiteral(" FROM ") + quoteText(actePath));
    const Field &field = set.layout.fields.at(0);
    qint64 highest = 0;
    // Only act numbers count: a value that is none ("1.5", "1e300") names no act's file.
    for (int r = 0; r < set.size(); ++r) {
        if (const std::optional<qint64> id = actIdNumber(storedActIdText(field, set.record(r))))
            highest = std::max(highest, *id);
    }
    return highest;
}

// Moves the IDACT counter past the register's highest id; the notice, or empty text when it
// stood there already. A counter that is no number is left to NextId's own error.
QString repairActCounter(const QString &dataDir, const QString &actePath)
{
    const qint64 highest = highestActId(actePath);
    if (highest <= 0)
        return QString();
    SettingsFile settings(dataDir);
    bool ok = true;
    const QString stored = settings.read(QStringLiteral("INDEX"), ActsTable::kId);
    const qint64 counter = stored.isEmpty() ? 1 : stored.toLongLong(&ok);
    if (!ok || counter > highest)
        return QString();
    QString before;
    settings.update(QStringLiteral("INDEX"), ActsTable::kId,
                    [&before, highest](const QString &value) {
                        before = value;
                        bool valid = true;
                        const qint64 now = value.isEmpty() ? 1 : value.toLongLong(&valid);
                        return valid && now > highest ? value : QString::number(highest + 1);
                    });
    return QStringLiteral("Contorul actelor (IDACT) din %1 era %2, dar registrul are deja actul "
                          "%3: fisierul de setari a fost pierdut sau inlocuit cu o copie veche. "
                          "Contorul a fost mutat la %4, ca niciun numar de act sa nu fie dat de "
                          "doua ori.")
        .arg(shown(settings.path()), before.isEmpty() ? QStringLiteral("gol") : before)
        .arg(highest)
        .arg(highest + 1);
}

// Once its bytes are kept, a table whose header counts fewer rows than it holds is made to
// count them all: until then no change may write to it (its next row would go over the first
// one not counted). Returns the notice, empty when the count stood.
QString countEveryRow(const QString &path)
{
    try {
        const std::optional<quint32> before =
            TableFile::open(path, TableFile::Mode::Shared)->countUncountedRecords();
        if (!before)
            return QString();
        return QStringLiteral("Antetul tabelului %1 numara %2 randuri; acum le numara pe toate "
                              "cele din fisier, ca niciun rand sa nu fie scris peste altul.")
            .arg(shown(path))
            .arg(*before);
    } catch (const Error &e) {
        return e.message();
    }
}

} // namespace

QString tableDamage(const QString &path)
{
    // A link, a pipe or a device is the readers' to refuse; it is never opened here.
    const int fd = openPlainFile(resolveFileName(path), FileAccess::Read);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            closeFile(fd);
        return QString();
    }
    const qint64 fullSize = file.size();
    const QByteArray first = file.read(32);
    const QByteArray head = first + file.read(std::max(0, declaredHeaderLength(first) - 32));
    TableLayout layout;
    try {
        layout = parseTableHeader(head, fullSize, resolveFileName(path));
    } catch (const Error &) {
        return QString(); // refused by every reader: nothing can rewrite it
    }
    // Rows past a hole (space never written) are not held.
    const quint32 held = recordsInFile(layout, dataEndFrom(fd, layout.headerLength, fullSize));
    if (layout.declaredCount > held)
        return QStringLiteral("antetul numara %1 randuri, dar fisierul le cuprinde doar pe "
                              "primele %2")
            .arg(layout.declaredCount)
            .arg(held);
    // One record more is what a stop between a record and its header leaves: no damage.
    if (held > layout.declaredCount + 1)
        return QStringLiteral("fisierul cuprinde %1 randuri, dar antetul numara doar %2")
            .arg(held)
            .arg(layout.declaredCount);
    return QString();
}

QString userFileDamage(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("nu cuprinde niciun utilizator");
    if (bytes.size() % kUserRecord != 0)
        return QStringLiteral("are %1 octeti, iar dupa ultima inregistrare intreaga de %2 raman "
                              "%3")
            .arg(bytes.size())
            .arg(kUserRecord)
            .arg(bytes.size() % kUserRecord);
    for (qsizetype at = 0; at < bytes.size(); at += kUserRecord) {
        const int entry = int(at / kUserRecord) + 1;
        if (quint8(bytes[at]) > kUserText || quint8(bytes[at + 33]) > kUserText)
            return QStringLiteral("inregistrarea %1 are un nume sau o parola mai lunga de %2")
                .arg(entry)
                .arg(kUserText);
        if (quint8(bytes[at + 66]) > 2)
            return QStringLiteral("inregistrarea %1 are rangul %2, care nu exista")
                .arg(entry)
                .arg(quint8(bytes[at + 66]));
    }
    return QString();
}

QString settingsDamage(const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar c = uchar(bytes[i]);
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F)
            return QStringLiteral("cuprinde octeti care nu sunt text (primul la pozitia %1)")
                .arg(i);
    }
    int number = 0;
    for (const QByteArray &raw : bytes.split('\n')) {
        ++number;
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('[') || line.contains('='))
            continue;
        return QStringLiteral("randul %1 nu este nici sectiune, nici cheie=valoare").arg(number);
    }
    return QString();
}

QString keepDamagedCopy(const QString &path, const QString &finding, const QDateTime &now)
{
    const QFileInfo info(path);
    const std::optional<QByteArray> bytes = readBytes(path);
    if (!bytes)
        throw Error(QStringLiteral("Fisierul %1 este deteriorat (%2), dar nu il pot citi ca sa-i "
                                   "pastrez o copie.")
                        .arg(shown(path), finding));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.completeBaseName() + QStringLiteral(".deteriorat-");
    const std::optional<FileStatus> source = statusAt(path);
    const unsigned sourceMode = source ? source->permissions & 0666 : 0600;
    QDir folder = info.dir();
    QString copy;
    // A copy kept at an earlier start holds the same bytes: it stays the one named.
    for (const QFileInfo &earlier : folder.entryInfoList({stem + QLatin1Char('*')}, QDir::Files)) {
        if (earlier.size() == bytes->size() && readBytes(earlier.filePath()) == bytes) {
            copy = earlier.filePath();
            break;
        }
    }
    for (int attempt = 0; copy.isEmpty(); ++attempt) {
        const QString name = stem + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                             (attempt > 0 ? QStringLiteral("-%1").arg(attempt) : QString()) +
                             suffix;
        try {
            // No wider than the file it keeps: a private file stays private.
            ReplacementFile out(folder.filePath(name), sourceMode);
            out.write(*bytes);
            if (out.commitIfAbsent())
                copy = folder.filePath(name);
        } catch (const Error &e) {
            throw Error(QStringLiteral("Fisierul %1 este deteriorat (%2), dar nu pot pastra o "
                                       "copie a lui: %3")
                            .arg(shown(path), finding, e.message()));
        }
    }
    return QStringLiteral("Fisierul %1 este deteriorat: %2. Asa cum era, fisierul a fost pastrat "
                          "in %3.")
        .arg(shown(path), finding, shown(copy));
}

QString setJournalAside(const QString &path, const QString &problem, const QDateTime &now)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = info.completeBaseName() + QStringLiteral(".respins-");
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString aside =
            joinPath(info.path(),
                     stem + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         (attempt > 0 ? QStringLiteral("-%1").arg(attempt) : QString()) + suffix);
        // The entry itself is renamed, a link as a link: nothing it leads to is touched.
        if (renameWithoutReplacing(path, aside))
            return QStringLiteral("Jurnalul %1 nu a fost folosit: %2. Nu s-a schimbat nimic in "
                                  "arhiva; jurnalul a fost mutat in %3. Daca nu stiti de unde "
                                  "vine, aratati-l administratorului.")
                .arg(shown(path), problem, shown(aside));
        if (errno != EEXIST)
            throw Error(QStringLiteral("Jurnalul %1 nu poate fi folosit (%2) si nici mutat "
                                       "deoparte: %3. Stergeti-l din dosarul de date.")
                            .arg(shown(path), problem, systemErrorText(errno)));
    }
    throw Error(QStringLiteral("Jurnalul %1 nu poate fi folosit (%2). Stergeti-l din dosarul de "
                               "date.")
                    .arg(shown(path), problem));
}

QString RepairActCounter(const QString &dataDir)
{
    const QString acte = resolveFileName(ActsTable::path(dataDir));
    return QFileInfo::exists(acte) ? repairActCounter(dataDir, acte) : QString();
}

QStringList CheckDataFiles(const QString &dataDir)
{
    QStringList notices;
    const auto keep = [&notices](const QString &path, const QString &damage) {
        if (damage.isEmpty())
            return false;
        try {
            notices << keepDamagedCopy(path, damage);
            return true;
        } catch (const Error &e) {
            notices << e.message();
            return false;
        }
    };
    // A link or a special file where the program keeps a file of its own is named, never read.
    for (const QString &name :
         {ActsTable::kFileName, LogTable::kFileName, QStringLiteral("ini.mpg"),
          QStringLiteral("Dsm.in"), QStringLiteral("Dsm.lck")}) {
        const QString path = resolveFileName(joinPath(dataDir, name));
        if (const QString refused = notPlainFileText(path, entryKind(path)); !refused.isEmpty())
            notices << refused;
    }
    const QString acte = resolveFileName(ActsTable::path(dataDir));
    for (const QString &table : {acte, resolveFileName(LogTable::path(dataDir))}) {
        if (keep(table, tableDamage(table))) {
            if (const QString counted = countEveryRow(table); !counted.isEmpty())
                notices << counted;
        }
    }
    for (const auto &[name, check] : {std::pair{QStringLiteral("ini.mpg"), &userFileDamage},
                                      std::pair{QStringLiteral("Dsm.in"), &settingsDamage}}) {
        const QString path = resolveFileName(joinPath(dataDir, name));
        if (const std::optional<QByteArray> bytes = readBytes(path))
            keep(path, check(*bytes));
    }
    if (QFileInfo::exists(acte)) {
        try {
            const QString repaired = repairActCounter(dataDir, acte);
            if (!repaired.isEmpty())
                notices << repaired;
        } catch (const Error &) {
            // A register that cannot be read now says so when it is opened.
        }
    }
    return notices;
}

} // namespace dosarium
