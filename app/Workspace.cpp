#include "app/Workspace.h"

#include "app/ActivityLog.h"
#include "app/DamagedFiles.h"
#include "app/DataTables.h"
#include "app/FolderRemoval.h"
#include "app/QueryText.h"
#include "app/SettingsFile.h"
#include "archive/ProgressSink.h"
#include "store/Error.h"
#include "store/FilePath.h"
#include "store/Query.h"
#include "store/Statement.h"
#include "store/Table.h"

#include <QDir>
#include <QFileInfo>

#include <new>

namespace dosarium {

namespace {

// The archive's progress shown through the workspace's reports.
class ReportedProgress final : public ProgressSink {
public:
    explicit ReportedProgress(const Workspace &workspace) : m_workspace(workspace) {}
    void start(qint64 maximum, const QString &description) override
    {
        m_workspace.startProgress(int(std::min<qint64>(maximum, INT_MAX)), description);
    }
    void step() override
    {
        m_workspace.stepProgress();
        m_workspace.yield();
    }
    void finish() override { m_workspace.finishProgress(); }

private:
    const Workspace &m_workspace;
};

} // namespace

Workspace::Workspace(Workstation station)
    : m_station(std::move(station)), m_clock([] { return QDateTime::currentDateTime(); }),
      m_sx(std::make_unique<Query>()), m_tx(std::make_unique<Table>()),
      m_sursa(std::make_unique<Table>()), m_progress(std::make_unique<ReportedProgress>(*this))
{
    m_context = makeAppContext(m_station);
}

Workspace::~Workspace() = default;

void Workspace::setWorkstation(const Workstation &station)
{
    m_station = station;
    m_context = makeAppContext(m_station);
}

void Workspace::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

QDateTime Workspace::now() const
{
    return m_clock();
}

void Workspace::setReports(WorkspaceReports reports)
{
    m_reports = std::move(reports);
}

void Workspace::yield() const
{
    if (m_reports.yield)
        m_reports.yield();
}

void Workspace::startProgress(int maximum, const QString &description) const
{
    if (m_reports.startProgress)
        m_reports.startProgress(maximum, description);
}

void Workspace::stepProgress() const
{
    if (m_reports.stepProgress)
        m_reports.stepProgress();
}

void Workspace::finishProgress() const
{
    if (m_reports.finishProgress)
        m_reports.finishProgress();
}

void Workspace::showError(const QString &message) const
{
    if (m_reports.showError)
        m_reports.showError(message);
    else
        qWarning("%s", qUtf8Printable(message));
}

void Workspace::showNotice(const QString &message) const
{
    if (m_reports.showNotice)
        m_reports.showNotice(message);
    else
        showError(message);
}

QString Workspace::failureText(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Error &e) {
        return e.message();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Memoria calculatorului nu ajunge pentru aceasta operatie. Un "
                              "fisier din dosarul de date poate fi deteriorat (un tabel mult mai "
                              "mare decat actele lui): verificati dosarul cu dosarium-arhiva "
                              "verifica.");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Eroare neprevazuta.");
    }
}

bool Workspace::guard(const std::function<void()> &action) const
{
    try {
        action();
        return true;
    } catch (...) {
        const QString message = failureText(std::current_exception());
        // An operation that stopped half way never leaves its window disabled under the strip.
        finishProgress();
        showError(message);
        return false;
    }
}

void Workspace::prepareFolders()
{
    m_context = makeAppContext(m_station);
    // The engine keeps its results in memory, so TMPSQL is only kept ready beside the program.
    QDir().mkpath(joinPath(m_context.ExeDir, QStringLiteral("TMPSQL")));
    yield();
    QDir().mkpath(m_context.DataDir);
    QDir().mkpath(m_context.TempDir);
    // Readable copies left by a run that never reached its end are not left readable.
    clearOwnScratchFiles(m_context.TempDir);
}

QString Workspace::chooseDataFolder(QString *unreachable)
{
    const QString server = ReadSetting(QStringLiteral("CONST"), QStringLiteral("SERVER"));
    m_context.LocalDataDir = m_context.DataDir;
    if (server.isEmpty())
        return QString();
    if (!QFileInfo(server).isDir() || !fileExistsAnyCase(ActsTable::path(server))) {
        if (unreachable)
            *unreachable = server;
        return QString();
    }
    m_context.DataDir = server;
    return server;
}

QString Workspace::ReadSetting(const QString &section, const QString &key) const
{
    return SettingsFile(m_context.DataDir).read(section, key);
}

void Workspace::WriteSetting(const QString &section, const QString &key, const QString &value)
{
    SettingsFile(m_context.DataDir).write(section, key, value);
}

QString Workspace::NextId(const QString &counter)
{
    return dosarium::NextId(m_context.DataDir, counter);
}

void Workspace::WriteLog(const QString &action)
{
    dosarium::WriteLog(*m_sx, m_context, action, now(), m_programUser);
    yield();
}

void Workspace::CreateTables()
{
    dosarium::CreateTables(*m_sx, m_context.DataDir, [this] { yield(); });
}

void Workspace::UpgradeActe()
{
    ActsTable::upgrade(*m_sx, *m_tx, m_context.DataDir, [this] { yield(); });
}

void Workspace::UpgradeLog()
{
    LogTable::upgrade(*m_sx, m_context.DataDir, [this] { yield(); });
}

QString Workspace::PackTable(const QString &path)
{
    return dosarium::PackTable(*m_sursa, path, [this] { yield(); });
}

QStringList Workspace::CheckDataFiles()
{
    return dosarium::CheckDataFiles(m_context.DataDir);
}

void Workspace::TrimLog()
{
    LogTable::trim(*m_sx, m_context.DataDir, [this] { yield(); });
}

bool Workspace::DeleteFolder(const QString &folder)
{
    const QStringList left = removeFolderTree(folder);
    if (left.isEmpty())
        return true;
    showError(QStringLiteral("Nu pot sterge %1: este folosit de alt program sau nu am dreptul "
                             "sa-l sterg.")
                  .arg(left.join(QStringLiteral(", "))));
    return false;
}

void Workspace::ResetQuery(Query &query)
{
    query.close();
    query.clearSql();
    query.setFiltered(false);
    query.setFilter(QString());
}

void Workspace::runStatement(const QStringList &lines)
{
    ResetQuery(*m_sx);
    m_sx->execSql(lines);
    yield();
}

void Workspace::FillDistinct(QStringList &entries, const QString &tablePath,
                             const QString &fieldName)
{
    Query &sx = *m_sx;
    ResetQuery(sx);
    sx.appendSql(QStringLiteral("SELECT DISTINCT ") + fieldName);
    sx.appendSql(QStringLiteral("FROM ") + quoteText(tablePath));
    sx.appendSql(QStringLiteral("ORDER BY ") + fieldName);
    sx.open();
    struct Close {
        Query &q;
        ~Close() { q.close(); }
    } close{sx};
    const int column = sx.fieldIndex(fieldName);
    const int rows = sx.recordCount();
    for (int row = 0; row < rows; ++row) {
        const QString value = sx.text(row, column);
        if (!trimmedText(value).isEmpty())
            entries.append(value);
    }
}

void Workspace::FillDistinct(const std::vector<std::pair<QStringList *, QString>> &lists,
                             const QString &tablePath)
{
    QStringList fields;
    for (const auto &[list, field] : lists)
        fields << field;
    // Only the listed columns are held; a table lacking one lists it through a statement of its
    // own, as a single column does.
    Query rows;
    rows.setKeptColumns(fields);
    rows.appendSql(QStringLiteral("SELECT * FROM ") + quoteText(tablePath));
    rows.open();
    for (const auto &[list, field] : lists) {
        const std::optional<QStringList> values = rows.distinctTexts(field);
        if (!values) {
            FillDistinct(*list, tablePath, field);
            continue;
        }
        for (const QString &value : *values) {
            if (!trimmedText(value).isEmpty())
                list->append(value);
        }
    }
}

QString Workspace::actePath() const
{
    return ActsTable::path(m_context.DataDir);
}

QString Workspace::logPath() const
{
    return LogTable::path(m_context.DataDir);
}

} // namespace dosarium
