#include "calc/core/Integer.h"

#include "calc/core/CommandTable.h"

#include <gmp.h>

namespace Calc {

namespace {

// An mpz_t that frees itself.
struct Z
{
    Z() { mpz_init(v); }
    explicit Z(const Value &x) { mpz_init_set_str(v, integerText(x).c_str(), 10); }
    ~Z() { mpz_clear(v); }
    Z(const Z &) = delete;
    Z &operator=(const Z &) = delete;
    mpz_t v;
};

std::string textOf(const mpz_t z)
{
    std::string s(mpz_sizeinbase(z, 10) + 2, '\0');
    mpz_get_str(s.data(), 10, z);
    s.resize(std::char_traits<char>::length(s.c_str()));
    return s;
}

Value valueOf(const mpz_t z)
{
    return integerValue(textOf(z));
}

// Integers larger than this many digits are "Insufficient Memory", so that
// a typed 99999 99999 ^ cannot exhaust the computer.
constexpr size_t MaxDigits = 100000;

} // namespace

bool parseInteger(std::string_view text, std::string &canonical)
{
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++i;
    if (i >= text.size())
        return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    while (i + 1 < text.size() && text[i] == '0')
        ++i;
    canonical = std::string(text.substr(i));
    if (negative && canonical != "0")
        canonical.insert(canonical.begin(), '-');
    return true;
}

Value integerValue(std::string canonical)
{
    if (canonical.size() > MaxDigits + 1)
        throw CalcError(Err::InsufficientMemory);
    return makeHeap(new IntegerObj(std::move(canonical)), Type::Integer);
}

Value integerValue(int64_t v)
{
    return integerValue(std::to_string(v));
}

const std::string &integerText(const Value &v)
{
    return static_cast<const IntegerObj *>(v.object())->digits;
}

Real integerToReal(Engine &e, const Value &v)
{
    const std::string &t = integerText(v);
    Real r;
    parseReal(t, r);
    const size_t digits = t.size() - (t[0] == '-' ? 1 : 0);
    if (digits > 500)
        return e.checked(Real::maxReal(t[0] == '-'), RealCondition::Overflow);
    return r;
}

Real integerToRealQuiet(const Value &v)
{
    const std::string &t = integerText(v);
    if (t.size() - (t[0] == '-' ? 1 : 0) > 500)
        return Real::maxReal(t[0] == '-');
    Real r;
    parseReal(t, r);
    return r;
}

Value integerArith(Engine &e, int op, const Value &a, const Value &b)
{
    const CommonOps &o = ops();
    Z x(a), y(b), r;
    if (op == o.add) {
        mpz_add(r.v, x.v, y.v);
    } else if (op == o.sub) {
        mpz_sub(r.v, x.v, y.v);
    } else if (op == o.mul) {
        if (mpz_sizeinbase(x.v, 10) + mpz_sizeinbase(y.v, 10) > MaxDigits)
            throw CalcError(Err::InsufficientMemory);
        mpz_mul(r.v, x.v, y.v);
    } else if (op == o.div) {
        if (mpz_sgn(y.v) == 0)
            throw CalcError(mpz_sgn(x.v) == 0 ? Err::UndefinedResult : Err::InfiniteResult);
        if (mpz_divisible_p(x.v, y.v)) {
            mpz_divexact(r.v, x.v, y.v);
        } else if (e.numericResults()) {
            RealCondition c = RealCondition::Ok;
            return Value::real(
                e.checked(div(integerToReal(e, a), integerToReal(e, b), c), c));
        } else {
            // the fraction in lowest terms, the sign on the numerator
            Z g, n, d;
            mpz_gcd(g.v, x.v, y.v);
            mpz_divexact(n.v, x.v, g.v);
            mpz_divexact(d.v, y.v, g.v);
            if (mpz_sgn(d.v) < 0) {
                mpz_neg(n.v, n.v);
                mpz_neg(d.v, d.v);
            }
            return Value::algebraic({valueOf(n.v), valueOf(d.v), Value::command(o.div)});
        }
    } else if (op == o.pow) {
        if (mpz_sgn(y.v) < 0) {
            // a negative power: one over the positive one
            mpz_neg(y.v, y.v);
            const Value p = integerArith(e, op, a, valueOf(y.v));
            return integerArith(e, o.div, integerValue(1), p);
        }
        if (!mpz_fits_ulong_p(y.v))
            throw CalcError(Err::InsufficientMemory);
        const unsigned long n = mpz_get_ui(y.v);
        const size_t size = mpz_sizeinbase(x.v, 10);
        if (mpz_cmpabs_ui(x.v, 1) > 0 && size * n > MaxDigits)
            throw CalcError(Err::InsufficientMemory);
        mpz_pow_ui(r.v, x.v, n);
    } else {
        return Value();
    }
    return valueOf(r.v);
}

int compareIntegers(const Value &a, const Value &b)
{
    Z x(a), y(b);
    const int c = mpz_cmp(x.v, y.v);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace Calc
