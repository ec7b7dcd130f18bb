// The activity log of a data folder and the id counters of its settings file.
#pragma once

#include "app/AppContext.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace dosarium {

class Query;

// Takes the next id of `counter` (section INDEX of the settings file of `dataDir`): returns the
// stored text ("1" when absent or empty) and stores that number plus one, with no other
// workstation in between. A stored value that is no whole number is an error, and then the
// counter is not advanced.
QString NextId(const QString &dataDir, const QString &counter);

// Appends one entry to the log table of the context's data folder: a new IDLOG, the date and time
// of `now`, the action, the workstation and, when the log has the column for it, the program user
// (see LogTable). The id is taken before the insert runs, so a failed insert skips it.
void WriteLog(Query &sx, const AppContext &context, const QString &action, const QDateTime &now,
              const QString &programUser = QString());

} // namespace dosarium
