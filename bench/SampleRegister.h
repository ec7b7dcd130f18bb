// A documents table shaped like an office's: realistic texts of varying length, 200 domains of
// 40 subdomains each, dates over 20 years; written whole, before any clock starts.
#pragma once

#include <QString>

namespace dosarium::bench {

// Writes the documents table with `acts` rows (ids 1 to acts) into `dataDir`, with the program's own
// columns, and a settings file whose act counter follows them; existing files are replaced.
void writeSampleRegister(const QString &dataDir, int acts);

// The process's peak resident memory in bytes.
qint64 peakResidentBytes();

} // namespace dosarium::bench
