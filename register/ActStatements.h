// The statements and log texts of adding, modifying and deleting an act, built as text lines.
// Every text value goes in through the one quoting function, so a quote typed in any field
// never breaks a statement or reaches another row.
#pragma once

#include "app/ActsTable.h"
#include "archive/Fingerprint.h"

#include <QDate>
#include <QStringList>
#include <optional>

namespace dosarium {

// What the act dialog gives after "Memoreaza": cleaned list texts, series, number and
// observation as typed, and the attached file (a chosen file, or the archived one).
struct ActEntry {
    QDate date; // invalid when the box is empty
    QString seria, nr, cod, domeniul, subdom, titlu, obs;
    QString file;
    // A modification whose date the person left as the row holds it, where the box could not
    // show it as it is (an empty date): DATAACT, ANUL and LUNA stay as stored.
    bool keepsStoredDate = false;
    // The chosen file's fingerprint as the dialog took it; taken again when the file changed
    // since, or when there is none.
    std::optional<DocumentFingerprint> fingerprint;
};

// ".pdf" for scan.pdf: the chosen file's extension with its dot, empty without one.
QString fileExtension(const QString &path);

QStringList insertActStatement(const QString &actePath, const QString &id, const ActEntry &act,
                               const QString &extension);
// The extension line is written only when the file changed (`extension` not null); the date
// lines only when the entry does not keep the stored date.
QStringList updateActStatement(const QString &actePath, const QString &id, const ActEntry &act,
                               const QString *extension);
QStringList deleteActStatement(const QString &actePath, const QString &id);

QString addedLogText(const ActEntry &act);
QString modifiedLogText(const ActEntry &act);
// The deletion's entry names the act too: its number, date and title after domain and year.
QString deletedLogText(const StoredAct &act);
// How a message names an act to the person: "nr. 12 din 05.06.2017 (CONTRACT)"; the date and
// the title are left out when empty.
QString actNamed(const QString &nr, const QDate &date, const QString &titlu);

} // namespace dosarium
