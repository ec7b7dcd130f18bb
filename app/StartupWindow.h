// TForm1: the splash window that runs the start-up sequence once. Its shared operations forward
// to the workspace, which holds the context and the services for the whole run.
#pragma once

#include "app/AppContext.h"

#include <QStringList>
#include <QWidget>
#include <functional>

class QLabel;
class QTimer;

namespace dosarium {

class THintBalloonControl;
class Workspace;
class TCylinderProgressBar;
class TGradientPanel;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    static inline const QString kVersionText = QStringLiteral("Dosarium v.1.08");

    explicit TForm1(Workspace &workspace, QWidget *parent = nullptr);
    ~TForm1() override;

    // What the start-up sequence does to windows of higher layers; wired by the program entry.
    struct MainWindowHooks {
        std::function<void(const QString &text)> setDatabaseText; // status panel 1
        std::function<void(const QString &caption)> setCaption;
        std::function<void(const QString &path)> setServerPath; // administrator window label
        std::function<void()> show;
        // The server folder of the settings is out of reach: true to go on with the local
        // data, false to end the program. Unset, the program goes on locally.
        std::function<bool(const QString &server)> goOnLocally;
    };
    void setMainWindowHooks(MainWindowHooks hooks);

    Workspace &workspace() const { return m_workspace; }
    const AppContext &context() const;
    AppContext &context();

    // Settings file of DataDir (section/key without regard to case; missing reads as empty).
    QString ReadSetting(const QString &section, const QString &key) const;
    void WriteSetting(const QString &section, const QString &key, const QString &value);

    // Activity log and id counters of DataDir.
    QString NextId(const QString &counter);
    void WriteLog(const QString &action);

    // Tables of DataDir.
    void CreateTables();
    void UpgradeActe();
    void PackTable(const QString &path);
    void TrimLog();

    // Removes the folder with everything in it; reports a file it cannot delete.
    bool DeleteFolder(const QString &folder);

    // The wrong-entry balloon "Problema !" at `control`; returns at once.
    void ShowProblem(const QString &text, QWidget *control);

    // The start-up sequence, run once by Timer1.
    void Timer1Timer();

    QLabel *Label5 = nullptr;
    TCylinderProgressBar *Bar1 = nullptr;
    THintBalloonControl *Hint1 = nullptr;
    QTimer *Timer1 = nullptr;
    TGradientPanel *GradientPanel1 = nullptr;

signals:
    // The tables of the local data folder could not be made ready: the error has been shown
    // and the program ends.
    void startupFailed();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *addText(const QString &text, int pixels, bool italic, const QColor &color);
    static void yield();

    Workspace &m_workspace;
    MainWindowHooks m_hooks;
    bool m_started = false;
};

} // namespace dosarium
