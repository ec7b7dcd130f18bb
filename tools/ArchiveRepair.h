// The repairs behind "dosarium-arhiva verifica --repara": those that are safe to make without a
// person deciding. A row or an archived document is never removed.
#pragma once

#include "tools/ArchiveCheck.h"

#include <QStringList>
#include <chrono>

namespace dosarium {

struct RepairResult {
    QStringList done;   // one line per repair made
    QStringList failed; // one line per repairable finding left as it was, with the reason
};

// A temporary file written within this time may belong to a write going on elsewhere.
inline constexpr std::chrono::seconds kLeftoverIdle = std::chrono::minutes(10);

// The safe repairs of what `found` reported: counters raised past the highest id in use, an
// interrupted re-coding finished or undone to the user file's key, partial files that no writer
// owns removed. Rows and documents are never touched.
RepairResult repairDataFolder(const QString &dataDir, const CheckResult &found);

} // namespace dosarium
