// What "Memoreaza" of the act dialog refuses, in the order it looks: the first wrong entry and
// the balloon text that points at it.
#pragma once

#include <QString>
#include <optional>

namespace dosarium {

struct DocumentFingerprint;

enum class ActField { Domeniul, SubDom, Fisier };

struct ActProblem {
    ActField field;
    QString text;
};

// The balloon at a date box whose text names no date (see typedDate).
inline const QString kWrongDate = QStringLiteral("Data actului nu este corecta!");
// The file label's text while no file is chosen.
inline const QString kNoFile = QStringLiteral("-");
// The longest extension, with its dot, that the act's EXTENSIE column holds.
constexpr int kExtensionWidth = 6;

// `domeniul` and `subdom` are the cleaned texts; `fisier` the file label's text. The domain and
// subdomain must be given and must be folder names on every workstation, unless they are the
// modified row's own (`storedDomeniul`, `storedSubdom`: an older program's value, such as one
// holding a separator, stays usable); the file must exist and its extension fit the column.
std::optional<ActProblem> checkActEntry(const QString &domeniul, const QString &subdom,
                                        const QString &fisier,
                                        const QString &storedDomeniul = QString(),
                                        const QString &storedSubdom = QString());

// When the chosen document (`print`) is already the archived document of an act other than
// `exceptId` (the act being modified), the question "Memoreaza" asks before anything is written;
// empty otherwise. A fingerprint whose act is gone, or whose archived file no longer has the
// document's size (changed by a workstation that keeps no fingerprints), is passed over.
QString alreadyArchivedQuestion(const QString &dataDir, const DocumentFingerprint &print,
                                const QString &exceptId = QString());

} // namespace dosarium
