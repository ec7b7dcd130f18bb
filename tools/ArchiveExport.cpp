#include "tools/ArchiveExport.h"

#include "access/ArchiveRecoding.h"
#include "archive/ArchivePath.h"
#include "archive/FolderName.h"
#include "archive/KeyCursor.h"
#include "store/FieldCodec.h"
#include "store/FilePath.h"
#include "store/TableFile.h"
#include "tools/ArchiveCheck.h"
#include "tools/CsvWriter.h"
#include "tools/FieldTextUtf8.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <openssl/evp.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace dosarium {

namespace {

// Documents are read, decoded, hashed and written in pieces of this size.
constexpr qsizetype kPieceBytes = 1 << 20;

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

// A finished SHA-256 as 64 lowercase hexadecimal digits.
class Sha256 {
public:
    Sha256() : m_context(EVP_MD_CTX_new())
    {
        if (!m_context || EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr) != 1)
            throw Error(QStringLiteral("Nu pot calcula amprenta SHA-256."));
    }
    ~Sha256() { EVP_MD_CTX_free(m_context); }
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;
    void add(const char *data, qsizetype size) { EVP_DigestUpdate(m_context, data, size_t(size)); }
    QByteArray hex()
    {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        EVP_DigestFinal_ex(m_context, digest, &size);
        return QByteArray(reinterpret_cast<const char *>(digest), int(size)).toHex();
    }

private:
    EVP_MD_CTX *m_context;
};

struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
};

// One act of the register and what the export does with it.
struct PlannedAct {
    quint32 record = 0; // its record in the snapshot
    qint64 id = 0;
    qint64 year = 0;
    QString domain, subdomain, extension;
    QString source;      // the archived file; empty when none can be named
    QString archivePath; // the same from the data folder, with "/"
    qint64 size = 0;
    QString target; // from the destination, with "/"; empty when missing
    QByteArray sha256;
    QString missing; // why the document is missing
};

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

std::optional<qint64> wholeNumber(const Field &field, const char *record)
{
    const std::optional<double> n = fieldNumber(field, record);
    if (!n || !std::isfinite(*n) || std::fabs(*n) > 9.0e15)
        return std::nullopt;
    return qint64(std::llround(*n));
}

TableSnapshot readTable(const QString &path)
{
    auto table = TableFile::open(path, TableFile::Mode::Shared);
    return table->readSnapshot();
}

QString causeText(int error)
{
    return systemErrorText(error);
}

// Opens the archived file of `act`; -1 (and act.missing set) when it cannot be read.
int openDocument(PlannedAct &act, struct stat &info)
{
    const int fd = ::open(QFile::encodeName(act.source).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        act.missing = errno == ENOENT ? QStringLiteral("fisierul lipseste")
                                      : QStringLiteral("nu pot citi fisierul: ") + causeText(errno);
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        act.missing = QStringLiteral("in locul fisierului este altceva decat un fisier");
        return -1;
    }
    return fd;
}

// Decodes the open archived file of `act` into `destination`/`act.target`, hashing the plain
// bytes. Returns false (and sets act.missing) when the archived file cannot be read; throws
// Error when the destination cannot be written.
bool copyDocument(PlannedAct &act, const Descriptor &in, const struct stat &info,
                  const QString &destination, const QByteArray &key, QByteArray &buffer,
                  ExportProgress *progress, qint64 &written)
{
    ::posix_fadvise(in.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const QString targetPath = destination + QLatin1Char('/') + act.target;
    const QByteArray targetName = QFile::encodeName(targetPath);
    Descriptor out(::open(targetName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.fd < 0)
        throw Error(QStringLiteral("Nu pot crea fisierul %1: %2.")
                        .arg(native(targetPath), causeText(errno)));
    KeyCursor cursor(key);
    Sha256 hash;
    qint64 total = 0;
    for (;;) {
        const ssize_t n = ::read(in.fd, buffer.data(), size_t(buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            act.missing = QStringLiteral("nu pot citi fisierul: ") + causeText(errno);
            ::unlink(targetName.constData());
            return false;
        }
        if (n == 0)
            break;
        cursor.code(buffer.data(), n);
        hash.add(buffer.constData(), n);
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out.fd, buffer.constData() + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                throw Error(QStringLiteral("Nu pot scrie fisierul %1: %2.")
                                .arg(native(targetPath), causeText(w < 0 ? errno : ENOSPC)));
            done += w;
        }
        total += n;
        if (progress)
            progress->advance(n);
    }
    // The document keeps the date it was archived on.
    const timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
    ::futimens(out.fd, times);
    if (::close(std::exchange(out.fd, -1)) != 0)
        throw Error(QStringLiteral("Nu pot scrie fisierul %1: %2.")
                        .arg(native(targetPath), causeText(errno)));
    act.sha256 = hash.hex();
    written += total;
    return true;
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
    if (!QFileInfo(dataDir).isDir())
        throw FolderUnreadable(
            QStringLiteral("Dosarul %1 nu exista sau nu este un dosar.").arg(native(dataDir)));
    const QString actePath = resolveFileName(joinPath(dataDir, QStringLiteral("Acte.dbf")));
    if (!QFileInfo(actePath).isFile())
        throw FolderUnreadable(QStringLiteral("Dosarul %1 nu are tabelul Acte.dbf: nu este un "
                                              "dosar de date al programului.")
                                   .arg(native(dataDir)));
    if (QFileInfo::exists(ArchiveRecoding::journalPath(dataDir)))
        throw ExportRefused(QStringLiteral("Recodarea arhivei din %1 nu este incheiata, iar unele "
                                           "documente pot fi codate cu parola veche. Rulati intai "
                                           "\"dosarium-arhiva verifica --repara\" (sau porniti "
                                           "programul), apoi exportati.")
                                .arg(native(dataDir)));
    TableSnapshot acte;
    try {
        acte = readTable(actePath);
    } catch (const Error &e) {
        throw FolderUnreadable(e.message());
    }
    const QByteArray key = readArchiveKeyOnly(dataDir);
    prepareDestination(dataDir, destination);

    const TableLayout &layout = acte.layout;
    const QString tableName = QFileInfo(actePath).fileName();
    const Field &idact = layout.fields.at(layout.requireField(QStringLiteral("IDACT"), tableName));
    const Field &anul = layout.fields.at(layout.requireField(QStringLiteral("ANUL"), tableName));
    const Field &domeniul =
        layout.fields.at(layout.requireField(QStringLiteral("DOMENIUL"), tableName));
    const Field &subdom =
        layout.fields.at(layout.requireField(QStringLiteral("SUBDOM"), tableName));
    const int extensie = layout.fieldIndex(QStringLiteral("EXTENSIE"));
    const int titlu = layout.fieldIndex(QStringLiteral("TITLU"));

    // The acts in the order of their ids, rows of one id in the table's order.
    std::vector<PlannedAct> acts;
    for (quint32 r = 0; r < acte.count; ++r) {
        const char *record = acte.records.constData() + qsizetype(r) * layout.recordLength;
        if (record[0] == '*')
            continue;
        PlannedAct act;
        act.record = r;
        const std::optional<qint64> id = wholeNumber(idact, record);
        act.id = id.value_or(-1);
        act.year = wholeNumber(anul, record).value_or(0);
        act.domain = fieldText(layout, domeniul, record);
        act.subdomain = fieldText(layout, subdom, record);
        if (extensie >= 0)
            act.extension = fieldText(layout, layout.fields.at(extensie), record);
        acts.push_back(std::move(act));
    }
    std::stable_sort(acts.begin(), acts.end(),
                     [](const PlannedAct &a, const PlannedAct &b) { return a.id < b.id; });

    ExportResult result;
    result.acts = int(acts.size());
    TargetNames names;
    qint64 totalBytes = 0;
    int documents = 0;
    const QDir base(dataDir);
    for (PlannedAct &act : acts) {
        try {
            act.source = ArchivePath(dataDir, act.year, act.domain, act.subdomain, act.id);
            act.archivePath = base.relativeFilePath(act.source);
        } catch (const Error &) {
            act.archivePath = QStringLiteral("%1/%2/%3/%4")
                                  .arg(act.year)
                                  .arg(act.domain, act.subdomain)
                                  .arg(act.id);
            act.missing = act.id < 0 || act.year < 0
                              ? QStringLiteral("actul nu are un IDACT sau un an bun")
                              : QStringLiteral("domeniul sau subdomeniul nu poate numi un "
                                               "director al arhivei");
            continue;
        }
        struct stat info {};
        if (::stat(QFile::encodeName(act.source).constData(), &info) == 0 &&
            S_ISREG(info.st_mode)) {
            act.size = info.st_size;
            totalBytes += info.st_size;
            ++documents;
        }
    }

    if (progress)
        progress->begin(totalBytes, documents);
    QByteArray buffer(kPieceBytes, Qt::Uninitialized);
    QSet<QString> madeFolders;
    for (PlannedAct &act : acts) {
        if (!act.missing.isEmpty())
            continue;
        struct stat info {};
        const Descriptor in(openDocument(act, info));
        if (in.fd < 0)
            continue;
        const QString folder = names.folder({QString::number(act.year), act.domain, act.subdomain});
        if (!madeFolders.contains(folder)) {
            if (!QDir().mkpath(destination + QLatin1Char('/') + folder))
                throw Error(QStringLiteral("Nu pot crea dosarul %1.")
                                .arg(native(destination + QLatin1Char('/') + folder)));
            madeFolders.insert(folder);
        }
        act.target = names.file(folder, act.id, act.extension);
        if (copyDocument(act, in, info, destination, key, buffer, progress, result.bytes)) {
            ++result.documents;
        } else {
            act.target.clear();
        }
        if (progress)
            progress->documentDone();
    }
    if (progress)
        progress->end();

    // The register, with each act's exported document and its fingerprint.
    std::vector<quint32> records;
    records.reserve(acts.size());
    QHash<quint32, const PlannedAct *> byRecord;
    for (const PlannedAct &act : acts) {
        records.push_back(act.record);
        byRecord.insert(act.record, &act);
    }
    {
        CsvWriter csv(destination + QStringLiteral("/acte.csv"), options.separator);
        for (const Field &field : layout.fields)
            csv.field(field.name);
        csv.field(QStringLiteral("FISIER"));
        csv.field(QStringLiteral("SHA256"));
        csv.endRow();
        writeRows(csv, acte, records, [&](quint32 r) {
            const PlannedAct *act = byRecord.value(r);
            csv.field(act->target);
            csv.field(QByteArrayView(act->sha256));
        });
        csv.close();
    }

    // The acts whose document could not be exported.
    {
        CsvWriter csv(destination + QStringLiteral("/lipsa.csv"), options.separator);
        for (const char *title :
             {"IDACT", "ANUL", "DOMENIUL", "SUBDOM", "TITLU", "FISIER_ARHIVA", "MOTIV"})
            csv.field(QString::fromLatin1(title));
        csv.endRow();
        for (const PlannedAct &act : acts) {
            if (act.missing.isEmpty())
                continue; // exported
            const char *record =
                acte.records.constData() + qsizetype(act.record) * layout.recordLength;
            csv.field(fieldText(layout, idact, record));
            csv.field(QString::number(act.year));
            csv.field(act.domain);
            csv.field(act.subdomain);
            csv.field(titlu >= 0 ? fieldText(layout, layout.fields.at(titlu), record) : QString());
            csv.field(act.archivePath);
            csv.field(act.missing);
            csv.endRow();
            result.missing.append({act.id, act.archivePath, act.missing});
        }
        csv.close();
    }

    // The activity log, in the order it was written.
    const QString logPath = resolveFileName(joinPath(dataDir, QStringLiteral("Log.dbf")));
    if (!QFileInfo(logPath).isFile()) {
        result.logProblem = QStringLiteral("Tabelul Log.dbf lipseste: jurnal.csv nu a fost "
                                           "scris.");
        return result;
    }
    TableSnapshot log;
    try {
        log = readTable(logPath);
    } catch (const Error &e) {
        result.logProblem = e.message() + QStringLiteral(" jurnal.csv nu a fost scris.");
        return result;
    }
    {
        std::vector<quint32> live;
        for (quint32 r = 0; r < log.count; ++r) {
            if (log.records.at(qsizetype(r) * log.layout.recordLength) != '*')
                live.push_back(r);
        }
        CsvWriter csv(destination + QStringLiteral("/jurnal.csv"), options.separator);
        for (const Field &field : log.layout.fields)
            csv.field(field.name);
        csv.endRow();
        writeRows(csv, log, live);
        csv.close();
        result.logEntries = int(live.size());
    }
    return result;
}

} // namespace dosarium
