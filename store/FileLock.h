// The lock offsets of table files (the locks themselves: platform/FileLocks.h).
#pragma once

#include "platform/FileLocks.h"

namespace dosarium {

// The lock offsets of table files, far past any data so that a lock never blocks reading.
namespace TableLocks {
constexpr qint64 kOpen = 999'999'999;      // shared by every user of the table, exclusive alone
constexpr qint64 kHeader = 1'000'000'000;  // held around every append and header write
constexpr qint64 kRecords = 1'000'000'001; // whole-file range, held by statements on many rows
constexpr qint64 kRecordsLength = 1'000'000'000;
} // namespace TableLocks

} // namespace dosarium
