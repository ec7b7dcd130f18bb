#include "ui/ErrorReport.h"

#include "store/Error.h"

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
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Dosarium"), message, QMessageBox::Ok,
                    parent ? parent : QApplication::activeWindow());
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
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
        showErrorReport(parent, e.message());
    } catch (const std::exception &e) {
        showErrorReport(parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showErrorReport(parent, QStringLiteral("Eroare neprevazuta."));
    }
    return false;
}

ErrorReportHook setErrorReportHook(ErrorReportHook hook)
{
    return std::exchange(reportHook(), std::move(hook));
}

} // namespace dosarium
