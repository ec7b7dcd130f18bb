// The command line of dosarium-arhiva: its two commands, their reports and exit statuses.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace dosarium {

// Exit statuses: nothing found, something found (or documents missing from an export), the
// folder cannot be read, the command is wrong, or the export could not be made.
enum ArchiveToolStatus { StatusClean = 0, StatusFound = 1, StatusFailed = 2 };

// Runs "verifica [--repara] DOSAR", "exporta [--separator C] DOSAR DEST" or "--help" (the
// arguments after the program's name). The report goes to `out`, errors to `err`; `terminal`
// says that `err` is a terminal, which then shows the export's progress bar.
int runArchiveTool(const QStringList &arguments, QTextStream &out, QTextStream &err,
                   bool terminal = false);

} // namespace dosarium
