// The settings file Dsm.in of a data folder: INI sections of key=value lines, shared with the
// program's other workstations and readable by the Windows profile functions they use.
//
// Sections and keys are matched without regard to case; a missing file, section or key reads as
// empty. A file that exists but cannot be read whole is never taken for an empty one by a change:
// update() and write() then stop with an error naming it and leave it as it is. A write keeps every
// other byte of the file as it was (comments, letter case, CR LF line ends), writes the new file
// beside the old one and renames it over, and holds a lock beside the file that every workstation
// running this program honours, so that two workstations changing the file at once never lose each
// other's change.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <functional>

namespace dosarium {

// The value of `key` in `section` of INI text; empty when absent. Values are cut to 2047
// characters; a value written between a pair of double quotes is read without them.
QString iniValue(const QByteArray &content, const QString &section, const QString &key);

// The INI text with `key` of `section` set to `value`, the section and the key added when
// missing. Throws dosarium::Error for a character Windows-1250 cannot hold or a line break.
QByteArray withIniValue(const QByteArray &content, const QString &section, const QString &key,
                        const QString &value);

class SettingsFile {
public:
    static constexpr int kLockWaitMs = 5000;

    explicit SettingsFile(QString dataDir);

    // The file's path, its name matched without regard to letter case.
    QString path() const;

    // The value of the key. A file that cannot be read reads as empty here, as a missing one
    // does: reading the settings never stops the program's start.
    QString read(const QString &section, const QString &key) const;

    // Sets the key, keeping the rest of the file. Throws Error naming the file when it exists
    // but cannot be read whole, and "Unable to write to" the file when it cannot be replaced;
    // the file then stays as it was.
    void write(const QString &section, const QString &key, const QString &value);

    // Reads the value, stores next(value) in its place with no other workstation in between,
    // and returns the value read. When next throws, nothing is written. Fails as write() does.
    QString update(const QString &section, const QString &key,
                   const std::function<QString(const QString &value)> &next);

    // For tests: the function every read of the file's bytes goes through (the system's read
    // when null), so that a read can fail part-way.
    using ReadFunction = std::ptrdiff_t (*)(int fd, void *into, std::size_t size);
    static void setReadFunction(ReadFunction read);

private:
    QString m_dataDir;
};

} // namespace dosarium
