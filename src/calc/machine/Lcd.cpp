// The small screen font is drawn for this machine: each glyph row is a
// number whose highest used bit is the leftmost dot.
#include "calc/machine/Lcd.h"

#include "calc/core/DotFont.h"

#include <algorithm>
#include <array>

namespace Calc {

namespace {

using SmallGlyph = std::array<uint8_t, 5>;

struct SmallEntry
{
    uint8_t byte;
    SmallGlyph rows;
};

// 3 x 5 glyphs for the menu labels.
const SmallEntry Small[] = {
    {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}}, {'C', {3, 4, 4, 4, 3}},
    {'D', {6, 5, 5, 5, 6}}, {'E', {7, 4, 6, 4, 7}}, {'F', {7, 4, 6, 4, 4}},
    {'G', {3, 4, 5, 5, 3}}, {'H', {5, 5, 7, 5, 5}}, {'I', {7, 2, 2, 2, 7}},
    {'J', {1, 1, 1, 5, 2}}, {'K', {5, 5, 6, 5, 5}}, {'L', {4, 4, 4, 4, 7}},
    {'M', {5, 7, 7, 5, 5}}, {'N', {6, 5, 5, 5, 5}}, {'O', {2, 5, 5, 5, 2}},
    {'P', {6, 5, 6, 4, 4}}, {'Q', {2, 5, 5, 6, 3}}, {'R', {6, 5, 6, 5, 5}},
    {'S', {3, 4, 2, 1, 6}}, {'T', {7, 2, 2, 2, 2}}, {'U', {5, 5, 5, 5, 7}},
    {'V', {5, 5, 5, 5, 2}}, {'W', {5, 5, 7, 7, 5}}, {'X', {5, 5, 2, 5, 5}},
    {'Y', {5, 5, 2, 2, 2}}, {'Z', {7, 1, 2, 4, 7}}, {'0', {7, 5, 5, 5, 7}},
    {'1', {2, 6, 2, 2, 7}}, {'2', {6, 1, 2, 4, 7}}, {'3', {6, 1, 2, 1, 6}},
    {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 6, 1, 6}}, {'6', {3, 4, 7, 5, 7}},
    {'7', {7, 1, 2, 2, 2}}, {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 6}},
    {' ', {0, 0, 0, 0, 0}}, {'.', {0, 0, 0, 0, 2}}, {'-', {0, 0, 7, 0, 0}},
    {'+', {0, 2, 7, 2, 0}}, {'*', {0, 5, 2, 5, 0}}, {'/', {1, 1, 2, 4, 4}},
    {'=', {0, 7, 0, 7, 0}}, {'<', {1, 2, 4, 2, 1}}, {'>', {4, 2, 1, 2, 4}},
    {'(', {1, 2, 2, 2, 1}}, {')', {4, 2, 2, 2, 4}}, {'[', {3, 2, 2, 2, 3}},
    {']', {6, 2, 2, 2, 6}}, {'{', {3, 2, 6, 2, 3}}, {'}', {6, 2, 3, 2, 6}},
    {'\'', {2, 2, 0, 0, 0}}, {'"', {5, 5, 0, 0, 0}}, {'?', {6, 1, 2, 0, 2}},
    {'!', {2, 2, 2, 0, 2}}, {'#', {5, 7, 5, 7, 5}}, {'_', {0, 0, 0, 0, 7}},
    {':', {0, 2, 0, 2, 0}}, {',', {0, 0, 0, 2, 4}}, {'^', {2, 5, 0, 0, 0}},
    {'%', {5, 1, 2, 4, 5}}, {0x8F, {2, 2, 2, 7, 2}}, {0x90, {2, 7, 2, 2, 2}},
    {0x8D, {0, 2, 1, 7, 1}}, {0x8E, {0, 2, 4, 7, 4}}, {0x87, {0, 7, 5, 5, 0}},
    {0xAB, {0, 1, 2, 1, 0}}, {0xBB, {0, 4, 2, 4, 0}}, {0x83, {1, 1, 2, 6, 2}},
};

const SmallGlyph &smallGlyphOf(uint8_t c)
{
    static const SmallGlyph box = {7, 5, 5, 5, 7};
    if (c >= 'a' && c <= 'z')
        c = static_cast<uint8_t>(c - 'a' + 'A');
    for (const SmallEntry &e : Small)
        if (e.byte == c)
            return e.rows;
    return box;
}

} // namespace

void LcdPicture::fill(int x, int y, int w, int h, bool dark)
{
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            setDot(i, j, dark);
}

void LcdPicture::invert(int x, int y, int w, int h)
{
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            setDot(i, j, !dot(i, j));
}

int LcdPicture::drawText(int x, int y, const std::string &bytes, bool dark)
{
    for (const char ch : bytes) {
        const DotGlyph &g = largeGlyph(static_cast<uint8_t>(ch));
        for (int r = 0; r < 7; ++r)
            for (int c = 0; c < 5; ++c)
                if (g[r] & (0x10 >> c))
                    setDot(x + c, y + r, dark);
        x += CellWidth;
    }
    return x;
}

int LcdPicture::drawSmall(int x, int y, const std::string &bytes, bool dark)
{
    for (const char ch : bytes) {
        const SmallGlyph &g = smallGlyphOf(static_cast<uint8_t>(ch));
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                if (g[r] & (4 >> c))
                    setDot(x + c, y + r, dark);
        x += 4;
    }
    return x;
}

} // namespace Calc
