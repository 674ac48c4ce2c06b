#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

// The entry's pieces: the command line and the block that carries the file.
namespace Kobrix {

// The service a calculator serves unless told otherwise.
inline constexpr const char *DefaultService = "Emu48";

struct Arguments
{
    bool ok = false;
    std::string service;     // "Emu48", or the name after "/"
    std::string windowClass; // "C" followed by the service name
    std::string fileName;
};

// kobrix [/Servicename] filename. One argument is the file; two arguments
// whose first begins with "/" are the service (at most 255 characters) and
// the file. A service name that is empty or holds "/" or ".." is refused as
// wrong arguments: it becomes a file name in the socket folder and must
// never reach outside it.
Arguments ParseArguments(int argc, const char *const *argv);

struct FreeDeleter
{
    void operator()(uint8_t *p) const { std::free(p); }
};
using Block = std::unique_ptr<uint8_t[], FreeDeleter>;

enum class ReadResult {
    Ok,
    NotFound,  // cannot be opened, or is a folder or something else than a file
    TooLarge,  // 4 GiB or more
    NoMemory,  // the N + 4 bytes cannot be had
    ReadFailed // fewer than N bytes could be read
};

// The poke's block: N (the file's size) as 4 bytes little-endian, then the N
// bytes of the file. A read that fails halfway is reported, never sent.
ReadResult ReadBlock(const std::string &fileName, Block &block, size_t &blockSize);

// The same for a file already open with size bytes to read (tests hand it a
// pipe that ends early).
ReadResult ReadBlockFrom(int fd, uint64_t size, Block &block, size_t &blockSize);

} // namespace Kobrix
