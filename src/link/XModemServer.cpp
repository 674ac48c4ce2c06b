#include "link/XModemServer.h"

#include "link/SerialChannel.h"
#include "link/YModem.h"
#include "shell/AppDialogs.h"
#include "shell/Settings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

namespace {

// The last part of a calculator path or a local path.
QString filePart(const QString &name)
{
    const auto cut = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    return name.mid(cut + 1);
}

QString bytesText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

// Waits on the caller's thread with its events still served.
void servedPause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TXModemServer::TXModemServer(QObject *parent)
    : QObject(parent)
{
    emit panelText(QString());
}

TXModemServer::~TXModemServer()
{
    Disconnect();
    emit panelText(QString());
}

LinkChannel &TXModemServer::channel() const
{
    if (!m_channel)
        RaiseConnectionError();
    return *m_channel;
}

void TXModemServer::Connect(const QString &port)
{
    m_channel.reset();
    m_port = port.trimmed();
    // Device names are case-sensitive here (/dev/ttyUSB0); only the word
    // that asks for detection is compared without case.
    if (m_port.compare(QLatin1String("AUTO"), Qt::CaseInsensitive) == 0) {
        m_port.clear();
        autoDetect();
        return;
    }
    if (m_port.isEmpty() || m_speed <= 0)
        return;
    connectNamed(m_port, port);
}

void TXModemServer::connectNamed(const QString &port, const QString &asGiven)
{
    m_port = port;
    try {
        Status(QStringLiteral("Opening Comm ") + port);
        if (m_factory) {
            m_channel = m_factory(port, m_speed);
            if (!m_channel)
                RaiseConnectionError();
        } else {
            auto serial = std::make_unique<SerialChannel>();
            serial->Open(port, m_speed, [this](const QString &text) { emit panelText(text); });
            m_channel = std::move(serial);
        }
        SendCommand('V');
        m_version = ReadReply(500);
        Status(QStringLiteral("Device connected on ") + port);
        Execute("VERSION DROP '" + TempVariable + "' STO");
        // The local copy goes to a folder of our own: the working folder may
        // hold a file of the user's with that name.
        QTemporaryDir scratch;
        if (!scratch.isValid())
            RaiseError(QStringLiteral("Unable to create a temporary folder"));
        const QString local = scratch.filePath(QString::fromLatin1(TempVariable));
        if (Get(TempVariable, local, 100))
            QFile::remove(local);
        Purge(TempVariable);
    } catch (const LinkError &) {
        m_port.clear();
        m_channel.reset();
        RaiseError(QStringLiteral("The connectivity kit is unable to open the communication com :") + asGiven);
    }
}

void TXModemServer::autoDetect()
{
    const QStringList ports = m_lister ? m_lister() : ListSerialPorts();
    for (const QString &p : ports) {
        try {
            connectNamed(p, p);
            return;
        } catch (const LinkError &) {
        }
    }
    if (!IsConnected())
        Status(QStringLiteral("No device detected. Check the cable connections and the calculator."));
}

void TXModemServer::Disconnect()
{
    m_channel.reset();
    m_port.clear();
}

void TXModemServer::AdoptChannel(std::unique_ptr<LinkChannel> channel, const QString &port)
{
    m_channel = std::move(channel);
    m_port = port;
}

void TXModemServer::RequireConnected() const
{
    if (!IsConnected())
        RaiseError(QStringLiteral("No device connected. Check you are in Xmodem server (RShift RightArrow)"));
}

void TXModemServer::SendCommand(char command)
{
    LinkChannel &c = channel();
    c.Drain(1000, 30);
    c.WriteByte(command);
    // the server needs a moment to turn from commands to packets
    QThread::msleep(20);
}

QByteArray TXModemServer::CommandPacket(const QByteArray &text)
{
    QByteArray p;
    p.append(char((text.size() >> 8) & 0xFF)).append(char(text.size() & 0xFF));
    p.append(text);
    p.append(char(XModem::Sum(text)));
    return p;
}

void TXModemServer::SendPacket(const QByteArray &text)
{
    LinkChannel &c = channel();
    if (text.size() > 0xFFFF)
        RaiseError(QStringLiteral("The command is too long for the calculator"));
    const QByteArray packet = CommandPacket(text);
    c.SetReadTimeouts(1000, 0);
    c.SetBuffers(1029, 1029);
    for (int failures = 0;;) {
        c.WriteBytes(packet);
        if (c.ReadByte() == XModem::ACK)
            break;
        if (++failures >= 5)
            RaiseConnectionError();
        Status(LinkText::ConnectionError);
        c.Drain(1000, 0);
    }
    emit connectedChanged(true);
}

QByteArray TXModemServer::ReadReply(int timeoutMs)
{
    LinkChannel &c = channel();
    c.SetReadTimeouts(timeoutMs, 30);
    c.SetBuffers(10000, 10000);
    for (int failures = 0;;) {
        char head[2];
        if (c.ReadBytes(head, 2) == 2) {
            if (head[0] == 'V')
                return QByteArray();
            const int length = std::min(10000, (std::uint8_t(head[0]) << 8) | std::uint8_t(head[1]));
            QByteArray body(length, '\0');
            if (c.ReadBytes(body.data(), length) == length) {
                char sum = 0;
                if (c.ReadBytes(&sum, 1) == 1 && std::uint8_t(sum) == XModem::Sum(body)) {
                    c.WriteByte(XModem::ACK);
                    return body;
                }
            }
        }
        c.Drain(timeoutMs, 30);
        c.WriteByte(XModem::NAK);
        if (++failures >= 4)
            RaiseConnectionError();
    }
}

void TXModemServer::Execute(const QByteArray &text)
{
    RequireConnected();
    SendCommand('E');
    SendPacket(text);
}

void TXModemServer::Purge(const QByteArray &name)
{
    RequireConnected();
    SendCommand('E');
    SendPacket("'" + name + "' IFERR PURGE THEN PGDIR END");
}

bool TXModemServer::runTransfer(TransferThread *thread)
{
    std::unique_ptr<TransferThread> owned(thread);
    connect(thread, &TransferThread::statusReported, this, &TXModemServer::transferReport);
    QEventLoop loop;
    connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    emit panelText(QStringLiteral("Copiando..."));
    m_running = thread;
    thread->Begin();
    if (!thread->isFinished())
        loop.exec();
    thread->wait();
    m_running = nullptr;
    // reports still queued for this thread arrive before we go on
    QCoreApplication::sendPostedEvents(this);
    return thread->Success();
}

bool TXModemServer::Get(const QByteArray &name, const QString &localPath, qint64 size)
{
    RequireConnected();
    const QString part = filePart(bytesText(name));
    Status(QStringLiteral("Requesting file ") + part);
    SendCommand('G');
    SendPacket(name);
    Status(QStringLiteral("Copying ") + part);
    const bool ok = runTransfer(new TYModemRX(channel(), size + 9, localPath));
    servedPause(500);
    emit panelText(QString());
    return ok;
}

bool TXModemServer::Put(const QByteArray &remoteName, const QString &localPath)
{
    RequireConnected();
    if (!CheckObjectFile(localPath))
        return false;
    QByteArray remote = remoteName;
    if (remote.size() >= 3 && remote.right(3).toUpper() == ".HP")
        remote.chop(3);
    Status(QStringLiteral("Sending PUT command"));
    SendCommand('P');
    SendPacket(remote);
    Status(QStringLiteral("Copying ") + filePart(bytesText(remote)));
    const bool ok = runTransfer(new TYModemTX(channel(), false, localPath));
    emit panelText(QString());
    return ok;
}

bool TXModemServer::CheckObjectFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        RaiseError(QStringLiteral("Unable to open file ") + path + QLatin1Char(' ') + file.errorString());
    const QByteArray head = file.read(8);
    if (head.isNull() && file.error() != QFileDevice::NoError)
        RaiseError(QStringLiteral("Cannot read from file ") + path + file.errorString());
    const QByteArray expected = Settings().environment.DefaultEmulator ? "HPHP48" : "HPHP49";
    if (head.left(6) == expected)
        return true;
    const QString question = path + QStringLiteral("\r\n\r\nis a ") + QString::fromLatin1(head.mid(2, 4))
                             + QStringLiteral(" file and does not match the calculator.\r\n"
                                              "This may damage the calculator contents.\r\n\r\n"
                                              "Do you wish to continue?");
    if (m_ask)
        return m_ask(question);
    return ShowAppMessage(question, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel)
           == QMessageBox::Ok;
}

void TXModemServer::Quit()
{
    SendCommand('Q');
    emit connectedChanged(false);
}

void TXModemServer::StopTransfer()
{
    if (m_running)
        m_running->Stop();
}

void TXModemServer::Status(const QString &text)
{
    m_status = text;
    emit statusChanged(text);
}
