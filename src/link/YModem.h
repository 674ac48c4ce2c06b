#pragma once

#include "formats/XModemBlocks.h"
#include "link/LinkChannel.h"

#include <QByteArray>
#include <QString>
#include <QThread>

#include <cstdint>

// Files between the computer and the calculator's XModem server, in
// numbered blocks of 128 (SOH) or 1024 (STX) bytes, each acknowledged. The
// session has already named the file in a command packet, so there is no
// header block: block 1 carries the first data.

namespace XModem {
// A whole block: start byte, number (modulo 256), its complement, data, check.
QByteArray Block(int number, const QByteArray &data, Check check);

// Waits of the protocol. Tests shorten the pauses so that a failure does
// not cost seconds; the happy path never sleeps.
struct Timing
{
    int answerMs = 2000;      // for the receiver's answer to a block or EOT
    int retryPauseMs = 800;   // after an answer that never came
    int abortPauseMs = 2000;  // after CAN, so that the other side gives up too
};
Timing &Timings();
} // namespace XModem

// Status kinds of the transfer threads' reports.
enum TransferReport : int {
    ReportNotice = 0,   // an error or notice text
    ReportStatus = 1,   // a status text
    ReportProgress = 2, // text, total bytes, bytes done
    ReportEnded = 3,    // the transfer has ended (no text)
};

// "done/total bytes (p%) r byte/s" on three lines (Kbytes above 9999 bytes);
// empty when total is 0 or less. elapsedMs counts from the transfer's start.
QString FormatProgress(qint64 done, qint64 total, qint64 elapsedMs);

// One transfer on a thread of its own. It starts when start() is called
// (after the owner has handed it the channel), reports through
// statusReported, which the owner receives on its own thread (queued), and
// ends by itself after success or abort; the owner waits for finished()
// and reads Success(). A stop request (requestInterruption) aborts it at
// its next check with the connection error.
class TransferThread : public QThread
{
    Q_OBJECT
public:
    TransferThread(LinkChannel &channel, const QString &localPath, QObject *parent);
    bool Success() const { return m_success; }
    // Starts the thread with the channel handed to it; the channel comes
    // back to the caller's thread when the run ends.
    void Begin();
    void Stop();

signals:
    void statusReported(const QString &text, int kind, qint64 total, qint64 done);

protected:
    void report(const QString &text, int kind, qint64 total = 0, qint64 done = 0);
    void checkStop();
    void pause(int ms);

    LinkChannel &m_channel;
    QString m_path;
    bool m_success = false;
};

// Sends a local file: waits for the receiver's NAK, "C" or "D", then blocks
// of 1024 bytes while at least 1024 remain (128 from then on, or from the
// start when small blocks are asked for or the file is below 896 bytes),
// then EOT.
class TYModemTX : public TransferThread
{
    Q_OBJECT
public:
    TYModemTX(LinkChannel &channel, bool smallBlocks, const QString &localPath, QObject *parent = nullptr);

protected:
    void run() override;

private:
    void transfer();
    bool m_smallBlocks;
};

// Receives into a local file (written whole, or not at all): asks for the
// sum with NAK, takes blocks until EOT, keeps at most expectedSize bytes. A
// failed receive leaves no partial file.
class TYModemRX : public TransferThread
{
    Q_OBJECT
public:
    TYModemRX(LinkChannel &channel, qint64 expectedSize, const QString &localPath, QObject *parent = nullptr);

protected:
    void run() override;

private:
    void transfer(QByteArray &file);
    qint64 m_expected;
};
