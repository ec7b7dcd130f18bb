#include "app/StartupSequence.h"

#include "app/Workspace.h"

#include <QCoreApplication>

namespace dosarium {

namespace {

void yield()
{
    QCoreApplication::processEvents();
}

} // namespace

StartupSequence::StartupSequence(Workspace &workspace, QString caption)
    : m_workspace(workspace), m_caption(std::move(caption))
{}

StartupSequence::Outcome StartupSequence::prepare(const Display &display)
{
    // Dates and numbers are always written in their fixed forms ("dd.MM.yyyy", "." decimals),
    // whatever the regional settings: nothing follows them.
    yield();
    checkFolders();
    if (!makeTablesReady())
        return Outcome::TablesFailed;
    upgradeLog();
    if (!chooseDataFolder())
        return Outcome::Declined;
    tidyTables(display);
    return Outcome::Ready;
}

void StartupSequence::checkFolders()
{
    m_workspace.prepareFolders();
    // Damaged files are kept aside before anything of this start writes to them.
    m_notices = m_workspace.CheckDataFiles();
}

bool StartupSequence::makeTablesReady()
{
    // Without its tables the program cannot work: the guard shows the error.
    return m_workspace.guard([this] {
        m_workspace.CreateTables();
        m_workspace.UpgradeActe();
    });
}

void StartupSequence::upgradeLog()
{
    try {
        // An older log gets the column of the program user; the program works without it.
        m_workspace.UpgradeLog();
    } catch (...) {
        m_later = Workspace::failureText(std::current_exception());
    }
}

bool StartupSequence::chooseDataFolder()
{
    QString unreachable;
    const QString server = m_workspace.chooseDataFolder(&unreachable);
    // Working locally while the office's register is on the server splits it in two: the
    // person decides, knowing which folder could not be reached.
    if (!unreachable.isEmpty() && m_hooks.goOnLocally && !m_hooks.goOnLocally(unreachable))
        return false;
    if (!server.isEmpty()) {
        m_notices += m_workspace.CheckDataFiles();
        if (m_hooks.setServerPath)
            m_hooks.setServerPath(server);
    }
    if (m_hooks.setDatabaseText)
        m_hooks.setDatabaseText(QStringLiteral("Baza : ") + m_workspace.context().DataDir);
    return true;
}

void StartupSequence::tidyTables(const Display &display)
{
    try {
        if (m_hooks.setCaption)
            m_hooks.setCaption(m_caption);
        if (display.setText)
            display.setText(QStringLiteral("Refac baza de date ..."));
        if (display.setPosition)
            display.setPosition(50);
        yield();
        // A damaged table was kept aside and reported by the check already. The server's
        // table stays as it is: other workstations have it open.
        if (m_workspace.worksLocally())
            m_workspace.PackTable(m_workspace.actePath());
        m_workspace.TrimLog();
        if (display.setPosition)
            display.setPosition(100);
        yield();
    } catch (...) {
        m_later = Workspace::failureText(std::current_exception());
    }
}

void StartupSequence::finish()
{
    if (m_hooks.show)
        m_hooks.show();
    for (const auto &repair : m_repairs)
        m_workspace.guard(repair);
    yield();
    for (const QString &notice : std::as_const(m_notices))
        m_workspace.showNotice(notice);
    if (!m_later.isEmpty())
        m_workspace.showError(m_later);
}

} // namespace dosarium
