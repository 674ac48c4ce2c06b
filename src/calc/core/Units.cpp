#include "calc/core/Units.h"

#include "calc/core/Errors.h"
#include "formats/CalcCharset.h"

#include <cmath>
#include <cstdio>
#include <unordered_map>

namespace Calc {

namespace {

// One unit of the table: its size in SI units and its dimension as
// kg m A s K mol cd exponents.
struct Def
{
    const char *name; // UTF-8
    long double factor;
    std::array<int8_t, BaseCount> dim;
    long double offset = 0; // temperature scales: kelvins at the scale's zero
};

constexpr long double Pi = 3.141592653589793238462643383279502884L;

//                    kg  m  A  s  K mol cd
#define LENGTH       {0, 1, 0, 0, 0, 0, 0}
#define AREA         {0, 2, 0, 0, 0, 0, 0}
#define VOLUME       {0, 3, 0, 0, 0, 0, 0}
#define TIME         {0, 0, 0, 1, 0, 0, 0}
#define FREQUENCY    {0, 0, 0, -1, 0, 0, 0}
#define SPEED        {0, 1, 0, -1, 0, 0, 0}
#define ACCEL        {0, 1, 0, -2, 0, 0, 0}
#define MASS         {1, 0, 0, 0, 0, 0, 0}
#define AMOUNT       {0, 0, 0, 0, 0, 1, 0}
#define FORCE        {1, 1, 0, -2, 0, 0, 0}
#define ENERGY       {1, 2, 0, -2, 0, 0, 0}
#define POWER        {1, 2, 0, -3, 0, 0, 0}
#define PRESSURE     {1, -1, 0, -2, 0, 0, 0}
#define TEMPERATURE  {0, 0, 0, 0, 1, 0, 0}
#define CURRENT      {0, 0, 1, 0, 0, 0, 0}
#define CHARGE       {0, 0, 1, 1, 0, 0, 0}
#define VOLTAGE      {1, 2, -1, -3, 0, 0, 0}
#define RESISTANCE   {1, 2, -2, -3, 0, 0, 0}
#define CONDUCTANCE  {-1, -2, 2, 3, 0, 0, 0}
#define CAPACITANCE  {-1, -2, 2, 4, 0, 0, 0}
#define INDUCTANCE   {1, 2, -2, -2, 0, 0, 0}
#define FLUX         {1, 2, -1, -2, 0, 0, 0}
#define FLUXDENSITY  {1, 0, -1, -2, 0, 0, 0}
#define NONE         {0, 0, 0, 0, 0, 0, 0}
#define INTENSITY    {0, 0, 0, 0, 0, 0, 1}
#define ILLUMINANCE  {0, -2, 0, 0, 0, 0, 1}
#define DOSE         {0, 2, 0, -2, 0, 0, 0}
#define EXPOSURE     {-1, 0, 1, 1, 0, 0, 0}
#define DYNVISCOSITY {1, -1, 0, -1, 0, 0, 0}
#define KINVISCOSITY {0, 2, 0, -1, 0, 0, 0}

// The units of the calculators' UNITS catalog with their published
// definitions (exact where the definition is exact).
const Def defs[] = {
    // length
    {"m", 1, LENGTH},
    {"cm", 0.01L, LENGTH},
    {"mm", 0.001L, LENGTH},
    {"yd", 0.9144L, LENGTH},
    {"ft", 0.3048L, LENGTH},
    {"in", 0.0254L, LENGTH},
    {"Mpc", 3.08567818585E22L, LENGTH},
    {"pc", 3.08567818585E16L, LENGTH},
    {"lyr", 9.46052840488E15L, LENGTH},
    {"au", 1.495979E11L, LENGTH},
    {"km", 1000, LENGTH},
    {"mi", 1609.344L, LENGTH},
    {"nmi", 1852, LENGTH},
    {"miUS", 1609.34721869L, LENGTH},
    {"chain", 20.1168402337L, LENGTH},
    {"rd", 5.02921005842L, LENGTH},
    {"fath", 1.82880365761L, LENGTH},
    {"ftUS", 0.304800609601L, LENGTH},
    {"mil", 0.0000254L, LENGTH},
    {"µ", 1E-6L, LENGTH},
    {"Å", 1E-10L, LENGTH},
    {"fermi", 1E-15L, LENGTH},
    // area
    {"b", 1E-28L, AREA},
    {"ha", 10000, AREA},
    {"a", 100, AREA},
    {"acre", 4046.87260987L, AREA},
    // volume
    {"st", 1, VOLUME},
    {"l", 0.001L, VOLUME},
    {"galUK", 0.004546092L, VOLUME},
    {"galC", 0.00454609L, VOLUME},
    {"gal", 0.003785411784L, VOLUME},
    {"qt", 0.000946352946L, VOLUME},
    {"pt", 0.000473176473L, VOLUME},
    {"ml", 1E-6L, VOLUME},
    {"cu", 0.000236588236500L, VOLUME},
    {"ozfl", 2.95735295625E-5L, VOLUME},
    {"ozUK", 2.8413075E-5L, VOLUME},
    {"tbsp", 1.47867647813E-5L, VOLUME},
    {"tsp", 4.92892159375E-6L, VOLUME},
    {"bbl", 0.158987294928L, VOLUME},
    {"bu", 0.03523907L, VOLUME},
    {"pk", 0.0088097675L, VOLUME},
    {"fbm", 0.002359737216L, VOLUME},
    // time
    {"yr", 31556925.9747L, TIME},
    {"d", 86400, TIME},
    {"h", 3600, TIME},
    {"min", 60, TIME},
    {"s", 1, TIME},
    {"Hz", 1, FREQUENCY},
    // speed and acceleration
    {"kph", 1000.0L / 3600.0L, SPEED},
    {"mph", 0.44704L, SPEED},
    {"knot", 1852.0L / 3600.0L, SPEED},
    {"c", 299792458, SPEED},
    {"ga", 9.80665L, ACCEL},
    // mass
    {"kg", 1, MASS},
    {"g", 0.001L, MASS},
    {"lb", 0.45359237L, MASS},
    {"oz", 0.028349523125L, MASS},
    {"slug", 14.5939029372L, MASS},
    {"lbt", 0.3732417216L, MASS},
    {"ton", 907.18474L, MASS},
    {"tonUK", 1016.0469088L, MASS},
    {"t", 1000, MASS},
    {"ozt", 0.0311034768L, MASS},
    {"ct", 0.0002L, MASS},
    {"grain", 0.00006479891L, MASS},
    {"u", 1.6605402E-27L, MASS},
    {"mol", 1, AMOUNT},
    // force
    {"N", 1, FORCE},
    {"dyn", 1E-5L, FORCE},
    {"gf", 0.00980665L, FORCE},
    {"kip", 4448.22161526L, FORCE},
    {"lbf", 4.44822161526L, FORCE},
    {"pdl", 0.138254954376L, FORCE},
    // energy
    {"J", 1, ENERGY},
    {"erg", 1E-7L, ENERGY},
    {"Kcal", 4186.8L, ENERGY},
    {"cal", 4.1868L, ENERGY},
    {"Btu", 1055.05585262L, ENERGY},
    {"therm", 105506000, ENERGY},
    {"MeV", 1.60217733E-13L, ENERGY},
    {"eV", 1.60217733E-19L, ENERGY},
    // power
    {"W", 1, POWER},
    {"hp", 745.699871582L, POWER},
    // pressure
    {"Pa", 1, PRESSURE},
    {"atm", 101325, PRESSURE},
    {"bar", 100000, PRESSURE},
    {"psi", 6894.75729317L, PRESSURE},
    {"torr", 133.322368421L, PRESSURE},
    {"mmHg", 133.322368421L, PRESSURE},
    {"inHg", 3386.38815789L, PRESSURE},
    {"inH2O", 248.84L, PRESSURE},
    // temperature: the scales' zeros in kelvins
    {"K", 1, TEMPERATURE, 0},
    {"°C", 1, TEMPERATURE, 273.15L},
    {"°F", 5.0L / 9.0L, TEMPERATURE, 459.67L * 5.0L / 9.0L},
    {"°R", 5.0L / 9.0L, TEMPERATURE, 0},
    // electricity
    {"V", 1, VOLTAGE},
    {"A", 1, CURRENT},
    {"C", 1, CHARGE},
    {"Ω", 1, RESISTANCE},
    {"F", 1, CAPACITANCE},
    {"Fdy", 96487, CHARGE},
    {"H", 1, INDUCTANCE},
    {"mho", 1, CONDUCTANCE},
    {"S", 1, CONDUCTANCE},
    {"T", 1, FLUXDENSITY},
    {"Wb", 1, FLUX},
    // angles (pure numbers: a radian is 1)
    {"°", Pi / 180, NONE},
    {"r", 1, NONE},
    {"grad", Pi / 200, NONE},
    {"arcmin", Pi / 10800, NONE},
    {"arcs", Pi / 648000, NONE},
    {"sr", 1, NONE},
    // light
    {"fc", 10.7639104167L, ILLUMINANCE},
    {"flam", 3.42625909964L, ILLUMINANCE},
    {"lx", 1, ILLUMINANCE},
    {"ph", 10000, ILLUMINANCE},
    {"sb", 10000, ILLUMINANCE},
    {"lm", 1, INTENSITY},
    {"cd", 1, INTENSITY},
    {"lam", 3183.09886184L, ILLUMINANCE},
    // radiation
    {"Gy", 1, DOSE},
    {"rad", 0.01L, DOSE},
    {"rem", 0.01L, DOSE},
    {"Sv", 1, DOSE},
    {"Bq", 1, FREQUENCY},
    {"Ci", 3.7E10L, FREQUENCY},
    {"R", 2.58E-4L, EXPOSURE},
    // viscosity
    {"P", 0.1L, DYNVISCOSITY},
    {"St", 1E-4L, KINVISCOSITY},
};

struct Prefix
{
    const char *name;
    int exponent;
};

const Prefix prefixes[] = {
    {"Y", 24}, {"Z", 21}, {"E", 18},  {"P", 15},  {"T", 12},  {"G", 9},   {"M", 6},  {"k", 3},
    {"K", 3},  {"h", 2},  {"H", 2},   {"D", 1},   {"d", -1},  {"c", -2},  {"m", -3}, {"µ", -6},
    {"n", -9}, {"p", -12}, {"f", -15}, {"a", -18}, {"z", -21}, {"y", -24},
};

std::string bytesOf(const char *utf8)
{
    const QByteArray b = CalcCharset::encode(QString::fromUtf8(utf8));
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

struct Table
{
    std::unordered_map<std::string, const Def *> units;
    std::unordered_map<std::string, int> prefixes;
    Table()
    {
        for (const Def &d : defs)
            units.emplace(bytesOf(d.name), &d);
        for (const Prefix &p : Calc::prefixes)
            prefixes.emplace(bytesOf(p.name), p.exponent);
    }
};

const Table &table()
{
    static const Table t;
    return t;
}

// ---- parsing ------------------------------------------------------------------

struct Parser
{
    std::string_view s;
    size_t i = 0;
    int depth = 0;

    bool expr(UnitExpr &out, double power)
    {
        if (++depth > 20)
            return false;
        if (!factor(out, power))
            return false;
        while (i < s.size() && (s[i] == '*' || s[i] == '/')) {
            const bool divide = s[i] == '/';
            ++i;
            if (!factor(out, divide ? -power : power))
                return false;
        }
        --depth;
        return true;
    }

    // A name or a parenthesised expression, with an optional ^power.
    bool factor(UnitExpr &out, double power)
    {
        UnitExpr inner;
        if (i < s.size() && s[i] == '(') {
            ++i;
            if (!expr(inner, 1) || i >= s.size() || s[i] != ')')
                return false;
            ++i;
        } else {
            const size_t b = i;
            while (i < s.size() && s[i] != '*' && s[i] != '/' && s[i] != '^' && s[i] != '(' &&
                   s[i] != ')')
                ++i;
            if (i == b)
                return false;
            inner.terms.push_back({std::string(s.substr(b, i - b)), 1});
        }
        double p = 1;
        if (i < s.size() && s[i] == '^') {
            ++i;
            const size_t b = i;
            if (i < s.size() && s[i] == '-')
                ++i;
            while (i < s.size() && ((s[i] >= '0' && s[i] <= '9') || s[i] == '.'))
                ++i;
            const std::string num(s.substr(b, i - b));
            if (num.empty() || num == "-")
                return false;
            p = std::strtod(num.c_str(), nullptr);
        }
        out = unitProduct(out, inner, p * power);
        return true;
    }
};

std::string powerText(double p)
{
    if (p == std::floor(p) && std::fabs(p) < 1e9) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(p));
        return buf;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.12g", p);
    std::string t = buf;
    // the calculators write .5, not 0.5
    if (t.rfind("0.", 0) == 0)
        t.erase(0, 1);
    else if (t.rfind("-0.", 0) == 0)
        t.erase(1, 1);
    return t;
}

std::string termText(const UnitTerm &t, double power)
{
    if (power == 1)
        return t.name;
    return t.name + "^" + powerText(power);
}

} // namespace

bool parseUnit(std::string_view text, UnitExpr &out)
{
    Parser p{text};
    UnitExpr u;
    if (!p.expr(u, 1) || p.i != text.size())
        return false;
    out = std::move(u);
    return true;
}

UnitExpr unitProduct(const UnitExpr &a, const UnitExpr &b, double powerOfB)
{
    UnitExpr r = a;
    for (const UnitTerm &t : b.terms) {
        const double p = t.power * powerOfB;
        bool merged = false;
        for (auto it = r.terms.begin(); it != r.terms.end(); ++it) {
            if (it->name == t.name) {
                it->power += p;
                if (std::fabs(it->power) < 1e-12)
                    r.terms.erase(it);
                merged = true;
                break;
            }
        }
        if (!merged && p != 0)
            r.terms.push_back({t.name, p});
    }
    return r;
}

UnitExpr unitPower(const UnitExpr &a, double power)
{
    UnitExpr r;
    if (power == 0)
        return r;
    for (const UnitTerm &t : a.terms)
        r.terms.push_back({t.name, t.power * power});
    return r;
}

std::string unitText(const UnitExpr &u)
{
    std::string num, den;
    int denCount = 0;
    for (const UnitTerm &t : u.terms) {
        if (t.power > 0) {
            if (!num.empty())
                num += "*";
            num += termText(t, t.power);
        }
    }
    for (const UnitTerm &t : u.terms) {
        if (t.power < 0) {
            if (!den.empty())
                den += "*";
            den += termText(t, num.empty() ? t.power : -t.power);
            ++denCount;
        }
    }
    if (num.empty())
        return den; // only negative powers: s^-1
    if (den.empty())
        return num;
    return num + "/" + (denCount > 1 ? "(" + den + ")" : den);
}

UnitValue unitValue(const UnitExpr &u)
{
    const Table &t = table();
    UnitValue v;
    for (const UnitTerm &term : u.terms) {
        const Def *def = nullptr;
        long double scale = 1;
        bool prefixed = false;
        auto it = t.units.find(term.name);
        if (it != t.units.end()) {
            def = it->second;
        } else {
            // a prefix of one character (μ is one byte here) before a unit
            for (size_t n = 1; n < term.name.size() && !def; ++n) {
                auto p = t.prefixes.find(term.name.substr(0, n));
                if (p == t.prefixes.end())
                    continue;
                auto base = t.units.find(term.name.substr(n));
                if (base != t.units.end()) {
                    def = base->second;
                    scale = std::pow(10.0L, p->second);
                    prefixed = true;
                }
            }
        }
        if (!def)
            throw CalcError(Err::InvalidUnit);
        v.factor *= std::pow(def->factor * scale, static_cast<long double>(term.power));
        for (int k = 0; k < BaseCount; ++k)
            v.dim[static_cast<size_t>(k)] += def->dim[static_cast<size_t>(k)] * term.power;
        if (u.terms.size() == 1 && term.power == 1 && !prefixed &&
            def->dim[BaseK] == 1 && def->dim[BaseKg] == 0 && def->dim[BaseM] == 0) {
            v.pureTemperature = true;
            v.offset = def->offset;
        }
    }
    return v;
}

bool sameDimension(const Dimension &a, const Dimension &b)
{
    for (size_t k = 0; k < a.size(); ++k)
        if (std::fabs(a[k] - b[k]) > 1e-9)
            return false;
    return true;
}

UnitExpr baseUnits(const Dimension &d)
{
    static const char *const names[BaseCount] = {"kg", "m", "A", "s", "K", "mol", "cd"};
    UnitExpr u;
    for (int k = 0; k < BaseCount; ++k)
        if (std::fabs(d[static_cast<size_t>(k)]) > 1e-12)
            u.terms.push_back({names[k], d[static_cast<size_t>(k)]});
    return u;
}

} // namespace Calc
