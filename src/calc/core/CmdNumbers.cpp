// Complex numbers and binary integers: parts, conversions, complex
// functions, word size, bases, shifts and rotations.
#include "calc/core/CommandTable.h"

#include <cmath>
#include <complex>

namespace Calc {

namespace {

constexpr uint16_t F = Function;

using LC = std::complex<long double>;

LC extended(const Cx &z)
{
    return {extendedOf(z.re), extendedOf(z.im)};
}

Value complexOfExtended(Engine &e, const LC &z)
{
    return Value::complex(realOfExtended(e, z.real()), realOfExtended(e, z.imag()));
}

// The angle of z in the current angle mode, computed in extended precision
// so that (0,1) ARG is exactly 90 in degrees.
Real angleOf(Engine &e, const Cx &z)
{
    const long double pi = 3.141592653589793238462643383279502884L;
    const long double a = std::atan2(extendedOf(z.im), extendedOf(z.re));
    switch (e.angleMode()) {
    case AngleMode::Degrees:
        return realOfExtended(e, a * 180.0L / pi);
    case AngleMode::Grads:
        return realOfExtended(e, a * 200.0L / pi);
    case AngleMode::Radians:
        break;
    }
    return realOfExtended(e, a);
}

uint64_t maskTo(Engine &e, uint64_t v)
{
    const int ws = e.wordSize();
    return ws >= 64 ? v : (v & ((uint64_t(1) << ws) - 1));
}

uint64_t topBit(Engine &e)
{
    return uint64_t(1) << (e.wordSize() - 1);
}

void setBase(Engine &e, bool f11, bool f12)
{
    e.setFlag(-11, f11);
    e.setFlag(-12, f12);
}

// One binary integer in, one out, with the word size applied.
template <uint64_t (*Fn)(Engine &, uint64_t)> void binUnary(Engine &e)
{
    const uint64_t x = maskTo(e, e.level(1).asBinary());
    e.replace(1, Value::binary(maskTo(e, Fn(e, x))));
}

uint64_t rotl(Engine &e, uint64_t x, int n)
{
    const int ws = e.wordSize();
    n %= ws;
    if (n == 0)
        return x;
    return maskTo(e, (x << n) | (x >> (ws - n)));
}

const CommandDef defs[] = {
    // ---- complex numbers ----------------------------------------------------------
    {"R→C",
     2,
     {AReal | AArray, AReal | AArray},
     0,
     [](Engine &e) {
         if (e.level(1).type() != Type::Real || e.level(2).type() != Type::Real) {
             arrayRealsToComplex(e);
             return;
         }
         e.replace(2, Value::complex(realAt(e, 2), realAt(e, 1)));
     }},
    {"C→R",
     1,
     {AComplex | AArray},
     0,
     [](Engine &e) {
         if (e.level(1).type() == Type::Array) {
             arrayComplexToReals(e);
             return;
         }
         const Cx z = cxOf(e.level(1));
         e.replace(1, Value::real(z.re));
         e.push(Value::real(z.im));
     }},
    {"RE",
     1,
     {ANum | AArray},
     F,
     [](Engine &e) {
         if (e.level(1).type() == Type::Array) {
             arrayPart(e, false);
             return;
         }
         e.replace(1, Value::real(cxOf(e.level(1)).re));
     }},
    {"IM",
     1,
     {ANum | AArray},
     F,
     [](Engine &e) {
         if (e.level(1).type() == Type::Array) {
             arrayPart(e, true);
             return;
         }
         e.replace(1, Value::real(cxOf(e.level(1)).im));
     }},
    {"CONJ",
     1,
     {ANum | AArray},
     F,
     [](Engine &e) {
         if (e.level(1).type() == Type::Array) {
             arrayConj(e);
             return;
         }
         if (e.level(1).type() == Type::Real)
             return;
         const Cx z = cxOf(e.level(1));
         e.replace(1, Value::complex(z.re, z.im.negated()));
     }},
    {"ARG",
     1,
     {ANum},
     F,
     [](Engine &e) {
         e.replace(1, Value::real(angleOf(e, cxOf(e.level(1)))));
     }},
    {"R→P",
     1,
     {ANum},
     F,
     [](Engine &e) {
         // (x,y) to (r,angle), the angle in the current mode
         const Cx z = cxOf(e.level(1));
         const Real r = realOfExtended(e, std::abs(extended(z)));
         e.replace(1, Value::complex(r, angleOf(e, z)));
     }},
    {"P→R",
     1,
     {ANum},
     F,
     [](Engine &e) {
         const Cx z = cxOf(e.level(1));
         RealCondition c = RealCondition::Ok;
         const Real re = mul(z.re, cosIn(z.im, e.angleMode(), c), c);
         const Real im = mul(z.re, sinIn(z.im, e.angleMode(), c), c);
         e.replace(1, Value::complex(e.checked(re, c), e.checked(im, c)));
     }},
    // ---- binary integers ------------------------------------------------------------
    {"STWS",
     1,
     {AReal | ABin},
     0,
     [](Engine &e) {
         int64_t n;
         if (e.level(1).type() == Type::Binary)
             n = static_cast<int64_t>(std::min<uint64_t>(e.level(1).asBinary(), 64));
         else
             n = intAt(e, 1, INT32_MIN, INT32_MAX);
         n = std::clamp<int64_t>(n, 1, 64);
         for (int f = 5; f <= 10; ++f)
             e.setFlag(-f, ((n - 1) >> (f - 5)) & 1);
         e.drop(1);
     }},
    {"RCWS", 0, {}, 0, [](Engine &e) { e.push(Value::real(e.wordSize())); }},
    {"B→R",
     1,
     {ABin},
     0,
     [](Engine &e) {
         const uint64_t x = maskTo(e, e.level(1).asBinary());
         // beyond 12 digits the real is rounded, as on the calculators
         RealCondition c = RealCondition::Ok;
         const Real hi = Real::fromInt(static_cast<int64_t>(x >> 32));
         const Real lo = Real::fromInt(static_cast<int64_t>(x & 0xFFFFFFFFu));
         const Real r = add(mul(hi, Real::fromInt(int64_t(1) << 32), c), lo, c);
         e.replace(1, Value::real(e.checked(r, c)));
     }},
    {"R→B",
     1,
     {AReal},
     0,
     [](Engine &e) {
         const Real r = realAt(e, 1);
         uint64_t v = 0;
         if (r.isNegative()) {
             v = 0;
         } else if (compare(r, Real{184467440737LL, 19}) >= 0) {
             v = ~uint64_t(0); // beyond 2^64: the largest
         } else {
             // integer part, digit by digit (the real may exceed int64)
             const Real ip = intPart(r);
             const std::string digits = std::to_string(ip.mant);
             const int zeros = ip.exp - 11;
             unsigned __int128 acc = 0;
             for (int i = 0; i <= ip.exp && i < static_cast<int>(digits.size()); ++i)
                 acc = acc * 10 + static_cast<unsigned>(digits[static_cast<size_t>(i)] - '0');
             for (int i = 0; i < zeros; ++i)
                 acc *= 10;
             v = acc >> 64 ? ~uint64_t(0) : static_cast<uint64_t>(acc);
         }
         const uint64_t m = maskTo(e, ~uint64_t(0));
         e.replace(1, Value::binary(v > m ? m : v));
     }},
    {"HEX", 0, {}, 0, [](Engine &e) { setBase(e, true, true); }},
    {"DEC", 0, {}, 0, [](Engine &e) { setBase(e, false, false); }},
    {"OCT", 0, {}, 0, [](Engine &e) { setBase(e, true, false); }},
    {"BIN", 0, {}, 0, [](Engine &e) { setBase(e, false, true); }},
    {"SL", 1, {ABin}, 0, binUnary<[](Engine &, uint64_t x) { return x << 1; }>},
    {"SR", 1, {ABin}, 0, binUnary<[](Engine &, uint64_t x) { return x / 2; }>},
    {"SLB", 1, {ABin}, 0, binUnary<[](Engine &, uint64_t x) { return x << 8; }>},
    {"SRB", 1, {ABin}, 0, binUnary<[](Engine &, uint64_t x) { return x / 256; }>},
    {"RL", 1, {ABin}, 0, binUnary<[](Engine &e, uint64_t x) { return rotl(e, x, 1); }>},
    {"RR",
     1,
     {ABin},
     0,
     binUnary<[](Engine &e, uint64_t x) { return rotl(e, x, e.wordSize() - 1); }>},
    {"RLB",
     1,
     {ABin},
     0,
     binUnary<[](Engine &e, uint64_t x) {
         return e.wordSize() <= 8 ? x : rotl(e, x, 8);
     }>},
    {"RRB",
     1,
     {ABin},
     0,
     binUnary<[](Engine &e, uint64_t x) {
         return e.wordSize() <= 8 ? x : rotl(e, x, e.wordSize() - 8);
     }>},
    {"ASR",
     1,
     {ABin},
     0,
     binUnary<[](Engine &e, uint64_t x) { return (x >> 1) | (x & topBit(e)); }>},
};

} // namespace

Value complexFunction(Engine &e, ComplexFn fn, const Value &arg)
{
    const LC z = extended(cxOf(arg));
    LC r;
    switch (fn) {
    case ComplexFn::Sin:
        r = std::sin(z);
        break;
    case ComplexFn::Cos:
        r = std::cos(z);
        break;
    case ComplexFn::Tan:
        r = std::tan(z);
        break;
    case ComplexFn::Asin:
        r = std::asin(z);
        break;
    case ComplexFn::Acos:
        r = std::acos(z);
        break;
    case ComplexFn::Atan:
        r = std::atan(z);
        break;
    case ComplexFn::Sinh:
        r = std::sinh(z);
        break;
    case ComplexFn::Cosh:
        r = std::cosh(z);
        break;
    case ComplexFn::Tanh:
        r = std::tanh(z);
        break;
    case ComplexFn::Asinh:
        r = std::asinh(z);
        break;
    case ComplexFn::Acosh:
        r = std::acosh(z);
        break;
    case ComplexFn::Atanh:
        r = std::atanh(z);
        break;
    case ComplexFn::Alog:
        r = std::exp(z * std::log(10.0L));
        break;
    }
    return complexOfExtended(e, r);
}

CommandGroup numberCommands()
{
    return group(defs);
}

} // namespace Calc
