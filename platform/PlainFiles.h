// Opening a file of a folder a stranger may have filled: only a plain file opens, never through
// a symbolic link and never waiting on a named pipe or a device.
#pragma once

#include "platform/FileHandles.h"
#include "platform/FileStatus.h"

namespace dosarium {

// Opens a plain file for reading or for reading and writing (made when missing with `create`),
// never through a link and without blocking on a pipe or a device. Returns the descriptor, or -1
// with errno set: ELOOP for a link, EISDIR for a folder, EINVAL for anything else but a plain
// file.
int openPlainFile(const QString &path, FileAccess access, bool create = false,
                  unsigned mode = 0666);

} // namespace dosarium
