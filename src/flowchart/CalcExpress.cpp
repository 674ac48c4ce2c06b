#include "flowchart/CalcExpress.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

struct TCalcExpress::Node
{
    int type = End;
    QString text;       // a number's characters
    int index = -1;     // a variable's position in the name list
    int depth = 1;      // of the subtree rooted here
    std::unique_ptr<Node> left, right;
};

namespace {

using Node = TCalcExpress::Node;
using NodePtr = std::unique_ptr<Node>;

struct ParseError
{
    QString text;
};

struct CalcFault
{
    QString text;
};

const QString ErrVariable = QStringLiteral("Se esperaba un nombre de variable.");
const QString ErrFunction = QStringLiteral("Se esperaba una función.");
const QString ErrNumber = QStringLiteral("Se esperaba un número.");
const QString ErrClose = QStringLiteral("Se esperaba ')'");
const QString ErrOperator = QStringLiteral("Se esperaba un operador.");
const QString ErrBadNumber = QStringLiteral("Número erróneo en la expresión.");
const QString ErrUnknownName = QStringLiteral("Variable desconocida en la expresión.");
const QString ErrBadCharacter = QStringLiteral("Carácter no válido en la expresión.");
const QString ErrTooDeep = QStringLiteral("La expresión es demasiado compleja.");
const QString ErrEmpty = QStringLiteral("La expresión no es válida.");
const QString ErrDivZero = QStringLiteral("División por cero.");
const QString ErrOverflow = QStringLiteral("Desbordamiento en el cálculo.");
const QString ErrDomain = QStringLiteral("Operación no válida en el cálculo.");

struct Function
{
    const char *name;
    int code;
};
constexpr Function Functions[] = {
    {"cos", TCalcExpress::Cos},       {"sin", TCalcExpress::Sin},
    {"tan", TCalcExpress::Tan},       {"ctg", TCalcExpress::Ctg},
    {"abs", TCalcExpress::Abs},       {"sgn", TCalcExpress::Sgn},
    {"sqr", TCalcExpress::Sqr},       {"ln", TCalcExpress::Ln},
    {"exp", TCalcExpress::Exp},       {"arcsin", TCalcExpress::ArcSin},
    {"arccos", TCalcExpress::ArcCos}, {"arctan", TCalcExpress::ArcTan},
    {"arcctg", TCalcExpress::ArcCtg}, {"sinh", TCalcExpress::SinH},
    {"cosh", TCalcExpress::CosH},     {"tanh", TCalcExpress::TanH},
    {"ctgh", TCalcExpress::CtgH},     {"log", TCalcExpress::Log},
    {"not", TCalcExpress::Not},       {"mod", TCalcExpress::Mod},
    {"and", TCalcExpress::And},       {"or", TCalcExpress::Or},
};

bool isFunction(int type)
{
    return type >= TCalcExpress::Cos && type <= TCalcExpress::Not;
}

bool isNameStart(QChar c)
{
    return c.isLetter() || c == '_';
}

bool isNamePart(QChar c)
{
    return c.isLetterOrNumber() || c == '_';
}

NodePtr leaf(int type)
{
    auto n = std::make_unique<Node>();
    n->type = type;
    return n;
}

NodePtr combine(int type, NodePtr left, NodePtr right = nullptr)
{
    auto n = leaf(type);
    n->depth = 1 + std::max(left ? left->depth : 0, right ? right->depth : 0);
    if (n->depth > TCalcExpress::MaxTreeDepth)
        throw ParseError{ErrTooDeep};
    n->left = std::move(left);
    n->right = std::move(right);
    return n;
}

// Recursive descent over one formula: expression, term, factor, power.
class Parser
{
public:
    Parser(const QString &formula, const QStringList &names, QChar separator)
        : m_text(formula)
        , m_names(names)
        , m_sep(separator)
    {
    }

    NodePtr run()
    {
        next();
        NodePtr root = expression();
        if (m_depth != 0)
            throw ParseError{ErrClose};
        return root;
    }

private:
    QChar at(qsizetype i) const { return i < m_text.size() ? m_text[i] : QChar(); }

    void next()
    {
        const int before = m_type;
        m_type = read();
        m_prev = before;
    }

    // Reads the token at the position; m_type still holds the token before it.
    int read()
    {
        while (at(m_pos) == ' ')
            ++m_pos;
        m_tokenText.clear();
        if (m_pos >= m_text.size())
            return End;
        const QChar c = m_text[m_pos];
        switch (c.unicode()) {
        case '(': ++m_pos; return Open;
        case ')': ++m_pos; return Close;
        case '*': ++m_pos; return TCalcExpress::Times;
        case '+': ++m_pos; return TCalcExpress::Plus;
        case '/': ++m_pos; return TCalcExpress::Divide;
        case '\\': ++m_pos; return TCalcExpress::IntDiv;
        case '^': ++m_pos; return TCalcExpress::Power;
        case '=': ++m_pos; return TCalcExpress::Equal;
        case '-':
            // A minus glued to a digit at the start of an expression is part of
            // the number.
            if (at(m_pos + 1).isDigit() && (m_type == End || m_type == Open)) {
                ++m_pos;
                readNumber();
                m_tokenText.prepend('-');
                return TCalcExpress::Number;
            }
            ++m_pos;
            return TCalcExpress::Minus;
        case '<':
        case '>': {
            const QString allowed = c == '<' ? QStringLiteral("<=>") : QStringLiteral("=>");
            qsizetype end = m_pos + 1;
            while (end < m_text.size() && allowed.contains(m_text[end]))
                ++end;
            const QString op = m_text.mid(m_pos, end - m_pos);
            m_pos = end;
            if (op == "<") return TCalcExpress::Less;
            if (op == "<>") return TCalcExpress::NotEqual;
            if (op == "<=") return TCalcExpress::LessEqual;
            if (op == ">") return TCalcExpress::Greater;
            if (op == ">=") return TCalcExpress::GreaterEqual;
            throw ParseError{ErrBadCharacter};
        }
        default:
            break;
        }
        if (c.isDigit()) {
            readNumber();
            return TCalcExpress::Number;
        }
        if (isNameStart(c)) {
            qsizetype end = m_pos + 1;
            while (end < m_text.size() && isNamePart(m_text[end]))
                ++end;
            const QString name = m_text.mid(m_pos, end - m_pos);
            m_pos = end;
            for (const Function &f : Functions)
                if (name == QLatin1String(f.name))
                    return f.code;
            m_index = -1;
            for (qsizetype i = 0; i < m_names.size(); ++i)
                if (m_names[i].compare(name, Qt::CaseInsensitive) == 0) {
                    m_index = static_cast<int>(i);
                    break;
                }
            if (m_index < 0)
                throw ParseError{ErrUnknownName};
            return TCalcExpress::Variable;
        }
        throw ParseError{ErrBadCharacter};
    }

    void readNumber()
    {
        const qsizetype start = m_pos;
        auto digits = [this] {
            const qsizetype from = m_pos;
            while (at(m_pos).isDigit())
                ++m_pos;
            return m_pos > from;
        };
        digits();
        if (at(m_pos) == m_sep) {
            ++m_pos;
            if (!digits())
                throw ParseError{ErrBadNumber};
        }
        if (at(m_pos) == 'e' || at(m_pos) == 'E') {
            ++m_pos;
            if (at(m_pos) == '+' || at(m_pos) == '-')
                ++m_pos;
            if (!digits())
                throw ParseError{ErrBadNumber};
        }
        m_tokenText = m_text.mid(start, m_pos - start);
    }

    void enter()
    {
        if (++m_nesting > TCalcExpress::MaxNesting)
            throw ParseError{ErrTooDeep};
    }

    static bool isOp1(int t)
    {
        return t == TCalcExpress::Plus || t == TCalcExpress::Minus || t == TCalcExpress::Or
               || (t >= TCalcExpress::Equal && t <= TCalcExpress::GreaterEqual);
    }
    static bool isOp2(int t)
    {
        return t == TCalcExpress::Times || t == TCalcExpress::Divide || t == TCalcExpress::Mod
               || t == TCalcExpress::IntDiv || t == TCalcExpress::And;
    }

    NodePtr expression()
    {
        NodePtr node = term();
        for (;;) {
            if (isOp1(m_type)) {
                const int op = m_type;
                next();
                node = combine(op, std::move(node), term());
            } else if (m_type == End) {
                return node;
            } else if (m_type == Close) {
                --m_depth;
                return node;
            } else {
                throw ParseError{ErrOperator};
            }
        }
    }

    NodePtr term()
    {
        bool negate = false;
        if ((m_type == TCalcExpress::Plus || m_type == TCalcExpress::Minus)
            && (m_prev == End || m_prev == Open)) {
            negate = m_type == TCalcExpress::Minus;
            next();
        }
        NodePtr node = factor();
        while (isOp2(m_type)) {
            const int op = m_type;
            next();
            node = combine(op, std::move(node), factor());
        }
        return negate ? combine(TCalcExpress::Negate, std::move(node)) : std::move(node);
    }

    NodePtr factor()
    {
        NodePtr node;
        if (m_type == Open) {
            node = group();
        } else if (isFunction(m_type)) {
            const int f = m_type;
            next();
            if (m_type != Open)
                throw ParseError{ErrFunction};
            node = combine(f, group());
        } else if (m_type == TCalcExpress::Number || m_type == TCalcExpress::Variable) {
            node = operand();
        } else {
            throw ParseError{ErrVariable};
        }
        while (m_type == TCalcExpress::Power) {
            next();
            NodePtr exponent;
            if (m_type == Open) {
                next();
                if (m_type != TCalcExpress::Number && m_type != TCalcExpress::Variable)
                    throw ParseError{ErrNumber};
                exponent = operand();
                if (m_type != Close)
                    throw ParseError{ErrClose};
                next();
            } else if (m_type == TCalcExpress::Number || m_type == TCalcExpress::Variable) {
                exponent = operand();
            } else {
                throw ParseError{ErrNumber};
            }
            node = combine(TCalcExpress::Power, std::move(node), std::move(exponent));
        }
        return node;
    }

    // "(" expression ")": the current token is the "(".
    NodePtr group()
    {
        enter();
        ++m_depth;
        next();
        NodePtr inner = expression();
        if (m_type == Close)
            next();
        --m_nesting;
        return inner;
    }

    NodePtr operand()
    {
        NodePtr n = leaf(m_type);
        if (m_type == TCalcExpress::Number)
            n->text = m_tokenText;
        else
            n->index = m_index;
        next();
        return n;
    }

    static constexpr int End = TCalcExpress::End;
    static constexpr int Open = TCalcExpress::Open;
    static constexpr int Close = TCalcExpress::Close;

    const QString &m_text;
    const QStringList &m_names;
    QChar m_sep;
    qsizetype m_pos = 0;
    int m_type = End;
    int m_prev = End;
    int m_depth = 0;
    int m_nesting = 0;
    int m_index = -1;
    QString m_tokenText;
};

// ---------------------------------------------------------------- evaluation

long double finite(long double x)
{
    if (std::isnan(x))
        throw CalcFault{ErrDomain};
    if (std::isinf(x))
        throw CalcFault{ErrOverflow};
    return x;
}

// x truncated toward zero to a 64-bit integer.
int64_t truncated(long double x)
{
    const long double t = std::trunc(x);
    // 2^63 is exact in long double; anything at or beyond it does not fit.
    constexpr long double limit = 9223372036854775808.0L;
    if (!(t < limit && t >= -limit))
        throw CalcFault{ErrOverflow};
    return static_cast<int64_t>(t);
}

bool truth(long double x)
{
    return (truncated(x) & 0xFF) != 0;
}

long double divide(long double a, long double b)
{
    if (b == 0)
        throw CalcFault{ErrDivZero};
    return finite(a / b);
}

long double power(long double a, long double b)
{
    if (b == std::trunc(b) && std::fabs(b) <= 2147483647.0L) {
        long long n = static_cast<long long>(b);
        const bool reciprocal = n < 0;
        if (reciprocal)
            n = -n;
        long double result = 1, base = a;
        while (n > 0) {
            if (n & 1)
                result = finite(result * base);
            n >>= 1;
            if (n > 0)
                base = finite(base * base);
        }
        return reciprocal ? divide(1, result) : result;
    }
    if (a == 0)
        return 0;
    if (a < 0)
        throw CalcFault{ErrDomain};
    return finite(std::exp(b * std::log(a)));
}

long double eval(const Node &n, std::span<const long double> v, QChar sep)
{
    using C = TCalcExpress;
    if (n.type == C::Number) {
        long double x = 0;
        if (!C::toNumber(n.text, sep, x))
            throw CalcFault{ErrOverflow};
        return x;
    }
    if (n.type == C::Variable) {
        if (n.index < 0 || static_cast<size_t>(n.index) >= v.size())
            throw CalcFault{ErrUnknownName};
        return v[static_cast<size_t>(n.index)];
    }
    const long double a = eval(*n.left, v, sep);
    // The logical operators look at their right side only when they must.
    if (n.type == C::And)
        return truth(a) && truth(eval(*n.right, v, sep)) ? 1 : 0;
    if (n.type == C::Or)
        return truth(a) || truth(eval(*n.right, v, sep)) ? 1 : 0;
    if (!n.right) {
        switch (n.type) {
        case C::Negate: return -a;
        case C::Cos: return finite(std::cos(a));
        case C::Sin: return finite(std::sin(a));
        case C::Tan: return finite(std::tan(a));
        case C::Ctg: return divide(1, finite(std::tan(a)));
        case C::Abs: return std::fabs(a);
        case C::Sgn: return a < 0 ? -1 : a > 0 ? 1 : 0;
        case C::Sqr:
            if (a < 0)
                throw CalcFault{ErrDomain};
            return std::sqrt(a);
        case C::Ln:
        case C::Log:
            if (a < 0)
                throw CalcFault{ErrDomain};
            if (a == 0)
                throw CalcFault{ErrOverflow};
            return n.type == C::Ln ? std::log(a) : std::log10(a);
        case C::Exp: return finite(std::exp(a));
        case C::ArcSin: return finite(std::asin(a));
        case C::ArcCos: return finite(std::acos(a));
        case C::ArcTan: return std::atan(a);
        case C::ArcCtg: return std::acos(-1.0L) / 2 - std::atan(a);
        case C::SinH:
        case C::CosH:
        case C::TanH:
        case C::CtgH: {
            const long double ep = finite(std::exp(a)), em = finite(std::exp(-a));
            if (n.type == C::SinH)
                return finite((ep - em) / 2);
            if (n.type == C::CosH)
                return finite((ep + em) / 2);
            if (n.type == C::TanH)
                return divide(ep - em, finite(ep + em));
            return divide(ep + em, finite(ep - em));
        }
        case C::Not: return ((truncated(a) % 256) ^ 1) & 127;
        default: throw CalcFault{ErrEmpty};
        }
    }
    const long double b = eval(*n.right, v, sep);
    switch (n.type) {
    case C::Plus: return finite(a + b);
    case C::Minus: return finite(a - b);
    case C::Times: return finite(a * b);
    case C::Divide: return divide(a, b);
    case C::Power: return power(a, b);
    case C::Mod:
    case C::IntDiv: {
        const int64_t x = truncated(a), y = truncated(b);
        if (y == 0)
            throw CalcFault{ErrDivZero};
        if (y == -1) // the one quotient that does not fit
            return n.type == C::Mod ? 0 : -static_cast<long double>(x);
        return static_cast<long double>(n.type == C::Mod ? x % y : x / y);
    }
    case C::Equal: return a == b ? 1 : 0;
    case C::NotEqual: return a != b ? 1 : 0;
    case C::Greater: return a > b ? 1 : 0;
    case C::Less: return a < b ? 1 : 0;
    case C::LessEqual: return a <= b ? 1 : 0;
    case C::GreaterEqual: return a >= b ? 1 : 0;
    default: throw CalcFault{ErrEmpty};
    }
}

} // namespace

TCalcExpress::TCalcExpress()
    : m_separator(QLocale().decimalPoint().at(0))
{
    setFormula(QStringLiteral("0"));
}

TCalcExpress::~TCalcExpress() = default;

void TCalcExpress::setFormula(const QString &formula)
{
    m_formula = formula.toLower();
    parse();
}

void TCalcExpress::setVariables(const QStringList &names)
{
    m_variables = names;
    parse();
}

void TCalcExpress::setDecimalSeparator(QChar separator)
{
    m_separator = separator;
    parse();
}

void TCalcExpress::parse()
{
    m_root.reset();
    m_parseError.clear();
    try {
        m_root = Parser(m_formula, m_variables, m_separator).run();
    } catch (const ParseError &e) {
        m_parseError = e.text;
    }
}

TCalcExpress::Result TCalcExpress::Calculate(std::span<const long double> values) const
{
    Result r;
    if (!m_root) {
        r.error = m_parseError.isEmpty() ? ErrEmpty : m_parseError;
        return r;
    }
    try {
        r.value = finite(eval(*m_root, values, m_separator));
        if (r.value == 0)
            r.value = 0; // no negative zero
        r.ok = true;
    } catch (const CalcFault &e) {
        r.error = e.text;
    }
    return r;
}

bool TCalcExpress::toNumber(const QString &text, QChar separator, long double &value)
{
    const QString t = text.trimmed();
    QByteArray ascii;
    ascii.reserve(t.size());
    qsizetype i = 0;
    if (t.startsWith('-')) {
        ascii += '-';
        ++i;
    }
    bool digits = false, fraction = false, exponent = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            ascii += char(c.unicode());
            digits = true;
        } else if (c == separator && !fraction && !exponent && digits) {
            ascii += '.';
            fraction = true;
            if (i + 1 >= t.size() || !t[i + 1].isDigit())
                return false;
        } else if ((c == 'e' || c == 'E') && digits && !exponent) {
            ascii += 'e';
            exponent = true;
            if (i + 1 < t.size() && (t[i + 1] == '+' || t[i + 1] == '-'))
                ascii += char(t[++i].unicode());
            if (i + 1 >= t.size() || !t[i + 1].isDigit())
                return false;
        } else {
            return false;
        }
    }
    if (!digits)
        return false;
    long double x = 0;
    const auto [end, ec] = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(), x);
    if (ec != std::errc() || end != ascii.constData() + ascii.size() || !std::isfinite(x))
        return false;
    value = x;
    return true;
}
