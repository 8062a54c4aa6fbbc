#include "ui/app/pl_action_channel.h"

#include <QLocalSocket>

#include "app/core/pl_single_instance.h"
#include "platform/identity/pl_local_user.h"
#include "ui/common/pl_qt_text.h"

QString PlActionChannel::SocketPath()
{
    return Qs(PlInstanceLockPath(pl::LocalUserName())) + QStringLiteral(".actions");
}

bool PlActionChannel::Listen(std::function<void(PlAction)> handler)
{
    handler_ = std::move(handler);
    // Only the instance that holds the lock listens, so a socket already there
    // was left by an instance that died.
    QLocalServer::removeServer(SocketPath());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &PlActionChannel::OnConnection);
    return server_.listen(SocketPath());
}

void PlActionChannel::OnConnection()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine() && socket->bytesAvailable() <= static_cast<qint64>(kMaxActionMessage))
                return;
            const QByteArray line = socket->readLine(static_cast<qint64>(kMaxActionMessage) + 1);
            socket->disconnectFromServer();
            if (const auto action = PlDecodeAction({line.constData(), static_cast<std::size_t>(line.size())}))
                handler_(*action);
        });
    }
}

bool PlActionChannel::Send(PlAction action, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    const std::string line = PlEncodeAction(action);
    socket.write(line.data(), static_cast<qint64>(line.size()));
    const bool written = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return written;
}
