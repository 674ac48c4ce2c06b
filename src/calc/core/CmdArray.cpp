// Vectors and matrices: building and taking apart, element access,
// arithmetic and the matrix functions.
#include "calc/core/CommandTable.h"

#include <cmath>
#include <complex>

namespace Calc {

namespace {

using LD = long double;
using LC = std::complex<long double>;

} // namespace

// Products and eliminations run in extended precision, as the calculators do
// internally, so that [[ 1 2 ] [ 3 4 ]] DET is -2 and not -2.00000000001.
Real realOfExtended(Engine &e, long double x)
{
    if (std::isnan(x))
        throw CalcError(Err::UndefinedResult);
    if (std::isinf(x))
        return e.checked(Real::maxReal(x < 0), RealCondition::Overflow);
    Real r;
    if (!fromExtended(x, r))
        throw CalcError(Err::UndefinedResult);
    const LD a = std::fabs(x);
    if (a > 9.99999999999E499L)
        return e.checked(Real::maxReal(x < 0), RealCondition::Overflow);
    if (a != 0 && a < 1E-499L)
        return e.checked(Real{}, x < 0 ? RealCondition::NegativeUnderflow
                                       : RealCondition::PositiveUnderflow);
    return r;
}

namespace {

LD toLD(const Real &r)
{
    return extendedOf(r);
}

Real fromLD(Engine &e, LD x)
{
    return realOfExtended(e, x);
}

// An array opened up for computing.
struct Mat
{
    std::vector<uint32_t> dims;
    uint32_t rows = 1;
    uint32_t cols = 0;
    bool complex = false;
    std::vector<LC> el;

    bool isMatrix() const { return dims.size() == 2; }
    LC &at(uint32_t r, uint32_t c) { return el[static_cast<size_t>(r) * cols + c]; }
    LC at(uint32_t r, uint32_t c) const { return el[static_cast<size_t>(r) * cols + c]; }
};

Mat matOf(const Value &v)
{
    const ArrayObj &a = *v.asArray();
    Mat m;
    m.dims = a.dims;
    m.rows = a.rows();
    m.cols = a.cols();
    m.complex = a.isComplex();
    m.el.reserve(a.elems.size());
    for (const Value &x : a.elems) {
        if (x.type() == Type::Complex)
            m.el.emplace_back(toLD(x.asComplex()->re), toLD(x.asComplex()->im));
        else
            m.el.emplace_back(toLD(x.asReal()), 0.0L);
    }
    return m;
}

Mat shaped(std::vector<uint32_t> dims, bool complex)
{
    Mat m;
    m.dims = std::move(dims);
    m.rows = m.dims.size() == 2 ? m.dims[0] : 1;
    m.cols = m.dims.size() == 2 ? m.dims[1] : m.dims[0];
    m.complex = complex;
    m.el.assign(static_cast<size_t>(m.rows) * m.cols, LC(0, 0));
    return m;
}

Value valueOf(Engine &e, const Mat &m)
{
    std::vector<Value> out;
    out.reserve(m.el.size());
    for (const LC &z : m.el) {
        if (m.complex)
            out.push_back(Value::complex(fromLD(e, z.real()), fromLD(e, z.imag())));
        else
            out.push_back(Value::real(fromLD(e, z.real())));
    }
    return Value::array(m.dims, std::move(out));
}

Value numberOf(Engine &e, const LC &z, bool complex)
{
    if (complex)
        return Value::complex(fromLD(e, z.real()), fromLD(e, z.imag()));
    return Value::real(fromLD(e, z.real()));
}

// An array built from numbers: complex as soon as one of them is.
Value arrayFrom(std::vector<uint32_t> dims, std::vector<Value> elems)
{
    // arrays hold reals and complex numbers: an exact integer becomes a real
    for (Value &v : elems) {
        if (v.type() == Type::Integer)
            v = Value::real(integerToRealQuiet(v));
        else if (v.type() != Type::Real && v.type() != Type::Complex)
            throw CalcError(Err::BadArgumentType);
    }
    promoteToComplex(elems);
    return Value::array(std::move(dims), std::move(elems));
}

// A list as an array: a list of numbers is a vector, a list of lists of
// numbers of one length a matrix (AXL, AXM).
Value arrayOfList(const Value &list)
{
    const auto &rows = list.items();
    if (rows.empty())
        throw CalcError(Err::BadArgumentValue);
    if (rows.front().type() != Type::List)
        return arrayFrom({static_cast<uint32_t>(rows.size())}, rows);
    const size_t cols = rows.front().items().size();
    std::vector<Value> elems;
    elems.reserve(rows.size() * cols);
    for (const Value &r : rows) {
        if (r.type() != Type::List)
            throw CalcError(Err::BadArgumentType);
        if (r.items().size() != cols || cols == 0)
            throw CalcError(Err::InvalidDimension);
        elems.insert(elems.end(), r.items().begin(), r.items().end());
    }
    return arrayFrom({static_cast<uint32_t>(rows.size()), static_cast<uint32_t>(cols)},
                     std::move(elems));
}

// An array as a list: a vector's elements, a matrix's rows as lists.
Value listOfArray(const ArrayObj &a)
{
    if (!a.isMatrix())
        return Value::list(a.elems);
    std::vector<Value> rows;
    rows.reserve(a.rows());
    for (uint32_t r = 0; r < a.rows(); ++r)
        rows.push_back(Value::list(std::vector<Value>(a.elems.begin() + r * a.cols(),
                                                      a.elems.begin() + (r + 1) * a.cols())));
    return Value::list(std::move(rows));
}

// The elements of an array of dims that CON or RDM makes: none is "Bad
// Argument Value", more than an array may hold "Insufficient Memory".
size_t elementCount(const std::vector<uint32_t> &dims)
{
    size_t n = 1;
    for (uint32_t d : dims)
        n *= d;
    if (n == 0)
        throw CalcError(Err::BadArgumentValue);
    if (n > MaxArrayElements)
        throw CalcError(Err::InsufficientMemory);
    return n;
}

// Dimensions given as n, { n } or { rows cols }.
std::vector<uint32_t> dimsOf(Engine &e, const Value &v)
{
    auto count = [](const Value &x) -> uint32_t {
        if (!isRealArg(x))
            throw CalcError(Err::BadArgumentType);
        bool ok = false;
        const Real r = x.type() == Type::Integer ? integerToRealQuiet(x) : x.asReal();
        const int64_t n = intPart(r).toInt(&ok);
        if (!ok || n < 0 || n > (1 << 20))
            throw CalcError(Err::BadArgumentValue);
        return static_cast<uint32_t>(n);
    };
    (void)e;
    if (isRealArg(v))
        return {count(v)};
    if (v.type() != Type::List)
        throw CalcError(Err::BadArgumentType);
    const auto &items = v.items();
    if (items.size() == 1)
        return {count(items[0])};
    if (items.size() == 2)
        return {count(items[0]), count(items[1])};
    throw CalcError(Err::InvalidDimension);
}

Value dimsValue(const std::vector<uint32_t> &dims)
{
    std::vector<Value> items;
    for (uint32_t d : dims)
        items.push_back(Value::real(static_cast<int64_t>(d)));
    return Value::list(std::move(items));
}

// An element position: n (row-major) or { n } or { row col }; 0-based.
size_t indexOf(const ArrayObj &a, const Value &idx)
{
    auto one = [](const Value &x) -> int64_t {
        if (!isRealArg(x))
            throw CalcError(Err::BadArgumentType);
        bool ok = false;
        const Real r = x.type() == Type::Integer ? integerToRealQuiet(x) : x.asReal();
        const int64_t n = intPart(r).toInt(&ok);
        if (!ok)
            throw CalcError(Err::BadArgumentValue);
        return n;
    };
    int64_t pos;
    if (isRealArg(idx) || (idx.type() == Type::List && idx.items().size() == 1)) {
        pos = one(isRealArg(idx) ? idx : idx.items()[0]) - 1;
    } else if (idx.type() == Type::List && idx.items().size() == 2 && a.isMatrix()) {
        const int64_t r = one(idx.items()[0]);
        const int64_t c = one(idx.items()[1]);
        if (r < 1 || c < 1 || r > a.rows() || c > a.cols())
            throw CalcError(Err::BadArgumentValue);
        pos = (r - 1) * a.cols() + (c - 1);
    } else if (idx.type() == Type::List) {
        throw CalcError(Err::BadArgumentValue);
    } else {
        throw CalcError(Err::BadArgumentType);
    }
    if (pos < 0 || pos >= static_cast<int64_t>(a.elems.size()))
        throw CalcError(Err::BadArgumentValue);
    return static_cast<size_t>(pos);
}

// The index after pos in the form idx was given, wrapping to the first
// (flag -64 tells a wrap, as GETI and PUTI do).
Value nextIndex(Engine &e, const ArrayObj &a, const Value &idx, size_t pos)
{
    size_t next = pos + 1;
    const bool wrapped = next >= a.elems.size();
    if (wrapped)
        next = 0;
    e.setFlag(-64, wrapped);
    if (idx.type() == Type::List && idx.items().size() == 2)
        return Value::list({Value::real(static_cast<int64_t>(next / a.cols() + 1)),
                            Value::real(static_cast<int64_t>(next % a.cols() + 1))});
    if (idx.type() == Type::List)
        return Value::list({Value::real(static_cast<int64_t>(next + 1))});
    return Value::real(static_cast<int64_t>(next + 1));
}

// The array with element pos replaced by v (a real into a complex array
// becomes complex; a complex into a real array is refused).
Value withElement(const ArrayObj &a, size_t pos, const Value &v)
{
    const Value x = a.element(v.type() == Type::Integer ? Value::real(integerToRealQuiet(v)) : v);
    if (x.type() != Type::Real && x.type() != Type::Complex)
        throw CalcError(Err::BadArgumentType);
    if (x.type() != a.elems.front().type())
        throw CalcError(Err::BadArgumentType);
    std::vector<Value> elems = a.elems;
    elems[pos] = x;
    return Value::array(a.dims, std::move(elems));
}

// The array a GET or PUT works on: the object itself or a variable's.
Value arrayOf(Engine &e, const Value &v)
{
    Value holder = v.isName() ? e.recall(v) : v;
    if (holder.type() != Type::Array)
        throw CalcError(Err::BadArgumentType);
    return holder;
}

} // namespace

void getArrayElement(Engine &e, bool incr)
{
    const Value holder = arrayOf(e, e.level(2));
    const ArrayObj &a = *holder.asArray();
    const Value idx = e.level(1);
    const size_t pos = indexOf(a, idx);
    const Value elem = a.elems[pos];
    if (!incr) {
        e.replace(2, elem);
        return;
    }
    const Value next = nextIndex(e, a, idx, pos);
    e.drop(1);
    e.push(next);
    e.push(elem);
}

void putArrayElement(Engine &e, bool incr)
{
    const Value target = e.level(3);
    const Value holder = arrayOf(e, target);
    const ArrayObj &a = *holder.asArray();
    const Value idx = e.level(2);
    const size_t pos = indexOf(a, idx);
    const Value updated = withElement(a, pos, e.level(1));
    const Value next = incr ? nextIndex(e, a, idx, pos) : Value();
    if (target.isName()) {
        e.store(target, updated);
        e.drop(incr ? 1 : 3);
        if (incr) {
            e.drop(1);
            e.push(next);
        }
        return;
    }
    e.drop(3);
    e.push(updated);
    if (incr)
        e.push(next);
}

void sizeOfArray(Engine &e)
{
    e.replace(1, dimsValue(e.level(1).asArray()->dims));
}

void objOfArray(Engine &e)
{
    const Value v = e.level(1);
    e.drop(1);
    for (const Value &x : v.asArray()->elems)
        e.push(x);
    e.push(dimsValue(v.asArray()->dims));
}

namespace {

// Gauss-Jordan on a copy: the inverse (or the solution of a x = b when b
// is given) and the determinant.
struct Elimination
{
    bool singular = false;
    LC det{1, 0};
};

Elimination eliminate(Mat a, Mat *rhs)
{
    Elimination res;
    const uint32_t n = a.rows;
    for (uint32_t col = 0; col < n; ++col) {
        uint32_t best = col;
        LD bestMag = std::abs(a.at(col, col));
        for (uint32_t r = col + 1; r < n; ++r) {
            const LD m = std::abs(a.at(r, col));
            if (m > bestMag) {
                best = r;
                bestMag = m;
            }
        }
        if (bestMag == 0) {
            res.singular = true;
            res.det = 0;
            return res;
        }
        if (best != col) {
            for (uint32_t c = 0; c < n; ++c)
                std::swap(a.at(best, c), a.at(col, c));
            if (rhs)
                for (uint32_t c = 0; c < rhs->cols; ++c)
                    std::swap(rhs->at(best, c), rhs->at(col, c));
            res.det = -res.det;
        }
        const LC p = a.at(col, col);
        res.det *= p;
        for (uint32_t c = 0; c < n; ++c)
            a.at(col, c) /= p;
        if (rhs)
            for (uint32_t c = 0; c < rhs->cols; ++c)
                rhs->at(col, c) /= p;
        for (uint32_t r = 0; r < n; ++r) {
            if (r == col)
                continue;
            const LC f = a.at(r, col);
            if (f == LC(0, 0))
                continue;
            for (uint32_t c = 0; c < n; ++c)
                a.at(r, c) -= f * a.at(col, c);
            if (rhs)
                for (uint32_t c = 0; c < rhs->cols; ++c)
                    rhs->at(r, c) -= f * rhs->at(col, c);
        }
    }
    return res;
}

Mat identity(uint32_t n, bool complex)
{
    Mat m = shaped({n, n}, complex);
    for (uint32_t i = 0; i < n; ++i)
        m.at(i, i) = 1;
    return m;
}

void needSquare(const Mat &m)
{
    if (!m.isMatrix() || m.rows != m.cols)
        throw CalcError(Err::InvalidDimension);
}

Mat product(const Mat &a, const Mat &b)
{
    // matrix x matrix, or matrix x vector (a vector is a column here)
    const uint32_t inner = a.cols;
    const uint32_t bRows = b.isMatrix() ? b.rows : b.cols;
    const uint32_t bCols = b.isMatrix() ? b.cols : 1;
    if (!a.isMatrix() || inner != bRows)
        throw CalcError(Err::InvalidDimension);
    Mat r = b.isMatrix() ? shaped({a.rows, bCols}, a.complex || b.complex)
                         : shaped({a.rows}, a.complex || b.complex);
    for (uint32_t i = 0; i < a.rows; ++i)
        for (uint32_t j = 0; j < bCols; ++j) {
            LC s(0, 0);
            for (uint32_t k = 0; k < inner; ++k)
                s += a.at(i, k) * b.el[static_cast<size_t>(k) * bCols + j];
            r.el[static_cast<size_t>(i) * bCols + j] = s;
        }
    return r;
}

// A / B for a square B: the solution x of B x = A.
Mat solve(Engine &e, const Mat &b, const Mat &a)
{
    needSquare(b);
    Mat rhs = a;
    if (!a.isMatrix()) {
        rhs = shaped({a.cols, 1}, a.complex);
        rhs.el = a.el;
    }
    if (rhs.rows != b.rows)
        throw CalcError(Err::InvalidDimension);
    rhs.complex = a.complex || b.complex;
    if (eliminate(b, &rhs).singular)
        e.checked(Real::maxReal(), RealCondition::Infinite);
    if (!a.isMatrix()) {
        Mat v = shaped({a.cols}, rhs.complex);
        v.el = rhs.el;
        return v;
    }
    return rhs;
}

bool isNumber(const Value &v)
{
    return v.type() == Type::Real || v.type() == Type::Complex;
}

// Element by element with the calculator's 12-digit arithmetic.
Value elementwise(Engine &e, int op, const ArrayObj &a, const ArrayObj &b)
{
    if (a.dims != b.dims)
        throw CalcError(Err::InvalidDimension);
    std::vector<Value> out;
    out.reserve(a.elems.size());
    for (size_t i = 0; i < a.elems.size(); ++i)
        out.push_back(arith(e, op, a.elems[i], b.elems[i]));
    return arrayFrom(a.dims, std::move(out));
}

Value arrayOfLevel(Engine &e, size_t level)
{
    const Value &v = e.level(level);
    if (v.type() != Type::Array)
        throw CalcError(Err::BadArgumentType);
    return v;
}

// ---- coordinate modes and vectors ------------------------------------------

// Flags -16 and -15: rectangular, cylindrical (polar) or spherical.
enum class Coords { Rect, Cylin, Sphere };
Coords coordsOf(Engine &e)
{
    if (!e.flag(-16))
        return Coords::Rect;
    return e.flag(-15) ? Coords::Sphere : Coords::Cylin;
}

void setCoords(Engine &e, Coords c)
{
    e.setFlag(-16, c != Coords::Rect);
    e.setFlag(-15, c == Coords::Sphere);
}

LD angleOfRadians(Engine &e, LD a)
{
    const LD pi = 3.141592653589793238462643383279502884L;
    switch (e.angleMode()) {
    case AngleMode::Degrees:
        return a * 180.0L / pi;
    case AngleMode::Grads:
        return a * 200.0L / pi;
    case AngleMode::Radians:
        break;
    }
    return a;
}

// A real argument at level n (refusing anything else).
Real realArg(Engine &e, size_t level)
{
    if (!isRealArg(e.level(level)))
        throw CalcError(Err::BadArgumentType);
    return realAt(e, level);
}

// Vectors made from the stack's reals in the current coordinate mode (the
// angles exact at the quarter turns, as the calculators are).
void toVector(Engine &e, int n)
{
    e.need(static_cast<size_t>(n));
    std::vector<Real> in;
    for (int i = n; i >= 1; --i)
        in.push_back(realArg(e, static_cast<size_t>(i)));
    const Coords c = coordsOf(e);
    const AngleMode m = e.angleMode();
    RealCondition k = RealCondition::Ok;
    std::vector<Real> out;
    if (c == Coords::Rect) {
        out = in;
    } else if (n == 2 || c == Coords::Cylin) {
        out.push_back(mul(in[0], cosIn(in[1], m, k), k));
        out.push_back(mul(in[0], sinIn(in[1], m, k), k));
        if (n == 3)
            out.push_back(in[2]);
    } else {
        const Real rs = mul(in[0], sinIn(in[2], m, k), k);
        out.push_back(mul(rs, cosIn(in[1], m, k), k));
        out.push_back(mul(rs, sinIn(in[1], m, k), k));
        out.push_back(mul(in[0], cosIn(in[2], m, k), k));
    }
    std::vector<Value> elems;
    for (const Real &r : out)
        elems.push_back(Value::real(e.checked(r, k)));
    e.replace(static_cast<size_t>(n), Value::array({static_cast<uint32_t>(n)}, std::move(elems)));
}

// Columns (or rows) of a matrix as vectors, and back.
void explodeMatrix(Engine &e, bool columns)
{
    const ArrayObj &a = *e.level(1).asArray();
    const Value keep = e.level(1);
    e.drop(1);
    if (!a.isMatrix()) {
        for (const Value &x : a.elems)
            e.push(x);
        e.push(Value::real(static_cast<int64_t>(a.elems.size())));
        return;
    }
    const uint32_t n = columns ? a.cols() : a.rows();
    const uint32_t len = columns ? a.rows() : a.cols();
    for (uint32_t k = 0; k < n; ++k) {
        std::vector<Value> v;
        for (uint32_t i = 0; i < len; ++i)
            v.push_back(columns ? a.elems[static_cast<size_t>(i) * a.cols() + k]
                                : a.elems[static_cast<size_t>(k) * a.cols() + i]);
        e.push(Value::array({len}, std::move(v)));
    }
    e.push(Value::real(static_cast<int64_t>(n)));
}

void buildMatrix(Engine &e, bool columns)
{
    const int64_t n = intAt(e, 1, 1, 1 << 20);
    e.need(static_cast<size_t>(n) + 1);
    const Value &first = e.level(static_cast<size_t>(n) + 1);
    if (first.type() != Type::Array) {
        // numbers: a vector of them
        std::vector<Value> elems;
        for (int64_t i = n + 1; i >= 2; --i)
            elems.push_back(e.level(static_cast<size_t>(i)));
        Value v = arrayFrom({static_cast<uint32_t>(n)}, std::move(elems));
        e.replace(static_cast<size_t>(n) + 1, std::move(v));
        return;
    }
    const uint32_t len = first.asArray()->isMatrix() ? 0 : first.asArray()->cols();
    std::vector<std::vector<Value>> parts;
    for (int64_t i = n + 1; i >= 2; --i) {
        const Value &v = e.level(static_cast<size_t>(i));
        if (v.type() != Type::Array)
            throw CalcError(Err::BadArgumentType);
        if (v.asArray()->isMatrix() || v.asArray()->cols() != len)
            throw CalcError(Err::InvalidDimension);
        parts.push_back(v.asArray()->elems);
    }
    std::vector<Value> elems;
    const uint32_t count = static_cast<uint32_t>(n);
    if (columns) {
        for (uint32_t i = 0; i < len; ++i)
            for (uint32_t k = 0; k < count; ++k)
                elems.push_back(parts[k][i]);
    } else {
        for (auto &p : parts)
            elems.insert(elems.end(), p.begin(), p.end());
    }
    Value m = arrayFrom(columns ? std::vector<uint32_t>{len, count}
                                : std::vector<uint32_t>{count, len},
                        std::move(elems));
    e.replace(static_cast<size_t>(n) + 1, std::move(m));
}

// CNRM: the largest column sum of magnitudes; RNRM: the largest row sum.
void norm(Engine &e, bool columns)
{
    const Mat m = matOf(e.level(1));
    LD best = 0;
    if (!m.isMatrix()) {
        for (const LC &z : m.el)
            best = columns ? best + std::abs(z) : std::max(best, std::abs(z));
    } else {
        const uint32_t n = columns ? m.cols : m.rows;
        const uint32_t len = columns ? m.rows : m.cols;
        for (uint32_t k = 0; k < n; ++k) {
            LD sum = 0;
            for (uint32_t i = 0; i < len; ++i)
                sum += std::abs(columns ? m.at(i, k) : m.at(k, i));
            best = std::max(best, sum);
        }
    }
    e.replace(1, Value::real(fromLD(e, best)));
}

const CommandDef defs[] = {
    {"→ARRY",
     1,
     {AReal | AList},
     0,
     [](Engine &e) {
         const std::vector<uint32_t> dims = dimsOf(e, e.level(1));
         size_t n = 1;
         for (uint32_t d : dims)
             n *= d;
         if (n == 0)
             throw CalcError(Err::BadArgumentValue);
         e.need(n + 1);
         std::vector<Value> elems;
         elems.reserve(n);
         for (size_t i = n + 1; i >= 2; --i) {
             const Value &x = e.level(i);
             elems.push_back(x.type() == Type::Tagged ? x.asTagged()->value : x);
         }
         Value arr = arrayFrom(dims, std::move(elems));
         e.replace(n + 1, std::move(arr));
     }},
    {"ARRY→", 1, {AArray}, 0, objOfArray},
    {"AXL",
     1,
     {AArray},
     0,
     [](Engine &e) { e.replace(1, listOfArray(*e.level(1).asArray())); },
     0,
     {{{AList}, [](Engine &e) { e.replace(1, arrayOfList(e.level(1))); }}}},
    // every array here is already approximate; a list of rows becomes one
    {"AXM",
     1,
     {AArray},
     0,
     [](Engine &) {},
     0,
     {{{AList}, [](Engine &e) { e.replace(1, arrayOfList(e.level(1))); }}}},
    {"DOT",
     2,
     {AArray, AArray},
     0,
     [](Engine &e) {
         const Mat a = matOf(e.level(2));
         const Mat b = matOf(e.level(1));
         if (a.dims != b.dims)
             throw CalcError(Err::InvalidDimension);
         LC s(0, 0);
         for (size_t i = 0; i < a.el.size(); ++i)
             s += a.el[i] * b.el[i];
         e.replace(2, numberOf(e, s, a.complex || b.complex));
     }},
    {"CROSS",
     2,
     {AArray, AArray},
     0,
     [](Engine &e) {
         Mat a = matOf(e.level(2));
         Mat b = matOf(e.level(1));
         auto three = [](Mat &m) {
             if (m.isMatrix() || m.cols < 2 || m.cols > 3)
                 throw CalcError(Err::InvalidDimension);
             m.el.resize(3, LC(0, 0)); // a 2-vector lies in the plane z = 0
         };
         three(a);
         three(b);
         Mat r = shaped({3}, a.complex || b.complex);
         r.el[0] = a.el[1] * b.el[2] - a.el[2] * b.el[1];
         r.el[1] = a.el[2] * b.el[0] - a.el[0] * b.el[2];
         r.el[2] = a.el[0] * b.el[1] - a.el[1] * b.el[0];
         e.replace(2, valueOf(e, r));
     }},
    {"TRN",
     1,
     {AArray},
     0,
     [](Engine &e) {
         const ArrayObj &a = *e.level(1).asArray();
         if (!a.isMatrix())
             throw CalcError(Err::InvalidDimension);
         std::vector<Value> out;
         out.reserve(a.elems.size());
         for (uint32_t c = 0; c < a.cols(); ++c)
             for (uint32_t r = 0; r < a.rows(); ++r) {
                 const Value &x = a.elems[static_cast<size_t>(r) * a.cols() + c];
                 // a complex matrix is conjugated as well
                 out.push_back(x.type() == Type::Complex
                                   ? Value::complex(x.asComplex()->re, x.asComplex()->im.negated())
                                   : x);
             }
         e.replace(1, Value::array({a.cols(), a.rows()}, std::move(out)));
     }},
    {"DET",
     1,
     {AArray},
     0,
     [](Engine &e) {
         const Mat a = matOf(e.level(1));
         needSquare(a);
         const Elimination el = eliminate(a, nullptr);
         e.replace(1, numberOf(e, el.det, a.complex));
     }},
    {"CON",
     2,
     {ANum, AReal | AList | AArray},
     0,
     [](Engine &e) {
         const Value &shape = e.level(2);
         const std::vector<uint32_t> dims =
             shape.type() == Type::Array ? shape.asArray()->dims : dimsOf(e, shape);
         std::vector<Value> elems(elementCount(dims), e.level(1));
         e.replace(2, arrayFrom(dims, std::move(elems)));
     }},
    {"IDN",
     1,
     {AReal | AArray},
     0,
     [](Engine &e) {
         const Value &x = e.level(1);
         uint32_t n;
         bool complex = false;
         if (x.type() == Type::Array) {
             const Mat m = matOf(x);
             needSquare(m);
             n = m.rows;
             complex = m.complex;
         } else {
             n = static_cast<uint32_t>(intAt(e, 1, 1, 4096));
         }
         e.replace(1, valueOf(e, identity(n, complex)));
     }},
    {"RECT", 0, {}, 0, [](Engine &e) { setCoords(e, Coords::Rect); }},
    {"CYLIN", 0, {}, 0, [](Engine &e) { setCoords(e, Coords::Cylin); }},
    {"SPHERE", 0, {}, 0, [](Engine &e) { setCoords(e, Coords::Sphere); }},
    {"→V2", 2, {AReal, AReal}, 0, [](Engine &e) { toVector(e, 2); }},
    {"→V3", 3, {AReal, AReal, AReal}, 0, [](Engine &e) { toVector(e, 3); }},
    {"V→",
     1,
     {AArray},
     0,
     [](Engine &e) {
         const ArrayObj &a = *e.level(1).asArray();
         if (a.isMatrix() || a.isComplex() || a.cols() < 2 || a.cols() > 3)
             throw CalcError(Err::BadArgumentValue);
         const LD x = toLD(a.elems[0].asReal());
         const LD y = toLD(a.elems[1].asReal());
         const LD z = a.cols() == 3 ? toLD(a.elems[2].asReal()) : 0;
         const Coords c = coordsOf(e);
         std::vector<Value> out;
         if (c == Coords::Rect) {
             out = a.elems;
         } else if (a.cols() == 2 || c == Coords::Cylin) {
             out.push_back(Value::real(fromLD(e, std::hypot(x, y))));
             out.push_back(Value::real(fromLD(e, angleOfRadians(e, std::atan2(y, x)))));
             if (a.cols() == 3)
                 out.push_back(a.elems[2]);
         } else {
             const LD r = std::sqrt(x * x + y * y + z * z);
             out.push_back(Value::real(fromLD(e, r)));
             out.push_back(Value::real(fromLD(e, angleOfRadians(e, std::atan2(y, x)))));
             out.push_back(
                 Value::real(fromLD(e, angleOfRadians(e, std::atan2(std::hypot(x, y), z)))));
         }
         e.drop(1);
         for (Value &v : out)
             e.push(std::move(v));
     }},
    {"→COL", 1, {AArray}, 0, [](Engine &e) { explodeMatrix(e, true); }},
    {"→ROW", 1, {AArray}, 0, [](Engine &e) { explodeMatrix(e, false); }},
    {"COL→", 1, {AReal}, 0, [](Engine &e) { buildMatrix(e, true); }},
    {"ROW→", 1, {AReal}, 0, [](Engine &e) { buildMatrix(e, false); }},
    {"CNRM", 1, {AArray}, 0, [](Engine &e) { norm(e, true); }},
    {"RNRM", 1, {AArray}, 0, [](Engine &e) { norm(e, false); }},
    {"RDM",
     2,
     {AReal | AList, AArray},
     0,
     [](Engine &e) {
         const ArrayObj &a = *e.level(2).asArray();
         const std::vector<uint32_t> dims = dimsOf(e, e.level(1));
         const size_t n = elementCount(dims);
         std::vector<Value> elems(a.elems.begin(),
                                  a.elems.begin() + static_cast<long>(std::min(n, a.elems.size())));
         const Value zero = a.isComplex() ? Value::complex(Real{}, Real{}) : Value::real(0);
         elems.resize(n, zero);
         e.replace(2, Value::array(dims, std::move(elems)));
     }},
};

} // namespace

Value arrayArith(Engine &e, int op, const Value &a, const Value &b)
{
    const CommonOps &o = ops();
    const bool arrA = a.type() == Type::Array;
    const bool arrB = b.type() == Type::Array;
    if (arrA && arrB) {
        if (op == o.add || op == o.sub)
            return elementwise(e, op, *a.asArray(), *b.asArray());
        if (op == o.mul)
            return valueOf(e, product(matOf(a), matOf(b)));
        if (op == o.div)
            return valueOf(e, solve(e, matOf(b), matOf(a)));
        throw CalcError(Err::BadArgumentType);
    }
    const Value &arr = arrA ? a : b;
    const Value &num = arrA ? b : a;
    if (!isNumber(num) || !(op == o.mul || (op == o.div && arrA)))
        throw CalcError(Err::BadArgumentType);
    std::vector<Value> out;
    out.reserve(arr.asArray()->elems.size());
    for (const Value &x : arr.asArray()->elems)
        out.push_back(arrA ? arith(e, op, x, num) : arith(e, op, num, x));
    return arrayFrom(arr.asArray()->dims, std::move(out));
}

Value arrayUnary(Engine &e, ArrayUnary which, const Value &v)
{
    switch (which) {
    case ArrayUnary::Neg: {
        std::vector<Value> out;
        for (const Value &x : v.asArray()->elems)
            out.push_back(x.type() == Type::Complex
                              ? Value::complex(x.asComplex()->re.negated(),
                                               x.asComplex()->im.negated())
                              : Value::real(x.asReal().negated()));
        return Value::array(v.asArray()->dims, std::move(out));
    }
    case ArrayUnary::Abs: {
        // the Frobenius norm
        const Mat m = matOf(v);
        LD s = 0;
        for (const LC &z : m.el)
            s += std::norm(z);
        return Value::real(fromLD(e, std::sqrt(s)));
    }
    case ArrayUnary::Inv: {
        const Mat m = matOf(v);
        needSquare(m);
        Mat inv = identity(m.rows, m.complex);
        if (eliminate(m, &inv).singular)
            e.checked(Real::maxReal(), RealCondition::Infinite);
        return valueOf(e, inv);
    }
    case ArrayUnary::Sq: {
        const Mat m = matOf(v);
        needSquare(m);
        return valueOf(e, product(m, m));
    }
    }
    throw CalcError(Err::BadArgumentType);
}

void arrayRealsToComplex(Engine &e)
{
    const Value &x = e.level(2);
    const Value &y = e.level(1);
    if (x.type() != Type::Array || y.type() != Type::Array || x.asArray()->isComplex() ||
        y.asArray()->isComplex())
        throw CalcError(Err::BadArgumentType);
    if (x.asArray()->dims != y.asArray()->dims)
        throw CalcError(Err::InvalidDimension);
    std::vector<Value> out;
    for (size_t i = 0; i < x.asArray()->elems.size(); ++i)
        out.push_back(
            Value::complex(x.asArray()->elems[i].asReal(), y.asArray()->elems[i].asReal()));
    e.replace(2, Value::array(x.asArray()->dims, std::move(out)));
}

void arrayComplexToReals(Engine &e)
{
    const Value v = arrayOfLevel(e, 1);
    if (!v.asArray()->isComplex())
        throw CalcError(Err::BadArgumentType);
    std::vector<Value> re;
    std::vector<Value> im;
    for (const Value &x : v.asArray()->elems) {
        re.push_back(Value::real(x.asComplex()->re));
        im.push_back(Value::real(x.asComplex()->im));
    }
    e.replace(1, Value::array(v.asArray()->dims, std::move(re)));
    e.push(Value::array(v.asArray()->dims, std::move(im)));
}

void arrayPart(Engine &e, bool imaginary)
{
    const Value v = arrayOfLevel(e, 1);
    std::vector<Value> out;
    for (const Value &x : v.asArray()->elems) {
        if (x.type() == Type::Complex)
            out.push_back(Value::real(imaginary ? x.asComplex()->im : x.asComplex()->re));
        else
            out.push_back(imaginary ? Value::real(0) : x);
    }
    e.replace(1, Value::array(v.asArray()->dims, std::move(out)));
}

void arrayConj(Engine &e)
{
    const Value v = arrayOfLevel(e, 1);
    if (!v.asArray()->isComplex())
        return;
    std::vector<Value> out;
    for (const Value &x : v.asArray()->elems)
        out.push_back(Value::complex(x.asComplex()->re, x.asComplex()->im.negated()));
    e.replace(1, Value::array(v.asArray()->dims, std::move(out)));
}

CommandGroup arrayCommands()
{
    return group(defs);
}

} // namespace Calc
