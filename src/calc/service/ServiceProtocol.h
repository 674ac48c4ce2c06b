#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

// The calculator's side of the local-socket protocol that stands in for DDE
// (kobrix holds the other side; the two share only this description).
//
// A request is a 4-byte tag and length-prefixed fields (u32 little-endian
// length, then the bytes):
//   "POKE" topic, item, format name, data  -> 1 byte: 1 accepted, 0 refused
//   "CONV" (no fields)                     -> u32 count, then per window a
//                                             u32 id and its class name (a
//                                             length-prefixed field)
//   "SHOW" one 4-byte field: u32 window id -> 1 byte (1: shown and raised)
//
// The reader is fed bytes and the time, and gives whole requests; it knows
// nothing of sockets, so a test can split, stall or damage any byte.
namespace Calc {

struct ServiceRequest
{
    enum class Kind { Poke, Conv, Show };
    Kind kind = Kind::Conv;
    std::string topic;
    std::string item;
    std::string format;
    std::string data;
    uint32_t window = 0;
};

class ServiceRequestReader
{
public:
    // DDE names have at most 255 characters.
    static constexpr size_t MaxNameField = 255;
    // A poke's data: the 4-byte size and a file. The calculators' whole
    // memory is a few megabytes; this leaves room and still bounds what one
    // client can make the calculator hold.
    static constexpr size_t MaxDataField = 16u * 1024 * 1024 + 4;
    // A request begun must be whole within this time (the client gives up
    // after the same time).
    static constexpr int64_t RequestTimeLimitMs = 5000;

    // Takes the bytes that arrived at nowMs (milliseconds of any steady clock).
    void feed(std::string_view bytes, int64_t nowMs);
    bool hasRequest() const { return !m_ready.empty(); }
    ServiceRequest takeRequest();
    // The client broke the protocol (an unknown tag, a field longer than its
    // bound): the rest of its bytes mean nothing. fault() says what it was.
    bool broken() const { return !m_fault.empty(); }
    const std::string &fault() const { return m_fault; }
    // A request begun and not finished within the time limit.
    bool stalled(int64_t nowMs) const;

private:
    enum class State { Tag, Length, Field };
    void startField();
    void finishField();
    std::string *currentField();

    State m_state = State::Tag;
    std::string m_pending; // tag or length bytes so far
    ServiceRequest m_request;
    int m_fields = 0; // fields the current request has
    int m_field = 0;  // the one being read
    size_t m_length = 0;
    std::string m_showId;
    int64_t m_started = -1; // time of the current request's first byte
    std::deque<ServiceRequest> m_ready;
    std::string m_fault;
};

struct ServiceWindow
{
    uint32_t id = 0;
    std::string className;
};

std::string EncodeServiceReply(bool accepted);
std::string EncodeWindowList(const std::vector<ServiceWindow> &windows);

} // namespace Calc
