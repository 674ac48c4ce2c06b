#pragma once

#include "calc/core/Object.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// The calculators' unit table and the algebra of unit expressions: a unit
// object's text ("m/s^2", "kg*m^2/(A*s^3)") as a product of named factors
// with exponents, what it is in SI base units, and the text the calculators
// show for a product.
namespace Calc {

// Exponents of the SI base units, in the order UBASE writes them.
enum BaseUnit { BaseKg, BaseM, BaseA, BaseS, BaseK, BaseMol, BaseCd, BaseCount };
using Dimension = std::array<double, BaseCount>;

// One factor of a unit expression: a name (calculator bytes) and its power.
struct UnitTerm
{
    std::string name;
    double power = 1;
};

struct UnitExpr
{
    std::vector<UnitTerm> terms; // in the order written, each name once
};

// Reads a unit's text; false when it is not a unit expression.
bool parseUnit(std::string_view text, UnitExpr &out);
// The text the calculators show: the factors with positive powers joined by
// *, then / and the others (in parentheses when there are several).
std::string unitText(const UnitExpr &u);
// Products and powers; factors with the same name combine, and a factor
// whose power becomes zero goes.
UnitExpr unitProduct(const UnitExpr &a, const UnitExpr &b, double powerOfB = 1);
UnitExpr unitPower(const UnitExpr &a, double power);

// What a unit expression is in SI base units: value_in_SI = x * factor
// (+ offset for a lone temperature level). Throws "Invalid Unit" for a name
// the table lacks.
struct UnitValue
{
    long double factor = 1;
    Dimension dim{};
    // the unit is one unprefixed temperature unit to the first power (°C,
    // °F, K, °R): conversions between such units carry the offset
    bool pureTemperature = false;
    long double offset = 0; // kelvins at 0 of the scale (pure temperatures)
};
UnitValue unitValue(const UnitExpr &u);
bool sameDimension(const Dimension &a, const Dimension &b);
// The base units of a dimension as a unit expression (kg, m, A, s, K, mol, cd).
UnitExpr baseUnits(const Dimension &d);

} // namespace Calc
