// The processes of this computer, as far as the program needs to know them.
#pragma once

#include <QtGlobal>

namespace dosarium {

// The number the system knows this process by.
qint64 currentProcessId();

// Whether the process `pid` of this computer has surely ended (another than this one): false
// when it runs or the system cannot tell.
bool processHasEnded(qint64 pid);

// The most memory this process has held at once, in bytes.
qint64 peakResidentBytes();

} // namespace dosarium
