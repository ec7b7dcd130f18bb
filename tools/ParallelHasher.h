// SHA-256 fingerprints of documents, computed on a thread of their own while the export copies.
#pragma once

#include "store/Error.h"

#include <QByteArray>

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <QCryptographicHash>
#else
#include <openssl/evp.h>
#endif

namespace dosarium {

#ifdef _WIN32
// A finished SHA-256 as 64 lowercase hexadecimal digits (no OpenSSL on Windows).
class Sha256 {
public:
    void add(const char *data, qsizetype size) { m_hash.addData(QByteArrayView(data, size)); }
    QByteArray hex() { return m_hash.result().toHex(); }

private:
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
};
#else

// A finished SHA-256 as 64 lowercase hexadecimal digits.
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

// Fingerprints computed on a thread of their own while the next piece of the document is read,
// decoded and written: SHA-256 costs about as much as all the copying, and the two overlap.
// Pieces travel in a small ring of buffers; a buffer comes back once its bytes are hashed.
class ParallelHasher {
public:
    // Documents are read, decoded, hashed and written in pieces of this size, small enough that
    // a piece is still in the processor's cache when it is written and hashed.
    static constexpr qsizetype kPieceBytes = 256 * 1024;
    static constexpr int kPieces = 6;

    ParallelHasher()
    {
        for (auto &buffer : m_buffers) {
            buffer.resize(kPieceBytes);
            m_free.push_back(buffer.data());
        }
        m_thread = std::thread([this] { work(); });
    }
    ~ParallelHasher()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    ParallelHasher(const ParallelHasher &) = delete;
    ParallelHasher &operator=(const ParallelHasher &) = delete;

    // A buffer of kPieceBytes to fill, once one is free.
    char *take()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_free.empty(); });
        char *buffer = m_free.back();
        m_free.pop_back();
        return buffer;
    }
    // Gives a buffer back without hashing it.
    void giveBack(char *buffer)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_free.push_back(buffer);
        }
        m_wake.notify_all();
    }
    // Adds `size` bytes of `buffer` to `sha`; the buffer comes back afterwards.
    void hash(char *buffer, qsizetype size, Sha256 *sha) { push({buffer, size, sha, nullptr}); }
    // Writes the fingerprint of `sha` into `hex` after its last piece.
    void finish(Sha256 *sha, QByteArray *hex) { push({nullptr, 0, sha, hex}); }
    // Returns when every piece handed over is hashed.
    void drain()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }

private:
    struct Job {
        char *buffer;
        qsizetype size;
        Sha256 *sha;
        QByteArray *hex;
    };
    void push(const Job &job)
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_jobs.push_back(job);
        }
        m_wake.notify_all();
    }
    void work()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
                if (m_jobs.empty())
                    return;
                job = m_jobs.front();
                m_jobs.pop_front();
                m_busy = true;
            }
            if (job.hex)
                *job.hex = job.sha->hex();
            else
                job.sha->add(job.buffer, job.size);
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                if (job.buffer)
                    m_free.push_back(job.buffer);
                m_busy = false;
            }
            m_wake.notify_all();
        }
    }

    std::array<QByteArray, kPieces> m_buffers;
    std::vector<char *> m_free;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

} // namespace dosarium
