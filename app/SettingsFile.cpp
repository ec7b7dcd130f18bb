#include "app/SettingsFile.h"

#include "platform/ReplacementFile.h"
#include "store/CodePage.h"
#include "store/Error.h"
#include "store/FileLock.h"
#include "store/FilePath.h"
#include "store/PlainFile.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <chrono>
#include <optional>

namespace dosarium {

namespace {

constexpr int kMaxValue = 2047;

const CodePage &codePage()
{
    return CodePage::windows1250();
}

struct IniLines {
    QList<QByteArray> lines; // without their line ends
    QList<QByteArray> ends;  // each line's own line end, empty for a last line without one
    QByteArray lineEnd;      // the line end of lines the program adds

    explicit IniLines(const QByteArray &content)
    {
        lineEnd = (content.isEmpty() || content.contains("\r\n")) ? QByteArrayLiteral("\r\n")
                                                                  : QByteArrayLiteral("\n");
        qsizetype start = 0;
        while (start < content.size()) {
            qsizetype nl = content.indexOf('\n', start);
            if (nl < 0) {
                lines.append(content.mid(start));
                ends.append(QByteArray());
                break;
            }
            const qsizetype stop = (nl > start && content.at(nl - 1) == '\r') ? nl - 1 : nl;
            lines.append(content.mid(start, stop - start));
            ends.append(content.mid(stop, nl + 1 - stop));
            start = nl + 1;
        }
    }

    void insert(qsizetype at, const QByteArray &line)
    {
        // A last line without a line end gets one before anything follows it.
        if (at > 0 && at == lines.size() && ends.last().isEmpty())
            ends.last() = lineEnd;
        lines.insert(at, line);
        ends.insert(at, lineEnd);
    }

    QByteArray joined() const
    {
        QByteArray out;
        for (qsizetype i = 0; i < lines.size(); ++i)
            out += lines.at(i) + ends.at(i);
        return out;
    }
};

// The name of a section line, or nothing for other lines.
std::optional<QString> sectionName(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    qsizetype end = t.indexOf(']');
    if (end < 0)
        end = t.size();
    return codePage().decode(t.mid(1, end - 1).trimmed());
}

// The position of "=" in a key line, or -1 for comments and other lines.
qsizetype keyEnd(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';'))
        return -1;
    return line.indexOf('=');
}

bool sameName(const QByteArray &stored, const QString &wanted)
{
    return codePage().decode(stored.trimmed()).compare(wanted.trimmed(), Qt::CaseInsensitive) == 0;
}

struct Place {
    qsizetype section = -1; // line of the section header
    qsizetype key = -1;     // line of the key within it
    qsizetype end = -1;     // one past the section's last non-blank line
};

Place find(const IniLines &ini, const QString &section, const QString &key)
{
    Place place;
    for (qsizetype i = 0; i < ini.lines.size(); ++i) {
        const QByteArray &line = ini.lines.at(i);
        if (const auto name = sectionName(line)) {
            if (place.section >= 0)
                break;
            if (name->compare(section.trimmed(), Qt::CaseInsensitive) == 0) {
                place.section = i;
                place.end = i + 1;
            }
            continue;
        }
        if (place.section < 0)
            continue;
        if (!line.trimmed().isEmpty())
            place.end = i + 1;
        const qsizetype eq = keyEnd(line);
        if (place.key < 0 && eq >= 0 && sameName(line.left(eq), key))
            place.key = i;
    }
    return place;
}

QByteArray encoded(const QString &text)
{
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        throw Error(QStringLiteral("Valoarea \"%1\" nu poate fi scrisa in fisierul de setari: "
                                   "cuprinde un sfarsit de rand.")
                        .arg(text));
    return codePage().encode(text);
}

// The lock beside the settings file, held for one change; the settings file itself is replaced
// by every write, so a lock on it would not hold.
class SettingsLock {
public:
    SettingsLock(const QString &dataDir, const QString &settingsPath)
    {
        const QString path = resolveFileName(joinPath(dataDir, QStringLiteral("Dsm.lck")));
        // Never through a link: a lock planted as one would create or lock a file elsewhere.
        m_fd = openPlainFile(path, FileAccess::ReadWrite, true);
        if (m_fd < 0 && (errno == ELOOP || errno == EINVAL || errno == EISDIR))
            throw Error(QStringLiteral("Fisierul de setari %1 nu poate fi schimbat: %2")
                            .arg(settingsPath, notPlainFileText(path, entryKind(path))));
        if (m_fd < 0)
            throw Error(QStringLiteral("Unable to write to %1").arg(settingsPath));
        try {
            if (!lockRange(m_fd, 0, 1, LockMode::Exclusive,
                           std::chrono::milliseconds(SettingsFile::kLockWaitMs), path))
                throw Error(QStringLiteral("Fisierul de setari %1 este folosit de alta statie; "
                                           "incercati din nou.")
                                .arg(settingsPath));
        } catch (...) {
            closeFile(m_fd);
            throw;
        }
    }
    SettingsLock(const SettingsLock &) = delete;
    SettingsLock &operator=(const SettingsLock &) = delete;
    ~SettingsLock()
    {
        unlockRange(m_fd, 0, 1);
        closeFile(m_fd);
    }

private:
    int m_fd = -1;
};

SettingsFile::ReadFunction readFunction = nullptr;

// A settings file is a few lines; anything far larger is not one.
constexpr qint64 kMaxFileBytes = 1 << 20;

// The bytes of the file, or nothing when there is no file of that name. Any other failure (no
// permission, an input/output error of a network folder, a read that ends early, a folder or a
// device in the file's place) throws Error naming the file.
std::optional<QByteArray> readContent(const QString &path)
{
    const auto failed = [&path](const QString &why) {
        return Error(QStringLiteral("Nu pot citi fisierul de setari %1: %2. Fisierul a ramas "
                                    "neschimbat.")
                         .arg(QDir::toNativeSeparators(path), why));
    };
    // Without blocking, so that a pipe in the file's place is refused instead of waited on.
    const int fd = openFile(path, FileAccess::Read, {.noFollow = true, .noBlock = true});
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw failed(systemErrorText(errno));
    }
    const struct Closer {
        int fd;
        ~Closer() { closeFile(fd); }
    } closer{fd};
    const std::optional<FileStatus> st = statusOf(fd);
    if (!st)
        throw failed(systemErrorText(errno));
    if (st->kind == EntryKind::Folder)
        throw failed(QStringLiteral("in locul lui este un folder"));
    if (st->kind != EntryKind::File)
        throw failed(QStringLiteral("nu este un fisier obisnuit"));
    if (st->size > kMaxFileBytes)
        throw failed(
            QStringLiteral("are %1 octeti, prea multi pentru un fisier de setari").arg(st->size));

    const auto readSome = [](int fd, void *into, std::size_t size) {
        return readFunction ? qint64(readFunction(fd, into, size))
                            : readFile(fd, into, qint64(size));
    };
    QByteArray content;
    char chunk[16384];
    for (;;) {
        const qint64 n = readSome(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw failed(systemErrorText(errno));
        if (n == 0)
            break;
        content.append(chunk, n);
        if (content.size() > kMaxFileBytes)
            throw failed(QStringLiteral("creste in timpul citirii"));
    }
    if (content.size() < st->size)
        throw failed(QStringLiteral("s-au putut citi doar %1 din cei %2 octeti ai sai")
                         .arg(content.size())
                         .arg(st->size));
    return content;
}

} // namespace

QString iniValue(const QByteArray &content, const QString &section, const QString &key)
{
    const IniLines ini(content);
    const Place place = find(ini, section, key);
    if (place.key < 0)
        return {};
    const QByteArray &line = ini.lines.at(place.key);
    QByteArray value = line.mid(keyEnd(line) + 1).trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return codePage().decode(value).left(kMaxValue);
}

QByteArray withIniValue(const QByteArray &content, const QString &section, const QString &key,
                        const QString &value)
{
    IniLines ini(content);
    const QByteArray valueBytes = encoded(value);
    const Place place = find(ini, section, key);
    if (place.key >= 0) {
        const QByteArray &line = ini.lines.at(place.key);
        ini.lines[place.key] = line.left(keyEnd(line)).trimmed() + '=' + valueBytes;
    } else if (place.section >= 0) {
        ini.insert(place.end, encoded(key) + '=' + valueBytes);
    } else {
        ini.insert(ini.lines.size(), '[' + encoded(section) + ']');
        ini.insert(ini.lines.size(), encoded(key) + '=' + valueBytes);
    }
    return ini.joined();
}

SettingsFile::SettingsFile(QString dataDir) : m_dataDir(std::move(dataDir)) {}

QString SettingsFile::path() const
{
    return resolveFileName(joinPath(m_dataDir, QStringLiteral("Dsm.in")));
}

QString SettingsFile::read(const QString &section, const QString &key) const
{
    try {
        return iniValue(readContent(path()).value_or(QByteArray()), section, key);
    } catch (const Error &) {
        return {};
    }
}

void SettingsFile::write(const QString &section, const QString &key, const QString &value)
{
    update(section, key, [&value](const QString &) { return value; });
}

QString SettingsFile::update(const QString &section, const QString &key,
                             const std::function<QString(const QString &value)> &next)
{
    const QString file = path();
    const QString shown = QDir::toNativeSeparators(file);
    SettingsLock lock(m_dataDir, shown);
    // Only a missing file counts as empty: one that cannot be read is never replaced by a file
    // holding the changed key alone.
    const QByteArray content = readContent(file).value_or(QByteArray());
    const QString old = iniValue(content, section, key);
    const QByteArray changed = withIniValue(content, section, key, next(old));
    try {
        ReplacementFile out(file);
        out.write(changed);
        out.commit();
    } catch (const ReplacementError &) {
        throw Error(QStringLiteral("Unable to write to %1").arg(shown));
    }
    return old;
}

void SettingsFile::setReadFunction(ReadFunction read)
{
    readFunction = read;
}

} // namespace dosarium
