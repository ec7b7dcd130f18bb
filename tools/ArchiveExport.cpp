#include "tools/ArchiveExport.h"

#include "access/ArchiveRecoding.h"
#include "app/ActsTable.h"
#include "app/FingerprintsTable.h"
#include "app/LogTable.h"
#include "archive/ArchivePath.h"
#include "archive/FolderName.h"
#include "platform/FileHandles.h"
#include "platform/FileNames.h"
#include "platform/FileStatus.h"
#include "register/ActJournal.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/TableFile.h"
#include "tools/ArchiveCheck.h"
#include "tools/CsvWriter.h"
#include "tools/ExportDocuments.h"
#include "tools/FieldTextUtf8.h"
#include "tools/FingerprintCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace dosarium {

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The absolute form of a path that may not exist yet: its nearest existing folder resolved
// through links, then the rest as written.
QString canonicalOf(const QString &path)
{
    QFileInfo info(QDir::cleanPath(QDir(path).absolutePath()));
    QStringList rest;
    while (!info.exists() && !info.isRoot()) {
        rest.prepend(info.fileName());
        info = QFileInfo(info.absolutePath());
    }
    QString base = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    for (const QString &piece : std::as_const(rest))
        base += QLatin1Char('/') + piece;
    return QDir::cleanPath(base);
}

bool isInside(const QString &path, const QString &folder)
{
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

void prepareDestination(const QString &dataDir, const QString &destination)
{
    const QFileInfo info(destination);
    if (info.exists() || info.isSymLink()) {
        if (!info.isDir())
            throw ExportRefused(QStringLiteral("%1 exista si nu este un dosar: alegeti un dosar "
                                               "nou sau gol pentru export.")
                                    .arg(native(destination)));
        if (!QDir(destination)
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                 .isEmpty())
            throw ExportRefused(QStringLiteral("Dosarul %1 nu este gol: alegeti un dosar nou sau "
                                               "gol pentru export.")
                                    .arg(native(destination)));
    }
    if (isInside(canonicalOf(destination), canonicalOf(dataDir)))
        throw ExportRefused(QStringLiteral("Exportul nu poate fi scris in dosarul de date %1: "
                                           "alegeti un dosar din afara lui.")
                                .arg(native(dataDir)));
    if (!QDir().mkpath(destination))
        throw Error(QStringLiteral("Nu pot crea dosarul %1.").arg(native(destination)));
}

// Destination folders and names, so that names differing only in letter case (one folder on
// Windows and on most memory sticks) end up together, and two files never share one name.
class TargetNames {
public:
    QString folder(const QStringList &levels)
    {
        QString path;
        for (const QString &level : levels) {
            const QString wanted = path.isEmpty() ? safeFileName(level)
                                                  : path + QLatin1Char('/') + safeFileName(level);
            const QString key = wanted.toCaseFolded();
            auto it = m_folders.find(key);
            if (it == m_folders.end())
                it = m_folders.insert(key, wanted);
            path = it.value();
        }
        return path;
    }
    QString file(const QString &folder, qint64 id, const QString &extension)
    {
        for (int n = 1;; ++n) {
            const QString stem =
                n == 1 ? QString::number(id) : QStringLiteral("%1-%2").arg(id).arg(n);
            const QString name = folder + QLatin1Char('/') + safeFileName(stem + extension);
            if (!m_files.contains(name.toCaseFolded())) {
                m_files.insert(name.toCaseFolded());
                return name;
            }
        }
    }

private:
    QHash<QString, QString> m_folders;
    QSet<QString> m_files;
};

TableSnapshot readTable(const QString &path)
{
    auto table = TableFile::open(path, TableFile::Mode::Shared);
    return table->readSnapshot();
}

QString causeText(int error)
{
    return systemErrorText(error);
}

void writeRows(CsvWriter &csv, const TableSnapshot &table, const std::vector<quint32> &records,
               const std::function<void(quint32 record)> &extra = {})
{
    const FieldTextUtf8 text(table.layout);
    QByteArray value;
    for (const quint32 r : records) {
        const char *record = table.records.constData() + qsizetype(r) * table.layout.recordLength;
        for (const Field &field : table.layout.fields) {
            value.resize(0);
            text.append(value, field, record);
            csv.field(QByteArrayView(value));
        }
        if (extra)
            extra(r);
        csv.endRow();
    }
}

// The documents table of a folder that can be exported; throws FolderUnreadable or
// ExportRefused before anything is written.
QString exportableActsTable(const QString &dataDir)
{
    if (!QFileInfo(dataDir).isDir())
        throw FolderUnreadable(
            QStringLiteral("Dosarul %1 nu exista sau nu este un dosar.").arg(native(dataDir)));
    const QString actePath = resolveFileName(ActsTable::path(dataDir));
    if (!QFileInfo(actePath).isFile())
        throw FolderUnreadable(missingActsTableText(dataDir));
    if (QFileInfo::exists(ArchiveRecoding::journalPath(dataDir)))
        throw ExportRefused(QStringLiteral("Recodarea arhivei din %1 nu este incheiata, iar unele "
                                           "documente pot fi codate cu parola veche. Rulati intai "
                                           "\"dosarium-arhiva verifica --repara\" (sau porniti "
                                           "programul), apoi exportati.")
                                .arg(native(dataDir)));
    return actePath;
}

// The acts in the order of their ids, rows of one id in the table's order.
std::vector<PlannedAct> planActs(const TableSnapshot &acte, const ActsTable::Reader &reader)
{
    std::vector<PlannedAct> acts;
    for (quint32 r = 0; r < acte.count; ++r) {
        const char *record = acte.records.constData() + qsizetype(r) * acte.layout.recordLength;
        if (record[0] == '*')
            continue;
        const ActRow row = reader.read(record, r);
        PlannedAct act;
        act.record = r;
        // Only an act number names a document: a value such as 1.5 is never taken for act 2.
        act.id = row.id.value_or(-1);
        act.year = row.year;
        act.domain = row.domain;
        act.subdomain = row.subdomain;
        act.extension = reader.extension(record);
        acts.push_back(std::move(act));
    }
    std::stable_sort(acts.begin(), acts.end(),
                     [](const PlannedAct &a, const PlannedAct &b) { return a.id < b.id; });
    return acts;
}

// Finds the archived file of `act` and its size; false (and act.missing set) when there is none.
bool locateDocument(PlannedAct &act, const QString &dataDir)
{
    try {
        act.source = ActsTable::archivedFile(dataDir, act.year, act.domain, act.subdomain, act.id);
        act.archivePath = QDir(dataDir).relativeFilePath(act.source);
    } catch (const LinkInArchive &e) {
        act.archivePath =
            QStringLiteral("%1/%2/%3/%4").arg(act.year).arg(act.domain, act.subdomain).arg(act.id);
        act.missing = e.message();
        return false;
    } catch (const Error &) {
        act.archivePath =
            QStringLiteral("%1/%2/%3/%4").arg(act.year).arg(act.domain, act.subdomain).arg(act.id);
        act.missing = act.id < 0 || act.year < 0
                          ? QStringLiteral("actul nu are un IDACT sau un an bun")
                          : QStringLiteral("domeniul sau subdomeniul nu poate numi un "
                                           "director al arhivei");
        return false;
    }
    const std::optional<FileStatus> info = statusAt(act.source);
    if (!info) {
        act.missing = errno == ENOENT || errno == ENOTDIR
                          ? QStringLiteral("fisierul lipseste")
                          : QStringLiteral("nu pot citi fisierul: ") + causeText(errno);
        return false;
    }
    if (info->kind != EntryKind::File) {
        act.missing = QStringLiteral("in locul fisierului este altceva decat un fisier");
        return false;
    }
    act.size = info->size;
    return true;
}

// The acts whose document is to be copied, each with its name in the export; the names are
// chosen before the copying starts, so that they do not depend on timing.
std::vector<PlannedAct *> chooseTargets(std::vector<PlannedAct> &acts, const QString &dataDir,
                                        qint64 &totalBytes)
{
    TargetNames names;
    std::vector<PlannedAct *> jobs;
    for (PlannedAct &act : acts) {
        if (!locateDocument(act, dataDir))
            continue;
        totalBytes += act.size;
        act.target =
            names.file(names.folder({QString::number(act.year), act.domain, act.subdomain}), act.id,
                       act.extension);
        jobs.push_back(&act);
    }
    return jobs;
}

// Each exported document compared with its act's fingerprint; a document that does not match
// is said in the notes (damaged, or replaced by a workstation that keeps no fingerprints).
void verifyFingerprints(const QString &dataDir, std::vector<PlannedAct> &acts, ExportResult &result)
{
    const std::optional<FingerprintSet> read = readFingerprints(dataDir, result.notes);
    if (!read)
        return;
    const FingerprintSet &prints = *read;
    for (PlannedAct &act : acts) {
        const auto print = prints.byAct.constFind(act.id);
        if (!act.missing.isEmpty() || print == prints.byAct.cend())
            continue;
        if (print->sha256 == act.sha256 && print->size == act.size)
            act.verified = print->sha256;
        else
            result.notes << QStringLiteral("Documentul actului %1 (%2) nu corespunde amprentei "
                                           "lui: este deteriorat sau a fost inlocuit de o statie "
                                           "cu o versiune mai veche a programului; verificati-l "
                                           "cu \"dosarium-arhiva verifica\".")
                                .arg(act.id)
                                .arg(act.archivePath);
    }
}

// The register, with each act's exported document, its fingerprint, and the stored fingerprint
// that fingerprint matched.
void writeActsCsv(const QString &destination, char separator, const TableSnapshot &acte,
                  const std::vector<PlannedAct> &acts)
{
    std::vector<quint32> records;
    records.reserve(acts.size());
    QHash<quint32, const PlannedAct *> byRecord;
    for (const PlannedAct &act : acts) {
        records.push_back(act.record);
        byRecord.insert(act.record, &act);
    }
    CsvWriter csv(destination + QStringLiteral("/acte.csv"), separator);
    for (const Field &field : acte.layout.fields)
        csv.field(field.name);
    csv.field(QStringLiteral("FISIER"));
    csv.field(QStringLiteral("SHA256"));
    csv.field(QStringLiteral("AMPRENTA"));
    csv.endRow();
    writeRows(csv, acte, records, [&](quint32 r) {
        const PlannedAct *act = byRecord.value(r);
        csv.field(act->target);
        csv.field(QByteArrayView(act->sha256));
        csv.field(QByteArrayView(act->verified));
    });
    csv.close();
}

// The acts whose document could not be exported, in lipsa.csv and in the result.
void writeMissingCsv(const QString &destination, char separator, const TableSnapshot &acte,
                     const ActsTable::Reader &reader, const std::vector<PlannedAct> &acts,
                     ExportResult &result)
{
    CsvWriter csv(destination + QStringLiteral("/lipsa.csv"), separator);
    for (const QString &title :
         {ActsTable::kId, ActsTable::kYear, ActsTable::kDomain, ActsTable::kSubdomain,
          ActsTable::kTitle, QStringLiteral("FISIER_ARHIVA"), QStringLiteral("MOTIV")})
        csv.field(title);
    csv.endRow();
    for (const PlannedAct &act : acts) {
        if (act.missing.isEmpty())
            continue; // exported
        const char *record =
            acte.records.constData() + qsizetype(act.record) * acte.layout.recordLength;
        csv.field(fieldText(acte.layout, reader.idField(), record));
        csv.field(QString::number(act.year));
        csv.field(act.domain);
        csv.field(act.subdomain);
        csv.field(reader.title(record));
        csv.field(act.archivePath);
        csv.field(act.missing);
        csv.endRow();
        result.missing.append({act.id, act.archivePath, act.missing});
    }
    csv.close();
}

// The activity log, in the order it was written; a log that cannot be read is said in the
// result.
void writeLogCsv(const QString &dataDir, const QString &destination, char separator,
                 ExportResult &result)
{
    const QString logPath = resolveFileName(LogTable::path(dataDir));
    if (!QFileInfo(logPath).isFile()) {
        result.logProblem = QStringLiteral("Tabelul ") + LogTable::kFileName +
                            QStringLiteral(" lipseste: jurnal.csv nu a fost scris.");
        return;
    }
    TableSnapshot log;
    try {
        log = readTable(logPath);
    } catch (const Error &e) {
        result.logProblem = e.message() + QStringLiteral(" jurnal.csv nu a fost scris.");
        return;
    }
    std::vector<quint32> live;
    for (quint32 r = 0; r < log.count; ++r) {
        if (log.records.at(qsizetype(r) * log.layout.recordLength) != '*')
            live.push_back(r);
    }
    CsvWriter csv(destination + QStringLiteral("/jurnal.csv"), separator);
    for (const Field &field : log.layout.fields)
        csv.field(field.name);
    csv.endRow();
    writeRows(csv, log, live);
    csv.close();
    result.logEntries = int(live.size());
}

} // namespace

QString safeFileName(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == '\\' || u == '/' || u == ':' || u == '*' || u == '?' ||
            u == '"' || u == '<' || u == '>' || u == '|')
            c = QLatin1Char('_');
    }
    while (!safe.isEmpty() && (safe.back() == QLatin1Char('.') || safe.back() == QLatin1Char(' ')))
        safe.chop(1);
    if (safe.isEmpty())
        return QStringLiteral("_");
    if (!isPortableFolderName(safe))
        safe.prepend(QLatin1Char('_')); // a device name such as CON or nul.txt
    return safe;
}

ExportResult exportDataFolder(const QString &dataFolder, const QString &destination,
                              const ExportOptions &options, ExportProgress *progress)
{
    const QString dataDir = QDir(dataFolder).absolutePath();
    const QString actePath = exportableActsTable(dataDir);
    TableSnapshot acte;
    try {
        acte = readTable(actePath);
    } catch (const Error &e) {
        throw FolderUnreadable(e.message());
    }
    const QByteArray key = readArchiveKeyOnly(dataDir);
    prepareDestination(dataDir, destination);

    const ActsTable::Reader reader(acte.layout, QFileInfo(actePath).fileName());
    std::vector<PlannedAct> acts = planActs(acte, reader);
    ExportResult result;
    result.acts = int(acts.size());
    if (QFileInfo::exists(joinPath(dataDir, ActJournal::kFileName)))
        result.notes << QStringLiteral("Atentie: o operatie pe un act a fost intrerupta (a ramas "
                                       "jurnalul Acte.jrn); documentul acelui act poate lipsi "
                                       "din export.");
    qint64 totalBytes = 0;
    const std::vector<PlannedAct *> jobs = chooseTargets(acts, dataDir, totalBytes);
    copyDocuments(jobs, destination, key, totalBytes, progress);
    for (const PlannedAct *act : jobs) {
        if (act->missing.isEmpty()) {
            ++result.documents;
            result.bytes += act->size;
        }
    }
    for (PlannedAct &act : acts) {
        if (!act.missing.isEmpty()) {
            act.sha256.clear();
            act.target.clear();
        }
    }
    verifyFingerprints(dataDir, acts, result);
    writeActsCsv(destination, options.separator, acte, acts);
    writeMissingCsv(destination, options.separator, acte, reader, acts, result);
    writeLogCsv(dataDir, destination, options.separator, result);
    return result;
}

} // namespace dosarium
