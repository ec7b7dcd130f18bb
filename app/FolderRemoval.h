// Removing a folder tree for good (the scratch folder at program end).
#pragma once

#include <QString>
#include <QStringList>

namespace dosarium {

// Deletes the folder with everything in it, without asking. Returns the files and folders that
// could not be deleted (empty on success; a folder that does not exist is already gone).
QStringList removeFolderTree(const QString &folder);

} // namespace dosarium
