// kobrix: hands one object file to a calculator that is already running and
// brings its window to the front.
//
//   kobrix [/Servicename] filename
//
// The file (normally a binary object file) is poked to the service's "Stack"
// topic; the calculator puts the object on level 1. One line is printed; the
// exit code is 0 after every transfer attempt, 1 for wrong arguments or a file
// that cannot be read, 2 for a file too large or a block that cannot be had.
#include "DdeClient.h"
#include "Kobrix.h"

#include <cstdio>

namespace {

int say(int code, const char *format, const char *arg = "")
{
    std::printf(format, arg);
    std::fflush(stdout);
    return code;
}

} // namespace

int main(int argc, char **argv)
{
    const Kobrix::Arguments args = Kobrix::ParseArguments(argc, argv);
    if (!args.ok)
        return say(1, "Syntax: Kobrix [/Servicename] filename\n");

    Kobrix::Block block;
    size_t blockSize = 0;
    const char *file = args.fileName.c_str();
    switch (Kobrix::ReadBlock(args.fileName, block, blockSize)) {
    case Kobrix::ReadResult::Ok:
        break;
    case Kobrix::ReadResult::NotFound:
        return say(1, "Error: File %s not found!\n", file);
    case Kobrix::ReadResult::ReadFailed:
        return say(1, "Error: File %s cannot be read!\n", file);
    case Kobrix::ReadResult::TooLarge:
        return say(2, "Error: File %s too large!\n", file);
    case Kobrix::ReadResult::NoMemory:
        return say(2, "Error: Allocation problem!\n");
    }

    bool windowFound = false;
    uint32_t window = 0;
    const bool ok = Kobrix::DdeExchange(
        args.service, args.windowClass, block.get(), blockSize, &windowFound, &window);
    say(0, "Transfer: %s\n", ok ? "OK" : "failed");
    block.reset();
    if (ok && windowFound)
        Kobrix::ShowPartnerWindow(args.service, window);
    return 0;
}
