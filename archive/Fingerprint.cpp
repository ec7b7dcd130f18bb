#include "archive/Fingerprint.h"

#include "archive/KeyCursor.h"
#include "platform/Error.h"
#include "platform/FileHandles.h"
#include "platform/FileStatus.h"

#include <QDir>

#include <cerrno>
#include <optional>

namespace dosarium {

namespace {

constexpr qint64 kPiece = 256 * 1024;

[[noreturn]] void fail(const QString &path, int error)
{
    throw Error(QStringLiteral("Nu pot citi fisierul %1: %2.")
                    .arg(QDir::toNativeSeparators(path), systemErrorText(error)));
}

} // namespace

DocumentFingerprint fingerprintOfFile(const QString &path, const QByteArray &key, bool followLinks)
{
    const int fd = openFile(path, FileAccess::Read, {.noFollow = !followLinks, .noBlock = true});
    if (fd < 0)
        fail(path, errno);
    const struct Close {
        int fd;
        ~Close() { closeFile(fd); }
    } close{fd};
    const std::optional<FileStatus> info = statusOf(fd);
    if (!info)
        fail(path, errno);
    if (info->kind != EntryKind::File)
        fail(path, info->kind == EntryKind::Folder ? EISDIR : EINVAL);
    stopNonBlocking(fd);
    adviseSequentialRead(fd);
    KeyCursor cursor(key);
    Sha256 sha;
    QByteArray buffer(kPiece, Qt::Uninitialized);
    DocumentFingerprint print;
    print.modified = info->modified;
    for (;;) {
        const qint64 n = readFile(fd, buffer.data(), kPiece);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(path, errno);
        if (n == 0)
            break;
        cursor.code(buffer.data(), n);
        sha.add(buffer.constData(), n);
        print.size += n;
    }
    print.sha256 = sha.hex();
    return print;
}

bool isFingerprintText(const QByteArray &text)
{
    if (text.size() != 64)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

} // namespace dosarium
