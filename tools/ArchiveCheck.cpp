#include "tools/ArchiveCheck.h"

#include "access/ArchiveRecoding.h"
#include "access/UserFile.h"
#include "app/ActIds.h"
#include "app/ActsTable.h"
#include "app/DamagedFiles.h"
#include "app/LogTable.h"
#include "app/SettingsFile.h"
#include "archive/ArchivePath.h"
#include "archive/FolderName.h"
#include "platform/ReplacementFile.h"
#include "register/ActJournal.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/PlainFile.h"
#include "store/TableFile.h"
#include "tools/FingerprintCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <map>
#include <optional>
#include <vector>

namespace dosarium {

namespace {

const QString kIndex = QStringLiteral("INDEX");

std::optional<qint64> wholeNumber(const Field &field, const char *record)
{
    const std::optional<double> n = fieldNumber(field, record);
    if (!n || !std::isfinite(*n) || std::fabs(*n) > 9.0e15)
        return std::nullopt;
    return qint64(std::llround(*n));
}

QString actLabel(const ActRow &act)
{
    return QStringLiteral("Actul %1 (%2, %3, %4)")
        .arg(act.id.value_or(0))
        .arg(act.year)
        .arg(act.domain, act.subdomain);
}

// A table whose header and size disagree, told as the program's start tells it.
void reportTableDamage(const QString &path, QList<Finding> &findings)
{
    const QString damage = tableDamage(path);
    if (!damage.isEmpty())
        findings.append({Finding::Kind::DamagedFile,
                         QStringLiteral("Tabelul %1 este deteriorat: %2.")
                             .arg(QFileInfo(path).fileName(), damage),
                         path,
                         {},
                         0});
}

// A plain file's bytes: a link is not followed, a pipe not waited on (the listing names them).
std::optional<QByteArray> readBytes(const QString &path)
{
    try {
        return readPlainFile(path);
    } catch (const Error &) {
        return std::nullopt;
    }
}

// The documents table, read with its header lock shared like any reader's.
std::vector<ActRow> readActs(const QString &dataDir, QList<Finding> &findings)
{
    const QString path = resolveFileName(ActsTable::path(dataDir));
    if (!QFileInfo(path).isFile())
        throw FolderUnreadable(missingActsTableText(dataDir));
    std::vector<ActRow> acts;
    try {
        auto table = TableFile::open(path, TableFile::Mode::Shared);
        std::optional<ActsTable::Reader> reader;
        quint32 index = 0;
        const QString notice = table->scanRecords(
            [&](const TableLayout &l) { reader.emplace(l, QFileInfo(path).fileName()); },
            [&](const char *record) {
                if (record[0] != '*')
                    acts.push_back(reader->read(record, index));
                ++index;
            });
        Q_UNUSED(notice); // the damage is told below in the program's own words
    } catch (const Error &e) {
        throw FolderUnreadable(e.message());
    }
    reportTableDamage(path, findings);
    return acts;
}

// The highest IDLOG of the log; no value when the log has none or is missing.
std::optional<qint64> highestLogId(const QString &dataDir, QList<Finding> &findings)
{
    const QString path = resolveFileName(LogTable::path(dataDir));
    if (!QFileInfo::exists(path)) {
        findings.append({Finding::Kind::DamagedFile,
                         QStringLiteral("Tabelul %1 lipseste: jurnalul activitatii nu poate "
                                        "fi verificat.")
                             .arg(LogTable::kFileName),
                         path,
                         {},
                         0});
        return std::nullopt;
    }
    std::optional<qint64> highest;
    try {
        auto table = TableFile::open(path, TableFile::Mode::Shared);
        const Field *idlog = nullptr;
        const QString notice = table->scanRecords(
            [&](const TableLayout &l) {
                idlog = &l.fields.at(l.requireField(LogTable::kId, QFileInfo(path).fileName()));
            },
            [&](const char *record) {
                if (record[0] == '*')
                    return;
                if (const auto id = wholeNumber(*idlog, record); id && (!highest || *id > *highest))
                    highest = *id;
            });
        Q_UNUSED(notice);
    } catch (const Error &e) {
        findings.append({Finding::Kind::DamagedFile, e.message(), path, {}, 0});
        return highest;
    }
    reportTableDamage(path, findings);
    return highest;
}

void checkCounter(const QString &dataDir, const QString &counter, std::optional<qint64> highest,
                  const QString &table, const QString &consequence, QList<Finding> &findings)
{
    const QString value = SettingsFile(dataDir).read(kIndex, counter);
    const qint64 top = highest.value_or(0);
    bool ok = true;
    const qint64 next = value.isEmpty() ? 1 : value.toLongLong(&ok);
    QString text;
    if (counter == ActsTable::kId && ok && (next > kLastActId || top >= kLastActId)) {
        // Raising the counter cannot help: there is no act number left to hand out.
        const QString reached =
            next > kLastActId
                ? QStringLiteral("contorul %1 din Dsm.in a ajuns la %2").arg(counter).arg(next)
                : QStringLiteral("registrul are deja actul %1").arg(top);
        findings.append({Finding::Kind::IdsUsedUp,
                         QStringLiteral("Numerele actelor s-au terminat: %1, iar %2 este cel mai "
                                        "mare numar pe care il tine coloana %3 (zece cifre). "
                                        "Programul nu mai poate adauga acte in acest registru; "
                                        "actele de acum raman cum sunt.")
                             .arg(reached)
                             .arg(kLastActId)
                             .arg(counter),
                         SettingsFile(dataDir).path(), counter, top});
        return;
    }
    if (!ok)
        text = QStringLiteral("Contorul %1 din Dsm.in are valoarea \"%2\", care nu este un numar "
                              "intreg: programul nu poate da numere noi.")
                   .arg(counter, value);
    else if (next <= top)
        text = QStringLiteral("Contorul %1 din Dsm.in este %2, dar cel mai mare %1 din %3 este "
                              "%4: %5")
                   .arg(counter)
                   .arg(next)
                   .arg(table)
                   .arg(top)
                   .arg(consequence);
    if (!text.isEmpty())
        findings.append(
            {Finding::Kind::CounterBehind, text, SettingsFile(dataDir).path(), counter, top});
}

void checkUserFile(const QString &dataDir, int acts, QList<Finding> &findings)
{
    const QString path = userFilePath(dataDir);
    if (!QFileInfo::exists(path)) {
        if (acts > 0)
            findings.append(
                {Finding::Kind::DamagedFile,
                 QStringLiteral("Fisierul utilizatorilor ini.mpg lipseste: programul il va face "
                                "din nou cu utilizatorul ADMIN fara parola, iar documentele "
                                "codate cu parola de acum nu vor mai putea fi citite."),
                 path,
                 {},
                 0});
        return;
    }
    const std::optional<QByteArray> bytes = readBytes(path);
    const QString damage = bytes ? userFileDamage(*bytes) : QStringLiteral("nu poate fi citit");
    if (!damage.isEmpty())
        findings.append(
            {Finding::Kind::DamagedFile,
             QStringLiteral("Fisierul utilizatorilor ini.mpg este deteriorat: %1.").arg(damage),
             path,
             {},
             0});
}

void checkSettingsFile(const QString &dataDir, QList<Finding> &findings)
{
    const QString path = SettingsFile(dataDir).path();
    if (!QFileInfo::exists(path))
        return;
    const std::optional<QByteArray> bytes = readBytes(path);
    const QString damage = bytes ? settingsDamage(*bytes) : QStringLiteral("nu poate fi citit");
    if (!damage.isEmpty())
        findings.append(
            {Finding::Kind::DamagedFile,
             QStringLiteral("Fisierul de setari Dsm.in este deteriorat: %1.").arg(damage),
             path,
             {},
             0});
}

// The journal an act operation leaves when the program stops in its middle. It lives in the
// data folder of the workstation that ran it, and that workstation's next start finishes or
// undoes the operation by the act's row.
void checkActJournal(const QString &dataDir, QList<Finding> &findings)
{
    const QString path = joinPath(dataDir, ActJournal::kFileName);
    const std::optional<QByteArray> bytes = readBytes(path);
    if (!bytes)
        return;
    const std::optional<ActJournal::Entry> entry = ActJournal::parse(*bytes);
    QString text;
    if (ActJournal::isHeldElsewhere(dataDir)) {
        text = QStringLiteral("O operatie pe un act este in curs chiar acum pe acest dosar "
                              "(jurnalul Acte.jrn este ocupat): verificati din nou dupa ce se "
                              "termina.");
    } else if (!entry) {
        text = QStringLiteral("A ramas jurnalul Acte.jrn al unei operatii pe un act oprite "
                              "inainte sa inceapa; programul il sterge la urmatoarea pornire.");
    } else {
        const QString what = entry->kind == ActJournal::Kind::Add ? QStringLiteral("adaugarea")
                             : entry->kind == ActJournal::Kind::Modify
                                 ? QStringLiteral("modificarea")
                                 : QStringLiteral("stergerea");
        text = QStringLiteral("A fost intrerupta %1 actului %2 (jurnalul Acte.jrn a ramas): "
                              "fisierul actului poate lipsi sau sta inca in locul vechi. "
                              "Porniti programul pe statia care are acest dosar: pornirea "
                              "aduce arhiva in acord cu randul actului.")
                   .arg(what, entry->id);
    }
    findings.append({Finding::Kind::ActJournalLeft, text, path, {}, 0});
}

void checkRecoding(const QString &dataDir, QList<Finding> &findings)
{
    const QString journal = ArchiveRecoding::journalPath(dataDir);
    if (!QFileInfo::exists(journal))
        return;
    if (ArchiveRecoding::isJournalHeld(dataDir))
        findings.append({Finding::Kind::RecodingRunning,
                         QStringLiteral("Arhiva este recodata chiar acum de alt program (jurnalul "
                                        "Recodare.jrn este ocupat): verificati din nou dupa ce "
                                        "recodarea se termina."),
                         journal,
                         {},
                         0});
    else
        findings.append({Finding::Kind::RecodingLeft,
                         QStringLiteral("Recodarea arhivei a fost intrerupta: a ramas jurnalul "
                                        "Recodare.jrn, iar unele documente pot fi codate inca "
                                        "cu parola veche."),
                         journal,
                         {},
                         0});
}

// Folders of the archive that cannot be read, and links in it.
void reportTreeProblems(const ArchiveTree &tree, const QString &dataDir, QList<Finding> &findings)
{
    for (const QString &folder : std::as_const(tree.unreadable))
        findings.append({Finding::Kind::DamagedFile,
                         QStringLiteral("Nu pot citi dosarul %1 din arhiva.").arg(folder),
                         {},
                         {},
                         0});
    for (const QString &link : std::as_const(tree.links))
        findings.append({Finding::Kind::Link,
                         QStringLiteral("%1 este o legatura simbolica: verificarea nu trece prin "
                                        "ea, iar programul nu o urmeaza. Stergeti legatura sau "
                                        "puneti in locul ei fisierul sau directorul adevarat.")
                             .arg(link),
                         joinPath(dataDir, link),
                         {},
                         0});
}

// Rows that share an act number; `acts` in the order of their ids.
void reportDuplicateIds(const std::vector<ActRow> &acts, QList<Finding> &findings)
{
    for (size_t i = 0; i < acts.size();) {
        size_t same = i + 1;
        while (same < acts.size() && acts[same].id == acts[i].id)
            ++same;
        if (acts[i].id && *acts[i].id >= 0 && same - i > 1)
            findings.append(
                {Finding::Kind::DuplicateId,
                 (ActsTable::kId + QStringLiteral(" %1 apare in %2 din ") + ActsTable::kFileName +
                  QStringLiteral(": actele cu acelasi numar isi pot inlocui unul "
                                 "altuia fisierul."))
                     .arg(*acts[i].id)
                     .arg(countText(qint64(same - i), QStringLiteral("rand"),
                                    QStringLiteral("randuri"))),
                 {},
                 {},
                 0});
        i = same;
    }
}

// Rows whose IDACT or year can name no file; returns the highest act number.
std::optional<qint64> reportInvalidIds(const std::vector<ActRow> &acts, QList<Finding> &findings)
{
    std::optional<qint64> highestAct;
    for (const ActRow &act : acts) {
        if (act.id && *act.id >= 0 && (!highestAct || *act.id > *highestAct))
            highestAct = act.id;
        if (!act.id)
            findings.append(
                {Finding::Kind::InvalidId,
                 (QStringLiteral("Randul %1 din ") + ActsTable::kFileName +
                  QStringLiteral(" are ") + ActsTable::kId +
                  QStringLiteral(" \"%2\", care nu este un numar de act (intreg de la 1 la %3): "
                                 "programul nu il ia drept alt act, dar nici nu ii poate gasi "
                                 "fisierul; randul nu poate fi modificat, sters sau vizualizat "
                                 "din program."))
                     .arg(act.record + 1)
                     .arg(act.idText)
                     .arg(kLastActId),
                 {},
                 {},
                 0});
        else if (act.year < 0)
            findings.append({Finding::Kind::InvalidId,
                             (QStringLiteral("Randul %1 din ") + ActsTable::kFileName +
                              QStringLiteral(" nu are un an bun: actul nu poate avea fisier in "
                                             "arhiva."))
                                 .arg(act.record + 1),
                             {},
                             {},
                             0});
    }
    return highestAct;
}

struct NameUse {
    int acts = 0;
    bool reachable = true;
};
using BadNames = std::map<std::pair<int, QString>, NameUse>; // (0 domain, 1 subdomain), text

// Each act's archived file, found in the tree and claimed; domains and subdomains that are no
// folder name on every workstation are gathered in `badNames`.
void checkActFiles(const std::vector<ActRow> &acts, ArchiveTree &tree, const QString &dataDir,
                   BadNames &badNames, QList<Finding> &findings,
                   std::vector<ArchivedDocument> &documents)
{
    for (const ActRow &act : acts) {
        if (!act.id || *act.id < 0 || act.year < 0)
            continue;
        const QString domain = ArchiveFolderName(act.domain);
        const QString subdomain = ArchiveFolderName(act.subdomain);
        // A text with separators reaches the nested folders the older program made.
        const QStringList domainLevels = StoredFolderNames(act.domain);
        const QStringList subdomainLevels = StoredFolderNames(act.subdomain);
        const bool reachable = !domainLevels.isEmpty() && !subdomainLevels.isEmpty();
        if (!isPortableFolderName(domain)) {
            NameUse &use = badNames[{0, act.domain}];
            ++use.acts;
            use.reachable = use.reachable && !domainLevels.isEmpty();
        }
        if (!isPortableFolderName(subdomain)) {
            NameUse &use = badNames[{1, act.subdomain}];
            ++use.acts;
            use.reachable = use.reachable && !subdomainLevels.isEmpty();
        }
        if (!reachable)
            continue; // reported with its name
        const QStringList levels =
            QStringList{QString::number(act.year)} + domainLevels + subdomainLevels;
        const int folder = tree.resolve(levels);
        const QString fileName = QString::number(*act.id);
        TreeEntry *file = folder >= 0 ? tree.folders[size_t(folder)].find(fileName) : nullptr;
        const QString relative = archiveChildPath(
            folder >= 0 ? tree.folders[size_t(folder)].relative : levels.join(QLatin1Char('/')),
            fileName);
        if (!file || file->type != TreeEntry::Type::File) {
            findings.append(
                {Finding::Kind::MissingDocument,
                 actLabel(act) + QStringLiteral(": lipseste fisierul arhivat %1.").arg(relative),
                 joinPath(dataDir, relative),
                 {},
                 0});
            continue;
        }
        if (!file->claimed && file->size == 0)
            findings.append(
                {Finding::Kind::EmptyDocument,
                 actLabel(act) +
                     QStringLiteral(": fisierul arhivat %1 are 0 octeti.").arg(relative),
                 joinPath(dataDir, relative),
                 {},
                 0});
        if (!file->claimed)
            documents.push_back(
                {*act.id, actLabel(act), relative, joinPath(dataDir, relative), file->size});
        file->claimed = true;
    }
}

void reportBadNames(const BadNames &badNames, QList<Finding> &findings)
{
    for (const auto &[key, use] : badNames) {
        const QString what =
            key.first == 0 ? QStringLiteral("Domeniul") : QStringLiteral("Subdomeniul");
        findings.append(
            {Finding::Kind::FolderName,
             QStringLiteral("%1 \"%2\" (%3) nu poate fi nume de director pe toate "
                            "statiile%4")
                 .arg(what, key.second,
                      countText(use.acts, QStringLiteral("act"), QStringLiteral("acte")),
                      use.reachable ? QStringLiteral(".")
                                    : QStringLiteral(": fisierele acestor acte nu pot "
                                                     "fi gasite.")),
             {},
             {},
             0});
    }
}

// Files no act names, and the temporaries of interrupted writes, in the year folders and
// beside the tables.
void checkTreeFiles(const ArchiveTree &tree, const QString &dataDir, CheckResult &result)
{
    QList<Finding> &findings = result.findings;
    for (size_t f = 0; f < tree.folders.size(); ++f) {
        const TreeFolder &folder = tree.folders[f];
        for (const TreeEntry &e : folder.entries) {
            if (e.type != TreeEntry::Type::File)
                continue;
            const QString relative = archiveChildPath(folder.relative, e.name);
            if (ReplacementFile::isTemporaryName(e.name)) {
                findings.append({Finding::Kind::PartialFile,
                                 QStringLiteral("Fisier partial ramas dupa o scriere "
                                                "intrerupta: %1.")
                                     .arg(relative),
                                 joinPath(dataDir, relative),
                                 {},
                                 0});
                continue;
            }
            if (f == 0)
                continue; // the tables and the program's files
            ++result.documents;
            if (!e.claimed)
                findings.append({Finding::Kind::OrphanDocument,
                                 QStringLiteral("Fisierul %1 din arhiva nu apartine niciunui act.")
                                     .arg(relative),
                                 joinPath(dataDir, relative),
                                 {},
                                 0});
        }
    }
}

} // namespace

bool isRepairable(Finding::Kind kind)
{
    return kind == Finding::Kind::CounterBehind || kind == Finding::Kind::PartialFile ||
           kind == Finding::Kind::RecodingLeft;
}

int CheckResult::count(Finding::Kind kind) const
{
    return int(std::count_if(findings.begin(), findings.end(),
                             [kind](const Finding &f) { return f.kind == kind; }));
}

QString countText(qint64 count, const QString &one, const QString &many)
{
    if (count == 1)
        return QStringLiteral("1 ") + one;
    const qint64 rest = count % 100;
    const bool withDe = count >= 20 && (rest == 0 || rest >= 20);
    return QString::number(count) + (withDe ? QStringLiteral(" de ") : QStringLiteral(" ")) + many;
}

QString missingActsTableText(const QString &dataDir)
{
    return QStringLiteral("Dosarul %1 nu are tabelul ").arg(QDir::toNativeSeparators(dataDir)) +
           ActsTable::kFileName + QStringLiteral(": nu este un dosar de date al programului.");
}

QByteArray readArchiveKeyOnly(const QString &dataDir)
{
    if (!QFileInfo::exists(userFilePath(dataDir)))
        return QByteArray();
    return ReadArchiveKey(dataDir);
}

CheckResult checkDataFolder(const QString &dataFolder, const CheckOptions &options)
{
    const QString dataDir = QDir(dataFolder).absolutePath();
    if (!QFileInfo(dataDir).isDir())
        throw FolderUnreadable(QStringLiteral("Dosarul %1 nu exista sau nu este un dosar.")
                                   .arg(QDir::toNativeSeparators(dataDir)));
    CheckResult result;
    QList<Finding> &findings = result.findings;
    std::vector<ActRow> acts = readActs(dataDir, findings);
    result.acts = int(acts.size());
    ArchiveTree tree(dataDir);
    reportTreeProblems(tree, dataDir, findings);

    // Acts in the order of their ids; rows of one id together, in the table's order.
    std::stable_sort(acts.begin(), acts.end(), [](const ActRow &a, const ActRow &b) {
        return a.id.value_or(-1) < b.id.value_or(-1);
    });
    reportDuplicateIds(acts, findings);
    const std::optional<qint64> highestAct = reportInvalidIds(acts, findings);
    BadNames badNames;
    std::vector<ArchivedDocument> documents;
    checkActFiles(acts, tree, dataDir, badNames, findings, documents);
    reportBadNames(badNames, findings);
    checkTreeFiles(tree, dataDir, result);
    checkCounter(dataDir, ActsTable::kId, highestAct, ActsTable::kFileName,
                 QStringLiteral("urmatorul act adaugat ar primi un numar folosit si ar putea "
                                "inlocui fisierul altui act."),
                 findings);
    checkCounter(dataDir, LogTable::kId, highestLogId(dataDir, findings), LogTable::kFileName,
                 QStringLiteral("urmatoarele intrari ale jurnalului ar primi numere folosite."),
                 findings);
    checkUserFile(dataDir, result.acts, findings);
    checkSettingsFile(dataDir, findings);
    checkRecoding(dataDir, findings);
    checkActJournal(dataDir, findings);
    checkFingerprints(dataDir, documents, options, result);

    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding &a, const Finding &b) { return int(a.kind) < int(b.kind); });
    return result;
}

} // namespace dosarium
