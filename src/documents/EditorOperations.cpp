#include "documents/EditorOperations.h"
#include "formats/HPUtils.h"
#include "documents/DocumentEditor.h"

#include "documents/EditCommands.h"
#include "documents/Snippets.h"
#include "formats/CalcCharset.h"

#include <Qsci/qsciscintilla.h>

#include <algorithm>

namespace EditorOperations {

namespace {

struct Selection
{
    int startLine = 0;
    int startIndex = 0;
    int endLine = 0;
    int endIndex = 0;
    bool any = false;
};

// The selection in lines and calculator characters, ordered; without one,
// both ends are the caret.
Selection selectionOf(const QsciScintilla *editor)
{
    Selection s;
    editor->getSelection(&s.startLine, &s.startIndex, &s.endLine, &s.endIndex);
    s.any = s.startLine >= 0 && (s.startLine != s.endLine || s.startIndex != s.endIndex);
    if (!s.any) {
        editor->getCursorPosition(&s.startLine, &s.startIndex);
        s.endLine = s.startLine;
        s.endIndex = s.startIndex;
    }
    return s;
}

// Snippets are written with CR LF; the document may use LF or CR.
QByteArray withEditorLineEnds(QByteArray text, const QsciScintilla *editor)
{
    switch (editor->eolMode()) {
    case QsciScintilla::EolUnix:
        return text.replace("\r\n", "\n");
    case QsciScintilla::EolMac:
        return text.replace("\r\n", "\r");
    case QsciScintilla::EolWindows:
        break;
    }
    return text;
}

void replaceLine(QsciScintilla *editor, int line, const QByteArray &bytes)
{
    const QByteArray utf8 = CalcCharset::decode(bytes).toUtf8();
    editor->SendScintilla(QsciScintilla::SCI_SETTARGETSTART,
                          editor->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, line));
    editor->SendScintilla(QsciScintilla::SCI_SETTARGETEND,
                          editor->SendScintilla(QsciScintilla::SCI_GETLINEENDPOSITION, line));
    editor->SendScintilla(QsciScintilla::SCI_REPLACETARGET, ulong(utf8.size()), utf8.constData());
}

} // namespace

QByteArray lineBytes(const QsciScintilla *editor, int line)
{
    QString text = editor->text(line);
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return CalcCharset::encode(text);
}

void insertSnippet(QsciScintilla *editor, QByteArrayView snippet)
{
    const Selection s = selectionOf(editor);
    Snippets::Target target;
    target.startLine = s.startLine;
    target.startColumn = s.startIndex;
    target.startLineText = lineBytes(editor, s.startLine);
    target.endColumn = s.endIndex;
    target.endLineText = lineBytes(editor, s.endLine);
    if (s.any)
        target.selectedText = CalcCharset::encode(editor->selectedText());

    const Snippets::Insertion insertion = Snippets::prepare(snippet, target);
    const QString text = CalcCharset::decode(withEditorLineEnds(insertion.text, editor));

    editor->beginUndoAction();
    editor->replaceSelectedText(text);
    editor->setCursorPosition(insertion.caretLine, insertion.caretColumn);
    editor->endUndoAction();
    editor->ensureCursorVisible();
}

void changeCase(QsciScintilla *editor, bool upper)
{
    if (!editor->hasSelectedText())
        return;
    int line = 0;
    int index = 0;
    editor->getCursorPosition(&line, &index);
    const QByteArray selected = CalcCharset::encode(editor->selectedText());
    const QByteArray changed =
        upper ? EditCommands::toUpper(selected) : EditCommands::toLower(selected);

    editor->beginUndoAction();
    if (changed != selected)
        editor->replaceSelectedText(CalcCharset::decode(changed));
    editor->setCursorPosition(line, index);
    editor->endUndoAction();
}

void convertTransferCodes(DocumentEditor *editor)
{
    const QByteArray bytes = editor->documentBytes();
    const QByteArray converted = HasTransferCodes(bytes) ? DecodeTransferCodes(bytes) : EncodeTransferCodes(bytes);
    if (converted == bytes)
        return;
    int line = 0;
    int index = 0;
    editor->getCursorPosition(&line, &index);
    editor->beginUndoAction();
    editor->selectAll();
    editor->replaceSelectedText(CalcCharset::decode(converted));
    editor->endUndoAction();
    editor->setCursorPosition(std::min(line, editor->lines() - 1), 0);
}

void toggleComment(QsciScintilla *editor)
{
    const Selection s = selectionOf(editor);
    int caretLine = 0;
    int caretIndex = 0;
    editor->getCursorPosition(&caretLine, &caretIndex);
    const bool caretAtStart = s.any && caretLine == s.startLine && caretIndex == s.startIndex;

    const EditCommands::LineRange range =
        EditCommands::commentRange(s.startLine, s.endLine, s.endIndex, s.any);
    QList<QByteArray> before;
    for (int line = range.first; line <= range.last; ++line)
        before.append(lineBytes(editor, line));
    const QList<QByteArray> after = EditCommands::toggleComment(before);

    // Where each changed line gained or lost its mark, to keep the selection
    // on the same characters.
    QList<QPair<int, int>> edits(before.size(), {0, 0}); // column, +1 or -1
    editor->beginUndoAction();
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (after[i] == before[i])
            continue;
        const auto diff =
            std::mismatch(before[i].begin(), before[i].end(), after[i].begin(), after[i].end());
        edits[i] = {int(diff.first - before[i].begin()), int(after[i].size() - before[i].size())};
        replaceLine(editor, range.first + int(i), after[i]);
    }
    const auto moved = [&](int line, int index) {
        const qsizetype i = line - range.first;
        if (i >= 0 && i < edits.size() && edits[i].second != 0 && index > edits[i].first)
            return index + edits[i].second;
        return index;
    };
    const int startIndex = moved(s.startLine, s.startIndex);
    const int endIndex = moved(s.endLine, s.endIndex);
    if (!s.any)
        editor->setCursorPosition(s.startLine, startIndex);
    else if (caretAtStart)
        editor->setSelection(s.endLine, endIndex, s.startLine, startIndex);
    else
        editor->setSelection(s.startLine, startIndex, s.endLine, endIndex);
    editor->endUndoAction();
}

void goToLine(QsciScintilla *editor, int typedLine)
{
    int line = 0;
    int index = 0;
    editor->getCursorPosition(&line, &index);
    const int target = EditCommands::goToLineIndex(typedLine, editor->lines());
    const int length = int(lineBytes(editor, target).size());
    editor->setCursorPosition(target, std::min(index, length));
    editor->ensureLineVisible(target);
}

EditorSearchTarget::EditorSearchTarget(QsciScintilla *editor)
    : m_editor(editor)
{
}

QByteArray EditorSearchTarget::text() const
{
    return CalcCharset::encode(m_editor->text());
}

TextSearch::Range EditorSearchTarget::selection() const
{
    const long start = m_editor->SendScintilla(QsciScintilla::SCI_GETSELECTIONSTART);
    const long end = m_editor->SendScintilla(QsciScintilla::SCI_GETSELECTIONEND);
    const qsizetype startOffset = offsetOf(start);
    return {startOffset, offsetOf(end) - startOffset};
}

void EditorSearchTarget::select(TextSearch::Range range, bool caretAtStart)
{
    const long start = positionOf(range.start);
    const long end = positionOf(range.end());
    if (caretAtStart)
        m_editor->SendScintilla(QsciScintilla::SCI_SETSEL, end, start);
    else
        m_editor->SendScintilla(QsciScintilla::SCI_SETSEL, start, end);
}

void EditorSearchTarget::replace(TextSearch::Range range, const QByteArray &with)
{
    const long start = positionOf(range.start);
    const long end = positionOf(range.end());
    const QByteArray utf8 = CalcCharset::decode(with).toUtf8();
    m_editor->SendScintilla(QsciScintilla::SCI_SETTARGETSTART, start);
    m_editor->SendScintilla(QsciScintilla::SCI_SETTARGETEND, end);
    m_editor->SendScintilla(QsciScintilla::SCI_REPLACETARGET, ulong(utf8.size()), utf8.constData());
    const long after = start + long(utf8.size());
    m_editor->SendScintilla(QsciScintilla::SCI_SETSEL, after, after);
    // Everything before the replaced text keeps its position.
    m_anchorOffset = range.start;
    m_anchorPosition = start;
}

QPoint EditorSearchTarget::screenPosition(qsizetype offset) const
{
    const long position = positionOf(offset);
    const int x =
        int(m_editor->SendScintilla(QsciScintilla::SCI_POINTXFROMPOSITION, 0ul, position));
    const int y =
        int(m_editor->SendScintilla(QsciScintilla::SCI_POINTYFROMPOSITION, 0ul, position));
    return m_editor->viewport()->mapToGlobal(QPoint(x, y));
}

int EditorSearchTarget::lineHeight(qsizetype offset) const
{
    const long line =
        m_editor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, positionOf(offset));
    return int(m_editor->SendScintilla(QsciScintilla::SCI_TEXTHEIGHT, line));
}

long EditorSearchTarget::positionOf(qsizetype offset) const
{
    if (offset <= 0) {
        m_anchorOffset = 0;
        m_anchorPosition = 0;
        return 0;
    }
    long position = m_editor->SendScintilla(QsciScintilla::SCI_POSITIONRELATIVE,
                                            ulong(m_anchorPosition),
                                            long(offset - m_anchorOffset));
    if (position == 0) // past the end of the text
        position = m_editor->SendScintilla(QsciScintilla::SCI_GETLENGTH);
    m_anchorOffset = offset;
    m_anchorPosition = position;
    return position;
}

qsizetype EditorSearchTarget::offsetOf(long position) const
{
    qsizetype offset = 0;
    if (position >= m_anchorPosition)
        offset = m_anchorOffset + m_editor->SendScintilla(QsciScintilla::SCI_COUNTCHARACTERS,
                                                          ulong(m_anchorPosition),
                                                          position);
    else
        offset = m_anchorOffset - m_editor->SendScintilla(QsciScintilla::SCI_COUNTCHARACTERS,
                                                          ulong(position),
                                                          m_anchorPosition);
    m_anchorOffset = offset;
    m_anchorPosition = position;
    return offset;
}

} // namespace EditorOperations
