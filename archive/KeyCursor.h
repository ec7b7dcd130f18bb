// The archive key applied byte after byte: byte i of a file (from 0) is XORed with key byte
// (i mod L) + 1, L being the key's length; an empty key leaves the bytes as they are. One
// cursor serves one file from its first byte to its last, across every block.
#pragma once

#include <QByteArray>

namespace dosarium {

class KeyCursor {
public:
    // The key as single Windows-1250 bytes, as the user file holds it.
    explicit KeyCursor(QByteArray key = {});

    const QByteArray &key() const { return m_key; }
    // 0 before the first byte; then the 1-based index of the key byte used last.
    qsizetype position() const { return m_position; }

    // The key byte for the next byte of the file, the cursor moving on by one; 0 without
    // moving for an empty key.
    char next();

    // Codes `size` bytes of `in` into `out` (which may be `in` itself), exactly as `size` calls
    // of next() would, but a whole block at a time.
    void code(const char *in, char *out, qsizetype size);
    void code(char *data, qsizetype size) { code(data, data, size); }

private:
    QByteArray m_key;
    QByteArray m_pattern; // the key repeated, so a block is XORed in long straight runs
    qsizetype m_position = 0;
};

// The key byte for the next byte of the file (see KeyCursor::next).
inline char NextKeyByte(KeyCursor &cursor)
{
    return cursor.next();
}

} // namespace dosarium
