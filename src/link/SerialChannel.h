#pragma once

#include "link/LinkChannel.h"

#include <QStringList>

#include <functional>
#include <memory>

class QSerialPort;

// The machine's serial ports as QSerialPortInfo lists them (/dev/ttyUSB0,
// /dev/ttyS0 ...), sorted; the options window puts "Auto" before them and
// automatic detection tries them in this order.
QStringList ListSerialPorts();

// Line speeds offered for the calculator; the calculators' own cable runs
// at 115200.
const QList<int> &SerialSpeeds();
constexpr int DefaultSerialSpeed = 115200;

// A serial line on QSerialPort: 8 data bits, no parity, one stop bit, no
// flow control, DTR and RTS on.
class SerialChannel : public LinkChannel
{
public:
    SerialChannel();
    ~SerialChannel() override;

    // Opens name at speed; raises the connection error when the port cannot
    // be opened or set up. status (may be empty) is told "Conectando..."
    // while it opens and an empty text afterwards.
    void Open(const QString &name, int speed, const std::function<void(const QString &)> &status = {});
    void Close();
    bool IsOpen() const;

    void SetReadTimeouts(int constantMs, int perByteMs) override;
    int ReadBytes(char *buffer, int size) override;
    void WriteBytes(const QByteArray &bytes) override;
    void SetBuffers(int inputSize, int outputSize) override;
    void DiscardInput() override;
    void HandTo(QThread *thread) override;

private:
    std::unique_ptr<QSerialPort> m_port;
    int m_constantMs = 1000;
    int m_perByteMs = 0;
};
