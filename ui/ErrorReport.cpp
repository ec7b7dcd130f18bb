#include "ui/ErrorReport.h"

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

ErrorReportHook setErrorReportHook(ErrorReportHook hook)
{
    return std::exchange(reportHook(), std::move(hook));
}

} // namespace dosarium
