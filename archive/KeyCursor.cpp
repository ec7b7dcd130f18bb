#include "archive/KeyCursor.h"

#include <algorithm>
#include <cstring>

namespace dosarium {

namespace {

// The shortest straight run of the repeated key a block is XORed with at once.
constexpr qsizetype kRun = 4096;

void xorInto(const unsigned char *in, const unsigned char *key, unsigned char *out, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        out[i] = static_cast<unsigned char>(in[i] ^ key[i]);
}

} // namespace

KeyCursor::KeyCursor(QByteArray key) : m_key(std::move(key))
{
    if (m_key.isEmpty())
        return;
    // Whole repetitions of the key, at least one run longer than a key's length, so that a run
    // can begin at any key position.
    const qsizetype copies = (kRun + m_key.size() - 1) / m_key.size() + 1;
    m_pattern = m_key.repeated(copies);
}

char KeyCursor::next()
{
    if (m_key.isEmpty())
        return 0;
    if (++m_position > m_key.size())
        m_position = 1;
    return m_key.at(m_position - 1);
}

void KeyCursor::code(const char *in, char *out, qsizetype size)
{
    if (size <= 0)
        return;
    if (m_key.isEmpty()) {
        if (in != out)
            std::memmove(out, in, size_t(size));
        return;
    }
    const qsizetype length = m_key.size();
    const auto *key = reinterpret_cast<const unsigned char *>(m_pattern.constData());
    const auto *src = reinterpret_cast<const unsigned char *>(in);
    auto *dst = reinterpret_cast<unsigned char *>(out);
    qsizetype offset = m_position % length; // 0-based index of the next key byte
    qsizetype done = 0;
    while (done < size) {
        const qsizetype run = std::min(size - done, m_pattern.size() - offset);
        xorInto(src + done, key + offset, dst + done, run);
        done += run;
        offset = (offset + run) % length;
    }
    m_position = offset == 0 ? length : offset;
}

} // namespace dosarium
