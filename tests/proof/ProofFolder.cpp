#include "ProofFolder.h"

#include "DbfBytes.h"
#include "store/Error.h"
#include "store/Query.h"
#include "store/Statement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <cstring>

namespace dosarium::proof {

namespace {

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file of the folder whose name matches without regard to letter case.
QString findFile(const QString &dataDir, const QString &name)
{
    const QStringList names = QDir(dataDir).entryList(QDir::Files);
    for (const QString &n : names) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return QDir(dataDir).filePath(n);
    }
    return QString();
}

qint64 number(const DbfBytes &t, int record, const QByteArray &column, bool *ok)
{
    return t.value(record, column).value_or(QByteArray()).toLongLong(ok);
}

// Lines of the settings file: every one blank, a comment, a section or a key; the counters.
void checkSettings(const QString &dataDir, FolderState &state)
{
    const QString path = findFile(dataDir, QStringLiteral("Dsm.in"));
    if (path.isEmpty())
        return;
    const QByteArray bytes = readFile(path);
    if (bytes.contains('\0'))
        state.problems << QStringLiteral("Dsm.in holds a NUL byte");
    QByteArray section;
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2).toUpper();
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) {
            state.problems << QStringLiteral("Dsm.in line \"%1\"").arg(QString::fromLatin1(line));
            continue;
        }
        const QByteArray key = line.left(eq).trimmed().toUpper();
        if (section != "INDEX" || (key != "IDACT" && key != "IDLOG"))
            continue;
        bool ok = false;
        const qint64 value = line.mid(eq + 1).trimmed().toLongLong(&ok);
        if (!ok)
            state.problems
                << QStringLiteral("Dsm.in counter \"%1\"").arg(QString::fromLatin1(line));
        (key == "IDACT" ? state.nextAct : state.nextLog) = value;
    }
}

void checkUsers(const QString &dataDir, FolderState &state)
{
    const QString path = findFile(dataDir, QStringLiteral("ini.mpg"));
    if (path.isEmpty())
        return;
    const QByteArray bytes = readFile(path);
    if (bytes.isEmpty() || bytes.size() % 67 != 0) {
        state.problems << QStringLiteral("ini.mpg of %1 bytes").arg(bytes.size());
        return;
    }
    bool keyFound = false;
    for (qsizetype at = 0; at < bytes.size(); at += 67) {
        const int nameLength = quint8(bytes[at]);
        const int passwordLength = quint8(bytes[at + 33]);
        if (nameLength > 32 || passwordLength > 32 || quint8(bytes[at + 66]) > 2)
            state.problems << QStringLiteral("ini.mpg entry at %1").arg(at);
        if (!keyFound && nameLength == 5 && bytes.mid(at + 1, 5) == "ADMIN") {
            state.key = bytes.mid(at + 34, std::min(passwordLength, 32));
            keyFound = true;
        }
    }
}

void readActs(const QString &dataDir, FolderState &state)
{
    const QString path = findFile(dataDir, QStringLiteral("Acte.dbf"));
    const DbfBytes t = DbfBytes::read(path);
    if (!t.problem().isEmpty()) {
        state.problems << QStringLiteral("Acte.dbf: ") + t.problem();
        return;
    }
    for (int r = 0; r < t.size(); ++r) {
        if (t.isDeleted(r))
            continue;
        bool okId = false, okYear = false;
        ActRow row;
        row.id = number(t, r, "IDACT", &okId);
        row.year = number(t, r, "ANUL", &okYear);
        const QByteArray date = t.value(r, "DATAACT").value_or(QByteArray());
        row.date = QString::fromLatin1(date);
        row.domeniul = t.text(r, "DOMENIUL");
        row.subdom = t.text(r, "SUBDOM");
        row.titlu = t.text(r, "TITLU");
        row.seria = t.text(r, "SERIA");
        row.nr = t.text(r, "NR");
        row.cod = t.text(r, "COD");
        row.obs = t.text(r, "OBS");
        row.extensie = t.text(r, "EXTENSIE");
        bool okMonth = false;
        const bool okLuna = number(t, r, "LUNA", &okMonth) == date.mid(4, 2).toInt() && okMonth;
        if (!okId || !okYear || !okLuna || date.size() != 8 ||
            date.left(4).toLongLong() != row.year)
            state.problems << QStringLiteral("Acte.dbf record %1 is not a whole act").arg(r);
        if (state.acts.contains(row.id))
            state.problems << QStringLiteral("IDACT %1 held by two rows").arg(row.id);
        state.acts.insert(row.id, row);
    }
}

void readLog(const QString &dataDir, FolderState &state)
{
    const DbfBytes t = DbfBytes::read(findFile(dataDir, QStringLiteral("Log.dbf")));
    if (!t.problem().isEmpty()) {
        state.problems << QStringLiteral("Log.dbf: ") + t.problem();
        return;
    }
    for (int r = 0; r < t.size(); ++r) {
        if (t.isDeleted(r))
            continue;
        bool ok = false;
        const qint64 id = number(t, r, "IDLOG", &ok);
        if (!ok)
            state.problems << QStringLiteral("Log.dbf record %1 without its IDLOG").arg(r);
        else if (state.logIds.contains(id))
            state.problems << QStringLiteral("IDLOG %1 held by two rows").arg(id);
        state.logIds.insert(id);
        state.logActions << t.text(r, "ACTIUNE");
    }
}

// The engine must read the same acts.
void crossCheckWithEngine(const QString &dataDir, FolderState &state)
{
    try {
        Query q;
        q.appendSql(QStringLiteral("SELECT * FROM ") +
                    quoteText(findFile(dataDir, QStringLiteral("Acte.dbf"))));
        q.open();
        QSet<qint64> seen;
        for (q.first(); !q.eof(); q.next()) {
            const qint64 id = q.asInteger(QStringLiteral("IDACT"));
            seen.insert(id);
            const auto it = state.acts.constFind(id);
            if (it == state.acts.constEnd() || it->obs != q.asString(QStringLiteral("OBS")) ||
                it->domeniul != q.asString(QStringLiteral("DOMENIUL")))
                state.problems << QStringLiteral("the engine reads act %1 otherwise").arg(id);
        }
        if (seen.size() != state.acts.size())
            state.problems << QStringLiteral("the engine reads %1 acts, the bytes hold %2")
                                  .arg(seen.size())
                                  .arg(state.acts.size());
    } catch (const Error &e) {
        state.problems << QStringLiteral("the engine cannot read Acte.dbf: ") + e.message();
    }
}

void walkArchive(const QString &dataDir, FolderState &state)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    const QDir root(dataDir);
    QDirIterator it(dataDir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = root.relativeFilePath(path);
        if (!relative.contains(QLatin1Char('/')))
            continue; // the tables and files of the data folder itself
        const QString name = it.fileName();
        if (name.contains(QStringLiteral(".~dsm-"))) {
            ++state.leftovers;
            continue;
        }
        if (relative.count(QLatin1Char('/')) != 3 || !digits.match(name).hasMatch()) {
            state.problems << QStringLiteral("stray file in the archive: ") + relative;
            continue;
        }
        const qint64 id = name.toLongLong();
        if (state.archive.contains(id))
            state.problems << QStringLiteral("act %1 has two files: %2 and %3")
                                  .arg(id)
                                  .arg(state.archive.value(id), relative);
        state.archive.insert(id, relative);
    }
}

} // namespace

QByteArray sourceBytes(quint64 seed, qint64 size)
{
    QByteArray out(size, Qt::Uninitialized);
    quint64 x = seed * 0x9E3779B97F4A7C15ull + 1;
    for (qint64 i = 0; i < size; i += 8) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        memcpy(out.data() + i, &x, size_t(std::min<qint64>(8, size - i)));
    }
    return out;
}

QString sourceTag(quint64 seed, qint64 size)
{
    return QStringLiteral("SRC %1 %2").arg(seed).arg(size);
}

std::optional<SourceTag> parseSourceTag(const QString &obs)
{
    static const QRegularExpression tag(QStringLiteral("^SRC ([0-9]+) ([0-9]+)"));
    const QRegularExpressionMatch m = tag.match(obs);
    if (!m.hasMatch())
        return std::nullopt;
    return SourceTag{m.captured(1).toULongLong(), m.captured(2).toLongLong()};
}

QString archiveRelativePath(const ActRow &row)
{
    return QStringLiteral("%1/%2/%3/%4").arg(row.year).arg(row.domeniul, row.subdom).arg(row.id);
}

QByteArray xorWithKey(QByteArray bytes, const QByteArray &key)
{
    if (key.isEmpty())
        return bytes;
    char *p = bytes.data();
    const qsizetype n = bytes.size();
    for (qsizetype k = 0; k < key.size(); ++k) {
        const char c = key[k];
        for (qsizetype i = k; i < n; i += key.size())
            p[i] = char(p[i] ^ c);
    }
    return bytes;
}

// Every fingerprint the right one: a live act's, of the scan its observation names; one per act.
void checkFingerprints(const QString &dataDir, FolderState &state)
{
    const QString path = findFile(dataDir, QStringLiteral("Amprente.dbf"));
    if (!QFile::exists(path))
        return;
    const DbfBytes t = DbfBytes::read(path);
    if (!t.problem().isEmpty()) {
        state.problems << QStringLiteral("Amprente.dbf: ") + t.problem();
        return;
    }
    QSet<qint64> seen;
    for (int r = 0; r < t.size(); ++r) {
        if (t.isDeleted(r))
            continue;
        bool okId = false, okSize = false;
        const qint64 id = number(t, r, "IDACT", &okId);
        const qint64 size = number(t, r, "MARIME", &okSize);
        if (!okId || !okSize || seen.contains(id) || !state.acts.contains(id)) {
            state.problems << QStringLiteral("fingerprint record %1 (act %2) is not the one "
                                             "fingerprint of a live act")
                                  .arg(r)
                                  .arg(id);
            continue;
        }
        seen.insert(id);
        const std::optional<SourceTag> tag = parseSourceTag(state.acts.value(id).obs);
        if (!tag)
            continue;
        const QByteArray sha =
            QCryptographicHash::hash(sourceBytes(tag->seed, tag->size), QCryptographicHash::Sha256)
                .toHex();
        if (t.value(r, "SHA256").value_or(QByteArray()) != sha || size != tag->size)
            state.problems << QStringLiteral("the fingerprint of act %1 is not its scan's").arg(id);
    }
}

FolderState inspectFolder(const QString &dataDir)
{
    FolderState state;
    checkSettings(dataDir, state);
    checkUsers(dataDir, state);
    readActs(dataDir, state);
    readLog(dataDir, state);
    crossCheckWithEngine(dataDir, state);
    walkArchive(dataDir, state);
    checkFingerprints(dataDir, state);

    qint64 highestAct = 0;
    for (const ActRow &row : std::as_const(state.acts)) {
        highestAct = std::max(highestAct, row.id);
        const QString expected = archiveRelativePath(row);
        if (state.archive.value(row.id) != expected) {
            state.problems << QStringLiteral("act %1 should have its file at %2, found \"%3\"")
                                  .arg(row.id)
                                  .arg(expected, state.archive.value(row.id));
            continue;
        }
        const std::optional<SourceTag> tag = parseSourceTag(row.obs);
        if (!tag)
            continue; // an act the workstations did not write
        const QByteArray stored = readFile(QDir(dataDir).filePath(expected));
        if (xorWithKey(stored, state.key) != sourceBytes(tag->seed, tag->size))
            state.problems
                << QStringLiteral("the file of act %1 does not decode to its scan").arg(row.id);
    }
    for (auto it = state.archive.cbegin(); it != state.archive.cend(); ++it) {
        if (!state.acts.contains(it.key()))
            state.problems << QStringLiteral("archived file without its act: ") + it.value();
    }
    if (!state.acts.isEmpty() && state.nextAct <= highestAct)
        state.problems << QStringLiteral("IDACT counter %1, but act %2 exists")
                              .arg(state.nextAct)
                              .arg(highestAct);
    qint64 highestLog = 0;
    for (qint64 id : std::as_const(state.logIds))
        highestLog = std::max(highestLog, id);
    if (!state.logIds.isEmpty() && state.nextLog <= highestLog)
        state.problems << QStringLiteral("IDLOG counter %1, but entry %2 exists")
                              .arg(state.nextLog)
                              .arg(highestLog);
    return state;
}

QByteArray userFileBytes(const QList<std::tuple<QByteArray, QByteArray, int>> &entries)
{
    QByteArray bytes;
    for (const auto &[name, password, rank] : entries) {
        QByteArray record(67, '\0');
        record[0] = char(name.size());
        record.replace(1, name.size(), name);
        record[33] = char(password.size());
        record.replace(34, password.size(), password);
        record[66] = char(rank);
        bytes += record;
    }
    return bytes;
}

} // namespace dosarium::proof
