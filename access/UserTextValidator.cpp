#include "access/UserTextValidator.h"

#include "access/UserFile.h"
#include "store/CodePage.h"

namespace dosarium {

std::optional<QString> userBoxText(const QString &typed)
{
    if (typed.size() > UserEntry::TextSize)
        return std::nullopt;
    const CodePage &page = CodePage::windows1250();
    QString out = typed;
    for (QChar &c : out) {
        // Control characters never belong in a name or a password.
        if (c.category() == QChar::Other_Control || !page.canEncode(c))
            return std::nullopt;
        const QChar upper = c.toUpper();
        if (page.canEncode(upper))
            c = upper;
    }
    return out;
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
