#pragma once

#include "link/LinkChannel.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QTemporaryDir;

// One session with the XModem server of an HP 49/50 calculator (started on
// the calculator with right shift, right arrow): it connects over a serial
// line, sends one-byte commands and command packets, reads reply packets,
// and has files put to and got from the calculator by the transfer threads.
//
//   command packet (to the calculator)  length (2 bytes, high first), text, sum
//   reply packet (from the calculator)  the same; a "V" in place of the
//                                       length is an empty reply
//
// Every operation runs on the caller's thread. While a file moves, the
// caller's event loop keeps running (the window paints, the thread's
// reports arrive); errors are LinkError exceptions. A failed transfer makes
// Get and Put return false without one.
class TXModemServer : public QObject
{
    Q_OBJECT
public:
    // The calculator's variable under which objects are parked.
    static inline const QByteArray TempVariable = QByteArrayLiteral("$$$t");

    explicit TXModemServer(QObject *parent = nullptr);
    ~TXModemServer() override;

    // Line speed in bits per second; 0 leaves named ports unopened.
    void SetSpeed(int speed) { m_speed = speed; }
    int Speed() const { return m_speed; }
    // Tests and tools may open lines of their own making and list other
    // ports; by default, SerialChannel and ListSerialPorts.
    using ChannelFactory = std::function<std::unique_ptr<LinkChannel>(const QString &port, int speed)>;
    void SetChannelFactory(ChannelFactory factory) { m_factory = std::move(factory); }
    void SetPortLister(std::function<QStringList()> lister) { m_lister = std::move(lister); }
    // Asked before an object file of the other calculator series is sent;
    // true goes on. By default, a warning box with OK and Cancel.
    void SetQuestion(std::function<bool(const QString &)> ask) { m_ask = std::move(ask); }

    // "AUTO" (any case) tries every listed port in turn. A failure leaves
    // the session not connected and raises the wrapped error.
    void Connect(const QString &port);
    void Disconnect();
    // Takes a line that is open already (tests, tools) as connected on port,
    // without the handshake.
    void AdoptChannel(std::unique_ptr<LinkChannel> channel, const QString &port);
    bool IsConnected() const { return !m_port.isEmpty(); }
    void RequireConnected() const;
    QString PortName() const { return m_port; }
    // The version text the calculator gave when it connected.
    QByteArray Version() const { return m_version; }

    void SendCommand(char command);
    void SendPacket(const QByteArray &text);
    QByteArray ReadReply(int timeoutMs);
    // The calculator runs text (UserRPL, calculator bytes).
    void Execute(const QByteArray &text);
    // Removes the variable, or the directory of that name.
    void Purge(const QByteArray &name);
    bool Get(const QByteArray &name, const QString &localPath, qint64 size);
    bool Put(const QByteArray &remoteName, const QString &localPath);
    // False when the user declines to send a file of the other series.
    bool CheckObjectFile(const QString &path);
    void Quit();
    // Stops the transfer under way, if any: it aborts with the connection
    // error at its next check and Get or Put returns false.
    void StopTransfer();
    bool Transferring() const { return m_running != nullptr; }
    void Status(const QString &text);
    QString LastStatus() const { return m_status; }

    // The command packet of text, and the reply packet, as the line carries them.
    static QByteArray CommandPacket(const QByteArray &text);

signals:
    void statusChanged(const QString &text);
    // A transfer thread's report (kinds of TransferReport), on this thread.
    void transferReport(const QString &text, int kind, qint64 total, qint64 done);
    // The text of the window's status panel ("Copiando..." while a file moves).
    void panelText(const QString &text);
    // An acknowledged command packet (true), Quit (false).
    void connectedChanged(bool connected);

private:
    void connectNamed(const QString &port, const QString &asGiven);
    void autoDetect();
    bool runTransfer(class TransferThread *thread);
    LinkChannel &channel() const;

    class TransferThread *m_running = nullptr;
    int m_speed = 0;
    QString m_port;
    std::unique_ptr<LinkChannel> m_channel;
    QString m_status;
    QByteArray m_version;
    ChannelFactory m_factory;
    std::function<QStringList()> m_lister;
    std::function<bool(const QString &)> m_ask;
};
