// Pictures (GROB, PICT and drawing on it); the code of the general object
// commands for pictures, characters and units, and of SUB and REPL for arrays
// (the commands' rows, in the data and program families, list it); algebraic
// substitution (|) and QUOTE.
#include "calc/core/CommandTable.h"
#include "calc/core/DotFont.h"
#include "calc/core/Compiler.h"
#include "calc/core/UserInterface.h"

#include <array>
#include <cmath>

namespace Calc {

namespace {

int pictId()
{
    static const int id = findCommand("PICT");
    return id;
}

bool isPict(const Value &v)
{
    return v.type() == Type::Command && v.commandId() == pictId();
}

// A whole number from a binary integer or a real.
int64_t wholeOf(const Value &v)
{
    if (v.type() == Type::Binary)
        return static_cast<int64_t>(std::min<uint64_t>(v.asBinary(), INT32_MAX));
    if (isRealArg(v)) {
        bool ok = false;
        const int64_t i = intPart(realOfNumber(v)).toInt(&ok);
        if (!ok || i < INT32_MIN || i > INT32_MAX)
            throw CalcError(Err::BadArgumentValue);
        return i;
    }
    throw CalcError(Err::BadArgumentType);
}

struct Point
{
    int64_t x, y;
};

// A pixel position: { #x #y } in pixels, or (x,y) in user units mapped
// through PPAR (or the default plot range).
Point pointOf(Engine &e, const Value &v)
{
    if (v.type() == Type::List) {
        if (v.items().size() != 2)
            throw CalcError(Err::InvalidDimension);
        return {wholeOf(v.items()[0]), wholeOf(v.items()[1])};
    }
    if (v.type() != Type::Complex)
        throw CalcError(Err::BadArgumentType);
    double xmin = -6.5, ymin = -3.1, xmax = 6.5, ymax = 3.2;
    if (Value *ppar = e.findGlobal(internName("PPAR").get())) {
        if (ppar->type() == Type::List && ppar->items().size() >= 2 &&
            ppar->items()[0].type() == Type::Complex && ppar->items()[1].type() == Type::Complex) {
            xmin = ppar->items()[0].asComplex()->re.toDouble();
            ymin = ppar->items()[0].asComplex()->im.toDouble();
            xmax = ppar->items()[1].asComplex()->re.toDouble();
            ymax = ppar->items()[1].asComplex()->im.toDouble();
        }
    }
    const Value &p = e.pict();
    const double w = p.asGrob()->width;
    const double h = p.asGrob()->height;
    if (xmax == xmin || ymax == ymin)
        throw CalcError(Err::BadArgumentValue);
    const double x = (v.asComplex()->re.toDouble() - xmin) / (xmax - xmin) * (w - 1);
    const double y = (ymax - v.asComplex()->im.toDouble()) / (ymax - ymin) * (h - 1);
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e9 || std::fabs(y) > 1e9)
        throw CalcError(Err::BadArgumentValue);
    return {static_cast<int64_t>(std::llround(x)), static_cast<int64_t>(std::llround(y))};
}

void line(GrobObj &g, Point a, Point b, int mode) // 0 off, 1 on, 2 toggle
{
    int64_t dx = std::llabs(b.x - a.x);
    int64_t dy = -std::llabs(b.y - a.y);
    const int sx = a.x < b.x ? 1 : -1;
    const int sy = a.y < b.y ? 1 : -1;
    int64_t err = dx + dy;
    // a line far outside the picture is clipped by stopping early
    for (int64_t steps = 0; steps < 40000; ++steps) {
        g.setPixel(a.x, a.y, mode == 2 ? !g.pixel(a.x, a.y) : mode == 1);
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

Value newGrob(int64_t w, int64_t h)
{
    if (w < 0 || h < 0)
        throw CalcError(Err::BadArgumentValue);
    if (w > MaxGrobSide || h > MaxGrobSide)
        throw CalcError(Err::InsufficientMemory);
    return Value::grob(new GrobObj(static_cast<uint32_t>(w), static_cast<uint32_t>(h)));
}

Value subGrob(const GrobObj &g, Point a, Point b)
{
    const int64_t x1 = std::clamp<int64_t>(std::min(a.x, b.x), 0, g.width);
    const int64_t y1 = std::clamp<int64_t>(std::min(a.y, b.y), 0, g.height);
    const int64_t x2 = std::clamp<int64_t>(std::max(a.x, b.x), -1, g.width - 1);
    const int64_t y2 = std::clamp<int64_t>(std::max(a.y, b.y), -1, g.height - 1);
    Value out = newGrob(std::max<int64_t>(0, x2 - x1 + 1), std::max<int64_t>(0, y2 - y1 + 1));
    auto *r = const_cast<GrobObj *>(out.asGrob());
    for (uint32_t y = 0; y < r->height; ++y)
        for (uint32_t x = 0; x < r->width; ++x)
            r->setPixel(x, y, g.pixel(x1 + x, y1 + y));
    return out;
}

// x + dx for a user-unit radius (a real of the stack).
Real realOfExtendedSum(const Real &x, const Value &dx)
{
    if (!isRealArg(dx))
        throw CalcError(Err::BadArgumentType);
    RealCondition c = RealCondition::Ok;
    return add(x, realOfNumber(dx), c);
}

// Copies src onto dst at p: 0 replace, 1 or, 2 xor.
void blit(GrobObj &dst, Point p, const GrobObj &src, int mode)
{
    for (uint32_t y = 0; y < src.height; ++y)
        for (uint32_t x = 0; x < src.width; ++x) {
            const int64_t tx = p.x + x;
            const int64_t ty = p.y + y;
            const bool s = src.pixel(x, y);
            const bool d = dst.pixel(tx, ty);
            dst.setPixel(tx, ty, mode == 0 ? s : mode == 1 ? (s || d) : (s != d));
        }
}

void showPict(Engine &e)
{
    if (UserInterface *ui = e.userInterface())
        ui->showPicture(e.pict());
}

// GOR, GXOR and REPL of a picture: target (a GROB or PICT), position, source.
void combine(Engine &e, int mode)
{
    const Value target = e.level(3);
    const Point p = pointOf(e, e.level(2));
    const Value src = e.level(1);
    if (src.type() != Type::Grob)
        throw CalcError(Err::BadArgumentType);
    if (isPict(target)) {
        blit(*e.drawablePict(), p, *src.asGrob(), mode);
        e.drop(3);
        showPict(e);
        return;
    }
    if (target.type() != Type::Grob)
        throw CalcError(Err::BadArgumentType);
    GrobObj *copy = target.asGrob()->clone();
    Value out = Value::grob(copy);
    blit(*copy, p, *src.asGrob(), mode);
    e.replace(3, std::move(out));
}

void drawLine(Engine &e, int mode)
{
    const Point a = pointOf(e, e.level(2));
    const Point b = pointOf(e, e.level(1));
    line(*e.drawablePict(), a, b, mode);
    e.drop(2);
}

// ---- arrays: SUB and REPL ---------------------------------------------------

// 0-based row and column of a position given as n or { r c } (or { n }).
std::pair<int64_t, int64_t> cellOf(const ArrayObj &a, const Value &v)
{
    if (isRealArg(v) || (v.type() == Type::List && v.items().size() == 1)) {
        const int64_t n = wholeOf(isRealArg(v) ? v : v.items()[0]) - 1;
        return {n / a.cols(), n % a.cols()};
    }
    if (v.type() == Type::List && v.items().size() == 2)
        return {wholeOf(v.items()[0]) - 1, wholeOf(v.items()[1]) - 1};
    throw CalcError(Err::BadArgumentType);
}

Value subArray(const ArrayObj &a, const Value &from, const Value &to)
{
    const auto [r1, c1] = cellOf(a, from);
    const auto [r2, c2] = cellOf(a, to);
    if (r1 < 0 || c1 < 0 || r2 >= a.rows() || c2 >= a.cols() || r2 < r1 || c2 < c1)
        throw CalcError(Err::BadArgumentValue);
    std::vector<Value> out;
    for (int64_t r = r1; r <= r2; ++r)
        for (int64_t c = c1; c <= c2; ++c)
            out.push_back(a.elems[static_cast<size_t>(r * a.cols() + c)]);
    if (!a.isMatrix())
        return Value::array({static_cast<uint32_t>(c2 - c1 + 1)}, std::move(out));
    return Value::array({static_cast<uint32_t>(r2 - r1 + 1), static_cast<uint32_t>(c2 - c1 + 1)},
                        std::move(out));
}

Value replArray(const ArrayObj &a, const Value &at, const ArrayObj &src)
{
    const auto [r0, c0] = cellOf(a, at);
    if (r0 < 0 || c0 < 0 || r0 >= a.rows() || c0 >= a.cols())
        throw CalcError(Err::BadArgumentValue);
    if (src.isComplex() && !a.isComplex())
        throw CalcError(Err::BadArgumentType);
    std::vector<Value> out = a.elems;
    if (!src.isMatrix() || !a.isMatrix()) {
        // elements in row order from the position on
        size_t pos = static_cast<size_t>(r0 * a.cols() + c0);
        if (pos + src.elems.size() > out.size())
            throw CalcError(Err::BadArgumentValue);
        for (const Value &x : src.elems)
            out[pos++] = a.element(x);
        return Value::array(a.dims, std::move(out));
    }
    if (r0 + src.rows() > a.rows() || c0 + src.cols() > a.cols())
        throw CalcError(Err::BadArgumentValue);
    for (uint32_t r = 0; r < src.rows(); ++r)
        for (uint32_t c = 0; c < src.cols(); ++c)
            out[static_cast<size_t>((r0 + r) * a.cols() + c0 + c)] =
                a.element(src.elems[static_cast<size_t>(r) * src.cols() + c]);
    return Value::array(a.dims, std::move(out));
}

// ---- algebraics ---------------------------------------------------------------

// expr { name value ... } |: every free occurrence of each name replaced.
Value substitute(const Value &expr, const std::vector<Value> &pairs)
{
    if (pairs.size() % 2 != 0)
        throw CalcError(Err::BadArgumentValue);
    for (size_t i = 0; i < pairs.size(); i += 2) {
        if (!pairs[i].isName())
            throw CalcError(Err::BadArgumentType);
        const Value &val = pairs[i + 1];
        if (!(val.isSymbolic() || val.type() == Type::Real || val.type() == Type::Complex))
            throw CalcError(Err::BadArgumentType);
    }
    auto replacement = [&](const Value &item) -> const Value * {
        if (!item.isName() || item.callArgs() != 0)
            return nullptr;
        for (size_t i = 0; i < pairs.size(); i += 2)
            if (pairs[i].asName() == item.asName())
                return &pairs[i + 1];
        return nullptr;
    };
    if (expr.isName()) {
        const Value *r = replacement(expr);
        return r ? *r : expr;
    }
    std::vector<Value> out;
    for (const Value &item : expr.items()) {
        const Value *r = replacement(item);
        if (!r)
            out.push_back(item);
        else if (r->type() == Type::Algebraic)
            out.insert(out.end(), r->items().begin(), r->items().end());
        else
            out.push_back(r->isName() ? r->withQuoted(false) : *r);
    }
    if (out.size() == 1 && (out[0].type() == Type::Real || out[0].type() == Type::Complex))
        return out[0];
    if (out.size() == 1 && out[0].isName() && out[0].callArgs() == 0)
        return out[0].withQuoted(true);
    return Value::algebraic(std::move(out));
}

} // namespace

// ---- ->GROB -------------------------------------------------------------------

Value textGrob(const std::string &text, int size)
{
    const int cellW = 6;
    const int cellH = size == 1 ? 7 : size == 2 ? 8 : 10;
    const int top = size == 3 || size == 0 ? 1 : 0;
    std::vector<std::string> lines(1);
    for (char ch : text) {
        if (ch == '\n')
            lines.emplace_back();
        else if (ch != '\r')
            lines.back() += ch;
    }
    size_t widest = 0;
    for (const auto &l : lines)
        widest = std::max(widest, l.size());
    Value out = newGrob(static_cast<int64_t>(widest) * cellW,
                        static_cast<int64_t>(lines.size()) * cellH);
    auto *g = const_cast<GrobObj *>(out.asGrob());
    for (size_t li = 0; li < lines.size(); ++li)
        for (size_t ci = 0; ci < lines[li].size(); ++ci) {
            const DotGlyph &rows = largeGlyph(static_cast<uint8_t>(lines[li][ci]));
            for (int r = 0; r < 7 && r < cellH; ++r)
                for (int c = 0; c < 5; ++c)
                    if (rows[r] >> (4 - c) & 1)
                        g->setPixel(static_cast<int64_t>(ci) * cellW + c,
                                    static_cast<int64_t>(li) * cellH + top + r, true);
        }
    return out;
}

// ---- the general object commands for pictures, characters and units ---------

namespace {

// The picture a SIZE, SUB or REPL works on: a GROB, or PICT itself.
const GrobObj &pictureAt(Engine &e, size_t level)
{
    const Value &v = e.level(level);
    if (isPict(v))
        return *e.pict().asGrob();
    if (v.type() != Type::Grob)
        throw CalcError(Err::BadArgumentType);
    return *v.asGrob();
}

} // namespace

void sizeOfPicture(Engine &e)
{
    const GrobObj &g = pictureAt(e, 1);
    const uint64_t w = g.width;
    const uint64_t h = g.height;
    e.replace(1, Value::binary(w));
    e.push(Value::binary(h));
}

void subOfPicture(Engine &e)
{
    const GrobObj &g = pictureAt(e, 3);
    const Point a = pointOf(e, e.level(2));
    const Point b = pointOf(e, e.level(1));
    e.replace(3, subGrob(g, a, b));
}

void subOfArray(Engine &e)
{
    e.replace(3, subArray(*e.level(3).asArray(), e.level(2), e.level(1)));
}

void replOfPicture(Engine &e)
{
    pictureAt(e, 3);
    combine(e, 0);
}

void replOfArray(Engine &e)
{
    e.replace(3, replArray(*e.level(3).asArray(), e.level(2), *e.level(1).asArray()));
}

void objOfUnit(Engine &e)
{
    // the number, and the unit with a factor of one
    const Value v = e.level(1);
    e.replace(1, v.asUnit()->number);
    e.push(Value::unit(Value::real(1), v.asUnit()->unit));
}

void strOfCharacter(Engine &e)
{
    e.replace(1, Value::string(std::string(1, static_cast<char>(e.level(1).asChar()))));
}

void numOfCharacter(Engine &e)
{
    e.replace(1, Value::real(e.level(1).asChar()));
}

void storePict(Engine &e)
{
    if (!isPict(e.level(1)) || e.level(2).type() != Type::Grob)
        throw CalcError(Err::BadArgumentType);
    e.setPict(e.level(2));
    e.drop(2);
}

void recallPict(Engine &e)
{
    if (!isPict(e.level(1)))
        throw CalcError(Err::BadArgumentType);
    e.replace(1, e.pict());
}

namespace {

constexpr uint16_t ACoord = AList | AComplex;
constexpr uint16_t AWhole = AReal | ABin;

const CommandDef defs[] = {
    {"BLANK",
     2,
     {AWhole, AWhole},
     0,
     [](Engine &e) { e.replace(2, newGrob(wholeOf(e.level(2)), wholeOf(e.level(1)))); }},
    {"PICT", 0, {}, 0, [](Engine &e) { e.push(Value::command(pictId())); }},
    {"→GROB",
     2,
     {AReal, AAny},
     0,
     [](Engine &e) {
         const int size = static_cast<int>(intAt(e, 1, 0, 3));
         const Value &v = e.level(2);
         if (v.type() == Type::Grob)
             return e.drop(1); // already a picture
         const std::string text = v.type() == Type::String ? v.str() : e.toText(v);
         // the widest picture the calculator could make: refuse what it could not
         if (text.size() > 4000)
             throw CalcError(Err::InsufficientMemory);
         e.replace(2, textGrob(text, size));
     }},
    {"ERASE",
     0,
     {},
     0,
     [](Engine &e) {
         auto *g = e.drawablePict();
         std::fill(g->bits.begin(), g->bits.end(), 0);
     }},
    {"PVIEW",
     1,
     {ACoord},
     0,
     [](Engine &e) {
         if (e.level(1).type() == Type::List && !e.level(1).items().empty())
             pointOf(e, e.level(1)); // checks the position
         e.drop(1);
         showPict(e);
     }},
    {"PIXON",
     1,
     {ACoord},
     0,
     [](Engine &e) {
         const Point p = pointOf(e, e.level(1));
         e.drawablePict()->setPixel(p.x, p.y, true);
         e.drop(1);
     }},
    {"PIXOFF",
     1,
     {ACoord},
     0,
     [](Engine &e) {
         const Point p = pointOf(e, e.level(1));
         e.drawablePict()->setPixel(p.x, p.y, false);
         e.drop(1);
     }},
    {"PIX?",
     1,
     {ACoord},
     0,
     [](Engine &e) {
         const Point p = pointOf(e, e.level(1));
         e.replace(1, truth(e.pict().asGrob()->pixel(p.x, p.y)));
     }},
    {"LINE", 2, {ACoord, ACoord}, 0, [](Engine &e) { drawLine(e, 1); }},
    {"TLINE", 2, {ACoord, ACoord}, 0, [](Engine &e) { drawLine(e, 2); }},
    {"BOX",
     2,
     {ACoord, ACoord},
     0,
     [](Engine &e) {
         const Point a = pointOf(e, e.level(2));
         const Point b = pointOf(e, e.level(1));
         GrobObj &g = *e.drawablePict();
         line(g, a, {b.x, a.y}, 1);
         line(g, {b.x, a.y}, b, 1);
         line(g, b, {a.x, b.y}, 1);
         line(g, {a.x, b.y}, a, 1);
         e.drop(2);
     }},
    {"ARC",
     -1,
     {},
     0,
     [](Engine &e) {
         // centre radius from to ARC: a { #x #y } centre takes the radius in
         // pixels, an (x,y) centre in user units along x
         e.need(4);
         if (!isRealArg(e.level(1)) || !isRealArg(e.level(2)))
             throw CalcError(Err::BadArgumentType);
         const Value centre = e.level(4);
         const Point c = pointOf(e, centre);
         double r;
         if (centre.type() == Type::Complex) {
             const Point edge = pointOf(
                 e, Value::complex(realOfExtendedSum(centre.asComplex()->re, e.level(3)),
                                   centre.asComplex()->im));
             r = std::fabs(static_cast<double>(edge.x - c.x));
         } else {
             r = static_cast<double>(wholeOf(e.level(3)));
         }
         RealCondition k = RealCondition::Ok;
         const double a1 = fromAngle(realAt(e, 2), e.angleMode(), k).toDouble();
         const double a2 = fromAngle(realAt(e, 1), e.angleMode(), k).toDouble();
         if (r < 0 || r > 1e5)
             throw CalcError(Err::BadArgumentValue);
         GrobObj &g = *e.drawablePict();
         const int steps = static_cast<int>(std::clamp(std::fabs(a2 - a1) * r * 2, 8.0, 20000.0));
         Point last{c.x + std::llround(r * std::cos(a1)), c.y - std::llround(r * std::sin(a1))};
         for (int i = 1; i <= steps; ++i) {
             const double t = a1 + (a2 - a1) * i / steps;
             const Point p{c.x + std::llround(r * std::cos(t)), c.y - std::llround(r * std::sin(t))};
             line(g, last, p, 1);
             last = p;
         }
         e.drop(4);
     }},
    {"GOR", 3, {AGrob, ACoord, AGrob | ACmd}, 0, [](Engine &e) { combine(e, 1); }},
    {"GXOR", 3, {AGrob, ACoord, AGrob | ACmd}, 0, [](Engine &e) { combine(e, 2); }},
    {"|",
     2,
     {AList, ASym | ANum},
     0,
     [](Engine &e) {
         const Value expr = e.level(2);
         if (!expr.isSymbolic()) {
             e.drop(1); // a number has nothing to substitute
             return;
         }
         e.replace(2, substitute(expr, e.level(1).items()));
     }},
    {"QUOTE", 1, {AAny}, KeepTags | Function, [](Engine &) {}},
};

} // namespace

CommandGroup graphicsCommands()
{
    return group(defs);
}

} // namespace Calc
