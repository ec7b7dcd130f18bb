// The fingerprint of a document: the SHA-256 of its plain bytes (of the document as chosen, not
// of its coded copy, so a re-coding of the archive keeps it) and its size.
#pragma once

#include "store/Error.h"

#include <QByteArray>
#include <QString>

#ifdef _WIN32
#include <QCryptographicHash>
#else
#include <openssl/evp.h>
#endif

namespace dosarium {

#ifdef _WIN32
// A SHA-256 under way; hex() gives it as 64 lowercase hexadecimal digits (no OpenSSL on Windows).
class Sha256 {
public:
    void add(const char *data, qsizetype size) { m_hash.addData(QByteArrayView(data, size)); }
    QByteArray hex() { return m_hash.result().toHex(); }

private:
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
};
#else
// A SHA-256 under way; hex() gives it as 64 lowercase hexadecimal digits.
class Sha256 {
public:
    Sha256() : m_context(EVP_MD_CTX_new())
    {
        if (!m_context || EVP_DigestInit_ex(m_context, EVP_sha256(), nullptr) != 1)
            throw Error(QStringLiteral("Nu pot calcula amprenta SHA-256."));
    }
    ~Sha256() { EVP_MD_CTX_free(m_context); }
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;
    void add(const char *data, qsizetype size) { EVP_DigestUpdate(m_context, data, size_t(size)); }
    QByteArray hex()
    {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        EVP_DigestFinal_ex(m_context, digest, &size);
        return QByteArray(reinterpret_cast<const char *>(digest), int(size)).toHex();
    }

private:
    EVP_MD_CTX *m_context;
};
#endif

struct DocumentFingerprint {
    QByteArray sha256; // 64 lowercase hexadecimal digits
    qint64 size = 0;
    // When the file it was taken from was last written (nanoseconds since 1970), so that the
    // fingerprint of a chosen file is taken again only when the file changed meanwhile.
    qint64 modified = 0;
};

// The fingerprint of the plain bytes of the file at `path`, coded with `key` (empty: a plain
// file). An archived file (`followLinks` false) is never read through a link. Throws Error
// naming the file and the cause.
DocumentFingerprint fingerprintOfFile(const QString &path, const QByteArray &key = {},
                                      bool followLinks = true);

// Whether `text` can be a fingerprint: 64 lowercase hexadecimal digits.
bool isFingerprintText(const QByteArray &text);

} // namespace dosarium
