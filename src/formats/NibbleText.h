#pragma once

#include <QByteArray>

#include <cstdint>

// The calculators keep objects as 4-bit nibbles. The editor and the calculator
// handle them as nibble text: one upper-case hexadecimal digit per nibble, in
// memory order. Files pack two nibbles per byte, the first in the low half.

// The value of a hexadecimal digit (0-9, A-F, a-f); -1 for any other character.
int HexDigitValue(char c);

// Nibble text of bytes, twice as long: byte 0x2A becomes "A2".
QByteArray BytesToNibbleText(const QByteArray &bytes);

// The inverse: byte k takes digit 2k as its low and digit 2k + 1 as its high
// nibble; an odd text ends with a byte whose high nibble is 15 ("A" is 0xFA).
// Digits other than 0-9 and A-F (either case) count as 0.
QByteArray NibbleTextToBytes(const QByteArray &text);

// The count lowest hexadecimal digits of value, most significant first.
QByteArray HexDigits(int count, std::uint64_t value);

// text backwards. A 5-nibble field is ReverseText(HexDigits(5, value)).
QByteArray ReverseText(const QByteArray &text);

// A size or dimension field: 5 nibbles, least significant first.
QByteArray NibbleField(std::uint32_t value);

// Reads count digits at pos as a field, least significant first. Returns -1
// when the text is too short there or holds a character that is no digit.
std::int64_t ReadNibbleField(const QByteArray &text, qsizetype pos, int count = 5);

// The 16-bit CRC of the calculators' transfer protocols over the bytes'
// nibbles, low nibble first (CRC-16/KERMIT: "123456789" gives 0x2189).
std::uint16_t HpCrc(const QByteArray &bytes);

// Continues a CRC over more bytes, for transfers that arrive in blocks.
std::uint16_t HpCrcUpdate(std::uint16_t crc, const QByteArray &bytes);
