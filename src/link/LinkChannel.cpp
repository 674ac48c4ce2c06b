#include "link/LinkChannel.h"

#include <QElapsedTimer>

namespace {
std::function<void()> &connectionErrorHook()
{
    static std::function<void()> hook;
    return hook;
}
} // namespace

void SetConnectionErrorHook(std::function<void()> hook)
{
    connectionErrorHook() = std::move(hook);
}

void RaiseConnectionError()
{
    if (connectionErrorHook())
        connectionErrorHook()();
    throw LinkError(LinkText::ConnectionError);
}

void RaiseError(const QString &text)
{
    throw LinkError(QStringLiteral("Error (") + text + QLatin1Char(')'));
}

void LinkChannel::Drain(int constantMs, int perByteMs)
{
    SetReadTimeouts(200, 0);
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        DiscardInput();
        char byte = 0;
        if (ReadBytes(&byte, 1) == 0)
            break;
        if (clock.elapsed() > m_drainLimitMs || stopRequested.load())
            RaiseConnectionError();
    }
    SetReadTimeouts(constantMs, perByteMs);
}

int LinkChannel::ReadByte()
{
    char byte = 0;
    return ReadBytes(&byte, 1) == 1 ? static_cast<unsigned char>(byte) : -1;
}
