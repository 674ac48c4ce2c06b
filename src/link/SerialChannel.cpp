#include "link/SerialChannel.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>

#include <algorithm>
#include <cstring>

QStringList ListSerialPorts()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << info.systemLocation();
    std::sort(names.begin(), names.end());
    names.removeDuplicates();
    return names;
}

const QList<int> &SerialSpeeds()
{
    static const QList<int> speeds{2400, 4800, 9600, 19200, 38400, 57600, 115200};
    return speeds;
}

SerialChannel::SerialChannel() = default;

SerialChannel::~SerialChannel()
{
    Close();
}

void SerialChannel::Open(const QString &name, int speed, const std::function<void(const QString &)> &status)
{
    Close();
    if (status)
        status(LinkText::Connecting);
    m_port = std::make_unique<QSerialPort>();
    m_port->setPortName(name);
    const bool ok = m_port->open(QIODevice::ReadWrite) && m_port->setBaudRate(speed)
                    && m_port->setDataBits(QSerialPort::Data8) && m_port->setParity(QSerialPort::NoParity)
                    && m_port->setStopBits(QSerialPort::OneStop)
                    && m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        m_port.reset();
        RaiseConnectionError();
    }
    // A pseudo-terminal (the simulated calculator) has no modem lines: the
    // calculator's cable needs them, a pty cannot refuse for want of them.
    m_port->setDataTerminalReady(true);
    m_port->setRequestToSend(true);
    m_port->clearError();
    if (status)
        status(QString());
}

void SerialChannel::Close()
{
    if (m_port) {
        m_port->close();
        m_port.reset();
    }
}

bool SerialChannel::IsOpen() const
{
    return m_port && m_port->isOpen();
}

void SerialChannel::SetReadTimeouts(int constantMs, int perByteMs)
{
    if (!IsOpen())
        RaiseConnectionError();
    m_constantMs = constantMs;
    m_perByteMs = perByteMs;
}

int SerialChannel::ReadBytes(char *buffer, int size)
{
    if (!IsOpen())
        RaiseConnectionError();
    std::memset(buffer, 0, size_t(size));
    const qint64 limit = qint64(m_constantMs) + qint64(m_perByteMs) * size;
    QElapsedTimer clock;
    clock.start();
    int got = 0;
    while (got < size) {
        const qint64 n = m_port->read(buffer + got, size - got);
        if (n < 0)
            RaiseConnectionError();
        got += int(n);
        if (got == size)
            break;
        const qint64 left = limit - clock.elapsed();
        if (left <= 0 || stopRequested.load())
            break;
        // short slices so that a stop request is seen soon
        if (!m_port->waitForReadyRead(int(std::min<qint64>(left, 100)))) {
            const auto e = m_port->error();
            if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError)
                RaiseConnectionError();
            m_port->clearError();
        }
    }
    return got;
}

void SerialChannel::WriteBytes(const QByteArray &bytes)
{
    if (!IsOpen())
        RaiseConnectionError();
    if (m_port->write(bytes) != bytes.size())
        RaiseConnectionError();
    const int limit = 100 + 10 * int(bytes.size());
    QElapsedTimer clock;
    clock.start();
    while (m_port->bytesToWrite() > 0) {
        const qint64 left = limit - clock.elapsed();
        if (left <= 0 || !m_port->waitForBytesWritten(int(left)))
            RaiseConnectionError();
    }
}

void SerialChannel::SetBuffers(int inputSize, int outputSize)
{
    Q_UNUSED(outputSize);
    if (!IsOpen())
        RaiseConnectionError();
    // Qt's queue grows as needed; a bounded one could only lose bytes.
    Q_UNUSED(inputSize);
}

void SerialChannel::DiscardInput()
{
    if (!IsOpen())
        RaiseConnectionError();
    m_port->clear(QSerialPort::Input);
    m_port->readAll();
}

void SerialChannel::HandTo(QThread *thread)
{
    if (m_port)
        m_port->moveToThread(thread);
}
