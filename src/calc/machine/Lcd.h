#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Calc {

// The calculator's dot-matrix screen: width x height dots, one byte per dot
// (1 = dark), rows from the top. Text uses the machine's own two fonts: a
// 5 x 7 font in cells of 6 x 8 dots for the stack and the command line, and a
// 3 x 5 font in cells of 4 x 6 for the soft-menu labels.
class LcdPicture
{
public:
    static constexpr int CellWidth = 6;
    static constexpr int CellHeight = 8;

    LcdPicture() = default;
    LcdPicture(int width, int height)
        : m_width(width)
        , m_height(height)
        , m_dots(static_cast<size_t>(width) * static_cast<size_t>(height), 0)
    {
    }

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool dot(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height && m_dots[index(x, y)];
    }
    void setDot(int x, int y, bool dark)
    {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height)
            m_dots[index(x, y)] = dark ? 1 : 0;
    }
    void clear() { std::fill(m_dots.begin(), m_dots.end(), 0); }
    void fill(int x, int y, int w, int h, bool dark);
    void invert(int x, int y, int w, int h);
    // Calculator bytes in the large font from (x, y), the top left of the
    // first cell; returns the x after the text.
    int drawText(int x, int y, const std::string &bytes, bool dark = true);
    // The small font; lower-case letters are drawn as capitals.
    int drawSmall(int x, int y, const std::string &bytes, bool dark = true);
    static int smallWidth(const std::string &bytes) { return 4 * static_cast<int>(bytes.size()); }
    const std::vector<uint8_t> &dots() const { return m_dots; }
    bool operator==(const LcdPicture &) const = default;

private:
    size_t index(int x, int y) const
    {
        return static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x);
    }
    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_dots;
};

} // namespace Calc
