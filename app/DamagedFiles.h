// Damaged files of a data folder are never rewritten in a way that makes their loss permanent.
// What the readers get past without stopping (a table whose header counts rows the file does not
// hold, or holds rows it does not count; a user file with a piece of a record or impossible
// lengths; a settings file with bytes no text holds) would be hidden for good by the next pack,
// append or save. So before such a file is rewritten its bytes are kept beside it, in a dated
// copy in the same folder (Acte.deteriorat-20091105-083012.dbf), and the user is told in words
// what was found and where the copy is.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace dosarium {

// What is wrong with the file, in the words the user reads; empty when nothing is. A file that
// does not exist or cannot be read at all is no business of these (the readers report it).
QString tableDamage(const QString &path);
QString userFileDamage(const QByteArray &bytes);
QString settingsDamage(const QByteArray &bytes);

// Keeps the file's bytes in a dated copy beside it, unless a copy with the same bytes is there
// already, and returns the notice for the user: the file, `finding`, and the copy. Throws Error
// when no copy can be made: the file must then not be rewritten.
QString keepDamagedCopy(const QString &path, const QString &finding,
                        const QDateTime &now = QDateTime::currentDateTime());

// Moves a journal that must not be acted on (it names files outside the archive, or is no plain
// file) out of the way, under a dated name beside it (Acte.respins-20091105-083012.jrn), without
// opening it or following a link, and returns the notice for the user: the journal, `problem`,
// and where it went. Throws Error when it cannot be moved.
QString setJournalAside(const QString &path, const QString &problem,
                        const QDateTime &now = QDateTime::currentDateTime());

// Moves the IDACT counter of the settings file past the highest IDACT of the register; returns
// the notice for the user, empty when the counter stood above it already.
QString RepairActCounter(const QString &dataDir);

// The check of a data folder at start-up, before anything writes to it: the documents table,
// the log, the user file and the settings file; each damaged one is kept. Then the document
// counter: a settings file lost or put back from an old copy would hand out ids the register
// holds already, so the counter is moved past the highest IDACT. Returns the notices for the
// user; a file it cannot read is left to the readers' own errors.
QStringList CheckDataFiles(const QString &dataDir);

} // namespace dosarium
