#include "formats/NibbleText.h"

#include <algorithm>
#include <array>

namespace {

constexpr char Digits[] = "0123456789ABCDEF";

// T[16 i + j] = (i XOR j) * 0x1081: the CRC step for one nibble, so that a
// byte costs two lookups instead of eight shifts.
constexpr std::array<std::uint16_t, 256> makeCrcTable()
{
    std::array<std::uint16_t, 256> t{};
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j)
            t[16 * i + j] = std::uint16_t((i ^ j) * 0x1081);
    return t;
}

constexpr std::array<std::uint16_t, 256> CrcTable = makeCrcTable();

} // namespace

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray BytesToNibbleText(const QByteArray &bytes)
{
    QByteArray text(bytes.size() * 2, Qt::Uninitialized);
    char *out = text.data();
    for (char b : bytes) {
        *out++ = Digits[uchar(b) & 15];
        *out++ = Digits[uchar(b) >> 4];
    }
    return text;
}

QByteArray NibbleTextToBytes(const QByteArray &text)
{
    QByteArray bytes((text.size() + 1) / 2, Qt::Uninitialized);
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        const int low = qMax(0, HexDigitValue(text[2 * k]));
        const int high = 2 * k + 1 < text.size() ? qMax(0, HexDigitValue(text[2 * k + 1])) : 15;
        bytes[k] = char(low | (high << 4));
    }
    return bytes;
}

QByteArray HexDigits(int count, std::uint64_t value)
{
    QByteArray text(qMax(0, count), '0');
    for (int i = count - 1; i >= 0; --i) {
        text[i] = Digits[value & 15];
        value >>= 4;
    }
    return text;
}

QByteArray ReverseText(const QByteArray &text)
{
    QByteArray reversed = text;
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

QByteArray NibbleField(std::uint32_t value)
{
    Q_ASSERT(value < 0x100000);
    return ReverseText(HexDigits(5, value));
}

std::int64_t ReadNibbleField(const QByteArray &text, qsizetype pos, int count)
{
    if (pos < 0 || count < 0 || pos + count > text.size())
        return -1;
    std::int64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        const int d = HexDigitValue(text[pos + i]);
        if (d < 0)
            return -1;
        value = value * 16 + d;
    }
    return value;
}

std::uint16_t HpCrcUpdate(std::uint16_t crc, const QByteArray &bytes)
{
    for (char ch : bytes) {
        const unsigned c = uchar(ch);
        const unsigned a = CrcTable[16 * (crc & 15) + (c & 15)];
        crc = std::uint16_t(CrcTable[16 * (((crc >> 4) ^ a) & 15) + (c >> 4)] ^ (crc >> 8) ^
                            (a >> 4));
    }
    return crc;
}

std::uint16_t HpCrc(const QByteArray &bytes)
{
    return HpCrcUpdate(0, bytes);
}
