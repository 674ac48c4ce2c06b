// Summation and integration as the 48 series computes them numerically: Σ
// adds an expression over a range of its index, ∫ integrates by Romberg's
// method to the accuracy the display format asks for. The expression runs
// as ordinary user code (a continuation per value), so it can be halted and
// interrupted like any program.
#include "calc/core/CommandTable.h"

#include <cmath>

namespace Calc {

namespace {

bool isExpression(const Value &v)
{
    return v.type() == Type::Program || v.type() == Type::Algebraic || v.isName();
}

// 'index' from to 'summand' Σ
class Summation : public Continuation
{
public:
    Summation(Value expr, const NameObj *var, Real from, Real to)
        : m_expr(std::move(expr))
        , m_var(var)
        , m_value(from)
        , m_to(to)
    {
    }
    void start(Engine &e)
    {
        m_depth = e.depth();
        e.pushContinuation(this);
        m_local = e.bindLocal(m_var, Value::real(m_value));
        m_bound = true;
        next(e);
    }
    void resume(Engine &e) override
    {
        if (e.depth() != m_depth + 1)
            throw CalcError(Err::BadArgumentValue, "\x85: the summand must leave one object");
        const Value term = e.pop();
        if (!(term.type() == Type::Real || term.type() == Type::Complex ||
              term.type() == Type::Integer || term.isSymbolic() || term.type() == Type::Unit))
            throw CalcError(Err::BadArgumentType);
        m_sum = m_sum.isNull() ? term : arith(e, ops().add, m_sum, term);
        RealCondition c = RealCondition::Ok;
        m_value = e.checked(add(m_value, Real::fromInt(1), c), c);
        next(e);
    }
    void unwind(Engine &e) override
    {
        if (m_bound)
            e.unbindLocals(m_local);
    }

private:
    void next(Engine &e)
    {
        if (compare(m_value, m_to) > 0) {
            e.unbindLocals(m_local);
            m_bound = false;
            e.popFrame();
            e.push(m_sum.isNull() ? Value::real(0) : m_sum);
            return;
        }
        if (Value *l = e.findLocal(m_var))
            *l = Value::real(m_value);
        e.scheduleEval(m_expr);
    }
    Value m_expr;
    NameRef m_var;
    Real m_value, m_to;
    Value m_sum; // none until the first term
    size_t m_depth = 0;
    uint32_t m_local = 0;
    bool m_bound = false;
};

// lower upper 'integrand' 'name' ∫: Romberg's method on the trapezoid rule,
// halving the step until two estimates agree to the display's accuracy.
class Integration : public Continuation
{
public:
    Integration(Value expr, const NameObj *var, long double a, long double b, long double tol)
        : m_expr(std::move(expr))
        , m_var(var)
        , m_a(a)
        , m_b(b)
        , m_tol(tol)
    {
    }
    void start(Engine &e)
    {
        m_depth = e.depth();
        e.pushContinuation(this);
        m_local = e.bindLocal(m_var, Value::real(0));
        m_bound = true;
        // level 0: the two ends
        m_points = {m_a, m_b};
        m_next = 0;
        m_levelSum = 0;
        evaluateNext(e);
    }
    void resume(Engine &e) override
    {
        if (e.depth() != m_depth + 1)
            throw CalcError(Err::BadArgumentValue, "\x84: the integrand must leave one number");
        const Value v = e.pop();
        if (!isRealArg(v))
            throw CalcError(Err::BadArgumentType);
        m_levelSum += extendedOf(realOfNumber(v));
        ++m_next;
        evaluateNext(e);
    }
    void unwind(Engine &e) override
    {
        if (m_bound)
            e.unbindLocals(m_local);
    }

private:
    void evaluateNext(Engine &e)
    {
        if (m_next < m_points.size()) {
            if (Value *l = e.findLocal(m_var))
                *l = Value::real(realOfExtended(e, m_points[m_next]));
            e.scheduleEval(m_expr);
            return;
        }
        levelDone(e);
    }

    void levelDone(Engine &e)
    {
        const long double h = m_b - m_a;
        const size_t k = m_rows.size();
        std::vector<long double> row(k + 1);
        if (k == 0)
            row[0] = h * m_levelSum / 2;
        else
            row[0] = m_rows[k - 1][0] / 2 + h / static_cast<long double>(1ULL << k) * m_levelSum;
        long double f = 1;
        for (size_t j = 1; j <= k; ++j) {
            f *= 4;
            row[j] = row[j - 1] + (row[j - 1] - m_rows[k - 1][j - 1]) / (f - 1);
        }
        m_rows.push_back(row);
        if (k >= 4) {
            const long double err = std::fabs(row[k] - m_rows[k - 1][k - 1]);
            if (err <= m_tol * std::max(1.0L, std::fabs(row[k])) || k >= 16) {
                finish(e, row[k], err);
                return;
            }
        }
        // the midpoints of the next level
        const size_t n = 1ULL << k;
        m_points.clear();
        for (size_t i = 0; i < n; ++i)
            m_points.push_back(m_a + h * (2 * static_cast<long double>(i) + 1) / (2 * n));
        m_next = 0;
        m_levelSum = 0;
        evaluateNext(e);
    }

    void finish(Engine &e, long double value, long double err)
    {
        e.unbindLocals(m_local);
        m_bound = false;
        e.popFrame();
        // the error estimate is left in IERR, as the 48 series does
        e.store(Value::global("IERR"), Value::real(realOfExtended(e, err)));
        e.push(Value::real(realOfExtended(e, value)));
    }

    Value m_expr;
    NameRef m_var;
    long double m_a, m_b, m_tol;
    std::vector<long double> m_points;
    std::vector<std::vector<long double>> m_rows;
    size_t m_next = 0;
    long double m_levelSum = 0;
    size_t m_depth = 0;
    uint32_t m_local = 0;
    bool m_bound = false;
};

// 'expr' 'name' guess ROOT: a root of the expression in the variable, by the
// secant method, and once a sign change is found by false position (the
// Illinois variant), as the calculators' solver does. The variable keeps
// the root.
class RootSearch : public Continuation
{
public:
    RootSearch(Value expr, Value name, long double x0, long double x1)
        : m_expr(std::move(expr))
        , m_name(std::move(name))
        , m_x0(x0)
        , m_x1(x1)
    {
    }
    void start(Engine &e)
    {
        m_depth = e.depth();
        e.pushContinuation(this);
        evaluate(e, m_x0);
    }
    void resume(Engine &e) override
    {
        if (e.depth() != m_depth + 1)
            throw CalcError(Err::BadArgumentValue, "ROOT: the expression must leave one number");
        const Value v = e.pop();
        if (!isRealArg(v))
            throw CalcError(Err::BadArgumentType);
        const long double f = extendedOf(realOfNumber(v));
        if (m_step == 0) {
            m_f0 = f;
            m_step = 1;
            if (f == 0)
                return finish(e, m_x0);
            evaluate(e, m_x1);
            return;
        }
        // f belongs to m_x2 from the second step on; the first time to m_x1
        if (m_step == 1) {
            m_f1 = f;
        } else {
            const bool bracketed = (m_f0 < 0) != (m_f1 < 0);
            if (bracketed && (f < 0) == (m_f1 < 0)) {
                // keep the far end, halve its weight (Illinois)
                m_f0 /= 2;
            } else {
                m_x0 = m_x1;
                m_f0 = m_f1;
            }
            m_x1 = m_x2;
            m_f1 = f;
        }
        ++m_step;
        if (m_f1 == 0 || std::fabs(m_x1 - m_x0) <= 1e-14L * std::max(1.0L, std::fabs(m_x1)))
            return finish(e, m_x1);
        if (m_step > 300)
            throw CalcError(Err::BadArgumentValue, "ROOT: no root found from this guess");
        if (m_f1 == m_f0)
            throw CalcError(Err::BadArgumentValue, "ROOT: the expression is constant near the guess");
        m_x2 = m_x1 - m_f1 * (m_x1 - m_x0) / (m_f1 - m_f0);
        if (!std::isfinite(m_x2))
            throw CalcError(Err::BadArgumentValue, "ROOT: no root found from this guess");
        evaluate(e, m_x2);
    }

private:
    void evaluate(Engine &e, long double x)
    {
        e.store(m_name, Value::real(realOfExtended(e, x)));
        e.scheduleEval(m_expr);
    }
    void finish(Engine &e, long double x)
    {
        const Value r = Value::real(realOfExtended(e, x));
        e.store(m_name, r);
        e.popFrame();
        e.push(r);
    }
    Value m_expr, m_name;
    long double m_x0, m_x1, m_x2 = 0, m_f0 = 0, m_f1 = 0;
    int m_step = 0;
    size_t m_depth = 0;
};

// ---- ∂: the derivative of an algebraic --------------------------------------

using Expr = std::vector<Value>; // items in evaluation order

int arity(const Value &v)
{
    if (v.type() == Type::Command)
        return commandArity(v.commandId());
    if (v.isName())
        return v.callArgs();
    return 0;
}

// The operands of the last item of e, as sub-expressions.
std::vector<Expr> operands(const Expr &e)
{
    std::vector<Expr> out;
    size_t end = e.size() - 1;
    for (int k = arity(e.back()); k > 0; --k) {
        int need = 1;
        size_t i = end;
        while (need > 0) {
            if (i == 0)
                throw CalcError(Err::InvalidSyntax);
            --i;
            need += arity(e[i]) - 1;
        }
        out.insert(out.begin(), Expr(e.begin() + static_cast<ptrdiff_t>(i),
                                     e.begin() + static_cast<ptrdiff_t>(end)));
        end = i;
    }
    return out;
}

bool isNumber(const Expr &e, long double *value = nullptr)
{
    if (e.size() != 1 || !isRealArg(e[0]))
        return false;
    if (value)
        *value = extendedOf(realOfNumber(e[0]));
    return true;
}

bool isValue(const Expr &e, long double v)
{
    long double x = 0;
    return isNumber(e, &x) && x == v;
}

Expr num(long double v)
{
    Real r;
    fromExtended(v, r);
    return {Value::real(r)};
}

int cmd(const char *name)
{
    return findCommand(name);
}

Expr apply1(int id, const Expr &a)
{
    Expr r = a;
    r.push_back(Value::command(id));
    return r;
}

// a op b, with the simplifications that keep results readable: 0 and 1
// drop out, and numbers combine.
Expr apply2(int id, const Expr &a, const Expr &b)
{
    const CommonOps &o = ops();
    long double x = 0, y = 0;
    const bool na = isNumber(a, &x), nb = isNumber(b, &y);
    if (id == o.add) {
        if (na && nb)
            return num(x + y);
        if (isValue(a, 0))
            return b;
        if (isValue(b, 0))
            return a;
    } else if (id == o.sub) {
        if (na && nb)
            return num(x - y);
        if (isValue(b, 0))
            return a;
        if (isValue(a, 0))
            return apply1(o.neg, b);
    } else if (id == o.mul) {
        if (na && nb)
            return num(x * y);
        if (isValue(a, 0) || isValue(b, 0))
            return num(0);
        if (isValue(a, 1))
            return b;
        if (isValue(b, 1))
            return a;
    } else if (id == o.div) {
        if (isValue(a, 0))
            return num(0);
        if (isValue(b, 1))
            return a;
    } else if (id == o.pow) {
        if (isValue(b, 1))
            return a;
        if (isValue(b, 0))
            return num(1);
    }
    Expr r = a;
    r.insert(r.end(), b.begin(), b.end());
    r.push_back(Value::command(id));
    return r;
}

bool mentions(const Expr &e, const NameObj *var)
{
    for (const Value &v : e)
        if (v.isName() && v.asName() == var)
            return true;
    return false;
}

Expr derivative(const Expr &e, const NameObj *var, int depth = 0)
{
    if (depth > 200)
        throw CalcError(Err::InsufficientMemory);
    if (!mentions(e, var))
        return num(0);
    const Value &top = e.back();
    if (e.size() == 1)
        return num(1); // the variable itself
    if (top.type() != Type::Command)
        throw CalcError(Err::BadArgumentValue, "\x88: a user function cannot be differentiated here");
    const CommonOps &o = ops();
    const int id = top.commandId();
    const std::vector<Expr> args = operands(e);
    auto d = [&](size_t i) { return derivative(args[i], var, depth + 1); };
    if (id == o.add || id == o.sub)
        return apply2(id, d(0), d(1));
    if (id == o.neg)
        return apply1(o.neg, d(0));
    if (id == o.mul)
        return apply2(o.add, apply2(o.mul, d(0), args[1]), apply2(o.mul, args[0], d(1)));
    if (id == o.div)
        return apply2(o.div,
                      apply2(o.sub, apply2(o.mul, d(0), args[1]), apply2(o.mul, args[0], d(1))),
                      apply2(o.pow, args[1], num(2)));
    if (id == o.pow) {
        long double n = 0;
        if (!mentions(args[1], var)) {
            // n*u^(n-1)*u'
            const Expr lower = isNumber(args[1], &n) ? num(n - 1) : apply2(o.sub, args[1], num(1));
            return apply2(o.mul, apply2(o.mul, args[1], apply2(o.pow, args[0], lower)), d(0));
        }
        // u^v * (v'*LN(u) + v*u'/u)
        return apply2(o.mul, e,
                      apply2(o.add, apply2(o.mul, d(1), apply1(cmd("LN"), args[0])),
                             apply2(o.div, apply2(o.mul, args[1], d(0)), args[0])));
    }
    const Expr du = d(0);
    const Expr &u = args[0];
    if (id == cmd("SIN"))
        return apply2(o.mul, apply1(cmd("COS"), u), du);
    if (id == cmd("COS"))
        return apply2(o.mul, apply1(o.neg, apply1(cmd("SIN"), u)), du);
    if (id == cmd("TAN"))
        return apply2(o.div, du, apply2(o.pow, apply1(cmd("COS"), u), num(2)));
    if (id == cmd("EXP"))
        return apply2(o.mul, apply1(cmd("EXP"), u), du);
    if (id == cmd("LN"))
        return apply2(o.div, du, u);
    if (id == cmd("LOG"))
        return apply2(o.div, du, apply2(o.mul, u, apply1(cmd("LN"), num(10))));
    if (id == cmd("ALOG"))
        return apply2(o.mul, apply2(o.mul, apply1(cmd("ALOG"), u), apply1(cmd("LN"), num(10))), du);
    if (id == o.sqrt)
        return apply2(o.div, du, apply2(o.mul, num(2), apply1(o.sqrt, u)));
    if (id == cmd("SQ"))
        return apply2(o.mul, apply2(o.mul, num(2), u), du);
    if (id == o.inv)
        return apply2(o.div, apply1(o.neg, du), apply2(o.pow, u, num(2)));
    if (id == cmd("ASIN") || id == cmd("ACOS")) {
        const Expr root = apply1(o.sqrt, apply2(o.sub, num(1), apply2(o.pow, u, num(2))));
        const Expr r = apply2(o.div, du, root);
        return id == cmd("ASIN") ? r : apply1(o.neg, r);
    }
    if (id == cmd("ATAN"))
        return apply2(o.div, du, apply2(o.add, num(1), apply2(o.pow, u, num(2))));
    throw CalcError(Err::BadArgumentValue,
                    "\x88: " + commandInfo(id).name + " cannot be differentiated here");
}

const CommandDef defs[] = {
    {"Σ",
     4,
     {AProgram | AAlg | AName, AReal, AReal | AName},
     NoLastArg,
     [](Engine &e) {
         // levels 3 and 4 share a kind mask: the code tells them apart
         if (!isRealArg(e.level(3)) || !e.level(4).isName())
             throw CalcError(Err::BadArgumentType);
         const Value var = e.level(4);
         const Value expr = e.level(1);
         const Real from = realAt(e, 3), to = realAt(e, 2);
         if (!isExpression(expr))
             throw CalcError(Err::BadArgumentType);
         e.drop(4);
         auto *s = new Summation(expr, var.asName(), from, to);
         Value keep = makeHeap(s, Type::Native);
         s->start(e);
     }},
    {"∫",
     4,
     {AName, AProgram | AAlg | AName, AReal},
     NoLastArg,
     [](Engine &e) {
         const Value var = e.level(1);
         const Value expr = e.level(2);
         const long double a = extendedOf(realAt(e, 4)), b = extendedOf(realAt(e, 3));
         // the accuracy of the display format: FIX 3 asks for three decimals
         const NumberFormat f = e.numberFormat();
         const long double tol =
             f.mode == DisplayMode::Std ? 1e-11L : 0.5L * std::pow(10.0L, -f.digits);
         e.drop(4);
         if (a == b) {
             e.push(Value::real(0));
             return;
         }
         auto *s = new Integration(expr, var.asName(), a, b, tol);
         Value keep = makeHeap(s, Type::Native);
         s->start(e);
     }},
    {"ROOT",
     3,
     {AReal | AList, AName, AProgram | AAlg | AName},
     NoLastArg,
     [](Engine &e) {
         Value expr = e.level(3);
         const Value name = e.level(2).withQuoted(true);
         const Value guess = e.level(1);
         // an equation is solved as left - right = 0
         if (expr.type() == Type::Algebraic && !expr.items().empty() &&
             expr.items().back().type() == Type::Command &&
             expr.items().back().commandId() == ops().equation) {
             std::vector<Value> items(expr.items().begin(), expr.items().end() - 1);
             items.push_back(Value::command(ops().sub));
             expr = Value::algebraic(std::move(items));
         }
         long double x0 = 0, x1 = 0;
         if (isRealArg(guess)) {
             x0 = extendedOf(realOfNumber(guess));
             x1 = x0 + std::max(std::fabs(x0) * 1e-3L, 1e-3L);
         } else {
             const auto &g = guess.items();
             if (g.empty() || g.size() > 2 || !isRealArg(g[0]) ||
                 (g.size() == 2 && !isRealArg(g[1])))
                 throw CalcError(Err::BadArgumentValue);
             x0 = extendedOf(realOfNumber(g[0]));
             x1 = g.size() == 2 ? extendedOf(realOfNumber(g[1]))
                                : x0 + std::max(std::fabs(x0) * 1e-3L, 1e-3L);
         }
         e.drop(3);
         auto *s = new RootSearch(expr, name, x0, x1);
         Value keep = makeHeap(s, Type::Native);
         s->start(e);
     }},
    {"∂",
     2,
     {AName, AAlg | AName | AReal},
     0,
     [](Engine &e) {
         // 'expr' 'name' ∂: the derivative (trigonometric functions as in
         // radians), which EVAL turns into a number once the name has a value
         const NameObj *var = e.level(1).asName();
         const Value &f = e.level(2);
         Expr x;
         if (f.type() == Type::Algebraic)
             x = f.items();
         else
             x = {f.isName() ? f.withQuoted(false) : f};
         const Expr r = derivative(x, var);
         e.replace(2, r.size() == 1 && !r[0].isName() ? r[0] : Value::algebraic(r));
     }},
};

} // namespace

CommandGroup calculusCommands()
{
    return group(defs);
}

} // namespace Calc
