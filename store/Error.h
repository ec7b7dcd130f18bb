// The failures of the table engine, each an Error of its own kind.
#pragma once

#include "platform/Error.h"

namespace dosarium {

// A table file that cannot be read: damaged, cut or of an unknown kind.
class DamagedTableError : public Error {
public:
    using Error::Error;
};

// A table that another program or workstation holds when it is needed alone.
class TableInUseError : public Error {
public:
    using Error::Error;
};

// A statement or a record filter the engine does not understand.
class SyntaxError : public Error {
public:
    using Error::Error;
};

} // namespace dosarium
