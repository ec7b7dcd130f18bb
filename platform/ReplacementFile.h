// A file written anew as a whole: the bytes go to a temporary file beside the target, under a
// name that no other process or workstation uses, and the temporary takes the target's place
// only when the last byte reached the disk. Dropped before that, the temporary is removed and the
// target stays exactly as it was. The tables, the settings file, the user file and the archive
// all rewrite their files through this one class.
//
// A temporary is named "<target>.~dsm-<workstation>-<process>-<random>". Temporaries that a
// process of this workstation left behind when it ended abruptly are removed by the first
// replacement of the same target; those of other workstations and of running processes are
// never touched.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

namespace dosarium {

// A replacement that failed. The message names the target and says that it was left as it was;
// reason() gives the system's words alone, for callers that phrase their own message.
class ReplacementError : public Error {
public:
    ReplacementError(const QString &message, QString reason)
        : Error(message), m_reason(std::move(reason))
    {}
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

class ReplacementFile {
public:
    // Creates the temporary file beside `target`; throws ReplacementError when the folder
    // refuses it or the target exists and may not be written. The new file gets the
    // permissions of the target it replaces; with `mode` it gets exactly those permissions
    // instead (a copy readable by its owner only, a copy no wider than its source).
    explicit ReplacementFile(QString target, std::optional<unsigned> mode = std::nullopt);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    const QString &target() const { return m_target; }
    const QString &temporaryPath() const { return m_temp; }

    // Appends bytes, unbuffered, so that a disk that refuses them is noticed here; throws
    // ReplacementError, and then the temporary is gone.
    void write(const char *data, qint64 size);
    void write(const QByteArray &bytes) { write(bytes.constData(), bytes.size()); }

    // Puts the file on the disk and renames it over the target; throws ReplacementError, and
    // then the target is untouched and the temporary removed.
    void commit();
    // Like commit(), but only when no file of the target's name exists; returns false (and
    // removes the temporary) when one does. Two processes racing here never both succeed.
    bool commitIfAbsent();

    // Removes the temporary file; the target stays as it was.
    void discard();

    // The beginning of every temporary name beside `target`.
    static QString temporaryPrefix(const QString &target);
    // True for a name this class gives its temporary files.
    static bool isTemporaryName(const QString &fileName);
    // Whether the temporary file `path` is a writer's no longer: nobody wrote it for `idle`, or
    // a process of this workstation made it and has ended. Another workstation's temporary that
    // was written lately may belong to a write going on there now.
    static bool isAbandoned(const QString &path, std::chrono::seconds idle);

private:
    void syncAndClose();
    [[noreturn]] void fail(const QString &message, int error);

    QString m_target;
    QString m_temp;
    int m_fd = -1;
};

} // namespace dosarium
