#pragma once

// The entry points that the fuzz targets (fuzz_*.cpp, built with
// -DQV_FUZZ=ON and clang) and the corpus replay test (tst_fuzzcorpus) share:
// each takes any bytes and must neither crash nor hang.
#include "calc/core/BinaryObject.h"
#include "calc/core/Compiler.h"
#include "calc/core/Decompiler.h"
#include "calc/core/Engine.h"
#include "calc/core/Errors.h"
#include "calc/core/StateFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace QvFuzz {

// Whatever decoded must encode again to an object that decodes the same.
inline void roundTrip(const Calc::Value &v)
{
    const std::string nib = Calc::encodeObject(v);
    const Calc::DecodedObject again = Calc::decodeObject(nib);
    if (!again.ok() || again.length != nib.size() || Calc::encodeObject(again.value) != nib)
        __builtin_trap();
    (void)Calc::decompile(v, Calc::TextStyle{});
}

inline int compiler(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    for (bool is49 : {false, true}) {
        Calc::CompileOptions opt;
        opt.is49 = is49;
        try {
            const Calc::Value v = Calc::compileText(text, opt);
            roundTrip(v);
        } catch (const Calc::CalcError &) {
        }
    }
    return 0;
}

inline int objectFile(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const Calc::DecodedObject d = Calc::readObjectFile(bytes);
    if (d.ok()) {
        try {
            roundTrip(d.value);
        } catch (const Calc::CalcError &) {
            // some decoded objects (a directory name too long ...) cannot be
            // written back; that is a refusal, not a fault
        }
    }
    return 0;
}

inline int stateFile(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const Calc::StateLoad s = Calc::loadState(bytes);
    if (s.ok()) {
        Calc::Engine e;
        e.restoreState(s.state);
        Calc::MachineState again;
        e.captureState(again);
        (void)Calc::saveState(again);
    }
    const Calc::PortLoad p = Calc::loadPort(bytes);
    if (p.ok())
        (void)Calc::savePort(p.port);
    return 0;
}

} // namespace QvFuzz
