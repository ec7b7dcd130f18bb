// Single-byte code pages of dBase tables: decoding, strict encoding and the alphabetical order
// of their bytes.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <array>
#include <optional>

namespace dosarium {

class CodePage {
public:
    // The code page a table's language driver byte stands for; unknown bytes fall back to
    // Windows-1250, the code page of the program's own tables.
    static const CodePage &forLanguageDriver(quint8 id);
    static const CodePage &windows1250();

    const QString &name() const { return m_name; }

    QString decode(const char *data, qsizetype size) const;
    QString decode(const QByteArray &bytes) const
    {
        return decode(bytes.constData(), bytes.size());
    }

    // Encodes text; the Romanian letters with a comma below become their cedilla forms.
    // Throws dosarium::Error naming the first character the code page cannot hold.
    QByteArray encode(const QString &text) const;
    std::optional<QByteArray> tryEncode(const QString &text) const;
    bool canEncode(QChar c) const;

    // Primary alphabetical weight of a byte: letter case ignored, Romanian letter order.
    quint16 weight(uchar byte) const { return m_weights[byte]; }

    // Alphabetical comparison of two stored texts: weights first, then the exact bytes.
    int compare(const char *a, qsizetype an, const char *b, qsizetype bn) const;

    explicit CodePage(const char *codecName);

private:
    QString m_name;
    std::array<QChar, 256> m_decode{};
    std::array<quint16, 256> m_weights{};
    QHash<char16_t, uchar> m_encode;
};

// Unicode weight used to order letters the Romanian way (A Ă Â B ... I Î ... S Ș T Ț ... Z).
quint16 romanianWeight(QChar c);

} // namespace dosarium
