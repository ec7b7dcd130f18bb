// dosarium-sql [--filter TEXT] [STATEMENT ...]
// Runs each argument as one statement, or, without statements, the statements of standard input
// (a line holding only ";" ends one). Rows are printed tab-separated, in UTF-8.
#include "tools/SqlConsole.h"

#include "platform/Console.h"
#include "platform/FileModes.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    // What the console writes into a data folder stays the office group's, as the program's.
    dosarium::useOfficeFileMode();
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString filter;
    QStringList statements;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--filter")) {
            if (i + 1 >= args.size()) {
                fputs("--filter cere un text de filtru.\n", stderr);
                return 1;
            }
            filter = args.at(++i);
        } else if (args.at(i) == QLatin1String("--help")) {
            puts("dosarium-sql [--filter TEXT] [STATEMENT ...]");
            return 0;
        } else {
            statements << args.at(i);
        }
    }
    if (statements.isEmpty()) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            fputs("Nu pot citi intrarea standard.\n", stderr);
            return 1;
        }
        statements = dosarium::splitStatements(QString::fromUtf8(in.readAll()));
    }
    QFile out;
    if (!out.open(dosarium::standardOutputDescriptor(),
                  QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        fputs("Nu pot scrie iesirea standard.\n", stderr);
        return 1;
    }
    QTextStream err(stderr);
    err.setEncoding(QStringConverter::Utf8);
    return dosarium::runStatements(statements, filter, out, err);
}
