// The file-open dialog and the folder picker, with Romanian texts on their buttons and labels,
// and a seam through which a test answers them.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace dosarium {

enum class ChooserKind { File, Folder };

// Lets the person choose an existing file (any type); empty when they cancel.
QString chooseFile(QWidget *parent, const QString &title);
// Lets the person choose an existing folder, starting with none chosen; empty when they cancel.
QString chooseFolder(QWidget *parent, const QString &title);

// Test seam: while set, the hook answers instead of a dialog (empty text: cancelled). Returns
// the previous hook.
using ChooserHook = std::function<QString(ChooserKind kind, const QString &title)>;
ChooserHook setChooserHook(ChooserHook hook);

} // namespace dosarium
