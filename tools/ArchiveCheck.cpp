#include "tools/ArchiveCheck.h"

#include "access/ArchiveRecoding.h"
#include "access/UserFile.h"
#include "app/SettingsFile.h"
#include "app/Workspace.h"
#include "archive/ArchivePath.h"
#include "archive/FolderName.h"
#include "archive/ProgressSink.h"
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

    std::set<std::pair<dev_t, ino_t>> m_seen;
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
    struct stat self {};
    if (::fstat(dirFd, &self) == 0 && !m_seen.insert({self.st_dev, self.st_ino}).second) {
        ::close(dirFd);
        return;
    }
    DIR *dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        unreadable << folders[size_t(index)].relative + QStringLiteral(": ") +
                          systemErrorText(errno);
        return;
    }
    std::vector<Entry> entries;
    std::vector<std::pair<size_t, int>> subfolders; // entry, descriptor
    while (const dirent *d = ::readdir(dir)) {
        const char *raw = d->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        Entry e;
        e.name = QFile::decodeName(raw);
        unsigned char type = d->d_type;
        struct stat info {};
        bool haveInfo = false;
        if (type == DT_UNKNOWN || type == DT_LNK || type == DT_REG) {
            // The program follows links, so a link counts as what it leads to.
            if (::fstatat(::dirfd(dir), raw, &info, 0) == 0) {
                haveInfo = true;
                type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
            } else {
                type = DT_UNKNOWN;
            }
        }
        if (type == DT_REG) {
            e.type = Entry::Type::File;
            e.size = haveInfo ? qint64(info.st_size) : 0;
        } else if (type == DT_DIR) {
            e.type = Entry::Type::Folder;
        }
        entries.push_back(std::move(e));
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    // Below the data folder only the year folders belong to the archive.
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].type != Entry::Type::Folder || depth >= kMaxDepth ||
            (depth == 0 && !isYearName(entries[i].name)))
            continue;
        const int fd = ::openat(::dirfd(dir), QFile::encodeName(entries[i].name).constData(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            unreadable << childPath(folders[size_t(index)].relative, entries[i].name) +
                              QStringLiteral(": ") + systemErrorText(errno);
            continue;
        }
        subfolders.push_back({i, fd});
    }
    ::closedir(dir);
    const QString base = folders[size_t(index)].relative;
    for (const auto &[i, fd] : subfolders) {
        const int child = int(folders.size());
        entries[i].folder = child;
        folders.push_back({childPath(base, entries[i].name), {}});
        list(fd, child, depth + 1);
    }
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
        if (!notice.isEmpty())
            findings.append({Finding::Kind::DamagedFile, notice, path, {}, 0});
    } catch (const Error &e) {
        throw FolderUnreadable(e.message());
    }
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
        if (!notice.isEmpty())
            findings.append({Finding::Kind::DamagedFile, notice, path, {}, 0});
    } catch (const Error &e) {
        findings.append({Finding::Kind::DamagedFile, e.message(), path, {}, 0});
    }
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
    const QFileInfo info(path);
    if (!info.exists()) {
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
    try {
        ReadUserFile(dataDir);
    } catch (const Error &e) {
        findings.append({Finding::Kind::DamagedFile, e.message(), path, {}, 0});
        return;
    }
    if (info.size() % UserEntry::RecordSize != 0)
        findings.append({Finding::Kind::DamagedFile,
                         QStringLiteral("Fisierul utilizatorilor ini.mpg este deteriorat: are %1 "
                                        "octeti, care nu fac inregistrari intregi de %2.")
                             .arg(info.size())
                             .arg(UserEntry::RecordSize),
                         path,
                         {},
                         0});
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
    checkRecoding(dataDir, findings);

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
    for (const Finding &f : found.findings) {
        if (f.kind != Finding::Kind::CounterBehind)
            continue;
        try {
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
