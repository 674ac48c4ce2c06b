#pragma once

#include <QByteArray>
#include <QString>

// The calculators' 8-bit character set on screen.
//
// Documents are kept as bytes in the calculator's set. Widgets run in Unicode,
// so one fixed, bijective table maps every byte to exactly one code point and
// back: 0-126 are themselves, 127 is a shade block, 128-159 are the
// calculator's glyphs and 160-255 are Latin-1. Every byte survives a round trip.
namespace CalcCharset {

// x-bar has no single code point; this private-use one stands for it and the
// editor draws it as "x̄".
constexpr char32_t XBarCodePoint = 0xE081;

// The code point shown for calculator byte b.
char32_t toUnicode(unsigned char b);

// The calculator byte for code point cp, or -1 when the set has none.
int fromUnicode(char32_t cp);

// Bytes to a displayable string (never fails).
QString decode(const QByteArray &bytes);

// A string back to bytes. Characters with no byte are not changed into
// something else: when ok is given it is set to false and the first offending
// character's index is stored in badIndex; those characters are left out.
QByteArray encode(const QString &text, bool *ok = nullptr, int *badIndex = nullptr);

// Program text back to bytes: as encode, but a character with no byte inside
// a comment ("@" to the next "@" or to the line end, outside strings) becomes
// "?", since the calculator throws comments away; only characters in the
// program itself make ok false.
QByteArray encodeSource(const QString &text, bool *ok = nullptr, int *badIndex = nullptr);

// True when every character of text has a byte in the set.
bool canEncode(const QString &text);

// True when bytes look written by another editor in UTF-8: they hold
// characters above 127, all of them well-formed UTF-8 sequences of characters
// the set has ("Â«" shown for «). fromUtf8Text gives the calculator's bytes.
bool looksLikeUtf8(const QByteArray &bytes);
QByteArray fromUtf8Text(const QByteArray &bytes);

} // namespace CalcCharset
