#include "link/YModem.h"

#include "formats/SafeFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace XModem {

QByteArray Block(int number, const QByteArray &data, Check check)
{
    QByteArray b;
    b.reserve(data.size() + 5);
    b.append(data.size() == 1024 ? STX : SOH);
    b.append(char(number & 0xFF));
    b.append(char(255 - (number & 0xFF)));
    b.append(data);
    b.append(CheckBytes(data, check));
    return b;
}

Timing &Timings()
{
    static Timing t;
    return t;
}

} // namespace XModem

using namespace XModem;

QString FormatProgress(qint64 done, qint64 total, qint64 elapsedMs)
{
    if (total <= 0)
        return QString();
    const qint64 s = elapsedMs / 1000 + 1;
    if (total > 9999)
        return QStringLiteral("%1/%2 Kbytes\r\n(%3%)\r\n%4 Kbyte/s")
            .arg(done / 1024)
            .arg(total / 1024)
            .arg((done * 100 - 100) / total)
            .arg(done / s / 1024);
    return QStringLiteral("%1/%2 bytes\r\n(%3%)\r\n%4 byte/s")
        .arg(done)
        .arg(total)
        .arg(done * 100 / total)
        .arg(done / s);
}

// ------------------------------------------------------------ TransferThread

TransferThread::TransferThread(LinkChannel &channel, const QString &localPath, QObject *parent)
    : QThread(parent), m_channel(channel), m_path(localPath)
{
}

void TransferThread::Begin()
{
    m_channel.stopRequested = false;
    m_channel.HandTo(this);
    start();
}

void TransferThread::Stop()
{
    requestInterruption();
    m_channel.stopRequested = true;
}

void TransferThread::report(const QString &text, int kind, qint64 total, qint64 done)
{
    emit statusReported(text, kind, total, done);
}

void TransferThread::checkStop()
{
    if (isInterruptionRequested())
        RaiseConnectionError();
}

void TransferThread::pause(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !isInterruptionRequested())
        QThread::msleep(std::min<qint64>(50, ms - clock.elapsed()));
}

// ------------------------------------------------------------------ sending

TYModemTX::TYModemTX(LinkChannel &channel, bool smallBlocks, const QString &localPath, QObject *parent)
    : TransferThread(channel, localPath, parent), m_smallBlocks(smallBlocks)
{
}

void TYModemTX::run()
{
    try {
        transfer();
    } catch (const LinkError &e) {
        report(e.text(), ReportNotice);
        try {
            m_channel.WriteBytes(QByteArray(3, CAN));
        } catch (const LinkError &) {
        }
        pause(Timings().abortPauseMs);
    }
    m_channel.HandTo(thread());
    report(QString(), ReportEnded);
}

void TYModemTX::transfer()
{
    const Timing &t = Timings();
    m_channel.SetBuffers(2048, 2048);
    m_channel.SetReadTimeouts(t.answerMs, 0);
    qint64 sent = 0;
    report(QStringLiteral("Connecting ..."), ReportStatus);

    Check check = Check::Sum;
    for (int failures = 0;;) {
        checkStop();
        const int b = m_channel.ReadByte();
        if (b == NAK) {
            check = Check::Sum;
            break;
        }
        if (b == AskCrc) {
            check = Check::CrcArc;
            break;
        }
        if (b == AskKermit) {
            check = Check::Kermit;
            break;
        }
        if (b == CAN || ++failures >= 6)
            RaiseConnectionError();
    }

    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        RaiseError(QStringLiteral("Unable to open file ") + m_path + QLatin1Char(' ') + file.errorString());
    const qint64 size = file.size();
    QElapsedTimer clock;
    clock.start();
    int blockSize = (m_smallBlocks || size < 896) ? 128 : 1024;
    report(QStringLiteral("Copying ") + m_path, ReportStatus);

    // The unused end of the last block is padded with zeros; the calculator
    // reads the object and ignores what follows it.
    QByteArray block;
    int number = 0;
    for (;;) {
        if (size - sent < 1024)
            blockSize = 128;
        block = file.read(blockSize);
        if (block.isNull() && file.error() != QFileDevice::NoError)
            RaiseError(QStringLiteral("Cannot read from file ") + file.errorString());
        if (block.isEmpty())
            break;
        block.append(QByteArray(blockSize - block.size(), '\0'));
        report(FormatProgress(sent, size, clock.elapsed()), ReportProgress, size, sent);
        const QByteArray wire = Block(++number, block, check);
        for (int failures = 0;;) {
            m_channel.WriteBytes(wire);
            const int answer = m_channel.ReadByte();
            if (answer == ACK)
                break;
            if (answer < 0) {
                if (++failures >= 11)
                    RaiseConnectionError();
                pause(t.retryPauseMs);
            } else if (answer == NAK) {
                if (++failures >= 11)
                    RaiseConnectionError();
            } else if (answer == CAN) {
                RaiseConnectionError();
            } else {
                m_channel.Drain(t.answerMs, 0);
            }
            report(LinkText::ConnectionError, ReportNotice);
            checkStop();
        }
        sent += blockSize;
    }
    // the last block is acknowledged: the whole file is there
    report(FormatProgress(size, size, clock.elapsed()), ReportProgress, size, size);
    const qint64 s = clock.elapsed() / 1000 + 1;
    const QString name = QFileInfo(m_path).fileName();
    report(name + QStringLiteral(" sent at ") + QString::number(size / s / 1024) + QStringLiteral(" Kbyte/s"),
           ReportStatus);
    for (int attempt = 0;; ++attempt) {
        checkStop();
        if (attempt >= 10)
            RaiseConnectionError();
        m_channel.WriteByte(EOT);
        if (m_channel.ReadByte() == ACK)
            break;
    }
    m_success = true;
}

// ---------------------------------------------------------------- receiving

TYModemRX::TYModemRX(LinkChannel &channel, qint64 expectedSize, const QString &localPath, QObject *parent)
    : TransferThread(channel, localPath, parent), m_expected(expectedSize)
{
}

void TYModemRX::run()
{
    // Kept in memory and written whole on success only, through ReplaceFile:
    // a failed receive or a full disk leaves neither a partial file nor a
    // damaged earlier one.
    QByteArray file;
    try {
        transfer(file);
    } catch (const LinkError &e) {
        report(e.text(), ReportNotice);
        try {
            m_channel.WriteBytes(QByteArray(4, CAN));
        } catch (const LinkError &) {
        }
        pause(Timings().abortPauseMs);
    }
    m_channel.HandTo(thread());
    report(QString(), ReportEnded);
}

void TYModemRX::transfer(QByteArray &file)
{
    const Timing &t = Timings();
    m_channel.SetReadTimeouts(t.answerMs, 0);
    m_channel.SetBuffers(2048, 2048);
    qint64 received = 0;
    QElapsedTimer clock;

    int n = 0;
    m_channel.WriteByte(NAK);
    bool complete = false;
    while (!complete) {
        ++n;
        int errors = 0;
        int refused = 0;
        for (;;) {
            checkStop();
            const int b = m_channel.ReadByte();
            if (b == SOH || b == STX) {
                const int a = b == SOH ? 128 : 1024;
                if (!clock.isValid())
                    clock.start();
                report(FormatProgress(qint64(n - 1) * a, m_expected, clock.elapsed()), ReportProgress,
                       m_expected, qint64(n - 1) * a);
                QByteArray body(a + 3, '\0');
                // the block's bytes follow at line speed: a little time per byte
                m_channel.SetReadTimeouts(t.answerMs, 5);
                const int got = m_channel.ReadBytes(body.data(), a + 3);
                m_channel.SetReadTimeouts(t.answerMs, 0);
                const auto at = [&](int i) { return std::uint8_t(body.at(i)); };
                const QByteArray data = body.mid(2, a);
                const bool whole = got == a + 3 && at(1) == 255 - at(0) && at(a + 2) == Sum(data);
                if (whole && at(0) == (n & 0xFF)) {
                    const qint64 keep = std::min<qint64>(a, std::max<qint64>(0, m_expected - received));
                    file.append(data.constData(), keep);
                    received += a;
                    m_channel.WriteByte(ACK);
                    break;
                }
                if (whole && at(0) == ((n - 1) & 0xFF)) {
                    // our ACK of the previous block was lost: it is sent
                    // again; acknowledge it and keep the copy we have
                    m_channel.WriteByte(ACK);
                    continue;
                }
                report(LinkText::ConnectionError, ReportNotice);
                if (++refused >= 10)
                    RaiseConnectionError();
                m_channel.Drain(t.answerMs, 0);
                m_channel.WriteByte(NAK);
                continue;
            }
            if (b == EOT) {
                complete = true;
                break;
            }
            if (b == CAN)
                RaiseConnectionError();
            if (++errors >= 6)
                RaiseConnectionError();
            m_channel.Drain(t.answerMs, 0);
            m_channel.WriteByte(NAK);
        }
    }
    m_channel.WriteByte(ACK);
    const qint64 s = (clock.isValid() ? clock.elapsed() : 0) / 1000 + 1;
    report(QFileInfo(m_path).fileName() + QStringLiteral(" Received at ")
               + QString::number(received / s / 1024) + QStringLiteral(" Kbyte/s"),
           ReportStatus);
    QString why;
    if (!ReplaceFile(m_path, file, &why))
        RaiseError(QStringLiteral("Cannot write to file ") + m_path + QLatin1Char(' ') + why);
    m_success = true;
}
