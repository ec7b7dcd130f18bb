#include "widgets/HintBalloonControl.h"

#include "widgets/BalloonGeometry.h"
#include "widgets/BalloonIcons.h"
#include "widgets/HintBalloon.h"
#include "widgets/HintBalloonContent.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace dosarium {

using namespace BalloonGeometry;

THintBalloonControl::THintBalloonControl(QObject *parent) : QObject(parent) {}

QRect THintBalloonControl::anchorRect(const QWidget *control, int x, int y)
{
    if (!control)
        return QRect(x, y, 0, 0);
    return QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
}

QRect THintBalloonControl::screenRect(const QWidget *control, const QRect &anchor)
{
    QScreen *screen = QGuiApplication::screenAt(anchor.center());
    if (!screen && control)
        screen = control->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

THintBalloon *THintBalloonControl::showBalloon(int iconKind, const QString &title, int position,
                                               QWidget *control, int x, int y, int bestWidth,
                                               const QString &text)
{
    const QRect anchor = anchorRect(control, x, y);
    const Rooms rooms = freeRooms(anchor, screenRect(control, anchor));
    const QSize maximum = quadrantRoom(rooms, largestQuadrant(rooms));

    HintBalloonContent content;
    content.iconResName = BalloonIcons::resourceName(iconKind);
    content.title = title;
    content.text = text;
    content.bestWidth = bestWidth;
    content.maxWidth = maximum.width();
    content.maxHeight = maximum.height();

    auto *balloon = new THintBalloon(QApplication::activeWindow());
    balloon->setAnimation(m_animationType, m_animationSpeed);
    balloon->setDuration(m_duration);
    balloon->popup(content.toDescription(), position, anchor, rooms);
    return balloon;
}

} // namespace dosarium
