#include "calc/core/BinaryObject.h"

#include "calc/core/Commands.h"
#include "calc/core/Integer.h"
#include "calc/core/Compiler.h"
#include "calc/core/Errors.h"
#include "formats/NibbleText.h"
#include "formats/ObjectFile.h"

namespace Calc {

namespace {

const char Digits[] = "0123456789ABCDEF";

class Writer
{
public:
    explicit Writer(const EncodeOptions &opt)
        : m_opt(opt)
    {
    }

    std::string out;

    void field(uint64_t value, int nibbles)
    {
        for (int i = 0; i < nibbles; ++i) {
            out.push_back(Digits[value & 15]);
            value >>= 4;
        }
    }
    void prolog(uint32_t p) { field(p, 5); }
    void bytes(const std::string &s)
    {
        for (unsigned char c : s) {
            out.push_back(Digits[c & 15]);
            out.push_back(Digits[c >> 4]);
        }
    }
    void realBody(const Real &r)
    {
        int e = r.isZero() ? 0 : r.exp;
        if (e < 0)
            e += 1000;
        for (int i = 0; i < 3; ++i) {
            out.push_back(Digits[e % 10]);
            e /= 10;
        }
        uint64_t m = static_cast<uint64_t>(r.mant < 0 ? -r.mant : r.mant);
        for (int i = 0; i < 12; ++i) {
            out.push_back(Digits[m % 10]);
            m /= 10;
        }
        out.push_back(r.isNegative() ? '9' : '0');
    }
    void name(uint32_t prolog_, const std::string &text)
    {
        if (text.empty() || text.size() > 255)
            throw CalcError(Err::BadArgumentValue);
        prolog(prolog_);
        field(text.size(), 2);
        bytes(text);
    }
    void xlib(int id)
    {
        prolog(Prolog::Xlib);
        field(PrivateLibrary, 3);
        field(static_cast<uint64_t>(id), 3);
    }
    // Fills in the size field written as a placeholder at "at": the
    // nibbles from that field to the end.
    void sized(size_t at)
    {
        const uint64_t size = out.size() - at;
        if (size >= 0x100000)
            throw CalcError(Err::InsufficientMemory);
        for (int i = 0; i < 5; ++i)
            out[at + i] = Digits[(size >> (4 * i)) & 15];
    }

    void object(const Value &v, bool inside)
    {
        switch (v.type()) {
        case Type::Null:
        case Type::Native:
            throw CalcError(Err::BadArgumentType);
        case Type::Real:
            prolog(Prolog::Real);
            realBody(v.asReal());
            break;
        case Type::Complex:
            prolog(Prolog::Complex);
            realBody(v.asComplex()->re);
            realBody(v.asComplex()->im);
            break;
        case Type::Binary:
            prolog(Prolog::Binary);
            field(21, 5);
            field(v.asBinary(), 16);
            break;
        case Type::Command:
            command(v.commandId(), v.role());
            break;
        case Type::String:
            prolog(Prolog::String);
            if (v.str().size() > (0xFFFFF - 5) / 2)
                throw CalcError(Err::InsufficientMemory);
            field(5 + 2 * v.str().size(), 5);
            bytes(v.str());
            break;
        case Type::List:
        case Type::Program:
        case Type::Algebraic:
            prolog(v.type() == Type::List      ? Prolog::List
                   : v.type() == Type::Program ? Prolog::Program
                                               : Prolog::Algebraic);
            sequence(v.items(), v.type() == Type::Algebraic);
            prolog(Prolog::Semi);
            break;
        case Type::GlobalName:
        case Type::LocalName: {
            const uint32_t p = v.type() == Type::GlobalName ? Prolog::Global : Prolog::Local;
            if (v.callArgs() > 0) {
                prolog(Prolog::SystemBinary);
                field(static_cast<uint64_t>(v.callArgs()), 5);
                name(p, v.nameText());
            } else if (inside && !m_inAlgebraic && v.quoted()) {
                prolog(Prolog::Algebraic);
                name(p, v.nameText());
                prolog(Prolog::Semi);
            } else {
                name(p, v.nameText());
            }
            break;
        }
        case Type::Tagged: {
            const std::string &tag = v.asTagged()->tag;
            if (tag.size() > 255)
                throw CalcError(Err::BadArgumentValue);
            prolog(Prolog::Tagged);
            field(tag.size(), 2);
            bytes(tag);
            object(v.asTagged()->value, false);
            break;
        }
        case Type::Directory:
            directory(v.asDir());
            break;
        case Type::Array: {
            const ArrayObj *a = v.asArray();
            prolog(Prolog::Array);
            const size_t at = out.size();
            field(0, 5);
            prolog(a->isComplex() ? Prolog::Complex : Prolog::Real);
            field(a->dims.size(), 5);
            for (uint32_t d : a->dims)
                field(d, 5);
            for (const Value &x : a->elems) {
                if (x.type() == Type::Complex) {
                    realBody(x.asComplex()->re);
                    realBody(x.asComplex()->im);
                } else {
                    realBody(x.asReal());
                }
            }
            sized(at);
            break;
        }
        case Type::Grob: {
            const GrobObj *g = v.asGrob();
            prolog(Prolog::Grob);
            const size_t at = out.size();
            field(0, 5);
            field(g->height, 5);
            field(g->width, 5);
            for (uint8_t b : g->bits) {
                out.push_back(Digits[b & 15]);
                out.push_back(Digits[b >> 4]);
            }
            sized(at);
            break;
        }
        case Type::Character:
            prolog(Prolog::Character);
            field(v.asChar(), 2);
            break;
        case Type::Integer: {
            // the digits least significant first, then the sign (9: negative)
            const std::string &t = integerText(v);
            const bool negative = t[0] == '-';
            const size_t n = t.size() - (negative ? 1 : 0);
            if (n > 0xFFFFF - 6)
                throw CalcError(Err::InsufficientMemory);
            prolog(Prolog::Integer);
            field(5 + n + 1, 5);
            for (size_t i = t.size(); i-- > (negative ? 1u : 0u);)
                out.push_back(t[i]);
            out.push_back(negative ? '9' : '0');
            break;
        }
        case Type::Unit:
            // our own form: the number, the unit's text as a string, the end
            // marker (the calculators spell units as names and operators)
            prolog(Prolog::Unit);
            object(v.asUnit()->number, false);
            object(Value::string(v.asUnit()->unit), false);
            prolog(Prolog::Semi);
            break;
        }
    }

    void command(int id, int role)
    {
        if (id == enterLineCommand() || id == enterLineEvalCommand()) {
            const WrapperPointers &w = m_opt.hp48Series ? Wrapper48 : Wrapper49;
            prolog(w.compile);
            if (id == enterLineEvalCommand())
                prolog(w.run);
            return;
        }
        xlib(id);
        if (id == OpLocals) {
            prolog(Prolog::SystemBinary);
            field(static_cast<uint64_t>(role), 5);
        }
    }

    void sequence(const std::vector<Value> &items, bool algebraic)
    {
        const bool outer = m_inAlgebraic;
        m_inAlgebraic = algebraic;
        for (const Value &x : items)
            object(x, true);
        m_inAlgebraic = outer;
    }

    void directory(const DirObj *d)
    {
        prolog(Prolog::Directory);
        field(0x7FF, 3);
        const size_t lastField = out.size();
        field(0, 5);
        size_t previousName = 0;
        // the oldest variable first: VARS lists the newest first
        for (auto it = d->vars.rbegin(); it != d->vars.rend(); ++it) {
            const size_t link = out.size();
            field(previousName ? link - previousName : 0, 5);
            previousName = out.size();
            const std::string &n = it->name->text;
            if (n.empty() || n.size() > 255)
                throw CalcError(Err::BadArgumentValue);
            field(n.size(), 2);
            bytes(n);
            field(n.size(), 2);
            object(it->value, false);
        }
        if (previousName) {
            const uint64_t off = previousName - lastField;
            if (off >= 0x100000)
                throw CalcError(Err::InsufficientMemory);
            for (int i = 0; i < 5; ++i)
                out[lastField + i] = Digits[(off >> (4 * i)) & 15];
        }
    }

private:
    const EncodeOptions &m_opt;
    bool m_inAlgebraic = false;
};

struct Fault
{
    std::string message;
    size_t at;
};

class Reader
{
public:
    Reader(std::string_view s, const DecodeOptions &opt)
        : m_s(s)
        , m_opt(opt)
    {
    }

    size_t pos = 0;

    [[noreturn]] void fail(const std::string &msg, size_t at) { throw Fault{msg, at}; }
    [[noreturn]] void cut() { fail("the object is cut short", m_s.size()); }

    uint64_t field(int nibbles)
    {
        if (m_s.size() - pos < static_cast<size_t>(nibbles))
            cut();
        uint64_t v = 0;
        for (int i = 0; i < nibbles; ++i)
            v |= static_cast<uint64_t>(digit(pos + i)) << (4 * i);
        pos += static_cast<size_t>(nibbles);
        return v;
    }
    int digit(size_t at)
    {
        const int d = HexDigitValue(m_s[at]);
        if (d < 0)
            fail("the data holds a character that is no hexadecimal digit", at);
        return d;
    }
    uint32_t peekProlog()
    {
        const size_t save = pos;
        const uint32_t p = static_cast<uint32_t>(field(5));
        pos = save;
        return p;
    }
    std::string bytes(size_t count)
    {
        if ((m_s.size() - pos) / 2 < count)
            cut();
        std::string r(count, '\0');
        for (size_t i = 0; i < count; ++i)
            r[i] = static_cast<char>(field(2));
        return r;
    }
    Real realBody()
    {
        const size_t at = pos;
        if (m_s.size() - pos < 16)
            cut();
        int d[16];
        for (int i = 0; i < 16; ++i)
            d[i] = digit(pos + static_cast<size_t>(i));
        pos += 16;
        for (int i = 0; i < 15; ++i)
            if (d[i] > 9)
                fail("a real number holds a digit that is not decimal", at);
        if (d[15] != 0 && d[15] != 9)
            fail("a real number has an unknown sign", at);
        int e = d[0] + 10 * d[1] + 100 * d[2];
        int64_t m = 0;
        for (int i = 14; i >= 3; --i)
            m = m * 10 + d[i];
        if (m == 0)
            return Real{};
        if (e >= 500)
            e -= 1000;
        if (m < Real::MantMin || e > Real::MaxExp || e < -Real::MaxExp)
            fail("a real number is out of the calculator's range", at);
        return Real{d[15] == 9 ? -m : m, static_cast<int16_t>(e)};
    }
    std::string nameText(const char *what)
    {
        const size_t at = pos;
        const size_t n = field(2);
        if (n == 0)
            fail(std::string("a ") + what + " has no characters", at);
        return bytes(n);
    }
    int commandId(size_t at)
    {
        const uint64_t lib = field(3);
        const uint64_t num = field(3);
        if (lib != PrivateLibrary)
            fail("the object uses library " + std::to_string(lib) +
                     ", which this calculator does not have",
                 at);
        int id = static_cast<int>(num);
        if (m_opt.commandIds && !m_opt.commandIds->empty())
            id = num < m_opt.commandIds->size() ? (*m_opt.commandIds)[num] : -1;
        if (id < 0 || id >= commandCount())
            fail("the object uses a command this calculator does not know", at);
        return id;
    }

    Value object(uint32_t depth)
    {
        if (depth > MaxNesting)
            fail("the object is nested too deeply", pos);
        const size_t at = pos;
        const uint32_t p = static_cast<uint32_t>(field(5));
        switch (p) {
        case Prolog::Real:
            return Value::real(realBody());
        case Prolog::Complex: {
            const Real re = realBody();
            return Value::complex(re, realBody());
        }
        case Prolog::Binary: {
            const uint64_t size = field(5);
            if (size < 5 || size - 5 > m_s.size() - pos)
                cut();
            const size_t n = static_cast<size_t>(size - 5);
            uint64_t v = 0;
            for (size_t i = 0; i < n; ++i) {
                const uint64_t dgt = field(1);
                if (i < 16)
                    v |= dgt << (4 * i);
                else if (dgt != 0)
                    fail("a binary integer is longer than 64 bits", at);
            }
            return Value::binary(v);
        }
        case Prolog::String: {
            const uint64_t size = field(5);
            if (size < 5 || (size - 5) % 2 != 0)
                fail("a string has a size that does not fit its characters", at);
            return Value::string(bytes(static_cast<size_t>((size - 5) / 2)));
        }
        case Prolog::List:
        case Prolog::Program:
        case Prolog::Algebraic:
            return sequence(p, at, depth);
        case Prolog::Global:
            return Value::name(internName(nameText("global name")).get(), Type::GlobalName, false);
        case Prolog::Local:
            return Value::name(internName(nameText("local name")).get(), Type::LocalName, false);
        case Prolog::Tagged: {
            const size_t n = field(2);
            std::string tag = bytes(n);
            return Value::tagged(std::move(tag), object(depth + 1));
        }
        case Prolog::Directory:
            return directory(at, depth);
        case Prolog::Xlib:
            return Value::command(commandId(at));
        case Prolog::Character:
            return Value::character(static_cast<unsigned char>(field(2)));
        case Prolog::Integer: {
            const uint64_t size = field(5);
            if (size < 7 || size - 5 > m_s.size() - pos)
                fail("an integer has a size that does not fit its digits", at);
            const size_t n = static_cast<size_t>(size - 6);
            std::string digits;
            for (size_t i = 0; i < n; ++i) {
                const int d = digit(pos + n - 1 - i);
                if (d > 9)
                    fail("an integer holds a digit that is not decimal", at);
                digits.push_back(static_cast<char>('0' + d));
            }
            pos += n;
            const int sign = digit(pos);
            pos += 1;
            if (sign != 0 && sign != 9)
                fail("an integer has a sign nibble other than 0 or 9", at);
            std::string canonical;
            parseInteger((sign == 9 ? "-" : "") + digits, canonical);
            return integerValue(std::move(canonical));
        }
        case Prolog::Array:
            return array(at);
        case Prolog::Grob:
            return grob(at);
        case Prolog::Unit: {
            Value n = object(depth + 1);
            Value u = object(depth + 1);
            if ((n.type() != Type::Real && n.type() != Type::Complex) || u.type() != Type::String ||
                u.str().empty() || field(5) != Prolog::Semi)
                fail("this calculator reads only the units it writes itself", at);
            return Value::unit(std::move(n), u.str());
        }
        default:
            break;
        }
        if (p == Wrapper48.compile || p == Wrapper49.compile) {
            const size_t save = pos;
            if (m_s.size() - pos >= 5) {
                const uint32_t next = static_cast<uint32_t>(field(5));
                if (next == Wrapper48.run || next == Wrapper49.run)
                    return Value::command(enterLineEvalCommand());
            }
            pos = save;
            return Value::command(enterLineCommand());
        }
        fail(unknownText(p), at);
    }

    static std::string unknownText(uint32_t p)
    {
        const char *kind = nullptr;
        switch (p) {
        case Prolog::SystemBinary:
            kind = "system binary";
            break;
        case Prolog::LongReal:
            kind = "extended real";
            break;
        case Prolog::LongComplex:
            kind = "extended complex";
            break;
        case Prolog::LinkedArray:
            kind = "linked array";
            break;
        case Prolog::Library:
            kind = "library";
            break;
        case Prolog::Backup:
            kind = "backup";
            break;
        case Prolog::LibraryData:
            kind = "library data";
            break;
        case Prolog::Code:
            kind = "machine code";
            break;
        case Prolog::Semi:
            return "the object ends where an object was expected";
        default:
            break;
        }
        if (kind)
            return std::string("this calculator cannot read a ") + kind + " object here";
        std::string hex;
        for (int i = 4; i >= 0; --i)
            hex.push_back(Digits[(p >> (4 * i)) & 15]);
        return "the object refers to the calculator's ROM at " + hex +
               ", which this calculator does not know";
    }

    Value sequence(uint32_t p, size_t at, uint32_t depth)
    {
        std::vector<Value> items;
        const bool algebraic = p == Prolog::Algebraic;
        for (;;) {
            if (m_s.size() - pos < 5)
                cut();
            const uint32_t q = peekProlog();
            if (q == Prolog::Semi) {
                pos += 5;
                break;
            }
            const size_t itemAt = pos;
            if (q == Prolog::SystemBinary) {
                // a count for the name (call) or arrow (locals) next to it
                pos += 5;
                const uint64_t count = field(5);
                if (!items.empty() && items.back().type() == Type::Command &&
                    items.back().commandId() == OpLocals && items.back().role() == 0) {
                    if (count == 0 || count > 255)
                        fail("a local-variable block has a bad count", itemAt);
                    items.back() = Value::command(OpLocals, static_cast<int>(count));
                    continue;
                }
                Value n = object(depth + 1);
                if (!n.isName() || count == 0 || count > 255)
                    fail("a function call in an algebraic is malformed", itemAt);
                items.push_back(n.withCallArgs(static_cast<int>(count)));
                continue;
            }
            Value v = object(depth + 1);
            if (v.type() == Type::Algebraic && !algebraic && v.items().size() == 1 &&
                v.items().front().isName() && v.items().front().callArgs() == 0)
                v = v.items().front().withQuoted(true); // 'X' inside a program or list
            items.push_back(std::move(v));
        }
        try {
            if (p == Prolog::List)
                return Value::list(std::move(items));
            if (p == Prolog::Program) {
                fixLocals(items, at);
                return Value::program(linkStructures(std::move(items)));
            }
            checkAlgebraic(items, at);
            return Value::algebraic(std::move(items));
        } catch (const CalcError &) {
            fail(p == Prolog::Program ? "a program's structure words do not nest"
                                      : "an algebraic is too deep",
                 at);
        }
    }

    Value array(size_t at)
    {
        const size_t sizeAt = pos;
        const uint64_t size = field(5);
        if (size < 15 || size - 5 > m_s.size() - pos)
            cut();
        const uint32_t elem = static_cast<uint32_t>(field(5));
        if (elem != Prolog::Real && elem != Prolog::Complex)
            fail("this calculator reads arrays of real or complex numbers only", at);
        const uint64_t nd = field(5);
        if (nd < 1 || nd > 2)
            fail("an array has " + std::to_string(nd) + " dimensions; 1 or 2 are read", at);
        std::vector<uint32_t> dims;
        uint64_t n = 1;
        for (uint64_t i = 0; i < nd; ++i) {
            dims.push_back(static_cast<uint32_t>(field(5)));
            n *= dims.back();
        }
        const size_t each = elem == Prolog::Real ? 16 : 32;
        if (n > (m_s.size() - pos) / each)
            cut();
        if (sizeAt + size != pos + n * each)
            fail("an array's size does not match its dimensions", at);
        std::vector<Value> elems;
        elems.reserve(static_cast<size_t>(n));
        for (uint64_t i = 0; i < n; ++i) {
            if (elem == Prolog::Real) {
                elems.push_back(Value::real(realBody()));
            } else {
                const Real re = realBody();
                elems.push_back(Value::complex(re, realBody()));
            }
        }
        return Value::array(std::move(dims), std::move(elems));
    }

    Value grob(size_t at)
    {
        const size_t sizeAt = pos;
        const uint64_t size = field(5);
        const uint64_t h = field(5);
        const uint64_t w = field(5);
        if (w > MaxGrobSide || h > MaxGrobSide)
            fail("a graphic is larger than this calculator takes", at);
        const uint64_t rowDigits = 2 * ((w + 7) / 8);
        const uint64_t digits = rowDigits * h;
        if (digits > m_s.size() - pos)
            cut();
        if (size != 15 + digits)
            fail("a graphic's size does not match its width and height", at);
        (void)sizeAt;
        auto *g = new GrobObj(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
        Value holder = Value::grob(g);
        for (auto &b : g->bits)
            b = static_cast<uint8_t>(field(2));
        return holder;
    }

    // An arrow without its count: the local names that follow it.
    void fixLocals(std::vector<Value> &items, size_t at)
    {
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i].type() != Type::Command || items[i].commandId() != OpLocals ||
                items[i].role() != 0)
                continue;
            size_t n = 0;
            while (i + 1 + n < items.size() && items[i + 1 + n].type() == Type::LocalName)
                ++n;
            if (i + 1 + n >= items.size() && n > 0)
                --n; // the last name is the body
            if (n == 0 || n > 255)
                fail("a local-variable block has no names", at);
            items[i] = Value::command(OpLocals, static_cast<int>(n));
        }
    }

    void checkAlgebraic(const std::vector<Value> &items, size_t at)
    {
        if (items.empty())
            fail("an algebraic is empty", at);
        int64_t depth = 0;
        for (const Value &v : items) {
            int args = 0;
            if (v.type() == Type::Command) {
                const uint16_t flags = commandInfo(v.commandId()).def.flags;
                if (!(flags & (Function | Constant)))
                    fail("an algebraic holds a command that is no function", at);
                args = commandArity(v.commandId());
            } else if (v.isName()) {
                args = v.callArgs();
            } else if (v.type() != Type::Real && v.type() != Type::Complex &&
                       v.type() != Type::Integer && v.type() != Type::Binary &&
                       v.type() != Type::String && v.type() != Type::Unit) {
                fail("an algebraic holds an object that cannot be part of it", at);
            }
            if (depth < args)
                fail("an algebraic's functions lack arguments", at);
            depth += 1 - args;
        }
    }

    Value directory(size_t at, uint32_t depth)
    {
        const uint64_t libs = field(3);
        if (libs != 0x7FF) {
            // HOME lists its attached libraries: number and two addresses each
            if (libs > 0x7FF || libs * 13 > m_s.size() - pos)
                cut();
            pos += static_cast<size_t>(libs) * 13;
        }
        const size_t lastField = pos;
        const uint64_t lastOff = field(5);
        auto *d = new DirObj;
        Value holder = Value::directory(d);
        if (lastOff == 0)
            return holder;
        const size_t lastName = lastField + static_cast<size_t>(lastOff);
        if (lastName > m_s.size())
            cut();
        std::vector<DirObj::Var> vars;
        for (;;) {
            const size_t entry = pos;
            field(5); // back link: the entries are read in order instead
            const size_t nameAt = pos;
            if (nameAt > lastName)
                fail("a directory's entries do not match its last-entry offset", at);
            const std::string n = nameText("variable name");
            if (field(2) != n.size())
                fail("a directory entry's name lengths differ", entry);
            const NameRef name = internName(n);
            for (const auto &v : vars)
                if (v.name == name)
                    fail("a directory holds the name " + n + " twice", entry);
            Value v = object(depth + 1);
            vars.push_back({name, std::move(v)});
            if (nameAt == lastName || entry == lastName)
                break;
            if (vars.size() > 0xFFFFF)
                fail("a directory is too large", at);
        }
        d->vars.assign(vars.rbegin(), vars.rend());
        return holder;
    }

private:
    std::string_view m_s;
    const DecodeOptions &m_opt;
};

int findPrivate(const char *utf8Name)
{
    // the names are written in calculator bytes: 0x8D is the arrow
    return findCommand(utf8Name);
}

} // namespace

int enterLineCommand()
{
    static const int id = findPrivate("\x8D" "ENTER");
    return id;
}

int enterLineEvalCommand()
{
    static const int id = findPrivate("\x8D" "ENTER\x8D" "EVAL");
    return id;
}

std::string encodeObject(const Value &v, const EncodeOptions &opt)
{
    Writer w(opt);
    w.object(v, false);
    return std::move(w.out);
}

DecodedObject decodeObject(std::string_view nibbles, const DecodeOptions &opt)
{
    DecodedObject r;
    Reader rd(nibbles, opt);
    try {
        r.value = rd.object(0);
        r.length = rd.pos;
    } catch (const Fault &f) {
        r.value = Value();
        r.error = f.message;
        r.errorAt = f.at;
    } catch (const CalcError &e) {
        r.value = Value();
        r.error = e.message;
        r.errorAt = rd.pos;
    }
    return r;
}

std::string writeObjectFile(const Value &v, bool hp48Series, char letter)
{
    EncodeOptions opt;
    opt.hp48Series = hp48Series;
    const std::string nib = encodeObject(v, opt);
    QByteArray out = ObjectFileSignature(hp48Series);
    out.back() = letter;
    out += NibbleTextToBytes(QByteArray::fromStdString(nib));
    return out.toStdString();
}

DecodedObject readObjectFile(std::string_view bytes)
{
    DecodedObject r;
    const QByteArray file(bytes.data(), static_cast<qsizetype>(bytes.size()));
    if (!IsObjectFile(file)) {
        r.error = "the file is not a calculator object file (it does not start with HPHP48- "
                  "or HPHP49-)";
        return r;
    }
    if (bytes.size() == 8) {
        r.error = "the object file holds no object";
        return r;
    }
    return decodeObject(ObjectFileNibbles(file).toStdString());
}

} // namespace Calc
