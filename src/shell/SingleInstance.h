#pragma once

#include <QObject>
#include <QQueue>
#include <QString>

#include <sys/types.h>

class QLocalServer;
class QLocalSocket;

// Hands a file from a second start of the editor to the one already running.
//
// The running editor listens on the local socket "QuorvaneMainWindow" in a
// folder only its user may enter (formats/PrivateFolder.h, leaf "quorvane"),
// so no other local user can take the name first. A later start connects,
// sends the file name as a little-endian u32 byte count followed by its UTF-8
// bytes, and waits for a one-byte reply. The reply goes out as soon as the
// name is read and queued, before any window opens: the second start may
// end (its terminal closed) at any moment without harm to the running one.
namespace SingleInstance {

// The full socket path clients try first; empty when no private folder
// exists (then no editor can be listening).
QString serverName();

// Sends argument (an empty one only raises the running window) to a running
// editor. True when one took it; false when none is running, in which case the
// caller starts normally. A relative path is made absolute first, because the
// running editor has its own working folder.
bool handOver(const QString &argument, int replyTimeoutMs = 10000);

} // namespace SingleInstance

// The running editor's end of the hand-over.
//
// Requests are read, answered and queued inside the socket handlers, and
// delivered later from the event loop one at a time: a slot that shows a
// message box (with its own event loop) never runs inside a socket handler,
// further requests are still accepted and answered meanwhile, and they wait
// their turn instead of piling message boxes on each other.
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
    // The same on a socket path of the caller's choosing (tests).
    bool listen(const QString &path);
    bool isListening() const;
    QString fullServerName() const;

    // Connections from processes of another user are dropped unread; tests
    // pretend to be that other user by expecting a different id.
    void setExpectedUser(uid_t uid) { m_expectedUser = uid; }

signals:
    // Emitted once per request, from the event loop, never while an earlier
    // request's slots are still running.
    void fileReceived(const QString &argument);

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket *socket);
    void deliverNext();

    QLocalServer *m_server;
    QQueue<QString> m_pending;
    bool m_delivering = false;
    bool m_deliveryScheduled = false;
    uid_t m_expectedUser;
};
