#include "app/StoredTextValidator.h"

#include "store/CodePage.h"

#include <QLineEdit>

namespace dosarium {

std::optional<QString> storedBoxText(const QString &typed, int maxLength, bool upperCase)
{
    if (typed.size() > maxLength)
        return std::nullopt;
    const CodePage &page = CodePage::windows1250();
    QString out = typed;
    for (QChar &c : out) {
        if (c.category() == QChar::Other_Control || !page.canEncode(c))
            return std::nullopt;
        if (upperCase) {
            const QChar upper = c.toUpper();
            if (page.canEncode(upper))
                c = upper;
        }
    }
    return out;
}

StoredTextValidator::StoredTextValidator(int maxLength, bool upperCase, QObject *parent)
    : QValidator(parent), m_maxLength(maxLength), m_upperCase(upperCase)
{}

QValidator::State StoredTextValidator::validate(QString &input, int &) const
{
    const std::optional<QString> text = storedBoxText(input, m_maxLength, m_upperCase);
    if (!text)
        return Invalid;
    input = *text;
    return Acceptable;
}

void explainRefusedKeys(QLineEdit *box, const ProblemReport &report, QWidget *control)
{
    QWidget *at = control ? control : box;
    QObject::connect(box, &QLineEdit::inputRejected, box, [box, report, at] {
        if (!report)
            return;
        if (box->text().size() >= box->maxLength())
            report(QStringLiteral("Aici incap cel mult %1 caractere!").arg(box->maxLength()), at);
        else
            report(QStringLiteral("Caracterul tastat nu poate fi scris in fisierele programului: "
                                  "nu este in setul de caractere Windows-1250!"),
                   at);
    });
}

} // namespace dosarium
