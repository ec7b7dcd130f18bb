// The application's general error report: every user action (a click, a key, a timer) runs
// inside guarded(); an exception shows its own text in an error box and the program goes on.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace dosarium {

// Shows the error box with `message` over `parent` (or the active window) and waits for OK.
void showErrorReport(QWidget *parent, const QString &message);

// Runs `action`; a dosarium::Error or any std::exception is reported through showErrorReport.
// Returns false when the action failed.
bool guarded(QWidget *parent, const std::function<void()> &action);

// Test seam: while set, reports go to the hook instead of a window. Returns the previous hook.
using ErrorReportHook = std::function<void(const QString &message)>;
ErrorReportHook setErrorReportHook(ErrorReportHook hook);

} // namespace dosarium
