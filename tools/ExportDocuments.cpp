#include "tools/ExportDocuments.h"

#include "archive/KeyCursor.h"
#include "platform/FileHandles.h"
#include "platform/FileNames.h"
#include "platform/FileStatus.h"
#include "store/Error.h"
#include "tools/ArchiveExport.h"
#include "tools/ParallelHasher.h"

#include <QDir>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

namespace dosarium {

namespace {

// Documents copied side by side at most.
constexpr unsigned kMaxWorkers = 4;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString causeText(int error)
{
    return systemErrorText(error);
}

struct Descriptor {
    int fd = -1;
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor()
    {
        if (fd >= 0)
            closeFile(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
};

// Opens the archived file of `act`; -1 (and act.missing set) when it cannot be read.
int openDocument(PlannedAct &act, FileStatus &info)
{
    const int fd = openFile(act.source, FileAccess::Read, {.noFollow = true, .noBlock = true});
    if (fd < 0) {
        act.missing = errno == ENOENT ? QStringLiteral("fisierul lipseste")
                                      : QStringLiteral("nu pot citi fisierul: ") + causeText(errno);
        return -1;
    }
    const std::optional<FileStatus> status = statusOf(fd);
    if (!status || status->kind != EntryKind::File) {
        closeFile(fd);
        act.missing = QStringLiteral("in locul fisierului este altceva decat un fisier");
        return -1;
    }
    info = *status;
    return fd;
}

// Decodes the open archived file of `act` into `destination`/`act.target`; its fingerprint
// reaches act.sha256 through `hasher`. Returns false (and sets act.missing) when the archived file
// cannot be read; throws Error when the destination cannot be written.
bool copyDocument(PlannedAct &act, const Descriptor &in, const FileStatus &info,
                  const QString &destination, const QByteArray &key, ParallelHasher &hasher,
                  Sha256 &sha, std::atomic<qint64> &copied)
{
    adviseSequentialRead(in.fd);
    const QString targetPath = destination + QLatin1Char('/') + act.target;
    Descriptor out(
        openFile(targetPath, FileAccess::Write, {.create = true, .exclusive = true}, 0666));
    if (out.fd < 0)
        throw Error(QStringLiteral("Nu pot crea fisierul %1: %2.")
                        .arg(native(targetPath), causeText(errno)));
    KeyCursor cursor(key);
    qint64 total = 0;
    for (;;) {
        char *buffer = hasher.take();
        qint64 n;
        do {
            n = readFile(in.fd, buffer, ParallelHasher::kPieceBytes);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) {
            hasher.giveBack(buffer);
            if (n == 0)
                break;
            act.missing = QStringLiteral("nu pot citi fisierul: ") + causeText(errno);
            removeEntry(targetPath);
            return false;
        }
        cursor.code(buffer, n);
        for (qint64 done = 0; done < n;) {
            const qint64 w = writeFile(out.fd, buffer + done, n - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                const int error = w < 0 ? errno : ENOSPC;
                hasher.giveBack(buffer);
                throw Error(QStringLiteral("Nu pot scrie fisierul %1: %2.")
                                .arg(native(targetPath), causeText(error)));
            }
            done += w;
        }
        hasher.hash(buffer, n, &sha);
        copied += n;
        total += n;
    }
    hasher.finish(&sha, &act.sha256);
    // The document keeps the date it was archived on.
    setModificationTime(out.fd, info.modified);
    if (closeFile(std::exchange(out.fd, -1)) != 0)
        throw Error(QStringLiteral("Nu pot scrie fisierul %1: %2.")
                        .arg(native(targetPath), causeText(errno)));
    act.size = total;
    return true;
}

// The documents copied by a few workers side by side, each with its own fingerprint thread: on a
// machine of several cores the export then goes about as fast as the disk.
class DocumentCopiers {
public:
    DocumentCopiers(const std::vector<PlannedAct *> &jobs, const QString &destination,
                    const QByteArray &key)
        : m_jobs(jobs), m_destination(destination), m_key(key)
    {}

    // Copies every job, reporting to `progress`; throws Error with the first failure.
    void run(qint64 totalBytes, ExportProgress *progress)
    {
        if (progress)
            progress->begin(totalBytes, int(m_jobs.size()));
        const int workers =
            int(std::clamp<unsigned>(std::thread::hardware_concurrency() + 1, 2, kMaxWorkers));
        std::vector<std::thread> threads;
        for (int w = 0; w < workers; ++w)
            threads.emplace_back([this] { work(); });
        while (m_finished < int(m_jobs.size()) && !m_stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            show(progress);
        }
        for (std::thread &t : threads)
            t.join();
        show(progress);
        if (progress)
            progress->end();
        if (!m_failure.isEmpty())
            throw Error(m_failure);
    }

private:
    void work()
    {
        std::deque<Sha256> fingerprints; // alive until the hasher has finished with them
        ParallelHasher hasher;
        for (size_t i; !m_stop && (i = m_next++) < m_jobs.size(); ++m_finished) {
            PlannedAct &act = *m_jobs[i];
            try {
                FileStatus info;
                const Descriptor in(openDocument(act, info));
                if (in.fd < 0)
                    continue;
                makeFolder(act.target.left(act.target.lastIndexOf(QLatin1Char('/'))));
                fingerprints.emplace_back();
                copyDocument(act, in, info, m_destination, m_key, hasher, fingerprints.back(),
                             m_copied);
            } catch (const std::exception &e) {
                const std::lock_guard<std::mutex> lock(m_shared);
                if (m_failure.isEmpty())
                    m_failure = dynamic_cast<const Error *>(&e)
                                    ? static_cast<const Error &>(e).message()
                                    : QString::fromLocal8Bit(e.what());
                m_stop = true;
            }
        }
        hasher.drain();
    }

    void makeFolder(const QString &folder)
    {
        const std::lock_guard<std::mutex> lock(m_shared);
        if (m_madeFolders.contains(folder))
            return;
        if (!QDir().mkpath(m_destination + QLatin1Char('/') + folder))
            throw Error(QStringLiteral("Nu pot crea dosarul %1.")
                            .arg(native(m_destination + QLatin1Char('/') + folder)));
        m_madeFolders.insert(folder);
    }

    void show(ExportProgress *progress)
    {
        if (!progress)
            return;
        const qint64 bytes = m_copied;
        if (bytes > m_shownBytes)
            progress->advance(bytes - std::exchange(m_shownBytes, bytes));
        for (const int done = m_finished; m_shownDocuments < done; ++m_shownDocuments)
            progress->documentDone();
    }

    const std::vector<PlannedAct *> &m_jobs;
    const QString &m_destination;
    const QByteArray &m_key;
    std::atomic<qint64> m_copied{0};
    std::atomic<int> m_finished{0};
    std::atomic<size_t> m_next{0};
    std::atomic<bool> m_stop{false};
    std::mutex m_shared;
    QSet<QString> m_madeFolders;
    QString m_failure;
    qint64 m_shownBytes = 0;
    int m_shownDocuments = 0;
};

} // namespace

void copyDocuments(const std::vector<PlannedAct *> &jobs, const QString &destination,
                   const QByteArray &key, qint64 totalBytes, ExportProgress *progress)
{
    DocumentCopiers(jobs, destination, key).run(totalBytes, progress);
}

} // namespace dosarium
