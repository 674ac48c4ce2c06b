#pragma once

#include "calc/core/Object.h"
#include "formats/Prologs.h"

#include <string>
#include <string_view>
#include <vector>

// Objects in the calculators' own binary form, as nibble text (one upper-case
// hexadecimal digit per nibble, in memory order; formats/NibbleText packs it
// into bytes). Every object starts with its prolog, the 5-nibble address of
// its type, written least significant nibble first, as are all size fields:
//
//   real      02933  exponent (3 BCD digits, 1000's complement when negative),
//                    mantissa (12 BCD digits), sign (0, or 9 when negative)
//   complex   02977  real part and imaginary part, each as a real's body
//   character 029BF  2 nibbles
//   array     029E8  size, element prolog, dimension count, dimensions,
//                    element bodies row by row (size counts from itself)
//   string    02A2C  size (5 + 2 per character), characters
//   binary    02A4E  size (5 + 16), 16 nibbles, least significant first
//   list      02A74  objects, then 0312B (the end marker)
//   directory 02A96  3 nibbles attached libraries (7FF: none), 5 nibbles
//                    offset from that field to the newest entry's name; each
//                    entry: 5 nibbles back to the previous entry's name (0 for
//                    the oldest), name length (2), name, name length again,
//                    object. Oldest entry first, so VARS order is reversed.
//   algebraic 02AB8  objects in evaluation order, 0312B
//   tagged    02AFC  tag length (2), tag, object
//   picture   02B1E  size, height, width, rows (as formats/ObjectFile's TGrob)
//   program   02D9D  objects, 0312B
//   global    02E48  length (2), characters
//   local     02E6D  length (2), characters
//   XLIB      02E92  library number (3), command number (3)
//
// Built-in commands have no public address table that this calculator could
// use, so they are written as XLIB names of one private library, PrivateLibrary,
// whose command number is the command's id in our command table (CommandTable).
// Our own files therefore always read back here; a real calculator reports an
// undefined XLIB for them. Inside our objects a few private conventions keep
// what the calculators keep in ROM code:
//   - the local-variable arrow is followed by a system binary (02911, 5
//     nibbles) with the count of the local names after it;
//   - a user function call 'F(X,Y)' in an algebraic is a system binary with
//     the argument count just before the name;
//   - a quoted name inside a program or a list ('X') is an algebraic holding
//     only that name, as the calculators compile it.
//
// The editor's command-line wrapper holds two ROM addresses that are
// understood exactly (formats/Prologs.h): the compile pointer and the run
// pointer of either model. They read as the commands →ENTER (runs a string as
// a command line, as ENTER does) and, when the run pointer follows,
// →ENTER→EVAL (the same, then EVAL of level 1 when the command line left at
// least one new object). Any other address is refused with a clear message.
namespace Calc {

constexpr uint32_t PrivateLibrary = 0x6C1;

struct EncodeOptions
{
    // The wrapper's addresses are the 48 series' (else the 49 family's).
    bool hp48Series = false;
};

// The object's nibble text. Throws CalcError (Bad Argument Type) for an object
// that has no binary form (an evaluator continuation).
std::string encodeObject(const Value &v, const EncodeOptions &opt = {});

struct DecodeOptions
{
    // XLIB command numbers of our library to command ids, when the numbers
    // were written by a build whose command table differed (state files keep
    // such a table); empty: the numbers are ids.
    const std::vector<int> *commandIds = nullptr;
};

struct DecodedObject
{
    Value value;
    size_t length = 0;  // nibbles the object took
    std::string error;  // empty when value holds the object
    size_t errorAt = 0; // nibble offset of the fault
    bool ok() const { return error.empty(); }
};

// Reads the object at the start of nibbles (nibble text). Never throws: a
// damaged or unknown object gives error, in words a user can act on.
DecodedObject decodeObject(std::string_view nibbles, const DecodeOptions &opt = {});

// A binary object file: "HPHP48-" or "HPHP49-", a letter, the packed nibbles.
std::string writeObjectFile(const Value &v, bool hp48Series, char letter = 'W');
// The object of an object file's bytes (anything after the object is
// ignored, as the calculators do); error names what is wrong.
DecodedObject readObjectFile(std::string_view bytes);

// The command ids behind the wrapper's two pointers (→ENTER, →ENTER→EVAL).
int enterLineCommand();
int enterLineEvalCommand();

} // namespace Calc
