// The program's start, without windows: the folders, the check of damaged files, the tables, the
// server folder, the packing and trimming of the tables, then the repairs of what a crash left
// half done. The splash window only shows its steps.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace dosarium {

class Workspace;

class StartupSequence {
public:
    // What the start does to the windows of higher layers; wired by the program entry.
    struct MainWindowHooks {
        std::function<void(const QString &text)> setDatabaseText; // status panel 1
        std::function<void(const QString &caption)> setCaption;
        std::function<void(const QString &path)> setServerPath; // administrator window label
        std::function<void()> show;
        // The server folder of the settings is out of reach: true to go on with the local
        // data, false to end the program. Unset, the program goes on locally.
        std::function<bool(const QString &server)> goOnLocally;
    };
    // Where the start shows how far it got (the splash's text and bar).
    struct Display {
        std::function<void(const QString &text)> setText;
        std::function<void(int percent)> setPosition;
    };
    enum class Outcome {
        Ready,        // the main window may show: call finish()
        TablesFailed, // the error was shown; the program ends with 1
        Declined,     // the person chose to end rather than work locally; the program ends with 0
    };

    StartupSequence(Workspace &workspace, QString caption);

    void setMainWindowHooks(MainWindowHooks hooks) { m_hooks = std::move(hooks); }
    // A repair run after the main window shows, in the order added; each in a guard of its own,
    // so that one failing does not keep the next from running.
    void addRepair(std::function<void()> repair) { m_repairs.push_back(std::move(repair)); }

    // Everything up to the main window, once.
    Outcome prepare(const Display &display);
    // Shows the main window, runs the repairs, then tells what the start repaired on its own
    // and the error of the upkeep, if any.
    void finish();

private:
    void checkFolders();
    bool makeTablesReady();
    void upgradeLog();
    bool chooseDataFolder();
    void tidyTables(const Display &display);

    Workspace &m_workspace;
    QString m_caption;
    MainWindowHooks m_hooks;
    std::vector<std::function<void()>> m_repairs;
    QStringList m_notices; // damaged files kept aside
    QString m_later;       // an error of the upkeep, shown once the main window is up
};

} // namespace dosarium
