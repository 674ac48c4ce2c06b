#pragma once

// The editor and a simulated calculator on the two sides of a
// pseudo-terminal pair. The calculator's side of the line can drop, flip or
// delay bytes, or go silent, to see the protocol recover or fail cleanly.

#include "calc/core/Engine.h"
#include "calc/service/LinkServer.h"
#include "link/XModemServer.h"
#include "link/YModem.h"

#include <QTest>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

// A line with faults: each hook sees every byte that passes and says what
// becomes of it.
class FaultyLine : public Calc::ServerLine
{
public:
    enum Fate { Pass, Drop, Flip };
    explicit FaultyLine(int fd)
        : m_line(fd)
    {
    }
    // Bytes the calculator reads (from the editor), counted from 0.
    std::function<Fate(long index, char byte)> onIncoming;
    // Bytes the calculator writes (to the editor), counted from 0.
    std::function<Fate(long index, char byte)> onOutgoing;
    std::atomic<bool> silent{false}; // the cable is cut: nothing passes

    int read(char *buffer, int size, int timeoutMs) override
    {
        if (silent) {
            QThread::msleep(std::min(timeoutMs, 200));
            return 0;
        }
        int n = m_line.read(buffer, size, timeoutMs);
        if (n <= 0 || !onIncoming)
            return n;
        int kept = 0;
        for (int i = 0; i < n; ++i) {
            const Fate f = onIncoming(m_in++, buffer[i]);
            if (f == Drop)
                continue;
            buffer[kept++] = f == Flip ? char(buffer[i] ^ 0x40) : buffer[i];
        }
        return kept;
    }
    bool write(const std::string &bytes) override
    {
        if (silent)
            return true;
        if (!onOutgoing)
            return m_line.write(bytes);
        std::string out;
        for (char c : bytes) {
            const Fate f = onOutgoing(m_out++, c);
            if (f != Drop)
                out += f == Flip ? char(c ^ 0x40) : c;
        }
        return m_line.write(out);
    }
    void discard() override { m_line.discard(); }

private:
    Calc::FdLine m_line;
    long m_in = 0;
    long m_out = 0;
};

// The simulated calculator on the master side; the editor opens slaveName.
struct CalculatorRig
{
    CalculatorRig()
    {
        std::string error;
        const int fd = Calc::OpenPseudoTerminal(&slaveName, &error);
        if (fd < 0)
            qFatal("%s", error.c_str());
        line = std::make_unique<FaultyLine>(fd);
        calculator = std::make_unique<Calc::EngineLinkCalculator>(
            [this](const std::function<bool(Calc::Engine &)> &task) {
                std::lock_guard lk(mx);
                return task(engine);
            });
        server = std::make_unique<Calc::LinkServer>(*line, *calculator);
        server->setLog([this](const std::string &text) {
            std::lock_guard lk(logMx);
            log.push_back(text);
        });
    }
    ~CalculatorRig() { server->stop(); }

    void start() { server->start(); }
    template <typename F> auto onEngine(F f)
    {
        std::lock_guard lk(mx);
        return f(engine);
    }
    std::vector<std::string> logLines()
    {
        std::lock_guard lk(logMx);
        return log;
    }

    std::string slaveName;
    std::unique_ptr<FaultyLine> line;
    std::mutex mx;
    Calc::Engine engine{Calc::Model::HP50G};
    std::unique_ptr<Calc::EngineLinkCalculator> calculator;
    std::unique_ptr<Calc::LinkServer> server;
    std::mutex logMx;
    std::vector<std::string> log;
};

// Short pauses so that faults cost little time; restored afterwards.
struct QuickTimings
{
    QuickTimings()
        : saved(XModem::Timings())
    {
        XModem::Timings() = XModem::Timing{1500, 50, 100};
    }
    ~QuickTimings() { XModem::Timings() = saved; }
    XModem::Timing saved;
};
