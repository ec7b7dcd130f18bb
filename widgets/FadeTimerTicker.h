#pragma once

// FadeTimerTicker: the fade ticker of the running program, a repeating 30 ms timer on the
// user-interface thread.

#include "widgets/FadeTicker.h"

#include <QTimer>

namespace dosarium {

class FadeTimerTicker : public FadeTicker {
    Q_OBJECT
public:
    FadeTimerTicker();

    void resume() override;
    void suspend() override;
    bool isSuspended() const override;

private:
    QTimer m_timer;
};

} // namespace dosarium
