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

// Where the program runs and who runs it, as the system tells them (or as a test sets them).
struct Workstation {
    QString exeDir;
    QString computerName; // empty when it cannot be had
    QString userName;     // empty when it cannot be had
    static Workstation current();
};

// The folder that holds the data folder and the scratch folders for an executable in `exeDir`:
// that folder, or its parent when the executable sits in a folder named "bin" that holds no
// "Data" while its parent does (the package's layout: the executables where only root writes,
// the data beside them as in every installation).
QString programFolder(const QString &exeDir);

// The context of a start: the folders beside the executable, the local data folder in use.
AppContext makeAppContext(const Workstation &station);

// Computer name cut to 15 characters, " - ", the user name or "Necunoscut".
QString workstationText(const QString &computerName, const QString &userName);

} // namespace dosarium
