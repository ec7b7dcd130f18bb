// One application object for the widget tests, created on first use.
#pragma once

#include <QApplication>
#include <QDir>

// The tests use the offscreen platform unless another one is asked for. ctest asks for it
// through QT_QPA_PLATFORM, but Wine passes no QT_ variable on to a Windows program, so the
// Windows tests ask for it themselves; there the offscreen platform finds fonts only in the
// folder QT_QPA_FONTDIR names, so it is given the system's fonts folder.
inline void useOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR") && !qEnvironmentVariableIsEmpty("WINDIR"))
        qputenv("QT_QPA_FONTDIR",
                QDir::toNativeSeparators(qEnvironmentVariable("WINDIR") + QStringLiteral("/Fonts"))
                    .toLocal8Bit());
#endif
}

inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "dosarium_widget_tests";
    static char *argv[] = {name, nullptr};
    if (QApplication::instance())
        return;
    useOffscreenPlatform();
    new QApplication(argc, argv);
}
