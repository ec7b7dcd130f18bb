#include "widgets/FlatButton.h"

#include <QKeyEvent>

namespace dosarium {

TFlatButton::TFlatButton(QWidget *parent) : TFlatButton(QString(), parent) {}

TFlatButton::TFlatButton(const QString &caption, QWidget *parent)
    : TFlatSpeedButton(caption, parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void TFlatButton::keyPressEvent(QKeyEvent *event)
{
    // Space is the push button's own key; Enter presses the focused button as well.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        event->accept();
        return;
    }
    TFlatSpeedButton::keyPressEvent(event);
}

} // namespace dosarium
