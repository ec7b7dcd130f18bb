#include "widgets/FadeTimerTicker.h"

namespace dosarium {

FadeTimerTicker::FadeTimerTicker()
{
    m_timer.setInterval(IntervalMs);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &FadeTicker::tick);
}

void FadeTimerTicker::resume()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void FadeTimerTicker::suspend()
{
    m_timer.stop();
}

bool FadeTimerTicker::isSuspended() const
{
    return !m_timer.isActive();
}

} // namespace dosarium
