#include "archive/CodedCopy.h"

#include "archive/KeyCursor.h"
#include "archive/ProgressSink.h"
#include "platform/FileHandles.h"
#include "platform/FileModes.h"
#include "platform/FileStatus.h"
#include "platform/ReplacementFile.h"
#include "store/Error.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <optional>

namespace dosarium {

namespace {

// The blocks are read and written many at a time (about 128 KB): the disk takes small writes
// at half the speed, and a system call per 1000 bytes would cost more than the coding itself.
constexpr qint64 kCopyBlocksPerTransfer = 13;
constexpr qint64 kRecodeBlocksPerTransfer = 128;

// The cause of a failed file operation, as the user reads it.
QString causeOf(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("fisierul sau directorul nu exista");
    case EACCES:
    case EPERM:
        return QStringLiteral("acces interzis");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("discul este plin");
    case EROFS:
        return QStringLiteral("discul este protejat la scriere");
    case EFBIG:
        return QStringLiteral("fisierul este prea mare");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("fisierul este folosit de alt program");
    case EISDIR:
        return QStringLiteral("este un director");
    case ENOTDIR:
        return QStringLiteral("o parte a caii nu este director");
    case EIO:
        return QStringLiteral("eroare de citire sau scriere pe disc");
    case ENAMETOOLONG:
        return QStringLiteral("numele fisierului este prea lung");
    case ELOOP:
        return QStringLiteral("este o legatura simbolica, pe care programul nu o urmeaza");
    case EINVAL:
        return QStringLiteral("nu este un fisier obisnuit");
    default:
        return QStringLiteral("eroarea de sistem %1").arg(error);
    }
}

// A file opened for reading as raw bytes; closed when it goes out of scope.
class SourceFile {
public:
    // A pipe or a device is never waited on; an archived file (`followLinks` false) is never
    // read through a link.
    SourceFile(const QString &path, bool followLinks) : m_path(path)
    {
        m_fd = openFile(path, FileAccess::Read, {.noFollow = !followLinks, .noBlock = true});
        if (m_fd < 0)
            fail(QStringLiteral("deschide"), errno);
        const std::optional<FileStatus> info = statusOf(m_fd);
        if (!info)
            fail(QStringLiteral("citi"), errno);
        if (info->kind == EntryKind::Folder)
            fail(QStringLiteral("deschide"), EISDIR);
        if (info->kind != EntryKind::File)
            fail(QStringLiteral("deschide"), EINVAL);
        stopNonBlocking(m_fd);
        m_size = info->size;
        m_mode = info->permissions;
    }
    ~SourceFile()
    {
        if (m_fd >= 0)
            closeFile(m_fd);
    }
    SourceFile(const SourceFile &) = delete;
    SourceFile &operator=(const SourceFile &) = delete;

    qint64 size() const { return m_size; }
    unsigned mode() const { return m_mode; }

    // Fills `buffer` with up to `capacity` bytes; fewer only at the end of the file.
    qint64 read(char *buffer, qint64 capacity)
    {
        qint64 done = 0;
        while (done < capacity) {
            const qint64 n = readFile(m_fd, buffer + done, capacity - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                fail(QStringLiteral("citi"), errno);
            if (n == 0)
                break;
            done += n;
        }
        return done;
    }

private:
    [[noreturn]] void fail(const QString &what, int error)
    {
        throw Error(QStringLiteral("Nu pot %1 fisierul %2: %3.").arg(what, m_path, causeOf(error)));
    }

    QString m_path;
    int m_fd = -1;
    qint64 m_size = 0;
    unsigned m_mode = 0;
};

// The new file beside `target`; a missing folder is named as the cause.
void createBeside(std::optional<ReplacementFile> &file, const QString &target,
                  std::optional<unsigned> mode = std::nullopt)
{
    try {
        file.emplace(target, mode);
    } catch (const Error &) {
        const QString folder = QFileInfo(target).path();
        if (!QFileInfo(folder).isDir())
            throw Error(QStringLiteral("Nu pot crea fisierul %1: directorul %2 nu exista.")
                            .arg(target, folder));
        throw;
    }
}

} // namespace

void CopyCoded(const QString &source, const QString &destination, const QByteArray &key,
               ProgressSink &progress, bool ownerOnly)
{
    if (source == destination)
        return;
    FinishGuard guard(progress);
    KeyCursor cursor(key);
    SourceFile in(source, true);
    std::optional<ReplacementFile> out;
    createBeside(out, destination, ownerOnly ? std::optional<unsigned>(0600) : std::nullopt);
    progress.start(in.size() / kCopyBlock, QStringLiteral("Pregatesc fisierul..."));
    QByteArray buffer(kCopyBlock * kCopyBlocksPerTransfer, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        qint64 blocks = 0;
        for (qint64 at = 0; at < n; at += kCopyBlock, ++blocks)
            cursor.code(buffer.data() + at, std::min(kCopyBlock, n - at));
        out->write(buffer.constData(), n);
        while (blocks-- > 0)
            progress.step();
        if (n < buffer.size())
            break;
    }
    out->commit();
    guard.finish();
}

void RecodeFile(const QString &path, const QByteArray &oldKey, const QByteArray &newKey)
{
    KeyCursor oldCursor(oldKey);
    KeyCursor newCursor(newKey);
    SourceFile in(path, false);
    std::optional<ReplacementFile> out;
    createBeside(out, path);
    QByteArray buffer(kRecodeBlock * kRecodeBlocksPerTransfer, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        for (qint64 at = 0; at < n; at += kRecodeBlock) {
            const qint64 length = std::min(kRecodeBlock, n - at);
            oldCursor.code(buffer.data() + at, length);
            newCursor.code(buffer.data() + at, length);
        }
        out->write(buffer.constData(), n);
        if (n < buffer.size())
            break;
    }
    // The archived file keeps the permissions it had.
    if (!setPermissions(out->temporaryPath(), in.mode()))
        throw Error(QStringLiteral("Nu pot recoda fisierul %1: %2.").arg(path, causeOf(errno)));
    out->commit();
}

} // namespace dosarium
