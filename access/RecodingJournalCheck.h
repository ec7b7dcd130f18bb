// The check of a re-coding journal read back from the disk, before any file it names is touched.
// The journal lies in the shared data folder, so its text is a stranger's: a pass is brought to
// an end only when every file it names is an act's file of the archive tree, with no link on the
// way.
#pragma once

#include "access/ArchiveRecoding.h"

#include <QString>

namespace dosarium {

// Why the pass of `plan` must not be acted on in `dataDir`, in the words the user reads; empty
// when it may.
QString RecodingJournalProblem(const ArchiveRecoding::Plan &plan, const QString &dataDir);

} // namespace dosarium
