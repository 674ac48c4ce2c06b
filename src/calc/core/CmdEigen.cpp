// Eigenvalues and the matrix factorizations of the calculators: EGV, EGVL,
// SRAD, SVD, SCHUR, QR, LQ, and PROOT (the eigenvalues of the polynomial's
// companion matrix). The numerical work is Debian's LAPACK (the reference
// implementation every numerical library builds on), in double precision;
// the results are rounded to the calculators' twelve digits, and what is
// zero but for rounding shows as zero.
#include "calc/core/CommandTable.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <dlfcn.h>
#include <string>
#include <type_traits>

namespace Calc {

namespace {

using Z = std::complex<double>;

extern "C" {
// LAPACK's Fortran entry points, declared for their types only (see
// lapack() below); the trailing size_t are the lengths of the character
// arguments, which gfortran passes by value.
void zgeev_(const char *jobvl, const char *jobvr, const int *n, Z *a, const int *lda, Z *w, Z *vl,
            const int *ldvl, Z *vr, const int *ldvr, Z *work, const int *lwork, double *rwork, int *info,
            size_t, size_t);
void zgesvd_(const char *jobu, const char *jobvt, const int *m, const int *n, Z *a, const int *lda,
             double *s, Z *u, const int *ldu, Z *vt, const int *ldvt, Z *work, const int *lwork,
             double *rwork, int *info, size_t, size_t);
void zgees_(const char *jobvs, const char *sort, int (*select)(const Z *), const int *n, Z *a,
            const int *lda, int *sdim, Z *w, Z *vs, const int *ldvs, Z *work, const int *lwork,
            double *rwork, int *bwork, int *info, size_t, size_t);
void dgees_(const char *jobvs, const char *sort, int (*select)(const double *, const double *),
            const int *n, double *a, const int *lda, int *sdim, double *wr, double *wi, double *vs,
            const int *ldvs, double *work, const int *lwork, int *bwork, int *info, size_t, size_t);
void zgeqp3_(const int *m, const int *n, Z *a, const int *lda, int *jpvt, Z *tau, Z *work,
             const int *lwork, double *rwork, int *info);
void zungqr_(const int *m, const int *n, const int *k, Z *a, const int *lda, const Z *tau, Z *work,
             const int *lwork, int *info);
}


// LAPACK is opened on the first command that needs it, not linked: a
// program that never asks for an eigenvalue (qvrpl in a script, most of the
// editor's runs) does not load and relocate it and the Fortran runtime
// beneath it at every start.
struct Lapack
{
    decltype(&zgeev_) zgeev = nullptr;
    decltype(&zgesvd_) zgesvd = nullptr;
    decltype(&zgees_) zgees = nullptr;
    decltype(&dgees_) dgees = nullptr;
    decltype(&zgeqp3_) zgeqp3 = nullptr;
    decltype(&zungqr_) zungqr = nullptr;
    std::string problem; // why it could not be opened, or empty
};

const Lapack &lapack()
{
    static const Lapack l = [] {
        Lapack r;
        void *h = dlopen("liblapack.so.3", RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            const char *why = dlerror();
            r.problem = std::string("LAPACK (liblapack.so.3) could not be opened: ") +
                        (why ? why : "not found") + "; install Debian's liblapack3";
            return r;
        }
        auto get = [&](auto &fn, const char *name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(h, name));
            if (!fn && r.problem.empty())
                r.problem = std::string("LAPACK has no ") + name;
        };
        get(r.zgeev, "zgeev_");
        get(r.zgesvd, "zgesvd_");
        get(r.zgees, "zgees_");
        get(r.dgees, "dgees_");
        get(r.zgeqp3, "zgeqp3_");
        get(r.zungqr, "zungqr_");
        return r;
    }();
    if (!l.problem.empty())
        throw CalcError(Err::BadArgumentValue, l.problem);
    return l;
}

// A matrix as LAPACK holds it: column after column.
struct Mat
{
    int rows = 0, cols = 0;
    std::vector<Z> x;
    bool complex = false; // the calculator's array held complex numbers
    Z &at(int r, int c) { return x[static_cast<size_t>(c) * rows + r]; }
    Z at(int r, int c) const { return x[static_cast<size_t>(c) * rows + r]; }
};

Mat matOf(const Value &v, bool square)
{
    if (v.type() != Type::Array || !v.asArray()->isMatrix())
        throw CalcError(Err::InvalidDimension);
    const ArrayObj &a = *v.asArray();
    Mat m;
    m.rows = static_cast<int>(a.rows());
    m.cols = static_cast<int>(a.cols());
    if (square && m.rows != m.cols)
        throw CalcError(Err::InvalidDimension);
    m.complex = a.isComplex();
    m.x.resize(static_cast<size_t>(m.rows) * m.cols);
    for (int r = 0; r < m.rows; ++r)
        for (int c = 0; c < m.cols; ++c) {
            const Cx z = cxOf(a.elems[static_cast<size_t>(r) * m.cols + c]);
            m.at(r, c) = Z(z.re.toDouble(), z.im.toDouble());
            if (!std::isfinite(m.at(r, c).real()) || !std::isfinite(m.at(r, c).imag()))
                throw CalcError(Err::BadArgumentValue);
        }
    return m;
}

Mat identity(int n)
{
    Mat m;
    m.rows = m.cols = n;
    m.x.assign(static_cast<size_t>(n) * n, Z(0));
    for (int i = 0; i < n; ++i)
        m.at(i, i) = 1;
    return m;
}

void check(int info)
{
    if (info < 0)
        throw CalcError(Err::BadArgumentValue);
    if (info > 0)
        throw CalcError(Err::BadArgumentValue, "The computation did not converge");
}

// Parts smaller than this, relative to the largest, are rounding noise.
constexpr double Noise = 1e-13;

double largest(const std::vector<Z> &v)
{
    double big = 0;
    for (const Z &z : v)
        big = std::max({big, std::fabs(z.real()), std::fabs(z.imag())});
    return big;
}

Value numberValue(Engine &e, Z z, double tol, bool complex)
{
    const double re = std::fabs(z.real()) <= tol ? 0 : z.real();
    const double im = std::fabs(z.imag()) <= tol ? 0 : z.imag();
    if (complex)
        return Value::complex(realOfExtended(e, re), realOfExtended(e, im));
    return Value::real(realOfExtended(e, re));
}

bool hasImaginary(const std::vector<Z> &v, double tol)
{
    return std::any_of(v.begin(), v.end(), [tol](const Z &z) { return std::fabs(z.imag()) > tol; });
}

// A matrix value: complex when the argument was or when a part is.
Value matrixValue(Engine &e, const Mat &m, bool complex)
{
    const double tol = largest(m.x) * Noise;
    complex = complex || hasImaginary(m.x, tol);
    std::vector<Value> out;
    out.reserve(m.x.size());
    for (int r = 0; r < m.rows; ++r)
        for (int c = 0; c < m.cols; ++c)
            out.push_back(numberValue(e, m.at(r, c), tol, complex));
    return Value::array({static_cast<uint32_t>(m.rows), static_cast<uint32_t>(m.cols)}, std::move(out));
}

Value vectorValue(Engine &e, const std::vector<Z> &v, bool complex)
{
    const double tol = largest(v) * Noise;
    complex = complex || hasImaginary(v, tol);
    std::vector<Value> out;
    for (const Z &z : v)
        out.push_back(numberValue(e, z, tol, complex));
    const auto n = static_cast<uint32_t>(out.size());
    return Value::array({n}, std::move(out));
}

// Eigenvalues (and the right eigenvectors, as columns of unit length).
std::vector<Z> eigen(Mat a, Mat *vectors)
{
    const int n = a.rows;
    std::vector<Z> w(static_cast<size_t>(n));
    Mat vr = identity(n);
    std::vector<double> rwork(2 * static_cast<size_t>(n));
    int info = 0, lwork = -1, one = 1;
    Z size;
    const char *jobvr = vectors ? "V" : "N";
    lapack().zgeev("N", jobvr, &n, a.x.data(), &n, w.data(), nullptr, &one, vr.x.data(), &n, &size, &lwork,
           rwork.data(), &info, 1, 1);
    check(info);
    lwork = std::max(1, static_cast<int>(size.real()));
    std::vector<Z> work(static_cast<size_t>(lwork));
    lapack().zgeev("N", jobvr, &n, a.x.data(), &n, w.data(), nullptr, &one, vr.x.data(), &n, work.data(), &lwork,
           rwork.data(), &info, 1, 1);
    check(info);
    if (vectors)
        *vectors = vr;
    return w;
}

// Full QR with column pivoting: A·P = Q·R.
struct QrParts
{
    Mat q, r, p;
};

QrParts qrOf(const Mat &a)
{
    const int m = a.rows, n = a.cols, k = std::min(m, n);
    Mat f = a;
    std::vector<int> jpvt(static_cast<size_t>(n), 0);
    std::vector<Z> tau(static_cast<size_t>(std::max(k, 1)));
    std::vector<double> rwork(2 * static_cast<size_t>(n));
    int info = 0, lwork = -1;
    Z size;
    lapack().zgeqp3(&m, &n, f.x.data(), &m, jpvt.data(), tau.data(), &size, &lwork, rwork.data(), &info);
    check(info);
    lwork = std::max(1, static_cast<int>(size.real()));
    std::vector<Z> work(static_cast<size_t>(lwork));
    lapack().zgeqp3(&m, &n, f.x.data(), &m, jpvt.data(), tau.data(), work.data(), &lwork, rwork.data(), &info);
    check(info);
    QrParts out;
    out.r.rows = m;
    out.r.cols = n;
    out.r.x.assign(static_cast<size_t>(m) * n, Z(0));
    for (int c = 0; c < n; ++c)
        for (int r = 0; r <= std::min(c, m - 1); ++r)
            out.r.at(r, c) = f.at(r, c);
    // Q is m×m: the reflectors sit in the first k columns of an m×m array
    Mat q;
    q.rows = q.cols = m;
    q.x.assign(static_cast<size_t>(m) * m, Z(0));
    for (int c = 0; c < k; ++c)
        for (int r = 0; r < m; ++r)
            q.at(r, c) = f.at(r, c);
    lwork = -1;
    lapack().zungqr(&m, &m, &k, q.x.data(), &m, tau.data(), &size, &lwork, &info);
    check(info);
    lwork = std::max(1, static_cast<int>(size.real()));
    work.assign(static_cast<size_t>(lwork), Z(0));
    lapack().zungqr(&m, &m, &k, q.x.data(), &m, tau.data(), work.data(), &lwork, &info);
    check(info);
    out.q = q;
    out.p.rows = out.p.cols = n;
    out.p.x.assign(static_cast<size_t>(n) * n, Z(0));
    for (int c = 0; c < n; ++c)
        out.p.at(jpvt[static_cast<size_t>(c)] - 1, c) = 1;
    return out;
}

Mat adjoint(const Mat &a)
{
    Mat t;
    t.rows = a.cols;
    t.cols = a.rows;
    t.complex = a.complex;
    t.x.resize(a.x.size());
    for (int r = 0; r < a.rows; ++r)
        for (int c = 0; c < a.cols; ++c)
            t.at(c, r) = std::conj(a.at(r, c));
    return t;
}

// A root refined by Newton's steps on the polynomial itself, in extended
// precision, while they bring p(z) closer to zero: a multiple root, which
// the eigenvalues only give to the square root of the precision, comes out
// to the calculator's twelve digits.
Z polished(const std::vector<Z> &c, Z root)
{
    using LZ = std::complex<long double>;
    auto eval = [&c](LZ z, LZ *slope) {
        LZ p = 0, d = 0;
        for (const Z &a : c) {
            d = d * z + p;
            p = p * z + LZ(a.real(), a.imag());
        }
        *slope = d;
        return p;
    };
    LZ z(root.real(), root.imag()), d;
    LZ p = eval(z, &d);
    for (int i = 0; i < 100 && std::abs(p) > 0 && std::abs(d) > 0; ++i) {
        const LZ next = z - p / d;
        LZ nd;
        const LZ np = eval(next, &nd);
        if (!(std::abs(np) < std::abs(p)))
            break;
        z = next;
        p = np;
        d = nd;
    }
    return Z(static_cast<double>(z.real()), static_cast<double>(z.imag()));
}

// A root of multiplicity k comes out as k roots around it, scattered by
// about the k-th root of the precision; their mean is accurate (the sum of
// the roots is the well-conditioned -a(n-1)/a(n)). So a root and its k-1
// nearest, when all lie within that scatter of their mean, become one
// multiple root (the largest such k first). True for each root that is
// part of one.
std::vector<bool> mergeMultipleRoots(std::vector<Z> &z)
{
    std::vector<bool> multiple(z.size(), false), done(z.size(), false);
    for (size_t i = 0; i < z.size(); ++i) {
        if (done[i])
            continue;
        std::vector<size_t> near;
        for (size_t j = 0; j < z.size(); ++j)
            if (!done[j] && j != i)
                near.push_back(j);
        std::sort(near.begin(), near.end(),
                  [&](size_t a, size_t b) { return std::abs(z[a] - z[i]) < std::abs(z[b] - z[i]); });
        done[i] = true;
        for (size_t k = near.size() + 1; k >= 2; --k) {
            std::vector<size_t> group{i};
            group.insert(group.end(), near.begin(), near.begin() + static_cast<ptrdiff_t>(k - 1));
            Z mean = 0;
            for (size_t g : group)
                mean += z[g];
            mean /= static_cast<double>(k);
            const double scatter =
                50 * std::pow(2.2e-16, 1 / static_cast<double>(k)) * std::max(1.0, std::abs(mean));
            if (std::any_of(group.begin(), group.end(), [&](size_t g) { return std::abs(z[g] - mean) > scatter; }))
                continue;
            for (size_t g : group) {
                z[g] = mean;
                done[g] = true;
                multiple[g] = true;
            }
            break;
        }
    }
    return multiple;
}

// Sorted by real part, then imaginary part: the order PROOT lists roots in.
void sortRoots(std::vector<Z> &z)
{
    std::sort(z.begin(), z.end(), [](const Z &a, const Z &b) {
        return a.real() != b.real() ? a.real() < b.real() : a.imag() < b.imag();
    });
}

const CommandDef defs[] = {
    {"EGVL",
     1,
     {AArray},
     0,
     [](Engine &e) {
         const Mat a = matOf(e.level(1), true);
         e.replace(1, vectorValue(e, eigen(a, nullptr), a.complex));
     }},
    {"EGV",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // the eigenvectors are the columns, each of length 1
         const Mat a = matOf(e.level(1), true);
         Mat v;
         const std::vector<Z> w = eigen(a, &v);
         const double tol = largest(w) * Noise;
         const bool complex = a.complex || hasImaginary(w, tol) || hasImaginary(v.x, largest(v.x) * Noise);
         e.replace(1, matrixValue(e, v, complex));
         e.push(vectorValue(e, w, complex));
     }},
    {"SRAD",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // the spectral radius: the largest modulus of an eigenvalue
         double r = 0;
         for (const Z &z : eigen(matOf(e.level(1), true), nullptr))
             r = std::max(r, std::abs(z));
         e.replace(1, Value::real(realOfExtended(e, r)));
     }},
    {"SVD",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // A = U·diag(S)·V, U and V unitary, S largest first
         Mat a = matOf(e.level(1), false);
         const int m = a.rows, n = a.cols;
         std::vector<double> s(static_cast<size_t>(std::min(m, n)));
         Mat u = identity(m), vt = identity(n);
         std::vector<double> rwork(5 * static_cast<size_t>(std::min(m, n)) + 1);
         int info = 0, lwork = -1;
         Z size;
         lapack().zgesvd("A", "A", &m, &n, a.x.data(), &m, s.data(), u.x.data(), &m, vt.x.data(), &n, &size,
                 &lwork, rwork.data(), &info, 1, 1);
         check(info);
         lwork = std::max(1, static_cast<int>(size.real()));
         std::vector<Z> work(static_cast<size_t>(lwork));
         lapack().zgesvd("A", "A", &m, &n, a.x.data(), &m, s.data(), u.x.data(), &m, vt.x.data(), &n,
                 work.data(), &lwork, rwork.data(), &info, 1, 1);
         check(info);
         std::vector<Z> sv(s.begin(), s.end());
         e.replace(1, matrixValue(e, u, a.complex));
         e.push(matrixValue(e, vt, a.complex));
         e.push(vectorValue(e, sv, false));
     }},
    {"SCHUR",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // A = Q·T·Q*: T upper triangular, or for a real matrix quasi-
         // triangular with a 2×2 block for each pair of complex eigenvalues
         Mat a = matOf(e.level(1), true);
         const int n = a.rows;
         int info = 0, sdim = 0, lwork = -1;
         Mat q = identity(n);
         if (!a.complex) {
             std::vector<double> x(a.x.size()), vs(a.x.size()), wr(static_cast<size_t>(n)),
                 wi(static_cast<size_t>(n));
             for (size_t i = 0; i < x.size(); ++i)
                 x[i] = a.x[i].real();
             double size = 0;
             lapack().dgees("V", "N", nullptr, &n, x.data(), &n, &sdim, wr.data(), wi.data(), vs.data(), &n, &size,
                    &lwork, nullptr, &info, 1, 1);
             check(info);
             lwork = std::max(1, static_cast<int>(size));
             std::vector<double> work(static_cast<size_t>(lwork));
             lapack().dgees("V", "N", nullptr, &n, x.data(), &n, &sdim, wr.data(), wi.data(), vs.data(), &n,
                    work.data(), &lwork, nullptr, &info, 1, 1);
             check(info);
             for (size_t i = 0; i < x.size(); ++i) {
                 a.x[i] = x[i];
                 q.x[i] = vs[i];
             }
         } else {
             std::vector<Z> w(static_cast<size_t>(n));
             std::vector<double> rwork(static_cast<size_t>(n));
             Z size;
             lapack().zgees("V", "N", nullptr, &n, a.x.data(), &n, &sdim, w.data(), q.x.data(), &n, &size, &lwork,
                    rwork.data(), nullptr, &info, 1, 1);
             check(info);
             lwork = std::max(1, static_cast<int>(size.real()));
             std::vector<Z> work(static_cast<size_t>(lwork));
             lapack().zgees("V", "N", nullptr, &n, a.x.data(), &n, &sdim, w.data(), q.x.data(), &n, work.data(),
                    &lwork, rwork.data(), nullptr, &info, 1, 1);
             check(info);
         }
         e.replace(1, matrixValue(e, q, a.complex));
         e.push(matrixValue(e, a, a.complex));
     }},
    {"QR",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // A·P = Q·R, P the permutation of the columns
         const Mat a = matOf(e.level(1), false);
         const QrParts f = qrOf(a);
         e.replace(1, matrixValue(e, f.q, a.complex));
         e.push(matrixValue(e, f.r, a.complex));
         e.push(matrixValue(e, f.p, false));
     }},
    {"LQ",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // P·A = L·Q, from the QR of A*: A*·P' = Q'·R' gives P'ᵀ·A = R'*·Q'*
         const Mat a = matOf(e.level(1), false);
         const QrParts f = qrOf(adjoint(a));
         Mat p = f.p; // a permutation: its transpose is its adjoint
         e.replace(1, matrixValue(e, adjoint(f.r), a.complex));
         e.push(matrixValue(e, adjoint(f.q), a.complex));
         e.push(matrixValue(e, adjoint(p), false));
     }},
    {"PROOT",
     1,
     {AArray},
     0,
     [](Engine &e) {
         // [a_n ... a_1 a_0], highest power first: the roots are the
         // eigenvalues of the companion matrix
         const Value &v = e.level(1);
         if (v.asArray()->isMatrix())
             throw CalcError(Err::InvalidDimension);
         std::vector<Z> c;
         bool complex = false;
         for (const Value &x : v.asArray()->elems) {
             const Cx z = cxOf(x);
             c.emplace_back(z.re.toDouble(), z.im.toDouble());
             complex = complex || x.type() == Type::Complex;
         }
         while (!c.empty() && c.front() == Z(0))
             c.erase(c.begin());
         if (c.size() < 2)
             throw CalcError(Err::BadArgumentValue);
         const int n = static_cast<int>(c.size()) - 1;
         Mat m;
         m.rows = m.cols = n;
         m.x.assign(static_cast<size_t>(n) * n, Z(0));
         for (int k = 0; k < n; ++k)
             m.at(0, k) = -c[static_cast<size_t>(k) + 1] / c[0];
         for (int k = 1; k < n; ++k)
             m.at(k, k - 1) = 1;
         std::vector<Z> roots = eigen(m, nullptr);
         // a root that is real but for rounding is real
         const std::vector<bool> multiple = mergeMultipleRoots(roots);
         for (size_t k = 0; k < roots.size(); ++k)
             if (!multiple[k])
                 roots[k] = polished(c, roots[k]);
         for (Z &z : roots)
             if (std::fabs(z.imag()) <= std::max(1.0, std::abs(z)) * 1e-12)
                 z = Z(z.real(), 0);
         sortRoots(roots);
         e.replace(1, vectorValue(e, roots, complex));
     }},
};

} // namespace

CommandGroup eigenCommands()
{
    return group(defs);
}

} // namespace Calc
