// sample-register DATADIR [ACTS]: writes a documents table of ACTS acts (100,000 by default)
// into a data folder, for trying the register on an office's volume.
#include "SampleRegister.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "folosire: sample-register DOSAR [ACTE]\n");
        return 2;
    }
    const int acts = args.size() > 2 ? args.at(2).toInt() : 100'000;
    QDir().mkpath(args.at(1));
    dosarium::bench::writeSampleRegister(args.at(1), acts);
    return 0;
}
