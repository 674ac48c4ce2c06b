#pragma once

#include "calc/core/Object.h"
#include "calc/service/ServiceProtocol.h"

#include <string>
#include <string_view>

// What a poke to the calculator's stack carries, and the object it becomes.
namespace Calc {

class Engine;

struct PokedFile
{
    std::string bytes;  // the file inside the block
    std::string reason; // why the poke is refused; empty when bytes hold the file
    bool ok() const { return reason.empty(); }
};

// Accepts only topic "Stack", item "1" and format "CF_HPOBJ", with a block
// whose first 4 bytes (little-endian) give exactly the size of the rest.
PokedFile CheckStackPoke(const ServiceRequest &poke);

struct ReceivedObject
{
    Value value;
    std::string error;
    bool ok() const { return error.empty(); }
};

// A binary object file ("HPHP48-" or "HPHP49-"): its object, read without the
// calculator's memory (so before waiting for it). Anything else: empty value
// and no error; it is text for ReceivedTextObject.
ReceivedObject ReceivedBinaryObject(std::string_view file);

// Text as the calculators receive it (the %%HP: header and its translation,
// leading "@" comment lines skipped), compiled as the command line compiles
// it with the calculator's modes, and never evaluated. It must hold exactly
// one object, which is the object received.
ReceivedObject ReceivedTextObject(std::string_view file, const Engine &engine);

} // namespace Calc
