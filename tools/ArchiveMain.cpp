// dosarium-arhiva verifica [--repara] DOSAR | exporta [--separator C] DOSAR DEST | --help
// The archive's safety net: a check of a data folder with its safe repairs, and an export of
// its documents and tables to open formats (see ArchiveConsole.h).
#include "tools/ArchiveConsole.h"

#include "platform/Console.h"
#include "platform/FileModes.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // What the console writes into a data folder stays the office group's, as the program's.
    dosarium::useOfficeFileMode();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    return dosarium::runArchiveTool(QCoreApplication::arguments().mid(1), out, err,
                                    dosarium::standardErrorIsTerminal());
}
