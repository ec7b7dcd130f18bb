#include "access/UserTextValidator.h"

#include "access/UserFile.h"
#include "app/StoredTextValidator.h"

namespace dosarium {

std::optional<QString> userBoxText(const QString &typed)
{
    return storedBoxText(typed, UserEntry::TextSize, true);
}

UserTextValidator::UserTextValidator(QObject *parent) : QValidator(parent) {}

QValidator::State UserTextValidator::validate(QString &input, int &) const
{
    const std::optional<QString> text = userBoxText(input);
    if (!text)
        return Invalid;
    input = *text;
    return Acceptable;
}

} // namespace dosarium
