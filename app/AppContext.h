// The folders and the workstation text every window reads; filled once by the start-up sequence.
#pragma once

#include <QString>

namespace dosarium {

struct AppContext {
    QString ExeDir;          // folder of the executable, no trailing separator
    QString DataDir;         // the active data folder: local, or the server folder
    QString LocalDataDir;    // always ExeDir + "/Data"
    QString TempDir;         // ExeDir + "/TEMP", scratch files, removed at program end
    QString WorkstationUser; // computer name (at most 15 characters) + " - " + OS user name
};

} // namespace dosarium
