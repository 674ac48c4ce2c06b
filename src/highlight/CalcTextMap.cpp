#include "highlight/CalcTextMap.h"

#include "formats/CalcCharset.h"

#include <algorithm>

namespace {

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// Decodes the code point at utf8[i]; returns its length in bytes, or 1 with
// cp set to an impossible value for malformed input.
int decodeOne(const unsigned char *s, int i, int length, char32_t &cp)
{
    const unsigned char c = s[i];
    int len = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        cp = 0xFFFFFFFF;
        return 1;
    }
    if (i + len > length) {
        cp = 0xFFFFFFFF;
        return 1;
    }
    for (int k = 1; k < len; ++k) {
        if (!isContinuation(s[i + k])) {
            cp = 0xFFFFFFFF;
            return 1;
        }
        cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    return len;
}

} // namespace

void CalcTextMap::setUtf8(const char *utf8, int length)
{
    const auto *s = reinterpret_cast<const unsigned char *>(utf8);
    m_calc.resize(length);
    m_offsets.resize(length + 1);
    char *out = m_calc.data();
    int n = 0;
    int i = 0;
    while (i < length) {
        m_offsets[n] = i;
        const unsigned char c = s[i];
        if (c < 0x7F) {
            // ASCII below DEL is the same byte in both sets: the common case.
            out[n++] = static_cast<char>(c);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int len = decodeOne(s, i, length, cp);
        const int b = cp == 0xFFFFFFFF ? -1 : CalcCharset::fromUnicode(cp);
        out[n++] = b < 0 ? StandIn : static_cast<char>(b);
        i += len;
    }
    m_offsets[n] = length;
    m_calc.resize(n);
    m_offsets.resize(n + 1);
}

int CalcTextMap::calcIndex(int utf8Offset) const
{
    auto it = std::upper_bound(m_offsets.begin(), m_offsets.end(), utf8Offset);
    return std::max(0, int(it - m_offsets.begin()) - 1);
}
