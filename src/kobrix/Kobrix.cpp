#include "Kobrix.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Kobrix {

namespace {

bool validService(const std::string &s)
{
    return !s.empty() && s.find('/') == std::string::npos && s.find("..") == std::string::npos;
}

} // namespace

Arguments ParseArguments(int argc, const char *const *argv)
{
    Arguments a;
    if (argc == 2) {
        a.service = DefaultService;
        a.fileName = argv[1];
    } else if (argc == 3 && argv[1][0] == '/') {
        a.service = std::string(argv[1] + 1).substr(0, 255);
        a.fileName = argv[2];
    } else {
        return a;
    }
    if (!validService(a.service))
        return a;
    a.windowClass = "C" + a.service;
    a.ok = true;
    return a;
}

ReadResult ReadBlockFrom(int fd, uint64_t size, Block &block, size_t &blockSize)
{
    if (size >> 32)
        return ReadResult::TooLarge;
    const size_t n = static_cast<size_t>(size);
    Block b(static_cast<uint8_t *>(std::malloc(n + 4)));
    if (!b)
        return ReadResult::NoMemory;
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<uint8_t>(n >> (8 * i));
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::read(fd, b.get() + 4 + done, n - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return ReadResult::ReadFailed; // the file ended early or could not be read
        done += static_cast<size_t>(got);
    }
    block = std::move(b);
    blockSize = n + 4;
    return ReadResult::Ok;
}

ReadResult ReadBlock(const std::string &fileName, Block &block, size_t &blockSize)
{
    // O_NONBLOCK: a named pipe must not hold the program before the check
    // below turns it away.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return ReadResult::NotFound;
    struct stat st
    {
    };
    ReadResult r = ReadResult::NotFound;
    // Only a plain file has a size to send; a folder cannot be opened as a
    // file on the calculators' home system either.
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        r = ReadBlockFrom(fd, static_cast<uint64_t>(st.st_size), block, blockSize);
    }
    ::close(fd);
    return r;
}

} // namespace Kobrix
