#pragma once

// THintBalloonControl: the non-visual holder of the balloon hint settings. Each show request
// creates a new THintBalloon pointing at a control (or a point) and returns at once; the
// balloon lives on by itself and destroys itself when it closes.

#include "widgets/HintBalloonAnimation.h"

#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

namespace dosarium {

class THintBalloon;

class THintBalloonControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Duration READ duration WRITE setDuration)
    Q_PROPERTY(int AnimationSpeed READ animationSpeed WRITE setAnimationSpeed)
    Q_PROPERTY(
        dosarium::THintBalloonAnimationType AnimationType READ animationType WRITE setAnimationType)
public:
    explicit THintBalloonControl(QObject *parent = nullptr);

    // Milliseconds before a balloon closes by itself; 0 keeps it until clicked or left.
    int duration() const { return m_duration; }
    void setDuration(int ms) { m_duration = ms; }
    // Length of the show animation in milliseconds.
    int animationSpeed() const { return m_animationSpeed; }
    void setAnimationSpeed(int ms) { m_animationSpeed = ms; }
    THintBalloonAnimationType animationType() const { return m_animationType; }
    void setAnimationType(THintBalloonAnimationType type) { m_animationType = type; }

    // Shows a balloon: icon kind (0 information, 1 error, 2 warning, other none), title,
    // position (0 to 3: tail at the control's top-left, top-right, bottom-left or bottom-right
    // corner), the control pointed at or none, the point pointed at when there is no control,
    // the best width of the text panel and the text. Returns the new balloon.
    THintBalloon *showBalloon(int iconKind, const QString &title, int position, QWidget *control,
                              int x, int y, int bestWidth, const QString &text);

    // The control's rectangle in screen coordinates, or an empty rectangle at the point.
    static QRect anchorRect(const QWidget *control, int x, int y);
    // The screen the anchor lies on.
    static QRect screenRect(const QWidget *control, const QRect &anchor);

private:
    int m_duration = 0;
    int m_animationSpeed = 300;
    THintBalloonAnimationType m_animationType = batBlend;
};

} // namespace dosarium
