#include "shell/SingleInstance.h"

#include "formats/PrivateFolder.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int ConnectTimeoutMs = 1000;
constexpr quint32 MaxArgumentBytes = 64 * 1024;
const char *const FolderLeaf = "quorvane";
const char *const SocketName = "QuorvaneMainWindow";

QString socketIn(const QString &folder)
{
    return folder.isEmpty() ? QString() : folder + '/' + QLatin1String(SocketName);
}

// The user id of the process at the other end, or -1 when it cannot be told.
long peerUser(const QLocalSocket *socket)
{
    struct ucred credentials
    {
    };
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return -1;
    return long(credentials.uid);
}

} // namespace

namespace SingleInstance {

QString serverName()
{
    return socketIn(PrivateFolder::Find(QLatin1String(FolderLeaf)));
}

bool handOver(const QString &argument, int replyTimeoutMs)
{
    const QString name = serverName();
    if (name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(ConnectTimeoutMs))
        return false;

    const QString path = argument.isEmpty() ? argument : QFileInfo(argument).absoluteFilePath();
    const QByteArray bytes = path.toUtf8();
    QByteArray message(4, '\0');
    qToLittleEndian<quint32>(quint32(bytes.size()), message.data());
    message += bytes;
    socket.write(message);
    if (!socket.waitForBytesWritten(ConnectTimeoutMs))
        return false;
    // The reply says the file was queued; an editor that hangs up without
    // one (another program on the name, a refused request) did not take it.
    if (!socket.waitForReadyRead(replyTimeoutMs))
        return false;
    return socket.read(1) == QByteArray("\1", 1);
}

} // namespace SingleInstance

InstanceServer::InstanceServer(QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
    , m_expectedUser(::geteuid())
{
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::onNewConnection);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listen()
{
    const QString folder = PrivateFolder::Make(QLatin1String(FolderLeaf));
    if (folder.isEmpty())
        return false;
    return listen(socketIn(folder));
}

bool InstanceServer::listen(const QString &path)
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(path))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(ConnectTimeoutMs))
        return false; // a live editor owns the name
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

bool InstanceServer::isListening() const
{
    return m_server->isListening();
}

QString InstanceServer::fullServerName() const
{
    return m_server->fullServerName();
}

void InstanceServer::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (peerUser(socket) != long(m_expectedUser)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        QPointer<QLocalSocket> guarded(socket);
        connect(socket, &QLocalSocket::readyRead, this, [this, guarded] {
            if (guarded)
                onReadyRead(guarded);
        });
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void InstanceServer::onReadyRead(QLocalSocket *socket)
{
    if (socket->property("handled").toBool() || socket->bytesAvailable() < 4)
        return;
    const QByteArray head = socket->peek(4);
    const quint32 length = qFromLittleEndian<quint32>(head.constData());
    if (length > MaxArgumentBytes) {
        // Not a file name: refuse before reading megabytes of it.
        socket->setProperty("handled", true);
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < qint64(4 + length))
        return;
    socket->read(4);
    const QString argument = QString::fromUtf8(socket->read(length));
    socket->setProperty("handled", true);
    socket->write("\1", 1);
    socket->flush();
    socket->disconnectFromServer();

    m_pending.enqueue(argument);
    if (!m_delivering && !m_deliveryScheduled) {
        m_deliveryScheduled = true;
        QTimer::singleShot(0, this, &InstanceServer::deliverNext);
    }
}

void InstanceServer::deliverNext()
{
    m_deliveryScheduled = false;
    if (m_delivering || m_pending.isEmpty())
        return;
    m_delivering = true;
    const QPointer<InstanceServer> alive(this);
    emit fileReceived(m_pending.dequeue());
    if (!alive)
        return;
    m_delivering = false;
    if (!m_pending.isEmpty()) {
        m_deliveryScheduled = true;
        QTimer::singleShot(0, this, &InstanceServer::deliverNext);
    }
}
