// Removing a folder tree for good (the scratch folder at program end).
#pragma once

#include <QString>
#include <QStringList>

namespace dosarium {

// Deletes the folder with everything in it, without asking. Returns the files and folders that
// could not be deleted (empty on success; a folder that does not exist is already gone). A folder
// left empty whose parent this user may not change stays, and that is no failure.
QStringList removeFolderTree(const QString &folder);

// Removes what an earlier run of the program left in the scratch folder (a run ended by a logout
// or a crash): the readable copies of documents and the users' table, with the new files of their
// writes, when this account made them. Links, folders and other people's files stay; nothing is
// followed.
void clearOwnScratchFiles(const QString &folder);

} // namespace dosarium
