#include "access/PasswordBox.h"

#include "access/UserFile.h"
#include "access/UserTextValidator.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace dosarium {

namespace {

class XStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return 'X';
        if (hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QLineEdit *userNameBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setMaxLength(UserEntry::TextSize);
    box->setValidator(new UserTextValidator(box));
    return box;
}

QLineEdit *passwordBox(const QString &name, QWidget *parent)
{
    QLineEdit *box = userNameBox(name, parent);
    box->setEchoMode(QLineEdit::Password);
    auto *style = new XStyle;
    style->setParent(box);
    box->setStyle(style);
    return box;
}

} // namespace dosarium
