#include "access/PasswordPrompt.h"

#include "access/PasswordBox.h"
#include "ui/ButtonLook.h"
#include "widgets/FlatSpeedButton.h"
#include "widgets/WindowPlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace dosarium {

TForm5::TForm5(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("Parola"));
    fixedDialog(this, 260, 96, QColor(0x40, 0x50, 0x6A));

    Label1 = new QLabel(QStringLiteral("Parola"), this);
    Label1->setGeometry(16, 16, 60, 21);
    Parola = passwordBox(QStringLiteral("Parola"), this);
    Parola->setGeometry(80, 16, 164, 21);
    Label1->setBuddy(Parola);
    OkBut = new TFlatSpeedButton(QStringLiteral("OK"), this);
    OkBut->setObjectName(QStringLiteral("OkBut"));
    OkBut->setGeometry(40, 56, 80, 25);
    CancelBut = new TFlatSpeedButton(QStringLiteral("Renunt"), this);
    CancelBut->setObjectName(QStringLiteral("CancelBut"));
    CancelBut->setGeometry(140, 56, 80, 25);
    for (TFlatSpeedButton *button : {OkBut, CancelBut}) {
        paintNavy(button);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(OkBut, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(CancelBut, &QAbstractButton::clicked, this, &QDialog::reject);
    Parola->installEventFilter(this);
}

TForm5::~TForm5() = default;

std::optional<QString> TForm5::AskPassword(const QString &title)
{
    setWindowTitle(title);
    Parola->clear();
    centreWindow(this);
    Parola->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return Parola->text();
}

bool TForm5::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the box answers OK; Escape reaches the dialog and cancels.
    if (watched == Parola && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace dosarium
