// The plot parameters: PPAR (the plot range, the independent and dependent
// variables, the resolution, the axes and the plot type) and VPAR (the 3D
// view volume), the current equation EQ, the conversion between user units
// and pixels, and the axes drawn into PICT.
#include "calc/core/CommandTable.h"

#include <cmath>

namespace Calc {

namespace {

// PPAR: { (xmin,ymin) (xmax,ymax) indep res axes type depend }
enum PparItem { PMin, PMax, PIndep, PRes, PAxes, PType, PDepend, PparCount };

Real realOf(const char *text)
{
    Real r;
    parseReal(text, r);
    return r;
}

std::vector<Value> ppar(Engine &e)
{
    if (Value *v = e.findGlobal(internName("PPAR").get())) {
        if (v->type() != Type::List || v->items().size() < PparCount)
            throw CalcError(Err::BadArgumentValue, "Invalid PPAR");
        return v->items();
    }
    return {Value::complex(realOf("-6.5"), realOf("-3.1")),
            Value::complex(realOf("6.5"), realOf("3.2")),
            Value::global("X"),
            Value::real(0),
            Value::complex(Real{}, Real{}),
            Value::command(findCommand("FUNCTION")),
            Value::global("Y")};
}

void storePpar(Engine &e, std::vector<Value> items)
{
    e.store(Value::global("PPAR"), Value::list(std::move(items)));
}

void setItem(Engine &e, int item, const Value &v)
{
    std::vector<Value> p = ppar(e);
    p[static_cast<size_t>(item)] = v;
    storePpar(e, std::move(p));
}

Cx corner(const std::vector<Value> &p, int item)
{
    const Value &v = p[static_cast<size_t>(item)];
    if (v.type() != Type::Complex)
        throw CalcError(Err::BadArgumentValue, "Invalid PPAR");
    return cxOf(v);
}

void setItemFromTop(Engine &e, int item)
{
    setItem(e, item, e.level(1));
    e.drop(1);
}

// XRNG and YRNG: the two limits of one axis.
void setRange(Engine &e, bool y)
{
    const Real lo = realAt(e, 2), hi = realAt(e, 1);
    std::vector<Value> p = ppar(e);
    Cx a = corner(p, PMin), b = corner(p, PMax);
    (y ? a.im : a.re) = lo;
    (y ? b.im : b.re) = hi;
    p[PMin] = Value::complex(a.re, a.im);
    p[PMax] = Value::complex(b.re, b.im);
    storePpar(e, std::move(p));
    e.drop(2);
}

// Multiplies the width (or height) by f about the centre.
void scaleAxis(Engine &e, bool y, long double f)
{
    if (f == 0)
        throw CalcError(Err::BadArgumentValue);
    std::vector<Value> p = ppar(e);
    const Cx a = corner(p, PMin), b = corner(p, PMax);
    const long double lo = extendedOf(y ? a.im : a.re), hi = extendedOf(y ? b.im : b.re);
    const long double mid = (lo + hi) / 2, half = (hi - lo) / 2 * f;
    Cx na = a, nb = b;
    (y ? na.im : na.re) = realOfExtended(e, mid - half);
    (y ? nb.im : nb.re) = realOfExtended(e, mid + half);
    p[PMin] = Value::complex(na.re, na.im);
    p[PMax] = Value::complex(nb.re, nb.im);
    storePpar(e, std::move(p));
}

// A plot type command: it becomes PPAR's type.
void plotType(Engine &e, const char *name)
{
    setItem(e, PType, Value::command(findCommand(name)));
}

// The picture's size and the user-unit range, for the pixel conversions.
struct View
{
    long double xmin, ymin, xmax, ymax, w, h;
};

View viewOf(Engine &e)
{
    const std::vector<Value> p = ppar(e);
    const Cx a = corner(p, PMin), b = corner(p, PMax);
    const GrobObj *g = e.pict().asGrob();
    View v{extendedOf(a.re), extendedOf(a.im), extendedOf(b.re), extendedOf(b.im),
           static_cast<long double>(g->width), static_cast<long double>(g->height)};
    if (v.xmax == v.xmin || v.ymax == v.ymin)
        throw CalcError(Err::BadArgumentValue, "Invalid PPAR");
    return v;
}

// VPAR: { xleft xright yfar ynear zlow zhigh xmin xmax ymin ymax xeye yeye
// zeye xstep ystep }
std::vector<Value> vpar(Engine &e)
{
    if (Value *v = e.findGlobal(internName("VPAR").get())) {
        if (v->type() != Type::List || v->items().size() < 15)
            throw CalcError(Err::BadArgumentValue, "Invalid VPAR");
        return v->items();
    }
    const int64_t d[15] = {-1, 1, -1, 1, -1, 1, -1, 1, -1, 1, 0, -3, 0, 10, 8};
    std::vector<Value> out;
    for (int64_t x : d)
        out.push_back(Value::real(x));
    return out;
}

// Sets n consecutive VPAR items from the top n levels (deepest first).
void setVpar(Engine &e, size_t first, size_t n)
{
    std::vector<Value> v = vpar(e);
    for (size_t i = 0; i < n; ++i)
        v[first + i] = e.level(n - i);
    e.store(Value::global("VPAR"), Value::list(std::move(v)));
    e.drop(n);
}

constexpr uint16_t ARB = AReal | ABin;

// DRAW of a FUNCTION plot: each curve of EQ (an expression, a program, each
// side of an equation, each item of a list) evaluated at every column of
// PICT (or every RES step) with the independent variable bound as a local,
// the points joined by lines. A point whose evaluation fails or gives no
// real number is left out, as the calculators leave out undefined points.
class FunctionPlot : public Continuation
{
public:
    FunctionPlot(std::vector<Value> curves, const NameObj *indep, View view, long double from,
                 long double to, long double step)
        : m_curves(std::move(curves))
        , m_indep(indep)
        , m_view(view)
        , m_from(from)
        , m_to(to)
        , m_step(step)
    {
    }
    void start(Engine &e)
    {
        m_depth = e.depth();
        // the expression is reached through a local of its own; IFERR keeps
        // an undefined point from ending the plot
        m_fnName = internName("qvPLOTFN");
        // (calculator bytes: « →NUM »)
        m_probe = e.compile("\xAB IFERR qvPLOTFN \x8DNUM THEN END \xBB").items()[0];
        e.pushContinuation(this);
        m_local = e.bindLocal(m_indep.get(), Value::real(0));
        e.bindLocal(m_fnName.get(), m_curves[0]);
        m_bound = true;
        m_x = m_from;
        evaluateNext(e);
    }
    void resume(Engine &e) override
    {
        if (e.depth() < m_depth)
            throw CalcError(Err::BadArgumentValue, "DRAW: the function took objects from the stack");
        bool defined = false;
        long double y = 0;
        if (e.depth() == m_depth + 1 && isRealArg(e.level(1))) {
            y = extendedOf(realAt(e, 1));
            defined = std::isfinite(static_cast<double>(y));
        }
        e.drop(e.depth() - m_depth);
        if (defined) {
            const Point p = pixelOf(m_x, y);
            if (m_havePrevious)
                drawLine(e.drawablePict(), m_previous, p);
            else
                e.drawablePict()->setPixel(p.x, p.y, true);
            m_previous = p;
        }
        m_havePrevious = defined;
        m_x += m_step;
        evaluateNext(e);
    }
    void unwind(Engine &e) override
    {
        if (m_bound)
            e.unbindLocals(m_local);
    }

private:
    struct Point
    {
        int64_t x, y;
    };
    Point pixelOf(long double x, long double y) const
    {
        const View &v = m_view;
        const long double px = std::round((x - v.xmin) / (v.xmax - v.xmin) * (v.w - 1));
        const long double py = std::round((v.ymax - y) / (v.ymax - v.ymin) * (v.h - 1));
        // far outside the picture is as good as just outside it
        auto clamp = [](long double c) { return static_cast<int64_t>(std::clamp(c, -2000.0L, 4000.0L)); };
        return {clamp(px), clamp(py)};
    }
    static void drawLine(GrobObj *g, Point a, Point b)
    {
        const int64_t dx = std::llabs(b.x - a.x), dy = -std::llabs(b.y - a.y);
        const int64_t sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
        int64_t err = dx + dy;
        for (;;) {
            g->setPixel(a.x, a.y, true);
            if (a.x == b.x && a.y == b.y)
                break;
            const int64_t e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                a.x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                a.y += sy;
            }
        }
    }
    void evaluateNext(Engine &e)
    {
        const long double end = m_to + m_step / 2;
        if (m_x > end) {
            // the next curve, from the left again
            if (++m_curve >= m_curves.size()) {
                e.unbindLocals(m_local);
                m_bound = false;
                e.popFrame();
                return;
            }
            if (Value *f = e.findLocal(m_fnName.get()))
                *f = m_curves[m_curve];
            m_x = m_from;
            m_havePrevious = false;
        }
        if (Value *l = e.findLocal(m_indep.get()))
            *l = Value::real(realOfExtended(e, m_x));
        e.scheduleEval(m_probe);
    }

    std::vector<Value> m_curves;
    NameRef m_indep, m_fnName;
    View m_view;
    long double m_from, m_to, m_step;
    Value m_probe;
    size_t m_curve = 0;
    long double m_x = 0;
    Point m_previous{0, 0};
    bool m_havePrevious = false;
    size_t m_depth = 0;
    uint32_t m_local = 0;
    bool m_bound = false;
};

// The curves DRAW plots from EQ.
std::vector<Value> curvesOf(const Value &eq)
{
    std::vector<Value> out;
    auto add = [&out](const Value &v) {
        const auto &it = v.type() == Type::Algebraic ? v.items() : std::vector<Value>();
        if (!it.empty() && it.back().type() == Type::Command && it.back().commandId() == ops().equation) {
            // both sides of an equation
            const size_t split = rightOperandStart(it, it.size() - 1);
            out.push_back(Value::algebraic(std::vector<Value>(it.begin(), it.begin() + static_cast<ptrdiff_t>(split))));
            out.push_back(Value::algebraic(std::vector<Value>(it.begin() + static_cast<ptrdiff_t>(split), it.end() - 1)));
        } else if (v.type() == Type::Algebraic || v.type() == Type::Program || v.isName() || isRealArg(v)) {
            out.push_back(v);
        } else {
            throw CalcError(Err::BadArgumentType, "Invalid EQ");
        }
    };
    if (eq.type() == Type::List)
        for (const Value &v : eq.items())
            add(v);
    else
        add(eq);
    if (out.empty())
        throw CalcError(Err::BadArgumentType, "Invalid EQ");
    return out;
}

// Text ORed into PICT with its top left corner at (x, y), kept inside.
void stamp(Engine &e, const std::string &text, int64_t x, int64_t y)
{
    const Value t = textGrob(text, 1);
    const GrobObj *src = t.asGrob();
    GrobObj *g = e.drawablePict();
    x = std::clamp<int64_t>(x, 0, std::max<int64_t>(0, int64_t(g->width) - int64_t(src->width)));
    y = std::clamp<int64_t>(y, 0, std::max<int64_t>(0, int64_t(g->height) - int64_t(src->height)));
    for (int64_t r = 0; r < int64_t(src->height); ++r)
        for (int64_t c = 0; c < int64_t(src->width); ++c)
            if (src->pixel(c, r))
                g->setPixel(x + c, y + r, true);
}

const CommandDef defs[] = {
    {"LABEL",
     0,
     {},
     0,
     [](Engine &e) {
         // the ends of both ranges in the display mode, in the small font:
         // xmin and xmax below the x axis at its two ends, ymax and ymin
         // beside the y axis at its top and bottom
         const View v = viewOf(e);
         const std::vector<Value> p = ppar(e);
         Cx origin{Real{}, Real{}};
         if (p[PAxes].type() == Type::Complex)
             origin = cxOf(p[PAxes]);
         else if (p[PAxes].type() == Type::List && !p[PAxes].items().empty() &&
                  p[PAxes].items()[0].type() == Type::Complex)
             origin = cxOf(p[PAxes].items()[0]);
         const int64_t ox = static_cast<int64_t>(
             std::round((extendedOf(origin.re) - v.xmin) / (v.xmax - v.xmin) * (v.w - 1)));
         const int64_t oy = static_cast<int64_t>(
             std::round((v.ymax - extendedOf(origin.im)) / (v.ymax - v.ymin) * (v.h - 1)));
         const Cx a = corner(p, PMin), b = corner(p, PMax);
         auto text = [&e](const Real &r) { return e.toText(Value::real(r)); };
         const std::string xmax = text(b.re);
         stamp(e, text(a.re), 0, oy + 2);
         stamp(e, xmax, int64_t(v.w) - 6 * int64_t(xmax.size()), oy + 2);
         stamp(e, text(b.im), ox + 2, 0);
         stamp(e, text(a.im), ox + 2, int64_t(v.h) - 7);
     }},
    {"DRAW",
     0,
     {},
     0,
     [](Engine &e) {
         const std::vector<Value> p = ppar(e);
         const Value &type = p[PType];
         if (type.type() != Type::Command || type.commandId() != findCommand("FUNCTION"))
             throw CalcError(Err::NotImplemented, "Not implemented yet: DRAW of this plot type");
         const Value *eq = e.findGlobal(internName("EQ").get());
         if (!eq)
             throw CalcError(Err::UndefinedName, "Undefined Name: EQ");
         // the independent variable: a name, or { name from to }
         const Value &indep = p[PIndep];
         const Value &name = indep.type() == Type::List && !indep.items().empty() ? indep.items()[0] : indep;
         if (!name.isName())
             throw CalcError(Err::BadArgumentValue, "Invalid PPAR");
         const View range = viewOf(e);
         long double from = range.xmin, to = range.xmax;
         if (indep.type() == Type::List && indep.items().size() == 3 && isRealArg(indep.items()[1]) &&
             isRealArg(indep.items()[2])) {
             from = extendedOf(realOfNumber(indep.items()[1]));
             to = extendedOf(realOfNumber(indep.items()[2]));
         }
         // RES: 0 every column, a real a step in user units, #n every n columns
         long double step = (range.xmax - range.xmin) / (range.w - 1);
         const Value &res = p[PRes];
         if (isRealArg(res) && !realOfNumber(res).isZero())
             step = std::fabs(extendedOf(realOfNumber(res)));
         else if (res.type() == Type::Binary && res.asBinary() > 0)
             step *= static_cast<long double>(std::min<uint64_t>(res.asBinary(), 1000));
         if (to < from)
             std::swap(from, to);
         if (!(step > 0))
             throw CalcError(Err::BadArgumentValue, "Invalid PPAR");
         auto *plot = new FunctionPlot(curvesOf(*eq), name.asName(), range, from, to, step);
         Value keep = makeHeap(plot, Type::Native);
         plot->start(e);
     }},
    {"PMIN", 1, {AComplex}, 0, [](Engine &e) { setItemFromTop(e, PMin); }},
    {"PMAX", 1, {AComplex}, 0, [](Engine &e) { setItemFromTop(e, PMax); }},
    {"XRNG", 2, {AReal, AReal}, 0, [](Engine &e) { setRange(e, false); }},
    {"YRNG", 2, {AReal, AReal}, 0, [](Engine &e) { setRange(e, true); }},
    {"INDEP", 1, {AName | AList}, 0, [](Engine &e) { setItemFromTop(e, PIndep); }},
    {"DEPND", 1, {AName | AList}, 0, [](Engine &e) { setItemFromTop(e, PDepend); }},
    {"RES", 1, {ARB}, 0, [](Engine &e) { setItemFromTop(e, PRes); }},
    {"AXES", 1, {AComplex | AList}, 0, [](Engine &e) { setItemFromTop(e, PAxes); }},
    {"CENTR",
     1,
     {AComplex | AReal},
     0,
     [](Engine &e) {
         // the range moves so that its centre is the point given (a real
         // keeps the vertical centre)
         std::vector<Value> p = ppar(e);
         const Cx a = corner(p, PMin), b = corner(p, PMax);
         const Value &c = e.level(1);
         const long double cx = extendedOf(cxOf(c).re);
         const long double cy = c.type() == Type::Complex
                                    ? extendedOf(cxOf(c).im)
                                    : (extendedOf(a.im) + extendedOf(b.im)) / 2;
         const long double hw = (extendedOf(b.re) - extendedOf(a.re)) / 2;
         const long double hh = (extendedOf(b.im) - extendedOf(a.im)) / 2;
         p[PMin] = Value::complex(realOfExtended(e, cx - hw), realOfExtended(e, cy - hh));
         p[PMax] = Value::complex(realOfExtended(e, cx + hw), realOfExtended(e, cy + hh));
         storePpar(e, std::move(p));
         e.drop(1);
     }},
    {"SCALE",
     2,
     {AReal, AReal},
     0,
     [](Engine &e) {
         // user units per ten pixels on each axis, about the centre
         const long double xs = extendedOf(realAt(e, 2)), ys = extendedOf(realAt(e, 1));
         if (xs <= 0 || ys <= 0)
             throw CalcError(Err::BadArgumentValue);
         const GrobObj *g = e.pict().asGrob();
         std::vector<Value> p = ppar(e);
         const Cx a = corner(p, PMin), b = corner(p, PMax);
         const long double mx = (extendedOf(a.re) + extendedOf(b.re)) / 2;
         const long double my = (extendedOf(a.im) + extendedOf(b.im)) / 2;
         const long double hw = xs * (g->width - 1) / 20, hh = ys * (g->height - 1) / 20;
         p[PMin] = Value::complex(realOfExtended(e, mx - hw), realOfExtended(e, my - hh));
         p[PMax] = Value::complex(realOfExtended(e, mx + hw), realOfExtended(e, my + hh));
         storePpar(e, std::move(p));
         e.drop(2);
     }},
    {"SCALEW",
     1,
     {AReal},
     0,
     [](Engine &e) {
         scaleAxis(e, false, extendedOf(realAt(e, 1)));
         e.drop(1);
     }},
    {"SCALEH",
     1,
     {AReal},
     0,
     [](Engine &e) {
         scaleAxis(e, true, extendedOf(realAt(e, 1)));
         e.drop(1);
     }},
    {"*W",
     1,
     {AReal},
     0,
     [](Engine &e) {
         scaleAxis(e, false, extendedOf(realAt(e, 1)));
         e.drop(1);
     }},
    {"*H",
     1,
     {AReal},
     0,
     [](Engine &e) {
         scaleAxis(e, true, extendedOf(realAt(e, 1)));
         e.drop(1);
     }},
    // plot types
    {"FUNCTION", 0, {}, 0, [](Engine &e) { plotType(e, "FUNCTION"); }},
    {"CONIC", 0, {}, 0, [](Engine &e) { plotType(e, "CONIC"); }},
    {"POLAR", 0, {}, 0, [](Engine &e) { plotType(e, "POLAR"); }},
    {"PARAMETRIC", 0, {}, 0, [](Engine &e) { plotType(e, "PARAMETRIC"); }},
    {"TRUTH", 0, {}, 0, [](Engine &e) { plotType(e, "TRUTH"); }},
    {"BAR", 0, {}, 0, [](Engine &e) { plotType(e, "BAR"); }},
    {"HISTOGRAM", 0, {}, 0, [](Engine &e) { plotType(e, "HISTOGRAM"); }},
    {"SCATTER", 0, {}, 0, [](Engine &e) { plotType(e, "SCATTER"); }},
    {"DIFFEQ", 0, {}, 0, [](Engine &e) { plotType(e, "DIFFEQ"); }},
    {"SLICE", 0, {}, 0, [](Engine &e) { plotType(e, "SLICE"); }},
    {"WIREFRAME", 0, {}, 0, [](Engine &e) { plotType(e, "WIREFRAME"); }},
    {"PCONTOUR", 0, {}, 0, [](Engine &e) { plotType(e, "PCONTOUR"); }},
    {"YSLICE", 0, {}, 0, [](Engine &e) { plotType(e, "YSLICE"); }},
    {"GRIDMAP", 0, {}, 0, [](Engine &e) { plotType(e, "GRIDMAP"); }},
    {"PARSURFACE", 0, {}, 0, [](Engine &e) { plotType(e, "PARSURFACE"); }},
    {"FAST3D", 0, {}, Only49, [](Engine &e) { plotType(e, "FAST3D"); }},
    // the current equation
    {"STEQ",
     1,
     {AAny},
     0,
     [](Engine &e) {
         e.store(Value::global("EQ"), e.level(1));
         e.drop(1);
     }},
    {"RCEQ",
     0,
     {},
     0,
     [](Engine &e) {
         Value *v = e.findGlobal(internName("EQ").get());
         if (!v)
             throw CalcError(Err::NoCurrentEquation);
         e.push(*v);
     }},
    // user units and pixels
    {"C→PX",
     1,
     {AComplex},
     0,
     [](Engine &e) {
         const View v = viewOf(e);
         const Cx c = cxOf(e.level(1));
         const long double x = (extendedOf(c.re) - v.xmin) / (v.xmax - v.xmin) * (v.w - 1);
         const long double y = (v.ymax - extendedOf(c.im)) / (v.ymax - v.ymin) * (v.h - 1);
         auto pixel = [](long double p) {
             const long double r = std::round(p);
             return Value::binary(r < 0 ? 0 : r > 1e9L ? 1000000000ULL : static_cast<uint64_t>(r));
         };
         e.replace(1, Value::list({pixel(x), pixel(y)}));
     }},
    {"PX→C",
     1,
     {AList},
     0,
     [](Engine &e) {
         const auto &it = e.level(1).items();
         if (it.size() != 2)
             throw CalcError(Err::InvalidDimension);
         auto whole = [](const Value &p) -> long double {
             if (p.type() == Type::Binary)
                 return static_cast<long double>(p.asBinary());
             if (isRealArg(p))
                 return extendedOf(realOfNumber(p));
             throw CalcError(Err::BadArgumentType);
         };
         const View v = viewOf(e);
         const long double x = v.xmin + whole(it[0]) * (v.xmax - v.xmin) / (v.w - 1);
         const long double y = v.ymax - whole(it[1]) * (v.ymax - v.ymin) / (v.h - 1);
         e.replace(1, Value::complex(realOfExtended(e, x), realOfExtended(e, y)));
     }},
    {"DRAX",
     0,
     {},
     0,
     [](Engine &e) {
         // the axes through PPAR's axes point, clipped to the picture
         const View v = viewOf(e);
         const std::vector<Value> p = ppar(e);
         Cx origin{Real{}, Real{}};
         if (p[PAxes].type() == Type::Complex)
             origin = cxOf(p[PAxes]);
         else if (p[PAxes].type() == Type::List && !p[PAxes].items().empty() &&
                  p[PAxes].items()[0].type() == Type::Complex)
             origin = cxOf(p[PAxes].items()[0]);
         const long double ox =
             std::round((extendedOf(origin.re) - v.xmin) / (v.xmax - v.xmin) * (v.w - 1));
         const long double oy =
             std::round((v.ymax - extendedOf(origin.im)) / (v.ymax - v.ymin) * (v.h - 1));
         GrobObj *g = e.drawablePict();
         if (oy >= 0 && oy < v.h)
             for (int64_t x = 0; x < static_cast<int64_t>(v.w); ++x)
                 g->setPixel(x, static_cast<int64_t>(oy), true);
         if (ox >= 0 && ox < v.w)
             for (int64_t y = 0; y < static_cast<int64_t>(v.h); ++y)
                 g->setPixel(static_cast<int64_t>(ox), y, true);
     }},
    // the 3D view volume
    {"XVOL", 2, {AReal, AReal}, 0, [](Engine &e) { setVpar(e, 0, 2); }},
    {"YVOL", 2, {AReal, AReal}, 0, [](Engine &e) { setVpar(e, 2, 2); }},
    {"ZVOL", 2, {AReal, AReal}, 0, [](Engine &e) { setVpar(e, 4, 2); }},
    {"XXRNG", 2, {AReal, AReal}, 0, [](Engine &e) { setVpar(e, 6, 2); }},
    {"YYRNG", 2, {AReal, AReal}, 0, [](Engine &e) { setVpar(e, 8, 2); }},
    {"EYEPT", 3, {AReal, AReal, AReal}, 0, [](Engine &e) { setVpar(e, 10, 3); }},
    {"NUMX", 1, {AReal}, 0, [](Engine &e) { setVpar(e, 13, 1); }},
    {"NUMY", 1, {AReal}, 0, [](Engine &e) { setVpar(e, 14, 1); }},
    {"PDIM",
     2,
     {ABin, ABin},
     0,
     [](Engine &e) {
         // #width #height PDIM: a blank PICT of that size
         const uint64_t w = e.level(2).asBinary(), h = e.level(1).asBinary();
         if (w < 1 || h < 1)
             throw CalcError(Err::BadArgumentValue);
         if (w > MaxGrobSide || h > MaxGrobSide)
             throw CalcError(Err::InsufficientMemory);
         e.setPict(Value::grob(new GrobObj(static_cast<uint32_t>(w), static_cast<uint32_t>(h))));
         e.drop(2);
     },
     0,
     {{{AComplex, AComplex}, [](Engine &e) {
           // (xmin,ymin) (xmax,ymax) PDIM: those corners, with a blank PICT
           // large enough to keep the current units per pixel
           const View v = viewOf(e);
           const Cx a = cxOf(e.level(2)), b = cxOf(e.level(1));
           const long double w = std::round((extendedOf(b.re) - extendedOf(a.re)) /
                                            (v.xmax - v.xmin) * (v.w - 1)) + 1;
           const long double h = std::round((extendedOf(b.im) - extendedOf(a.im)) /
                                            (v.ymax - v.ymin) * (v.h - 1)) + 1;
           if (!(w >= 1 && h >= 1))
               throw CalcError(Err::BadArgumentValue);
           if (w > MaxGrobSide || h > MaxGrobSide)
               throw CalcError(Err::InsufficientMemory);
           std::vector<Value> p = ppar(e);
           p[PMin] = e.level(2);
           p[PMax] = e.level(1);
           storePpar(e, std::move(p));
           e.setPict(Value::grob(new GrobObj(static_cast<uint32_t>(w), static_cast<uint32_t>(h))));
           e.drop(2);
       }}}},
};

} // namespace

CommandGroup plotCommands()
{
    return group(defs);
}

} // namespace Calc
