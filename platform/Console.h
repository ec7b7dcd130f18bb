// The console a command-line tool runs in.
#pragma once

namespace dosarium {

// The descriptor of the standard output, for QFile::open.
int standardOutputDescriptor();

// Whether the standard error goes to a terminal (where a progress line may be redrawn).
bool standardErrorIsTerminal();

} // namespace dosarium
