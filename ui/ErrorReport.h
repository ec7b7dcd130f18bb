// The application's general error report: the error box that shows a failed action's own text,
// after which the program goes on. User actions reach it through the workspace's guard.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace dosarium {

// Shows the error box with `message` over `parent` (or the active window) and waits for OK.
void showErrorReport(QWidget *parent, const QString &message);

// Test seam: while set, reports go to the hook instead of a window. Returns the previous hook.
using ErrorReportHook = std::function<void(const QString &message)>;
ErrorReportHook setErrorReportHook(ErrorReportHook hook);

} // namespace dosarium
