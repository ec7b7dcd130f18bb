// Feeds arbitrary text to the statement parser and the record-filter reader.
#include "store/Error.h"
#include "store/RecordFilter.h"
#include "store/Statement.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        (void)dosarium::parseStatement(text);
    } catch (const dosarium::Error &) {
    }
    try {
        (void)dosarium::parseRecordFilter(text);
    } catch (const dosarium::Error &) {
    }
    return 0;
}
