#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The matrix writer's contents without any widget: a grid of up to 100 x 100
// element texts and the size of the matrix inside it.
//
// The matrix grows as elements are typed, the calculator's own matrix writer
// does the same: a cell typed outside the matrix widens it to that cell, and
// the gaps are filled with "0". Rows and columns are 1-based, as the grid's
// headings number them.
class MatrixModel
{
public:
    static constexpr int MaxSize = 100;

    enum class Type { Matrix, Vector, List };
    enum class Advance { Right, Down };

    // Size invariant: rows() and cols() are both 0 or both positive.
    int rows() const { return m_rows; }
    int cols() const { return m_cols; }
    // "rows x cols", the text of the grid's corner.
    QString sizeText() const;

    // The text of a cell; empty outside 1..MaxSize.
    QString cell(int row, int col) const;

    // What typing into a cell does: the text is kept as typed; a non-empty
    // text grows the matrix to include the cell and fills every empty cell
    // of the matrix with "0". An emptied cell stays empty and the size stays.
    // Returns false (and changes nothing) outside the grid.
    bool setCell(int row, int col, const QString &text);

    // Row and column commands at a row or column inside the matrix; outside
    // it they do nothing and return false. An inserted line is all "0"; a
    // deleted one leaves the size one smaller (0 x 0 when none is left).
    // Inserting into a matrix that already fills the grid pushes its last
    // row (column) out.
    bool insertRow(int row);
    bool deleteRow(int row);
    bool insertCol(int col);
    bool deleteCol(int col);

    // Where Enter goes from a cell: the next column or the next row. At the
    // grid's last column (row) it wraps to the first column of the next row
    // (first row of the next column), and from the grid's very last cell it
    // stays, so the selection never leaves the grid.
    struct Cell
    {
        int row = 1;
        int col = 1;
        bool operator==(const Cell &) const = default;
    };
    static Cell next(Cell from, Advance advance);

    // Spreadsheet text (cells separated by tabs, rows by line ends) typed
    // into the grid from the cell at (row, col) on, cell by cell as setCell
    // does. What falls beyond the grid is left out; returns false when
    // something was.
    bool paste(int row, int col, const QString &text);

    // The UserRPL text of the matrix, with the caret marker after it:
    // "[ [ 1 2 ] \r[ 3 4 ] \r]|" and the like (see MatrixModel.cpp). A cell
    // of the matrix that was emptied is written as 0, so the text always
    // has rows of equal length.
    QString generate(Type type) const;

    bool operator==(const MatrixModel &) const = default;

private:
    QString &at(int row, int col) { return m_cells[size_t((row - 1) * MaxSize + (col - 1))]; }
    const QString &at(int row, int col) const { return m_cells[size_t((row - 1) * MaxSize + (col - 1))]; }
    void fillGaps();

    int m_rows = 0;
    int m_cols = 0;
    std::vector<QString> m_cells = std::vector<QString>(size_t(MaxSize) * MaxSize);
};
