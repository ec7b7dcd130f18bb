// TForm1: the splash window that runs the start-up sequence once. Its shared operations forward
// to the workspace, which holds the context and the services for the whole run.
#pragma once

#include "app/AppContext.h"
#include "app/StartupSequence.h"

#include <QStringList>
#include <QWidget>

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

    using MainWindowHooks = StartupSequence::MainWindowHooks;
    void setMainWindowHooks(MainWindowHooks hooks)
    {
        m_sequence.setMainWindowHooks(std::move(hooks));
    }
    // The repairs that run once the main window shows.
    void addRepair(std::function<void()> repair) { m_sequence.addRepair(std::move(repair)); }

    const AppContext &context() const;
    AppContext &context();

    // Settings file of DataDir (section/key without regard to case).
    void WriteSetting(const QString &section, const QString &key, const QString &value);

    // Activity log of DataDir.
    void WriteLog(const QString &action);

    // Removes the folder with everything in it; reports a file it cannot delete.
    bool DeleteFolder(const QString &folder);

    // The wrong-entry balloon "Problema !" at `control`; returns at once.
    void ShowProblem(const QString &text, QWidget *control);

    // The start-up sequence, run once by Timer1; the window shows its steps.
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
    Workspace &m_workspace;
    StartupSequence m_sequence;
    bool m_started = false;
};

} // namespace dosarium
