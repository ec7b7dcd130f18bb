#include "program/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <unistd.h>

namespace dosarium {

namespace {

const QByteArray kActivate = QByteArrayLiteral("activate\n");
constexpr int kConnectWaitMs = 1000;

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent), m_name(key + QStringLiteral("-%1").arg(getuid()))
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::askRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectWaitMs))
        return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::anotherCopyRuns()
{
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
