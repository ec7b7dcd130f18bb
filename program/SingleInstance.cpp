#include "program/SingleInstance.h"

#include "platform/Desktop.h"
#include "platform/Names.h"
#include "platform/PrivateFolders.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace dosarium {

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");
constexpr int kConnectWaitMs = 1000;

// Where the socket lives: the session's runtime folder, else a folder of this account's own in
// the temporary folder. Empty when neither can be had (a folder of that name made by another
// account): then no copy is trusted, and this one simply runs.
QString socketFolder(const QString &name)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isOwnPrivateFolder(runtime))
        return runtime;
    const QString folder = QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".d");
    makePrivateFolder(folder);
    return isOwnPrivateFolder(folder) ? folder : QString();
}

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent), m_key(key)
{
    // In the shared temporary folder another account could take the name first and answer in
    // this copy's place; a folder only this account writes cannot be taken.
    const QString name = key + QStringLiteral("-%1").arg(accountTag());
    const QString folder = socketFolder(name);
    if (!folder.isEmpty())
        m_name = folder + QLatin1Char('/') + name;
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    passForegroundToOtherCopy(m_key);
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::anotherCopyRuns()
{
    if (m_name.isEmpty())
        return false;
    if (askRunningCopy())
        return true;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Either a copy started at the same moment took the name, or a crashed copy left it.
        if (askRunningCopy())
            return true;
        QLocalServer::removeServer(m_name);
        m_server->listen(m_name);
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    return false;
}

void SingleInstance::setActivationTarget(std::function<QWidget *()> target)
{
    m_target = std::move(target);
}

void SingleInstance::onConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto handle = [this, socket] {
            if (!socket->readAll().contains(kActivate.trimmed()))
                return;
            if (m_target)
                bringForward(m_target());
            emit activationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, handle);
        if (socket->bytesAvailable() > 0)
            handle();
    }
}

void SingleInstance::bringForward(QWidget *window)
{
    if (!window)
        return;
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->raise();
        window->activateWindow();
    }
}

} // namespace dosarium
