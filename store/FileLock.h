// The lock offsets of table files (the locks themselves: platform/FileLocks.h).
#pragma once

#include "platform/FileLocks.h"

namespace dosarium {

// The lock offsets of table files, far past any data so that a lock never blocks reading.
//
// They are the same on Linux and Windows, where locks are mandatory (a locked byte cannot be read
// or written through another handle), so no table may ever hold a byte at or past kOpen: the
// engine refuses an append that would reach it (kLargestTable). The offsets stay below 4 GiB,
// where dBase-family software has always locked and where every copy of this program already
// locks: moving them would leave workstations of two versions on one folder without exclusion.
// A table of the program stays far below a gigabyte (a hundred thousand acts take about 60 MB).
namespace TableLocks {
constexpr qint64 kOpen = 999'999'999;      // shared by every user of the table, exclusive alone
constexpr qint64 kHeader = 1'000'000'000;  // held around every append and header write
constexpr qint64 kRecords = 1'000'000'001; // whole-file range, held by statements on many rows
constexpr qint64 kRecordsLength = 1'000'000'000;
constexpr qint64 kLargestTable = kOpen; // bytes a table may hold: every lock lies past them
} // namespace TableLocks

} // namespace dosarium
