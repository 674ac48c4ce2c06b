#include "calc/service/LinkServer.h"

#include "calc/core/BinaryObject.h"
#include "calc/core/Engine.h"
#include "calc/core/Errors.h"
#include "calc/service/PokedObject.h"
#include "formats/NibbleText.h"
#include "formats/XModemBlocks.h"

#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace Calc {

namespace {

using XModem::ACK;
using XModem::AskCrc;
using XModem::AskKermit;
using XModem::CAN;
using XModem::EOT;
using XModem::NAK;
using XModem::SOH;
using XModem::STX;

using Clock = std::chrono::steady_clock;

int msSince(Clock::time_point t)
{
    return int(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count());
}

// The line speaks std::string; the checks are shared with the editor's side.
QByteArray bytesOf(std::string_view data)
{
    return QByteArray::fromRawData(data.data(), qsizetype(data.size()));
}

uint8_t sumOf(std::string_view data)
{
    return XModem::Sum(bytesOf(data));
}

// The check bytes the receiver asked for with ask.
std::string checkBytes(std::string_view data, char ask)
{
    return XModem::CheckBytes(bytesOf(data), XModem::CheckAskedBy(ask)).toStdString();
}

std::string packet(const std::string &text)
{
    std::string p;
    p += char((text.size() >> 8) & 0xFF);
    p += char(text.size() & 0xFF);
    p += text;
    p += char(sumOf(text));
    return p;
}

} // namespace

// ------------------------------------------------------------------ lines

FdLine::FdLine(int fd)
    : m_fd(fd)
{
}

FdLine::~FdLine()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FdLine::read(char *buffer, int size, int timeoutMs)
{
    int got = 0;
    const auto start = Clock::now();
    while (got < size) {
        const int left = timeoutMs - msSince(start);
        if (left <= 0)
            break;
        pollfd p{m_fd, POLLIN, 0};
        const int r = ::poll(&p, 1, left);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0)
            break;
        if (p.revents & POLLIN) {
            const ssize_t n = ::read(m_fd, buffer + got, size_t(size - got));
            if (n > 0) {
                got += int(n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
        }
        // The editor's side of a pseudo-terminal is closed between sessions
        // (EIO, POLLHUP): nobody is there, which reads as silence.
        ::usleep(20000);
    }
    return got;
}

bool FdLine::write(const std::string &bytes)
{
    size_t done = 0;
    const auto start = Clock::now();
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (msSince(start) > 5000)
            return false;
        pollfd p{m_fd, POLLOUT, 0};
        ::poll(&p, 1, 100);
    }
    return true;
}

void FdLine::discard()
{
    char buf[256];
    while (read(buf, sizeof buf, 0) > 0) {
    }
    ::tcflush(m_fd, TCIFLUSH);
}

int OpenPseudoTerminal(std::string *slaveName, std::string *error)
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        if (error)
            *error = std::string("cannot make a pseudo-terminal: ") + std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    char name[256] = {};
    if (::ptsname_r(fd, name, sizeof name) != 0) {
        if (error)
            *error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    // Raw on both sides until the editor sets its own line settings: no echo,
    // no line editing, no byte changed on the way.
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    if (slaveName)
        *slaveName = name;
    return fd;
}

int OpenSerialDevice(const std::string &path, int speed, std::string *error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (error)
            *error = "cannot open " + path + ": " + std::strerror(errno);
        return -1;
    }
    // The calculator library does not link Qt's serial module; a raw 8N1 line
    // without flow control is all it needs.
    termios t{};
    if (::tcgetattr(fd, &t) == 0) {
        ::cfmakeraw(&t);
        t.c_cflag &= ~tcflag_t(CRTSCTS | CSTOPB | PARENB);
        t.c_cflag |= CLOCAL | CREAD | CS8;
        speed_t s = B115200;
        switch (speed) {
        case 2400: s = B2400; break;
        case 4800: s = B4800; break;
        case 9600: s = B9600; break;
        case 19200: s = B19200; break;
        case 38400: s = B38400; break;
        case 57600: s = B57600; break;
        default: break;
        }
        ::cfsetispeed(&t, s);
        ::cfsetospeed(&t, s);
        ::tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

// ----------------------------------------------------------- the calculator

EngineLinkCalculator::EngineLinkCalculator(Runner run)
    : m_run(std::move(run))
{
}

std::string EngineLinkCalculator::version()
{
    std::string text;
    m_run([&](Engine &e) {
        text = e.is49() ? "Version HP50-Q Quorvane calculator" : "Version HP48-Q Quorvane calculator";
        return true;
    });
    return text;
}

bool EngineLinkCalculator::execute(const std::string &text, std::string *error)
{
    std::string why;
    const bool ok = m_run([&](Engine &e) {
        if (e.enter(text) == Engine::Status::Error) {
            why = e.lastError().message;
            return false;
        }
        return true;
    });
    if (!ok && error)
        *error = why.empty() ? "the calculator stayed busy" : why;
    return ok;
}

bool EngineLinkCalculator::recall(const std::string &name, std::string *file, std::string *error)
{
    std::string why;
    const bool ok = m_run([&](Engine &e) {
        try {
            const Value v = e.recall(Value::global(name));
            *file = writeObjectFile(v, !e.is49());
            return true;
        } catch (const CalcError &err) {
            why = err.message;
            return false;
        }
    });
    if (!ok && error)
        *error = why.empty() ? "the calculator stayed busy" : why;
    return ok;
}

bool EngineLinkCalculator::store(const std::string &name, const std::string &file, std::string *error)
{
    ReceivedObject binary = ReceivedBinaryObject(file);
    if (!binary.ok()) {
        if (error)
            *error = binary.error;
        return false;
    }
    Value value = binary.value;
    if (value.isNull()) {
        // text: the padding of the last block is not part of it
        std::string text = file;
        while (!text.empty() && (text.back() == '\0' || text.back() == 0x1A))
            text.pop_back();
        value = Value::string(text);
    }
    std::string why;
    const bool ok = m_run([&](Engine &e) {
        try {
            e.store(Value::global(name), value);
            return true;
        } catch (const CalcError &err) {
            why = err.message;
            return false;
        }
    });
    if (!ok && error)
        *error = why.empty() ? "the calculator stayed busy" : why;
    return ok;
}

// ---------------------------------------------------------------- server

LinkServer::LinkServer(ServerLine &line, LinkCalculator &calculator)
    : m_line(line), m_calc(calculator)
{
}

LinkServer::~LinkServer()
{
    stop();
}

void LinkServer::start()
{
    if (m_thread.joinable())
        return;
    m_stop = false;
    m_done = false;
    m_thread = std::thread([this] {
        while (!m_stop.load() && serveOne(200)) {
        }
        m_done = true;
    });
}

void LinkServer::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

LinkServer::Counters LinkServer::counters() const
{
    std::lock_guard lk(m_mx);
    return m_counters;
}

void LinkServer::log(const std::string &text)
{
    if (m_log)
        m_log(text);
}

int LinkServer::readByte(int timeoutMs)
{
    char c = 0;
    const int n = m_line.read(&c, 1, timeoutMs);
    if (n < 0) {
        m_failed = true;
        return -1;
    }
    return n == 1 ? uint8_t(c) : -1;
}

bool LinkServer::serveOne(int timeoutMs)
{
    const int command = readByte(timeoutMs);
    if (m_failed)
        return false;
    if (command < 0)
        return true;
    {
        std::lock_guard lk(m_mx);
        ++m_counters.commands;
    }
    std::string text;
    switch (command) {
    case 'V':
        if (!sendReply(m_calc.version()))
            log("V: the version was not acknowledged");
        else
            log("V: version sent");
        break;
    case 'E':
        if (readPacket(&text)) {
            std::string error;
            if (m_calc.execute(text, &error))
                log("E: ran " + text);
            else
                log("E: " + text + ": " + error);
        }
        break;
    case 'G':
        if (readPacket(&text)) {
            std::string file, error;
            if (m_calc.recall(text, &file, &error)) {
                sendFile(file);
                log("G: sent " + text);
            } else {
                m_line.write(std::string(3, CAN));
                log("G: " + text + ": " + error);
            }
        }
        break;
    case 'P':
        if (readPacket(&text)) {
            std::string file;
            if (receiveFile(&file)) {
                std::string error;
                if (m_calc.store(text, file, &error))
                    log("P: stored " + text);
                else
                    log("P: " + text + ": " + error);
            } else {
                log("P: the transfer of " + text + " failed");
            }
        }
        break;
    case 'Q':
        log("Q: server ended; serving again");
        break;
    default:
        break; // noise on the line between commands
    }
    return !m_failed;
}

bool LinkServer::readPacket(std::string *text)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        char head[2];
        if (m_line.read(head, 2, 1000) == 2) {
            const int length = (uint8_t(head[0]) << 8) | uint8_t(head[1]);
            std::string body(size_t(length) + 1, '\0');
            if (m_line.read(body.data(), length + 1, 1000 + length) == length + 1
                && uint8_t(body.back()) == sumOf(std::string_view(body).substr(0, size_t(length)))) {
                body.pop_back();
                *text = body;
                m_line.write(std::string(1, ACK));
                return true;
            }
        }
        char junk[64];
        while (m_line.read(junk, sizeof junk, 100) > 0) {
        }
        m_line.write(std::string(1, NAK));
    }
    log("a command packet could not be read");
    return false;
}

bool LinkServer::sendReply(const std::string &text)
{
    const std::string p = packet(text);
    for (int attempt = 0; attempt < 5 && !m_stop.load(); ++attempt) {
        m_line.write(p);
        const int answer = readByte(1000);
        if (answer == ACK)
            return true;
        if (m_failed)
            return false;
    }
    return false;
}

void LinkServer::sendFile(const std::string &file)
{
    int ask = -1;
    for (auto start = Clock::now(); msSince(start) < 10000 && !m_stop.load();) {
        ask = readByte(500);
        if (ask == NAK || ask == AskCrc || ask == AskKermit || ask == CAN || m_failed)
            break;
    }
    if (ask != NAK && ask != AskCrc && ask != AskKermit) {
        log("G: the editor did not ask for blocks");
        return;
    }
    size_t sent = 0;
    int number = 0;
    while (sent < file.size()) {
        const size_t size = file.size() - sent >= 1024 ? 1024 : 128;
        std::string data = file.substr(sent, size);
        data.resize(size, '\0');
        ++number;
        std::string block;
        block += size == 1024 ? STX : SOH;
        block += char(number & 0xFF);
        block += char(255 - (number & 0xFF));
        block += data;
        block += checkBytes(data, char(ask));
        bool accepted = false;
        for (int attempt = 0; attempt < 10 && !accepted; ++attempt) {
            if (m_stop.load() || !m_line.write(block))
                return;
            const int answer = readByte(3000);
            if (answer == ACK)
                accepted = true;
            else if (answer == CAN || m_failed)
                return;
        }
        if (!accepted) {
            m_line.write(std::string(3, CAN));
            return;
        }
        {
            std::lock_guard lk(m_mx);
            ++m_counters.blocksSent;
            if (size == 128)
                ++m_counters.smallBlocks;
        }
        sent += size;
    }
    for (int attempt = 0; attempt < 10 && !m_stop.load(); ++attempt) {
        m_line.write(std::string(1, EOT));
        if (readByte(2000) == ACK)
            return;
        if (m_failed)
            return;
    }
}

bool LinkServer::receiveFile(std::string *file)
{
    file->clear();
    const char ask = m_ask;
    const size_t checkSize = ask == NAK ? 1 : 2;
    int expected = 1;
    int failures = 0;
    m_line.write(std::string(1, ask));
    for (;;) {
        if (m_stop.load())
            return false;
        const int b = readByte(3000);
        if (m_failed)
            return false;
        if (b == EOT) {
            {
                std::lock_guard lk(m_mx);
                m_counters.lastReceivedFile = *file;
            }
            m_line.write(std::string(1, ACK));
            return true;
        }
        if (b == CAN)
            return false;
        if (b == SOH || b == STX) {
            const size_t size = b == SOH ? 128 : 1024;
            std::string body(size + 2 + checkSize, '\0');
            const int got = m_line.read(body.data(), int(body.size()), 2000);
            const auto at = [&](size_t i) { return uint8_t(body[i]); };
            const std::string_view data = std::string_view(body).substr(2, size);
            const bool whole = got == int(body.size()) && at(1) == 255 - at(0)
                               && body.substr(2 + size) == checkBytes(data, ask);
            if (whole && at(0) == (expected & 0xFF)) {
                file->append(data);
                ++expected;
                failures = 0;
                {
                    std::lock_guard lk(m_mx);
                    ++m_counters.blocksReceived;
                    if (size == 128)
                        ++m_counters.smallBlocks;
                }
                m_line.write(std::string(1, ACK));
                continue;
            }
            if (whole && at(0) == ((expected - 1) & 0xFF)) {
                {
                    std::lock_guard lk(m_mx);
                    ++m_counters.duplicateBlocks;
                }
                m_line.write(std::string(1, ACK));
                continue;
            }
            std::lock_guard lk(m_mx);
            ++m_counters.refusedBlocks;
        }
        if (++failures > 10) {
            m_line.write(std::string(3, CAN));
            return false;
        }
        char junk[256];
        while (m_line.read(junk, sizeof junk, 100) > 0) {
        }
        // before the first block the request is asked again
        m_line.write(std::string(1, expected == 1 && b < 0 ? ask : NAK));
    }
}

} // namespace Calc
