// Folders of this account's own, where no other account of the computer may put a thing (the
// place of the single copy's socket).
#pragma once

#include <QString>

namespace dosarium {

// A folder that this account alone can write: its own, no link, closed to the others.
bool isOwnPrivateFolder(const QString &path);

// Makes the folder, open to this account alone; nothing when it cannot (isOwnPrivateFolder
// tells whether it can be used).
void makePrivateFolder(const QString &path);

} // namespace dosarium
