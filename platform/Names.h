// The names the system gives the account this program runs under.
#pragma once

#include <QString>

namespace dosarium {

// The account's login name; the USER variable when the system has no entry for it.
QString loginName();

// The computer's name as the other workstations know it.
QString computerName();

// A short text that tells this account from the others of the computer (its number).
QString accountTag();

} // namespace dosarium
