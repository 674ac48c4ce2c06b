#include "documents/StackDiagrams.h"

#include <QFile>

namespace {

constexpr char kArrow = '\x8D'; // the calculator's right arrow

} // namespace

StackDiagramLine parseStackDiagramLine(const QByteArray &line)
{
    StackDiagramLine result;
    const qsizetype blank = line.indexOf(' ');
    result.name = blank < 0 ? line : line.left(blank);
    if (blank < 0)
        return result;
    const qsizetype open = line.indexOf('(', blank);
    if (open < 0)
        return result;
    int depth = 1;
    for (qsizetype i = open + 1; i < line.size(); ++i) {
        if (line.at(i) == '(') {
            ++depth;
        } else if (line.at(i) == ')' && --depth == 0) {
            result.diagram = trimmedBytes(line.mid(open + 1, i - open - 1));
            return result;
        }
    }
    // The line ends inside the diagram: take the rest of it without its last
    // character (what a stray closing character would have been).
    result.diagram = trimmedBytes(line.mid(open + 1).chopped(line.size() > open + 1 ? 1 : 0));
    return result;
}

void StackDiagramStore::parse(const QByteArray &bytes)
{
    m_names.clear();
    m_diagrams.clear();
    m_skippedLines.clear();
    const QByteArrayList lines = splitTextLines(bytes);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.isEmpty() || line.startsWith("%%") || line.startsWith('@'))
            continue;
        const StackDiagramLine parsed = parseStackDiagramLine(line);
        if (!parsed.name.isEmpty() && !parsed.diagram.isEmpty()) {
            m_names << parsed.name;
            m_diagrams << parsed.diagram;
        } else if (parsed.name.isEmpty() && !parsed.diagram.isEmpty() && !m_names.isEmpty()) {
            m_names << m_names.last();
            m_diagrams << parsed.diagram;
        } else {
            m_skippedLines << int(i + 1);
        }
    }
    m_names << sentinel();
    m_diagrams << sentinel();
}

bool StackDiagramStore::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    parse(file.readAll());
    return true;
}

QByteArrayList StackDiagramStore::diagramsFor(const QByteArray &name) const
{
    QByteArrayList found;
    qsizetype i = m_names.indexOf(name);
    if (i < 0)
        return found;
    while (i < m_names.size() && m_names.at(i) == name)
        found << m_diagrams.at(i++);
    return found;
}

StackItems splitStackDiagram(const QByteArray &diagram)
{
    StackItems items;
    if (!diagram.contains(kArrow)) {
        items.isText = true;
        return items;
    }
    QByteArray buffer;
    int depth = 0;
    bool results = false;
    auto store = [&] {
        if (!buffer.isEmpty())
            (results ? items.results : items.arguments) << buffer;
        buffer.clear();
    };
    for (qsizetype i = 0; i < diagram.size(); ++i) {
        const char c = diagram.at(i);
        if (c == ' ' && depth == 0) {
            store();
        } else if (c == kArrow) {
            // A word glued to the arrow is dropped with it.
            results = true;
            buffer.clear();
        } else {
            if (c == '{')
                ++depth;
            else if (c == '}')
                depth = std::max(0, depth - 1); // a stray brace must not glue the rest together
            buffer += c;
        }
    }
    store();
    return items;
}

QByteArrayList bottomAlignedRows(const QByteArrayList &items, int rowCount)
{
    QByteArrayList rows(rowCount);
    const qsizetype shown = std::min<qsizetype>(items.size(), rowCount);
    for (qsizetype k = 0; k < shown; ++k)
        rows[rowCount - 1 - k] = items.at(items.size() - 1 - k);
    return rows;
}

QByteArrayList stackDiagramTitles(const QByteArrayList &diagrams, const QByteArray &name)
{
    QByteArrayList titles;
    for (const QByteArray &diagram : diagrams) {
        const StackItems items = splitStackDiagram(diagram);
        QByteArray title = items.isText ? name : items.arguments.join(' ');
        if (title.isEmpty())
            title = "( )";
        const QByteArray base = title;
        for (int n = 2; titles.contains(title); ++n)
            title = base + " (" + QByteArray::number(n) + ')';
        titles << title;
    }
    return titles;
}
