#include "tools/ArchiveCheck.h"

#include "access/ArchiveRecoding.h"
#include "access/UserFile.h"
#include "app/DamagedFiles.h"
#include "app/SettingsFile.h"
#include "app/Workspace.h"
#include "archive/ArchivePath.h"
#include "archive/FolderName.h"
#include "archive/ProgressSink.h"
#include "register/ActJournal.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/ReplacementFile.h"
#include "store/TableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace dosarium {

namespace {

const QString kActe = QStringLiteral("Acte.dbf");
const QString kLog = QStringLiteral("Log.dbf");
const QString kIndex = QStringLiteral("INDEX");

// The year folders hold three levels (domain, subdomain, file); deeper trees are still read for
// stray files, but a folder that comes back through a link is not read twice.
constexpr int kMaxDepth = 32;

// ---------------------------------------------------------------------------------------------
// The archive tree as one listing: every folder under the year folders with its entries sorted
// by name, so that an act's file is found without a system call of its own.

struct Entry {
    enum class Type : quint8 { File, Folder, Other };
    QString name;
    Type type = Type::Other;
    int folder = -1; // Folder: its index
    qint64 size = 0; // File
    bool claimed = false;
};

struct Folder {
    QString relative; // from the data folder, with "/"
    std::vector<Entry> entries;

    const Entry *find(const QString &name) const
    {
        auto it = std::lower_bound(entries.begin(), entries.end(), name,
                                   [](const Entry &e, const QString &n) { return e.name < n; });
        return it != entries.end() && it->name == name ? &*it : nullptr;
    }
    Entry *find(const QString &name)
    {
        return const_cast<Entry *>(std::as_const(*this).find(name));
    }
};

class ArchiveTree {
public:
    // Lists the data folder and every folder below its year folders. Throws FolderUnreadable when
    // the data folder itself cannot be listed.
    explicit ArchiveTree(const QString &dataDir);

    std::vector<Folder> folders; // [0] is the data folder
    QStringList unreadable;      // folders below it that could not be listed, with the cause

    // The folder of `levels` as the program reaches it: each level under its exact name, else
    // the first folder in order that is the same name in another letter case; -1 when a level is
    // missing (or a file stands in its place).
    int resolve(const QStringList &levels) const;

private:
    void list(int dirFd, int index, int depth);

    std::set<std::pair<dev_t, ino_t>> m_seen; // folders reached through links
    // Directory records as the kernel writes them, aligned for their 64-bit fields.
    std::vector<quint64> m_buffer = std::vector<quint64>(8 * 1024);
};

QString childPath(const QString &folder, const QString &name)
{
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

bool isYearName(const QString &name)
{
    return !name.isEmpty() &&
           std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

ArchiveTree::ArchiveTree(const QString &dataDir)
{
    const int fd =
        ::open(QFile::encodeName(dataDir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw FolderUnreadable(QStringLiteral("Nu pot citi dosarul %1: %2.")
                                   .arg(QDir::toNativeSeparators(dataDir), systemErrorText(errno)));
    folders.push_back({});
    list(fd, 0, 0); // closes fd
}

void ArchiveTree::list(int dirFd, int index, int depth)
{
    // The entries are read straight from the kernel into one buffer that every folder reuses:
    // the library's directory streams cost a buffer and two system calls more per folder, and
    // the year folders hold tens of thousands of folders.
    std::vector<Entry> entries;
    for (;;) {
        const ssize_t n = ::getdents64(dirFd, m_buffer.data(), m_buffer.size() * sizeof(quint64));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            unreadable << folders[size_t(index)].relative + QStringLiteral(": ") +
                              systemErrorText(errno);
            break;
        }
        if (n == 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto *d = reinterpret_cast<const dirent64 *>(
                reinterpret_cast<const char *>(m_buffer.data()) + at);
            at += d->d_reclen;
            const char *raw = d->d_name;
            if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
                continue;
            Entry e;
            e.name = QFile::decodeName(raw);
            unsigned char type = d->d_type;
            struct stat info {};
            if (type == DT_UNKNOWN || type == DT_LNK || type == DT_REG) {
                // The program follows links, so a link counts as what it leads to.
                const bool link = type == DT_LNK;
                if (::fstatat(dirFd, raw, &info, 0) == 0) {
                    type = S_ISDIR(info.st_mode)   ? DT_DIR
                           : S_ISREG(info.st_mode) ? DT_REG
                                                   : DT_UNKNOWN;
                    // A folder reached through a link is read once, so a link back to a folder
                    // above it cannot make the listing go round.
                    if (type == DT_DIR && (link || d->d_type == DT_UNKNOWN) &&
                        !m_seen.insert({info.st_dev, info.st_ino}).second)
                        type = DT_UNKNOWN;
                } else {
                    type = DT_UNKNOWN;
                }
            }
            if (type == DT_REG) {
                e.type = Entry::Type::File;
                e.size = qint64(info.st_size);
            } else if (type == DT_DIR) {
                e.type = Entry::Type::Folder;
            }
            entries.push_back(std::move(e));
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    // Below the data folder only the year folders belong to the archive. Each folder is opened
    // when its turn comes, so no more are open at once than the tree is deep.
    const QString base = folders[size_t(index)].relative;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].type != Entry::Type::Folder || depth >= kMaxDepth ||
            (depth == 0 && !isYearName(entries[i].name)))
            continue;
        const QString relative = childPath(base, entries[i].name);
        const int fd = ::openat(dirFd, QFile::encodeName(entries[i].name).constData(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            unreadable << relative + QStringLiteral(": ") + systemErrorText(errno);
            continue;
        }
        const int child = int(folders.size());
        entries[i].folder = child;
        folders.push_back({relative, {}});
        list(fd, child, depth + 1);
    }
    ::close(dirFd);
    folders[size_t(index)].entries = std::move(entries);
}

int ArchiveTree::resolve(const QStringList &levels) const
{
    int at = 0;
    for (const QString &level : levels) {
        const Folder &folder = folders[size_t(at)];
        if (const Entry *exact = folder.find(level)) {
            if (exact->type != Entry::Type::Folder || exact->folder < 0)
                return -1;
            at = exact->folder;
            continue;
        }
        const Entry *best = nullptr;
        for (const Entry &e : folder.entries) {
            if (e.type == Entry::Type::Folder && e.folder >= 0 &&
                e.name.compare(level, Qt::CaseInsensitive) == 0 && (!best || e.name < best->name))
                best = &e;
        }
        if (!best)
            return -1;
        at = best->folder;
    }
    return at;
}

// ---------------------------------------------------------------------------------------------

struct ActRow {
    quint32 row = 0; // 1-based, in the table's order
    std::optional<qint64> id;
    qint64 year = 0;
    QString domain;
    QString subdomain;
};

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

QString relativeTo(const QString &dataDir, const QString &path)
{
    return QDir(dataDir).relativeFilePath(path);
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

std::optional<QByteArray> readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The documents table, read with its header lock shared like any reader's.
std::vector<ActRow> readActs(const QString &dataDir, QList<Finding> &findings)
{
    const QString path = resolveFileName(joinPath(dataDir, kActe));
    if (!QFileInfo(path).isFile())
        throw FolderUnreadable(QStringLiteral("Dosarul %1 nu are tabelul Acte.dbf: nu este un "
                                              "dosar de date al programului.")
                                   .arg(QDir::toNativeSeparators(dataDir)));
    std::vector<ActRow> acts;
    try {
        auto table = TableFile::open(path, TableFile::Mode::Shared);
        const Field *idact = nullptr, *anul = nullptr, *domeniul = nullptr, *subdom = nullptr;
        const TableLayout *layout = nullptr;
        quint32 row = 0;
        const QString notice = table->scanRecords(
            [&](const TableLayout &l) {
                layout = &l;
                const QString name = QFileInfo(path).fileName();
                idact = &l.fields.at(l.requireField(QStringLiteral("IDACT"), name));
                anul = &l.fields.at(l.requireField(QStringLiteral("ANUL"), name));
                domeniul = &l.fields.at(l.requireField(QStringLiteral("DOMENIUL"), name));
                subdom = &l.fields.at(l.requireField(QStringLiteral("SUBDOM"), name));
            },
            [&](const char *record) {
                ++row;
                if (record[0] == '*')
                    return;
                ActRow act;
                act.row = row;
                act.id = wholeNumber(*idact, record);
                act.year = wholeNumber(*anul, record).value_or(0);
                act.domain = fieldText(*layout, *domeniul, record);
                act.subdomain = fieldText(*layout, *subdom, record);
                acts.push_back(std::move(act));
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
    const QString path = resolveFileName(joinPath(dataDir, kLog));
    if (!QFileInfo::exists(path)) {
        findings.append({Finding::Kind::DamagedFile,
                         QStringLiteral("Tabelul Log.dbf lipseste: jurnalul activitatii nu poate "
                                        "fi verificat."),
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
                idlog = &l.fields.at(
                    l.requireField(QStringLiteral("IDLOG"), QFileInfo(path).fileName()));
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
    if (!entry) {
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

QByteArray readArchiveKeyOnly(const QString &dataDir)
{
    if (!QFileInfo::exists(userFilePath(dataDir)))
        return QByteArray();
    return ReadArchiveKey(dataDir);
}

CheckResult checkDataFolder(const QString &dataFolder)
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
    for (const QString &folder : std::as_const(tree.unreadable))
        findings.append({Finding::Kind::DamagedFile,
                         QStringLiteral("Nu pot citi dosarul %1 din arhiva.").arg(folder),
                         {},
                         {},
                         0});

    // Acts in the order of their ids; rows of one id together, in the table's order.
    std::stable_sort(acts.begin(), acts.end(), [](const ActRow &a, const ActRow &b) {
        return a.id.value_or(-1) < b.id.value_or(-1);
    });
    std::optional<qint64> highestAct;
    struct NameUse {
        int acts = 0;
        bool reachable = true;
    };
    std::map<std::pair<int, QString>, NameUse> badNames; // (0 domain, 1 subdomain), text
    for (size_t i = 0; i < acts.size();) {
        size_t same = i + 1;
        while (same < acts.size() && acts[same].id == acts[i].id)
            ++same;
        if (acts[i].id && *acts[i].id >= 0 && same - i > 1)
            findings.append({Finding::Kind::DuplicateId,
                             QStringLiteral("IDACT %1 apare in %2 din Acte.dbf: actele cu acelasi "
                                            "numar isi pot inlocui unul altuia fisierul.")
                                 .arg(*acts[i].id)
                                 .arg(countText(qint64(same - i), QStringLiteral("rand"),
                                                QStringLiteral("randuri"))),
                             {},
                             {},
                             0});
        i = same;
    }
    for (const ActRow &act : acts) {
        if (act.id && *act.id >= 0 && (!highestAct || *act.id > *highestAct))
            highestAct = act.id;
        if (!act.id || *act.id < 0 || act.year < 0)
            findings.append(
                {Finding::Kind::InvalidId,
                 QStringLiteral("Randul %1 din Acte.dbf nu are un %2 bun: actul nu "
                                "poate avea fisier in arhiva.")
                     .arg(act.row)
                     .arg(act.id && *act.id >= 0 ? QStringLiteral("an") : QStringLiteral("IDACT")),
                 {},
                 {},
                 0});
    }
    for (const ActRow &act : acts) {
        if (!act.id || *act.id < 0 || act.year < 0)
            continue;
        const QString domain = ArchiveFolderName(act.domain);
        const QString subdomain = ArchiveFolderName(act.subdomain);
        const bool reachable = !domain.isEmpty() && !subdomain.isEmpty();
        if (!isPortableFolderName(domain)) {
            NameUse &use = badNames[{0, act.domain}];
            ++use.acts;
            use.reachable = use.reachable && !domain.isEmpty();
        }
        if (!isPortableFolderName(subdomain)) {
            NameUse &use = badNames[{1, act.subdomain}];
            ++use.acts;
            use.reachable = use.reachable && !subdomain.isEmpty();
        }
        if (!reachable)
            continue; // reported with its name
        const QStringList levels = {QString::number(act.year), domain, subdomain};
        const int folder = tree.resolve(levels);
        const QString fileName = QString::number(*act.id);
        Entry *file = folder >= 0 ? tree.folders[size_t(folder)].find(fileName) : nullptr;
        const QString relative = childPath(folder >= 0 ? tree.folders[size_t(folder)].relative
                                                       : levels.join(QLatin1Char('/')),
                                           fileName);
        if (!file || file->type != Entry::Type::File) {
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
        file->claimed = true;
    }
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

    // Files no act names, and the temporaries of interrupted writes, in the year folders and
    // beside the tables.
    for (size_t f = 0; f < tree.folders.size(); ++f) {
        const Folder &folder = tree.folders[f];
        for (const Entry &e : folder.entries) {
            if (e.type != Entry::Type::File)
                continue;
            const QString relative = childPath(folder.relative, e.name);
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

    checkCounter(dataDir, QStringLiteral("IDACT"), highestAct, kActe,
                 QStringLiteral("urmatorul act adaugat ar primi un numar folosit si ar putea "
                                "inlocui fisierul altui act."),
                 findings);
    checkCounter(dataDir, QStringLiteral("IDLOG"), highestLogId(dataDir, findings), kLog,
                 QStringLiteral("urmatoarele intrari ale jurnalului ar primi numere folosite."),
                 findings);
    checkUserFile(dataDir, result.acts, findings);
    checkSettingsFile(dataDir, findings);
    checkRecoding(dataDir, findings);
    checkActJournal(dataDir, findings);

    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding &a, const Finding &b) { return int(a.kind) < int(b.kind); });
    return result;
}

RepairResult repairDataFolder(const QString &dataFolder, const CheckResult &found)
{
    const QString dataDir = QDir(dataFolder).absolutePath();
    RepairResult result;
    // The re-coding first: it brings documents to one key and may leave temporaries of its own.
    for (const Finding &f : found.findings) {
        if (f.kind != Finding::Kind::RecodingLeft)
            continue;
        try {
            Workspace workspace(Workstation{dataDir, QSysInfo::machineHostName(), QString()});
            workspace.context().DataDir = dataDir;
            ArchiveRecoding recoding(workspace, [dataDir] { return readArchiveKeyOnly(dataDir); });
            NoProgress progress;
            if (recoding.finishPending(progress))
                result.done << QStringLiteral("Recodarea intrerupta a fost dusa la capat: %1 "
                                              "la parola de acum; jurnalul Recodare.jrn a fost "
                                              "sters.")
                                   .arg(countText(recoding.filesRecoded(),
                                                  QStringLiteral("document adus"),
                                                  QStringLiteral("documente aduse")));
            else
                result.failed << QStringLiteral("Recodarea intrerupta nu a fost atinsa: jurnalul "
                                                "Recodare.jrn este folosit acum de alt program.");
        } catch (const Error &e) {
            result.failed
                << QStringLiteral("Recodarea intrerupta nu a putut fi dusa la capat: ") +
                       QString(e.message()).replace(QLatin1Char('\r'), QLatin1Char(' ')).trimmed();
        }
    }
    for (const Finding &f : found.findings) {
        if (f.kind != Finding::Kind::PartialFile)
            continue;
        const QString shown = relativeTo(dataDir, f.path);
        if (!QFileInfo::exists(f.path)) {
            result.done << QStringLiteral("Fisierul partial %1 nu mai exista.").arg(shown);
        } else if (!ReplacementFile::isAbandoned(f.path, kLeftoverIdle)) {
            result.failed
                << QStringLiteral("Fisierul partial %1 a fost scris in ultimele %2 "
                                  "minute, poate chiar acum de alta statie: nu l-am "
                                  "sters. Verificati din nou mai tarziu.")
                       .arg(shown)
                       .arg(
                           std::chrono::duration_cast<std::chrono::minutes>(kLeftoverIdle).count());
        } else if (::unlink(QFile::encodeName(f.path).constData()) == 0 || errno == ENOENT) {
            result.done << QStringLiteral("Am sters fisierul partial %1.").arg(shown);
        } else {
            result.failed << QStringLiteral("Nu pot sterge fisierul partial %1: %2.")
                                 .arg(shown, systemErrorText(errno));
        }
    }
    bool settingsKept = false;
    for (const Finding &f : found.findings) {
        if (f.kind != Finding::Kind::CounterBehind)
            continue;
        try {
            // A damaged settings file keeps a copy of its bytes before it is first written, as
            // at the program's start.
            if (!settingsKept) {
                settingsKept = true;
                if (const std::optional<QByteArray> bytes = readBytes(f.path)) {
                    if (const QString damage = settingsDamage(*bytes); !damage.isEmpty())
                        result.done << keepDamagedCopy(f.path, damage);
                }
            }
            QString before;
            QString after;
            SettingsFile(dataDir).update(kIndex, f.counter, [&](const QString &value) {
                before = value;
                bool ok = true;
                const qint64 next = value.isEmpty() ? 1 : value.toLongLong(&ok);
                // Raised meanwhile by another workstation: left as it is.
                after = ok && next > f.highestId ? value : QString::number(f.highestId + 1);
                return after;
            });
            if (after == before)
                result.done
                    << QStringLiteral("Contorul %1 din Dsm.in era deja %2.").arg(f.counter, before);
            else
                result.done << QStringLiteral("Contorul %1 din Dsm.in a fost ridicat de la %2 la "
                                              "%3.")
                                   .arg(f.counter, before.isEmpty() ? QStringLiteral("1") : before,
                                        after);
        } catch (const Error &e) {
            result.failed << QStringLiteral("Contorul %1 nu a putut fi ridicat: %2")
                                 .arg(f.counter, e.message());
        }
    }
    return result;
}

} // namespace dosarium
