#pragma once

#include "calc/core/Object.h"

#include <cstdint>
#include <string>

// Exact integers of the 49 family (its exact mode): any number of digits,
// held as their canonical decimal text and computed on GMP.
namespace Calc {

// The integer object: "-123" or "0", no leading zeros, no plus sign. One
// of up to 18 digits also keeps its value as a machine integer, so that a
// loop counting in exact integers (the 50g's default) does its arithmetic
// without going through GMP.
class IntegerObj : public Object
{
public:
    explicit IntegerObj(std::string d);
    explicit IntegerObj(int64_t v)
        : digits(std::to_string(v))
        , small(true)
        , value(v)
    {
    }
    const std::string digits;
    bool small = false; // value holds the integer
    int64_t value = 0;
};

// An integer from its decimal text (an optional minus sign, then digits);
// leading zeros are dropped. False when text is not an integer.
bool parseInteger(std::string_view text, std::string &canonical);
Value integerValue(std::string canonical);
Value integerValue(int64_t v);
const std::string &integerText(const Value &v);

// The integer as the nearest real (twelve digits; beyond the range: the
// calculators' overflow rules through Engine::checked).
class Engine;
Real integerToReal(Engine &e, const Value &v);
// The integer as a real where only a count or an index can come of it (no
// overflow rules: more than 500 digits give the largest real).
Real integerToRealQuiet(const Value &v);

// Arithmetic of two integers for the operators of ops(): +, -, *, integer
// powers, and / (an exact quotient, or the fraction 'a/b' as an algebraic;
// a real in approximate mode). Null when op is not one of them.
Value integerArith(Engine &e, int op, const Value &a, const Value &b);
int compareIntegers(const Value &a, const Value &b);

} // namespace Calc
