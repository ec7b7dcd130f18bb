// TForm3: the main window, a strip across the top of the screen with the sign-in fields and,
// once a user has signed in, the program's menu.
#pragma once

#include "access/UserFile.h"
#include "ui/ProblemReport.h"

#include <QWidget>

class QAction;
class QCloseEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;

namespace dosarium {

class TFlatButton;
class TFlatSpeedButton;
class TErori;
class Workspace;
class TGradientPanel;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientHeight = 79;

    TForm3(Workspace &workspace, ProblemReport showProblem, QWidget *parent = nullptr);
    ~TForm3() override;

    // The message box is created after this window; the program entry hands it over.
    void attach(TErori &erori);

    // Status panel 1: the data folder in use.
    void setDatabaseText(const QString &text);
    QString statusText(int panel) const;

    // The signed-in user; empty until sign-in.
    const UserEntry &CurrentUser() const { return m_currentUser; }
    // The signed-in user's new password, after they changed it.
    void setCurrentUserPassword(const QByteArray &password);
    bool isSignedIn() const;

    // The user file of the data folder in use.
    UserEntry FindUser(const UserEntry &wanted) const;
    QByteArray ReadArchiveKey() const;

    // Handlers.
    void FormShow();
    bool EnterTab(QWidget *source, QKeyEvent *event);
    void StartBClick();
    bool FormKeyDown(QKeyEvent *event);
    void MBut1Click();
    void MButAdmClick();
    void Setari1Click();
    void IstoricModificaridate1Click();
    void ModelFClick();
    void FormClose(QCloseEvent *event);

    TGradientPanel *Background = nullptr;
    QLabel *Label1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TGradientPanel *Panel2 = nullptr;
    QLineEdit *UtzNume = nullptr;
    QLineEdit *UtzParola = nullptr;
    TFlatButton *StartB = nullptr;
    QWidget *Panel1 = nullptr;
    TFlatSpeedButton *MBut1 = nullptr;
    TFlatSpeedButton *MButAdm = nullptr;
    TFlatSpeedButton *ModelF = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Setari1 = nullptr;
    QAction *IstoricModificaridate1 = nullptr;

signals:
    // The menu's windows; each runs modally inside the connected slot, which guards its own
    // failures.
    void registerRequested();
    void administrationRequested();
    void logRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildSignInPanel();
    void buildMenuPanel();
    void placeControls();
    QString dataDir() const;

    Workspace &m_workspace;
    ProblemReport m_showProblem;
    TErori *m_erori = nullptr;
    UserEntry m_currentUser;
    QLabel *m_statusPanels[2] = {};
};

} // namespace dosarium
