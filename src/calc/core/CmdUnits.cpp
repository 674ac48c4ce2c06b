// Unit objects: arithmetic and comparison, CONVERT, UBASE, UVAL, UFACT,
// →UNIT, with the calculators' rules for temperature levels.
#include "calc/core/CommandTable.h"
#include "formats/CalcCharset.h"
#include "calc/core/Units.h"

#include <cmath>

namespace Calc {

namespace {

UnitExpr exprOf(const Value &u)
{
    UnitExpr x;
    if (!parseUnit(u.asUnit()->unit, x))
        throw CalcError(Err::InvalidUnit);
    return x;
}

// number * factor (+ add), kept exact for a factor of one.
Value scaled(Engine &e, const Value &number, long double factor, long double add = 0)
{
    if (factor == 1 && add == 0)
        return number;
    if (number.type() == Type::Real)
        return Value::real(realOfExtended(e, extendedOf(number.asReal()) * factor + add));
    Value r = arith(e, ops().mul, number, Value::real(realOfExtended(e, factor)));
    if (add != 0)
        r = arith(e, ops().add, r, Value::real(realOfExtended(e, add)));
    return r;
}

// A number with a unit; a unit that has cancelled out leaves the number.
Value withUnit(const Value &number, const UnitExpr &u)
{
    if (u.terms.empty())
        return number;
    return Value::unit(number, unitText(u));
}

// x in unit a expressed in unit b (the same dimension), with the offsets of
// temperature levels when both are lone temperature units.
Value convertTo(Engine &e, const Value &x, const UnitValue &a, const UnitValue &b)
{
    if (!sameDimension(a.dim, b.dim))
        throw CalcError(Err::InconsistentUnits);
    if (a.pureTemperature && b.pureTemperature && (a.offset != 0 || b.offset != 0)) {
        // to kelvins and back
        const long double k = a.factor;
        return scaled(e, x, k / b.factor, (a.offset - b.offset) / b.factor);
    }
    return scaled(e, x, a.factor / b.factor);
}

bool isNumber(const Value &v)
{
    return v.type() == Type::Real || v.type() == Type::Complex;
}

// + and - of two unit objects: the result is in the unit of level 1.
Value addUnits(Engine &e, int op, const Value &a, const Value &b)
{
    if (a.type() != Type::Unit || b.type() != Type::Unit)
        throw CalcError(Err::InconsistentUnits);
    const UnitExpr ua = exprOf(a), ub = exprOf(b);
    const UnitValue va = unitValue(ua), vb = unitValue(ub);
    const Value &xa = a.asUnit()->number;
    const Value &xb = b.asUnit()->number;
    if (!sameDimension(va.dim, vb.dim))
        throw CalcError(Err::InconsistentUnits);
    const bool levels = va.pureTemperature && vb.pureTemperature;
    if (levels && e.is49()) {
        // the 49 family adds temperatures as differences, and only on the
        // same scale or on two absolute scales
        const bool absA = va.offset == 0, absB = vb.offset == 0;
        if (!(absA && absB) && unitText(ua) != unitText(ub))
            throw CalcError(Err::InconsistentUnits);
    }
    if (levels && !e.is49() && (va.offset != 0 || vb.offset != 0)) {
        // the 48 series adds temperature levels on the absolute scale
        const Value ka = scaled(e, xa, va.factor, va.offset);
        const Value kb = scaled(e, xb, vb.factor, vb.offset);
        const Value k = arith(e, op, ka, kb);
        return withUnit(scaled(e, k, 1 / vb.factor, -vb.offset / vb.factor), ub);
    }
    const Value ca = scaled(e, xa, va.factor / vb.factor);
    return withUnit(arith(e, op, ca, xb), ub);
}

} // namespace

Value unitArith(Engine &e, int op, const Value &ia, const Value &ib)
{
    // the number parts of units are reals: an exact integer beside a unit
    // is taken as a real
    const Value a = ia.type() == Type::Integer ? Value::real(integerToReal(e, ia)) : ia;
    const Value b = ib.type() == Type::Integer ? Value::real(integerToReal(e, ib)) : ib;
    const CommonOps &o = ops();
    if (op == o.add || op == o.sub)
        return addUnits(e, op, a, b);
    if (op == o.mul || op == o.div) {
        if (!(a.type() == Type::Unit || isNumber(a)) || !(b.type() == Type::Unit || isNumber(b)))
            throw CalcError(Err::BadArgumentType);
        const Value xa = a.type() == Type::Unit ? a.asUnit()->number : a;
        const Value xb = b.type() == Type::Unit ? b.asUnit()->number : b;
        const UnitExpr ua = a.type() == Type::Unit ? exprOf(a) : UnitExpr{};
        const UnitExpr ub = b.type() == Type::Unit ? exprOf(b) : UnitExpr{};
        return withUnit(arith(e, op, xa, xb), unitProduct(ua, ub, op == o.div ? -1 : 1));
    }
    if (op == o.pow) {
        if (a.type() != Type::Unit || b.type() != Type::Real)
            throw CalcError(Err::BadArgumentType);
        const double p = b.asReal().toDouble();
        return withUnit(arith(e, op, a.asUnit()->number, b), unitPower(exprOf(a), p));
    }
    throw CalcError(Err::BadArgumentType);
}

int compareUnits(Engine &e, const Value &a, const Value &b)
{
    if (a.type() != Type::Unit || b.type() != Type::Unit)
        throw CalcError(Err::InconsistentUnits);
    const UnitValue va = unitValue(exprOf(a)), vb = unitValue(exprOf(b));
    const Value ca = convertTo(e, a.asUnit()->number, va, vb);
    const Value &cb = b.asUnit()->number;
    if (ca.type() != Type::Real || cb.type() != Type::Real)
        throw CalcError(Err::BadArgumentType);
    return compare(ca.asReal(), cb.asReal());
}

namespace {

// NEG, ABS, INV, SQ and √ of a unit object.
void unitNeg(Engine &e)
{
    const Value u = e.level(1);
    Value n = arith(e, ops().sub, Value::real(0), u.asUnit()->number);
    e.replace(1, Value::unit(n, u.asUnit()->unit));
}

void unitAbs(Engine &e)
{
    const Value u = e.level(1);
    const Value &n = u.asUnit()->number;
    if (n.type() != Type::Real)
        throw CalcError(Err::BadArgumentType);
    e.replace(1, Value::unit(Value::real(n.asReal().absolute()), u.asUnit()->unit));
}

void unitInv(Engine &e)
{
    Value r = unitArith(e, ops().div, Value::real(1), e.level(1));
    e.replace(1, std::move(r));
}

void unitSq(Engine &e)
{
    Value r = unitArith(e, ops().mul, e.level(1), e.level(1));
    e.replace(1, std::move(r));
}

void unitSqrt(Engine &e)
{
    const Value u = e.level(1);
    const Value &n = u.asUnit()->number;
    if (n.type() != Type::Real || n.asReal().isNegative())
        throw CalcError(Err::BadArgumentValue);
    RealCondition c = RealCondition::Ok;
    const Real root = e.checked(apply(RealFn::Sqrt, n.asReal(), c), c);
    e.replace(1, withUnit(Value::real(root), unitPower(exprOf(u), 0.5)));
}

// The constants library of the calculators (CODATA 1986 values, as their
// ROMs hold them): name, value, unit (names and units in calculator bytes).
struct PhysicalConstant
{
    std::string name, value, unit;
};

const std::vector<PhysicalConstant> &physicalConstants()
{
    static const std::vector<PhysicalConstant> table = [] {
        const char *const rows[][3] = {
            {"NA", "6.0221367E23", "mol^-1"},
            {"k", "1.380658E-23", "J/K"},
            {"Vm", "22.4141", "l/mol"},
            {"R", "8.31451", "J/(mol*K)"},
            {"StdT", "273.15", "K"},
            {"StdP", "101.325", "kPa"},
            {"σ", "5.67051E-8", "W/(m^2*K^4)"},
            {"c", "299792458", "m/s"},
            {"ε0", "8.85418781761E-12", "F/m"},
            {"µ0", "1.25663706144E-6", "H/m"},
            {"g", "9.80665", "m/s^2"},
            {"G", "6.67259E-11", "m^3/(s^2*kg)"},
            {"h", "6.6260755E-34", "J*s"},
            {"q", "1.60217733E-19", "C"},
            {"me", "9.1093897E-31", "kg"},
            {"qme", "175881962000", "C/kg"},
            {"mp", "1.6726231E-27", "kg"},
            {"mpme", "1836.152701", ""},
            {"α", ".00729735308", ""},
            {"F", "96485.309", "C/mol"},
            {"a0", ".0529177249", "nm"},
            {"µB", "9.2740154E-24", "J/T"},
            {"µN", "5.0507866E-27", "J/T"},
            {"f0", "2.4179883E14", "Hz"},
            {"c3", ".002897756", "m*K"},
            {"εsi", "11.9", ""},
            {"εox", "3.9", ""},
            {"I0", ".000000000001", "W/m^2"},
        };
        std::vector<PhysicalConstant> out;
        for (const auto &r : rows) {
            bool ok1 = false, ok2 = false;
            const QByteArray n = CalcCharset::encode(QString::fromUtf8(r[0]), &ok1);
            const QByteArray u = CalcCharset::encode(QString::fromUtf8(r[2]), &ok2);
            // a name the character set lacks cannot be typed: left out
            if (ok1 && ok2)
                out.push_back({n.toStdString(), r[1], u.toStdString()});
        }
        return out;
    }();
    return table;
}

const CommandDef defs[] = {
    {"CONVERT",
     2,
     {AUnit, AUnit},
     0,
     [](Engine &e) {
         const Value a = e.level(2);
         const Value b = e.level(1);
         const UnitValue va = unitValue(exprOf(a)), vb = unitValue(exprOf(b));
         Value r = Value::unit(convertTo(e, a.asUnit()->number, va, vb), b.asUnit()->unit);
         e.replace(2, std::move(r));
     }},
    {"UBASE",
     1,
     {AUnit},
     Function,
     [](Engine &e) {
         const Value u = e.level(1);
         const UnitValue v = unitValue(exprOf(u));
         // a lone temperature level becomes kelvins with its offset
         const Value n = scaled(e, u.asUnit()->number, v.factor, v.pureTemperature ? v.offset : 0);
         e.replace(1, withUnit(n, baseUnits(v.dim)));
     }},
    {"UVAL",
     1,
     {AUnit},
     Function,
     [](Engine &e) {
         Value n = e.level(1).asUnit()->number;
         e.replace(1, std::move(n));
     }},
    {"UFACT",
     2,
     {AUnit, AUnit},
     0,
     [](Engine &e) {
         // x_u1 y_u2 UFACT: u2 factored out of u1, the rest in base units
         const Value a = e.level(2);
         const Value b = e.level(1);
         const UnitExpr ua = exprOf(a), ub = exprOf(b);
         const UnitValue rest = unitValue(unitProduct(ua, ub, -1));
         const Value n = scaled(e, a.asUnit()->number, rest.factor);
         e.replace(2, withUnit(n, unitProduct(ub, baseUnits(rest.dim))));
     }},
    {"TINC",
     2,
     {AUnit | AReal, AUnit | AReal},
     0,
     [](Engine &e) {
         // a temperature and an increment: the increment is a difference
         // (no offset), in the temperature's unit
         const Value a = e.level(2), d = e.level(1);
         if (a.type() == Type::Real && d.type() == Type::Real) {
             e.replace(2, arith(e, ops().add, a, d));
             return;
         }
         if (a.type() != Type::Unit || d.type() != Type::Unit)
             throw CalcError(Err::InconsistentUnits);
         const UnitValue va = unitValue(exprOf(a)), vd = unitValue(exprOf(d));
         if (!sameDimension(va.dim, vd.dim))
             throw CalcError(Err::InconsistentUnits);
         const Value inc = scaled(e, d.asUnit()->number, vd.factor / va.factor);
         e.replace(2, Value::unit(arith(e, ops().add, a.asUnit()->number, inc), a.asUnit()->unit));
     }},
    {"TDELTA",
     2,
     {AUnit | AReal, AUnit | AReal},
     0,
     [](Engine &e) {
         // two temperatures: their difference as an increment in the first's unit
         const Value a = e.level(2), b = e.level(1);
         if (a.type() == Type::Real && b.type() == Type::Real) {
             e.replace(2, arith(e, ops().sub, a, b));
             return;
         }
         if (a.type() != Type::Unit || b.type() != Type::Unit)
             throw CalcError(Err::InconsistentUnits);
         const UnitValue va = unitValue(exprOf(a)), vb = unitValue(exprOf(b));
         const Value bb = convertTo(e, b.asUnit()->number, vb, va);
         e.replace(2, Value::unit(arith(e, ops().sub, a.asUnit()->number, bb), a.asUnit()->unit));
     }},
    {"→UNIT",
     2,
     {AUnit, AReal | AComplex},
     0,
     [](Engine &e) {
         Value r = Value::unit(e.level(2), e.level(1).asUnit()->unit);
         e.replace(2, std::move(r));
     }},
    {"CONST",
     1,
     {AName},
     0,
     [](Engine &e) {
         // 'name' CONST: the constant of the constants library, with its unit
         const std::string &n = e.level(1).nameText();
         for (const PhysicalConstant &c : physicalConstants()) {
             if (c.name != n)
                 continue;
             Real r;
             parseReal(c.value, r);
             e.replace(1, c.unit.empty() ? Value::real(r) : Value::unit(Value::real(r), c.unit));
             return;
         }
         throw CalcError(Err::BadArgumentValue, "CONST: no constant of that name");
     }},
};

} // namespace

CommandGroup unitCommands()
{
    return group(defs);
}

// The unit overloads that the arithmetic rows list.
void negOfUnit(Engine &e)
{
    unitNeg(e);
}
void absOfUnit(Engine &e)
{
    unitAbs(e);
}
void invOfUnit(Engine &e)
{
    unitInv(e);
}
void sqOfUnit(Engine &e)
{
    unitSq(e);
}
void sqrtOfUnit(Engine &e)
{
    unitSqrt(e);
}

} // namespace Calc
