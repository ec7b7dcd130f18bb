// TForm1: the splash window that runs the start-up sequence once, and the holder of the
// application context and of the shared operations every other window uses.
#pragma once

#include "app/AppContext.h"

#include <QWidget>
#include <functional>

class QLabel;
class QTimer;
class THintBalloonControl;

namespace dosarium {

class TCylinderProgressBar;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // What the start-up sequence does to windows of higher layers; wired by the program entry.
    struct MainWindowHooks {
        std::function<void(const QString &text)> setDatabaseText; // status panel 1
        std::function<void(const QString &caption)> setCaption;
        std::function<void(const QString &path)> setServerPath; // administrator window label
        std::function<void()> show;
    };
    void setMainWindowHooks(MainWindowHooks hooks);

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

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace dosarium
