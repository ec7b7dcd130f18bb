#include "program/Windows.h"

#include "access/MainWindow.h"
#include "app/StartupWindow.h"
#include "app/Workspace.h"
#include "app/WorkspaceReports.h"
#include "register/ActDialog.h"
#include "register/ActJournal.h"
#include "register/RegisterWindow.h"
#include "ui/MessageDialog.h"
#include "ui/ProgressWindow.h"

#include <QApplication>

namespace dosarium {

Windows::Windows()
{
    workspace = std::make_unique<Workspace>();
    Form1 = std::make_unique<TForm1>(*workspace);
    TForm1 *form1 = Form1.get();
    // Wrong entries of every dialog are pointed out by the splash's balloon.
    const ProblemReport showProblem = [form1](const QString &text, QWidget *control) {
        form1->ShowProblem(text, control);
    };
    Form3 = std::make_unique<TForm3>(*workspace, showProblem);
    Contor = std::make_unique<TContor>();
    Erori = std::make_unique<TErori>();
    Evidente = std::make_unique<TEvidente>(*workspace);
    AddAct = std::make_unique<TAddAct>(*workspace, showProblem);
    Erori->setObjectName(QStringLiteral("Erori"));
    Contor->setObjectName(QStringLiteral("Contor"));
    Form3->setObjectName(QStringLiteral("Form3"));
    Form1->setObjectName(QStringLiteral("Form1"));

    Form3->attach(*Erori);
    Evidente->attach(*AddAct, *Erori);
    connectToWindows(*workspace, Contor.get());
    TForm3 *form3 = Form3.get();
    Workspace *services = workspace.get();
    TEvidente *evidente = Evidente.get();
    QObject::connect(form3, &TForm3::registerRequested, evidente, [services, form3, evidente] {
        services->guard([form3, evidente] { evidente->OpenRegister(form3->CurrentUser().Rank); });
    });
    Form1->setMainWindowHooks({
        [form3](const QString &text) { form3->setDatabaseText(text); },
        [form3](const QString &caption) { form3->setWindowTitle(caption); },
        [](const QString &) {}, // the administrator window's server label, once it exists
        [services, form3] {
            form3->show();
            // An act operation that a stop left half done is brought to an end.
            services->guard([services] {
                const QString notice = ActJournal(services->context()).finishPending();
                if (!notice.isEmpty())
                    services->showNotice(notice);
            });
        },
    });
}

Windows::~Windows() = default;

QWidget *Windows::frontWindow() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (Form1->isVisible())
        return Form1.get();
    return Form3.get();
}

} // namespace dosarium
