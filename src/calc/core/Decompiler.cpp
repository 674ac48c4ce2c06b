#include "calc/core/Decompiler.h"

#include "calc/core/CommandTable.h"

#include <cmath>

namespace Calc {

namespace {

// Precedence of atoms and function calls: never parenthesised.
constexpr int AtomPrec = 100;

struct Node
{
    const Value *v;
    std::vector<int> kids;
};

class InfixPrinter
{
public:
    InfixPrinter(const std::vector<Value> &items, const TextStyle &st)
        : m_style(st)
    {
        std::vector<int> stack;
        m_nodes.reserve(items.size());
        for (const Value &v : items) {
            int args = 0;
            if (v.type() == Type::Command)
                args = commandArity(v.commandId());
            else if (v.isName() && v.callArgs() > 0)
                args = v.callArgs();
            Node n{&v, {}};
            if (static_cast<int>(stack.size()) < args)
                args = static_cast<int>(stack.size()); // malformed: show what there is
            n.kids.assign(stack.end() - args, stack.end());
            stack.resize(stack.size() - args);
            m_nodes.push_back(std::move(n));
            stack.push_back(static_cast<int>(m_nodes.size()) - 1);
        }
        m_roots = stack;
    }

    std::string text()
    {
        std::string out;
        for (size_t i = 0; i < m_roots.size(); ++i) {
            if (i)
                out += ' ';
            out += print(m_roots[i]);
        }
        return out;
    }

private:
    const TextStyle &m_style;
    std::vector<Node> m_nodes;
    std::vector<int> m_roots;

    int precOf(int i) const
    {
        const Value &v = *m_nodes[i].v;
        if (v.type() == Type::Command) {
            const CommandInfo &ci = commandInfo(v.commandId());
            if (ci.def.flags & (Infix | Prefix | Postfix))
                return ci.def.precedence;
            return AtomPrec;
        }
        if ((v.type() == Type::Real && v.asReal().isNegative()) ||
            (v.type() == Type::Integer && integerText(v)[0] == '-'))
            return commandInfo(ops().neg).def.precedence;
        return AtomPrec;
    }

    std::string atom(const Value &v)
    {
        switch (v.type()) {
        case Type::GlobalName:
        case Type::LocalName:
            return v.nameText();
        case Type::Algebraic:
            // a quoted sub-expression (QUOTE) is shown in place
            return algebraicText(v.items(), m_style);
        default:
            return decompile(v, m_style, false);
        }
    }

    std::string wrap(int child, bool paren)
    {
        std::string s = print(child);
        return paren ? "(" + s + ")" : s;
    }

    std::string print(int i)
    {
        const Node &n = m_nodes[i];
        const Value &v = *n.v;
        const char sep = m_style.number.commaMark ? ';' : ',';
        if (v.type() == Type::Command) {
            const CommandInfo &ci = commandInfo(v.commandId());
            const int p = ci.def.precedence;
            const std::string shown = v.commandId() == ops().neg ? std::string("-") : ci.name;
            const bool word = isalpha(static_cast<unsigned char>(shown[0]));
            if ((ci.def.flags & Infix) && n.kids.size() == 2) {
                std::string l = wrap(n.kids[0], precOf(n.kids[0]) < p);
                std::string r = wrap(n.kids[1], precOf(n.kids[1]) <= p);
                return word ? l + " " + ci.name + " " + r : l + ci.name + r;
            }
            if ((ci.def.flags & Prefix) && n.kids.size() == 1) {
                const bool paren =
                    ci.name.size() == 1 && static_cast<unsigned char>(ci.name[0]) == 0x83
                        ? precOf(n.kids[0]) < AtomPrec
                        : precOf(n.kids[0]) < p;
                return word ? shown + " " + wrap(n.kids[0], paren) : shown + wrap(n.kids[0], paren);
            }
            if ((ci.def.flags & Postfix) && n.kids.size() == 1)
                return wrap(n.kids[0], precOf(n.kids[0]) < AtomPrec) + ci.name;
            if (n.kids.empty())
                return ci.name;
            std::string out = ci.name + "(";
            for (size_t k = 0; k < n.kids.size(); ++k) {
                if (k)
                    out += sep;
                out += print(n.kids[k]);
            }
            return out + ")";
        }
        if (v.isName() && v.callArgs() > 0) {
            std::string out = v.nameText() + "(";
            for (size_t k = 0; k < n.kids.size(); ++k) {
                if (k)
                    out += sep;
                out += print(n.kids[k]);
            }
            return out + ")";
        }
        return atom(v);
    }
};

void appendSeq(std::string &out, const std::vector<Value> &items, const TextStyle &st)
{
    for (const Value &v : items) {
        out += ' ';
        out += decompile(v, st, false);
    }
}

// A value computed in extended precision, rounded to twelve digits (0 when
// it leaves the range: only the display uses it).
Real rounded(long double x)
{
    Real r;
    if (!fromExtended(x, r))
        return Real{};
    return r;
}

std::string complexText(const Real &re, const Real &im, const TextStyle &st)
{
    const char sep = st.number.commaMark ? ';' : ',';
    if (st.polar) {
        // (r,∠a) with the angle in the current mode, exact on the axes
        const long double x = extendedOf(re);
        const long double y = extendedOf(im);
        const long double pi = 3.141592653589793238462643383279502884L;
        long double a = std::atan2(y, x);
        if (st.angle == AngleMode::Degrees)
            a = a * 180.0L / pi;
        else if (st.angle == AngleMode::Grads)
            a = a * 200.0L / pi;
        return "(" + formatReal(rounded(std::hypot(x, y)), st.number) + sep + "\x80" +
               formatReal(rounded(a), st.number) + ")";
    }
    return "(" + formatReal(re, st.number) + sep + formatReal(im, st.number) + ")";
}

// The 48 series pads brackets with spaces, the 49 family does not:
// [ 1 2 ] and [[ 1 2 ] [ 3 4 ]] against [1. 2.] and [[1. 2.] [3. 4.]].
std::string arrayText(const ArrayObj &a, const TextStyle &st)
{
    const char *open = st.is49 ? "[" : "[ ";
    const char *close = st.is49 ? "]" : " ]";
    auto row = [&](uint32_t r) {
        std::string out = open;
        for (uint32_t c = 0; c < a.cols(); ++c) {
            if (c)
                out += ' ';
            out += decompile(a.elems[static_cast<size_t>(r) * a.cols() + c], st, false);
        }
        return out + close;
    };
    if (!a.isMatrix())
        return row(0);
    std::string out = "[";
    for (uint32_t r = 0; r < a.rows(); ++r) {
        if (r)
            out += ' ';
        out += row(r);
    }
    return out + "]";
}

} // namespace

std::string grobDataText(const GrobObj &g)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(g.bits.size() * 2);
    for (uint8_t b : g.bits) {
        out += hex[b & 15]; // the low nibble comes first in memory
        out += hex[b >> 4];
    }
    return out;
}

std::string binaryText(uint64_t v, const TextStyle &st)
{
    if (st.wordSize < 64)
        v &= (uint64_t(1) << st.wordSize) - 1;
    std::string digits;
    const int base = st.base;
    if (v == 0)
        digits = "0";
    while (v) {
        const int d = static_cast<int>(v % base);
        digits.insert(digits.begin(), static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10));
        v /= base;
    }
    const char suffix = base == 2 ? 'b' : base == 8 ? 'o' : base == 16 ? 'h' : 'd';
    return "# " + digits + suffix;
}

std::string algebraicText(const std::vector<Value> &items, const TextStyle &style)
{
    InfixPrinter p(items, style);
    return p.text();
}

std::string decompile(const Value &v, const TextStyle &st, bool topLevel)
{
    switch (v.type()) {
    case Type::Null:
    case Type::Native:
        return std::string();
    case Type::Real:
        return formatReal(v.asReal(), st.number);
    case Type::Binary:
        return binaryText(v.asBinary(), st);
    case Type::Command:
        return commandInfo(v.commandId()).name;
    case Type::Complex:
        return complexText(v.asComplex()->re, v.asComplex()->im, st);
    case Type::Array:
        return arrayText(*v.asArray(), st);
    case Type::Grob: {
        const GrobObj &g = *v.asGrob();
        std::string out = "GROB " + std::to_string(g.width) + " " + std::to_string(g.height);
        if (!g.bits.empty())
            out += " " + grobDataText(g);
        return out;
    }
    case Type::Character:
        // no typed form exists for a character object; the stack names it
        return "Character";
    case Type::Unit:
        return decompile(v.asUnit()->number, st, false) + "_" + v.asUnit()->unit;
    case Type::Integer:
        return integerText(v);
    case Type::String:
        return "\"" + v.str() + "\"";
    case Type::List: {
        std::string out = "{";
        appendSeq(out, v.items(), st);
        return out + " }";
    }
    case Type::Program: {
        std::string out = "\xAB";
        const auto &items = v.items();
        for (size_t i = 0; i < items.size(); ++i) {
            const Value &it = items[i];
            out += ' ';
            if (it.type() == Type::Command && it.commandId() == OpLocals) {
                // the arrow, its names and its body
                out += "\x8D";
                const size_t n = static_cast<size_t>(it.role());
                for (size_t k = 1; k <= n && i + k < items.size(); ++k) {
                    out += ' ';
                    out += items[i + k].nameText();
                }
                i += n;
                continue;
            }
            out += decompile(it, st, false);
        }
        return out + " \xBB";
    }
    case Type::Algebraic:
        return "'" + algebraicText(v.items(), st) + "'";
    case Type::GlobalName:
    case Type::LocalName:
        if (topLevel || v.quoted())
            return "'" + v.nameText() + "'";
        return v.nameText();
    case Type::Tagged:
        return ":" + v.asTagged()->tag + ":" + decompile(v.asTagged()->value, st, false);
    case Type::Directory: {
        std::string out = "DIR";
        for (const auto &var : v.asDir()->vars) {
            out += ' ';
            out += var.name->text;
            out += ' ';
            out += decompile(var.value, st, false);
        }
        return out + " END";
    }
    }
    return std::string();
}

} // namespace Calc
