#include "generators/MatrixModel.h"

#include <QStringList>

#include <algorithm>

namespace {

bool inGrid(int row, int col)
{
    return row >= 1 && col >= 1 && row <= MatrixModel::MaxSize && col <= MatrixModel::MaxSize;
}

} // namespace

QString MatrixModel::sizeText() const
{
    return QStringLiteral("%1 x %2").arg(m_rows).arg(m_cols);
}

QString MatrixModel::cell(int row, int col) const
{
    return inGrid(row, col) ? at(row, col) : QString();
}

void MatrixModel::fillGaps()
{
    for (int r = 1; r <= m_rows; ++r)
        for (int c = 1; c <= m_cols; ++c)
            if (at(r, c).isEmpty())
                at(r, c) = QStringLiteral("0");
}

bool MatrixModel::setCell(int row, int col, const QString &text)
{
    if (!inGrid(row, col))
        return false;
    at(row, col) = text;
    if (!text.isEmpty()) {
        m_rows = std::max(m_rows, row);
        m_cols = std::max(m_cols, col);
        fillGaps();
    }
    return true;
}

bool MatrixModel::insertRow(int row)
{
    if (row < 1 || row > m_rows)
        return false;
    const int last = std::min(m_rows + 1, MaxSize);
    for (int r = last; r > row; --r)
        for (int c = 1; c <= m_cols; ++c)
            at(r, c) = at(r - 1, c);
    for (int c = 1; c <= m_cols; ++c)
        at(row, c) = QStringLiteral("0");
    m_rows = last;
    return true;
}

bool MatrixModel::deleteRow(int row)
{
    if (row < 1 || row > m_rows)
        return false;
    for (int r = row; r < m_rows; ++r)
        for (int c = 1; c <= m_cols; ++c)
            at(r, c) = at(r + 1, c);
    for (int c = 1; c <= m_cols; ++c)
        at(m_rows, c).clear();
    if (--m_rows == 0)
        m_cols = 0;
    return true;
}

bool MatrixModel::insertCol(int col)
{
    if (col < 1 || col > m_cols)
        return false;
    const int last = std::min(m_cols + 1, MaxSize);
    for (int c = last; c > col; --c)
        for (int r = 1; r <= m_rows; ++r)
            at(r, c) = at(r, c - 1);
    for (int r = 1; r <= m_rows; ++r)
        at(r, col) = QStringLiteral("0");
    m_cols = last;
    return true;
}

bool MatrixModel::deleteCol(int col)
{
    if (col < 1 || col > m_cols)
        return false;
    for (int c = col; c < m_cols; ++c)
        for (int r = 1; r <= m_rows; ++r)
            at(r, c) = at(r, c + 1);
    for (int r = 1; r <= m_rows; ++r)
        at(r, m_cols).clear();
    if (--m_cols == 0)
        m_rows = 0;
    return true;
}

MatrixModel::Cell MatrixModel::next(Cell from, Advance advance)
{
    if (advance == Advance::Right) {
        if (from.col < MaxSize)
            return {from.row, from.col + 1};
        return from.row < MaxSize ? Cell{from.row + 1, 1} : from;
    }
    if (from.row < MaxSize)
        return {from.row + 1, from.col};
    return from.col < MaxSize ? Cell{1, from.col + 1} : from;
}

bool MatrixModel::paste(int row, int col, const QString &text)
{
    if (!inGrid(row, col))
        return false;
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // Spreadsheets end the copied block with a line end; that is no row.
    if (body.endsWith(QLatin1Char('\n')))
        body.chop(1);
    bool whole = true;
    const QStringList lines = body.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char('\t'));
        for (int j = 0; j < fields.size(); ++j) {
            const QString value = fields[j].trimmed();
            if (!inGrid(row + i, col + j)) {
                whole = whole && value.isEmpty();
                continue;
            }
            setCell(row + i, col + j, value);
        }
    }
    return whole;
}

QString MatrixModel::generate(Type type) const
{
    const bool list = type == Type::List;
    const QChar open = list ? QLatin1Char('{') : QLatin1Char('[');
    const QChar close = list ? QLatin1Char('}') : QLatin1Char(']');
    const auto element = [this](int r, int c) {
        const QString &text = at(r, c);
        return text.isEmpty() ? QStringLiteral("0") : text;
    };

    QString out = QString(open) + QLatin1Char(' ');
    if (type == Type::Vector && m_rows == 1) {
        for (int c = 1; c <= m_cols; ++c)
            out += element(1, c) + QLatin1Char(' ');
    } else {
        for (int r = 1; r <= m_rows; ++r) {
            out += open;
            out += QLatin1Char(' ');
            for (int c = 1; c <= m_cols; ++c)
                out += element(r, c) + QLatin1Char(' ');
            out += close;
            out += QStringLiteral(" \r\n");
        }
        // Leaves the last row's line end as a lone CR, or without rows takes
        // back the blank after the opening bracket: "[]".
        out.chop(1);
    }
    out += close;
    out += QLatin1Char('|');
    return out;
}
