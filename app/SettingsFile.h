// The settings file Dsm.in of a data folder: INI sections of key=value lines, shared with the
// program's other workstations and readable by the Windows profile functions they use.
//
// Sections and keys are matched without regard to case; a missing file, section or key reads as
// empty. A write keeps every other byte of the file as it was (comments, letter case, CR LF line
// ends), writes the new file beside the old one and renames it over, and holds a lock beside the
// file that every workstation running this program honours, so that two workstations changing
// the file at once never lose each other's change.
#pragma once

#include <QByteArray>
#include <QString>
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

    QString read(const QString &section, const QString &key) const;
    void write(const QString &section, const QString &key, const QString &value);

    // Reads the value, stores next(value) in its place with no other workstation in between,
    // and returns the value read. When next throws, nothing is written.
    QString update(const QString &section, const QString &key,
                   const std::function<QString(const QString &value)> &next);

private:
    QString m_dataDir;
};

} // namespace dosarium
