#pragma once

#include <cstdint>
#include <string>

namespace Calc {

// What an operation on reals ran into. The engine turns each into an error or
// into a flag and a substitute value, as the calculators' flags -20 to -26 say.
enum class RealCondition : uint8_t {
    Ok,
    PositiveUnderflow, // result too small: 0 (flag -23) or error
    NegativeUnderflow, // flag -24
    Overflow,          // result too large: +-9.99999999999E499 (flag -25) or error
    Infinite,          // division by zero, LN 0 ...: error unless flag -22
    Undefined,         // 0/0 and the like: always an error
};

// The calculators' real number: 12 significant decimal digits, exponents -499
// to 499. value = mant * 10^(exp - 11); mant is 0 or 1E11 <= |mant| < 1E12, so
// every value has exactly one form and compares field by field. The arithmetic
// runs in Intel's BID128 (34 digits) and each result is rounded back to 12
// digits, half away from zero, as the calculators round.
struct Real
{
    int64_t mant = 0;
    int16_t exp = 0;

    static constexpr int64_t MantMin = 100000000000LL;    // 1E11
    static constexpr int64_t MantLimit = 1000000000000LL; // 1E12
    static constexpr int MaxExp = 499;

    bool isZero() const { return mant == 0; }
    bool isNegative() const { return mant < 0; }
    bool operator==(const Real &o) const { return mant == o.mant && exp == o.exp; }
    bool operator!=(const Real &o) const { return !(*this == o); }

    static Real fromInt(int64_t v);
    static Real maxReal(bool negative = false);
    static Real minReal(bool negative = false);
    static Real pi();
    static Real e();

    // Integral value when the real is one and fits; ok says whether it did.
    int64_t toInt(bool *ok = nullptr) const;
    bool isInteger() const;
    Real negated() const { return Real{-mant, exp}; }
    Real absolute() const { return Real{mant < 0 ? -mant : mant, exp}; }
    int sign() const { return mant < 0 ? -1 : (mant > 0 ? 1 : 0); }
    double toDouble() const;
};

// -1, 0 or 1.
int compare(const Real &a, const Real &b);

Real add(const Real &a, const Real &b, RealCondition &c);
Real sub(const Real &a, const Real &b, RealCondition &c);
Real mul(const Real &a, const Real &b, RealCondition &c);
Real div(const Real &a, const Real &b, RealCondition &c);

enum class RealFn : uint8_t {
    Sqrt,
    Exp,
    Ln,
    Log,
    Alog,
    Expm1,
    Lnp1,
    Sin,
    Cos,
    Tan,
    Asin,
    Acos,
    Atan,
    Sinh,
    Cosh,
    Tanh,
    Asinh,
    Acosh,
    Atanh,
    Gamma1, // x! = gamma(x + 1)
};
// Angle-free one-argument functions (trigonometry takes radians here).
Real apply(RealFn fn, const Real &x, RealCondition &c);
Real pow(const Real &x, const Real &y, RealCondition &c);
Real atan2(const Real &y, const Real &x, RealCondition &c);
Real mod(const Real &x, const Real &y, RealCondition &c);

enum class AngleMode : uint8_t { Degrees, Radians, Grads };
// Trigonometry in the current angle mode; exact at the quarter turns in
// degrees and grads, as the calculators are.
Real sinIn(const Real &x, AngleMode m, RealCondition &c);
Real cosIn(const Real &x, AngleMode m, RealCondition &c);
Real tanIn(const Real &x, AngleMode m, RealCondition &c);
Real toAngle(const Real &radians, AngleMode m, RealCondition &c); // radians -> mode
// ASIN, ACOS, ATAN answering in the angle mode, converted at full precision
Real arcIn(RealFn fn, const Real &x, AngleMode m, RealCondition &c);
Real fromAngle(const Real &x, AngleMode m, RealCondition &c); // mode -> radians

Real floorReal(const Real &x);
Real ceilReal(const Real &x);
Real intPart(const Real &x);
Real fracPart(const Real &x);
// RND and TRNC: n >= 0 keeps n decimals, n < 0 keeps -n significant digits.
Real roundReal(const Real &x, int n, bool truncate);

enum class DisplayMode : uint8_t { Std, Fix, Sci, Eng };

struct NumberFormat
{
    DisplayMode mode = DisplayMode::Std;
    int digits = 0;           // 0..11 for FIX, SCI, ENG
    bool trailingDot = false; // the 49 family shows integral reals as "3."
    bool commaMark = false;   // flag -51: "," is the fraction mark
};

// The text the calculator shows for a real (and what ->STR gives).
std::string formatReal(const Real &r, const NumberFormat &f);
// Full precision, STD form; used where text must read back exactly.
std::string formatRealExact(const Real &r);

// A real in extended precision (as the matrix and complex functions compute),
// and an extended value rounded to twelve digits; false when x is not finite.
// The exponent of the result saturates: the caller applies the range rules.
long double extendedOf(const Real &r);
bool fromExtended(long double x, Real &out);

// Reads a number as typed: [-]digits[.digits][E[-]digits]; more than 12
// digits are rounded, exponents beyond the range saturate. Returns false when
// text (all of it) is not a number.
bool parseReal(const std::string &text, Real &out, bool commaMark = false);

} // namespace Calc
