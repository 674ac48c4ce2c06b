#pragma once

#include "documents/TextSearch.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QPoint>

class DocumentEditor;
class QsciScintilla;

// What the Insert, Edit and Search commands do to one editor widget. The
// rules themselves live in Snippets, EditCommands and TextSearch; these
// functions read the widget's text as calculator bytes, apply a rule and write
// the result back as one undoable edit.
namespace EditorOperations {

// Line `line` (0-based) as calculator bytes, without its line end.
QByteArray lineBytes(const QsciScintilla *editor, int line);

// Puts `snippet` in place of the selection (markers and spacing as Snippets
// rules them) and leaves the caret at its marker. The snippet's CR LF line
// ends become the editor's own.
void insertSnippet(QsciScintilla *editor, QByteArrayView snippet);

// EditToUpper / EditToLower: the selection's letters a to z change case, the
// caret stays where it was and the selection goes.
void changeCase(QsciScintilla *editor, bool upper);

// EditComment on the selected lines, or the caret line.
void toggleComment(QsciScintilla *editor);

// EditTransferCodes: the whole document between the calculators' ASCII
// transfer form and their characters, in one undo step: a document holding
// backslash codes (\<< \-> \GS ...) gets the characters, any other one the
// codes (HPUtils' DecodeTransferCodes and EncodeTransferCodes).
void convertTransferCodes(DocumentEditor *editor);

// SearchGoTo: moves the caret to the 1-based line typed, keeping its column as
// far as the new line allows.
void goToLine(QsciScintilla *editor, int typedLine);

// A search over an editor widget. Offsets count calculator characters from
// the start of the text; the widget itself counts UTF-8 bytes, so the last
// conversion is remembered and the next one starts from there, which keeps a
// run over thousands of matches fast.
class EditorSearchTarget : public TextSearch::Target
{
public:
    explicit EditorSearchTarget(QsciScintilla *editor);

    QByteArray text() const override;
    TextSearch::Range selection() const override;
    void select(TextSearch::Range range, bool caretAtStart) override;
    void replace(TextSearch::Range range, const QByteArray &with) override;

    // Screen position of the top-left corner of the character at `offset`,
    // and the height of its line.
    QPoint screenPosition(qsizetype offset) const;
    int lineHeight(qsizetype offset) const;

private:
    long positionOf(qsizetype offset) const;
    qsizetype offsetOf(long position) const;

    QsciScintilla *m_editor;
    mutable qsizetype m_anchorOffset = 0;
    mutable long m_anchorPosition = 0;
};

} // namespace EditorOperations
