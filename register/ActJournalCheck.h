// The check of an act journal read back from the disk, before anything acts on it. The journal
// lies in a folder that every user of the office (and whatever runs under their accounts) can
// write, so its text is a stranger's: the files it names are acted on only when each is an act's
// file of the archive tree of a data folder this workstation uses, for the act the journal names,
// with no link on the way.
#pragma once

#include "register/ActJournal.h"

#include <QString>
#include <QStringList>

namespace dosarium {

// Why `entry` must not be acted on, in the words the user reads; empty when it may. `dataDirs`
// are the data folders of this workstation (the one in use and its own).
QString ActJournalProblem(const ActJournal::Entry &entry, const QStringList &dataDirs);

} // namespace dosarium
