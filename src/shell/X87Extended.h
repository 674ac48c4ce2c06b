#pragma once

#include <QByteArray>

// The settings store keeps reals in the 10-byte form of the x87 extended
// type: a 64-bit mantissa with an explicit integer bit, then 15 exponent bits
// (bias 16383) and the sign, little-endian. Encoding goes through frexp/ldexp
// rather than a memory copy, so the stored bytes are the same on every
// machine, and a long double that has 64 mantissa bits round-trips exactly.
namespace X87Extended {

constexpr int Size = 10;

QByteArray encode(long double value);

// ok is false when bytes does not hold exactly 10 bytes.
long double decode(const QByteArray &bytes, bool *ok = nullptr);

} // namespace X87Extended
