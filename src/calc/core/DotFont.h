#pragma once

#include <array>
#include <cstdint>

namespace Calc {

// One glyph of the 5 x 7 dot font: seven rows from the top, bit 4 of each row
// is the leftmost dot.
using DotGlyph = std::array<uint8_t, 7>;

// The glyph of a calculator byte; a box for a byte the font does not draw.
const DotGlyph &largeGlyph(uint8_t c);

} // namespace Calc
