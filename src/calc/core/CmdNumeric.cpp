// Numeric tools: polynomials as coefficient vectors (PEVAL, PCOEF), the
// discrete Fourier transform (FFT, IFFT), and the time value of money
// (TVMBEG, TVMEND, TVMROOT, AMORT over the variables N I%YR PV PMT FV PYR).
#include "calc/core/CommandTable.h"

#include <cmath>
#include <complex>

namespace Calc {

namespace {

using LC = std::complex<long double>;

std::vector<LC> vectorOf(Engine &e, size_t level)
{
    const Value &v = e.level(level);
    if (v.type() != Type::Array || v.asArray()->isMatrix())
        throw CalcError(Err::InvalidDimension);
    std::vector<LC> out;
    for (const Value &x : v.asArray()->elems) {
        const Cx c = cxOf(x);
        out.emplace_back(extendedOf(c.re), extendedOf(c.im));
    }
    return out;
}

// A vector of reals when every imaginary part is zero, else of complex numbers.
Value vectorValue(Engine &e, const std::vector<LC> &v, bool forceComplex = false)
{
    bool complex = forceComplex;
    for (const LC &z : v)
        complex = complex || z.imag() != 0;
    std::vector<Value> out;
    for (const LC &z : v) {
        if (complex)
            out.push_back(Value::complex(realOfExtended(e, z.real()), realOfExtended(e, z.imag())));
        else
            out.push_back(Value::real(realOfExtended(e, z.real())));
    }
    const auto n = static_cast<uint32_t>(out.size());
    return Value::array({n}, std::move(out));
}

std::vector<LC> dft(const std::vector<LC> &x, bool inverse)
{
    const size_t n = x.size();
    const long double pi = 3.141592653589793238462643383279502884L;
    std::vector<LC> out(n);
    for (size_t k = 0; k < n; ++k) {
        LC s = 0;
        for (size_t j = 0; j < n; ++j) {
            const long double a = (inverse ? 2 : -2) * pi * static_cast<long double>(j * k % n) / n;
            s += x[j] * LC(std::cos(a), std::sin(a));
        }
        out[k] = inverse ? s / static_cast<long double>(n) : s;
    }
    // values that are zero but for rounding are shown as zero
    long double big = 0;
    for (const LC &z : out)
        big = std::max(big, std::abs(z));
    for (LC &z : out) {
        if (std::fabs(z.real()) < big * 1e-15L)
            z.real(0);
        if (std::fabs(z.imag()) < big * 1e-15L)
            z.imag(0);
    }
    return out;
}

// ---- time value of money ------------------------------------------------------------

struct Tvm
{
    long double n, rate, pv, pmt, fv, pyr;
    bool begin;
};

long double tvmVar(Engine &e, const char *name, long double fallback, bool required)
{
    Value *v = e.findGlobal(internName(name).get());
    if (!v) {
        if (required)
            throw CalcError(Err::UndefinedName, std::string("TVM: ") + name + " has no value");
        return fallback;
    }
    if (!isRealArg(*v))
        throw CalcError(Err::BadArgumentType);
    return extendedOf(realOfNumber(*v));
}

Tvm tvmOf(Engine &e, const std::string &unknown)
{
    auto get = [&](const char *n, long double fb) {
        return tvmVar(e, n, fb, unknown != n);
    };
    Tvm t{get("N", 0), get("I%YR", 0), get("PV", 0), get("PMT", 0), get("FV", 0),
          tvmVar(e, "PYR", 12, false), e.flag(-14)};
    if (t.pyr <= 0)
        throw CalcError(Err::BadArgumentValue);
    return t;
}

// The balance equation: zero when the five values agree.
long double tvmBalance(const Tvm &t)
{
    const long double i = t.rate / 100 / t.pyr;
    if (i == 0)
        return t.pv + t.pmt * t.n + t.fv;
    const long double v = std::pow(1 + i, -t.n);
    return t.pv + (1 + i * (t.begin ? 1 : 0)) * t.pmt * (1 - v) / i + t.fv * v;
}

long double solveTvm(Tvm t, const std::string &name)
{
    const long double i = t.rate / 100 / t.pyr;
    const long double s = 1 + i * (t.begin ? 1 : 0);
    if (name == "PV") {
        t.pv = 0;
        return -tvmBalance(t);
    }
    if (name == "FV") {
        t.fv = 0;
        const long double rest = tvmBalance(t);
        return i == 0 ? -rest : -rest * std::pow(1 + i, t.n);
    }
    if (name == "PMT") {
        t.pmt = 0;
        const long double rest = tvmBalance(t);
        const long double per = i == 0 ? t.n : s * (1 - std::pow(1 + i, -t.n)) / i;
        if (per == 0)
            throw CalcError(Err::BadArgumentValue);
        return -rest / per;
    }
    if (name == "N") {
        if (i == 0) {
            if (t.pmt == 0)
                throw CalcError(Err::BadArgumentValue);
            return -(t.pv + t.fv) / t.pmt;
        }
        const long double a = s * t.pmt / i;
        const long double ratio = (t.pv + a) / (a - t.fv);
        if (ratio <= 0)
            throw CalcError(Err::BadArgumentValue, "TVM: no number of payments balances these values");
        return -std::log(ratio) / std::log(1 + i);
    }
    // I%YR: the secant method from two guesses
    long double r0 = 1, r1 = 10;
    t.rate = r0;
    long double f0 = tvmBalance(t);
    for (int k = 0; k < 200; ++k) {
        t.rate = r1;
        const long double f1 = tvmBalance(t);
        if (std::fabs(f1) < 1e-15L * (std::fabs(t.pv) + std::fabs(t.fv) + std::fabs(t.pmt) + 1))
            return r1;
        if (f1 == f0)
            break;
        const long double r2 = r1 - f1 * (r1 - r0) / (f1 - f0);
        r0 = r1;
        f0 = f1;
        r1 = r2 <= -100 * t.pyr ? (r1 - 100 * t.pyr) / 2 : r2;
    }
    throw CalcError(Err::BadArgumentValue, "TVM: no interest rate balances these values");
}

// The polygamma function of order n (n = 0: the digamma function), by the
// recurrence up to x >= 20 and the asymptotic series there.
long double polygamma(int n, long double x)
{
    if (x <= 0 && x == std::floor(x))
        throw CalcError(Err::InfiniteResult);
    long double shift = 0;
    long double fact = 1; // n!
    for (int k = 2; k <= n; ++k)
        fact *= k;
    const long double sign = n % 2 == 0 ? -1 : 1; // (-1)^(n+1)
    while (x < 20) {
        // psi_n(x) = psi_n(x+1) - (-1)^n n! / x^(n+1)
        shift += sign * fact / std::pow(x, n + 1);
        x += 1;
    }
    // Bernoulli numbers B2 ... B16
    static const long double b[] = {1.0L / 6, -1.0L / 30, 1.0L / 42, -1.0L / 30, 5.0L / 66,
                                    -691.0L / 2730, 7.0L / 6, -3617.0L / 510};
    long double s;
    if (n == 0) {
        s = std::log(x) - 1 / (2 * x);
        for (int k = 1; k <= 8; ++k)
            s -= b[k - 1] / (2 * k * std::pow(x, 2 * k));
        return s + shift;
    }
    // (-1)^(n+1) [ (n-1)!/x^n + n!/(2 x^(n+1)) + sum B2k (2k+n-1)!/((2k)! x^(2k+n)) ]
    long double nm1 = fact / n;
    s = nm1 / std::pow(x, n) + fact / (2 * std::pow(x, n + 1));
    for (int k = 1; k <= 8; ++k) {
        long double ratio = 1; // (2k+n-1)! / (2k)!
        for (int j = 2 * k + 1; j <= 2 * k + n - 1; ++j)
            ratio *= j;
        s += b[k - 1] * ratio / std::pow(x, 2 * k + n);
    }
    return sign * s + shift;
}

const CommandDef defs[] = {
    {"PEVAL",
     2,
     {AReal | AComplex, AArray},
     0,
     [](Engine &e) {
         // [an ... a0] x PEVAL: the polynomial's value by Horner's rule
         const std::vector<LC> c = vectorOf(e, 2);
         const Cx x = cxOf(e.level(1));
         const LC z(extendedOf(x.re), extendedOf(x.im));
         LC s = 0;
         for (const LC &a : c)
             s = s * z + a;
         if (s.imag() == 0 && e.level(1).type() == Type::Real && !e.level(2).asArray()->isComplex())
             e.replace(2, Value::real(realOfExtended(e, s.real())));
         else
             e.replace(2, Value::complex(realOfExtended(e, s.real()), realOfExtended(e, s.imag())));
     }},
    {"PCOEF",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // the monic polynomial whose roots are given
         const std::vector<LC> roots = vectorOf(e, 1);
         std::vector<LC> c{1};
         for (const LC &r : roots) {
             c.push_back(0);
             for (size_t k = c.size() - 1; k > 0; --k)
                 c[k] -= r * c[k - 1];
         }
         e.replace(1, vectorValue(e, c));
     }},
    {"FFT",
     1,
     {AArray},
     0,
     [](Engine &e) { e.replace(1, vectorValue(e, dft(vectorOf(e, 1), false), true)); }},
    {"IFFT",
     1,
     {AArray},
     0,
     [](Engine &e) { e.replace(1, vectorValue(e, dft(vectorOf(e, 1), true), true)); }},
    {"TVMBEG", 0, {}, 0, [](Engine &e) { e.setFlag(-14, true); }},
    {"TVMEND", 0, {}, 0, [](Engine &e) { e.setFlag(-14, false); }},
    {"TVMROOT",
     1,
     {AName | AString},
     0,
     [](Engine &e) {
         // 'name' TVMROOT: solves for that variable, stores and returns it
         const Value &v = e.level(1);
         const std::string name = v.type() == Type::String ? v.str() : v.nameText();
         if (name != "N" && name != "I%YR" && name != "PV" && name != "PMT" && name != "FV")
             throw CalcError(Err::BadArgumentValue);
         const long double x = solveTvm(tvmOf(e, name), name);
         const Value r = Value::real(realOfExtended(e, x));
         e.store(Value::global(name), r);
         e.replace(1, r);
     }},
    {"AMORT",
     1,
     {AReal},
     0,
     [](Engine &e) {
         // n AMORT: principal and interest of the first n payments, and the
         // balance after them
         const Tvm t = tvmOf(e, "");
         const int64_t n = intAt(e, 1, 0, 100000);
         const long double i = t.rate / 100 / t.pyr;
         long double balance = t.pv, principal = 0, interest = 0;
         for (int64_t k = 0; k < n; ++k) {
             const long double due = t.begin && k == 0 ? 0 : -balance * i;
             interest += due;
             principal += t.pmt - due;
             balance += t.pmt - due;
         }
         e.drop(1);
         e.push(Value::real(realOfExtended(e, principal)));
         e.push(Value::real(realOfExtended(e, interest)));
         e.push(Value::real(realOfExtended(e, balance)));
     }},
    {"Psi",
     1,
     {AReal},
     Function | Only49,
     [](Engine &e) { e.replace(1, Value::real(realOfExtended(e, polygamma(0, extendedOf(realAt(e, 1)))))); }},
    {"PSI",
     2,
     {AReal, AReal},
     Function | Only49,
     [](Engine &e) {
         // x n PSI: the n-th derivative of the digamma function at x
         const int n = static_cast<int>(intAt(e, 1, 0, 100));
         e.replace(2, Value::real(realOfExtended(e, polygamma(n, extendedOf(realAt(e, 2))))));
     }},
};

} // namespace

CommandGroup numericCommands()
{
    return group(defs);
}

} // namespace Calc
