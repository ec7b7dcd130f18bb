// The consoles' row text written straight from the stored bytes must be the text the engine
// gives for every value, the odd ones included.
#include "tools/FieldTextUtf8.h"
#include "store/FieldCodec.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace dosarium;

namespace {

TableLayout sampleLayout()
{
    return newTableLayout({{QStringLiteral("T"), FieldType::Character, 12, 0, 0},
                           {QStringLiteral("N"), FieldType::Numeric, 10, 0, 0},
                           {QStringLiteral("M"), FieldType::Numeric, 8, 2, 0},
                           {QStringLiteral("D"), FieldType::Date, 8, 0, 0},
                           {QStringLiteral("L"), FieldType::Logical, 1, 0, 0}});
}

void expectSameText(const TableLayout &layout, const QByteArray &record)
{
    const FieldTextUtf8 text(layout);
    for (const Field &field : layout.fields) {
        QByteArray fast;
        text.append(fast, field, record.constData());
        ASSERT_EQ(fast, fieldText(layout, field, record.constData()).toUtf8())
            << field.name.toStdString() << " of "
            << record.mid(field.offset, field.length).toHex().toStdString();
    }
}

void put(const TableLayout &layout, QByteArray &record, int column, const QByteArray &bytes)
{
    const Field &f = layout.fields.at(column);
    record.replace(f.offset, f.length, bytes.leftJustified(f.length, ' ', true));
}

} // namespace

TEST(FieldTextUtf8, everyShapeOfStoredValue_readsAsTheEngineReadsIt)
{
    const TableLayout layout = sampleLayout();
    QByteArray record(layout.recordLength, ' ');
    // Every byte of the code page, and texts with leading blanks and trailing NULs.
    for (int b = 1; b < 256; b += 11) {
        QByteArray t;
        for (int i = 0; i < 11; ++i)
            t += char(b + i);
        put(layout, record, 0, t);
        expectSameText(layout, record);
    }
    put(layout, record, 0, QByteArray("  \xAA\xBA\xDE\xFE x\0\0", 10));
    expectSameText(layout, record);
    for (const char *n : {"17", "  -5", "007", "-0", "+3", "1.5", "1e3", "", "  ", "abc", "- 4",
                          "-", "123456789012345", "9999999999", "0"}) {
        put(layout, record, 1, QByteArray(n).rightJustified(10, ' '));
        put(layout, record, 2, QByteArray(n).left(8));
        expectSameText(layout, record);
    }
    for (const char *d : {"20240229", "20230229", "19000229", "20000229", "00000000", "        ",
                          "00050101", "99991231", "2024013x", "20241301", "20240100"}) {
        put(layout, record, 3, QByteArray(d));
        expectSameText(layout, record);
    }
    for (const char *l : {"T", "n", "?", " "}) {
        put(layout, record, 4, QByteArray(l));
        expectSameText(layout, record);
    }
}

TEST(FieldTextUtf8, randomRecords_readAsTheEngineReadsThem)
{
    const TableLayout layout = sampleLayout();
    QRandomGenerator rng(1250);
    const char digits[] = "0123456789 -.+";
    for (int i = 0; i < 20000; ++i) {
        QByteArray record(layout.recordLength, ' ');
        for (int c = 1; c < layout.recordLength; ++c)
            record[c] = i % 2 ? char(rng.bounded(256)) : digits[rng.bounded(14)];
        expectSameText(layout, record);
    }
}
