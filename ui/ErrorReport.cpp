#include "ui/ErrorReport.h"

#include "store/Error.h"
#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace dosarium {

namespace {

ErrorReportHook &reportHook()
{
    static ErrorReportHook hook;
    return hook;
}

// Reports a failed action. An operation that stopped half way does not leave its progress
// strip up and its window disabled.
void reportFailure(QWidget *parent, const QString &message)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *contor = qobject_cast<TContor *>(window))
            contor->Finish();
    }
    showErrorReport(parent, message);
}

} // namespace

void showErrorReport(QWidget *parent, const QString &message)
{
    if (const ErrorReportHook &hook = reportHook()) {
        hook(message);
        return;
    }
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Dosarium"), text, QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // Shown also before any window is up (during start-up); closing it never ends the program.
    box.setAttribute(Qt::WA_QuitOnClose, false);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

bool guarded(QWidget *parent, const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const Error &e) {
        reportFailure(parent, e.message());
    } catch (const std::exception &e) {
        reportFailure(parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportFailure(parent, QStringLiteral("Eroare neprevazuta."));
    }
    return false;
}

ErrorReportHook setErrorReportHook(ErrorReportHook hook)
{
    return std::exchange(reportHook(), std::move(hook));
}

} // namespace dosarium
