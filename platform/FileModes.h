// The permissions of the files and folders this program makes.
#pragma once

#include <QString>

namespace dosarium {

// Makes every file and folder this process creates readable and writable by the office group
// and by no other account of the computer (the process's file-creation mask): what one user
// stores the others may change, and the documents, the user file and the settings stay private.
void useOfficeFileMode();

// Gives the file at `path` exactly the permission bits `permissions` (as FileStatus gives
// them); false with errno set when the system refuses.
bool setPermissions(const QString &path, unsigned permissions);

// The same for an open file; where the system keeps no such bits, nothing is changed.
bool setPermissionsOf(int fd, unsigned permissions);

// 0 when this account may write the file at `path` (or nothing stands there); else why not, as
// an errno value (EACCES for a read-only file).
int writeRefusal(const QString &path);

} // namespace dosarium
