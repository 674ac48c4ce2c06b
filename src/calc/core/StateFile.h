#pragma once

#include "calc/core/Object.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// State files (.e48, .e49) and port files (.bin) of this calculator: our own
// format, not the real calculators' memory images.
//
// Use:
//     MachineState s;  engine.captureState(s);  s.menu = ...;
//     std::string bytes = Calc::saveState(s);          // write to the file
//     StateLoad r = Calc::loadState(bytes);            // read it back
//     if (!r.ok()) show(r.error); else engine.restoreState(r.state);
//
// File layout (all integers little-endian):
//     0   12 bytes  "QVCALCSTATE\x1A" (state file) or "QVCALCPORT\x1A\x1A" (port file)
//     12  u16       format version (StateVersion)
//     14  u8        model letter: G (HP 48 series), X, 2, P or Q (49 family)
//     15  sections, each: 4-byte tag, u32 payload length, payload
//     last section "END ": u32 CRC-32 (IEEE) of every byte before its tag
// Objects inside sections are the calculators' binary objects (BinaryObject.h)
// as u32 nibble count + the nibbles packed two per byte, low nibble first.
// State file sections:
//     CMDS  u32 n, then n names (u8 length, calculator bytes): the command of
//           each XLIB number of our private library, so that a file written by
//           another build of the command table still reads the same commands
//     FLAG  4 x u64: system flags 1-64, 65-128, user flags 1-64, 65-128 (the
//           word size, angle, number base and display modes live here)
//     STAK  u32 n, then n objects, the deepest level first
//     HOME  one object: the HOME directory with all its subdirectories
//     PATH  u32 n, then n names (u8 length, bytes): the current directory
//     LARG  u32 n, then n objects: LASTARG
//     ERRS  u32 error number, u32 length + bytes of the error message
//     SEED  u64 random seed
//     MENU  one object (the menu number as a real) and one object (the
//           TMENU list, or an empty list)
// Port file sections: CMDS as above; PORT: u8 port number, u32 size in KB,
// u32 n, then n entries (u8 length + name bytes, object).
// Sections with other tags (the machine's own: display, command line ...)
// are kept as bytes and written back unchanged; the reader never needs them.
// Anything damaged, cut short, of another kind or from a newer version is
// refused with a message and never half-loaded.
namespace Calc {

constexpr uint16_t StateVersion = 2;

struct MachineState
{
    char modelLetter = 'Q';
    std::vector<Value> stack; // the deepest level first
    Value home;               // a directory
    std::vector<std::string> path;
    uint64_t systemFlags[2] = {0, 0};
    uint64_t userFlags[2] = {0, 0};
    std::vector<Value> lastArgs;
    uint32_t errorNumber = 0;
    std::string errorMessage;
    uint64_t randomSeed = 0;
    Real menu;        // the menu shown (0: none)
    Value customMenu; // the TMENU list; Null when none
    // The machine's own sections, by 4-character tag.
    std::map<std::string, std::string> extra;
};

struct StateLoad
{
    MachineState state;
    std::string error; // empty when state holds the file's machine
    bool ok() const { return error.empty(); }
};

std::string saveState(const MachineState &state);
StateLoad loadState(std::string_view bytes);

// A RAM card in a port: named objects, as :1: and :2: hold them.
struct PortState
{
    char modelLetter = 'G';
    int port = 1;
    uint32_t sizeKB = 128;
    std::vector<std::pair<std::string, Value>> entries;
};

struct PortLoad
{
    PortState port;
    std::string error;
    bool ok() const { return error.empty(); }
};

std::string savePort(const PortState &port);
PortLoad loadPort(std::string_view bytes);

// True for G, X, 2, P and Q.
bool isModelLetter(char c);

} // namespace Calc
