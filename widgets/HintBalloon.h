#pragma once

// THintBalloon: the speech-bubble pop-up of a balloon hint. A borderless, always-on-top tool
// window shaped as a pale yellow rounded panel with a triangular tail whose tip touches a
// corner of the control it is about. It takes the keyboard focus while shown (the window
// under it keeps its active look) and closes, destroying itself, when clicked, when it loses
// the focus or when its duration runs out.

#include "widgets/BalloonGeometry.h"
#include "widgets/HintBalloonAnimation.h"
#include "widgets/HintBalloonContent.h"

#include <QAbstractAnimation>
#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QWindow;

namespace dosarium {

class THintBalloon : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb PanelColor = 0xFDFEE7;

    // `rememberedWindow` is the window that was active when the balloon was asked for.
    explicit THintBalloon(QWidget *rememberedWindow = nullptr);
    ~THintBalloon() override;

    void setAnimation(THintBalloonAnimationType type, int speedMs);
    void setDuration(int ms);

    // Builds the content from its description, chooses the corner of `control` (screen
    // coordinates, or an empty rectangle at a point) starting with `position`, places and
    // shapes the window and shows it.
    void popup(const QString &description, int position, const QRect &control,
               const BalloonGeometry::Rooms &rooms);

    int position() const { return m_position; }
    const HintBalloonContent &content() const { return m_content; }
    const BalloonGeometry::ContentLayout &contentLayout() const { return m_layout; }
    QWidget *rememberedWindow() const { return m_remembered; }
    bool closesByTimer() const { return m_closeTimer.isActive(); }
    int duration() const { return m_closeTimer.interval(); }
    // The running show animation, or none.
    QAbstractAnimation *animation() const { return m_animation; }

    static QFont textFont();
    static QFont titleFont();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildPanel(const QImage &icon);
    void applyReveal(double progress);
    void focusWindowChanged(QWindow *window);
    void keepRememberedWindowActiveLooking();
    void releaseRememberedWindow();

    QPointer<QWidget> m_remembered;
    HintBalloonContent m_content;
    BalloonGeometry::ContentLayout m_layout;
    int m_position = BalloonGeometry::AboveLeft;
    THintBalloonAnimationType m_animationType = batBlend;
    int m_animationSpeed = 300;
    QTimer m_closeTimer;
    QPointer<QAbstractAnimation> m_animation;
    QWidget *m_panel = nullptr;
    QPoint m_offset;
    bool m_hadFocus = false;
    bool m_paletteKept = false;
};

} // namespace dosarium
