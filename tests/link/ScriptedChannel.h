#pragma once

// A line whose other end is a script: the bytes the "calculator" will send
// are queued beforehand, every byte written is kept, and a read that finds
// the queue empty times out at once (so byte-level cases run in no time).

#include "link/LinkChannel.h"

#include <QByteArray>
#include <cstring>
#include <functional>

class ScriptedChannel : public LinkChannel
{
public:
    void SetReadTimeouts(int, int) override {}
    int ReadBytes(char *buffer, int size) override
    {
        if (onRead && input.isEmpty())
            onRead(*this);
        std::memset(buffer, 0, size_t(size));
        const int n = int(std::min<qsizetype>(size, input.size()));
        std::memcpy(buffer, input.constData(), size_t(n));
        input.remove(0, n);
        ++reads;
        if (reads > readLimit)
            RaiseConnectionError(); // a loop that never ends is a fault
        return n;
    }
    void WriteBytes(const QByteArray &bytes) override
    {
        written += bytes;
        if (onWrite)
            onWrite(*this, bytes);
    }
    void SetBuffers(int, int) override {}
    void DiscardInput() override {}

    QByteArray input;
    QByteArray written;
    int reads = 0;
    int readLimit = 100000;
    // Lets a script answer what was just written, or feed more on demand.
    std::function<void(ScriptedChannel &, const QByteArray &)> onWrite;
    std::function<void(ScriptedChannel &)> onRead;
};
