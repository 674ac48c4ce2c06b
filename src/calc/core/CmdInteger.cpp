// Integer arithmetic of the 49 family (IQUOT IREMAINDER IDIV2 GCD LCM, the
// primes, FACTORS, R→I I→R) and the fraction commands FXND, →Q and →Qπ,
// with the overloads of NEG ABS SQ INV and ! for exact integers. They take
// exact integers and integral reals; the arithmetic runs on GMP, and the
// result is exact when an argument was (in exact mode), else a real.
#include "calc/core/CommandTable.h"

#include <gmp.h>

#include <cmath>
#include <string>

namespace Calc {

namespace {

// An mpz_t that frees itself.
class Z
{
public:
    Z() { mpz_init(v); }
    ~Z() { mpz_clear(v); }
    Z(const Z &) = delete;
    Z &operator=(const Z &) = delete;
    mpz_t v;
};

// An integral real as an exact integer; anything else is "Bad Argument Value".
void integerOf(const Real &r, Z &out)
{
    if (!r.isInteger())
        throw CalcError(Err::BadArgumentValue);
    // value = mant * 10^(exp - 11)
    mpz_set_si(out.v, r.mant);
    const int shift = r.exp - 11;
    Z p;
    if (shift >= 0) {
        mpz_ui_pow_ui(p.v, 10, static_cast<unsigned long>(shift));
        mpz_mul(out.v, out.v, p.v);
    } else {
        mpz_ui_pow_ui(p.v, 10, static_cast<unsigned long>(-shift));
        mpz_tdiv_q(out.v, out.v, p.v);
    }
}

// An exact integer as the nearest real (twelve digits, the range rules).
Real realOf(Engine &e, const mpz_t z)
{
    char *s = mpz_get_str(nullptr, 10, z);
    std::string text(s);
    void (*freeFn)(void *, size_t);
    mp_get_memory_functions(nullptr, nullptr, &freeFn);
    freeFn(s, text.size() + 1);
    Real r;
    parseReal(text, r);
    // a result of more than 499 digits saturates in parseReal: an overflow
    if (text.size() > 500 + (text[0] == '-'))
        return e.checked(Real::maxReal(text[0] == '-'), RealCondition::Overflow);
    return r;
}

void integerAt(Engine &e, size_t level, Z &out)
{
    const Value &v = e.level(level);
    if (v.type() == Type::Integer)
        mpz_set_str(out.v, integerText(v).c_str(), 10);
    else
        integerOf(realAt(e, level), out);
}

std::string textOf(const mpz_t z)
{
    std::string s(mpz_sizeinbase(z, 10) + 2, '\0');
    mpz_get_str(s.data(), 10, z);
    s.resize(std::char_traits<char>::length(s.c_str()));
    return s;
}

// Whether the results of the command running are exact: an argument among
// the top n levels is an exact integer and exact mode is on.
bool exactResult(Engine &e, size_t n)
{
    if (!e.exactMode())
        return false;
    for (size_t i = 1; i <= n && i <= e.depth(); ++i)
        if (e.level(i).type() == Type::Integer)
            return true;
    return false;
}

thread_local bool t_exact = false;

Value intValue(Engine &e, const mpz_t z)
{
    if (t_exact)
        return integerValue(textOf(z));
    return Value::real(realOf(e, z));
}


// The divisions of a by b truncated toward zero, as the calculators'
// integer commands divide.
void divide(Engine &e, Z &q, Z &r)
{
    Z a, b;
    integerAt(e, 2, a);
    integerAt(e, 1, b);
    if (mpz_sgn(b.v) == 0)
        throw CalcError(Err::InfiniteResult);
    mpz_tdiv_qr(q.v, r.v, a.v, b.v);
}

// Smallest prime greater than n (n may be negative: 2).
void nextPrime(mpz_t out, const mpz_t n)
{
    if (mpz_cmp_si(n, 2) < 0) {
        mpz_set_si(out, 2);
        return;
    }
    mpz_nextprime(out, n);
}

// ---- →Q: the fraction the display precision cannot tell from x -------------

struct Fraction
{
    Z num, den;
};

// Continued fraction convergents of x until p/q equals x to 12 digits.
bool fractionOf(const Real &x, Fraction &f)
{
    const long double target = extendedOf(x);
    long double rest = std::fabs(target);
    Z h0, h1, k0, k1, a, t;
    mpz_set_ui(h0.v, 0);
    mpz_set_ui(h1.v, 1);
    mpz_set_ui(k0.v, 1);
    mpz_set_ui(k1.v, 0);
    for (int i = 0; i < 40; ++i) {
        const long double fl = std::floor(rest);
        if (fl > 1e18L)
            return false;
        mpz_set_d(a.v, static_cast<double>(fl));
        // h = a*h1 + h0, k = a*k1 + k0
        mpz_mul(t.v, a.v, h1.v);
        mpz_add(t.v, t.v, h0.v);
        mpz_swap(h0.v, h1.v);
        mpz_swap(h1.v, t.v);
        mpz_mul(t.v, a.v, k1.v);
        mpz_add(t.v, t.v, k0.v);
        mpz_swap(k0.v, k1.v);
        mpz_swap(k1.v, t.v);
        // close enough once the quotient rounds to the same twelve digits
        // the display cannot tell apart numbers that differ in the twelfth
        // digit: close enough
        const long double approx = mpz_get_d(h1.v) / mpz_get_d(k1.v);
        if (std::fabs(approx - std::fabs(target)) <= 5e-12L * std::fabs(target))
            break;
        const long double frac = rest - fl;
        if (frac < 1e-30L)
            break;
        rest = 1 / frac;
    }
    mpz_set(f.num.v, h1.v);
    if (target < 0)
        mpz_neg(f.num.v, f.num.v);
    mpz_set(f.den.v, k1.v);
    return true;
}

// 'n/d' as an algebraic (or n alone when d is 1); with tail (π): 'n*π/d',
// the factors of one left out as the calculators write them.
Value fractionValue(Engine &e, const Fraction &f, const Value *tail)
{
    const Value n = intValue(e, f.num.v);
    std::vector<Value> items;
    const bool one = mpz_cmp_ui(f.num.v, 1) == 0;
    if (!tail || !one)
        items.push_back(n);
    if (tail) {
        items.push_back(*tail);
        if (!one)
            items.push_back(Value::command(ops().mul));
    }
    if (mpz_cmp_ui(f.den.v, 1) != 0) {
        items.push_back(intValue(e, f.den.v));
        items.push_back(Value::command(ops().div));
    }
    if (items.size() == 1 && !tail)
        return n;
    return Value::algebraic(std::move(items));
}

const CommandDef defs[] = {
    {"IQUOT",
     2,
     {AReal | AInt, AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 2);
         Z q, r;
         divide(e, q, r);
         e.replace(2, intValue(e, q.v));
     }},
    {"IREMAINDER",
     2,
     {AReal | AInt, AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 2);
         Z q, r;
         divide(e, q, r);
         e.replace(2, intValue(e, r.v));
     }},
    {"IDIV2",
     2,
     {AReal | AInt, AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 2);
         Z q, r;
         divide(e, q, r);
         const Value vq = intValue(e, q.v);
         const Value vr = intValue(e, r.v);
         e.drop(2);
         e.push(vq);
         e.push(vr);
     }},
    {"GCD",
     2,
     {AReal | AInt, AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 2);
         Z a, b, g;
         integerAt(e, 2, a);
         integerAt(e, 1, b);
         mpz_gcd(g.v, a.v, b.v);
         e.replace(2, intValue(e, g.v));
     }},
    {"LCM",
     2,
     {AReal | AInt, AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 2);
         Z a, b, l;
         integerAt(e, 2, a);
         integerAt(e, 1, b);
         mpz_lcm(l.v, a.v, b.v);
         e.replace(2, intValue(e, l.v));
     }},
    {"ISPRIME?",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 1);
         Z n;
         integerAt(e, 1, n);
         mpz_abs(n.v, n.v);
         e.replace(1, truth(mpz_probab_prime_p(n.v, 30) > 0));
     }},
    {"NEXTPRIME",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 1);
         Z n, p;
         integerAt(e, 1, n);
         nextPrime(p.v, n.v);
         e.replace(1, intValue(e, p.v));
     }},
    {"PREVPRIME",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 1);
         Z n;
         integerAt(e, 1, n);
         if (mpz_cmp_ui(n.v, 2) <= 0)
             throw CalcError(Err::BadArgumentValue); // no prime below 2
         do
             mpz_sub_ui(n.v, n.v, 1);
         while (mpz_probab_prime_p(n.v, 30) == 0);
         e.replace(1, intValue(e, n.v));
     }},
    {"FACTORS",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         t_exact = exactResult(e, 1);
         // { prime multiplicity ... } from the smallest prime up
         Z n, p, q;
         integerAt(e, 1, n);
         mpz_abs(n.v, n.v);
         std::vector<Value> out;
         mpz_set_ui(p.v, 2);
         auto addFactor = [&](const mpz_t prime, long count) {
             out.push_back(intValue(e, prime));
             out.push_back(t_exact ? integerValue(count) : Value::real(count));
         };
         while (mpz_cmp_ui(n.v, 1) > 0) {
             // trial division up to the square root, then what is left is prime
             mpz_mul(q.v, p.v, p.v);
             if (mpz_cmp(q.v, n.v) > 0 || mpz_probab_prime_p(n.v, 30) > 0) {
                 addFactor(n.v, 1);
                 break;
             }
             long count = 0;
             while (mpz_divisible_p(n.v, p.v)) {
                 mpz_divexact(n.v, n.v, p.v);
                 ++count;
             }
             if (count > 0)
                 addFactor(p.v, count);
             // trial division finds every factor below 10^7 quickly; a
             // number with two larger prime factors is beyond this search
             if (mpz_cmp_ui(p.v, 10000000) > 0)
                 throw CalcError(Err::BadArgumentValue,
                                 "FACTORS: this number has two prime factors above 10^7, "
                                 "too large to find by trial division");
             mpz_nextprime(p.v, p.v);
         }
         e.replace(1, Value::list(std::move(out)));
     }},
    {"FXND",
     1,
     {AReal | AAlg | AInt},
     Only49,
     [](Engine &e) {
         // 'n/d' gives n and d; anything else is its own numerator over 1
         const Value v = e.level(1);
         const int div = ops().div;
         if (v.type() == Type::Algebraic) {
             const auto &it = v.items();
             if (it.size() == 3 && it[2].type() == Type::Command && it[2].commandId() == div) {
                 const Value n = it[0];
                 const Value d = it[1];
                 e.drop(1);
                 e.push(n);
                 e.push(d);
                 return;
             }
         }
         e.push(e.level(1).type() == Type::Integer ? integerValue(1) : Value::real(1));
     }},
    {"→Q",
     1,
     {AReal},
     0,
     [](Engine &e) {
         t_exact = e.exactMode();
         Fraction f;
         if (!fractionOf(realAt(e, 1), f))
             return; // too large to be anything but itself
         e.replace(1, fractionValue(e, f, nullptr));
     }},
    {"→Qπ",
     1,
     {AReal},
     0,
     [](Engine &e) {
         t_exact = e.exactMode();
         // the simpler of x and x/π as a fraction
         const Real x = realAt(e, 1);
         RealCondition c = RealCondition::Ok;
         const Real overPi = div(x, Real::pi(), c);
         Fraction plain, withPi;
         const bool a = fractionOf(x, plain);
         const bool b = fractionOf(overPi, withPi);
         if (b && (!a || mpz_cmp(withPi.den.v, plain.den.v) < 0)) {
             const Value pi = Value::algebraic({Value::command(findCommand("\x87"))});
             e.replace(1, fractionValue(e, withPi, &pi.items().front()));
         } else if (a) {
             e.replace(1, fractionValue(e, plain, nullptr));
         }
     }},
    {"R→I",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         // an integral real becomes the exact integer
         if (e.level(1).type() == Type::Integer)
             return;
         Z n;
         integerAt(e, 1, n);
         e.replace(1, integerValue(textOf(n.v)));
     }},
    {"I→R",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         if (e.level(1).type() == Type::Integer)
             e.replace(1, Value::real(integerToReal(e, e.level(1))));
     }},
    {"XNUM",
     1,
     {AAny},
     Only49,
     [](Engine &e) { commandInfo(findCommand("\x8DNUM")).def.fn(e); }},
    {"XQ",
     1,
     {AReal},
     Only49,
     [](Engine &e) { commandInfo(findCommand("\x8DQ")).def.fn(e); }},
    {"GAMMA",
     1,
     {AReal | AInt},
     Function | Only49,
     [](Engine &e) {
         // Γ(x) = (x-1)!
         RealCondition c = RealCondition::Ok;
         const Real x = e.level(1).type() == Type::Integer ? integerToReal(e, e.level(1)) : realAt(e, 1);
         const Real xm1 = sub(x, Real::fromInt(1), c);
         if (xm1.isInteger() && xm1.isNegative())
             throw CalcError(Err::InfiniteResult);
         const Real r = apply(RealFn::Gamma1, xm1, c);
         e.replace(1, Value::real(e.checked(r, c)));
     }},
    {"DIVIS",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         // every divisor, from 1 up
         t_exact = exactResult(e, 1);
         Z n;
         integerAt(e, 1, n);
         mpz_abs(n.v, n.v);
         if (mpz_sgn(n.v) == 0)
             throw CalcError(Err::BadArgumentValue);
         if (mpz_cmp_ui(n.v, 1000000000000000ULL) > 0)
             throw CalcError(Err::BadArgumentValue, "DIVIS: numbers above 10^15 are too large here");
         const uint64_t v = mpz_get_ui(n.v);
         std::vector<uint64_t> low, high;
         for (uint64_t d = 1; d * d <= v; ++d)
             if (v % d == 0) {
                 low.push_back(d);
                 if (d * d != v)
                     high.push_back(v / d);
             }
         std::vector<Value> out;
         Z d;
         for (uint64_t x : low) {
             mpz_set_ui(d.v, x);
             out.push_back(intValue(e, d.v));
         }
         for (auto it = high.rbegin(); it != high.rend(); ++it) {
             mpz_set_ui(d.v, *it);
             out.push_back(intValue(e, d.v));
         }
         e.replace(1, Value::list(std::move(out)));
     }},
    {"EULER",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         // Euler's totient: how many numbers up to n are prime to n
         t_exact = exactResult(e, 1);
         Z n, p, q, result;
         integerAt(e, 1, n);
         if (mpz_sgn(n.v) <= 0)
             throw CalcError(Err::BadArgumentValue);
         mpz_set(result.v, n.v);
         mpz_set_ui(p.v, 2);
         while (mpz_cmp_ui(n.v, 1) > 0) {
             mpz_mul(q.v, p.v, p.v);
             if (mpz_cmp(q.v, n.v) > 0 || mpz_probab_prime_p(n.v, 30) > 0) {
                 mpz_divexact(q.v, result.v, n.v);
                 mpz_sub(result.v, result.v, q.v);
                 break;
             }
             if (mpz_divisible_p(n.v, p.v)) {
                 mpz_divexact(q.v, result.v, p.v);
                 mpz_sub(result.v, result.v, q.v);
                 while (mpz_divisible_p(n.v, p.v))
                     mpz_divexact(n.v, n.v, p.v);
             }
             if (mpz_cmp_ui(p.v, 10000000) > 0)
                 throw CalcError(Err::BadArgumentValue,
                                 "EULER: this number has two prime factors above 10^7, "
                                 "too large to find by trial division");
             mpz_nextprime(p.v, p.v);
         }
         e.replace(1, intValue(e, result.v));
     }},
    {"IEGCD",
     2,
     {AReal | AInt, AReal | AInt},
     Only49,
     [](Engine &e) {
         // a b IEGCD: d u v with a*u + b*v = d, the greatest common divisor
         t_exact = exactResult(e, 2);
         Z a, b, g, s, t;
         integerAt(e, 2, a);
         integerAt(e, 1, b);
         mpz_gcdext(g.v, s.v, t.v, a.v, b.v);
         const Value vg = intValue(e, g.v), vs = intValue(e, s.v), vt = intValue(e, t.v);
         e.drop(2);
         e.push(vg);
         e.push(vs);
         e.push(vt);
     }},
    {"IABCUV",
     3,
     {AReal | AInt, AReal | AInt, AReal | AInt},
     Only49,
     [](Engine &e) {
         // a b c IABCUV: u v with a*u + b*v = c
         t_exact = exactResult(e, 3);
         Z a, b, c, g, s, t, k;
         integerAt(e, 3, a);
         integerAt(e, 2, b);
         integerAt(e, 1, c);
         mpz_gcdext(g.v, s.v, t.v, a.v, b.v);
         if (mpz_sgn(g.v) == 0 || !mpz_divisible_p(c.v, g.v))
             throw CalcError(Err::BadArgumentValue, "IABCUV: c is no multiple of GCD(a,b)");
         mpz_divexact(k.v, c.v, g.v);
         mpz_mul(s.v, s.v, k.v);
         mpz_mul(t.v, t.v, k.v);
         const Value vs = intValue(e, s.v), vt = intValue(e, t.v);
         e.drop(3);
         e.push(vs);
         e.push(vt);
     }},
    {"PROPFRAC",
     1,
     {AAlg | AReal | AInt},
     Only49,
     [](Engine &e) {
         // 'a/b' of integers as 'q+r/b'; anything else stays as it is
         const Value v = e.level(1);
         if (v.type() != Type::Algebraic)
             return;
         const auto &it = v.items();
         if (it.size() != 3 || it[0].type() != Type::Integer || it[1].type() != Type::Integer ||
             it[2].type() != Type::Command || it[2].commandId() != ops().div)
             return;
         Z a, b, q, r;
         mpz_set_str(a.v, integerText(it[0]).c_str(), 10);
         mpz_set_str(b.v, integerText(it[1]).c_str(), 10);
         if (mpz_sgn(b.v) == 0)
             return;
         mpz_tdiv_qr(q.v, r.v, a.v, b.v);
         if (mpz_sgn(q.v) == 0)
             return;
         e.replace(1,
                   Value::algebraic({integerValue(textOf(q.v)), integerValue(textOf(r.v)),
                                     integerValue(textOf(b.v)), Value::command(ops().div),
                                     Value::command(ops().add)}));
     }},
    {"IBERNOULLI",
     1,
     {AReal | AInt},
     Only49,
     [](Engine &e) {
         // the n-th Bernoulli number (B1 = -1/2), exactly, by the
         // Akiyama-Tanigawa recurrence on fractions
         const int64_t n = intAt(e, 1, 0, 1000);
         mpq_t *row = new mpq_t[static_cast<size_t>(n) + 1];
         for (int64_t m = 0; m <= n; ++m) {
             mpq_init(row[m]);
             mpq_set_ui(row[m], 1, static_cast<unsigned long>(m + 1));
             for (int64_t j = m; j >= 1; --j) {
                 // row[j-1] = j * (row[j-1] - row[j])
                 mpq_sub(row[j - 1], row[j - 1], row[j]);
                 mpq_t f;
                 mpq_init(f);
                 mpq_set_ui(f, static_cast<unsigned long>(j), 1);
                 mpq_mul(row[j - 1], row[j - 1], f);
                 mpq_clear(f);
             }
         }
         Z num, den;
         mpq_get_num(num.v, row[0]);
         mpq_get_den(den.v, row[0]);
         for (int64_t m = 0; m <= n; ++m)
             mpq_clear(row[m]);
         delete[] row;
         // this recurrence gives B1 = +1/2; the calculators use -1/2
         if (n == 1)
             mpz_neg(num.v, num.v);
         if (!e.exactMode()) {
             RealCondition c = RealCondition::Ok;
             e.replace(1, Value::real(e.checked(div(realOf(e, num.v), realOf(e, den.v), c), c)));
             return;
         }
         if (mpz_cmp_ui(den.v, 1) == 0) {
             e.replace(1, integerValue(textOf(num.v)));
             return;
         }
         e.replace(1, Value::algebraic({integerValue(textOf(num.v)), integerValue(textOf(den.v)),
                                        Value::command(ops().div)}));
     }},
};

} // namespace

CommandGroup integerCommands()
{
    return group(defs);
}

// ---- the overloads of exact integers -------------------------------------------

void negOfInteger(Engine &e)
{
    Z n;
    integerAt(e, 1, n);
    mpz_neg(n.v, n.v);
    e.replace(1, integerValue(textOf(n.v)));
}

void absOfInteger(Engine &e)
{
    Z n;
    integerAt(e, 1, n);
    mpz_abs(n.v, n.v);
    e.replace(1, integerValue(textOf(n.v)));
}

void sqOfInteger(Engine &e)
{
    Value r = arith(e, ops().mul, e.level(1), e.level(1));
    e.replace(1, std::move(r));
}

void invOfInteger(Engine &e)
{
    Value r = arith(e, ops().div, e.exactMode() ? integerValue(1) : Value::real(1), e.level(1));
    e.replace(1, std::move(r));
}

void factOfInteger(Engine &e)
{
    // n! exactly in exact mode; a real as the 48 computes it otherwise
    Z n;
    integerAt(e, 1, n);
    if (!e.exactMode() || mpz_sgn(n.v) < 0) {
        const Value r = Value::real(integerToReal(e, e.level(1)));
        e.replace(1, r);
        commandInfo(findCommand("!")).def.fn(e);
        return;
    }
    if (mpz_cmp_ui(n.v, 25000) > 0)
        throw CalcError(Err::InsufficientMemory); // more than 100,000 digits
    Z f;
    mpz_fac_ui(f.v, mpz_get_ui(n.v));
    e.replace(1, integerValue(textOf(f.v)));
}

} // namespace Calc
