#include "documents/SymbolGrid.h"

#include <cmath>

namespace SymbolGrid {

Layout layoutFor(int clientWidth, int columnWidth)
{
    Layout layout;
    const int pitch = columnWidth + 1;
    // A panel squeezed to nothing still shows one column rather than dividing
    // by zero below.
    layout.columns = std::max(1, int(std::nearbyint(double(clientWidth) / pitch)));
    layout.rows = (kSymbolCount + layout.columns - 1) / layout.columns;
    layout.widthChange = layout.columns * pitch - clientWidth;
    return layout;
}

int codeAt(int column, int row, int columns)
{
    if (column < 0 || row < 0 || columns <= 0 || column >= columns)
        return -1;
    const int index = row * columns + column;
    return index < kSymbolCount ? kFirstCode + index : -1;
}

} // namespace SymbolGrid
