// A file written anew as a whole: the bytes go to a temporary file beside the target, under a
// name that no other process or workstation uses, and the temporary takes the target's place
// only when the last byte reached the disk. Dropped before that, the temporary is removed and the
// target stays exactly as it was. The tables, the settings file, the user file and the archive
// all rewrite their files through this one class.
#pragma once

#include <QByteArray>
#include <QString>

namespace dosarium {

class ReplacementFile {
public:
    // Creates the temporary file beside `target`; throws Error when the folder refuses it.
    explicit ReplacementFile(QString target);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    const QString &target() const { return m_target; }
    const QString &temporaryPath() const { return m_temp; }

    // Appends bytes, unbuffered, so that a disk that refuses them is noticed here; throws Error.
    void write(const char *data, qint64 size);
    void write(const QByteArray &bytes) { write(bytes.constData(), bytes.size()); }

    // Puts the file on the disk and renames it over the target; throws Error, and then the
    // target is untouched and the temporary removed.
    void commit();
    // Like commit(), but only when no file of the target's name exists; returns false (and
    // removes the temporary) when one does.
    bool commitIfAbsent();

    // Removes the temporary file; the target stays as it was.
    void discard();

    // The beginning of every temporary name beside `target`.
    static QString temporaryPrefix(const QString &target);
    // True for a name this class gives its temporary files.
    static bool isTemporaryName(const QString &fileName);

private:
    void syncAndClose();
    [[noreturn]] void fail(const QString &what, int error);

    QString m_target;
    QString m_temp;
    int m_fd = -1;
};

} // namespace dosarium
