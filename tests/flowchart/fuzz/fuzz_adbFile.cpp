// libFuzzer target: see FlowFuzzEntries.h.
#include "FlowFuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FlowFuzz::adbFile(data, size);
}
