#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The client's side of the local-socket conversation that stands in for DDE.
//
// The server of service S listens on the Unix socket S in a folder that only
// its user can enter: "$XDG_RUNTIME_DIR/dde" (or "/tmp/dde-<uid>" when that
// variable names no private folder of the user's). A folder that exists with
// another owner or with more than owner permissions is never used; the next
// name ("dde-1", "dde-2" ... or "/tmp/dde-<uid>-1" ...) takes its place, and
// the server on the other end is accepted only when it runs as this user.
//
// A request is a 4-byte tag and length-prefixed fields (u32 little-endian
// length, then the bytes):
//   "POKE" topic, item, format name, data  -> 1 byte: 1 accepted, 0 refused
//   "CONV" (no fields)                     -> u32 count, then per window a
//                                             u32 id and its class name (a
//                                             length-prefixed field)
//   "SHOW" one 4-byte field: u32 window id -> 1 byte (1: shown and raised)
// Every transaction gives up after 5000 ms.
namespace Kobrix {

inline constexpr int TransactionTimeoutMs = 5000;

struct PartnerWindow
{
    uint32_t id = 0;
    std::string className;
};

// The socket path of a running server of service, or empty when none runs.
std::string ServiceSocketPath(const std::string &service);

// Pokes block (the N + 4 bytes) to item "1" of topic "Stack" in format
// "CF_HPOBJ". On success asks for the partner's windows and looks for one of
// windowClass; *windowFound tells whether one was found, *window its id.
bool DdeExchange(const std::string &service,
                 const std::string &windowClass,
                 const uint8_t *block,
                 size_t blockSize,
                 bool *windowFound,
                 uint32_t *window);

// The window search: the first window whose class name, read as the
// calculators' home system reads it into 8 bytes (at most 7 characters),
// equals windowClass exactly. A sought class of 8 or more characters
// therefore never matches.
bool FindWindow(const std::vector<PartnerWindow> &windows,
                const std::string &windowClass,
                uint32_t *window);

// Shows the partner's window in its normal state and raises it.
bool ShowPartnerWindow(const std::string &service, uint32_t window);

} // namespace Kobrix
