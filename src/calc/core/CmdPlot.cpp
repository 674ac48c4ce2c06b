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

const CommandDef defs[] = {
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
