// The machine's whole state as bytes: what qvrpl --state keeps between runs.
#include "calc/core/Commands.h"
#include "calc/core/Compiler.h"
#include "calc/core/Engine.h"

#include <cstring>

namespace Calc {

namespace {

const char Magic[] = "QVRPL-STATE\n";
constexpr uint8_t Version = 1;

class Writer
{
public:
    std::string out;
    void u8(uint8_t v) { out.push_back(static_cast<char>(v)); }
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
    void str(const std::string &s)
    {
        u32(static_cast<uint32_t>(s.size()));
        out += s;
    }
    void value(const Value &v)
    {
        u8(static_cast<uint8_t>(v.type()));
        switch (v.type()) {
        case Type::Null:
        case Type::Native:
            break;
        case Type::Real:
            u64(static_cast<uint64_t>(v.asReal().mant));
            u16(static_cast<uint16_t>(v.asReal().exp));
            break;
        case Type::Binary:
            u64(v.asBinary());
            break;
        case Type::Command:
            str(commandInfo(v.commandId()).name);
            u16(static_cast<uint16_t>(v.role()));
            u32(v.target());
            break;
        case Type::Complex:
            u64(static_cast<uint64_t>(v.asComplex()->re.mant));
            u16(static_cast<uint16_t>(v.asComplex()->re.exp));
            u64(static_cast<uint64_t>(v.asComplex()->im.mant));
            u16(static_cast<uint16_t>(v.asComplex()->im.exp));
            break;
        case Type::String:
            str(v.str());
            break;
        case Type::List:
        case Type::Program:
        case Type::Algebraic:
            u32(static_cast<uint32_t>(v.items().size()));
            for (const Value &x : v.items())
                value(x);
            break;
        case Type::GlobalName:
        case Type::LocalName:
            u8(v.quoted() ? 1 : 0);
            u32(static_cast<uint32_t>(v.callArgs()));
            str(v.nameText());
            break;
        case Type::Tagged:
            str(v.asTagged()->tag);
            value(v.asTagged()->value);
            break;
        case Type::Directory:
            dir(v.asDir());
            break;
        case Type::Array: {
            const ArrayObj *a = v.asArray();
            u8(static_cast<uint8_t>(a->dims.size()));
            for (uint32_t d : a->dims)
                u32(d);
            for (const Value &x : a->elems)
                value(x);
            break;
        }
        case Type::Grob:
            u32(v.asGrob()->width);
            u32(v.asGrob()->height);
            out.append(v.asGrob()->bits.begin(), v.asGrob()->bits.end());
            break;
        case Type::Character:
            u8(v.asChar());
            break;
        case Type::Unit:
            str(v.asUnit()->unit);
            value(v.asUnit()->number);
            break;
        }
    }
    void dir(const DirObj *d)
    {
        u32(static_cast<uint32_t>(d->vars.size()));
        for (const auto &var : d->vars) {
            str(var.name->text);
            value(var.value);
        }
    }
};

class Reader
{
public:
    Reader(const std::string &s, bool is49)
        : m_s(s)
        , m_is49(is49)
    {
    }

    struct Bad
    {
    };

    uint8_t u8()
    {
        if (m_pos >= m_s.size())
            throw Bad{};
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
    std::string str()
    {
        const uint32_t n = u32();
        if (n > m_s.size() - m_pos)
            throw Bad{};
        std::string r = m_s.substr(m_pos, n);
        m_pos += n;
        return r;
    }
    Real real()
    {
        Real r;
        r.mant = static_cast<int64_t>(u64());
        r.exp = static_cast<int16_t>(u16());
        const int64_t a = r.mant < 0 ? -r.mant : r.mant;
        if ((r.mant != 0 && (a < Real::MantMin || a >= Real::MantLimit)) || r.exp > Real::MaxExp ||
            r.exp < -Real::MaxExp)
            throw Bad{};
        if (r.mant == 0)
            r.exp = 0;
        return r;
    }
    Value value(uint32_t depth = 0)
    {
        if (depth > MaxNesting)
            throw Bad{};
        const Type t = static_cast<Type>(u8());
        switch (t) {
        case Type::Real:
            return Value::real(real());
        case Type::Binary:
            return Value::binary(u64());
        case Type::Command: {
            const int id = findCommand(str(), m_is49);
            const int role = static_cast<int16_t>(u16());
            const uint32_t target = u32();
            if (id < 0)
                throw Bad{};
            return Value::command(id, role, target);
        }
        case Type::Complex: {
            const Real re = real();
            return Value::complex(re, real());
        }
        case Type::String:
            return Value::string(str());
        case Type::List:
        case Type::Program:
        case Type::Algebraic: {
            const uint32_t n = u32();
            if (n > m_s.size() - m_pos)
                throw Bad{};
            std::vector<Value> items;
            items.reserve(n);
            for (uint32_t i = 0; i < n; ++i)
                items.push_back(value(depth + 1));
            if (t == Type::List)
                return Value::list(std::move(items));
            if (t == Type::Program) {
                // jumps are worked out again, which also checks the structure
                for (Value &x : items)
                    if (x.type() == Type::Command && x.commandId() < OpLocals)
                        x = Value::command(x.commandId());
                return Value::program(linkStructures(std::move(items)));
            }
            return Value::algebraic(std::move(items));
        }
        case Type::GlobalName:
        case Type::LocalName: {
            const bool quoted = u8() != 0;
            const uint32_t args = u32();
            const std::string text = str();
            if (text.empty() || args > 255)
                throw Bad{};
            return Value::name(internName(text), t, quoted).withCallArgs(static_cast<int>(args));
        }
        case Type::Tagged: {
            std::string tag = str();
            return Value::tagged(std::move(tag), value(depth + 1));
        }
        case Type::Directory:
            return dir(depth + 1);
        case Type::Array: {
            const uint8_t nd = u8();
            if (nd < 1 || nd > 2)
                throw Bad{};
            std::vector<uint32_t> dims;
            uint64_t n = 1;
            for (uint8_t i = 0; i < nd; ++i) {
                dims.push_back(u32());
                n *= dims.back();
            }
            if (n == 0 || n > m_s.size() - m_pos)
                throw Bad{};
            std::vector<Value> elems;
            elems.reserve(n);
            for (uint64_t i = 0; i < n; ++i) {
                elems.push_back(value(depth + 1));
                if (elems.back().type() != elems.front().type() ||
                    (elems.back().type() != Type::Real && elems.back().type() != Type::Complex))
                    throw Bad{};
            }
            return Value::array(std::move(dims), std::move(elems));
        }
        case Type::Grob: {
            const uint32_t w = u32();
            const uint32_t h = u32();
            if (w > MaxGrobSide || h > MaxGrobSide)
                throw Bad{};
            auto *g = new GrobObj(w, h);
            Value holder = Value::grob(g);
            if (g->bits.size() > m_s.size() - m_pos)
                throw Bad{};
            for (auto &b : g->bits)
                b = u8();
            return holder;
        }
        case Type::Character:
            return Value::character(u8());
        case Type::Unit: {
            std::string unit = str();
            Value n = value(depth + 1);
            if (unit.empty() || (n.type() != Type::Real && n.type() != Type::Complex))
                throw Bad{};
            return Value::unit(std::move(n), std::move(unit));
        }
        default:
            throw Bad{};
        }
    }
    Value dir(uint32_t depth)
    {
        auto *d = new DirObj;
        Value holder = Value::directory(d);
        const uint32_t n = u32();
        if (n > m_s.size() - m_pos)
            throw Bad{};
        for (uint32_t i = 0; i < n; ++i) {
            const std::string name = str();
            if (name.empty() || d->find(internName(name)))
                throw Bad{};
            Value v = value(depth + 1);
            d->vars.push_back({internName(name), std::move(v)});
        }
        return holder;
    }
    bool atEnd() const { return m_pos == m_s.size(); }

private:
    const std::string &m_s;
    size_t m_pos = 0;
    bool m_is49;
};

} // namespace

std::string Engine::saveState() const
{
    Writer w;
    w.out.append(Magic, sizeof(Magic) - 1);
    w.u8(Version);
    w.u8(static_cast<uint8_t>(m_model));
    w.u64(m_sysFlags[0]);
    w.u64(m_sysFlags[1]);
    w.u64(m_userFlags[0]);
    w.u64(m_userFlags[1]);
    w.u64(m_seed);
    w.u32(m_errn);
    w.str(m_errm);
    w.u32(static_cast<uint32_t>(m_stack.size()));
    for (const Value &v : m_stack)
        w.value(v);
    w.u32(static_cast<uint32_t>(m_lastArgs.size()));
    for (const Value &v : m_lastArgs)
        w.value(v);
    w.dir(m_home.asDir());
    w.u32(static_cast<uint32_t>(m_pathNames.size()));
    for (const NameObj *n : m_pathNames)
        w.str(n->text);
    return w.out;
}

bool Engine::loadState(const std::string &bytes)
{
    const size_t magicLen = sizeof(Magic) - 1;
    if (bytes.size() < magicLen + 2 || bytes.compare(0, magicLen, Magic) != 0)
        return false;
    if (static_cast<uint8_t>(bytes[magicLen]) != Version)
        return false;
    const uint8_t model = static_cast<uint8_t>(bytes[magicLen + 1]);
    if (model > static_cast<uint8_t>(Model::HP50G))
        return false;
    // Command names are read as the model that wrote them spells them.
    Reader r(bytes, model != static_cast<uint8_t>(Model::HP48GX));
    try {
        for (size_t i = 0; i < magicLen + 2; ++i)
            r.u8();
        uint64_t flags[4];
        for (auto &f : flags)
            f = r.u64();
        const uint64_t seed = r.u64();
        const uint32_t errn = r.u32();
        std::string errm = r.str();
        std::vector<Value> stack;
        const uint32_t depth = r.u32();
        if (depth > MaxStack)
            return false;
        for (uint32_t i = 0; i < depth; ++i)
            stack.push_back(r.value());
        std::vector<Value> lastArgs;
        const uint32_t nargs = r.u32();
        if (nargs > 16)
            return false;
        for (uint32_t i = 0; i < nargs; ++i)
            lastArgs.push_back(r.value());
        Value home = r.dir(0);
        std::vector<const NameObj *> path;
        const uint32_t npath = r.u32();
        if (npath > MaxNesting)
            return false;
        for (uint32_t i = 0; i < npath; ++i)
            path.push_back(internName(r.str()));
        if (!r.atEnd())
            return false;
        // all read: take it
        m_model = static_cast<Model>(model);
        m_rs.clear();
        m_locals.clear();
        m_halted.clear();
        m_sysFlags[0] = flags[0];
        m_sysFlags[1] = flags[1];
        m_userFlags[0] = flags[2];
        m_userFlags[1] = flags[3];
        m_seed = seed;
        m_errn = errn;
        m_errm = std::move(errm);
        m_stack = std::move(stack);
        m_lastArgs = std::move(lastArgs);
        m_home = home;
        setPath(path);
        return true;
    } catch (const Reader::Bad &) {
        return false;
    } catch (const CalcError &) {
        return false;
    }
}

} // namespace Calc
