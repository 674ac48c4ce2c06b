#include "calc/core/Compiler.h"

#include "calc/core/Commands.h"
#include "calc/core/Integer.h"
#include "calc/core/Errors.h"
#include "formats/NibbleText.h"

#include <cstring>

namespace Calc {

namespace {

constexpr unsigned char ProgOpen = 0xAB;  // «
constexpr unsigned char ProgClose = 0xBB; // »
constexpr unsigned char Arrow = 0x8D;     // →
constexpr unsigned char LessEq = 0x89;    // ≤
constexpr unsigned char GreaterEq = 0x8A; // ≥
constexpr unsigned char NotEq = 0x8B;     // ≠
constexpr unsigned char Root = 0x83;      // √
constexpr unsigned char Angle = 0x80;     // ∠

// Compiled text nests at most this deep; the compiler recurses once per level.
constexpr int MaxCompileDepth = 500;

bool isSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0;
}

bool isDelimiter(unsigned char c)
{
    return isSpace(c) || c == ProgOpen || c == ProgClose || c == '{' || c == '}' || c == '[' ||
           c == ']' || c == '"' || c == '\'' || c == '(' || c == ')';
}

// Characters that cannot appear in a name: operators and delimiters.
bool isStructureWord(std::string_view w)
{
    const int id = findCommand(w);
    return id >= 0 && id < OpFirstOrdinary;
}

bool isNameForbidden(unsigned char c)
{
    // & is a letter: the wildcard names of ↑MATCH (&A) are names
    static const char bad[] = "+-*/^=<>()[]{}\"',;:#@!";
    // The arrow is a letter of names ('A→B', '→FIB'): only the word that is
    // the arrow alone opens local variables.
    if (isSpace(c) || c == ProgOpen || c == ProgClose || c == LessEq || c == GreaterEq ||
        c == NotEq || c == Root || c == Angle)
        return true;
    return c < 128 && std::strchr(bad, static_cast<char>(c)) != nullptr;
}

CalcError syntaxError(size_t pos)
{
    CalcError e(Err::InvalidSyntax);
    e.position = static_cast<int>(pos);
    return e;
}

class Compiler
{
public:
    Compiler(std::string_view text, const CompileOptions &opt)
        : m_s(text)
        , m_opt(opt)
    {
    }

    Value compileAll()
    {
        std::vector<Value> items;
        parseSeq(0, items);
        try {
            return Value::program(linkStructures(std::move(items)));
        } catch (CalcError &e) {
            if (e.position < 0)
                e.position = static_cast<int>(m_s.size());
            throw;
        }
    }

private:
    std::string_view m_s;
    CompileOptions m_opt;
    size_t m_pos = 0;
    int m_depth = 0;
    // local names visible at this point, innermost last
    std::vector<NameRef> m_scope;
    // for FOR loops: scope size to restore at the matching NEXT/STEP;
    // -1 for START and the other openers
    std::vector<int> m_loopScopes;

    bool atEnd() const { return m_pos >= m_s.size(); }
    unsigned char cur() const { return static_cast<unsigned char>(m_s[m_pos]); }

    void skipSpace()
    {
        while (!atEnd()) {
            const unsigned char c = cur();
            if (isSpace(c)) {
                ++m_pos;
            } else if (c == '@') {
                // a comment runs to the next @ on the line or to its end
                ++m_pos;
                while (!atEnd() && cur() != '@' && cur() != '\n' && cur() != '\r')
                    ++m_pos;
                if (!atEnd() && cur() == '@')
                    ++m_pos;
            } else {
                break;
            }
        }
    }

    std::string_view peekWord() const
    {
        size_t e = m_pos;
        while (e < m_s.size() && !isDelimiter(static_cast<unsigned char>(m_s[e])))
            ++e;
        return m_s.substr(m_pos, e - m_pos);
    }

    struct DepthGuard
    {
        explicit DepthGuard(Compiler &c)
            : c(c)
        {
            if (++c.m_depth > MaxCompileDepth)
                throw syntaxError(c.m_pos);
        }
        ~DepthGuard() { --c.m_depth; }
        Compiler &c;
    };

    bool isLocal(const NameObj *n) const
    {
        for (auto it = m_scope.rbegin(); it != m_scope.rend(); ++it)
            if (*it == n)
                return true;
        return false;
    }

    // Items up to the closing byte (0: end of text).
    void parseSeq(unsigned char close, std::vector<Value> &out)
    {
        DepthGuard guard(*this);
        for (;;) {
            skipSpace();
            if (atEnd()) {
                if (close != 0)
                    throw syntaxError(m_pos);
                return;
            }
            if (close != 0 && cur() == close) {
                ++m_pos;
                return;
            }
            if (close == ProgClose && peekWord() == ">>") {
                m_pos += 2;
                return;
            }
            parseObject(out);
        }
    }

    Value parseSingle()
    {
        std::vector<Value> one;
        skipSpace();
        if (atEnd())
            throw syntaxError(m_pos);
        const size_t start = m_pos;
        parseObject(one);
        if (one.size() != 1)
            throw syntaxError(start);
        return one.front();
    }

    void parseObject(std::vector<Value> &out)
    {
        const size_t start = m_pos;
        const unsigned char c = cur();
        switch (c) {
        case ProgOpen:
            ++m_pos;
            out.push_back(parseProgramBody());
            return;
        case '{': {
            ++m_pos;
            std::vector<Value> items;
            parseSeq('}', items);
            out.push_back(Value::list(std::move(items)));
            return;
        }
        case '[':
            out.push_back(parseArray());
            return;
        case '"': {
            const size_t close = m_s.find('"', m_pos + 1);
            if (close == std::string_view::npos)
                throw syntaxError(start);
            out.push_back(Value::string(std::string(m_s.substr(m_pos + 1, close - m_pos - 1))));
            m_pos = close + 1;
            return;
        }
        case '`':
            // the 49 family also reads `A==0` as an algebraic
            if (!m_opt.is49)
                break;
            [[fallthrough]];
        case '\'': {
            const size_t close = m_s.find(static_cast<char>(c), m_pos + 1);
            if (close == std::string_view::npos)
                throw syntaxError(start);
            out.push_back(parseAlgebraicText(m_s.substr(m_pos + 1, close - m_pos - 1), m_pos + 1));
            m_pos = close + 1;
            return;
        }
        case '(':
            out.push_back(parseComplex());
            return;
        case '#':
            out.push_back(parseBinary());
            return;
        case ':': {
            const size_t close = m_s.find(':', m_pos + 1);
            if (close == std::string_view::npos)
                throw syntaxError(start);
            std::string tag(m_s.substr(m_pos + 1, close - m_pos - 1));
            m_pos = close + 1;
            DepthGuard guard(*this);
            Value v = parseSingle();
            out.push_back(Value::tagged(std::move(tag), std::move(v)));
            return;
        }
        case ProgClose:
        case '}':
        case ']':
        case ')':
            throw syntaxError(start);
        default:
            break;
        }
        const std::string_view word = peekWord();
        if (word.empty())
            throw syntaxError(start);
        m_pos += word.size();
        if (word == "<<") {
            out.push_back(parseProgramBody());
            return;
        }
        if (word == "DIR") {
            out.push_back(parseDirectory(start));
            return;
        }
        if (word == "GROB") {
            out.push_back(parseGrob(start));
            return;
        }
        if ((word.size() == 1 && static_cast<unsigned char>(word[0]) == Arrow) || word == "->") {
            parseLocalBlock(start, out);
            return;
        }
        if (isValidName(word) && !isStructureWord(word)) {
            // a local variable hides a command of the same name (FOR i ... i)
            const NameRef n = internName(word);
            if (isLocal(n)) {
                out.push_back(Value::name(n, Type::LocalName, false));
                return;
            }
        }
        const int id = findCommand(word, m_opt.is49);
        if (id >= 0) {
            out.push_back(Value::command(id));
            if (id == OpFOR) {
                skipSpace();
                const size_t at = m_pos;
                const std::string_view n = peekWord();
                if (!isValidName(n) || isStructureWord(n))
                    throw syntaxError(at);
                m_pos += n.size();
                const NameRef name = internName(n);
                m_loopScopes.push_back(static_cast<int>(m_scope.size()));
                m_scope.push_back(name);
                out.push_back(Value::name(name, Type::LocalName, false));
            } else if (id == OpSTART || id == OpIF || id == OpCASE || id == OpIFERR || id == OpDO ||
                       id == OpWHILE) {
                if (id == OpSTART)
                    m_loopScopes.push_back(-1);
            } else if ((id == OpNEXT || id == OpSTEP) && !m_loopScopes.empty()) {
                const int keep = m_loopScopes.back();
                m_loopScopes.pop_back();
                if (keep >= 0)
                    m_scope.resize(static_cast<size_t>(keep));
            }
            return;
        }
        std::string digits;
        if (m_opt.exact && parseInteger(word, digits)) {
            out.push_back(integerValue(std::move(digits)));
            return;
        }
        Real r;
        if (parseReal(std::string(word), r, m_opt.commaMark)) {
            out.push_back(Value::real(r));
            return;
        }
        const size_t bar = word.find('_');
        if (bar != std::string_view::npos && bar > 0 &&
            parseReal(std::string(word.substr(0, bar)), r, m_opt.commaMark)) {
            m_pos = start + bar + 1;
            out.push_back(Value::unit(Value::real(r), parseUnitText(start)));
            return;
        }
        if (!isValidName(word))
            throw syntaxError(start);
        const NameRef n = internName(word);
        out.push_back(Value::name(n, isLocal(n) ? Type::LocalName : Type::GlobalName, false));
    }

    Value parseProgramBody()
    {
        std::vector<Value> items;
        const size_t start = m_pos;
        const size_t scope = m_scope.size();
        const size_t loops = m_loopScopes.size();
        parseSeq(ProgClose, items);
        m_scope.resize(scope);
        m_loopScopes.resize(loops);
        try {
            return Value::program(linkStructures(std::move(items)));
        } catch (CalcError &e) {
            if (e.position < 0)
                e.position = static_cast<int>(start);
            throw;
        }
    }

    void parseLocalBlock(size_t start, std::vector<Value> &out)
    {
        std::vector<NameRef> names;
        for (;;) {
            skipSpace();
            if (atEnd())
                throw syntaxError(start);
            const unsigned char c = cur();
            if (c == ProgOpen || c == '\'' || peekWord() == "<<")
                break;
            const std::string_view n = peekWord();
            if (!isValidName(n) || isStructureWord(n))
                throw syntaxError(m_pos);
            m_pos += n.size();
            names.push_back(internName(n));
        }
        if (names.empty() || names.size() > 255)
            throw syntaxError(start);
        const size_t scope = m_scope.size();
        for (const NameRef &n : names)
            m_scope.push_back(n);
        out.push_back(Value::command(OpLocals, static_cast<int>(names.size())));
        for (const NameRef &n : names)
            out.push_back(Value::name(n, Type::LocalName, false));
        DepthGuard guard(*this);
        Value body = parseSingle();
        m_scope.resize(scope);
        if (body.type() != Type::Program && body.type() != Type::Algebraic && !body.isName() &&
            body.type() != Type::Real)
            throw syntaxError(start);
        out.push_back(body);
    }

    Value parseDirectory(size_t start)
    {
        auto *dir = new DirObj;
        Value holder = Value::directory(dir);
        for (;;) {
            skipSpace();
            if (atEnd())
                throw syntaxError(start);
            const std::string_view n = peekWord();
            if (n == "END") {
                m_pos += 3;
                break;
            }
            if (!isValidName(n) || findCommand(n, m_opt.is49) >= 0)
                throw syntaxError(m_pos);
            m_pos += n.size();
            DepthGuard guard(*this);
            Value v = parseSingle();
            const NameRef name = internName(n);
            if (auto *existing = dir->find(name))
                existing->value = v;
            else
                dir->vars.push_back({name, v});
        }
        return holder;
    }

    // [ 1 2 3 ], [[ 1 2 ] [ 3 4 ]], with reals or complex numbers; a real
    // among complex numbers becomes one.
    Value parseArray()
    {
        const size_t start = m_pos;
        DepthGuard guard(*this);
        ++m_pos; // [
        std::vector<Value> elems;
        std::vector<uint32_t> dims;
        skipSpace();
        if (!atEnd() && cur() == '[') {
            uint32_t rows = 0;
            uint32_t cols = 0;
            for (;;) {
                skipSpace();
                if (atEnd())
                    throw syntaxError(start);
                if (cur() == ']') {
                    ++m_pos;
                    break;
                }
                if (cur() != '[')
                    throw syntaxError(m_pos);
                ++m_pos;
                const size_t before = elems.size();
                parseArrayRow(elems);
                const uint32_t n = static_cast<uint32_t>(elems.size() - before);
                if (rows == 0)
                    cols = n;
                else if (n != cols)
                    throw syntaxError(start);
                ++rows;
            }
            dims = {rows, cols};
        } else {
            parseArrayRow(elems);
            dims = {static_cast<uint32_t>(elems.size())};
        }
        if (elems.empty())
            throw syntaxError(start);
        promoteToComplex(elems);
        return Value::array(std::move(dims), std::move(elems));
    }

    // Numbers up to the closing bracket.
    void parseArrayRow(std::vector<Value> &elems)
    {
        for (;;) {
            skipSpace();
            if (atEnd())
                throw syntaxError(m_pos);
            if (cur() == ']') {
                ++m_pos;
                return;
            }
            const size_t at = m_pos;
            std::vector<Value> one;
            parseObject(one);
            // arrays hold reals: an exact integer in one is taken as a real
            if (one.size() == 1 && one.front().type() == Type::Integer)
                one.front() = Value::real(integerToRealQuiet(one.front()));
            if (one.size() != 1 ||
                (one.front().type() != Type::Real && one.front().type() != Type::Complex))
                throw syntaxError(at);
            elems.push_back(std::move(one.front()));
        }
    }

    // GROB width height hex-digits, each row padded to whole bytes.
    Value parseGrob(size_t start)
    {
        auto readCount = [&]() -> uint32_t {
            skipSpace();
            const std::string_view w = peekWord();
            if (w.empty() || w.size() > 5)
                throw syntaxError(start);
            uint32_t n = 0;
            for (char ch : w) {
                if (ch < '0' || ch > '9')
                    throw syntaxError(start);
                n = n * 10 + static_cast<uint32_t>(ch - '0');
            }
            m_pos += w.size();
            if (n > MaxGrobSide)
                throw CalcError(Err::InsufficientMemory);
            return n;
        };
        const uint32_t w = readCount();
        const uint32_t h = readCount();
        auto *g = new GrobObj(w, h);
        Value holder = Value::grob(g);
        if (g->bits.empty())
            return holder;
        skipSpace();
        const std::string_view digits = peekWord();
        if (digits.size() != g->bits.size() * 2)
            throw syntaxError(start);
        auto nibble = [&](char ch) {
            const int d = HexDigitValue(ch);
            if (d < 0)
                throw syntaxError(start);
            return d;
        };
        for (size_t i = 0; i < g->bits.size(); ++i)
            g->bits[i] = static_cast<uint8_t>(nibble(digits[2 * i]) | nibble(digits[2 * i + 1]) << 4);
        m_pos += digits.size();
        return holder;
    }

    // The unit after the underscore of 9.8_m/s^2: names joined by * and /,
    // each with an optional ^power, parentheses allowed. Returns its text.
    std::string parseUnitText(size_t start)
    {
        const size_t from = m_pos;
        int depth = 0;
        while (!atEnd()) {
            const unsigned char c = cur();
            if (c == '(')
                ++depth;
            else if (c == ')') {
                if (depth == 0)
                    break;
                --depth;
            } else if (isDelimiter(c))
                break;
            ++m_pos;
        }
        const std::string_view u = m_s.substr(from, m_pos - from);
        size_t i = 0;
        if (depth != 0 || !unitExpr(u, i, 0) || i != u.size())
            throw syntaxError(start);
        return std::string(u);
    }

    static bool unitExpr(std::string_view u, size_t &i, int nesting)
    {
        if (nesting > 20 || !unitFactor(u, i, nesting))
            return false;
        while (i < u.size() && (u[i] == '*' || u[i] == '/')) {
            ++i;
            if (!unitFactor(u, i, nesting))
                return false;
        }
        return true;
    }

    static bool unitFactor(std::string_view u, size_t &i, int nesting)
    {
        if (i < u.size() && u[i] == '(') {
            ++i;
            if (!unitExpr(u, i, nesting + 1) || i >= u.size() || u[i] != ')')
                return false;
            ++i;
        } else {
            const size_t b = i;
            while (i < u.size() && !isNameForbidden(static_cast<unsigned char>(u[i])) &&
                   u[i] != '_' && !(i == b && u[i] >= '0' && u[i] <= '9'))
                ++i;
            if (i == b)
                return false;
        }
        if (i < u.size() && u[i] == '^') {
            ++i;
            if (i < u.size() && u[i] == '-')
                ++i;
            const size_t b = i;
            while (i < u.size() && ((u[i] >= '0' && u[i] <= '9') || u[i] == '.'))
                ++i;
            if (i == b)
                return false;
        }
        return true;
    }

    Value parseComplex()
    {
        const size_t start = m_pos;
        ++m_pos; // (
        const char sep = m_opt.commaMark ? ';' : ',';
        auto readPart = [&](Real &r) {
            skipSpace();
            size_t e = m_pos;
            while (e < m_s.size()) {
                const char ch = m_s[e];
                if (isSpace(static_cast<unsigned char>(ch)) || ch == sep || ch == ')')
                    break;
                ++e;
            }
            if (!parseReal(std::string(m_s.substr(m_pos, e - m_pos)), r, m_opt.commaMark))
                throw syntaxError(m_pos);
            m_pos = e;
        };
        Real re;
        Real im;
        readPart(re);
        skipSpace();
        if (!atEnd() && m_s[m_pos] == sep)
            ++m_pos;
        skipSpace();
        const bool polar = !atEnd() && cur() == Angle;
        if (polar)
            ++m_pos;
        readPart(im);
        skipSpace();
        if (atEnd() || m_s[m_pos] != ')')
            throw syntaxError(start);
        ++m_pos;
        if (polar) {
            // (r,∠a): the angle in the current angle mode
            RealCondition c = RealCondition::Ok;
            const Real x = mul(re, cosIn(im, m_opt.angle, c), c);
            const Real y = mul(re, sinIn(im, m_opt.angle, c), c);
            if (c != RealCondition::Ok)
                throw syntaxError(start);
            return Value::complex(x, y);
        }
        return Value::complex(re, im);
    }

    Value parseBinary()
    {
        const size_t start = m_pos;
        ++m_pos; // #
        while (!atEnd() && (cur() == ' ' || cur() == '\t'))
            ++m_pos;
        const std::string_view w = peekWord();
        if (w.empty())
            throw syntaxError(start);
        m_pos += w.size();
        int base = m_opt.binaryBase;
        std::string_view digits = w;
        const char last = w.back();
        auto baseOf = [](char ch) {
            switch (ch) {
            case 'b':
                return 2;
            case 'o':
                return 8;
            case 'd':
                return 10;
            case 'h':
                return 16;
            default:
                return 0;
            }
        };
        if (baseOf(last) && w.size() > 1) {
            // "# 1Bh": the suffix letter; "# Bh" would be ambiguous only in hex
            base = baseOf(last);
            digits = w.substr(0, w.size() - 1);
        }
        unsigned __int128 v = 0;
        for (char ch : digits) {
            // upper-case digits only: "# 1bh" is no binary integer
            const int d = ch >= 'a' ? -1 : HexDigitValue(ch);
            if (d < 0 || d >= base)
                throw syntaxError(start);
            v = v * base + d;
            if (v >> 64)
                v &= ~static_cast<unsigned __int128>(0) >> 64; // keeps the low 64 bits
        }
        return Value::binary(static_cast<uint64_t>(v));
    }

    // ---- algebraics -----------------------------------------------------

    struct AlgLexer
    {
        std::string_view s;
        size_t pos = 0;
        size_t base = 0; // offset of s in the whole text
        void skip()
        {
            while (pos < s.size() && isSpace(static_cast<unsigned char>(s[pos])))
                ++pos;
        }
        bool eof()
        {
            skip();
            return pos >= s.size();
        }
        unsigned char peek()
        {
            skip();
            return pos < s.size() ? static_cast<unsigned char>(s[pos]) : 0;
        }
    };

    Value parseAlgebraicText(std::string_view body, size_t offset)
    {
        AlgLexer lx{body, 0, offset};
        if (lx.eof())
            throw syntaxError(offset);
        std::vector<Value> rpn;
        DepthGuard guard(*this);
        parseExpr(lx, 0, rpn);
        if (!lx.eof())
            throw syntaxError(offset + lx.pos);
        if (rpn.size() == 1) {
            const Value &v = rpn.front();
            if (v.isName() && v.callArgs() == 0)
                return v.withQuoted(true);
            if (v.type() == Type::Real || v.type() == Type::Complex || v.type() == Type::Integer)
                return v;
        }
        return Value::algebraic(std::move(rpn));
    }

    // Binary operator at the lexer position: command id, precedence and
    // length, or id -1.
    struct BinOp
    {
        int id = -1;
        int prec = 0;
        size_t len = 0;
    };

    BinOp peekBinary(AlgLexer &lx)
    {
        BinOp op;
        const unsigned char c = lx.peek();
        if (!c)
            return op;
        std::string_view rest = lx.s.substr(lx.pos);
        std::string_view sym;
        if (rest.substr(0, 2) == "==")
            sym = rest.substr(0, 2);
        else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^' || c == '=' || c == '<' ||
                 c == '>' || c == LessEq || c == GreaterEq || c == NotEq)
            sym = rest.substr(0, 1);
        else if (!isNameForbidden(c) && !(c >= '0' && c <= '9')) {
            size_t e = 0;
            while (e < rest.size() && !isNameForbidden(static_cast<unsigned char>(rest[e])))
                ++e;
            sym = rest.substr(0, e);
        }
        if (sym.empty())
            return op;
        const int id = findCommand(sym, m_opt.is49);
        if (id < 0)
            return op;
        const CommandInfo &ci = commandInfo(id);
        if (!(ci.def.flags & Infix))
            return op;
        op.id = id;
        op.prec = ci.def.precedence;
        op.len = sym.size();
        return op;
    }

    void parseExpr(AlgLexer &lx, int minPrec, std::vector<Value> &out)
    {
        DepthGuard guard(*this);
        parseUnary(lx, out);
        for (;;) {
            const BinOp op = peekBinary(lx);
            if (op.id < 0 || op.prec < minPrec)
                return;
            lx.pos += op.len;
            parseExpr(lx, op.prec + 1, out);
            out.push_back(Value::command(op.id));
        }
    }

    void parseUnary(AlgLexer &lx, std::vector<Value> &out)
    {
        DepthGuard guard(*this);
        const unsigned char c = lx.peek();
        if (c == '-') {
            ++lx.pos;
            const size_t before = out.size();
            const int negId = ops().neg;
            parseExpr(lx, commandInfo(negId).def.precedence, out);
            if (out.size() == before + 1 && out.back().type() == Type::Real) {
                out.back() = Value::real(out.back().asReal().negated());
                return;
            }
            if (out.size() == before + 1 && out.back().type() == Type::Integer) {
                const std::string &t = integerText(out.back());
                out.back() = integerValue(t[0] == '-' ? t.substr(1) : t == "0" ? t : "-" + t);
                return;
            }
            out.push_back(Value::command(negId));
            return;
        }
        if (c == '+') {
            ++lx.pos;
            parseUnary(lx, out);
            return;
        }
        if (c == Root) {
            ++lx.pos;
            parseUnary(lx, out);
            out.push_back(Value::command(ops().sqrt));
            return;
        }
        if (lx.s.substr(lx.pos, 3) == "NOT" &&
            (lx.pos + 3 >= lx.s.size() ||
             isNameForbidden(static_cast<unsigned char>(lx.s[lx.pos + 3])))) {
            lx.pos += 3;
            const int id = findCommand("NOT");
            parseExpr(lx, commandInfo(id).def.precedence, out);
            out.push_back(Value::command(id));
            return;
        }
        parsePrimary(lx, out);
        while (lx.peek() == '!') {
            ++lx.pos;
            out.push_back(Value::command(findCommand("!")));
        }
    }

    void parsePrimary(AlgLexer &lx, std::vector<Value> &out)
    {
        const unsigned char c = lx.peek();
        const size_t at = lx.base + lx.pos;
        if (!c)
            throw syntaxError(at);
        if (c == '(') {
            ++lx.pos;
            const size_t before = out.size();
            parseExpr(lx, 0, out);
            const char sep = m_opt.commaMark ? ';' : ',';
            if (lx.peek() == static_cast<unsigned char>(sep)) {
                // a complex number written inside an algebraic
                ++lx.pos;
                parseExpr(lx, 0, out);
                for (size_t i = before; i < out.size(); ++i)
                    if (out[i].type() == Type::Integer)
                        out[i] = Value::real(integerToRealQuiet(out[i]));
                if (out.size() != before + 2 || out[before].type() != Type::Real ||
                    out[before + 1].type() != Type::Real)
                    throw syntaxError(at);
                const Value cx = Value::complex(out[before].asReal(), out[before + 1].asReal());
                out.resize(before);
                out.push_back(cx);
            }
            if (lx.peek() != ')')
                throw syntaxError(lx.base + lx.pos);
            ++lx.pos;
            return;
        }
        if ((c >= '0' && c <= '9') || c == '.' || (m_opt.commaMark && c == ',')) {
            size_t e = lx.pos;
            const char mark = m_opt.commaMark ? ',' : '.';
            while (e < lx.s.size() && ((lx.s[e] >= '0' && lx.s[e] <= '9') || lx.s[e] == mark))
                ++e;
            if (e < lx.s.size() && lx.s[e] == 'E') {
                size_t f = e + 1;
                if (f < lx.s.size() && (lx.s[f] == '-' || lx.s[f] == '+'))
                    ++f;
                if (f < lx.s.size() && lx.s[f] >= '0' && lx.s[f] <= '9') {
                    while (f < lx.s.size() && lx.s[f] >= '0' && lx.s[f] <= '9')
                        ++f;
                    e = f;
                }
            }
            std::string digits;
            if (m_opt.exact && parseInteger(lx.s.substr(lx.pos, e - lx.pos), digits)) {
                lx.pos = e;
                out.push_back(integerValue(std::move(digits)));
                return;
            }
            Real r;
            if (!parseReal(std::string(lx.s.substr(lx.pos, e - lx.pos)), r, m_opt.commaMark))
                throw syntaxError(at);
            lx.pos = e;
            out.push_back(Value::real(r));
            return;
        }
        if (isNameForbidden(c))
            throw syntaxError(at);
        size_t e = lx.pos;
        while (e < lx.s.size() && !isNameForbidden(static_cast<unsigned char>(lx.s[e])))
            ++e;
        const std::string_view word = lx.s.substr(lx.pos, e - lx.pos);
        lx.pos = e;
        const bool call = lx.peek() == '(';
        const bool local = isValidName(word) && isLocal(internName(word).get());
        const int id = local ? -1 : findCommand(word, m_opt.is49);
        if (id >= 0 && call && word == "QUOTE") {
            // QUOTE(expr): the expression kept whole, not evaluated
            std::vector<Value> inner;
            if (parseCallArgs(lx, inner) != 1)
                throw syntaxError(at);
            if (inner.size() == 1 && inner[0].isName() && inner[0].callArgs() == 0)
                out.push_back(inner[0].withQuoted(true));
            else if (inner.size() == 1)
                out.push_back(inner[0]);
            else
                out.push_back(Value::algebraic(std::move(inner)));
            out.push_back(Value::command(id));
            return;
        }
        if (id >= 0) {
            const CommandInfo &ci = commandInfo(id);
            if (ci.def.flags & Constant) {
                out.push_back(Value::command(id));
                return;
            }
            if (!(ci.def.flags & Function) || (ci.def.flags & Infix) || !call)
                throw syntaxError(at);
            const int n = parseCallArgs(lx, out);
            if (n != ci.def.argc)
                throw syntaxError(at);
            out.push_back(Value::command(id));
            return;
        }
        if (!isValidName(word))
            throw syntaxError(at);
        const NameRef n = internName(word);
        Value name = Value::name(n, isLocal(n) ? Type::LocalName : Type::GlobalName, false);
        if (call) {
            const int args = parseCallArgs(lx, out);
            if (args < 1)
                throw syntaxError(at);
            name = name.withCallArgs(args);
        }
        out.push_back(name);
    }

    int parseCallArgs(AlgLexer &lx, std::vector<Value> &out)
    {
        ++lx.pos; // (
        const char sep = m_opt.commaMark ? ';' : ',';
        if (lx.peek() == ')') {
            ++lx.pos;
            return 0;
        }
        int n = 0;
        for (;;) {
            parseExpr(lx, 0, out);
            ++n;
            const unsigned char c = lx.peek();
            if (c == static_cast<unsigned char>(sep)) {
                ++lx.pos;
                continue;
            }
            if (c == ')') {
                ++lx.pos;
                return n;
            }
            throw syntaxError(lx.base + lx.pos);
        }
    }
};

} // namespace

bool isValidName(std::string_view text)
{
    if (text.empty() || text.size() > 127)
        return false;
    const unsigned char first = static_cast<unsigned char>(text[0]);
    if ((first >= '0' && first <= '9') || first == '.')
        return false;
    for (char ch : text)
        if (isNameForbidden(static_cast<unsigned char>(ch)))
            return false;
    return true;
}

Value compileText(std::string_view text, const CompileOptions &opt)
{
    Compiler c(text, opt);
    return c.compileAll();
}

bool needsLink(const std::vector<Value> &items)
{
    for (const Value &v : items)
        if (v.type() == Type::Command && v.commandId() < OpLocals)
            return true;
    return false;
}

std::vector<Value> linkStructures(std::vector<Value> items)
{
    struct Open
    {
        int op;
        size_t at;
        size_t thenAt = SIZE_MAX;
        size_t elseAt = SIZE_MAX;
        size_t midAt = SIZE_MAX; // UNTIL or REPEAT
        bool inClause = false;
        std::vector<size_t> clauseEnds;
    };
    std::vector<Open> open;
    auto fail = [] { throw CalcError(Err::InvalidSyntax); };
    auto set = [&](size_t i, int role, size_t target) {
        items[i] = Value::command(items[i].commandId(), role, static_cast<uint32_t>(target));
    };
    for (size_t i = 0; i < items.size(); ++i) {
        const Value &v = items[i];
        if (v.type() != Type::Command)
            continue;
        const int id = v.commandId();
        if (id == OpLocals) {
            const size_t n = static_cast<size_t>(v.role());
            if (n == 0 || i + n + 1 >= items.size())
                fail();
            for (size_t k = 1; k <= n; ++k)
                if (items[i + k].type() != Type::LocalName)
                    fail();
            i += n + 1; // names and body
            continue;
        }
        if (id >= OpLocals)
            continue;
        switch (id) {
        case OpIF:
        case OpCASE:
        case OpIFERR:
        case OpDO:
        case OpWHILE:
            open.push_back(Open{id, i, SIZE_MAX, SIZE_MAX, SIZE_MAX, false, {}});
            break;
        case OpSTART:
            open.push_back(Open{id, i, SIZE_MAX, SIZE_MAX, SIZE_MAX, false, {}});
            break;
        case OpFOR:
            if (i + 1 >= items.size() || items[i + 1].type() != Type::LocalName)
                fail();
            open.push_back(Open{id, i, SIZE_MAX, SIZE_MAX, SIZE_MAX, false, {}});
            ++i;
            break;
        case OpTHEN: {
            if (open.empty())
                fail();
            Open &o = open.back();
            if ((o.op == OpIF || o.op == OpIFERR) && o.thenAt == SIZE_MAX)
                o.thenAt = i;
            else if (o.op == OpCASE && !o.inClause) {
                o.inClause = true;
                o.thenAt = i;
            } else
                fail();
            break;
        }
        case OpELSE: {
            if (open.empty())
                fail();
            Open &o = open.back();
            if ((o.op != OpIF && o.op != OpIFERR) || o.thenAt == SIZE_MAX || o.elseAt != SIZE_MAX)
                fail();
            o.elseAt = i;
            break;
        }
        case OpUNTIL:
        case OpREPEAT: {
            if (open.empty())
                fail();
            Open &o = open.back();
            if (o.op != (id == OpUNTIL ? OpDO : OpWHILE) || o.midAt != SIZE_MAX)
                fail();
            o.midAt = i;
            break;
        }
        case OpNEXT:
        case OpSTEP: {
            if (open.empty())
                fail();
            Open &o = open.back();
            if (o.op != OpSTART && o.op != OpFOR)
                fail();
            set(o.at, RoleNone, i);
            open.pop_back();
            break;
        }
        case OpEND: {
            if (open.empty())
                fail();
            Open &o = open.back();
            switch (o.op) {
            case OpIF:
                if (o.thenAt == SIZE_MAX)
                    fail();
                set(o.thenAt, RoleJumpIfFalse, o.elseAt != SIZE_MAX ? o.elseAt + 1 : i + 1);
                if (o.elseAt != SIZE_MAX)
                    set(o.elseAt, RoleJump, i + 1);
                open.pop_back();
                break;
            case OpCASE:
                if (o.inClause) {
                    set(o.thenAt, RoleJumpIfFalse, i + 1);
                    o.clauseEnds.push_back(i);
                    o.inClause = false;
                } else {
                    for (size_t e : o.clauseEnds)
                        set(e, RoleJump, i + 1);
                    open.pop_back();
                }
                break;
            case OpIFERR:
                if (o.thenAt == SIZE_MAX)
                    fail();
                set(o.at, RoleIferr, o.thenAt);
                set(o.thenAt, RoleIferrThen, o.elseAt != SIZE_MAX ? o.elseAt + 1 : i);
                if (o.elseAt != SIZE_MAX)
                    set(o.elseAt, RoleJump, i);
                open.pop_back();
                break;
            case OpDO:
                if (o.midAt == SIZE_MAX)
                    fail();
                set(i, RoleJumpIfFalse, o.at + 1);
                open.pop_back();
                break;
            case OpWHILE:
                if (o.midAt == SIZE_MAX)
                    fail();
                set(o.midAt, RoleJumpIfFalse, i + 1);
                set(i, RoleJump, o.at + 1);
                open.pop_back();
                break;
            default:
                fail();
            }
            break;
        }
        default:
            break;
        }
    }
    if (!open.empty())
        fail();
    return items;
}

} // namespace Calc
