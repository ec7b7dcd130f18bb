#pragma once

// FadeTicker: what wakes a flat button every 30 ms while its face fades back after the mouse
// has left. A button owns one while its slow fade is on; it sleeps (suspended) while nothing
// fades. The factory can be replaced, so that a test drives the steps itself.

#include <QObject>

#include <functional>
#include <memory>

namespace dosarium {

class FadeTicker : public QObject {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 30;
    using Factory = std::function<std::unique_ptr<FadeTicker>()>;

    // A new ticker from the current factory, suspended.
    static std::unique_ptr<FadeTicker> create();
    // Replaces the factory; an empty one brings back the timer-driven ticker.
    static void setFactory(Factory factory);

    virtual void resume() = 0;
    virtual void suspend() = 0;
    virtual bool isSuspended() const = 0;

signals:
    // One fade step is due.
    void tick();

protected:
    using QObject::QObject;
};

} // namespace dosarium
