#include "app/WorkspaceReports.h"

#include "app/Workspace.h"
#include "ui/ErrorReport.h"
#include "ui/ProgressWindow.h"
#include "widgets/CylinderProgressBar.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

namespace dosarium {

void connectToWindows(Workspace &workspace, TContor *contor)
{
    const QPointer<TContor> strip(contor);
    workspace.setReports({
        [] { QCoreApplication::processEvents(); },
        [strip](int maximum, const QString &description) {
            if (!strip)
                return;
            strip->Bar->setMaximum(maximum);
            strip->Descr->setText(description);
            strip->Start();
        },
        [strip] {
            if (strip)
                strip->Step();
        },
        [strip] {
            if (strip)
                strip->Finish();
        },
        [](const QString &message) { showErrorReport(nullptr, message); },
        [](const QString &message) { showErrorReport(nullptr, message); },
    });
}

} // namespace dosarium
