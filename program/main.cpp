// Dosarium: archive and register of scanned documents. The entry: one copy per session, the
// application-wide settings, the windows in their order, the splash that starts everything.
#include "app/StartupWindow.h"
#include "platform/FileModes.h"
#include "program/SingleInstance.h"
#include "program/ToolTipPolicy.h"
#include "program/Windows.h"
#include "ui/ProgramIcon.h"
#include "ui/QtTexts.h"

#include <QApplication>
#include <QPixmap>

using namespace dosarium;

int main(int argc, char *argv[])
{
    // The data folder is shared by the office's users: what one writes, the others may change;
    // no other account of the computer reads it.
    useOfficeFileMode();

    // The program takes no options: its arguments, Qt's own among them, are ignored.
    int ownArgc = argc > 0 ? 1 : 0;
    char *ownArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    QApplication app(ownArgc, ownArgv);
    SingleInstance instance(QStringLiteral("Dosarium"));
    if (instance.anotherCopyRuns())
        return 0;

    QApplication::setApplicationName(QStringLiteral("Dosarium"));
    // No display name: the window system would add it to every caption.
    // The hidden splash stays the main window: the program ends only when it is told to.
    QApplication::setQuitOnLastWindowClosed(false);
    ToolTipPolicy::install();
    QApplication::setWindowIcon(QPixmap::fromImage(programIcon(64)));
    QtTexts romanian;
    QApplication::installTranslator(&romanian);

    Windows windows;
    instance.setActivationTarget([&windows] { return windows.frontWindow(); });
    windows.Form1->show();
    return QApplication::exec();
}
