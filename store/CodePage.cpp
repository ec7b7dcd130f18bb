#include "store/CodePage.h"

#include "store/CodePageTables.h"
#include "store/Error.h"

namespace dosarium {

namespace {

char16_t cedillaForm(char16_t c)
{
    switch (c) {
    case u'\u0218':
        return u'\u015E'; // Ș -> Ş
    case u'\u0219':
        return u'\u015F'; // ș -> ş
    case u'\u021A':
        return u'\u0162'; // Ț -> Ţ
    case u'\u021B':
        return u'\u0163'; // ț -> ţ
    default:
        return c;
    }
}

} // namespace

quint16 romanianWeight(QChar c)
{
    static const QString alphabet = QStringLiteral(u"AĂÂBCDEFGHIÎJKLMNOPQRSȘŞTȚŢUVWXYZ");
    if (c.unicode() < 0x20)
        return c.unicode();
    const QChar up = c.toUpper();
    qsizetype pos = alphabet.indexOf(up);
    if (pos < 0 && up.isLetter()) {
        // Letters of other languages sort with their base letter.
        const QString decomposed = QString(up).normalized(QString::NormalizationForm_D);
        if (!decomposed.isEmpty())
            pos = alphabet.indexOf(decomposed.at(0));
        if (pos >= 0)
            return quint16(0x1000 + pos * 16 + 8);
        return quint16(0x1000 + alphabet.size() * 16 + (up.unicode() & 0x7FF));
    }
    if (pos >= 0)
        return quint16(0x1000 + pos * 16);
    if (c.unicode() < 0x80)
        return c.unicode();
    return quint16(0x100 + (c.unicode() & 0x7FF));
}

CodePage::CodePage(const char *codecName) : m_name(QString::fromLatin1(codecName))
{
    const std::array<char16_t, 256> *chars = codePageCharacters(codecName);
    if (chars == nullptr)
        throw Error(QStringLiteral("Pagina de cod %1 nu este disponibila.").arg(m_name));
    for (int b = 0; b < 256; ++b) {
        const QChar c((*chars)[b]);
        m_decode[b] = c;
        m_weights[b] = romanianWeight(c);
        if (c != QChar(QChar::ReplacementCharacter) && !m_encode.contains(c.unicode()))
            m_encode.insert(c.unicode(), uchar(b));
    }
}

const CodePage &CodePage::windows1250()
{
    static const CodePage page("windows-1250");
    return page;
}

const CodePage &CodePage::forLanguageDriver(quint8 id)
{
    static const CodePage cp1252("windows-1252");
    static const CodePage cp852("IBM852");
    static const CodePage cp437("IBM437");
    static const CodePage cp850("IBM850");
    static const CodePage cp1251("windows-1251");
    static const CodePage cp866("IBM866");
    switch (id) {
    case 0x03:
    case 0x58:
        return cp1252;
    case 0x64:
    case 0x1F:
    case 0x22:
    case 0x23:
        return cp852;
    case 0x01:
        return cp437;
    case 0x02:
        return cp850;
    case 0xC9:
        return cp1251;
    case 0x65:
        return cp866;
    default: // 0x57, 0x00, 0xC8 and unknown ids
        return windows1250();
    }
}

QString CodePage::decode(const char *data, qsizetype size) const
{
    QString out(size, Qt::Uninitialized);
    QChar *dst = out.data();
    for (qsizetype i = 0; i < size; ++i)
        dst[i] = m_decode[uchar(data[i])];
    return out;
}

bool CodePage::canEncode(QChar c) const
{
    return m_encode.contains(cedillaForm(c.unicode()));
}

std::optional<QByteArray> CodePage::tryEncode(const QString &text) const
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char *dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80 && m_decode[c].unicode() == c) {
            dst[i] = char(c);
            continue;
        }
        const auto it = m_encode.constFind(cedillaForm(c));
        if (it == m_encode.constEnd())
            return std::nullopt;
        dst[i] = char(it.value());
    }
    return out;
}

QByteArray CodePage::encode(const QString &text) const
{
    if (auto bytes = tryEncode(text))
        return *bytes;
    for (const QChar c : text) {
        if (!canEncode(c))
            throw Error(
                QStringLiteral("Caracterul '%1' (U+%2) nu poate fi memorat in pagina de cod %3.")
                    .arg(c)
                    .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                    .arg(m_name));
    }
    throw Error(QStringLiteral("Textul nu poate fi memorat in pagina de cod %1.").arg(m_name));
}

int CodePage::compare(const char *a, qsizetype an, const char *b, qsizetype bn) const
{
    const qsizetype n = std::min(an, bn);
    for (qsizetype i = 0; i < n; ++i) {
        const quint16 wa = m_weights[uchar(a[i])];
        const quint16 wb = m_weights[uchar(b[i])];
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (an != bn)
        return an < bn ? -1 : 1;
    for (qsizetype i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return uchar(a[i]) < uchar(b[i]) ? -1 : 1;
    }
    return 0;
}

} // namespace dosarium
