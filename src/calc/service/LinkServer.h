#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

// The calculator's XModem server, seen from the calculator: what a 49g+ or
// 50g does after right shift, right arrow. It waits for one-byte commands on
// a serial line and answers them:
//
//   V  a reply packet with the version text
//   E  a command packet with UserRPL text, which it runs
//   G  a command packet with a variable name; then it sends the variable as
//      a binary object file in XModem blocks (1K while 1K remains, then 128)
//   P  a command packet with a variable name; then it receives a file in
//      XModem blocks and stores it under that name
//   Q  the server ends; this one starts again at once, as a user would
//
// Packets: length (2 bytes, high first), the bytes, their sum modulo 256;
// the receiver answers ACK or NAK. The editor's side of the protocol lives in
// src/link and shares no code with this one.
namespace Calc {

class Engine;

// The line the server talks over: a pseudo-terminal's master side or a
// serial device, as a file descriptor.
class ServerLine
{
public:
    virtual ~ServerLine() = default;
    // Up to size bytes, waiting at most timeoutMs for all of them; the count
    // received (0 on a time-out), -1 once the line has failed.
    virtual int read(char *buffer, int size, int timeoutMs) = 0;
    virtual bool write(const std::string &bytes) = 0;
    // Drops whatever has arrived and not been read.
    virtual void discard() = 0;
};

class FdLine : public ServerLine
{
public:
    // Takes ownership of fd.
    explicit FdLine(int fd);
    ~FdLine() override;
    int read(char *buffer, int size, int timeoutMs) override;
    bool write(const std::string &bytes) override;
    void discard() override;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// A pseudo-terminal pair for a calculator without a cable: the master side
// for the server, the name of the other side for the editor. -1 with a
// reason on failure.
int OpenPseudoTerminal(std::string *slaveName, std::string *error);
// A serial device in raw mode (8N1, no flow control) at speed.
int OpenSerialDevice(const std::string &path, int speed, std::string *error);

// What the server asks of the calculator.
class LinkCalculator
{
public:
    virtual ~LinkCalculator() = default;
    virtual std::string version() = 0;
    // Runs text as the command line would; false with the calculator's error.
    virtual bool execute(const std::string &text, std::string *error) = 0;
    // The variable as a binary object file.
    virtual bool recall(const std::string &name, std::string *file, std::string *error) = 0;
    // Stores a received file (an object file; other bytes become a string).
    virtual bool store(const std::string &name, const std::string &file, std::string *error) = 0;
};

// A LinkCalculator over one engine, reached through run (the machine's
// runWhenIdle, or a direct call in tests); run returns the task's result.
class EngineLinkCalculator : public LinkCalculator
{
public:
    using Runner = std::function<bool(const std::function<bool(Engine &)> &)>;
    explicit EngineLinkCalculator(Runner run);
    std::string version() override;
    bool execute(const std::string &text, std::string *error) override;
    bool recall(const std::string &name, std::string *file, std::string *error) override;
    bool store(const std::string &name, const std::string &file, std::string *error) override;

private:
    Runner m_run;
};

class LinkServer
{
public:
    LinkServer(ServerLine &line, LinkCalculator &calculator);
    ~LinkServer();

    // The byte that asks the editor for blocks: NAK (sum), 'C' (CRC-16/ARC)
    // or 'D' (the calculators' CRC-16/KERMIT). 'D' unless set.
    void setCheckRequest(char byte) { m_ask = byte; }
    // Told of every command served and every failure, on the server's thread.
    void setLog(std::function<void(const std::string &)> log) { m_log = std::move(log); }

    // Serves on a thread of its own until stop(), or until the line fails.
    void start();
    void stop();
    bool running() const { return m_thread.joinable() && !m_done.load(); }
    // Serves one command if one arrives within timeoutMs (tests and the
    // thread's loop); false once the line has failed.
    bool serveOne(int timeoutMs);

    // Counts for tests and the benchmark.
    struct Counters
    {
        int commands = 0;
        int blocksSent = 0;
        int blocksReceived = 0;
        int smallBlocks = 0; // of those sent or received, the 128-byte ones
        int refusedBlocks = 0;
        int duplicateBlocks = 0;
        std::string lastReceivedFile; // as received, padding included
    };
    Counters counters() const;

private:
    void log(const std::string &text);
    int readByte(int timeoutMs);
    bool readPacket(std::string *text);
    bool sendReply(const std::string &text);
    void sendFile(const std::string &file);
    bool receiveFile(std::string *file);

    ServerLine &m_line;
    LinkCalculator &m_calc;
    char m_ask = 'D';
    std::function<void(const std::string &)> m_log;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    bool m_failed = false;
    mutable std::mutex m_mx;
    Counters m_counters;
};

} // namespace Calc
