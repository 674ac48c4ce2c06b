#pragma once

#include "calc/service/ServiceProtocol.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

#include <sys/types.h>

class QLocalSocket;
class QSocketNotifier;
class QThread;
class QWidget;

namespace Calc {

class Machine;

// The calculator's stack as a local-socket service (what kobrix talks to):
// a poke of an object file to topic "Stack", item "1", format "CF_HPOBJ"
// puts its object on level 1; the partner's windows can be listed and one
// of them shown and raised. See ServiceProtocol.h for the bytes and
// ServiceFolder.h for where the socket lives.
//
// Only this user's processes are served (the peer's user id is checked on
// every connection). A poke is answered 1 only when the object is on the
// stack; everything else is refused with 0 and leaves the stack as it was.
class StackService : public QObject
{
    Q_OBJECT

public:
    // machine gives the calculator to put objects on (it may change when
    // the user opens another state file); called on this object's thread.
    explicit StackService(std::function<std::shared_ptr<Machine>()> machine,
                          QObject *parent = nullptr);
    ~StackService() override;

    // The window reported to clients under the class "C" + the service name
    // (how kobrix finds the calculator to raise); other top-level windows are
    // reported under their object name, or their class when they have none.
    void setCalculatorWindow(QWidget *window);
    // Connections from other user ids are turned away; tests pretend to be
    // another user by expecting one that is not theirs.
    void setExpectedPeerUid(uid_t uid) { m_peerUid = uid; }

    // Starts serving service. False with a reason for the user when the name
    // is not allowed or too long, when no private folder can be had, or when
    // another calculator serves the name already (inUse() then tells so).
    // A socket left by a calculator that ended without removing it is
    // replaced.
    bool start(const QString &service, QString *error);
    void stop();
    bool serving() const { return m_listen >= 0; }
    bool inUse() const { return m_inUse; }
    QString service() const { return m_service; }
    QString socketPath() const { return m_path; }
    QString calculatorClass() const { return QStringLiteral("C") + m_service; }

    // How long a poke waits for a busy calculator before it is refused; kept
    // below the client's 5000 ms so the answer reaches it.
    static constexpr int PokeWaitMs = 4000;
    // Connections open at once beyond this are closed at once.
    static constexpr int MaxConnections = 32;

signals:
    void objectReceived();
    // A request that was refused, and why (for the user's terminal).
    void refused(const QString &reason);

private:
    struct Conversation
    {
        QPointer<QLocalSocket> socket;
        ServiceRequestReader reader;
        bool busy = false; // a poke is being put on the stack
    };

    void acceptConnections();
    void readFrom(QLocalSocket *socket);
    void serve(QLocalSocket *socket);
    void answer(QLocalSocket *socket, const std::string &bytes);
    void refuse(QLocalSocket *socket, const QString &reason);
    void poke(QLocalSocket *socket, const ServiceRequest &request);
    void pokeDone(QLocalSocket *socket, bool ok, const QString &reason);
    std::string windowList();
    bool showWindow(uint32_t id);
    void dropStalled();
    void forget(QLocalSocket *socket);

    std::function<std::shared_ptr<Machine>()> m_machine;
    QPointer<QWidget> m_calculatorWindow;
    uid_t m_peerUid;
    QString m_service;
    QString m_path;
    bool m_inUse = false;
    int m_listen = -1;
    dev_t m_socketDev = 0;
    ino_t m_socketIno = 0;
    QSocketNotifier *m_notifier = nullptr;
    QHash<QLocalSocket *, std::shared_ptr<Conversation>> m_conversations;
    QHash<QWidget *, uint32_t> m_windowIds;
    QHash<uint32_t, QPointer<QWidget>> m_windows;
    uint32_t m_nextWindowId = 1;
    QTimer m_sweep;
    QElapsedTimer m_clock;
    QList<QPointer<QThread>> m_workers;
};

} // namespace Calc
