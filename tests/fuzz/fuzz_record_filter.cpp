// The register's record filter from hostile pick-list texts: the filter text built from any
// texts must read back as exactly those conditions, so no text can change which rows it keeps;
// and any text at all read as a filter over the documents table's columns never crashes.
#include "register/RegisterFilter.h"
#include "store/Error.h"
#include "store/RecordFilter.h"
#include "store/TableLayout.h"

#include <cstdint>
#include <cstdlib>

using namespace dosarium;

namespace {

const TableLayout &acteLayout()
{
    static const TableLayout layout = newTableLayout({
        {QStringLiteral("IDACT"), FieldType::Numeric, 10, 0, 0},
        {QStringLiteral("ANUL"), FieldType::Numeric, 6, 0, 0},
        {QStringLiteral("DATAACT"), FieldType::Date, 8, 0, 0},
        {QStringLiteral("DOMENIUL"), FieldType::Character, 60, 0, 0},
        {QStringLiteral("SUBDOM"), FieldType::Character, 60, 0, 0},
        {QStringLiteral("TITLU"), FieldType::Character, 60, 0, 0},
        {QStringLiteral("SERIA"), FieldType::Character, 24, 0, 0},
        {QStringLiteral("NR"), FieldType::Character, 24, 0, 0},
        {QStringLiteral("LUNA"), FieldType::Numeric, 6, 0, 0},
    });
    return layout;
}

// The condition of `column` read back from the filter, or nothing.
const FilterCondition *find(const QVector<FilterCondition> &conditions, const char *column)
{
    for (const FilterCondition &c : conditions) {
        if (c.column == QLatin1String(column))
            return &c;
    }
    return nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    // Any text as a filter over the documents table: an error or a filter, never a crash.
    try {
        const RecordFilter filter(text, acteLayout(), QStringLiteral("Acte.dbf"));
        const QByteArray blank(acteLayout().recordLength, ' ');
        (void)filter.matches(blank.constData());
    } catch (const Error &) {
    }

    // The texts of the pick lists: the input cut at NUL characters; a list whose text is
    // missing stays at "indiferent".
    const QStringList parts = text.split(QChar(0));
    RegisterChoices choices;
    PickChoice *lists[] = {&choices.seria, &choices.nr, &choices.domeniul, &choices.subdom,
                           &choices.titlu};
    const char *columns[] = {"SERIA", "NR", "DOMENIUL", "SUBDOM", "TITLU"};
    for (int i = 0; i < 5 && i < parts.size(); ++i)
        *lists[i] = PickChoice{1, parts.at(i)};
    choices.luna = PickChoice{int(size % 13), QString()};
    const QString filterText = RegisterFilterText(choices);
    QVector<FilterCondition> read;
    try {
        read = parseRecordFilter(filterText);
    } catch (const Error &) {
        abort(); // the program's own filter must always read
    }
    for (int i = 0; i < 5 && i < parts.size(); ++i) {
        const FilterCondition *c = find(read, columns[i]);
        if (!c || c->value.kind != Literal::Kind::Text || c->value.text != parts.at(i))
            abort(); // a text changed what the filter keeps
    }
    if (read.size() != std::min<qsizetype>(5, parts.size()) + (size % 13 > 0 ? 1 : 0))
        abort();
    return 0;
}
