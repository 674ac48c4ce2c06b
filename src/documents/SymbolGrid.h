#pragma once

#include <QString>

// Layout maths of the symbol grid: the calculator's 128 special characters
// (codes 128 to 255) laid out row by row in as many whole columns as the
// panel's width holds.
namespace SymbolGrid {

constexpr int kFirstCode = 128;
constexpr int kSymbolCount = 128;
constexpr int kDefaultColumns = 8;
constexpr int kDefaultRows = 16;
constexpr int kDefaultCellSize = 20;

struct Layout {
    int columns = kDefaultColumns;
    int rows = kDefaultRows;
    // How much the symbols panel must grow (or shrink, when negative) so that
    // whole columns fill the grid's client area.
    int widthChange = 0;
};

// columns: the client width over one column and its grid line, rounded to the
// nearest whole number (ties to even), at least one; rows: enough for all 128.
Layout layoutFor(int clientWidth, int columnWidth = kDefaultCellSize);

// The code of the character in cell (column, row), or -1 for an empty cell.
int codeAt(int column, int row, int columns);

} // namespace SymbolGrid
