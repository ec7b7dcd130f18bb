// TForm4: the administrator window, the list of the program's users with adding, deleting and
// password changes, and the two buttons that switch the data folder to a server and back.
#pragma once

#include "access/UserAdministration.h"
#include "ui/ProblemReport.h"

#include <QDialog>
#include <functional>
#include <memory>

class QGroupBox;
class QKeyEvent;
class QLabel;

namespace dosarium {

class DataGrid;
class TAddUser;
class TErori;
class TFlatSpeedButton;
class Workspace;
struct ServerSteps;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 459;
    static constexpr int ClientHeight = 266;

    TForm4(Workspace &workspace, SignedInUser user, ProblemReport showProblem,
           QWidget *parent = nullptr);
    ~TForm4() override;

    // The user dialog and the message box are created after this window; the program entry
    // hands them over.
    void attach(TAddUser &addUser, TErori &erori);

    // Start-up: the server folder in use.
    void setServerPath(const QString &path);

    // Builds the users table, shows the window modally and removes the table when it closes.
    void ShowAdministration();

    void AddButClick();
    void ModButClick();
    void DelButClick();
    void BitBtn1Click();
    void BitBtn2Click();
    bool FormKeyDown(QKeyEvent *event);

    UserAdministration &administration() const { return *m_admin; }

    // How the program ends after a server change; a test puts its own step here.
    void setEndProgram(std::function<void()> end);

    QGroupBox *GroupBox1 = nullptr;
    DataGrid *DBGrid3 = nullptr;
    TFlatSpeedButton *AddBut = nullptr;
    TFlatSpeedButton *ModBut = nullptr;
    TFlatSpeedButton *DelBut = nullptr;
    QLabel *Label1 = nullptr; // "Cale Server :"
    QLabel *CaleServer = nullptr;
    TFlatSpeedButton *BitBtn1 = nullptr;
    TFlatSpeedButton *BitBtn2 = nullptr;

private:
    void act(const std::function<void()> &action);
    quint16 Mesaj(const QString &title, const QString &text, quint8 kind, quint16 buttons);
    // Runs an operation; a refusal it foresees is shown in the message box.
    bool refusedShown(const std::function<void()> &operation);
    ServerSteps serverSteps();

    Workspace &m_workspace;
    SignedInUser m_user;
    ProblemReport m_showProblem;
    std::unique_ptr<UserAdministration> m_admin;
    TAddUser *m_addUser = nullptr;
    TErori *m_erori = nullptr;
    std::function<void()> m_endProgram;
};

} // namespace dosarium
