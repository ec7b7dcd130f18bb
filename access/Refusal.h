// A foreseen refusal: the operation did not begin, or what it had changed has been put back. The
// window shows the message in the message box under the title; a console prints the message.
#pragma once

#include "platform/Error.h"

#include <utility>

namespace dosarium {

class Refusal : public Error {
public:
    explicit Refusal(const QString &text) : Error(text) {}
    Refusal(QString title, const QString &text) : Error(text), m_title(std::move(title)) {}
    const QString &title() const { return m_title; }

private:
    QString m_title;
};

} // namespace dosarium
