// The numbers of acts. IDACT is a whole number from 1 to 9999999999, the ten digits its column
// holds; written in decimal digits without leading zeros, it also names the act's archived file.
// A row written elsewhere may hold anything in that column ("1.5", "0", "-3", "1e300"): such a
// value is no act's number, and it is never rounded into one.
#pragma once

#include "store/TableLayout.h"

#include <QString>
#include <optional>

namespace dosarium {

constexpr qint64 kLastActId = 9'999'999'999;

// The act number `text` holds: a whole number from 1 to kLastActId, with blanks around it, a
// "+" sign, leading zeros or zero decimals allowed; nothing for any other text.
std::optional<qint64> actIdNumber(const QString &text);

// The IDACT text as the program handles it: the number's canonical text for a valid one,
// otherwise `stored` without its blanks ("1.5"), which names no act.
QString actIdText(const QString &stored);
// The IDACT of a stored record, as actIdText gives it for the stored characters.
QString storedActIdText(const Field &field, const char *record);

// The message for an act whose IDACT is no act number.
QString invalidActIdText(const QString &id);

// The message for an addition when the counter has passed the last act number.
QString actIdsUsedUpText(const QString &counterValue);

} // namespace dosarium
