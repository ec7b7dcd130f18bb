// The fingerprint part of the archive check: each archived document that has a fingerprint is
// decoded and compared with it, on every core; the acts without one are gathered, and
// "--repara" takes their fingerprints. A document whose coded file still has the size and the
// modification time it had when its fingerprint was taken, but whose content no longer matches,
// is damaged ("deteriorat"); one whose coded file was written again since (by a workstation of
// an older program, which keeps no fingerprints) is only said, never called damaged.
#pragma once

#include "app/FingerprintsTable.h"
#include "tools/ArchiveCheck.h"

#include <QStringList>
#include <optional>
#include <vector>

namespace dosarium {

// The fingerprints table of `dataDir`; nothing, with a note in `notes`, when it cannot be read.
std::optional<FingerprintSet> readFingerprints(const QString &dataDir, QStringList &notes);

// Adds to `result` the DamagedDocument findings, the acts without a fingerprint and the notes.
// Reads the fingerprints table and the documents; writes nothing.
void checkFingerprints(const QString &dataDir, const std::vector<ArchivedDocument> &documents,
                       const CheckOptions &options, CheckResult &result);

// Takes the fingerprint of each act of `documents` (decoded as the archive holds it now) into
// the fingerprints table, never replacing one; returns how many were taken. A document that
// cannot be read is said in `failed`.
int takeMissingFingerprints(const QString &dataDir, const std::vector<ArchivedDocument> &documents,
                            QStringList &failed);

// Records in the fingerprints of `documents` (which matched them) their coded file's size and
// modification time now; the SHA-256, the size and when it was taken stay. Returns how many.
int refreshFingerprintTimes(const QString &dataDir, const std::vector<ArchivedDocument> &documents,
                            QStringList &failed);

} // namespace dosarium
