// The lock that keeps the act operations and a re-coding of the archive apart, on every
// workstation sharing the data folder: one byte of Dsm.lck (a file beside the settings that is
// never replaced), held shared by an act operation that writes, moves or removes an archived
// file, for the whole operation, and exclusive by a re-coding pass from before it reads the acts
// to its end. A pass therefore never plans while an act's file and row are out of its sight.
#pragma once

#include <QString>

namespace dosarium {

class ArchiveUseLock {
public:
    enum class Holder { ActOperation, Recoding };

    ArchiveUseLock(const QString &dataDir, Holder holder);
    ~ArchiveUseLock();
    ArchiveUseLock(const ArchiveUseLock &) = delete;
    ArchiveUseLock &operator=(const ArchiveUseLock &) = delete;

    // Takes the lock without waiting; false while the other kind of holder has it. A folder
    // where the lock file can be neither opened nor made (read-only) holds no lock: true.
    // Throws Error for any other failure.
    bool tryTake();
    void release();
    bool isHeld() const { return m_held; }

private:
    QString m_path;
    Holder m_holder;
    int m_fd = -1;
    bool m_held = false;
};

} // namespace dosarium
