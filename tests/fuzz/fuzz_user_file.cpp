// The user file's readers on any bytes: sign-in, the archive key and the administrator's list
// read within the file's bounds, every record read writes back as the same entry, and the check
// that keeps a damaged file aside never crashes.
#include "access/Session.h"
#include "access/UserFile.h"
#include "app/DamagedFiles.h"
#include "store/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

using namespace dosarium;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QFile file(QDir(folder.path()).filePath(QStringLiteral("ini.mpg")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        abort();
    file.close();

    try {
        (void)ReadArchiveKey(folder.path());
        (void)SignIn(folder.path(), QStringLiteral("ADMIN"), QString());
        const QList<UserEntry> entries = ReadUserFile(folder.path());
        if (entries.size() != bytes.size() / UserEntry::RecordSize)
            abort();
        for (const UserEntry &entry : entries) {
            if (entry.Name.size() > UserEntry::TextSize ||
                entry.Password.size() > UserEntry::TextSize)
                abort();
            const QByteArray record = entry.toRecord();
            if (UserEntry::fromRecord(record.constData()) != entry)
                abort();
            (void)entry.nameText();
            (void)entry.passwordText();
        }
    } catch (const Error &) {
    }
    (void)userFileDamage(bytes);
    return 0;
}
