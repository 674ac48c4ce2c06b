#include "formats/CalcCharset.h"

#include <QStringDecoder>

#include <array>
#include <unordered_map>

namespace CalcCharset {
namespace {

// Bytes 128-159: the calculator's own glyphs.
constexpr std::array<char32_t, 32> kGlyphs = {
    0x2220, // 128 angle
    XBarCodePoint, // 129 x-bar
    0x2207, 0x221A, 0x222B, 0x03A3, 0x25B6, 0x03C0, 0x2202, 0x2264, 0x2265, 0x2260,
    0x03B1, 0x2192, 0x2190, 0x2193, 0x2191, 0x03B3, 0x03B4, 0x03B5, 0x03B7, 0x03B8,
    0x03BB, 0x03C1, 0x03C3, 0x03C4, 0x03C9, 0x0394, 0x03A0, 0x03A9, 0x25A0, 0x221E,
};

const std::unordered_map<char32_t, unsigned char> &reverseTable()
{
    static const std::unordered_map<char32_t, unsigned char> table = [] {
        std::unordered_map<char32_t, unsigned char> t;
        for (int b = 0; b < 256; ++b)
            t.emplace(toUnicode(static_cast<unsigned char>(b)), static_cast<unsigned char>(b));
        return t;
    }();
    return table;
}

} // namespace

char32_t toUnicode(unsigned char b)
{
    if (b < 127)
        return b;
    if (b == 127)
        return 0x2592;
    if (b < 160)
        return kGlyphs[b - 128];
    return b;
}

int fromUnicode(char32_t cp)
{
    if (cp < 127)
        return static_cast<int>(cp);
    if (cp >= 160 && cp < 256)
        return static_cast<int>(cp);
    const auto &table = reverseTable();
    auto it = table.find(cp);
    return it == table.end() ? -1 : it->second;
}

QString decode(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        char32_t cp = toUnicode(static_cast<unsigned char>(c));
        if (cp < 0x10000) {
            out.append(QChar(static_cast<char16_t>(cp)));
        } else {
            char32_t s[1] = {cp};
            out.append(QString::fromUcs4(s, 1));
        }
    }
    return out;
}

QByteArray encode(const QString &text, bool *ok, int *badIndex)
{
    QByteArray out;
    out.reserve(text.size());
    bool good = true;
    int bad = -1;
    for (int i = 0; i < text.size(); ++i) {
        char32_t cp = text.at(i).unicode();
        int step = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            step = 2;
        }
        int b = fromUnicode(cp);
        if (b < 0) {
            if (good)
                bad = i;
            good = false;
        } else {
            out.append(static_cast<char>(b));
        }
        i += step - 1;
    }
    if (ok)
        *ok = good;
    if (badIndex)
        *badIndex = bad;
    return out;
}

QByteArray encodeSource(const QString &text, bool *ok, int *badIndex)
{
    QByteArray out;
    out.reserve(text.size());
    bool good = true;
    int bad = -1;
    bool inString = false;
    bool inComment = false;
    for (int i = 0; i < text.size(); ++i) {
        char32_t cp = text.at(i).unicode();
        int step = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            step = 2;
        }
        if (inComment) {
            if (cp == '@' || cp == '\n' || cp == '\r')
                inComment = false;
        } else if (cp == '"') {
            inString = !inString;
        } else if (cp == '@' && !inString) {
            inComment = true;
        }
        const int b = fromUnicode(cp);
        if (b >= 0) {
            out.append(static_cast<char>(b));
        } else if (inComment) {
            out.append('?');
        } else {
            if (good)
                bad = i;
            good = false;
        }
        i += step - 1;
    }
    if (ok)
        *ok = good;
    if (badIndex)
        *badIndex = bad;
    return out;
}

bool canEncode(const QString &text)
{
    bool ok = true;
    encode(text, &ok);
    return ok;
}

bool looksLikeUtf8(const QByteArray &bytes)
{
    bool high = false;
    for (const char c : bytes)
        high = high || static_cast<unsigned char>(c) >= 0x80;
    if (!high)
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError() && canEncode(text);
}

QByteArray fromUtf8Text(const QByteArray &bytes)
{
    return encode(QString::fromUtf8(bytes));
}

} // namespace CalcCharset
