#include "register/ActJournal.h"

#include "app/ActIds.h"
#include "app/ActsTable.h"
#include "app/AppContext.h"
#include "app/DamagedFiles.h"
#include "app/FingerprintsTable.h"
#include "app/Workspace.h"
#include "platform/FileLocks.h"
#include "platform/FileNames.h"
#include "platform/PlainFiles.h"
#include "platform/ReplacementFile.h"
#include "register/ActJournalCheck.h"
#include "register/ActStatements.h"
#include "store/Engine.h"
#include "store/Error.h"
#include "store/FieldCodec.h"
#include "store/FileLock.h"
#include "store/FilePath.h"
#include "store/PlainFile.h"
#include "store/Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QDateTime>

#include <algorithm>
#include <cstring>

namespace dosarium {

namespace {

// The journal is replaced by every write, so the lock that holds it is on a file beside it.
QString lockPathOf(const QString &journal)
{
    return journal + QStringLiteral(".lck");
}

const QByteArray kFirstLine = QByteArrayLiteral("DOSARIUM ACT JOURNAL 1");
const QByteArray kLastLine = QByteArrayLiteral("END");

QByteArray kindName(ActJournal::Kind kind)
{
    switch (kind) {
    case ActJournal::Kind::Add:
        return QByteArrayLiteral("ADD");
    case ActJournal::Kind::Modify:
        return QByteArrayLiteral("MODIFY");
    case ActJournal::Kind::Delete:
        return QByteArrayLiteral("DELETE");
    }
    return QByteArray();
}

bool fileThere(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

void removeFile(const QString &path)
{
    if (fileThere(path) && !QFile::remove(path))
        throw Error(QStringLiteral("Nu pot sterge fisierul %1 din arhiva.")
                        .arg(QDir::toNativeSeparators(path)));
}

// Renames over an existing file, as the archive's own replacements do.
void moveFile(const QString &from, const QString &to)
{
    if (!renameFile(from, to))
        throw Error(QStringLiteral("Nu pot muta fisierul %1 in %2: %3.")
                        .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to),
                             QString::fromLocal8Bit(strerror(errno))));
}

// The new files a stopped copy left beside `target`.
void removeUnfinishedCopies(const QString &target)
{
    if (target.isEmpty())
        return;
    const QFileInfo info(target);
    const QString prefix = QFileInfo(ReplacementFile::temporaryPrefix(target)).fileName();
    const QDir folder = info.dir();
    for (const QString &name : folder.entryList({prefix + QLatin1Char('*')}, QDir::Files))
        QFile::remove(folder.filePath(name));
}

using Row = ActsTable::Record;

// True when the row holds every value the modification writes: it ran (or changed nothing).
bool holdsUpdate(const Row &row, const QStringList &update)
{
    const Statement statement = parseStatement(update.join(QLatin1Char('\n')));
    QByteArray written = row.bytes;
    for (const Assignment &a : statement.assignments) {
        const int index = row.layout.fieldIndex(a.column);
        if (index < 0)
            return false;
        writeField(row.layout, row.layout.fields.at(index), written.data(), a.value);
    }
    return written == row.bytes;
}

// The act as the person knows it: number, date and title, from the journal or, for a journal
// of an older version that names only the id, from the act's row.
struct KnownAct {
    QString nr, titlu;
    QDate date;
    QString named(const QString &id) const
    {
        if (nr.isEmpty() && !date.isValid() && titlu.isEmpty())
            return QStringLiteral("cu numarul intern ") + id;
        return actNamed(nr, date, titlu);
    }
};

QString shortDate(const QDate &date)
{
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

KnownAct knownAct(const ActJournal::Entry &e, const std::optional<Row> &row)
{
    KnownAct act{e.nr, e.titlu, QDate::fromString(e.date, QStringLiteral("dd.MM.yyyy"))};
    if (e.nr.isEmpty() && e.date.isEmpty() && e.titlu.isEmpty() && row) {
        const auto field = [&](const QString &column) -> const Field * {
            const int index = row->layout.fieldIndex(column);
            return index < 0 ? nullptr : &row->layout.fields.at(index);
        };
        const char *record = row->bytes.constData();
        if (const Field *f = field(ActsTable::kNumber))
            act.nr = fieldText(row->layout, *f, record).trimmed();
        if (const Field *f = field(ActsTable::kTitle))
            act.titlu = fieldText(row->layout, *f, record).trimmed();
        if (const Field *f = field(ActsTable::kDate))
            act.date = fieldDate(*f, record);
    }
    if (act.date == zeroDate())
        act.date = QDate();
    return act;
}

// What bringing an interrupted operation to an end did, for the notice and the log.
struct Outcome {
    QString text;
    bool done = false; // brought to its end, not undone
};

Outcome finishAdd(const ActJournal::Entry &e, const std::optional<Row> &row)
{
    if (row)
        return {QStringLiteral("actul este in registru, cu fisierul lui."), true};
    removeFile(e.newFile);
    return {QStringLiteral("actul nu a fost adaugat."), false};
}

Outcome finishDelete(const ActJournal::Entry &e, const std::optional<Row> &row)
{
    if (row)
        return {QStringLiteral("actul a ramas in registru, cu fisierul lui."), false};
    removeFile(e.oldFile);
    return {QStringLiteral("actul a fost sters, impreuna cu fisierul lui."), true};
}

Outcome finishModify(const ActJournal::Entry &e, const std::optional<Row> &row)
{
    const bool moved = !e.oldFile.isEmpty() && !e.newFile.isEmpty() && e.oldFile != e.newFile;
    if (!row) {
        // Deleted meanwhile: none of its files stays.
        removeFile(e.stagedFile);
        removeFile(e.newFile);
        removeFile(e.oldFile);
        return {QStringLiteral("actul nu mai este in registru."), false};
    }
    if (holdsUpdate(*row, e.update)) {
        if (fileThere(e.stagedFile))
            moveFile(e.stagedFile, e.newFile);
        else if (moved && !e.newCopy && !fileThere(e.newFile) && fileThere(e.oldFile))
            moveFile(e.oldFile, e.newFile);
        if (moved)
            removeFile(e.oldFile);
        return {QStringLiteral("actul a fost modificat, iar fisierul lui adus la zi."), true};
    }
    removeFile(e.stagedFile);
    if (moved && e.newCopy)
        removeFile(e.newFile);
    else if (moved && !fileThere(e.oldFile) && fileThere(e.newFile))
        moveFile(e.newFile, e.oldFile);
    return {QStringLiteral("actul a ramas cum era."), false};
}

} // namespace

ActJournal::ActJournal(const AppContext &context)
    : m_path(joinPath(context.LocalDataDir, kFileName)), m_dataDirs{context.DataDir,
                                                                    context.LocalDataDir},
      m_workstation(context.WorkstationUser)
{}

ActJournal::~ActJournal()
{
    release();
}

bool ActJournal::hold(std::chrono::milliseconds wait)
{
    if (held())
        return true;
    // The journal itself is replaced by every write, so the lock is on a file of its own.
    const QString lockPath = lockPathOf(m_path);
    const int fd =
        openFile(lockPath, FileAccess::ReadWrite, {.create = true, .noFollow = true}, 0666);
    if (fd < 0)
        throw Error(QStringLiteral("Nu pot deschide fisierul %1: %2.")
                        .arg(QDir::toNativeSeparators(lockPath), systemErrorText(errno)));
    try {
        if (!lockRange(fd, 0, 1, LockMode::Exclusive, wait, lockPath)) {
            closeFile(fd);
            return false;
        }
    } catch (...) {
        closeFile(fd);
        throw;
    }
    m_lock = fd;
    return true;
}

bool ActJournal::isHeldElsewhere(const QString &dataDir)
{
    const int fd = openPlainFile(lockPathOf(joinPath(dataDir, kFileName)), FileAccess::Read);
    if (fd < 0)
        return false;
    const bool held = rangeLockedElsewhere(fd, 0, 1);
    closeFile(fd);
    return held;
}

void ActJournal::release()
{
    if (!held())
        return;
    unlockRange(m_lock, 0, 1);
    closeFile(m_lock);
    m_lock = -1;
}

bool ActJournal::exists() const
{
    return QFileInfo::exists(m_path);
}

QByteArray ActJournal::text(const Entry &entry)
{
    const auto line = [](const char *key, const QString &value) {
        return QByteArray(key) + '=' + value.toUtf8().toPercentEncoding() + '\n';
    };
    QByteArray out = kFirstLine + '\n';
    out += QByteArrayLiteral("OP=") + kindName(entry.kind) + '\n';
    out += line("DATA", entry.dataDir);
    out += line("ID", entry.id);
    out += line("OLD", entry.oldFile);
    out += line("NEW", entry.newFile);
    out += line("STAGED", entry.stagedFile);
    out += QByteArrayLiteral("COPY=") + (entry.newCopy ? '1' : '0') + '\n';
    for (const QString &u : entry.update)
        out += line("UPDATE", u);
    out += line("NR", entry.nr);
    out += line("DATE", entry.date);
    out += line("TITLU", entry.titlu);
    if (!entry.sha256.isEmpty())
        out += QByteArrayLiteral("SHA=") + entry.sha256 + QByteArrayLiteral("\nSIZE=") +
               QByteArray::number(entry.size) + '\n';
    return out + kLastLine + '\n';
}

std::optional<ActJournal::Entry> ActJournal::parse(const QByteArray &text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 3 || lines.first() != kFirstLine || !lines.contains(kLastLine))
        return std::nullopt;
    Entry entry;
    bool kindFound = false;
    for (const QByteArray &line : lines) {
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QByteArray raw = line.mid(eq + 1);
        const QString value = QString::fromUtf8(QByteArray::fromPercentEncoding(raw));
        if (key == "OP") {
            for (Kind k : {Kind::Add, Kind::Modify, Kind::Delete}) {
                if (raw == kindName(k)) {
                    entry.kind = k;
                    kindFound = true;
                }
            }
        } else if (key == "DATA") {
            entry.dataDir = value;
        } else if (key == "ID") {
            entry.id = value;
        } else if (key == "OLD") {
            entry.oldFile = value;
        } else if (key == "NEW") {
            entry.newFile = value;
        } else if (key == "STAGED") {
            entry.stagedFile = value;
        } else if (key == "COPY") {
            entry.newCopy = raw == "1";
        } else if (key == "UPDATE") {
            entry.update << value;
        } else if (key == "NR") {
            entry.nr = value;
        } else if (key == "DATE") {
            entry.date = value;
        } else if (key == "TITLU") {
            entry.titlu = value;
        } else if (key == "SHA") {
            entry.sha256 = isFingerprintText(raw) ? raw : QByteArray();
        } else if (key == "SIZE") {
            entry.size = std::max<qint64>(0, raw.toLongLong());
        }
    }
    if (!kindFound || entry.dataDir.isEmpty() || entry.id.isEmpty())
        return std::nullopt;
    return entry;
}

void ActJournal::begin(const Entry &entry)
{
    if (!hold(std::chrono::milliseconds(0)))
        throw Error(QStringLiteral("Jurnalul actelor %1 este folosit de alt exemplar al "
                                   "programului, pornit pe acest calculator; incercati din nou.")
                        .arg(QDir::toNativeSeparators(m_path)));
    ReplacementFile file(m_path);
    file.write(text(entry));
    file.commit();
}

void ActJournal::end()
{
    QFile::remove(m_path);
}

QString ActJournal::finishPending()
{
    m_logText.clear();
    const EntryKind kind = entryKind(m_path);
    if (kind == EntryKind::Missing)
        return QString();
    if (kind != EntryKind::File)
        return setJournalAside(m_path, QStringLiteral("nu este un fisier obisnuit"));
    // Held by another running copy: its operation is under way, not interrupted.
    const bool heldBefore = held();
    if (!hold(std::chrono::milliseconds(0)))
        return QString();
    const struct Release {
        ActJournal *journal;
        bool keep;
        ~Release()
        {
            if (!keep)
                journal->release();
        }
    } letGo{this, heldBefore};
    const std::optional<Entry> read = readPending();
    if (!read)
        return QString();
    const Entry &e = *read;
    if (const QString problem = ActJournalProblem(e, m_dataDirs); !problem.isEmpty())
        return setJournalAside(m_path, problem);
    if (!fileExistsAnyCase(ActsTable::path(e.dataDir)))
        return QString(); // the server folder is out of reach: next time

    const std::optional<Row> row = ActsTable::findRecord(e.dataDir, e.id);
    for (const QString &target : {e.newFile, e.stagedFile})
        removeUnfinishedCopies(target);
    Outcome outcome;
    switch (e.kind) {
    case Kind::Add:
        outcome = finishAdd(e, row);
        break;
    case Kind::Delete:
        outcome = finishDelete(e, row);
        break;
    case Kind::Modify:
        outcome = finishModify(e, row);
        break;
    }
    settleFingerprint(e, row.has_value(), outcome.done);
    end();
    return reportFinished(e, row, outcome.text, outcome.done);
}

void ActJournal::settleFingerprint(const Entry &e, bool rowThere, bool done) const
{
    const std::optional<qint64> id = actIdNumber(e.id);
    if (!id)
        return;
    const bool stored = e.kind == Kind::Add || (e.kind == Kind::Modify && rowThere);
    // A fingerprints table that cannot be written never keeps the operation from its end: the
    // act then has no fingerprint, or one whose document the archive check sees written since.
    try {
        if (stored && done && !e.sha256.isEmpty() && fileThere(e.newFile))
            FingerprintsTable::replace(e.dataDir, *id, {e.sha256, e.size, 0}, e.newFile,
                                       QDateTime::currentDateTime(), m_workstation);
        else if ((stored && done && !e.sha256.isEmpty()) || (e.kind == Kind::Add && !done) ||
                 (e.kind == Kind::Delete && done) || (e.kind == Kind::Modify && !stored))
            FingerprintsTable::remove(e.dataDir, *id);
    } catch (const Error &) {
    }
}

std::optional<ActJournal::Entry> ActJournal::readPending()
{
    std::optional<QByteArray> bytes;
    try {
        bytes = readPlainFile(m_path);
    } catch (const Error &) {
        return std::nullopt; // unreadable now: it stays for the next start
    }
    if (!bytes)
        return std::nullopt;
    std::optional<Entry> read = parse(*bytes);
    if (!read)
        end(); // cut short while it was written: nothing of the operation had begun
    return read;
}

QString ActJournal::reportFinished(const Entry &e, const std::optional<ActsTable::Record> &row,
                                   const QString &outcome, bool done)
{
    const KnownAct known = knownAct(e, row);
    static const QStringList logNames = {QStringLiteral("Adaugare Act "),
                                         QStringLiteral("Modificare Act "),
                                         QStringLiteral("Stergere Act ")};
    if (QDir::cleanPath(e.dataDir) == QDir::cleanPath(m_dataDirs.constFirst()))
        m_logText = logNames.at(int(e.kind)) + known.nr + QLatin1Char('/') +
                    (known.date.isValid() ? shortDate(known.date) : QString()) +
                    (done ? QStringLiteral(" terminata la repornire")
                          : QStringLiteral(" anulata la repornire"));
    static const QStringList names = {QStringLiteral("Adaugarea"), QStringLiteral("Modificarea"),
                                      QStringLiteral("Stergerea")};
    return QStringLiteral("%1 actului %2 a fost intrerupta la ultima oprire a programului; %3")
        .arg(names.at(int(e.kind)), known.named(e.id), outcome);
}

void finishInterruptedActOperation(Workspace &workspace)
{
    ActJournal journal(workspace.context());
    const QString notice = journal.finishPending();
    if (!journal.logText().isEmpty())
        workspace.WriteLog(journal.logText());
    if (!notice.isEmpty())
        workspace.showNotice(notice);
}

} // namespace dosarium
