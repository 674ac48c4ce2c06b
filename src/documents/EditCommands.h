#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// The text rules of the Edit and Search commands that change or move within a
// document, on calculator bytes and free of widgets.
namespace EditCommands {

// Case change touches the letters a to z only; every other byte, including
// the calculator's characters from 128 on, stays as it is.
QByteArray toUpper(QByteArray text);
QByteArray toLower(QByteArray text);

// The comment mark of UserRPL source.
inline constexpr char CommentMark = '@';

// One line with its comment mark toggled: an existing mark in front of the
// code is removed (a blank after it stays), otherwise one is put right before
// the first character that is not a blank or a tab, so indentation is kept.
// A line holding nothing but characters of code 32 or less has no answer.
std::optional<QByteArray> toggleCommentLine(const QByteArray &line);

// EditComment over consecutive lines. Toggling stops at the first line that
// is blank: that line and the ones after it come back unchanged.
QList<QByteArray> toggleComment(QList<QByteArray> lines);

// The lines EditComment works on, 0-based and inclusive. With no selection it
// is the caret line. A selection that ends at the very start of a line does not
// reach into that line, so whole lines selected from the keyboard toggle
// exactly the lines the user sees highlighted.
struct LineRange
{
    int first = 0;
    int last = 0;
};
LineRange commentRange(int selectionStartLine,
                       int selectionEndLine,
                       int selectionEndColumn,
                       bool hasSelection);

// The 0-based line SearchGoTo moves to for the 1-based number the user typed:
// numbers past the end go to the last line, 0 to the first.
int goToLineIndex(int typedLine, int lineCount);

} // namespace EditCommands
