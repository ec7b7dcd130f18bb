// Whether a domain or subdomain text can name a folder of the archive on every workstation
// that shares the data folder, Linux and Windows alike.
#pragma once

#include <QString>

namespace dosarium {

// False for an empty text, "." or "..", a text holding a separator (\ or /), any of
// : * ? " < > |, or a control character, a text ending in a dot or a blank, and a device name
// (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9) in any letter case, alone or with an
// extension ("nul.txt", "Com1.pdf").
bool isPortableFolderName(const QString &name);

} // namespace dosarium
