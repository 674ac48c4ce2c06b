// libFuzzer target: see GrobFuzzEntries.h.
#include "GrobFuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return GrobFuzz::grbFile(data, size);
}
