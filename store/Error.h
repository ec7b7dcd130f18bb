// The one base class of the program's unforeseen failures: the message is what the user reads.
#pragma once

#include <QString>
#include <stdexcept>

namespace dosarium {

class Error : public std::runtime_error {
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

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

// The words the user reads for a system error number (errno).
QString systemErrorText(int error);

} // namespace dosarium
