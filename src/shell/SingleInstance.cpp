#include "shell/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#include <unistd.h>

namespace {

constexpr int ConnectTimeoutMs = 1000;
constexpr quint32 MaxArgumentBytes = 64 * 1024;

} // namespace

namespace SingleInstance {

QString serverName()
{
    const QString name = QStringLiteral("QuorvaneMainWindow-%1").arg(getuid());
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists())
        return QString::fromLocal8Bit(runtime) + '/' + name;
    return name;
}

bool handOver(const QString &argument, int replyTimeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
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
    // The file is delivered; wait for the running editor to finish with it,
    // but a slow answer does not make this start a second editor.
    socket.waitForReadyRead(replyTimeoutMs);
    return true;
}

} // namespace SingleInstance

InstanceServer::InstanceServer(QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::onNewConnection);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::listen()
{
    const QString name = SingleInstance::serverName();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(name))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(ConnectTimeoutMs))
        return false; // a live editor owns the name
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

bool InstanceServer::isListening() const
{
    return m_server->isListening();
}

void InstanceServer::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void InstanceServer::onReadyRead(QLocalSocket *socket)
{
    if (socket->property("handled").toBool() || socket->bytesAvailable() < 4)
        return;
    QByteArray head = socket->peek(4);
    const quint32 length = qFromLittleEndian<quint32>(head.constData());
    if (length > MaxArgumentBytes) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < qint64(4 + length))
        return;
    socket->read(4);
    const QString argument = QString::fromUtf8(socket->read(length));
    socket->setProperty("handled", true);
    emit fileReceived(argument);
    socket->write("\1", 1);
    socket->flush();
    socket->disconnectFromServer();
}
