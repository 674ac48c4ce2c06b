#include "shell/X87Extended.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace X87Extended {

namespace {

constexpr int Bias = 16383;

void put(QByteArray &out, uint64_t mantissa, uint16_t signAndExponent)
{
    out.resize(Size);
    for (int i = 0; i < 8; ++i)
        out[i] = char((mantissa >> (8 * i)) & 0xFF);
    out[8] = char(signAndExponent & 0xFF);
    out[9] = char(signAndExponent >> 8);
}

} // namespace

QByteArray encode(long double value)
{
    QByteArray out;
    const uint16_t sign = std::signbit(value) ? 0x8000 : 0;
    if (std::isnan(value)) {
        put(out, 0xC000000000000000ULL, sign | 0x7FFF);
        return out;
    }
    if (std::isinf(value)) {
        put(out, 0x8000000000000000ULL, sign | 0x7FFF);
        return out;
    }
    if (value == 0) {
        put(out, 0, sign);
        return out;
    }
    int exponent = 0;
    // fraction in [0.5, 1): the integer bit of the stored mantissa is its top bit.
    const long double fraction = std::frexp(std::fabs(value), &exponent);
    int biased = exponent - 1 + Bias;
    int shift = 64;
    if (biased <= 0) { // subnormal: exponent field 0 means 2^(1-bias)
        shift += biased - 1;
        biased = 0;
    }
    const auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, shift));
    put(out, mantissa, uint16_t(sign | uint16_t(biased)));
    return out;
}

long double decode(const QByteArray &bytes, bool *ok)
{
    if (ok)
        *ok = bytes.size() == Size;
    if (bytes.size() != Size)
        return 0;
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | uint8_t(bytes[i]);
    const uint16_t se = uint16_t(uint8_t(bytes[8]) | (uint8_t(bytes[9]) << 8));
    const bool negative = se & 0x8000;
    const int biased = se & 0x7FFF;
    long double value;
    if (biased == 0x7FFF) {
        value = (mantissa << 1) ? std::numeric_limits<long double>::quiet_NaN()
                                : std::numeric_limits<long double>::infinity();
    } else {
        const int exponent = (biased == 0 ? 1 : biased) - Bias - 63;
        value = std::ldexp(static_cast<long double>(mantissa), exponent);
    }
    return negative ? -value : value;
}

} // namespace X87Extended
