#include "calc/core/Real.h"

extern "C" {
#include <bid_conf.h>
#include <bid_functions.h>
}

#include <cmath>
#include <cstdio>

namespace Calc {

namespace {

using u128 = unsigned __int128;

constexpr _IDEC_round Rounding = BID_ROUNDING_TIES_AWAY;

constexpr uint64_t Pow10[20] = {1ULL,
                                10ULL,
                                100ULL,
                                1000ULL,
                                10000ULL,
                                100000ULL,
                                1000000ULL,
                                10000000ULL,
                                100000000ULL,
                                1000000000ULL,
                                10000000000ULL,
                                100000000000ULL,
                                1000000000000ULL,
                                10000000000000ULL,
                                100000000000000ULL,
                                1000000000000000ULL,
                                10000000000000000ULL,
                                100000000000000000ULL,
                                1000000000000000000ULL,
                                10000000000000000000ULL};

u128 pow10u(int n)
{
    if (n < 20)
        return Pow10[n];
    u128 v = Pow10[19];
    for (int i = 19; i < n; ++i)
        v *= 10;
    return v;
}

int digitCount64(uint64_t v)
{
    // log10 from the bit length, then one correction
    const int bits = 64 - __builtin_clzll(v | 1);
    int d = (bits * 1233) >> 12;
    if (d <= 19 && v >= Pow10[d])
        ++d;
    return d == 0 ? 1 : d;
}

int digitCount(u128 v)
{
    if (v >> 64 == 0)
        return digitCount64(static_cast<uint64_t>(v));
    int d = 20;
    while (d < 39 && v >= pow10u(d))
        ++d;
    return d;
}

BID_UINT128 makeBid(u128 coeff, int q, bool negative)
{
    BID_UINT128 r;
    r.w[BID_LOW_128W] = static_cast<uint64_t>(coeff);
    r.w[BID_HIGH_128W] = (static_cast<uint64_t>(negative) << 63) |
                         (static_cast<uint64_t>(q + 6176) << 49) |
                         static_cast<uint64_t>(coeff >> 64);
    return r;
}

BID_UINT128 toBid(const Real &r)
{
    if (r.mant == 0)
        return makeBid(0, 0, false);
    const bool neg = r.mant < 0;
    return makeBid(static_cast<u128>(neg ? -r.mant : r.mant), r.exp - 11, neg);
}

// Rounds coefficient * 10^q to 12 digits, half away from zero, and checks the
// calculator's exponent range.
Real fromParts(u128 coeff, int q, bool negative, RealCondition &c)
{
    if (coeff == 0)
        return Real{};
    int d = digitCount(coeff);
    if (d > 12) {
        const int drop = d - 12;
        const u128 p = pow10u(drop);
        u128 kept;
        u128 rest;
        if (coeff >> 64 == 0) {
            // the sums of close magnitudes (counting loops) drop one to seven
            // digits: a division by a constant is a multiplication
            const uint64_t c64 = static_cast<uint64_t>(coeff);
            uint64_t k;
            switch (drop) {
            case 1: k = c64 / 10; break;
            case 2: k = c64 / 100; break;
            case 3: k = c64 / 1000; break;
            case 4: k = c64 / 10000; break;
            case 5: k = c64 / 100000; break;
            case 6: k = c64 / 1000000; break;
            case 7: k = c64 / 10000000; break;
            default: k = c64 / static_cast<uint64_t>(p); break;
            }
            kept = k;
            rest = c64 - k * static_cast<uint64_t>(p);
        } else {
            kept = coeff / p;
            rest = coeff % p;
        }
        if (rest * 2 >= p)
            ++kept;
        q += drop;
        if (kept == pow10u(12)) {
            kept /= 10;
            ++q;
        }
        coeff = kept;
    } else if (d < 12) {
        coeff *= pow10u(12 - d);
        q -= 12 - d;
    }
    const int e = q + 11;
    if (e > Real::MaxExp) {
        c = RealCondition::Overflow;
        return Real::maxReal(negative);
    }
    if (e < -Real::MaxExp) {
        c = negative ? RealCondition::NegativeUnderflow : RealCondition::PositiveUnderflow;
        return Real{};
    }
    const int64_t m = static_cast<int64_t>(coeff);
    return Real{negative ? -m : m, static_cast<int16_t>(e)};
}

Real fromBid(BID_UINT128 x, _IDEC_flags flags, RealCondition &c)
{
    const uint64_t hi = x.w[BID_HIGH_128W];
    const uint64_t lo = x.w[BID_LOW_128W];
    const bool neg = hi >> 63;
    if ((hi & 0x7C00000000000000ULL) == 0x7C00000000000000ULL) {
        c = RealCondition::Undefined;
        return Real{};
    }
    if ((hi & 0x7800000000000000ULL) == 0x7800000000000000ULL) {
        c = (flags & BID_OVERFLOW_EXCEPTION) ? RealCondition::Overflow : RealCondition::Infinite;
        return Real::maxReal(neg);
    }
    if ((hi & 0x6000000000000000ULL) == 0x6000000000000000ULL)
        return Real{}; // non-canonical coefficient: zero
    const int q = static_cast<int>((hi >> 49) & 0x3FFF) - 6176;
    const u128 coeff = (static_cast<u128>(hi & 0x1FFFFFFFFFFFFULL) << 64) | lo;
    if (coeff == 0 && (flags & BID_UNDERFLOW_EXCEPTION)) {
        c = neg ? RealCondition::NegativeUnderflow : RealCondition::PositiveUnderflow;
        return Real{};
    }
    return fromParts(coeff, q, neg, c);
}

Real finish(BID_UINT128 r, const _IDEC_flags &f, RealCondition &c)
{
    if ((f & BID_INVALID_EXCEPTION) && c == RealCondition::Ok) {
        c = RealCondition::Undefined;
        return Real{};
    }
    return fromBid(r, f, c);
}

BID_UINT128 bidPi()
{
    static const BID_UINT128 p = [] {
        _IDEC_flags f = 0;
        char s[] = "3.141592653589793238462643383279503";
        return bid128_from_string(s, Rounding, &f);
    }();
    return p;
}

bool isBidZero(BID_UINT128 x)
{
    return bid128_isZero(x);
}

} // namespace

Real Real::fromInt(int64_t v)
{
    RealCondition c = RealCondition::Ok;
    const bool neg = v < 0;
    const u128 a = neg ? static_cast<u128>(-(v + 1)) + 1 : static_cast<u128>(v);
    return fromParts(a, 0, neg, c);
}

Real Real::maxReal(bool negative)
{
    return Real{negative ? -999999999999LL : 999999999999LL, MaxExp};
}

Real Real::minReal(bool negative)
{
    return Real{negative ? -MantMin : MantMin, -MaxExp};
}

Real Real::pi()
{
    return Real{314159265359LL, 0};
}

Real Real::e()
{
    return Real{271828182846LL, 0};
}

int64_t Real::toInt(bool *ok) const
{
    if (ok)
        *ok = false;
    if (mant == 0) {
        if (ok)
            *ok = true;
        return 0;
    }
    if (exp < 0 || exp > 17 || (exp < 11 && mant % static_cast<int64_t>(pow10u(11 - exp)) != 0))
        return 0;
    int64_t v = mant;
    if (exp < 11)
        v /= static_cast<int64_t>(pow10u(11 - exp));
    else
        v *= static_cast<int64_t>(pow10u(exp - 11));
    if (ok)
        *ok = true;
    return v;
}

bool Real::isInteger() const
{
    if (mant == 0 || exp >= 11)
        return true;
    if (exp < 0)
        return false;
    return mant % static_cast<int64_t>(pow10u(11 - exp)) == 0;
}

double Real::toDouble() const
{
    return static_cast<double>(mant) * std::pow(10.0, exp - 11);
}

int compare(const Real &a, const Real &b)
{
    if (a.mant == b.mant && a.exp == b.exp)
        return 0;
    const int sa = a.sign();
    const int sb = b.sign();
    if (sa != sb)
        return sa < sb ? -1 : 1;
    // same sign, both nonzero
    int mag;
    if (a.exp != b.exp)
        mag = a.exp < b.exp ? -1 : 1;
    else {
        const int64_t ma = a.mant < 0 ? -a.mant : a.mant;
        const int64_t mb = b.mant < 0 ? -b.mant : b.mant;
        mag = ma < mb ? -1 : 1;
    }
    return sa < 0 ? -mag : mag;
}

Real add(const Real &a, const Real &b, RealCondition &c)
{
    if (a.mant == 0)
        return b;
    if (b.mant == 0)
        return a;
    const int diff = a.exp - b.exp;
    if (diff >= -6 && diff <= 6) {
        // Close magnitudes: the exact sum fits in 64 bits, and rounding it
        // once gives what BID128 would (loops that count spend their time here).
        const int64_t x = diff >= 0 ? a.mant * static_cast<int64_t>(Pow10[diff]) : a.mant;
        const int64_t y = diff < 0 ? b.mant * static_cast<int64_t>(Pow10[-diff]) : b.mant;
        const int64_t sum = x + y;
        if (sum == 0)
            return Real{};
        const int low = (diff >= 0 ? b.exp : a.exp) - 11;
        return fromParts(static_cast<u128>(sum < 0 ? -sum : sum), low, sum < 0, c);
    }
    _IDEC_flags f = 0;
    return finish(bid128_add(toBid(a), toBid(b), Rounding, &f), f, c);
}

Real sub(const Real &a, const Real &b, RealCondition &c)
{
    return add(a, b.negated(), c);
}

Real mul(const Real &a, const Real &b, RealCondition &c)
{
    if (a.mant == 0 || b.mant == 0)
        return Real{};
    // Two 12-digit coefficients multiply exactly in 128 bits; only the
    // rounding back to 12 digits is needed.
    const bool neg = (a.mant < 0) != (b.mant < 0);
    const u128 p = static_cast<u128>(a.mant < 0 ? -a.mant : a.mant) *
                   static_cast<u128>(b.mant < 0 ? -b.mant : b.mant);
    return fromParts(p, (a.exp - 11) + (b.exp - 11), neg, c);
}

Real div(const Real &a, const Real &b, RealCondition &c)
{
    if (b.mant == 0) {
        if (a.mant == 0) {
            c = RealCondition::Undefined;
            return Real{};
        }
        c = RealCondition::Infinite;
        return Real::maxReal(a.mant < 0);
    }
    if (a.mant == 0)
        return Real{};
    _IDEC_flags f = 0;
    return finish(bid128_div(toBid(a), toBid(b), Rounding, &f), f, c);
}

Real apply(RealFn fn, const Real &x, RealCondition &c)
{
    _IDEC_flags f = 0;
    const BID_UINT128 b = toBid(x);
    BID_UINT128 r;
    switch (fn) {
    case RealFn::Sqrt:
        r = bid128_sqrt(b, Rounding, &f);
        break;
    case RealFn::Exp:
        r = bid128_exp(b, Rounding, &f);
        break;
    case RealFn::Ln:
        r = bid128_log(b, Rounding, &f);
        break;
    case RealFn::Log:
        r = bid128_log10(b, Rounding, &f);
        break;
    case RealFn::Alog:
        r = bid128_exp10(b, Rounding, &f);
        break;
    case RealFn::Expm1:
        r = bid128_expm1(b, Rounding, &f);
        break;
    case RealFn::Lnp1:
        r = bid128_log1p(b, Rounding, &f);
        break;
    case RealFn::Sin:
        r = bid128_sin(b, Rounding, &f);
        break;
    case RealFn::Cos:
        r = bid128_cos(b, Rounding, &f);
        break;
    case RealFn::Tan:
        r = bid128_tan(b, Rounding, &f);
        break;
    case RealFn::Asin:
        r = bid128_asin(b, Rounding, &f);
        break;
    case RealFn::Acos:
        r = bid128_acos(b, Rounding, &f);
        break;
    case RealFn::Atan:
        r = bid128_atan(b, Rounding, &f);
        break;
    case RealFn::Sinh:
        r = bid128_sinh(b, Rounding, &f);
        break;
    case RealFn::Cosh:
        r = bid128_cosh(b, Rounding, &f);
        break;
    case RealFn::Tanh:
        r = bid128_tanh(b, Rounding, &f);
        break;
    case RealFn::Asinh:
        r = bid128_asinh(b, Rounding, &f);
        break;
    case RealFn::Acosh:
        r = bid128_acosh(b, Rounding, &f);
        break;
    case RealFn::Atanh:
        r = bid128_atanh(b, Rounding, &f);
        break;
    case RealFn::Gamma1: {
        _IDEC_flags g = 0;
        const BID_UINT128 x1 = bid128_add(b, makeBid(1, 0, false), Rounding, &g);
        r = bid128_tgamma(x1, Rounding, &f);
        break;
    }
    default:
        r = b;
    }
    return finish(r, f, c);
}

Real pow(const Real &x, const Real &y, RealCondition &c)
{
    if (y.mant == 0) {
        if (x.mant == 0) {
            c = RealCondition::Undefined;
            return Real{};
        }
        return Real::fromInt(1);
    }
    if (x.mant == 0) {
        if (y.mant < 0) {
            c = RealCondition::Infinite;
            return Real::maxReal();
        }
        return Real{};
    }
    _IDEC_flags f = 0;
    return finish(bid128_pow(toBid(x), toBid(y), Rounding, &f), f, c);
}

Real atan2(const Real &y, const Real &x, RealCondition &c)
{
    _IDEC_flags f = 0;
    return finish(bid128_atan2(toBid(y), toBid(x), Rounding, &f), f, c);
}

Real mod(const Real &x, const Real &y, RealCondition &c)
{
    if (y.mant == 0)
        return x;
    _IDEC_flags f = 0;
    const BID_UINT128 by = toBid(y);
    BID_UINT128 r = bid128_fmod(toBid(x), by, &f);
    // fmod keeps the sign of x; MOD takes the sign of y.
    if (!isBidZero(r) && (bid128_isSigned(r) != (y.mant < 0)))
        r = bid128_add(r, by, Rounding, &f);
    return finish(r, f, c);
}

namespace {

// The angle reduced to one turn, exactly, and whether it is a quarter-turn
// multiple (then quarter holds 0..3).
BID_UINT128 reduceTurn(const Real &x, AngleMode m, int &quarter)
{
    quarter = -1;
    _IDEC_flags f = 0;
    if (m == AngleMode::Radians)
        return toBid(x);
    const int turn = m == AngleMode::Degrees ? 360 : 400;
    const BID_UINT128 t = makeBid(turn, 0, false);
    BID_UINT128 r = bid128_fmod(toBid(x), t, &f);
    if (bid128_isSigned(r) && !isBidZero(r))
        r = bid128_add(r, t, Rounding, &f);
    const BID_UINT128 qt = makeBid(turn / 4, 0, false);
    const BID_UINT128 rem = bid128_fmod(r, qt, &f);
    if (isBidZero(rem)) {
        const BID_UINT128 n = bid128_div(r, qt, Rounding, &f);
        quarter = static_cast<int>(bid128_to_int32_int(n, &f)) & 3;
    }
    // to radians
    const BID_UINT128 half = makeBid(turn / 2, 0, false);
    return bid128_div(bid128_mul(r, bidPi(), Rounding, &f), half, Rounding, &f);
}

} // namespace

Real sinIn(const Real &x, AngleMode m, RealCondition &c)
{
    int q;
    const BID_UINT128 r = reduceTurn(x, m, q);
    if (q >= 0) {
        static const int v[4] = {0, 1, 0, -1};
        return Real::fromInt(v[q]);
    }
    _IDEC_flags f = 0;
    return finish(bid128_sin(r, Rounding, &f), f, c);
}

Real cosIn(const Real &x, AngleMode m, RealCondition &c)
{
    int q;
    const BID_UINT128 r = reduceTurn(x, m, q);
    if (q >= 0) {
        static const int v[4] = {1, 0, -1, 0};
        return Real::fromInt(v[q]);
    }
    _IDEC_flags f = 0;
    return finish(bid128_cos(r, Rounding, &f), f, c);
}

Real tanIn(const Real &x, AngleMode m, RealCondition &c)
{
    int q;
    const BID_UINT128 r = reduceTurn(x, m, q);
    if (q >= 0) {
        if (q & 1) {
            c = RealCondition::Infinite;
            return Real::maxReal(q == 3);
        }
        return Real{};
    }
    _IDEC_flags f = 0;
    return finish(bid128_tan(r, Rounding, &f), f, c);
}

Real toAngle(const Real &radians, AngleMode m, RealCondition &c)
{
    if (m == AngleMode::Radians)
        return radians;
    _IDEC_flags f = 0;
    const BID_UINT128 half = makeBid(m == AngleMode::Degrees ? 180 : 200, 0, false);
    return finish(
        bid128_div(bid128_mul(toBid(radians), half, Rounding, &f), bidPi(), Rounding, &f), f, c);
}

Real arcIn(RealFn fn, const Real &x, AngleMode m, RealCondition &c)
{
    _IDEC_flags f = 0;
    const BID_UINT128 b = toBid(x);
    BID_UINT128 r = fn == RealFn::Asin   ? bid128_asin(b, Rounding, &f)
                    : fn == RealFn::Acos ? bid128_acos(b, Rounding, &f)
                                         : bid128_atan(b, Rounding, &f);
    if (m != AngleMode::Radians) {
        const BID_UINT128 half = makeBid(m == AngleMode::Degrees ? 180 : 200, 0, false);
        r = bid128_div(bid128_mul(r, half, Rounding, &f), bidPi(), Rounding, &f);
    }
    return finish(r, f, c);
}

Real fromAngle(const Real &x, AngleMode m, RealCondition &c)
{
    if (m == AngleMode::Radians)
        return x;
    _IDEC_flags f = 0;
    const BID_UINT128 half = makeBid(m == AngleMode::Degrees ? 180 : 200, 0, false);
    return finish(
        bid128_div(bid128_mul(toBid(x), bidPi(), Rounding, &f), half, Rounding, &f), f, c);
}

// Keeps the first `keep` digits of the 12-digit mantissa (toward zero).
static Real truncateDigits(const Real &x, int keep)
{
    if (keep >= 12)
        return x;
    if (keep <= 0)
        return Real{};
    const int64_t p = static_cast<int64_t>(pow10u(12 - keep));
    return Real{(x.mant / p) * p, x.exp};
}

Real intPart(const Real &x)
{
    if (x.mant == 0 || x.exp >= 11)
        return x;
    if (x.exp < 0)
        return Real{};
    return truncateDigits(x, x.exp + 1);
}

Real fracPart(const Real &x)
{
    RealCondition c = RealCondition::Ok;
    return sub(x, intPart(x), c);
}

Real floorReal(const Real &x)
{
    const Real i = intPart(x);
    if (x.mant < 0 && i != x) {
        RealCondition c = RealCondition::Ok;
        return sub(i, Real::fromInt(1), c);
    }
    return i;
}

Real ceilReal(const Real &x)
{
    const Real i = intPart(x);
    if (x.mant > 0 && i != x) {
        RealCondition c = RealCondition::Ok;
        return add(i, Real::fromInt(1), c);
    }
    return i;
}

Real roundReal(const Real &x, int n, bool truncate)
{
    if (x.mant == 0)
        return x;
    // keep = number of mantissa digits that survive
    int keep = n >= 0 ? x.exp + 1 + n : -n;
    if (keep >= 12)
        return x;
    const bool neg = x.mant < 0;
    const int64_t a = neg ? -x.mant : x.mant;
    if (keep < 0)
        return Real{};
    const int64_t p = static_cast<int64_t>(pow10u(12 - keep));
    int64_t kept = a / p;
    const int64_t rest = a % p;
    if (!truncate && rest * 2 >= p)
        ++kept;
    if (kept == 0)
        return Real{};
    RealCondition c = RealCondition::Ok;
    return fromParts(static_cast<u128>(kept), x.exp - 11 + (12 - keep), neg, c);
}

namespace {

std::string mantDigits(const Real &r)
{
    const int64_t a = r.mant < 0 ? -r.mant : r.mant;
    std::string s = std::to_string(a);
    return s; // always 12 digits for nonzero values
}

// Rounds the 12-digit mantissa to k digits (k >= 1); e may grow by one.
std::string roundedDigits(const Real &r, int k, int &e)
{
    e = r.exp;
    if (k >= 12) {
        std::string s = mantDigits(r);
        s.append(k - 12, '0');
        return s;
    }
    const int64_t a = r.mant < 0 ? -r.mant : r.mant;
    const int64_t p = static_cast<int64_t>(pow10u(12 - k));
    int64_t kept = a / p;
    if ((a % p) * 2 >= p)
        ++kept;
    if (kept == static_cast<int64_t>(pow10u(k))) {
        kept /= 10;
        ++e;
    }
    std::string s = std::to_string(kept);
    return s;
}

std::string stripTrailingZeros(std::string s)
{
    while (s.size() > 1 && s.back() == '0')
        s.pop_back();
    return s;
}

std::string sciText(const std::string &digits, int e, char mark)
{
    std::string out(1, digits[0]);
    out += mark;
    out += digits.substr(1);
    out += 'E';
    out += std::to_string(e);
    return out;
}

} // namespace

std::string formatReal(const Real &r, const NumberFormat &f)
{
    const char mark = f.commaMark ? ',' : '.';
    std::string sign = r.mant < 0 ? "-" : "";
    if (r.mant == 0) {
        switch (f.mode) {
        case DisplayMode::Std:
            return f.trailingDot ? std::string("0") + mark : "0";
        case DisplayMode::Fix:
            return std::string("0") + mark + std::string(f.digits, '0');
        case DisplayMode::Sci:
        case DisplayMode::Eng:
            return std::string("0") + mark + std::string(f.digits, '0') + "E0";
        }
    }
    switch (f.mode) {
    case DisplayMode::Std: {
        const std::string s = stripTrailingZeros(mantDigits(r));
        const int n = static_cast<int>(s.size());
        const int e = r.exp;
        if (e >= 0 && e <= 11) {
            std::string ip = n > e + 1 ? s.substr(0, e + 1) : s + std::string(e + 1 - n, '0');
            std::string fp = n > e + 1 ? s.substr(e + 1) : std::string();
            std::string out = sign + ip;
            if (!fp.empty())
                out += mark + fp;
            else if (f.trailingDot)
                out += mark;
            return out;
        }
        if (e < 0 && (-e - 1) + n <= 12)
            return sign + mark + std::string(-e - 1, '0') + s;
        return sign + sciText(s, e, mark);
    }
    case DisplayMode::Fix: {
        if (r.exp >= 12)
            break;
        const int k = r.exp + 1 + f.digits;
        if (k <= 0) {
            // Rounds to nothing unless the first dropped digit rounds it up.
            if (k == 0 && (r.mant < 0 ? -r.mant : r.mant) >= 500000000000LL) {
                std::string out = sign + mark + std::string(f.digits - 1, '0') + "1";
                return out;
            }
            break; // too small to show: scientific
        }
        int e;
        std::string d = roundedDigits(r, k, e);
        if (e >= 12)
            break;
        std::string ip;
        std::string fp;
        if (e >= 0) {
            ip = d.substr(0, e + 1);
            fp = d.substr(e + 1);
        } else {
            fp = std::string(-e - 1, '0') + d;
        }
        if (static_cast<int>(fp.size()) < f.digits)
            fp.append(f.digits - fp.size(), '0');
        fp = fp.substr(0, f.digits);
        return sign + ip + mark + fp;
    }
    case DisplayMode::Sci:
    case DisplayMode::Eng:
        break;
    }
    // SCI (also the fallback of FIX) and ENG
    const int k = f.digits + 1;
    int e;
    std::string d = roundedDigits(r, k, e);
    if (f.mode == DisplayMode::Eng) {
        int ee = e >= 0 ? (e / 3) * 3 : -(((-e) + 2) / 3) * 3;
        int lead = e - ee + 1; // 1..3 digits before the mark
        if (static_cast<int>(d.size()) < lead)
            d.append(lead - d.size(), '0');
        return sign + d.substr(0, lead) + mark + d.substr(lead) + 'E' + std::to_string(ee);
    }
    return sign + sciText(d, e, mark);
}

std::string formatRealExact(const Real &r)
{
    NumberFormat f;
    return formatReal(r, f);
}

bool parseReal(const std::string &text, Real &out, bool commaMark)
{
    const char mark = commaMark ? ',' : '.';
    size_t i = 0;
    const size_t n = text.size();
    bool neg = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        neg = text[i] == '-';
        ++i;
    }
    std::string digits;
    int pointPos = -1; // digits before the mark
    bool any = false;
    while (i < n && (isdigit(static_cast<unsigned char>(text[i])) || text[i] == mark)) {
        if (text[i] == mark) {
            if (pointPos >= 0)
                return false;
            pointPos = static_cast<int>(digits.size());
        } else {
            digits += text[i];
            any = true;
        }
        ++i;
    }
    if (!any)
        return false;
    long expo = 0;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool eneg = false;
        if (i < n && (text[i] == '-' || text[i] == '+')) {
            eneg = text[i] == '-';
            ++i;
        }
        if (i >= n)
            return false;
        while (i < n && isdigit(static_cast<unsigned char>(text[i]))) {
            if (expo < 100000)
                expo = expo * 10 + (text[i] - '0');
            ++i;
        }
        if (eneg)
            expo = -expo;
    }
    if (i != n)
        return false;
    if (pointPos < 0)
        pointPos = static_cast<int>(digits.size());
    // strip leading zeros
    size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        out = Real{};
        return true;
    }
    const int leadExp = pointPos - static_cast<int>(first) - 1 + static_cast<int>(expo);
    std::string sig = digits.substr(first);
    u128 coeff = 0;
    int used = 0;
    for (; used < static_cast<int>(sig.size()) && used < 13; ++used)
        coeff = coeff * 10 + (sig[used] - '0');
    // value = coeff * 10^(leadExp - used + 1)
    RealCondition c = RealCondition::Ok;
    if (leadExp > 100000 || leadExp < -100000) {
        out = leadExp > 0 ? Real::maxReal(neg) : Real{};
        return true;
    }
    out = fromParts(coeff, leadExp - used + 1, neg, c);
    return true;
}

long double extendedOf(const Real &r)
{
    if (r.isZero())
        return 0;
    return static_cast<long double>(r.mant) * std::pow(10.0L, static_cast<long double>(r.exp - 11));
}

bool fromExtended(long double x, Real &out)
{
    if (!std::isfinite(x))
        return false;
    // fourteen digits, then the reader's rounding to twelve
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14LE", x);
    std::string s(buf);
    const size_t p = s.find("E+");
    if (p != std::string::npos)
        s.erase(p + 1, 1);
    return parseReal(s, out);
}

} // namespace Calc
