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

IntegerObj::IntegerObj(std::string d)
    : digits(std::move(d))
{
    const size_t n = digits.size() - (!digits.empty() && digits[0] == '-' ? 1 : 0);
    if (n == 0 || n > 18)
        return; // 18 digits always fit in 63 bits
    int64_t v = 0;
    for (char c : digits)
        if (c != '-')
            v = v * 10 + (c - '0');
    value = digits[0] == '-' ? -v : v;
    small = true;
}

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
    return makeHeap(new IntegerObj(v), Type::Integer);
}

const std::string &integerText(const Value &v)
{
    return static_cast<const IntegerObj *>(v.object())->digits;
}

namespace {

// Below 10^12 an integer is a real exactly, without reading its digits.
constexpr int64_t ExactInReal = 1000000000000LL;

} // namespace

Real integerToReal(Engine &e, const Value &v)
{
    const auto *i = static_cast<const IntegerObj *>(v.object());
    if (i->small && i->value < ExactInReal && i->value > -ExactInReal)
        return Real::fromInt(i->value);
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
    const auto *i = static_cast<const IntegerObj *>(v.object());
    if (i->small && i->value < ExactInReal && i->value > -ExactInReal)
        return Real::fromInt(i->value);
    const std::string &t = integerText(v);
    if (t.size() - (t[0] == '-' ? 1 : 0) > 500)
        return Real::maxReal(t[0] == '-');
    Real r;
    parseReal(t, r);
    return r;
}

namespace {

const IntegerObj *smallInteger(const Value &v)
{
    const auto *i = static_cast<const IntegerObj *>(v.object());
    return i->small ? i : nullptr;
}

} // namespace

Value integerArith(Engine &e, int op, const Value &a, const Value &b)
{
    const CommonOps &o = ops();
    if (const IntegerObj *p = smallInteger(a)) {
        if (const IntegerObj *q = smallInteger(b)) {
            // the common case, small integers: no GMP unless the result
            // leaves the machine's range
            int64_t r = 0;
            if ((op == o.add && !__builtin_add_overflow(p->value, q->value, &r)) ||
                (op == o.sub && !__builtin_sub_overflow(p->value, q->value, &r)) ||
                (op == o.mul && !__builtin_mul_overflow(p->value, q->value, &r)))
                return integerValue(r);
        }
    }
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
    const IntegerObj *p = smallInteger(a);
    const IntegerObj *q = smallInteger(b);
    if (p && q)
        return p->value < q->value ? -1 : (p->value > q->value ? 1 : 0);
    Z x(a), y(b);
    const int c = mpz_cmp(x.v, y.v);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace Calc
