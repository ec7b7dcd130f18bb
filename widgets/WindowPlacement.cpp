#include "widgets/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace dosarium {

void centreWindow(QWidget *window, const QRect &area)
{
    QRect target = area;
    if (!target.isValid()) {
        if (QScreen *screen = QGuiApplication::primaryScreen())
            target = screen->availableGeometry();
    }
    if (!target.isValid())
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(target.center());
    window->move(frame.topLeft());
}

} // namespace dosarium
