// How a long archive operation reports its progress without knowing any window: the window
// layer connects these three calls to the progress strip (start: the bar's maximum and the
// description, then Start; step: Step and let pending window events run; finish: Finish).
#pragma once

#include <QString>
#include <QtGlobal>

namespace dosarium {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;

    // The operation begins: `maximum` steps will follow at most, described by `description`.
    virtual void start(qint64 maximum, const QString &description) = 0;
    // One more unit of work is done.
    virtual void step() = 0;
    // The operation is over, done or failed. An operation that fails before it could start
    // still calls finish, so a progress window is always taken down.
    virtual void finish() = 0;
};

// Finishes the progress when it goes out of scope unless finish() was called, so an operation
// that fails part-way never leaves a progress window up. A failure to finish is not thrown
// over the operation's own error.
class FinishGuard {
public:
    explicit FinishGuard(ProgressSink &progress) : m_progress(progress) {}
    ~FinishGuard()
    {
        if (m_done)
            return;
        try {
            m_progress.finish();
        } catch (...) {
        }
    }
    FinishGuard(const FinishGuard &) = delete;
    FinishGuard &operator=(const FinishGuard &) = delete;

    void finish()
    {
        m_done = true;
        m_progress.finish();
    }

private:
    ProgressSink &m_progress;
    bool m_done = false;
};

// For callers that show no progress.
class NoProgress final : public ProgressSink {
public:
    void start(qint64, const QString &) override {}
    void step() override {}
    void finish() override {}
};

} // namespace dosarium
