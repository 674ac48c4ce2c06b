#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <stdexcept>

// The bottom of the calculator link: one line to the calculator with
// blocking reads and writes, each with its own time-out, as the XModem
// transfer and the server session above it expect.
//
// Every failure of the line is a LinkError that ends the running operation;
// nothing is retried at this layer.

// The texts the link raises. They are the calculator link's own fixed
// English texts (the user's error box shows them as they are).
namespace LinkText {
inline const QString ConnectionError = QStringLiteral("Connection error.\r\nPlease check your connections.");
inline const QString Connecting = QStringLiteral("Conectando...");
} // namespace LinkText

class LinkError : public std::runtime_error
{
public:
    explicit LinkError(const QString &text)
        : std::runtime_error(text.toStdString()), m_text(text)
    {
    }
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Raises the connection error; the hook set with SetConnectionErrorHook is
// told first (the transfer window then counts itself not connected).
[[noreturn]] void RaiseConnectionError();
// Raises "Error (" + text + ")".
[[noreturn]] void RaiseError(const QString &text);
void SetConnectionErrorHook(std::function<void()> hook);

// One open line. Used by one thread at a time: the session's thread for
// commands, a transfer thread for blocks while the session waits for it.
class LinkChannel
{
public:
    virtual ~LinkChannel() = default;

    // Reads that follow wait at most constantMs + perByteMs for every byte
    // asked for.
    virtual void SetReadTimeouts(int constantMs, int perByteMs) = 0;
    // One read of at most size bytes, within the read time-outs. The bytes
    // not received are set to 0, so a read that times out yields zero
    // bytes. Returns the count received; raises the connection error when
    // the line fails.
    virtual int ReadBytes(char *buffer, int size) = 0;
    // Writes every byte within 100 ms + 10 ms per byte, or raises the
    // connection error.
    virtual void WriteBytes(const QByteArray &bytes) = 0;
    // Input and output queue sizes the layers above ask for; a line may
    // take them as hints only.
    virtual void SetBuffers(int inputSize, int outputSize) = 0;
    // Forgets whatever the input queue holds now.
    virtual void DiscardInput() = 0;
    // The line is handed to another thread (a transfer) and back; called
    // by the thread that has it now.
    virtual void HandTo(class QThread *thread) { (void)thread; }

    // Reads until the line has been quiet for 200 ms, then sets the read
    // time-outs to (constantMs, perByteMs). A line that never goes quiet is
    // given up after the drain limit with the connection error.
    void Drain(int constantMs, int perByteMs);
    void SetDrainLimit(int ms) { m_drainLimitMs = ms; }
    int DrainLimit() const { return m_drainLimitMs; }
    // One byte, or -1 when none came within the read time-outs.
    int ReadByte();
    void WriteByte(char byte) { WriteBytes(QByteArray(1, byte)); }

    static constexpr int DefaultDrainLimitMs = 10000;

    // Set from another thread to make a waiting read give up at its next
    // check (the transfer threads' stop request).
    std::atomic<bool> stopRequested{false};

private:
    int m_drainLimitMs = DefaultDrainLimitMs;
};
