// Feeds arbitrary bytes to the table-file header reader and reads every value of every record.
#include "store/Error.h"
#include "store/FieldCodec.h"
#include "store/TableLayout.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const dosarium::TableLayout layout =
            dosarium::parseTableHeader(bytes, bytes.size(), QStringLiteral("fuzz.dbf"));
        const quint32 count =
            std::min(layout.declaredCount, dosarium::recordsInFile(layout, bytes.size()));
        for (quint32 i = 0; i < count; ++i) {
            const char *rec =
                bytes.constData() + layout.headerLength + qsizetype(i) * layout.recordLength;
            for (const dosarium::Field &f : layout.fields)
                (void)dosarium::fieldText(layout, f, rec);
        }
    } catch (const dosarium::Error &) {
    }
    return 0;
}
