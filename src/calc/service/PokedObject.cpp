#include "calc/service/PokedObject.h"

#include "calc/core/BinaryObject.h"
#include "calc/core/Engine.h"
#include "calc/core/Errors.h"
#include "formats/Transfer.h"

namespace Calc {

PokedFile CheckStackPoke(const ServiceRequest &poke)
{
    PokedFile f;
    if (poke.topic != "Stack")
        f.reason = "the topic is not \"Stack\"";
    else if (poke.item != "1")
        f.reason = "the item is not \"1\"";
    else if (poke.format != "CF_HPOBJ")
        f.reason = "the format is not \"CF_HPOBJ\"";
    else if (poke.data.size() < 4)
        f.reason = "the block is shorter than its size field";
    if (!f.ok())
        return f;
    const auto byte = [&](size_t i) { return uint32_t(static_cast<unsigned char>(poke.data[i])); };
    const uint32_t n = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    if (n != poke.data.size() - 4) {
        f.reason = n > poke.data.size() - 4 ? "the block is shorter than its size field says"
                                            : "the block is longer than its size field says";
        return f;
    }
    f.bytes = poke.data.substr(4);
    return f;
}

ReceivedObject ReceivedBinaryObject(std::string_view file)
{
    ReceivedObject r;
    // Every object file starts so; one that only looks like it is damaged,
    // not text.
    if (file.substr(0, 4) != "HPHP")
        return r;
    const DecodedObject d = readObjectFile(file);
    if (!d.ok())
        r.error = d.error;
    else
        r.value = d.value;
    return r;
}

ReceivedObject ReceivedTextObject(std::string_view file, const Engine &engine)
{
    ReceivedObject r;
    try {
        const Value program = engine.compileReceived(file);
        const std::vector<Value> &items = program.items();
        if (items.size() == 1)
            r.value = items.front();
        else
            r.error =
                items.empty() ? "the text holds no object" : "the text holds more than one object";
    } catch (const CalcError &e) {
        r.error = e.message;
    }
    return r;
}

} // namespace Calc
