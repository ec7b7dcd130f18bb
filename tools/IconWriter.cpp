// dosarium-icon FOLDER: writes the program's icon in the desktop's usual sizes, as
// FOLDER/hicolor/NxN/apps/dosarium.png, for the installation.
#include "ui/ProgramIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "folosire: dosarium-icon DIRECTOR\n");
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(args.at(1)).arg(size);
        if (!QDir().mkpath(folder) ||
            !dosarium::programIcon(size).save(folder + QStringLiteral("/dosarium.png"))) {
            std::fprintf(stderr, "nu pot scrie %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
