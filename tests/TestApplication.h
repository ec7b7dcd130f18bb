// One application object for the widget tests, created on first use.
#pragma once

#include <QApplication>

// The tests use the offscreen platform unless another one is asked for. ctest asks for it
// through QT_QPA_PLATFORM, but Wine passes no QT_ variable on to a Windows program, so the
// Windows tests would otherwise open real windows that are never shown on a screen.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "dosarium_widget_tests";
    static char *argv[] = {name, nullptr};
    if (QApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}
