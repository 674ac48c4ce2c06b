#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// Hands a file from a second start of the editor to the one already running.
//
// The running editor listens on a local socket named "QuorvaneMainWindow-<uid>"
// (inside $XDG_RUNTIME_DIR when set). A later start connects, sends the file
// name as a little-endian u32 byte count followed by its UTF-8 bytes, and waits
// for a one-byte reply that the running editor sends only once it has handled
// the file, so the hand-over is synchronous.
namespace SingleInstance {

QString serverName();

// Sends argument (an empty one only raises the running window) to a running
// editor. True when one took it; false when none is running, in which case the
// caller starts normally. A relative path is made absolute first, because the
// running editor has its own working folder.
bool handOver(const QString &argument, int replyTimeoutMs = 120000);

} // namespace SingleInstance

// The running editor's end of the hand-over.
class InstanceServer : public QObject
{
    Q_OBJECT
public:
    explicit InstanceServer(QObject *parent = nullptr);
    ~InstanceServer() override;

    // Starts listening unless another live editor already does (then a later
    // start hands over to that one). A socket left by a crashed editor is
    // removed. True when this process listens.
    bool listen();
    bool isListening() const;

signals:
    // Emitted once per hand-over; the reply goes out after the connected slots
    // return.
    void fileReceived(const QString &argument);

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket *socket);

    QLocalServer *m_server;
};
