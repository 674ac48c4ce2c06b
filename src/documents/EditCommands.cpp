#include "documents/EditCommands.h"

#include <algorithm>

namespace EditCommands {

QByteArray toUpper(QByteArray text)
{
    for (char &c : text) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return text;
}

QByteArray toLower(QByteArray text)
{
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return text;
}

std::optional<QByteArray> toggleCommentLine(const QByteArray &line)
{
    // Bytes are compared unsigned: the calculator's characters above 127 are
    // text, not blanks.
    const auto code = [](char c) { return static_cast<unsigned char>(c); };
    if (std::all_of(line.begin(), line.end(), [&](char c) { return code(c) <= 32; }))
        return std::nullopt;

    qsizetype first = 0;
    while (line[first] == ' ' || line[first] == '\t')
        ++first;
    QByteArray changed = line;
    if (changed[first] == CommentMark)
        changed.remove(first, 1);
    else
        changed.insert(first, CommentMark);
    return changed;
}

QList<QByteArray> toggleComment(QList<QByteArray> lines)
{
    for (QByteArray &line : lines) {
        const std::optional<QByteArray> changed = toggleCommentLine(line);
        if (!changed)
            break;
        line = *changed;
    }
    return lines;
}

LineRange commentRange(int selectionStartLine,
                       int selectionEndLine,
                       int selectionEndColumn,
                       bool hasSelection)
{
    if (!hasSelection)
        return {selectionStartLine, selectionStartLine};
    int last = selectionEndLine;
    if (selectionEndColumn == 0 && selectionEndLine > selectionStartLine)
        --last;
    return {selectionStartLine, last};
}

int goToLineIndex(int typedLine, int lineCount)
{
    if (lineCount <= 0)
        return 0;
    return std::clamp(typedLine - 1, 0, lineCount - 1);
}

} // namespace EditCommands
