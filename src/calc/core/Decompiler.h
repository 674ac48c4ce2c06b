#pragma once

#include "calc/core/Object.h"

#include <string>

namespace Calc {

struct TextStyle
{
    NumberFormat number;
    int base = 10;     // binary integers
    int wordSize = 64; // binary integers are shown masked to it
    bool is49 = true;
    bool polar = false; // flag -16: complex numbers as (r,∠angle)
    AngleMode angle = AngleMode::Degrees;
};

// The text ->STR gives for an object: one line, in the given modes. On the
// stack (topLevel) a name is shown quoted.
std::string decompile(const Value &v, const TextStyle &style, bool topLevel = true);

// The infix text of an algebraic's items, without the quotes.
std::string algebraicText(const std::vector<Value> &items, const TextStyle &style);

std::string binaryText(uint64_t v, const TextStyle &style);

// A picture's pixels as the hex digits of its GROB text.
std::string grobDataText(const GrobObj &g);

} // namespace Calc
