// libFuzzer target: see ShellFuzzEntries.h.
#include "ShellFuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return QvShellFuzz::settingsFile(data, size);
}
