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

// The words the user reads for a system error number (errno).
QString systemErrorText(int error);

} // namespace dosarium
