#include "program/Windows.h"

#include "access/AdminWindow.h"
#include "access/ArchiveRecoding.h"
#include "access/MainWindow.h"
#include "access/PasswordPrompt.h"
#include "access/ServerConnection.h"
#include "access/UserDialog.h"
#include "app/StartupWindow.h"
#include "app/Workspace.h"
#include "app/WorkspaceReports.h"
#include "register/ActDialog.h"
#include "register/ActJournal.h"
#include "register/LogWindow.h"
#include "register/RegisterWindow.h"
#include "ui/MessageDialog.h"
#include "ui/MessageKinds.h"
#include "ui/ProgressWindow.h"

#include <QApplication>
#include <QLineEdit>

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
    TForm3 *form3 = Form3.get();
    const SignedInUser signedIn{
        [form3] { return form3->CurrentUser(); },
        [form3](const QByteArray &password) { form3->setCurrentUserPassword(password); },
        [form3] { return form3->UtzNume->text(); },
    };
    Form4 = std::make_unique<TForm4>(*workspace, signedIn, showProblem);
    Form5 = std::make_unique<TForm5>();
    Contor = std::make_unique<TContor>();
    Erori = std::make_unique<TErori>();
    Evidente = std::make_unique<TEvidente>(*workspace);
    AddUser = std::make_unique<TAddUser>(showProblem);
    AddAct = std::make_unique<TAddAct>(*workspace, showProblem);
    LogView = std::make_unique<TLogView>(*workspace);
    Erori->setObjectName(QStringLiteral("Erori"));
    Contor->setObjectName(QStringLiteral("Contor"));
    Form3->setObjectName(QStringLiteral("Form3"));
    Form1->setObjectName(QStringLiteral("Form1"));

    Form3->attach(*Erori);
    Form4->attach(*AddUser, *Erori);
    Evidente->attach(*AddAct, *Erori);
    connectToWindows(*workspace, Contor.get());
    {
        // What the program repaired on its own is told in its own message window.
        WorkspaceReports reports = workspace->reports();
        TErori *erori = Erori.get();
        reports.showNotice = [erori](const QString &message) {
            erori->Mesaj(QStringLiteral("Dosarium"), message, kKindInformation, kButtonOk);
        };
        workspace->setReports(std::move(reports));
    }
    Workspace *services = workspace.get();
    TEvidente *evidente = Evidente.get();
    TForm4 *form4 = Form4.get();
    TLogView *logView = LogView.get();
    QObject::connect(form3, &TForm3::registerRequested, evidente, [services, form3, evidente] {
        services->guard([form3, evidente] { evidente->OpenRegister(form3->CurrentUser().Rank); });
    });
    QObject::connect(form3, &TForm3::administrationRequested, form4, [services, form4] {
        services->guard([form4] { form4->ShowAdministration(); });
    });
    QObject::connect(form3, &TForm3::logRequested, logView,
                     [services, logView] { services->guard([logView] { logView->OpenLog(); }); });
    Form1->setMainWindowHooks({
        [form3](const QString &text) { form3->setDatabaseText(text); },
        [form3](const QString &caption) { form3->setWindowTitle(caption); },
        [form4](const QString &path) { form4->setServerPath(path); },
        [form3] { form3->show(); },
        [erori = Erori.get()](const QString &server) {
            return erori->Mesaj(ServerTexts::ConnectTitle, serverOutOfReachText(server),
                                kKindConfirmation, kButtonsDaNu) == kResultYes;
        },
    });
    // What a crash left half done is brought to an end once the main window shows: a re-coding
    // of the archive first, then an act operation.
    Form1->addRepair([services] { finishInterruptedRecoding(*services); });
    Form1->addRepair([services] { finishInterruptedActOperation(*services); });
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
