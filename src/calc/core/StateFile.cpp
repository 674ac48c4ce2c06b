// State and port files: the layout is described in StateFile.h.
#include "calc/core/StateFile.h"

#include "calc/core/BinaryObject.h"
#include "calc/core/Commands.h"
#include "calc/core/Engine.h"
#include "formats/NibbleText.h"

#include <cstdlib>
#include <cstring>

namespace Calc {

namespace {

const char StateMagic[] = "QVCALCSTATE\x1A";
const char PortMagic[] = "QVCALCPORT\x1A\x1A";
constexpr size_t MagicLen = 12;
constexpr size_t HeaderLen = MagicLen + 3;

uint32_t crc32(std::string_view s)
{
    static const auto table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : s)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

class Out
{
public:
    std::string bytes;

    void u8(uint8_t v) { bytes.push_back(static_cast<char>(v)); }
    void u16(uint16_t v)
    {
        u8(v & 0xFF);
        u8(v >> 8);
    }
    void u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            u8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void u64(uint64_t v)
    {
        for (int i = 0; i < 8; ++i)
            u8(static_cast<uint8_t>(v >> (8 * i)));
    }
    void shortText(const std::string &s)
    {
        u8(static_cast<uint8_t>(s.size()));
        bytes.append(s, 0, 255);
    }
    void object(const Value &v)
    {
        const std::string nib = encodeObject(v);
        u32(static_cast<uint32_t>(nib.size()));
        for (size_t i = 0; i < nib.size(); i += 2) {
            const int lo = HexDigitValue(nib[i]);
            const int hi = i + 1 < nib.size() ? HexDigitValue(nib[i + 1]) : 0;
            u8(static_cast<uint8_t>(lo | (hi << 4)));
        }
    }
    // Starts a section; end() fills in its length.
    size_t begin(const char *tag)
    {
        bytes.append(tag, 4);
        const size_t at = bytes.size();
        u32(0);
        return at;
    }
    void end(size_t at)
    {
        const uint32_t len = static_cast<uint32_t>(bytes.size() - at - 4);
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(len >> (8 * i));
    }
    void header(const char *magic, char letter)
    {
        bytes.append(magic, MagicLen);
        u16(StateVersion);
        u8(static_cast<uint8_t>(letter));
        // every command id is written as its XLIB number; the names make
        // the numbers mean the same commands to another build
        const size_t at = begin("CMDS");
        const int n = commandCount();
        u32(static_cast<uint32_t>(n));
        for (int id = 0; id < n; ++id)
            shortText(commandInfo(id).name);
        end(at);
    }
    void finish()
    {
        const uint32_t crc = crc32(bytes);
        const size_t at = begin("END ");
        u32(crc);
        end(at);
    }
};

struct Bad
{
    std::string message;
};

class In
{
public:
    In(std::string_view s, size_t pos, size_t end)
        : m_s(s)
        , m_pos(pos)
        , m_end(end)
    {
    }

    uint8_t u8()
    {
        if (m_pos >= m_end)
            throw Bad{"a section is cut short"};
        return static_cast<uint8_t>(m_s[m_pos++]);
    }
    uint16_t u16()
    {
        const uint16_t lo = u8();
        return static_cast<uint16_t>(lo | (u8() << 8));
    }
    uint32_t u32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(u8()) << (8 * i);
        return v;
    }
    uint64_t u64()
    {
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v |= static_cast<uint64_t>(u8()) << (8 * i);
        return v;
    }
    std::string text(size_t n)
    {
        if (n > m_end - m_pos)
            throw Bad{"a section is cut short"};
        std::string r(m_s.substr(m_pos, n));
        m_pos += n;
        return r;
    }
    std::string shortText() { return text(u8()); }
    // A count of items that each take at least minBytes.
    uint32_t count(size_t minBytes = 1)
    {
        const uint32_t n = u32();
        if (n > (m_end - m_pos) / minBytes)
            throw Bad{"a section counts more items than it holds"};
        return n;
    }
    Value object(const std::vector<int> &ids)
    {
        const uint32_t nibbles = u32();
        const size_t nbytes = (static_cast<size_t>(nibbles) + 1) / 2;
        if (nbytes > m_end - m_pos)
            throw Bad{"an object is cut short"};
        std::string nib;
        nib.reserve(nibbles);
        static const char digits[] = "0123456789ABCDEF";
        for (size_t i = 0; i < nbytes; ++i) {
            const unsigned char b = static_cast<unsigned char>(m_s[m_pos + i]);
            nib.push_back(digits[b & 15]);
            nib.push_back(digits[b >> 4]);
        }
        nib.resize(nibbles);
        m_pos += nbytes;
        DecodeOptions opt;
        opt.commandIds = &ids;
        DecodedObject d = decodeObject(nib, opt);
        if (!d.ok())
            throw Bad{"an object is damaged: " + d.error};
        if (d.length != nibbles)
            throw Bad{"an object is followed by stray data"};
        return d.value;
    }
    bool atEnd() const { return m_pos == m_end; }

private:
    std::string_view m_s;
    size_t m_pos;
    size_t m_end;
};

struct Section
{
    std::string tag;
    size_t begin;
    size_t end;
};

// Checks the frame (magic, version, model, sections, CRC) and lists the
// sections; throws Bad with the reason.
std::vector<Section> readFrame(std::string_view s, const char *magic, const char *otherMagic,
                               const char *kind, char &letter)
{
    if (s.size() < MagicLen || s.compare(0, MagicLen, std::string_view(magic, MagicLen)) != 0) {
        if (s.size() >= MagicLen && s.compare(0, MagicLen, std::string_view(otherMagic, MagicLen)) == 0)
            throw Bad{std::string("the file is not a ") + kind + " of this calculator but a " +
                      (std::strcmp(kind, "state file") == 0 ? "port file" : "state file")};
        throw Bad{std::string("the file is not a ") + kind + " of this calculator"};
    }
    if (s.size() < HeaderLen)
        throw Bad{"the file is cut short"};
    const uint16_t version =
        static_cast<uint16_t>(static_cast<uint8_t>(s[MagicLen]) | (static_cast<uint8_t>(s[MagicLen + 1]) << 8));
    if (version != StateVersion)
        throw Bad{"the file has format version " + std::to_string(version) +
                  (version > StateVersion ? ", newer than this program reads (" : ", which this program no longer reads (") +
                  std::to_string(StateVersion) + ")"};
    letter = s[MagicLen + 2];
    if (!isModelLetter(letter))
        throw Bad{"the file names an unknown calculator model"};
    std::vector<Section> out;
    size_t pos = HeaderLen;
    for (;;) {
        if (s.size() - pos < 8)
            throw Bad{"the file is cut short"};
        std::string tag(s.substr(pos, 4));
        In len(s, pos + 4, pos + 8);
        const uint32_t n = len.u32();
        if (n > s.size() - pos - 8)
            throw Bad{"the file is cut short"};
        if (tag == "END ") {
            if (n != 4)
                throw Bad{"the file's check sum is damaged"};
            In c(s, pos + 8, pos + 12);
            if (c.u32() != crc32(s.substr(0, pos)))
                throw Bad{"the file is damaged (its check sum does not match)"};
            if (pos + 12 != s.size())
                throw Bad{"the file has stray data after its end"};
            return out;
        }
        for (const Section &o : out)
            if (o.tag == tag)
                throw Bad{"the file holds a section twice"};
        out.push_back({tag, pos + 8, pos + 8 + n});
        pos += 8 + n;
    }
}

const Section *findSection(const std::vector<Section> &secs, const char *tag)
{
    for (const Section &s : secs)
        if (s.tag == tag)
            return &s;
    return nullptr;
}

std::vector<int> readCommandTable(std::string_view s, const std::vector<Section> &secs, bool is49)
{
    const Section *c = findSection(secs, "CMDS");
    if (!c)
        throw Bad{"the file lacks its command table"};
    In in(s, c->begin, c->end);
    const uint32_t n = in.count();
    if (n > 4096)
        throw Bad{"the file's command table is too long"};
    std::vector<int> ids;
    ids.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        const std::string name = in.shortText();
        int id = findCommand(name, is49);
        if (id < 0)
            id = findCommand(name, !is49);
        ids.push_back(id); // -1: a command this build lacks; refused if used
    }
    if (!in.atEnd())
        throw Bad{"the file's command table is damaged"};
    return ids;
}

bool is49Letter(char c)
{
    return c != 'G';
}

} // namespace

bool isModelLetter(char c)
{
    return c == 'G' || c == 'X' || c == '2' || c == 'P' || c == 'Q';
}

std::string saveState(const MachineState &st)
{
    Out o;
    o.header(StateMagic, st.modelLetter);
    size_t at = o.begin("FLAG");
    o.u64(st.systemFlags[0]);
    o.u64(st.systemFlags[1]);
    o.u64(st.userFlags[0]);
    o.u64(st.userFlags[1]);
    o.end(at);
    at = o.begin("STAK");
    o.u32(static_cast<uint32_t>(st.stack.size()));
    for (const Value &v : st.stack)
        o.object(v);
    o.end(at);
    at = o.begin("HOME");
    if (st.home.type() == Type::Directory) {
        o.object(st.home);
    } else {
        auto *empty = new DirObj;
        o.object(Value::directory(empty));
    }
    o.end(at);
    at = o.begin("PATH");
    o.u32(static_cast<uint32_t>(st.path.size()));
    for (const std::string &n : st.path)
        o.shortText(n);
    o.end(at);
    at = o.begin("LARG");
    o.u32(static_cast<uint32_t>(st.lastArgs.size()));
    for (const Value &v : st.lastArgs)
        o.object(v);
    o.end(at);
    at = o.begin("ERRS");
    o.u32(st.errorNumber);
    o.u32(static_cast<uint32_t>(st.errorMessage.size()));
    o.bytes += st.errorMessage;
    o.end(at);
    at = o.begin("SEED");
    o.u64(st.randomSeed);
    o.end(at);
    at = o.begin("MENU");
    o.object(Value::real(st.menu));
    o.object(st.customMenu.isNull() ? Value::list({}) : st.customMenu);
    o.end(at);
    for (const auto &[tag, bytes] : st.extra) {
        if (tag.size() != 4)
            continue;
        at = o.begin(tag.c_str());
        o.bytes += bytes;
        o.end(at);
    }
    o.finish();
    return o.bytes;
}

StateLoad loadState(std::string_view s)
{
    StateLoad r;
    try {
        char letter = 0;
        const auto secs = readFrame(s, StateMagic, PortMagic, "state file", letter);
        MachineState st;
        st.modelLetter = letter;
        const std::vector<int> ids = readCommandTable(s, secs, is49Letter(letter));
        auto need = [&](const char *tag) {
            const Section *x = findSection(secs, tag);
            if (!x)
                throw Bad{std::string("the file lacks its ") + tag + " section"};
            return In(s, x->begin, x->end);
        };
        auto done = [](In &in) {
            if (!in.atEnd())
                throw Bad{"a section holds more than it should"};
        };
        {
            In in = need("FLAG");
            st.systemFlags[0] = in.u64();
            st.systemFlags[1] = in.u64();
            st.userFlags[0] = in.u64();
            st.userFlags[1] = in.u64();
            done(in);
        }
        {
            In in = need("STAK");
            const uint32_t n = in.count(4);
            for (uint32_t i = 0; i < n; ++i) {
                Value v = in.object(ids);
                if (v.type() == Type::Command && v.commandId() < OpFirstOrdinary)
                    throw Bad{"the stack holds a structure word"};
                st.stack.push_back(std::move(v));
            }
            done(in);
        }
        {
            In in = need("HOME");
            st.home = in.object(ids);
            if (st.home.type() != Type::Directory)
                throw Bad{"the file's HOME is not a directory"};
            done(in);
        }
        {
            In in = need("PATH");
            const uint32_t n = in.count();
            if (n > Engine::MaxDirDepth)
                throw Bad{"the file's current directory is too deep"};
            for (uint32_t i = 0; i < n; ++i)
                st.path.push_back(in.shortText());
            done(in);
        }
        if (const Section *x = findSection(secs, "LARG")) {
            In in(s, x->begin, x->end);
            const uint32_t n = in.count(4);
            if (n > 16)
                throw Bad{"the file's LASTARG is damaged"};
            for (uint32_t i = 0; i < n; ++i)
                st.lastArgs.push_back(in.object(ids));
            done(in);
        }
        if (const Section *x = findSection(secs, "ERRS")) {
            In in(s, x->begin, x->end);
            st.errorNumber = in.u32();
            st.errorMessage = in.text(in.count());
            done(in);
        }
        if (const Section *x = findSection(secs, "SEED")) {
            In in(s, x->begin, x->end);
            st.randomSeed = in.u64();
            done(in);
        }
        if (const Section *x = findSection(secs, "MENU")) {
            In in(s, x->begin, x->end);
            const Value m = in.object(ids);
            const Value c = in.object(ids);
            if (m.type() != Type::Real)
                throw Bad{"the file's menu is damaged"};
            st.menu = m.asReal();
            if (!(c.type() == Type::List && c.items().empty()))
                st.customMenu = c;
            done(in);
        }
        static const char *known[] = {"CMDS", "FLAG", "STAK", "HOME", "PATH",
                                      "LARG", "ERRS", "SEED", "MENU"};
        for (const Section &x : secs) {
            bool isKnown = false;
            for (const char *k : known)
                isKnown = isKnown || x.tag == k;
            if (!isKnown)
                st.extra[x.tag] = std::string(s.substr(x.begin, x.end - x.begin));
        }
        r.state = std::move(st);
    } catch (const Bad &b) {
        r.error = b.message;
    } catch (const CalcError &e) {
        r.error = "an object is damaged: " + e.message;
    }
    return r;
}

std::string savePort(const PortState &p)
{
    Out o;
    o.header(PortMagic, p.modelLetter);
    const size_t at = o.begin("PORT");
    o.u8(static_cast<uint8_t>(p.port));
    o.u32(p.sizeKB);
    o.u32(static_cast<uint32_t>(p.entries.size()));
    for (const auto &[name, v] : p.entries) {
        o.shortText(name);
        o.object(v);
    }
    o.end(at);
    o.finish();
    return o.bytes;
}

PortLoad loadPort(std::string_view s)
{
    PortLoad r;
    try {
        char letter = 0;
        const auto secs = readFrame(s, PortMagic, StateMagic, "port file", letter);
        const std::vector<int> ids = readCommandTable(s, secs, is49Letter(letter));
        const Section *x = findSection(secs, "PORT");
        if (!x)
            throw Bad{"the file lacks its PORT section"};
        In in(s, x->begin, x->end);
        PortState p;
        p.modelLetter = letter;
        p.port = in.u8();
        p.sizeKB = in.u32();
        const uint32_t n = in.count(5);
        for (uint32_t i = 0; i < n; ++i) {
            std::string name = in.shortText();
            if (name.empty())
                throw Bad{"a port entry has no name"};
            p.entries.emplace_back(std::move(name), in.object(ids));
        }
        if (!in.atEnd())
            throw Bad{"the PORT section holds more than it should"};
        r.port = std::move(p);
    } catch (const Bad &b) {
        r.error = b.message;
    } catch (const CalcError &e) {
        r.error = "an object is damaged: " + e.message;
    }
    return r;
}

// ---- the engine's side ------------------------------------------------------

void Engine::captureState(MachineState &st) const
{
    st.modelLetter = m_model == Model::HP48GX ? 'G' : m_model == Model::HP49G ? 'X' : 'Q';
    st.stack = m_stack;
    // a copy: the engine's tree goes on changing
    st.home = Value::directory(m_home.asDir()->clone());
    st.path.clear();
    for (const NameObj *n : m_pathNames)
        st.path.push_back(n->text);
    st.systemFlags[0] = m_sysFlags[0];
    st.systemFlags[1] = m_sysFlags[1];
    st.userFlags[0] = m_userFlags[0];
    st.userFlags[1] = m_userFlags[1];
    st.lastArgs = lastArgs();
    st.errorNumber = m_errn;
    st.errorMessage = m_errm;
    st.randomSeed = m_seed;
    // the user keys and the clock are this machine's own sections
    if (!m_userKeys.empty())
        st.extra["UKEY"] = encodeObject(Value::list(m_userKeys));
    if (m_clockOffset != 0)
        st.extra["CLOK"] = std::to_string(m_clockOffset);
}

void Engine::restoreState(const MachineState &st)
{
    const char c = st.modelLetter;
    m_model = c == 'G' ? Model::HP48GX : (c == 'X' || c == '2') ? Model::HP49G : Model::HP50G;
    m_rs.clear();
    m_locals.clear();
    m_halted.clear();
    m_sysFlags[0] = st.systemFlags[0];
    m_sysFlags[1] = st.systemFlags[1];
    m_userFlags[0] = st.userFlags[0];
    m_userFlags[1] = st.userFlags[1];
    m_seed = st.randomSeed;
    m_errn = st.errorNumber;
    m_errm = st.errorMessage;
    m_stack = st.stack;
    m_lastArgs = st.lastArgs;
    m_lastArgGrown = -1;
    if (st.home.type() == Type::Directory) {
        // the engine owns its tree: a copy keeps the state reusable
        m_home = Value::directory(st.home.asDir()->clone());
    } else {
        m_home = Value::directory(new DirObj);
    }
    std::vector<NameRef> path;
    for (const std::string &n : st.path)
        path.push_back(internName(n));
    setPath(path);
    m_userKeys.clear();
    m_clockOffset = 0;
    if (auto k = st.extra.find("UKEY"); k != st.extra.end()) {
        const DecodedObject d = decodeObject(k->second);
        if (d.ok() && d.value.type() == Type::List)
            m_userKeys = d.value.items();
    }
    if (auto c = st.extra.find("CLOK"); c != st.extra.end())
        m_clockOffset = std::strtoll(c->second.c_str(), nullptr, 10);
}

std::string Engine::saveState() const
{
    MachineState st;
    captureState(st);
    return Calc::saveState(st);
}

bool Engine::loadState(const std::string &bytes)
{
    const StateLoad r = Calc::loadState(bytes);
    if (!r.ok())
        return false;
    restoreState(r.state);
    return true;
}

} // namespace Calc
