// The text of stored values as UTF-8 bytes, for the consoles that print or export many rows: the
// same text as fieldText(), written straight from the record's bytes for the usual shapes of
// value (texts, whole numbers, dates), without a QString per value.
#pragma once

#include "store/TableLayout.h"

#include <QByteArray>
#include <array>

namespace dosarium {

class FieldTextUtf8 {
public:
    explicit FieldTextUtf8(const TableLayout &layout);

    // Appends fieldText(layout, field, record) as UTF-8 to `out`.
    void append(QByteArray &out, const Field &field, const char *record) const;

private:
    void appendText(QByteArray &out, const char *bytes, qsizetype size) const;

    TableLayout m_layout;
    // Each byte of the code page as UTF-8: up to three bytes and their count.
    std::array<std::array<char, 4>, 256> m_utf8{};
    std::array<quint8, 256> m_utf8Size{};
    std::array<bool, 256> m_plain{}; // the byte stands for itself
    bool m_asciiPlain = false;       // every byte below 128 does
};

// Appends `text` to `out` with tab, line feed and backslash written as \t, \n and \\.
void appendEscaped(QByteArray &out, QByteArrayView text);

} // namespace dosarium
