#include "ui/KeyPreview.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace dosarium {

namespace {

class KeyPreview : public QObject {
public:
    KeyPreview(QWidget *window, KeyPreviewHandler handler)
        : QObject(window), m_window(window), m_handler(std::move(handler))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        // Each key is acted on once, where it arrives first.
        return widget && widget->window() == m_window &&
               m_handler(widget, static_cast<QKeyEvent *>(event));
    }

private:
    QWidget *m_window;
    KeyPreviewHandler m_handler;
};

} // namespace

void installKeyPreview(QWidget *window, KeyPreviewHandler handler)
{
    auto *preview = new KeyPreview(window, std::move(handler));
    window->installEventFilter(preview);
    for (QWidget *child : window->findChildren<QWidget *>())
        child->installEventFilter(preview);
}

} // namespace dosarium
