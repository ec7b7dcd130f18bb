// The services every window and every windowless caller (tests, tools) share for one run: the
// application context, the settings file, the activity log and its counters, the tables' upkeep,
// the shared query with its operations, the clock, and the channel through which long operations
// show their progress and failed actions reach the user. The program entry owns the one instance
// and hands it to the windows; the window layer connects its reports to the progress window and
// the general error report. Nothing here needs a window.
#pragma once

#include "app/AppContext.h"

#include <QDateTime>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace dosarium {

class ProgressSink;
class Query;
class Table;

// How the work reaches the person in front of the screen; unset entries do nothing.
struct WorkspaceReports {
    std::function<void()> yield; // let pending window events run
    std::function<void(int maximum, const QString &description)> startProgress;
    std::function<void()> stepProgress;
    std::function<void()> finishProgress;
    std::function<void(const QString &message)> showError; // the general error report
    // What the program found and repaired on its own (an interrupted operation brought to an
    // end, a damaged file kept aside); the general error report when unset.
    std::function<void(const QString &message)> showNotice;
};

class Workspace {
public:
    explicit Workspace(Workstation station = Workstation::current());
    ~Workspace();
    Workspace(const Workspace &) = delete;
    Workspace &operator=(const Workspace &) = delete;

    // Where the program runs and who runs it; read when the context is made.
    const Workstation &workstation() const { return m_station; }
    void setWorkstation(const Workstation &station);

    const AppContext &context() const { return m_context; }
    AppContext &context() { return m_context; }

    // The clock of the log's dates and times and of today's date.
    void setClock(std::function<QDateTime()> clock);
    QDateTime now() const;

    void setReports(WorkspaceReports reports);
    const WorkspaceReports &reports() const { return m_reports; }
    void yield() const;
    void startProgress(int maximum, const QString &description) const;
    void stepProgress() const;
    void finishProgress() const;
    void showError(const QString &message) const;
    void showNotice(const QString &message) const;
    // The reports' progress for the archive's long operations; each step lets events run.
    ProgressSink &progress() const { return *m_progress; }

    // Runs one user action. A failure takes down the progress window and shows its message;
    // the program goes on. Returns false when the action failed.
    bool guard(const std::function<void()> &action) const;
    // The text a caught failure shows the user: the project's errors and the library's
    // exceptions carry their own, anything else is an unforeseen error.
    static QString failureText(const std::exception_ptr &failure);

    // Start-up: the context of the folders beside the executable, with TMPSQL, Data and TEMP
    // made when missing.
    void prepareFolders();
    // Start-up: the server folder of the local settings file becomes the data folder when it
    // exists and holds the documents table; returns it, or empty text for local work. A server
    // folder that is set but out of reach (a share not mounted, a mount point left empty) is
    // put in `unreachable`, for the caller to ask whether to go on locally.
    QString chooseDataFolder(QString *unreachable = nullptr);
    bool worksLocally() const { return m_context.LocalDataDir == m_context.DataDir; }

    // Settings file of DataDir (section/key without regard to case; missing reads as empty).
    QString ReadSetting(const QString &section, const QString &key) const;
    void WriteSetting(const QString &section, const QString &key, const QString &value);

    // The name under which the person signed in to the program; every log entry carries it.
    void setProgramUser(const QString &name) { m_programUser = name; }
    const QString &programUser() const { return m_programUser; }

    // Activity log and id counters of DataDir.
    QString NextId(const QString &counter);
    void WriteLog(const QString &action);

    // The start-up check of DataDir's files: damaged ones kept aside, the document counter moved
    // past the register's ids; returns the notices for the user.
    QStringList CheckDataFiles();

    // Tables of DataDir.
    void CreateTables();
    void UpgradeActe();
    void UpgradeLog();
    // Returns the notice of a damaged table kept aside before the pack, empty for a sound one.
    QString PackTable(const QString &path);
    void TrimLog();

    // Removes the folder with everything in it; reports a file it cannot delete.
    bool DeleteFolder(const QString &folder);

    // The shared query and its operations.
    Query &Sx() { return *m_sx; }
    // The values of `fieldName` in `tablePath` that are not blank, each once, in the engine's
    // order, appended to `entries` as read.
    void FillDistinct(QStringList &entries, const QString &tablePath, const QString &fieldName);
    // The same for several columns of one table, read once: each list gets its column's values.
    void FillDistinct(const std::vector<std::pair<QStringList *, QString>> &lists,
                      const QString &tablePath);
    static void ResetQuery(Query &query);
    // Runs the statement of `lines` on the shared query, reset first, then lets events run.
    void runStatement(const QStringList &lines);

    QString actePath() const;
    QString logPath() const;

private:
    Workstation m_station;
    AppContext m_context;
    std::function<QDateTime()> m_clock;
    QString m_programUser;
    WorkspaceReports m_reports;
    std::unique_ptr<Query> m_sx;
    std::unique_ptr<Table> m_tx;
    std::unique_ptr<Table> m_sursa;
    std::unique_ptr<ProgressSink> m_progress;
};

} // namespace dosarium
