// The settings file's reader and writer on any text: every value reads without a crash, a
// counter written reads back as written, a write leaves the other keys' values as they were,
// and the check that keeps a damaged file aside never crashes.
#include "app/DamagedFiles.h"
#include "app/SettingsFile.h"
#include "store/Error.h"

#include <cstdint>
#include <cstdlib>

using namespace dosarium;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString index = QStringLiteral("INDEX");
    const QString counter = QStringLiteral("IDACT");
    const QString server = iniValue(content, QStringLiteral("CONST"), QStringLiteral("SERVER"));
    const QString log = iniValue(content, index, QStringLiteral("IDLOG"));
    (void)iniValue(content, QStringLiteral(" index "), QStringLiteral("idact"));
    (void)settingsDamage(content);

    const QString written = QString::number(size * 7919 + 1);
    QByteArray changed;
    try {
        changed = withIniValue(content, index, counter, written);
    } catch (const Error &) {
        abort(); // a number can always be written
    }
    if (iniValue(changed, index, counter) != written)
        abort();
    if (iniValue(changed, QStringLiteral("CONST"), QStringLiteral("SERVER")) != server ||
        iniValue(changed, index, QStringLiteral("IDLOG")) != log)
        abort();
    return 0;
}
