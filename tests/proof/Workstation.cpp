// dosarium_workstation: the workstation of Station.h as a process of its own, its lines on the
// standard output.
#include "Station.h"

#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return dosarium::proof::runWorkstation(args, [](const QString &line) {
        const QByteArray bytes = line.toUtf8() + '\n';
        fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        fflush(stdout);
    });
}
