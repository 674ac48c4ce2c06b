#include "DdeClient.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace Kobrix {

namespace {

using Clock = std::chrono::steady_clock;

class Deadline
{
public:
    explicit Deadline(int ms)
        : m_end(Clock::now() + std::chrono::milliseconds(ms))
    {
    }
    int remainingMs() const
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_end - Clock::now());
        return left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }

private:
    Clock::time_point m_end;
};

// A folder of this user's that nobody else may enter (and not a link).
bool privateFolder(const std::string &path)
{
    struct stat st
    {
    };
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// The socket folders in the order a server tries them.
std::vector<std::string> folderCandidates()
{
    std::string base;
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st
    {
    };
    // A runtime folder of another user (left in the environment by su, for
    // example) or one that others may write to is not used.
    if (runtime && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == ::geteuid() && (st.st_mode & 022) == 0) {
        base = runtime;
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        base += "/dde";
    } else {
        base = "/tmp/dde-" + std::to_string(::geteuid());
    }
    std::vector<std::string> names{base};
    for (int i = 1; i < 16; ++i)
        names.push_back(base + "-" + std::to_string(i));
    return names;
}

void putU32(std::string &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(v >> (8 * i)));
}

void putField(std::string &out, const std::string &field)
{
    putU32(out, static_cast<uint32_t>(field.size()));
    out += field;
}

uint32_t getU32(const uint8_t *b)
{
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// One conversation: a connected socket with bounded sends and receives.
class Connection
{
public:
    ~Connection()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool open(const std::string &path, const Deadline &deadline)
    {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        if (path.empty() || path.size() >= sizeof(addr.sun_path))
            return false;
        std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_fd < 0)
            return false;
        for (;;) {
            if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&addr), sizeof addr) == 0)
                break;
            if (errno == EINTR)
                continue;
            // a full backlog: the server is alive but slow; try again
            if (errno != EAGAIN || deadline.remainingMs() == 0)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // The folder is private already; this also turns away a server that
        // another user (root) put there.
        ucred peer{};
        socklen_t len = sizeof peer;
        return ::getsockopt(m_fd, SOL_SOCKET, SO_PEERCRED, &peer, &len) == 0 &&
               peer.uid == ::geteuid();
    }

    bool send(const void *data, size_t size, const Deadline &deadline)
    {
        auto *p = static_cast<const uint8_t *>(data);
        while (size > 0) {
            const ssize_t sent = ::send(m_fd, p, size, MSG_NOSIGNAL);
            if (sent > 0) {
                p += sent;
                size -= static_cast<size_t>(sent);
            } else if (sent < 0 && errno == EINTR) {
                continue;
            } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!wait(POLLOUT, deadline))
                    return false;
            } else {
                return false;
            }
        }
        return true;
    }

    bool receive(void *data, size_t size, const Deadline &deadline)
    {
        auto *p = static_cast<uint8_t *>(data);
        while (size > 0) {
            const ssize_t got = ::recv(m_fd, p, size, 0);
            if (got > 0) {
                p += got;
                size -= static_cast<size_t>(got);
            } else if (got < 0 && errno == EINTR) {
                continue;
            } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (!wait(POLLIN, deadline))
                    return false;
            } else {
                return false; // closed by the server, or broken
            }
        }
        return true;
    }

private:
    bool wait(short events, const Deadline &deadline)
    {
        for (;;) {
            const int ms = deadline.remainingMs();
            if (ms == 0)
                return false;
            pollfd p{m_fd, events, 0};
            const int n = ::poll(&p, 1, ms);
            if (n > 0)
                return true; // readiness, a hang-up or an error: the next call tells
            if (n < 0 && errno != EINTR)
                return false;
        }
    }

    int m_fd = -1;
};

// The windows of the partner, or false when it does not answer in time.
bool queryWindows(Connection &c, std::vector<PartnerWindow> &windows)
{
    const Deadline deadline(TransactionTimeoutMs);
    if (!c.send("CONV", 4, deadline))
        return false;
    uint8_t word[4];
    if (!c.receive(word, 4, deadline))
        return false;
    const uint32_t count = getU32(word);
    // Bounds that no real desktop reaches keep a broken server from making
    // this program allocate without end.
    if (count > 65536)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        PartnerWindow w;
        if (!c.receive(word, 4, deadline))
            return false;
        w.id = getU32(word);
        if (!c.receive(word, 4, deadline))
            return false;
        const uint32_t length = getU32(word);
        if (length > 4096)
            return false;
        w.className.resize(length);
        if (length > 0 && !c.receive(w.className.data(), length, deadline))
            return false;
        windows.push_back(std::move(w));
    }
    return true;
}

} // namespace

std::string ServiceSocketPath(const std::string &service)
{
    for (const std::string &folder : folderCandidates()) {
        if (!privateFolder(folder))
            continue;
        const std::string path = folder + "/" + service;
        struct stat st
        {
        };
        if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            return path;
    }
    return {};
}

bool FindWindow(const std::vector<PartnerWindow> &windows,
                const std::string &windowClass,
                uint32_t *window)
{
    for (const PartnerWindow &w : windows) {
        std::string name = w.className.substr(0, w.className.find('\0'));
        if (name.size() > 7)
            name.resize(7);
        if (name == windowClass) {
            *window = w.id;
            return true;
        }
    }
    return false;
}

bool DdeExchange(const std::string &service,
                 const std::string &windowClass,
                 const uint8_t *block,
                 size_t blockSize,
                 bool *windowFound,
                 uint32_t *window)
{
    *windowFound = false;
    // the data field's length is 32 bits: a block that does not fit cannot
    // be carried (no calculator would take it anyway)
    if (blockSize > UINT32_MAX)
        return false;
    Connection c;
    if (!c.open(ServiceSocketPath(service), Deadline(TransactionTimeoutMs)))
        return false;
    std::string head = "POKE";
    putField(head, "Stack");
    putField(head, "1");
    putField(head, "CF_HPOBJ");
    putU32(head, static_cast<uint32_t>(blockSize));
    const Deadline poke(TransactionTimeoutMs);
    uint8_t reply = 0;
    if (!c.send(head.data(), head.size(), poke) || !c.send(block, blockSize, poke) ||
        !c.receive(&reply, 1, poke) || reply != 1)
        return false;
    std::vector<PartnerWindow> windows;
    if (queryWindows(c, windows))
        *windowFound = FindWindow(windows, windowClass, window);
    return true;
}

bool ShowPartnerWindow(const std::string &service, uint32_t window)
{
    Connection c;
    const Deadline deadline(TransactionTimeoutMs);
    if (!c.open(ServiceSocketPath(service), deadline))
        return false;
    std::string request = "SHOW";
    putU32(request, 4);
    putU32(request, window);
    uint8_t reply = 0;
    return c.send(request.data(), request.size(), deadline) && c.receive(&reply, 1, deadline) &&
           reply == 1;
}

} // namespace Kobrix
