// Statistics: the data matrix ΣDAT and the parameters ΣPAR (columns,
// intercept, slope, model), the one- and two-variable summaries, the four
// regression models, and the upper-tail probabilities.
#include "calc/core/CommandTable.h"

#include <algorithm>
#include <cmath>

namespace Calc {

namespace {

const char *const SigmaDat = "\x85"
                             "DAT";
const char *const SigmaPar = "\x85"
                             "PAR";

// ---- ΣDAT -----------------------------------------------------------------------

struct Data
{
    size_t rows = 0, cols = 0;
    std::vector<long double> x; // row by row
    long double at(size_t r, size_t c) const { return x[r * cols + c]; }
};

// The matrix ΣDAT holds (or the variable ΣDAT names, as the 48 series allows).
Value statMatrix(Engine &e)
{
    Value *v = e.findGlobal(internName(SigmaDat).get());
    if (!v)
        throw CalcError(Err::NonexistentSigmaDat);
    Value m = *v;
    if (m.type() == Type::GlobalName) {
        Value *held = e.findGlobal(m.asName());
        if (!held)
            throw CalcError(Err::NonexistentSigmaDat);
        m = *held;
    }
    if (m.type() != Type::Array || !m.asArray()->isMatrix() || m.asArray()->isComplex())
        throw CalcError(Err::InvalidSigmaData);
    return m;
}

Data statData(Engine &e)
{
    const Value m = statMatrix(e);
    const ArrayObj *a = m.asArray();
    Data d;
    d.rows = a->rows();
    d.cols = a->cols();
    for (const Value &v : a->elems)
        d.x.push_back(extendedOf(v.asReal()));
    if (d.rows == 0)
        throw CalcError(Err::InsufficientSigmaData);
    return d;
}

void storeStat(Engine &e, Value m)
{
    e.store(Value::global(SigmaDat), m);
}

// ---- ΣPAR -----------------------------------------------------------------------

enum class Model { Lin, Log, Exp, Pwr };

const char *const modelNames[] = {"LINFIT", "LOGFIT", "EXPFIT", "PWRFIT"};

struct Params
{
    int64_t xcol = 1, ycol = 2;
    Value intercept = Value::real(0), slope = Value::real(0);
    Model model = Model::Lin;
};

Value modelCommand(Model m)
{
    return Value::command(findCommand(modelNames[static_cast<int>(m)]));
}

Params params(Engine &e)
{
    Params p;
    Value *v = e.findGlobal(internName(SigmaPar).get());
    if (!v)
        return p;
    if (v->type() != Type::List || v->items().size() < 5)
        throw CalcError(Err::InvalidSigmaPar);
    const auto &it = v->items();
    bool ok1 = false, ok2 = false;
    if (!isRealArg(it[0]) || !isRealArg(it[1]))
        throw CalcError(Err::InvalidSigmaPar);
    p.xcol = intPart(realOfNumber(it[0])).toInt(&ok1);
    p.ycol = intPart(realOfNumber(it[1])).toInt(&ok2);
    if (!ok1 || !ok2 || p.xcol < 1 || p.ycol < 1)
        throw CalcError(Err::InvalidSigmaPar);
    p.intercept = it[2];
    p.slope = it[3];
    bool found = false;
    for (int i = 0; i < 4; ++i) {
        if (it[4].type() == Type::Command && it[4].commandId() == findCommand(modelNames[i])) {
            p.model = static_cast<Model>(i);
            found = true;
        }
    }
    if (!found)
        throw CalcError(Err::InvalidSigmaPar);
    return p;
}

void storeParams(Engine &e, const Params &p)
{
    // the calculators keep the extra items a user put after the model
    std::vector<Value> items = {Value::real(p.xcol), Value::real(p.ycol), p.intercept, p.slope,
                                modelCommand(p.model)};
    if (Value *v = e.findGlobal(internName(SigmaPar).get()))
        if (v->type() == Type::List && v->items().size() > 5)
            items.insert(items.end(), v->items().begin() + 5, v->items().end());
    e.store(Value::global(SigmaPar), Value::list(std::move(items)));
}

// ---- summaries ------------------------------------------------------------------

Value fromExt(Engine &e, long double x)
{
    return Value::real(realOfExtended(e, x));
}

// One result per column: a real for one column, a vector for several.
template <typename F> void perColumn(Engine &e, F f)
{
    const Data d = statData(e);
    if (d.cols == 1) {
        e.push(fromExt(e, f(d, 0)));
        return;
    }
    std::vector<Value> out;
    for (size_t c = 0; c < d.cols; ++c)
        out.push_back(fromExt(e, f(d, c)));
    e.push(Value::array({static_cast<uint32_t>(d.cols)}, std::move(out)));
}

long double sumOf(const Data &d, size_t c)
{
    long double s = 0;
    for (size_t r = 0; r < d.rows; ++r)
        s += d.at(r, c);
    return s;
}

long double meanOf(const Data &d, size_t c)
{
    return sumOf(d, c) / static_cast<long double>(d.rows);
}

// Sum of squared deviations from the mean.
long double squares(const Data &d, size_t c)
{
    const long double m = meanOf(d, c);
    long double s = 0;
    for (size_t r = 0; r < d.rows; ++r)
        s += (d.at(r, c) - m) * (d.at(r, c) - m);
    return s;
}

long double sampleVar(const Data &d, size_t c)
{
    if (d.rows < 2)
        throw CalcError(Err::InsufficientSigmaData);
    return squares(d, c) / static_cast<long double>(d.rows - 1);
}

// The x and y columns ΣPAR names, checked against ΣDAT.
struct Pair
{
    std::vector<long double> x, y;
};

Pair pairOf(Engine &e, const Params &p)
{
    const Data d = statData(e);
    if (static_cast<size_t>(p.xcol) > d.cols || static_cast<size_t>(p.ycol) > d.cols)
        throw CalcError(Err::InvalidSigmaPar);
    Pair out;
    for (size_t r = 0; r < d.rows; ++r) {
        out.x.push_back(d.at(r, static_cast<size_t>(p.xcol - 1)));
        out.y.push_back(d.at(r, static_cast<size_t>(p.ycol - 1)));
    }
    return out;
}

long double mean(const std::vector<long double> &v)
{
    long double s = 0;
    for (long double x : v)
        s += x;
    return s / static_cast<long double>(v.size());
}

long double covariance(const Pair &p, bool population)
{
    const size_t n = p.x.size();
    if (n < 2 && !population)
        throw CalcError(Err::InsufficientSigmaData);
    const long double mx = mean(p.x), my = mean(p.y);
    long double s = 0;
    for (size_t i = 0; i < n; ++i)
        s += (p.x[i] - mx) * (p.y[i] - my);
    return s / static_cast<long double>(population ? n : n - 1);
}

long double correlation(const Pair &p)
{
    const size_t n = p.x.size();
    if (n < 2)
        throw CalcError(Err::InsufficientSigmaData);
    const long double mx = mean(p.x), my = mean(p.y);
    long double sxy = 0, sxx = 0, syy = 0;
    for (size_t i = 0; i < n; ++i) {
        sxy += (p.x[i] - mx) * (p.y[i] - my);
        sxx += (p.x[i] - mx) * (p.x[i] - mx);
        syy += (p.y[i] - my) * (p.y[i] - my);
    }
    if (sxx == 0 || syy == 0)
        throw CalcError(Err::InfiniteResult);
    return sxy / std::sqrt(sxx * syy);
}

// The data as the model sees it (logarithms of x for LOG and PWR, of y for
// EXP and PWR).
Pair transformed(const Pair &p, Model m)
{
    auto ln = [](long double v) {
        if (v < 0)
            throw CalcError(Err::InvalidSigmaDataLnNeg);
        if (v == 0)
            throw CalcError(Err::InvalidSigmaDataLn0);
        return std::log(v);
    };
    Pair t = p;
    for (size_t i = 0; i < p.x.size(); ++i) {
        if (m == Model::Log || m == Model::Pwr)
            t.x[i] = ln(p.x[i]);
        if (m == Model::Exp || m == Model::Pwr)
            t.y[i] = ln(p.y[i]);
    }
    return t;
}

struct Fit
{
    long double intercept, slope;
};

Fit fitOf(const Pair &data, Model m)
{
    const Pair t = transformed(data, m);
    if (t.x.size() < 2)
        throw CalcError(Err::InsufficientSigmaData);
    const long double mx = mean(t.x), my = mean(t.y);
    long double sxy = 0, sxx = 0;
    for (size_t i = 0; i < t.x.size(); ++i) {
        sxy += (t.x[i] - mx) * (t.y[i] - my);
        sxx += (t.x[i] - mx) * (t.x[i] - mx);
    }
    if (sxx == 0)
        throw CalcError(Err::InfiniteResult);
    const long double slope = sxy / sxx;
    long double b = my - slope * mx;
    if (m == Model::Exp || m == Model::Pwr)
        b = std::exp(b);
    return {b, slope};
}

long double realArg(const Value &v)
{
    if (!isRealArg(v))
        throw CalcError(Err::InvalidSigmaPar);
    return extendedOf(realOfNumber(v));
}

// PREDY (or PREDX with inverse) under the model of ΣPAR.
long double predict(const Params &p, long double v, bool inverse)
{
    const long double b = realArg(p.intercept);
    const long double m = realArg(p.slope);
    if (!inverse) {
        switch (p.model) {
        case Model::Lin:
            return b + m * v;
        case Model::Log:
            if (v <= 0)
                throw CalcError(Err::InfiniteResult);
            return b + m * std::log(v);
        case Model::Exp:
            return b * std::exp(m * v);
        case Model::Pwr:
            return b * std::pow(v, m);
        }
    }
    if (m == 0 || (b == 0 && p.model != Model::Lin && p.model != Model::Log))
        throw CalcError(Err::InfiniteResult);
    switch (p.model) {
    case Model::Lin:
        return (v - b) / m;
    case Model::Log:
        return std::exp((v - b) / m);
    case Model::Exp:
        return std::log(v / b) / m;
    case Model::Pwr:
        return std::pow(v / b, 1 / m);
    }
    return 0;
}

void setModel(Engine &e, Model m)
{
    Params p = params(e);
    p.model = m;
    storeParams(e, p);
}

void setColumn(Engine &e, bool y)
{
    const int64_t n = intAt(e, 1, 1, INT32_MAX);
    Params p = params(e);
    (y ? p.ycol : p.xcol) = n;
    storeParams(e, p);
    e.drop(1);
}

// ΣX, ΣY, ΣX2, ΣY2, ΣXY over the columns of ΣPAR.
template <int Which> void pairSum(Engine &e)
{
    const Pair p = pairOf(e, params(e));
    long double s = 0;
    for (size_t i = 0; i < p.x.size(); ++i) {
        switch (Which) {
        case 0:
            s += p.x[i];
            break;
        case 1:
            s += p.y[i];
            break;
        case 2:
            s += p.x[i] * p.x[i];
            break;
        case 3:
            s += p.y[i] * p.y[i];
            break;
        default:
            s += p.x[i] * p.y[i];
            break;
        }
    }
    e.push(fromExt(e, s));
}

// ---- probabilities ----------------------------------------------------------------

// The regularized incomplete gamma and beta functions by their series and
// continued fractions (no library of the project's offers them).
long double gammaP(long double a, long double x)
{
    if (x <= 0)
        return 0;
    const long double lg = std::lgamma(a);
    if (x < a + 1) {
        long double sum = 1 / a, term = sum;
        for (int n = 1; n < 10000; ++n) {
            term *= x / (a + n);
            sum += term;
            if (std::fabs(term) < std::fabs(sum) * 1e-19L)
                break;
        }
        return sum * std::exp(-x + a * std::log(x) - lg);
    }
    long double b = x + 1 - a, c = 1e4000L, d = 1 / b, h = d;
    for (int i = 1; i < 10000; ++i) {
        const long double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < 1e-4000L)
            d = 1e-4000L;
        c = b + an / c;
        if (std::fabs(c) < 1e-4000L)
            c = 1e-4000L;
        d = 1 / d;
        const long double del = d * c;
        h *= del;
        if (std::fabs(del - 1) < 1e-19L)
            break;
    }
    return 1 - std::exp(-x + a * std::log(x) - lg) * h;
}

long double betaFraction(long double a, long double b, long double x)
{
    const long double tiny = 1e-4000L;
    long double c = 1, d = 1 - (a + b) * x / (a + 1);
    if (std::fabs(d) < tiny)
        d = tiny;
    d = 1 / d;
    long double h = d;
    for (int m = 1; m < 10000; ++m) {
        const int m2 = 2 * m;
        long double aa = m * (b - m) * x / ((a + m2 - 1) * (a + m2));
        d = 1 + aa * d;
        if (std::fabs(d) < tiny)
            d = tiny;
        c = 1 + aa / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        d = 1 / d;
        h *= d * c;
        aa = -(a + m) * (a + b + m) * x / ((a + m2) * (a + m2 + 1));
        d = 1 + aa * d;
        if (std::fabs(d) < tiny)
            d = tiny;
        c = 1 + aa / c;
        if (std::fabs(c) < tiny)
            c = tiny;
        d = 1 / d;
        const long double del = d * c;
        h *= del;
        if (std::fabs(del - 1) < 1e-19L)
            break;
    }
    return h;
}

long double betaI(long double a, long double b, long double x)
{
    if (x <= 0)
        return 0;
    if (x >= 1)
        return 1;
    const long double front = std::exp(std::lgamma(a + b) - std::lgamma(a) - std::lgamma(b) +
                                       a * std::log(x) + b * std::log(1 - x));
    if (x < (a + 1) / (a + b + 2))
        return front * betaFraction(a, b, x) / a;
    return 1 - front * betaFraction(b, a, 1 - x) / b;
}

long double argOf(Engine &e, size_t level)
{
    return extendedOf(realAt(e, level));
}

void result(Engine &e, size_t args, long double v)
{
    e.replace(args, fromExt(e, v));
}

// ---- BINS -----------------------------------------------------------------------

const CommandDef defs[] = {
    {"Σ+",
     1,
     {AReal | AArray},
     0,
     [](Engine &e) {
         const Value add = e.level(1);
         std::vector<std::vector<Value>> rows;
         if (isRealArg(add)) {
             rows.push_back({Value::real(realAt(e, 1))});
         } else {
             const ArrayObj *a = add.asArray();
             if (a->isComplex())
                 throw CalcError(Err::BadArgumentType);
             for (uint32_t r = 0; r < a->rows(); ++r)
                 rows.emplace_back(a->elems.begin() + static_cast<ptrdiff_t>(r * a->cols()),
                                   a->elems.begin() + static_cast<ptrdiff_t>((r + 1) * a->cols()));
         }
         std::vector<Value> elems;
         size_t cols = rows.front().size();
         if (Value *v = e.findGlobal(internName(SigmaDat).get())) {
             const Value m = statMatrix(e);
             (void)v;
             cols = m.asArray()->cols();
             elems = m.asArray()->elems;
         }
         for (const auto &r : rows) {
             if (r.size() != cols)
                 throw CalcError(Err::InvalidDimension);
             elems.insert(elems.end(), r.begin(), r.end());
         }
         const uint32_t n = static_cast<uint32_t>(elems.size() / cols);
         storeStat(e, Value::array({n, static_cast<uint32_t>(cols)}, std::move(elems)));
         e.drop(1);
     }},
    {"Σ-",
     0,
     {},
     0,
     [](Engine &e) {
         const Value m = statMatrix(e);
         const ArrayObj *a = m.asArray();
         const uint32_t cols = a->cols();
         std::vector<Value> last(a->elems.end() - cols, a->elems.end());
         std::vector<Value> rest(a->elems.begin(), a->elems.end() - cols);
         if (rest.empty())
             e.purge(Value::global(SigmaDat));
         else
             storeStat(e, Value::array({a->rows() - 1, cols}, std::move(rest)));
         if (cols == 1)
             e.push(last.front());
         else
             e.push(Value::array({cols}, std::move(last)));
     }},
    {"CLΣ", 0, {}, 0, [](Engine &e) { e.purge(Value::global(SigmaDat)); }},
    {"STOΣ",
     1,
     {AArray | AGlobal},
     0,
     [](Engine &e) {
         const Value v = e.level(1);
         if (v.type() == Type::Array && !v.asArray()->isMatrix())
             throw CalcError(Err::InvalidDimension);
         storeStat(e, v);
         e.drop(1);
     }},
    {"RCLΣ",
     0,
     {},
     0,
     [](Engine &e) {
         Value *v = e.findGlobal(internName(SigmaDat).get());
         if (!v)
             throw CalcError(Err::NonexistentSigmaDat);
         e.push(*v);
     }},
    {"NΣ",
     0,
     {},
     0,
     [](Engine &e) { e.push(Value::real(static_cast<int64_t>(statMatrix(e).asArray()->rows()))); }},
    {"TOT", 0, {}, 0, [](Engine &e) { perColumn(e, sumOf); }},
    {"MEAN", 0, {}, 0, [](Engine &e) { perColumn(e, meanOf); }},
    {"VAR", 0, {}, 0, [](Engine &e) { perColumn(e, sampleVar); }},
    {"SDEV",
     0,
     {},
     0,
     [](Engine &e) {
         perColumn(e, [](const Data &d, size_t c) { return std::sqrt(sampleVar(d, c)); });
     }},
    {"PVAR",
     0,
     {},
     0,
     [](Engine &e) {
         perColumn(e, [](const Data &d, size_t c) {
             return squares(d, c) / static_cast<long double>(d.rows);
         });
     }},
    {"PSDEV",
     0,
     {},
     0,
     [](Engine &e) {
         perColumn(e, [](const Data &d, size_t c) {
             return std::sqrt(squares(d, c) / static_cast<long double>(d.rows));
         });
     }},
    {"MAXΣ",
     0,
     {},
     0,
     [](Engine &e) {
         perColumn(e, [](const Data &d, size_t c) {
             long double m = d.at(0, c);
             for (size_t r = 1; r < d.rows; ++r)
                 m = std::max(m, d.at(r, c));
             return m;
         });
     }},
    {"MINΣ",
     0,
     {},
     0,
     [](Engine &e) {
         perColumn(e, [](const Data &d, size_t c) {
             long double m = d.at(0, c);
             for (size_t r = 1; r < d.rows; ++r)
                 m = std::min(m, d.at(r, c));
             return m;
         });
     }},
    {"ΣX", 0, {}, 0, pairSum<0>},
    {"ΣY", 0, {}, 0, pairSum<1>},
    {"ΣX2", 0, {}, 0, pairSum<2>},
    {"ΣY2", 0, {}, 0, pairSum<3>},
    {"ΣXY", 0, {}, 0, pairSum<4>},
    {"XCOL", 1, {AReal}, 0, [](Engine &e) { setColumn(e, false); }},
    {"YCOL", 1, {AReal}, 0, [](Engine &e) { setColumn(e, true); }},
    {"COLΣ",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         const int64_t y = intAt(e, 1, 1, INT32_MAX);
         const int64_t x = intAt(e, 2, 1, INT32_MAX);
         Params p = params(e);
         p.xcol = x;
         p.ycol = y;
         storeParams(e, p);
         e.drop(2);
     }},
    {"CORR", 0, {}, 0, [](Engine &e) { e.push(fromExt(e, correlation(pairOf(e, params(e))))); }},
    {"COV",
     0,
     {},
     0,
     [](Engine &e) { e.push(fromExt(e, covariance(pairOf(e, params(e)), false))); }},
    {"PCOV",
     0,
     {},
     0,
     [](Engine &e) { e.push(fromExt(e, covariance(pairOf(e, params(e)), true))); }},
    {"LINFIT", 0, {}, 0, [](Engine &e) { setModel(e, Model::Lin); }},
    {"LOGFIT", 0, {}, 0, [](Engine &e) { setModel(e, Model::Log); }},
    {"EXPFIT", 0, {}, 0, [](Engine &e) { setModel(e, Model::Exp); }},
    {"PWRFIT", 0, {}, 0, [](Engine &e) { setModel(e, Model::Pwr); }},
    {"BESTFIT",
     0,
     {},
     0,
     [](Engine &e) {
         // the model whose correlation is largest in size; models the data
         // cannot take (logarithms of zero or negatives) are passed over
         Params p = params(e);
         const Pair data = pairOf(e, p);
         long double best = -1;
         Model chosen = Model::Lin;
         for (int i = 0; i < 4; ++i) {
             try {
                 const long double r = std::fabs(correlation(transformed(data, Model(i))));
                 if (r > best) {
                     best = r;
                     chosen = Model(i);
                 }
             } catch (const CalcError &) {
             }
         }
         p.model = chosen;
         storeParams(e, p);
     }},
    {"LR",
     0,
     {},
     0,
     [](Engine &e) {
         Params p = params(e);
         const Fit f = fitOf(pairOf(e, p), p.model);
         p.intercept = fromExt(e, f.intercept);
         p.slope = fromExt(e, f.slope);
         storeParams(e, p);
         e.push(Value::tagged("Intercept", p.intercept));
         e.push(Value::tagged("Slope", p.slope));
     }},
    {"PREDY",
     1,
     {AReal},
     0,
     [](Engine &e) { result(e, 1, predict(params(e), argOf(e, 1), false)); }},
    {"PREDX",
     1,
     {AReal},
     0,
     [](Engine &e) { result(e, 1, predict(params(e), argOf(e, 1), true)); }},
    {"PREDV",
     1,
     {AReal},
     0,
     [](Engine &e) { result(e, 1, predict(params(e), argOf(e, 1), false)); }},
    {"ΣLINE",
     0,
     {},
     0,
     [](Engine &e) {
         const Params p = params(e);
         const std::string b = e.toText(p.intercept);
         const std::string m = e.toText(p.slope);
         std::string text;
         switch (p.model) {
         case Model::Lin:
             text = b + "+" + m + "*X";
             break;
         case Model::Log:
             text = b + "+" + m + "*LN(X)";
             break;
         case Model::Exp:
             text = b + "*EXP(" + m + "*X)";
             break;
         case Model::Pwr:
             text = b + "*X^" + m;
             break;
         }
         const Value line = e.compile("'" + text + "'");
         e.push(line.items().front());
     }},
    {"BINS",
     3,
     {AReal, AReal, AReal},
     0,
     [](Engine &e) {
         // xmin width n BINS: the count of each bin (an n x 1 matrix) and
         // the counts below and above them
         const long double lo = argOf(e, 3);
         const long double w = argOf(e, 2);
         const int64_t n = intAt(e, 1, 1, 100000);
         if (w <= 0)
             throw CalcError(Err::BadArgumentValue);
         const Data d = statData(e);
         const size_t col = static_cast<size_t>(params(e).xcol - 1);
         if (col >= d.cols)
             throw CalcError(Err::InvalidSigmaPar);
         std::vector<int64_t> counts(static_cast<size_t>(n), 0);
         int64_t below = 0, above = 0;
         for (size_t r = 0; r < d.rows; ++r) {
             const long double k = std::floor((d.at(r, col) - lo) / w);
             if (k < 0)
                 ++below;
             else if (k >= n)
                 ++above;
             else
                 ++counts[static_cast<size_t>(k)];
         }
         std::vector<Value> cells;
         for (int64_t c : counts)
             cells.push_back(Value::real(c));
         e.drop(3);
         e.push(Value::array({static_cast<uint32_t>(n), 1}, std::move(cells)));
         e.push(Value::array({2}, {Value::real(below), Value::real(above)}));
     }},
    // ---- plots of ΣDAT
    {"SCLΣ",
     0,
     {},
     0,
     [](Engine &e) {
         // the plot range becomes the range of the x and y columns
         const Pair p = pairOf(e, params(e));
         const auto [x0, x1] = std::minmax_element(p.x.begin(), p.x.end());
         const auto [y0, y1] = std::minmax_element(p.y.begin(), p.y.end());
         if (*x0 == *x1 || *y0 == *y1)
             throw CalcError(Err::InsufficientSigmaData);
         e.push(fromExt(e, *x0));
         e.push(fromExt(e, *x1));
         commandInfo(findCommand("XRNG")).def.fn(e);
         e.push(fromExt(e, *y0));
         e.push(fromExt(e, *y1));
         commandInfo(findCommand("YRNG")).def.fn(e);
     }},
    {"SCATRPLOT",
     0,
     {},
     0,
     [](Engine &e) {
         // one dot per point of the x and y columns, through PPAR
         const Pair p = pairOf(e, params(e));
         static const int toPixel = findCommand("C\x8DPX");
         for (size_t i = 0; i < p.x.size(); ++i) {
             e.push(Value::complex(realOfExtended(e, p.x[i]), realOfExtended(e, p.y[i])));
             commandInfo(toPixel).def.fn(e);
             const Value px = e.pop();
             const auto &xy = px.items();
             e.drawablePict()->setPixel(static_cast<int64_t>(xy[0].asBinary()),
                                        static_cast<int64_t>(xy[1].asBinary()), true);
         }
     }},
    // ---- probabilities
    {"UTPN",
     3,
     {AReal, AReal, AReal},
     0,
     [](Engine &e) {
         // mean variance x UTPN: P(X > x) for a normal distribution
         const long double m = argOf(e, 3), v = argOf(e, 2), x = argOf(e, 1);
         if (v <= 0)
             throw CalcError(Err::BadArgumentValue);
         result(e, 3, 0.5L * std::erfc((x - m) / std::sqrt(2 * v)));
     }},
    {"NDIST",
     3,
     {AReal, AReal, AReal},
     Only49,
     [](Engine &e) {
         // mean variance x NDIST: the normal density at x
         const long double m = argOf(e, 3), v = argOf(e, 2), x = argOf(e, 1);
         if (v <= 0)
             throw CalcError(Err::BadArgumentValue);
         const long double pi = 3.141592653589793238462643383279502884L;
         result(e, 3, std::exp(-(x - m) * (x - m) / (2 * v)) / std::sqrt(2 * pi * v));
     }},
    {"UTPC",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         // degrees x UTPC: P(X > x) for chi-square
         const long double n = argOf(e, 2), x = argOf(e, 1);
         if (n <= 0)
             throw CalcError(Err::BadArgumentValue);
         result(e, 2, x <= 0 ? 1 : 1 - gammaP(n / 2, x / 2));
     }},
    {"UTPT",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         // degrees x UTPT: P(T > x) for Student's t
         const long double n = argOf(e, 2), x = argOf(e, 1);
         if (n <= 0)
             throw CalcError(Err::BadArgumentValue);
         const long double tail = 0.5L * betaI(n / 2, 0.5L, n / (n + x * x));
         result(e, 2, x >= 0 ? tail : 1 - tail);
     }},
    {"UTPF",
     3,
     {AReal, AReal, AReal},
     0,
     [](Engine &e) {
         // numerator-degrees denominator-degrees x UTPF: P(F > x)
         const long double n = argOf(e, 3), d = argOf(e, 2), x = argOf(e, 1);
         if (n <= 0 || d <= 0)
             throw CalcError(Err::BadArgumentValue);
         result(e, 3, x <= 0 ? 1 : betaI(d / 2, n / 2, d / (d + n * x)));
     }},
};

} // namespace

CommandGroup statisticsCommands()
{
    return group(defs);
}

} // namespace Calc
