// A stand-in for the program in the single-copy test: reports on standard output whether it is
// the first copy, and what the first copy did when a later one started.
#include "program/SingleInstance.h"

#include <QApplication>
#include <QWidget>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    dosarium::SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    if (instance.anotherCopyRuns()) {
        std::printf("later copy\n");
        return 0;
    }
    QWidget window;
    window.showMinimized();
    instance.setActivationTarget([&window] { return &window; });
    QObject::connect(&instance, &dosarium::SingleInstance::activationRequested, &app, [&] {
        std::printf("brought forward, minimised %d\n", int(window.isMinimized()));
        std::fflush(stdout);
        QApplication::quit();
    });
    std::printf("first copy\n");
    std::fflush(stdout);
    return QApplication::exec();
}
