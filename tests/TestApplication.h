// One application object for the widget tests, created on first use.
#pragma once

#include <QApplication>

inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "dosarium_widget_tests";
    static char *argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}
