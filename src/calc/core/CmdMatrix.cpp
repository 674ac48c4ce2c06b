// More matrix commands: TRACE, the diagonal (DIAG→ →DIAG), RANK, RSD,
// random and special matrices (RANM HILBERT VANDERMONDE), the element-wise
// product HADAMARD, and SNEG SINV SCONJ, which change a variable in place.
#include "calc/core/CommandTable.h"

#include <algorithm>
#include <cmath>

namespace Calc {

namespace {

const ArrayObj &matrixAt(Engine &e, size_t level)
{
    const Value &v = e.level(level);
    if (v.type() != Type::Array || !v.asArray()->isMatrix())
        throw CalcError(Err::InvalidDimension);
    return *v.asArray();
}

// Dimensions given as n, { n } or { m n }.
std::vector<uint32_t> dimsOf(Engine &e, const Value &v)
{
    auto count = [&](const Value &x) {
        if (!isRealArg(x))
            throw CalcError(Err::BadArgumentType);
        bool ok = false;
        const int64_t n = intPart(realOfNumber(x)).toInt(&ok);
        if (!ok || n < 1 || n > 65535)
            throw CalcError(Err::BadArgumentValue);
        return static_cast<uint32_t>(n);
    };
    (void)e;
    if (isRealArg(v))
        return {count(v)};
    const auto &it = v.items();
    if (it.empty() || it.size() > 2)
        throw CalcError(Err::InvalidDimension);
    std::vector<uint32_t> d;
    for (const Value &x : it)
        d.push_back(count(x));
    if (static_cast<uint64_t>(d[0]) * (d.size() > 1 ? d[1] : 1) > MaxArrayElements)
        throw CalcError(Err::InsufficientMemory);
    return d;
}

Value zeroLike(const ArrayObj &a)
{
    return a.isComplex() ? Value::complex(Real{}, Real{}) : Value::real(0);
}

// The variable a name holds, changed by fn and stored back.
void changeVariable(Engine &e, Value (*fn)(Engine &, const Value &))
{
    const Value name = e.level(1);
    Value v = e.recall(name);
    Value r = fn(e, v);
    e.store(name, r);
    e.drop(1);
}

// A real matrix in extended precision, for the factorizations.
struct Ext
{
    size_t rows, cols;
    std::vector<long double> x;
    long double tol; // what counts as zero: the largest element times 1E-12
    long double &at(size_t r, size_t c) { return x[r * cols + c]; }
    void swapRows(size_t a, size_t b)
    {
        for (size_t k = 0; k < cols; ++k)
            std::swap(at(a, k), at(b, k));
    }
};

Ext extOf(const ArrayObj &a)
{
    if (a.isComplex())
        throw CalcError(Err::BadArgumentType);
    Ext m{a.rows(), a.cols(), {}, 0};
    long double big = 0;
    for (const Value &v : a.elems) {
        m.x.push_back(extendedOf(v.asReal()));
        big = std::max(big, std::fabs(m.x.back()));
    }
    m.tol = big * 1e-12L;
    return m;
}

Value valueOf(Engine &e, const Ext &m)
{
    std::vector<Value> out;
    for (long double v : m.x)
        out.push_back(Value::real(realOfExtended(e, std::fabs(v) <= m.tol ? 0 : v)));
    const auto r = static_cast<uint32_t>(m.rows), c = static_cast<uint32_t>(m.cols);
    return Value::array({r, c}, std::move(out));
}

// Singular values, largest first, by one-sided Jacobi rotations.
std::vector<long double> singularValues(const ArrayObj &a)
{
    Ext m = extOf(a);
    // work on the columns of the taller orientation
    if (m.rows < m.cols) {
        Ext t{m.cols, m.rows, std::vector<long double>(m.x.size()), m.tol};
        for (size_t r = 0; r < m.rows; ++r)
            for (size_t c = 0; c < m.cols; ++c)
                t.at(c, r) = m.at(r, c);
        m = t;
    }
    for (int sweep = 0; sweep < 60; ++sweep) {
        bool rotated = false;
        for (size_t p = 0; p + 1 < m.cols; ++p)
            for (size_t q = p + 1; q < m.cols; ++q) {
                long double alpha = 0, beta = 0, gamma = 0;
                for (size_t i = 0; i < m.rows; ++i) {
                    alpha += m.at(i, p) * m.at(i, p);
                    beta += m.at(i, q) * m.at(i, q);
                    gamma += m.at(i, p) * m.at(i, q);
                }
                if (std::fabs(gamma) <= 1e-30L + 1e-19L * std::sqrt(alpha * beta))
                    continue;
                rotated = true;
                const long double zeta = (beta - alpha) / (2 * gamma);
                const long double t =
                    (zeta >= 0 ? 1 : -1) / (std::fabs(zeta) + std::sqrt(1 + zeta * zeta));
                const long double c = 1 / std::sqrt(1 + t * t), s = c * t;
                for (size_t i = 0; i < m.rows; ++i) {
                    const long double xp = m.at(i, p), xq = m.at(i, q);
                    m.at(i, p) = c * xp - s * xq;
                    m.at(i, q) = s * xp + c * xq;
                }
            }
        if (!rotated)
            break;
    }
    std::vector<long double> s;
    for (size_t c = 0; c < m.cols; ++c) {
        long double n = 0;
        for (size_t i = 0; i < m.rows; ++i)
            n += m.at(i, c) * m.at(i, c);
        s.push_back(std::sqrt(n));
    }
    std::sort(s.rbegin(), s.rend());
    return s;
}

const CommandDef defs[] = {
    {"TRACE",
     1,
     {AArray},
     0,
     [](Engine &e) {
         const ArrayObj &a = matrixAt(e, 1);
         if (a.rows() != a.cols())
             throw CalcError(Err::InvalidDimension);
         Value sum = zeroLike(a);
         for (uint32_t i = 0; i < a.rows(); ++i)
             sum = arith(e, ops().add, sum, a.elems[i * a.cols() + i]);
         e.replace(1, sum);
     }},
    {"→DIAG",
     1,
     {AArray},
     0,
     [](Engine &e) {
         const ArrayObj &a = matrixAt(e, 1);
         const uint32_t n = std::min(a.rows(), a.cols());
         std::vector<Value> d;
         for (uint32_t i = 0; i < n; ++i)
             d.push_back(a.elems[i * a.cols() + i]);
         e.replace(1, Value::array({n}, std::move(d)));
     }},
    {"DIAG→",
     2,
     {AList | AReal, AArray},
     0,
     [](Engine &e) {
         // vector dims DIAG→: a matrix with the vector on its diagonal
         const Value &vec = e.level(2);
         if (vec.asArray()->isMatrix())
             throw CalcError(Err::InvalidDimension);
         std::vector<uint32_t> d = dimsOf(e, e.level(1));
         if (d.size() == 1)
             d.push_back(d[0]);
         const ArrayObj &v = *vec.asArray();
         std::vector<Value> m(static_cast<size_t>(d[0]) * d[1], zeroLike(v));
         for (uint32_t i = 0; i < d[0] && i < d[1] && i < v.elems.size(); ++i)
             m[static_cast<size_t>(i) * d[1] + i] = v.elems[i];
         e.replace(2, Value::array(std::move(d), std::move(m)));
     }},
    {"RANK",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // Gaussian elimination with partial pivoting; a pivot below the
         // matrix's size times 1E-10 counts as zero
         const ArrayObj &a = matrixAt(e, 1);
         if (a.isComplex())
             throw CalcError(Err::BadArgumentType);
         const size_t m = a.rows(), n = a.cols();
         std::vector<long double> x(m * n);
         long double big = 0;
         for (size_t i = 0; i < m * n; ++i) {
             x[i] = extendedOf(a.elems[i].asReal());
             big = std::max(big, std::fabs(x[i]));
         }
         const long double tol = big * 1e-10L;
         size_t rank = 0;
         for (size_t c = 0; c < n && rank < m; ++c) {
             size_t p = rank;
             for (size_t r = rank + 1; r < m; ++r)
                 if (std::fabs(x[r * n + c]) > std::fabs(x[p * n + c]))
                     p = r;
             if (std::fabs(x[p * n + c]) <= tol)
                 continue;
             for (size_t k = 0; k < n; ++k)
                 std::swap(x[p * n + k], x[rank * n + k]);
             for (size_t r = rank + 1; r < m; ++r) {
                 const long double f = x[r * n + c] / x[rank * n + c];
                 for (size_t k = c; k < n; ++k)
                     x[r * n + k] -= f * x[rank * n + k];
             }
             ++rank;
         }
         e.replace(1, Value::real(static_cast<int64_t>(rank)));
     }},
    {"RSD",
     3,
     {AArray, AArray, AArray},
     0,
     [](Engine &e) {
         // B A Z RSD: the residual B - A*Z
         Value az = arith(e, ops().mul, e.level(2), e.level(1));
         Value r = arith(e, ops().sub, e.level(3), az);
         e.replace(3, std::move(r));
     }},
    {"RANM",
     1,
     {AList | AReal},
     0,
     [](Engine &e) {
         // whole numbers from -9 to 9
         std::vector<uint32_t> d = dimsOf(e, e.level(1));
         const size_t n = static_cast<size_t>(d[0]) * (d.size() > 1 ? d[1] : 1);
         std::vector<Value> m;
         for (size_t i = 0; i < n; ++i) {
             const long double r = extendedOf(e.nextRandom());
             m.push_back(Value::real(static_cast<int64_t>(std::floor(r * 19)) - 9));
         }
         e.replace(1, Value::array(std::move(d), std::move(m)));
     }},
    {"HILBERT",
     1,
     {AReal},
     Only49,
     [](Engine &e) {
         const uint32_t n = static_cast<uint32_t>(intAt(e, 1, 1, 1000));
         std::vector<Value> m;
         for (uint32_t i = 1; i <= n; ++i)
             for (uint32_t j = 1; j <= n; ++j) {
                 RealCondition c = RealCondition::Ok;
                 m.push_back(Value::real(div(Real::fromInt(1), Real::fromInt(i + j - 1), c)));
             }
         e.replace(1, Value::array({n, n}, std::move(m)));
     }},
    {"VANDERMONDE",
     1,
     {AList | AArray},
     Only49,
     [](Engine &e) {
         // row i: 1, x_i, x_i^2 ... x_i^(n-1)
         const Value &v = e.level(1);
         std::vector<Value> xs;
         if (v.type() == Type::List)
             xs = v.items();
         else if (!v.asArray()->isMatrix())
             xs = v.asArray()->elems;
         else
             throw CalcError(Err::InvalidDimension);
         const uint32_t n = static_cast<uint32_t>(xs.size());
         if (n == 0)
             throw CalcError(Err::InvalidDimension);
         std::vector<Value> m;
         for (const Value &x : xs) {
             if (x.type() != Type::Real && x.type() != Type::Complex)
                 throw CalcError(Err::BadArgumentType);
             Value p = Value::real(1);
             for (uint32_t j = 0; j < n; ++j) {
                 m.push_back(p);
                 p = arith(e, ops().mul, p, x);
             }
         }
         promoteToComplex(m);
         e.replace(1, Value::array({n, n}, std::move(m)));
     }},
    {"HADAMARD",
     2,
     {AArray, AArray},
     Only49,
     [](Engine &e) {
         const ArrayObj &a = *e.level(2).asArray();
         const ArrayObj &b = *e.level(1).asArray();
         if (a.dims != b.dims)
             throw CalcError(Err::InvalidDimension);
         std::vector<Value> m;
         for (size_t i = 0; i < a.elems.size(); ++i)
             m.push_back(arith(e, ops().mul, a.elems[i], b.elems[i]));
         promoteToComplex(m);
         std::vector<uint32_t> d = a.dims;
         e.replace(2, Value::array(std::move(d), std::move(m)));
     }},
    {"SNEG",
     1,
     {AName},
     0,
     [](Engine &e) {
         changeVariable(e, [](Engine &en, const Value &v) {
             if (v.type() == Type::Array)
                 return arrayUnary(en, ArrayUnary::Neg, v);
             if (v.isSymbolic()) {
                 return makeSymbolic(ops().neg, &v, 1);
             }
             return arith(en, ops().mul, Value::real(-1), v);
         });
     }},
    {"SINV",
     1,
     {AName},
     0,
     [](Engine &e) {
         changeVariable(e, [](Engine &en, const Value &v) {
             if (v.type() == Type::Array)
                 return arrayUnary(en, ArrayUnary::Inv, v);
             return arith(en, ops().div, Value::real(1), v);
         });
     }},
    {"SCONJ",
     1,
     {AName},
     0,
     [](Engine &e) {
         changeVariable(e, [](Engine &en, const Value &v) {
             if (v.type() == Type::Complex)
                 return Value::complex(v.asComplex()->re, v.asComplex()->im.negated());
             if (v.type() == Type::Array) {
                 en.push(v);
                 arrayConj(en);
                 return en.pop();
             }
             if (v.type() == Type::Real)
                 return v;
             throw CalcError(Err::BadArgumentType);
         });
     }},
    {"TRAN",
     1,
     {AArray},
     Only49,
     [](Engine &e) {
         // the transpose, without conjugating complex elements
         const ArrayObj &a = matrixAt(e, 1);
         std::vector<Value> out;
         for (uint32_t c = 0; c < a.cols(); ++c)
             for (uint32_t r = 0; r < a.rows(); ++r)
                 out.push_back(a.elems[static_cast<size_t>(r) * a.cols() + c]);
         const uint32_t rows = a.cols(), cols = a.rows();
         e.replace(1, Value::array({rows, cols}, std::move(out)));
     }},
    {"RREF",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // reduced row echelon form by Gauss-Jordan elimination with partial
         // pivoting; what rounding leaves of a zero is shown as zero
         Ext m = extOf(matrixAt(e, 1));
         size_t row = 0;
         for (size_t c = 0; c < m.cols && row < m.rows; ++c) {
             size_t p = row;
             for (size_t r = row + 1; r < m.rows; ++r)
                 if (std::fabs(m.at(r, c)) > std::fabs(m.at(p, c)))
                     p = r;
             if (std::fabs(m.at(p, c)) <= m.tol)
                 continue;
             m.swapRows(p, row);
             const long double d = m.at(row, c);
             for (size_t k = 0; k < m.cols; ++k)
                 m.at(row, k) /= d;
             for (size_t r = 0; r < m.rows; ++r) {
                 if (r == row)
                     continue;
                 const long double f = m.at(r, c);
                 for (size_t k = 0; k < m.cols; ++k)
                     m.at(r, k) -= f * m.at(row, k);
             }
             ++row;
         }
         e.replace(1, valueOf(e, m));
     }},
    {"LU",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // Crout's factorization with row pivoting: P*A = L*U, U with ones
         // on its diagonal; L, U and P are left on the stack
         Ext a = extOf(matrixAt(e, 1));
         const size_t n = a.rows;
         if (a.cols != n)
             throw CalcError(Err::InvalidDimension);
         Ext l{n, n, std::vector<long double>(n * n, 0), a.tol};
         Ext u{n, n, std::vector<long double>(n * n, 0), a.tol};
         std::vector<size_t> perm(n);
         for (size_t i = 0; i < n; ++i)
             perm[i] = i;
         for (size_t j = 0; j < n; ++j) {
             // column j of L, then the pivot
             for (size_t i = j; i < n; ++i) {
                 long double s = a.at(i, j);
                 for (size_t k = 0; k < j; ++k)
                     s -= l.at(i, k) * u.at(k, j);
                 l.at(i, j) = s;
             }
             size_t p = j;
             for (size_t i = j + 1; i < n; ++i)
                 if (std::fabs(l.at(i, j)) > std::fabs(l.at(p, j)))
                     p = i;
             if (p != j) {
                 a.swapRows(p, j);
                 l.swapRows(p, j);
                 std::swap(perm[p], perm[j]);
             }
             u.at(j, j) = 1;
             if (std::fabs(l.at(j, j)) <= a.tol)
                 continue; // a singular matrix still factors; U keeps zeros
             for (size_t k = j + 1; k < n; ++k) {
                 long double s = a.at(j, k);
                 for (size_t m = 0; m < j; ++m)
                     s -= l.at(j, m) * u.at(m, k);
                 u.at(j, k) = s / l.at(j, j);
             }
         }
         Ext p{n, n, std::vector<long double>(n * n, 0), 0};
         for (size_t i = 0; i < n; ++i)
             p.at(i, perm[i]) = 1;
         e.drop(1);
         e.push(valueOf(e, l));
         e.push(valueOf(e, u));
         e.push(valueOf(e, p));
     }},
    {"LSQ",
     2,
     {AArray, AArray},
     0,
     [](Engine &e) {
         // B A LSQ: the least-squares solution of A X = B (the one of least
         // norm when there are fewer equations than unknowns)
         const Value b = e.level(2), a = e.level(1);
         if (!a.asArray()->isMatrix())
             throw CalcError(Err::InvalidDimension);
         static const int trn = findCommand("TRN");
         e.push(a);
         commandInfo(trn).def.fn(e);
         const Value at = e.pop();
         const uint32_t m = a.asArray()->rows(), n = a.asArray()->cols();
         Value x;
         if (m >= n) {
             // (A^T A) X = A^T B
             const Value ata = arith(e, ops().mul, at, a);
             const Value atb = arith(e, ops().mul, at, b);
             x = arith(e, ops().div, atb, ata);
         } else {
             // X = A^T (A A^T)^-1 B
             const Value aat = arith(e, ops().mul, a, at);
             x = arith(e, ops().mul, at, arith(e, ops().div, b, aat));
         }
         e.replace(2, std::move(x));
     }},
    {"COND",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // the condition number in the column norm: ||A|| * ||A^-1||
         const Value a = e.level(1);
         const ArrayObj &m = matrixAt(e, 1);
         if (m.rows() != m.cols())
             throw CalcError(Err::InvalidDimension);
         auto colNorm = [&](const Value &v) {
             const ArrayObj &x = *v.asArray();
             long double best = 0;
             for (uint32_t c = 0; c < x.cols(); ++c) {
                 long double s = 0;
                 for (uint32_t r = 0; r < x.rows(); ++r) {
                     const Cx z = cxOf(x.elems[static_cast<size_t>(r) * x.cols() + c]);
                     s += std::hypot(extendedOf(z.re), extendedOf(z.im));
                 }
                 best = std::max(best, s);
             }
             return best;
         };
         const Value inv = arrayUnary(e, ArrayUnary::Inv, a);
         e.replace(1, Value::real(realOfExtended(e, colNorm(a) * colNorm(inv))));
     }},
    {"SVL",
     1,
     {AArray},
     0,
     [](Engine &e) {
         const std::vector<long double> s = singularValues(matrixAt(e, 1));
         std::vector<Value> out;
         for (long double x : s)
             out.push_back(Value::real(realOfExtended(e, x)));
         const auto k = static_cast<uint32_t>(out.size());
         e.replace(1, Value::array({k}, std::move(out)));
     }},
    {"SNRM",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // the spectral norm: the largest singular value (a vector's length)
         const Value &v = e.level(1);
         long double r = 0;
         if (!v.asArray()->isMatrix()) {
             for (const Value &x : v.asArray()->elems) {
                 const Cx z = cxOf(x);
                 r += extendedOf(z.re) * extendedOf(z.re) + extendedOf(z.im) * extendedOf(z.im);
             }
             r = std::sqrt(r);
         } else {
             const std::vector<long double> s = singularValues(matrixAt(e, 1));
             r = s.empty() ? 0 : s.front();
         }
         e.replace(1, Value::real(realOfExtended(e, r)));
     }},
};

} // namespace

CommandGroup matrixCommands()
{
    return group(defs);
}

} // namespace Calc
