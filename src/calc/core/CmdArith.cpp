// Arithmetic, real functions, comparisons and logic.
#include "calc/core/CommandTable.h"

#include <algorithm>

namespace Calc {

namespace {

constexpr uint16_t F = Function;

Value cxValue(
    Engine &e, const Real &re, const RealCondition &c1, const Real &im, const RealCondition &c2)
{
    return Value::complex(e.checked(re, c1), e.checked(im, c2));
}

uint64_t mask(Engine &e, uint64_t v)
{
    const int ws = e.wordSize();
    return ws >= 64 ? v : (v & ((uint64_t(1) << ws) - 1));
}

uint64_t binOf(const Value &v)
{
    if (v.type() == Type::Binary)
        return v.asBinary();
    bool ok = false;
    const int64_t i = intPart(v.asReal()).toInt(&ok);
    return ok ? static_cast<uint64_t>(i) : 0;
}

Value realValue(Engine &e, const Real &r, const RealCondition &c)
{
    return Value::real(e.checked(r, c));
}

// ---- complex helpers -------------------------------------------------------------

Real cxAbs(Engine &e, const Cx &z)
{
    RealCondition c = RealCondition::Ok;
    const Real s = add(mul(z.re, z.re, c), mul(z.im, z.im, c), c);
    return e.checked(apply(RealFn::Sqrt, s, c), c);
}

Cx cxMul(Engine &e, const Cx &a, const Cx &b)
{
    RealCondition c = RealCondition::Ok;
    const Real re = sub(mul(a.re, b.re, c), mul(a.im, b.im, c), c);
    const Real im = add(mul(a.re, b.im, c), mul(a.im, b.re, c), c);
    return {e.checked(re, c), e.checked(im, c)};
}

Cx cxDiv(Engine &e, const Cx &a, const Cx &b)
{
    RealCondition c = RealCondition::Ok;
    const Real d = add(mul(b.re, b.re, c), mul(b.im, b.im, c), c);
    if (d.isZero()) {
        if (a.re.isZero() && a.im.isZero())
            throw CalcError(Err::UndefinedResult);
        c = RealCondition::Infinite;
        return {e.checked(Real::maxReal(), c), Real{}};
    }
    const Real re = div(add(mul(a.re, b.re, c), mul(a.im, b.im, c), c), d, c);
    const Real im = div(sub(mul(a.im, b.re, c), mul(a.re, b.im, c), c), d, c);
    return {e.checked(re, c), e.checked(im, c)};
}

Cx cxLn(Engine &e, const Cx &z)
{
    RealCondition c = RealCondition::Ok;
    const Real r = cxAbs(e, z);
    const Real re = apply(RealFn::Ln, r, c);
    const Real im = atan2(z.im, z.re, c);
    return {e.checked(re, c), e.checked(im, c)};
}

Cx cxExp(Engine &e, const Cx &z)
{
    RealCondition c = RealCondition::Ok;
    const Real m = apply(RealFn::Exp, z.re, c);
    const Real re = mul(m, apply(RealFn::Cos, z.im, c), c);
    const Real im = mul(m, apply(RealFn::Sin, z.im, c), c);
    return {e.checked(re, c), e.checked(im, c)};
}

Cx cxSqrt(Engine &e, const Cx &z)
{
    RealCondition c = RealCondition::Ok;
    if (z.im.isZero() && !z.re.isNegative())
        return {e.checked(apply(RealFn::Sqrt, z.re, c), c), Real{}};
    if (z.im.isZero())
        return {Real{}, e.checked(apply(RealFn::Sqrt, z.re.negated(), c), c)};
    const Real r = cxAbs(e, z);
    const Real two = Real::fromInt(2);
    Real re = apply(RealFn::Sqrt, div(add(r, z.re, c), two, c), c);
    Real im = apply(RealFn::Sqrt, div(sub(r, z.re, c), two, c), c);
    if (z.im.isNegative())
        im = im.negated();
    return {e.checked(re, c), e.checked(im, c)};
}

Value fromCx(const Cx &z)
{
    return Value::complex(z.re, z.im);
}

bool isNum(const Value &v)
{
    return v.type() == Type::Real || v.type() == Type::Complex;
}

} // namespace

// a op b for two objects that are not lists: numbers, binary integers,
// strings (+ only) and symbolic objects.
Value arith(Engine &e, int op, const Value &a, const Value &b)
{
    const CommonOps &o = ops();
    const Type ta = a.type();
    const Type tb = b.type();
    if (ta == Type::Array || tb == Type::Array)
        return arrayArith(e, op, a, b);
    if (ta == Type::Unit || tb == Type::Unit)
        return unitArith(e, op, a, b);
    if (ta == Type::Integer || tb == Type::Integer) {
        if (ta == Type::Integer && tb == Type::Integer && e.exactMode()) {
            Value r = integerArith(e, op, a, b);
            if (!r.isNull())
                return r;
        }
        if (a.isSymbolic() || b.isSymbolic()) {
            const Value args[2] = {a, b};
            return makeSymbolic(op, args, 2);
        }
        // a real wins, and approximate mode computes with reals
        const Value x = ta == Type::Integer ? Value::real(integerToReal(e, a)) : a;
        const Value y = tb == Type::Integer ? Value::real(integerToReal(e, b)) : b;
        return arith(e, op, x, y);
    }
    RealCondition c = RealCondition::Ok;
    if (ta == Type::Real && tb == Type::Real) {
        const Real x = a.asReal();
        const Real y = b.asReal();
        if (op == o.add)
            return realValue(e, add(x, y, c), c);
        if (op == o.sub)
            return realValue(e, sub(x, y, c), c);
        if (op == o.mul)
            return realValue(e, mul(x, y, c), c);
        if (op == o.div)
            return realValue(e, div(x, y, c), c);
        if (op == o.pow) {
            if (x.isNegative() && !y.isInteger()) {
                // a negative base with a fractional power: complex
                const Cx l = cxLn(e, {x, Real{}});
                return fromCx(cxExp(e, cxMul(e, l, {y, Real{}})));
            }
            return realValue(e, pow(x, y, c), c);
        }
    }
    if (isNum(a) && isNum(b)) {
        const Cx x = cxOf(a);
        const Cx y = cxOf(b);
        if (op == o.add)
            return cxValue(e, add(x.re, y.re, c), c, add(x.im, y.im, c), c);
        if (op == o.sub)
            return cxValue(e, sub(x.re, y.re, c), c, sub(x.im, y.im, c), c);
        if (op == o.mul)
            return fromCx(cxMul(e, x, y));
        if (op == o.div)
            return fromCx(cxDiv(e, x, y));
        if (op == o.pow) {
            if (x.re.isZero() && x.im.isZero())
                return Value::complex(Real{}, Real{});
            return fromCx(cxExp(e, cxMul(e, cxLn(e, x), y)));
        }
    }
    if ((ta == Type::Binary && (tb == Type::Binary || tb == Type::Real)) ||
        (tb == Type::Binary && ta == Type::Real)) {
        const uint64_t x = binOf(a);
        const uint64_t y = binOf(b);
        if (op == o.add)
            return Value::binary(mask(e, x + y));
        if (op == o.sub)
            return Value::binary(mask(e, x - y));
        if (op == o.mul)
            return Value::binary(mask(e, x * y));
        if (op == o.div) {
            if (y == 0)
                throw CalcError(Err::InfiniteResult);
            return Value::binary(mask(e, x / y));
        }
    }
    if (op == o.add && (ta == Type::String || tb == Type::String)) {
        const std::string l = ta == Type::String ? a.str() : e.toText(a);
        const std::string r = tb == Type::String ? b.str() : e.toText(b);
        return Value::string(l + r);
    }
    if ((a.isSymbolic() || isNum(a)) && (b.isSymbolic() || isNum(b))) {
        const Value args[2] = {a, b};
        return makeSymbolic(op, args, 2);
    }
    throw CalcError(Err::BadArgumentType);
}

Value listArith(Engine &e, int op, const Value &a, const Value &b)
{
    const bool la = a.type() == Type::List;
    const bool lb = b.type() == Type::List;
    if (!la && !lb)
        return arith(e, op, a, b);
    const size_t n = la ? a.items().size() : b.items().size();
    if (la && lb && b.items().size() != n)
        throw CalcError(Err::InvalidDimension);
    std::vector<Value> out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i)
        out.push_back(listArith(e, op, la ? a.items()[i] : a, lb ? b.items()[i] : b));
    return Value::list(std::move(out));
}

Value joinLists(Engine &e, Value &a, const Value &b)
{
    if (a.type() == Type::List && e.mayGrow(a, a.items().size())) {
        appendToList(a, b, b.type() == Type::List);
        return a;
    }
    std::vector<Value> items;
    if (a.type() == Type::List)
        items = a.items();
    else
        items.push_back(a);
    if (b.type() == Type::List)
        items.insert(items.end(), b.items().begin(), b.items().end());
    else
        items.push_back(b);
    return Value::list(std::move(items));
}

namespace {

void binaryOp(Engine &e, int op)
{
    const Value &a = e.level(2);
    const Value &b = e.level(1);
    if (a.type() == Type::List || b.type() == Type::List) {
        // + joins lists; the other operators work element by element
        Value r = op == ops().add ? joinLists(e, e.levelRef(2), b) : listArith(e, op, a, b);
        e.replace(2, std::move(r));
        return;
    }
    if (op == ops().add && a.type() == Type::String && b.type() != Type::Array &&
        e.mayGrow(a, a.str().size())) {
        // a string built one piece at a time grows in place
        if (b.type() == Type::String)
            appendToString(a, b.str());
        else
            appendToString(a, e.toText(b));
        e.drop(1);
        return;
    }
    Value r = arith(e, op, a, b);
    e.replace(2, std::move(r));
}

// One-argument real function with the calculators' domain rules; complex
// arguments go to cx when given.
void unary(Engine &e, Real (*real)(Engine &, const Real &), Cx (*cx)(Engine &, const Cx &))
{
    const Value &x = e.level(1);
    if (x.type() == Type::Real) {
        e.replace(1, Value::real(real(e, x.asReal())));
        return;
    }
    if (x.type() == Type::Complex && cx) {
        e.replace(1, fromCx(cx(e, cxOf(x))));
        return;
    }
    throw CalcError(Err::BadArgumentType);
}

Real fnReal(Engine &e, RealFn f, const Real &x)
{
    RealCondition c = RealCondition::Ok;
    const Real r = apply(f, x, c);
    return e.checked(r, c);
}

template <RealFn Fn> void simpleFn(Engine &e)
{
    unary(
        e, [](Engine &en, const Real &x) { return fnReal(en, Fn, x); }, nullptr);
}

// A real function that also takes complex arguments.
template <RealFn Fn, ComplexFn CFn> void cxOr(Engine &e)
{
    if (e.level(1).type() == Type::Complex) {
        e.replace(1, complexFunction(e, CFn, e.level(1)));
        return;
    }
    simpleFn<Fn>(e);
}

// Real functions whose argument may leave the real domain: a complex result,
// as the calculators give (LN of a negative, square root of a negative).
void lnLike(Engine &e, RealFn f, const Real &scale)
{
    const Value &x = e.level(1);
    if (x.type() == Type::Real && !x.asReal().isNegative()) {
        e.replace(1, Value::real(fnReal(e, f, x.asReal())));
        return;
    }
    if (!isNum(x))
        throw CalcError(Err::BadArgumentType);
    Cx z = cxLn(e, cxOf(x));
    if (f == RealFn::Log) {
        RealCondition c = RealCondition::Ok;
        z = {e.checked(div(z.re, scale, c), c), e.checked(div(z.im, scale, c), c)};
    }
    e.replace(1, fromCx(z));
}

void trig(Engine &e, int which)
{
    const Value &x = e.level(1);
    if (x.type() == Type::Complex) {
        const ComplexFn f = which == 0 ? ComplexFn::Sin : which == 1 ? ComplexFn::Cos : ComplexFn::Tan;
        e.replace(1, complexFunction(e, f, x));
        return;
    }
    if (x.type() != Type::Real)
        throw CalcError(Err::BadArgumentType);
    RealCondition c = RealCondition::Ok;
    const AngleMode m = e.angleMode();
    Real r;
    switch (which) {
    case 0:
        r = sinIn(x.asReal(), m, c);
        break;
    case 1:
        r = cosIn(x.asReal(), m, c);
        break;
    default:
        r = tanIn(x.asReal(), m, c);
        break;
    }
    e.replace(1, Value::real(e.checked(r, c)));
}

void arcTrig(Engine &e, RealFn f)
{
    const Value &x = e.level(1);
    const ComplexFn cf = f == RealFn::Asin ? ComplexFn::Asin
                         : f == RealFn::Acos ? ComplexFn::Acos
                                             : ComplexFn::Atan;
    if (x.type() == Type::Complex) {
        e.replace(1, complexFunction(e, cf, x));
        return;
    }
    if (x.type() != Type::Real)
        throw CalcError(Err::BadArgumentType);
    const Real v = x.asReal();
    if (f != RealFn::Atan && compare(v.absolute(), Real::fromInt(1)) > 0)
        throw CalcError(Err::BadArgumentValue);
    RealCondition c = RealCondition::Ok;
    const Real r = arcIn(f, v, e.angleMode(), c);
    e.replace(1, Value::real(e.checked(r, c)));
}

void twoReals(Engine &e, Real (*f)(Engine &, const Real &, const Real &))
{
    const Real x = realAt(e, 2);
    const Real y = realAt(e, 1);
    e.replace(2, Value::real(f(e, x, y)));
}

Real factorial(Engine &e, const Real &x)
{
    if (x.isInteger() && x.isNegative())
        return e.checked(Real::maxReal(), RealCondition::Infinite);
    return fnReal(e, RealFn::Gamma1, x);
}

Real combPerm(Engine &e, const Real &nr, const Real &kr, bool comb)
{
    bool ok1 = false;
    bool ok2 = false;
    const int64_t n = nr.toInt(&ok1);
    const int64_t k = kr.toInt(&ok2);
    if (!ok1 || !ok2 || n < 0 || k < 0 || k > n)
        throw CalcError(Err::BadArgumentValue);
    int64_t steps = comb ? std::min(k, n - k) : k;
    Real r = Real::fromInt(1);
    RealCondition c = RealCondition::Ok;
    for (int64_t i = 0; i < steps; ++i) {
        r = mul(r, Real::fromInt(n - i), c);
        if (comb)
            r = div(r, Real::fromInt(i + 1), c);
        if (c != RealCondition::Ok)
            break;
    }
    return e.checked(r, c);
}

Real hmsToHours(Engine &e, const Real &x)
{
    // H.MMSSs -> hours
    RealCondition c = RealCondition::Ok;
    const Real h = intPart(x);
    const Real f1 = mul(sub(x, h, c), Real::fromInt(100), c);
    const Real m = intPart(f1);
    const Real s = mul(sub(f1, m, c), Real::fromInt(100), c);
    Real r = add(h, div(m, Real::fromInt(60), c), c);
    r = add(r, div(s, Real::fromInt(3600), c), c);
    return e.checked(r, c);
}

Real hoursToHms(Engine &e, const Real &x)
{
    RealCondition c = RealCondition::Ok;
    const bool neg = x.isNegative();
    const Real a = x.absolute();
    const Real h = intPart(a);
    const Real mins = mul(sub(a, h, c), Real::fromInt(60), c);
    Real m = intPart(mins);
    Real s = mul(sub(mins, m, c), Real::fromInt(60), c);
    Real r = add(h, div(m, Real::fromInt(100), c), c);
    r = add(r, div(s, Real::fromInt(10000), c), c);
    r = e.checked(r, c);
    return neg ? r.negated() : r;
}

int compareValues(Engine &e, const Value &a, const Value &b)
{
    if (a.type() == Type::Unit || b.type() == Type::Unit)
        return compareUnits(e, a, b);
    if (a.type() == Type::Integer && b.type() == Type::Integer)
        return compareIntegers(a, b);
    if (a.type() == Type::Integer || b.type() == Type::Integer) {
        const Value x = a.type() == Type::Integer ? Value::real(integerToReal(e, a)) : a;
        const Value y = b.type() == Type::Integer ? Value::real(integerToReal(e, b)) : b;
        return compareValues(e, x, y);
    }
    if (a.type() == Type::Real && b.type() == Type::Real)
        return compare(a.asReal(), b.asReal());
    if (a.type() == Type::String && b.type() == Type::String) {
        const int c = a.str().compare(b.str());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if ((a.type() == Type::Binary || a.type() == Type::Real) &&
        (b.type() == Type::Binary || b.type() == Type::Real)) {
        const uint64_t x = mask(e, binOf(a));
        const uint64_t y = mask(e, binOf(b));
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    throw CalcError(Err::BadArgumentType);
}

bool equalValues(Engine &e, const Value &a, const Value &b)
{
    // units of one dimension are equal when their sizes are
    if (a.type() == Type::Unit && b.type() == Type::Unit) {
        try {
            return compareUnits(e, a, b) == 0;
        } catch (const CalcError &) {
            return false;
        }
    }
    if (a.type() == Type::Integer || b.type() == Type::Integer) {
        if (a.type() == Type::Integer && b.type() == Type::Integer)
            return compareIntegers(a, b) == 0;
        const Value x = a.type() == Type::Integer ? Value::real(integerToReal(e, a)) : a;
        const Value y = b.type() == Type::Integer ? Value::real(integerToReal(e, b)) : b;
        return equalValues(e, x, y);
    }
    if (isNum(a) && isNum(b)) {
        const Cx x = cxOf(a);
        const Cx y = cxOf(b);
        return x.re == y.re && x.im == y.im;
    }
    if ((a.type() == Type::Binary && b.type() == Type::Real) ||
        (a.type() == Type::Real && b.type() == Type::Binary))
        return binOf(a) == binOf(b);
    return same(a, b);
}

void comparison(Engine &e, int id, bool (*test)(int))
{
    const Value &a = e.level(2);
    const Value &b = e.level(1);
    if (a.isSymbolic() || b.isSymbolic()) {
        e.applySymbolic(id, 2);
        return;
    }
    const int c = compareValues(e, a, b);
    e.replace(2, truth(test(c)));
}

bool truthOf(const Value &v)
{
    if (v.type() == Type::Real)
        return !v.asReal().isZero();
    return v.asBinary() != 0;
}

void logic(Engine &e, int kind)
{
    const Value &a = e.level(2);
    const Value &b = e.level(1);
    if (a.type() == Type::Binary && b.type() == Type::Binary) {
        const uint64_t x = a.asBinary();
        const uint64_t y = b.asBinary();
        const uint64_t r = kind == 0 ? (x & y) : kind == 1 ? (x | y) : (x ^ y);
        e.replace(2, Value::binary(mask(e, r)));
        return;
    }
    if (a.type() == Type::String && b.type() == Type::String) {
        const std::string &x = a.str();
        const std::string &y = b.str();
        if (x.size() != y.size())
            throw CalcError(Err::InvalidDimension);
        std::string r(x.size(), '\0');
        for (size_t i = 0; i < x.size(); ++i)
            r[i] = static_cast<char>(kind == 0   ? (x[i] & y[i])
                                     : kind == 1 ? (x[i] | y[i])
                                                 : (x[i] ^ y[i]));
        e.replace(2, Value::string(std::move(r)));
        return;
    }
    if ((a.type() == Type::Real || a.type() == Type::Binary) &&
        (b.type() == Type::Real || b.type() == Type::Binary)) {
        const bool x = truthOf(a);
        const bool y = truthOf(b);
        e.replace(2, truth(kind == 0 ? (x && y) : kind == 1 ? (x || y) : (x != y)));
        return;
    }
    throw CalcError(Err::BadArgumentType);
}

void constant(Engine &e, const char *name, Value numeric)
{
    if (e.numericResults() || e.flag(-2)) {
        e.push(numeric);
        return;
    }
    e.push(Value::algebraic({Value::command(findCommand(name))}));
}

constexpr uint16_t ARB = AReal | ABin;
constexpr uint16_t ACR = AReal | AComplex;

const CommandDef defs[] = {
    {"+", 2, {AAny, AAny}, F | Infix, [](Engine &e) { binaryOp(e, ops().add); }, 6},
    {"-",
     2,
     {ACR | ABin | ASym | AArray | AUnit | AInt, ACR | ABin | ASym | AArray | AUnit | AInt},
     F | Infix,
     [](Engine &e) { binaryOp(e, ops().sub); },
     6,
     {{{AList, AAny}, [](Engine &e) { binaryOp(e, ops().sub); }},
      {{AAny, AList}, [](Engine &e) { binaryOp(e, ops().sub); }}}},
    {"*",
     2,
     {ACR | ABin | ASym | AArray | AUnit | AInt, ACR | ABin | ASym | AArray | AUnit | AInt},
     F | Infix,
     [](Engine &e) { binaryOp(e, ops().mul); },
     7,
     {{{AList, AAny}, [](Engine &e) { binaryOp(e, ops().mul); }},
      {{AAny, AList}, [](Engine &e) { binaryOp(e, ops().mul); }}}},
    {"/",
     2,
     {ACR | ABin | ASym | AArray | AUnit | AInt, ACR | ABin | ASym | AArray | AUnit | AInt},
     F | Infix,
     [](Engine &e) { binaryOp(e, ops().div); },
     7,
     {{{AList, AAny}, [](Engine &e) { binaryOp(e, ops().div); }},
      {{AAny, AList}, [](Engine &e) { binaryOp(e, ops().div); }}}},
    {"^",
     2,
     {ACR | ASym | AInt, ACR | ASym | AUnit | AInt},
     F | Infix,
     [](Engine &e) { binaryOp(e, ops().pow); },
     9,
     {{{AList, AAny}, [](Engine &e) { binaryOp(e, ops().pow); }},
      {{AAny, AList}, [](Engine &e) { binaryOp(e, ops().pow); }}}},
    {"NEG",
     1,
     {ACR | ABin | AArray},
     F | Prefix,
     [](Engine &e) {
         const Value &x = e.level(1);
         if (x.type() == Type::Array)
             e.replace(1, arrayUnary(e, ArrayUnary::Neg, x));
         else if (x.type() == Type::Real)
             e.replace(1, Value::real(x.asReal().negated()));
         else if (x.type() == Type::Binary)
             e.replace(1, Value::binary(mask(e, ~x.asBinary() + 1)));
         else
             e.replace(1, Value::complex(x.asComplex()->re.negated(), x.asComplex()->im.negated()));
     },
     8,
     {{{AUnit}, negOfUnit}, {{AInt}, negOfInteger}}},
    {"ABS",
     1,
     {ACR | AArray},
     F,
     [](Engine &e) {
         const Value &x = e.level(1);
         if (x.type() == Type::Array)
             e.replace(1, arrayUnary(e, ArrayUnary::Abs, x));
         else if (x.type() == Type::Real)
             e.replace(1, Value::real(x.asReal().absolute()));
         else
             e.replace(1, Value::real(cxAbs(e, cxOf(x))));
     },
     0,
     {{{AUnit}, absOfUnit}, {{AInt}, absOfInteger}}},
    {"INV",
     1,
     {ACR | AArray},
     F,
     [](Engine &e) {
         if (e.level(1).type() == Type::Array) {
             e.replace(1, arrayUnary(e, ArrayUnary::Inv, e.level(1)));
             return;
         }
         const Value one = Value::real(1);
         Value r = arith(e, ops().div, one, e.level(1));
         e.replace(1, std::move(r));
     },
     0,
     {{{AUnit}, invOfUnit}, {{AInt}, invOfInteger}}},
    {"SQ",
     1,
     {ACR | AArray},
     F,
     [](Engine &e) {
         if (e.level(1).type() == Type::Array) {
             e.replace(1, arrayUnary(e, ArrayUnary::Sq, e.level(1)));
             return;
         }
         Value r = arith(e, ops().mul, e.level(1), e.level(1));
         e.replace(1, std::move(r));
     },
     0,
     {{{AUnit}, sqOfUnit}, {{AInt}, sqOfInteger}}},
    {"√",
     1,
     {ACR},
     F | Prefix,
     [](Engine &e) {
         const Value &x = e.level(1);
         if (x.type() == Type::Real && !x.asReal().isNegative())
             e.replace(1, Value::real(fnReal(e, RealFn::Sqrt, x.asReal())));
         else
             e.replace(1, fromCx(cxSqrt(e, cxOf(x))));
     },
     11,
     {{{AUnit}, sqrtOfUnit}}},
    {"XROOT",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         // y x XROOT: the x-th root of y
         const Real y = realAt(e, 2);
         const Real x = realAt(e, 1);
         RealCondition c = RealCondition::Ok;
         if (x.isZero())
             throw CalcError(Err::UndefinedResult);
         const Real inv = div(Real::fromInt(1), x, c);
         Real r;
         if (y.isNegative()) {
             bool ok = false;
             const int64_t n = x.toInt(&ok);
             if (!ok || n % 2 == 0)
                 throw CalcError(Err::UndefinedResult);
             r = pow(y.negated(), inv, c).negated();
         } else {
             r = pow(y, inv, c);
         }
         e.replace(2, Value::real(e.checked(r, c)));
     }},
    {"MOD",
     2,
     {AReal, AReal},
     F | Infix,
     [](Engine &e) {
         twoReals(e, [](Engine &en, const Real &x, const Real &y) {
             RealCondition c = RealCondition::Ok;
             return en.checked(mod(x, y, c), c);
         });
     },
     7},
    {"IP", 1, {AReal}, F, [](Engine &e) { e.replace(1, Value::real(intPart(realAt(e, 1)))); }},
    {"FP", 1, {AReal}, F, [](Engine &e) { e.replace(1, Value::real(fracPart(realAt(e, 1)))); }},
    {"FLOOR", 1, {AReal}, F, [](Engine &e) { e.replace(1, Value::real(floorReal(realAt(e, 1)))); }},
    {"CEIL", 1, {AReal}, F, [](Engine &e) { e.replace(1, Value::real(ceilReal(realAt(e, 1)))); }},
    {"RND",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         const int64_t n = intAt(e, 1, -12, 12);
         e.replace(2, Value::real(roundReal(realAt(e, 2), static_cast<int>(n), false)));
     }},
    {"TRNC",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         const int64_t n = intAt(e, 1, -12, 12);
         e.replace(2, Value::real(roundReal(realAt(e, 2), static_cast<int>(n), true)));
     }},
    {"MIN",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         const Real x = realAt(e, 2);
         const Real y = realAt(e, 1);
         e.replace(2, Value::real(compare(x, y) <= 0 ? x : y));
     }},
    {"MAX",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         const Real x = realAt(e, 2);
         const Real y = realAt(e, 1);
         e.replace(2, Value::real(compare(x, y) >= 0 ? x : y));
     }},
    {"SIGN",
     1,
     {ACR},
     F,
     [](Engine &e) {
         const Value &x = e.level(1);
         if (x.type() == Type::Real) {
             e.replace(1, Value::real(x.asReal().sign()));
             return;
         }
         const Cx z = cxOf(x);
         const Real a = cxAbs(e, z);
         if (a.isZero()) {
             e.replace(1, Value::complex(Real{}, Real{}));
             return;
         }
         RealCondition c = RealCondition::Ok;
         e.replace(1, cxValue(e, div(z.re, a, c), c, div(z.im, a, c), c));
     }},
    {"MANT",
     1,
     {AReal},
     F,
     [](Engine &e) {
         const Real x = realAt(e, 1);
         e.replace(1, Value::real(Real{x.mant < 0 ? -x.mant : x.mant, 0}));
     }},
    {"XPON",
     1,
     {AReal},
     F,
     [](Engine &e) {
         const Real x = realAt(e, 1);
         e.replace(1, Value::real(x.isZero() ? 0 : x.exp));
     }},
    {"%",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         twoReals(e, [](Engine &en, const Real &x, const Real &y) {
             RealCondition c = RealCondition::Ok;
             return en.checked(div(mul(x, y, c), Real::fromInt(100), c), c);
         });
     }},
    {"%T",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         twoReals(e, [](Engine &en, const Real &x, const Real &y) {
             RealCondition c = RealCondition::Ok;
             return en.checked(div(mul(y, Real::fromInt(100), c), x, c), c);
         });
     }},
    {"%CH",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         twoReals(e, [](Engine &en, const Real &x, const Real &y) {
             RealCondition c = RealCondition::Ok;
             return en.checked(div(mul(sub(y, x, c), Real::fromInt(100), c), x, c), c);
         });
     }},
    {"EXP",
     1,
     {ACR},
     F,
     [](Engine &e) {
         unary(
             e, [](Engine &en, const Real &x) { return fnReal(en, RealFn::Exp, x); }, cxExp);
     }},
    {"LN", 1, {ACR}, F, [](Engine &e) { lnLike(e, RealFn::Ln, Real{}); }},
    {"LOG",
     1,
     {ACR},
     F,
     [](Engine &e) {
         RealCondition c = RealCondition::Ok;
         lnLike(e, RealFn::Log, apply(RealFn::Ln, Real::fromInt(10), c));
     }},
    {"ALOG", 1, {ACR}, F, cxOr<RealFn::Alog, ComplexFn::Alog>},
    {"EXPM", 1, {AReal}, F, simpleFn<RealFn::Expm1>},
    {"LNP1",
     1,
     {AReal},
     F,
     [](Engine &e) {
         if (compare(realAt(e, 1), Real::fromInt(-1)) < 0)
             throw CalcError(Err::UndefinedResult);
         simpleFn<RealFn::Lnp1>(e);
     }},
    {"SIN", 1, {ACR}, F, [](Engine &e) { trig(e, 0); }},
    {"COS", 1, {ACR}, F, [](Engine &e) { trig(e, 1); }},
    {"TAN", 1, {ACR}, F, [](Engine &e) { trig(e, 2); }},
    {"ASIN", 1, {ACR}, F, [](Engine &e) { arcTrig(e, RealFn::Asin); }},
    {"ACOS", 1, {ACR}, F, [](Engine &e) { arcTrig(e, RealFn::Acos); }},
    {"ATAN", 1, {ACR}, F, [](Engine &e) { arcTrig(e, RealFn::Atan); }},
    {"SINH", 1, {ACR}, F, cxOr<RealFn::Sinh, ComplexFn::Sinh>},
    {"COSH", 1, {ACR}, F, cxOr<RealFn::Cosh, ComplexFn::Cosh>},
    {"TANH", 1, {ACR}, F, cxOr<RealFn::Tanh, ComplexFn::Tanh>},
    {"ASINH", 1, {ACR}, F, cxOr<RealFn::Asinh, ComplexFn::Asinh>},
    {"ACOSH",
     1,
     {AReal},
     F,
     [](Engine &e) {
         if (compare(realAt(e, 1), Real::fromInt(1)) < 0)
             throw CalcError(Err::BadArgumentValue);
         simpleFn<RealFn::Acosh>(e);
     }},
    {"ATANH",
     1,
     {AReal},
     F,
     [](Engine &e) {
         const int c = compare(realAt(e, 1).absolute(), Real::fromInt(1));
         if (c > 0)
             throw CalcError(Err::BadArgumentValue);
         if (c == 0) {
             e.replace(1,
                       Value::real(e.checked(Real::maxReal(realAt(e, 1).isNegative()),
                                             RealCondition::Infinite)));
             return;
         }
         simpleFn<RealFn::Atanh>(e);
     }},
    {"!",
     1,
     {AReal},
     F | Postfix,
     [](Engine &e) { e.replace(1, Value::real(factorial(e, realAt(e, 1)))); },
     10,
     {{{AInt}, factOfInteger}}},
    {"COMB",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         twoReals(
             e, [](Engine &en, const Real &n, const Real &k) { return combPerm(en, n, k, true); });
     }},
    {"PERM",
     2,
     {AReal, AReal},
     F,
     [](Engine &e) {
         twoReals(
             e, [](Engine &en, const Real &n, const Real &k) { return combPerm(en, n, k, false); });
     }},
    {"RAND", 0, {}, 0, [](Engine &e) { e.push(Value::real(e.nextRandom())); }},
    {"RDZ",
     1,
     {AReal},
     0,
     [](Engine &e) {
         e.seedRandom(realAt(e, 1));
         e.drop(1);
     }},
    {"D→R",
     1,
     {AReal},
     F,
     [](Engine &e) {
         RealCondition c = RealCondition::Ok;
         const Real r = fromAngle(realAt(e, 1), AngleMode::Degrees, c);
         e.replace(1, Value::real(e.checked(r, c)));
     }},
    {"R→D",
     1,
     {AReal},
     F,
     [](Engine &e) {
         RealCondition c = RealCondition::Ok;
         const Real r = toAngle(realAt(e, 1), AngleMode::Degrees, c);
         e.replace(1, Value::real(e.checked(r, c)));
     }},
    {"→HMS",
     1,
     {AReal},
     0,
     [](Engine &e) { e.replace(1, Value::real(hoursToHms(e, realAt(e, 1)))); }},
    {"HMS→",
     1,
     {AReal},
     0,
     [](Engine &e) { e.replace(1, Value::real(hmsToHours(e, realAt(e, 1)))); }},
    {"HMS+",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         twoReals(e, [](Engine &en, const Real &x, const Real &y) {
             RealCondition c = RealCondition::Ok;
             return hoursToHms(en, en.checked(add(hmsToHours(en, x), hmsToHours(en, y), c), c));
         });
     }},
    {"HMS-",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         twoReals(e, [](Engine &en, const Real &x, const Real &y) {
             RealCondition c = RealCondition::Ok;
             return hoursToHms(en, en.checked(sub(hmsToHours(en, x), hmsToHours(en, y), c), c));
         });
     }},
    {"DEG",
     0,
     {},
     0,
     [](Engine &e) {
         e.setFlag(-17, false);
         e.setFlag(-18, false);
     }},
    {"RAD",
     0,
     {},
     0,
     [](Engine &e) {
         e.setFlag(-17, true);
         e.setFlag(-18, false);
     }},
    {"GRAD",
     0,
     {},
     0,
     [](Engine &e) {
         e.setFlag(-17, false);
         e.setFlag(-18, true);
     }},
    // comparisons and logic
    {"==",
     2,
     {AAny, AAny},
     F | Infix,
     [](Engine &e) {
         if (e.level(1).isSymbolic() || e.level(2).isSymbolic()) {
             e.applySymbolic(ops().eq, 2);
             return;
         }
         e.replace(2, truth(equalValues(e, e.level(2), e.level(1))));
     },
     5},
    {"≠",
     2,
     {AAny, AAny},
     F | Infix,
     [](Engine &e) {
         if (e.level(1).isSymbolic() || e.level(2).isSymbolic()) {
             static const int ne = findCommand("\x8B");
             e.applySymbolic(ne, 2);
             return;
         }
         e.replace(2, truth(!equalValues(e, e.level(2), e.level(1))));
     },
     5},
    {"<",
     2,
     {AAny & ~AList, AAny & ~AList},
     F | Infix,
     [](Engine &e) {
         static const int id = findCommand("<");
         comparison(e, id, [](int c) { return c < 0; });
     },
     5},
    {">",
     2,
     {AAny & ~AList, AAny & ~AList},
     F | Infix,
     [](Engine &e) {
         static const int id = findCommand(">");
         comparison(e, id, [](int c) { return c > 0; });
     },
     5},
    {"≤",
     2,
     {AAny & ~AList, AAny & ~AList},
     F | Infix,
     [](Engine &e) {
         static const int id = findCommand("\x89");
         comparison(e, id, [](int c) { return c <= 0; });
     },
     5},
    {"≥",
     2,
     {AAny & ~AList, AAny & ~AList},
     F | Infix,
     [](Engine &e) {
         static const int id = findCommand("\x8A");
         comparison(e, id, [](int c) { return c >= 0; });
     },
     5},
    {"=",
     2,
     {AAny, AAny},
     F | Infix,
     [](Engine &e) {
         const Value &a = e.level(2);
         const Value &b = e.level(1);
         if (!(a.isSymbolic() || isNum(a)) || !(b.isSymbolic() || isNum(b)))
             throw CalcError(Err::BadArgumentType);
         e.applySymbolic(ops().equation, 2);
     },
     1},
    {"SAME",
     2,
     {AAny, AAny},
     KeepTags,
     [](Engine &e) { e.replace(2, truth(same(e.level(2), e.level(1)))); }},
    {"AND", 2, {ARB | AString, ARB | AString}, F | Infix, [](Engine &e) { logic(e, 0); }, 3},
    {"OR", 2, {ARB | AString, ARB | AString}, F | Infix, [](Engine &e) { logic(e, 1); }, 2},
    {"XOR", 2, {ARB | AString, ARB | AString}, F | Infix, [](Engine &e) { logic(e, 2); }, 2},
    {"NOT",
     1,
     {ARB | AString},
     F | Prefix,
     [](Engine &e) {
         const Value &x = e.level(1);
         if (x.type() == Type::Binary)
             e.replace(1, Value::binary(mask(e, ~x.asBinary())));
         else if (x.type() == Type::String) {
             std::string s = x.str();
             for (char &ch : s)
                 ch = static_cast<char>(~ch);
             e.replace(1, Value::string(std::move(s)));
         } else
             e.replace(1, truth(x.asReal().isZero()));
     },
     4},
    // constants
    {"π", 0, {}, Constant, [](Engine &e) { constant(e, "\x87", Value::real(Real::pi())); }},
    {"e", 0, {}, Constant, [](Engine &e) { constant(e, "e", Value::real(Real::e())); }},
    {"i",
     0,
     {},
     Constant,
     [](Engine &e) { constant(e, "i", Value::complex(Real{}, Real::fromInt(1))); }},
    {"MAXR", 0, {}, Constant, [](Engine &e) { constant(e, "MAXR", Value::real(Real::maxReal())); }},
    {"MINR", 0, {}, Constant, [](Engine &e) { constant(e, "MINR", Value::real(Real::minReal())); }},
};

} // namespace

CommandGroup arithmeticCommands()
{
    return group(defs);
}

} // namespace Calc
