// What the desktop does for the program where the system offers it directly.
#pragma once

#include <QString>

namespace dosarium {

// Opens the file with the program the system associates with its type, started in the file's
// own folder, without waiting for it. Windows does this itself; elsewhere the desktop is asked
// through the window library, and this returns false without doing anything.
bool openWithAssociatedProgram(const QString &path);

// A second copy that found the first running hands it the foreground: Windows lets only the
// program the user started last bring a window to the front, so this copy restores the other
// copy's top-level window whose caption begins with `caption` (raising it when it is not
// minimised) and allows that copy to raise another of its windows. Nothing elsewhere, where
// the running copy may come forward by itself.
void passForegroundToOtherCopy(const QString &caption);

} // namespace dosarium
