#include "calc/service/ServiceProtocol.h"

namespace Calc {

namespace {

uint32_t getU32(std::string_view b)
{
    auto at = [&](int i) { return uint32_t(static_cast<unsigned char>(b[size_t(i)])); };
    return at(0) | at(1) << 8 | at(2) << 16 | at(3) << 24;
}

void putU32(std::string &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(v >> (8 * i)));
}

} // namespace

void ServiceRequestReader::feed(std::string_view bytes, int64_t nowMs)
{
    while (!bytes.empty() && !broken()) {
        if (m_state == State::Tag && m_pending.empty())
            m_started = nowMs;
        if (m_state == State::Tag || m_state == State::Length) {
            const size_t take = std::min(bytes.size(), 4 - m_pending.size());
            m_pending.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (m_pending.size() < 4)
                return;
            if (m_state == State::Tag) {
                m_request = ServiceRequest();
                if (m_pending == "POKE") {
                    m_request.kind = ServiceRequest::Kind::Poke;
                    m_fields = 4;
                } else if (m_pending == "CONV") {
                    m_request.kind = ServiceRequest::Kind::Conv;
                    m_fields = 0;
                } else if (m_pending == "SHOW") {
                    m_request.kind = ServiceRequest::Kind::Show;
                    m_fields = 1;
                } else {
                    m_fault = "unknown request";
                    return;
                }
                m_pending.clear();
                m_field = 0;
                startField();
            } else {
                m_length = getU32(m_pending);
                m_pending.clear();
                const bool data = m_request.kind == ServiceRequest::Kind::Poke && m_field == 3;
                if (m_request.kind == ServiceRequest::Kind::Show && m_length != 4) {
                    m_fault = "the window field is not 4 bytes long";
                    return;
                }
                if (m_length > (data ? MaxDataField : MaxNameField)) {
                    m_fault = data ? "the data block is too large" : "a field is too long";
                    return;
                }
                m_state = State::Field;
                if (m_length == 0)
                    finishField();
            }
            continue;
        }
        std::string *field = currentField();
        const size_t take = std::min(bytes.size(), m_length - field->size());
        field->append(bytes.substr(0, take));
        bytes.remove_prefix(take);
        if (field->size() == m_length)
            finishField();
    }
}

std::string *ServiceRequestReader::currentField()
{
    if (m_request.kind == ServiceRequest::Kind::Show)
        return &m_showId;
    switch (m_field) {
    case 0:
        return &m_request.topic;
    case 1:
        return &m_request.item;
    case 2:
        return &m_request.format;
    default:
        return &m_request.data;
    }
}

void ServiceRequestReader::startField()
{
    if (m_field < m_fields) {
        m_state = State::Length;
        return;
    }
    if (m_request.kind == ServiceRequest::Kind::Show)
        m_request.window = getU32(m_showId);
    m_showId.clear();
    m_ready.push_back(std::move(m_request));
    m_request = ServiceRequest();
    m_state = State::Tag;
    m_started = -1;
}

void ServiceRequestReader::finishField()
{
    ++m_field;
    startField();
}

ServiceRequest ServiceRequestReader::takeRequest()
{
    ServiceRequest r = std::move(m_ready.front());
    m_ready.pop_front();
    return r;
}

bool ServiceRequestReader::stalled(int64_t nowMs) const
{
    return m_started >= 0 && nowMs - m_started > RequestTimeLimitMs;
}

std::string EncodeServiceReply(bool accepted)
{
    return std::string(1, accepted ? '\1' : '\0');
}

std::string EncodeWindowList(const std::vector<ServiceWindow> &windows)
{
    std::string out;
    putU32(out, static_cast<uint32_t>(windows.size()));
    for (const ServiceWindow &w : windows) {
        putU32(out, w.id);
        putU32(out, static_cast<uint32_t>(w.className.size()));
        out += w.className;
    }
    return out;
}

} // namespace Calc
