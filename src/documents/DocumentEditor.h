#pragma once

#include "documents/DocumentText.h"

#include <Qsci/qsciscintilla.h>

#include <QByteArray>
#include <QImage>
#include <QPointer>

#include <QMenu>
struct EditorSettings;

// The editor of one document: a QScintilla widget holding the editor policy
// (settings, gutter, markers, drop handling, the calculator character set).
//
// The text is kept as the calculator's bytes, shown through CalcCharset's
// one-to-one table (the widget itself runs in UTF-8). Characters that have
// no calculator byte never enter the text: they are left out of what is typed
// or pasted and charactersRefused() tells which. "x" followed by a combining
// macron is taken as the calculator's x-bar. Text that the program itself
// inserts (templates, generated code) is calculator text already.
//
// Seams for other parts of the editor:
// - the UserRPL highlighter is set with QsciScintilla::setLexer() on each
//   editor (one lexer object per editor; they share the scanner);
// - the breakpoint is shown with setBreakpointLine(); gutterClicked() reports
//   clicks in the gutter.
class DocumentEditor : public QsciScintilla
{
    Q_OBJECT
public:
    static constexpr int BreakpointMarker = 1;     // symbol in the gutter
    static constexpr int BreakpointLineMarker = 2; // colour of the whole line
    static constexpr int BreakpointTextIndicator = 8; // its text colour
    static constexpr int HelpContext = 6960;

    explicit DocumentEditor(QWidget *parent = nullptr);

    // The editor properties that come from the settings; called when the
    // document opens and again when the editor options are confirmed.
    void applySettings(const EditorSettings &settings);

    void setLineNumbersVisible(bool visible);
    bool lineNumbersVisible() const { return m_lineNumbers; }

    // Loads a document's bytes and remembers its line end (DocumentText).
    void setDocumentBytes(const QByteArray &bytes);
    // The text as calculator bytes, line ends as they are in the editor.
    QByteArray documentBytes() const;
    // The bytes to write to the document's file.
    QByteArray bytesForSave(bool lfOnly) const;
    // Lines joined with CR LF, for the transfer-header and directive tests.
    QByteArray textWithCrLf() const;
    DocumentText::LineEnd lineEnd() const { return m_lineEnd; }
    void setLineEnd(DocumentText::LineEnd lineEnd);

    bool isDocumentEmpty() const;
    void clearUndoHistory();

    bool isInsertMode() const;
    void setInsertMode(bool insert);
    int caretLine() const;   // 1-based
    int caretColumn() const; // 1-based, in calculator characters

    // -1 removes the breakpoint mark.
    void setBreakpointLine(int line);
    int breakpointLine() const { return m_breakpointLine; }

    // The window's shortcuts come first: every binding of the widget's own key
    // map on one of these keys goes (QScintilla claims its bound keys before
    // the window's shortcuts would see them, Ctrl+L cut the line).
    void releaseKeys(const QList<QKeySequence> &keys);

    // The menu shown on a right click (the document popup menu).
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }

signals:
    // Caret, selection, modification or insert mode changed.
    void statusChanged();
    void filesDropped(const QStringList &paths);
    void charactersRefused(const QString &characters);
    // A gutter click (0-based line), reported after the caret is put there.
    void gutterClicked(int line);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    // Pasted and dropped text enters through here.
    QByteArray fromMimeData(const QMimeData *source, bool &rectangular) const override;

private:
    void onModified(int position, int type);
    // text with x + combining macron as x-bar and without the characters that
    // have no calculator byte (reported with charactersRefused).
    QString calculatorText(const QString &text);
    void onCursorMoved(int line, int index);
    bool smartTab();
    void trimTrailingBlanks(int line);
    void updateGutter();
    void showBreakpoint();
    static QImage breakpointGlyph();
    static QStringList localFiles(const QMimeData *mime);
    // True when the drag was answered here (files, or refused text moves).
    bool takeDrag(QDragMoveEvent *event);

    QPointer<QMenu> m_contextMenu;
    DocumentText::LineEnd m_lineEnd = DocumentText::LineEnd::CrLf;
    bool m_lineNumbers = false;
    bool m_gutterVisible = true;
    int m_gutterSize = 30;
    bool m_smartTabs = true;
    bool m_hideSelection = false;
    bool m_trimTrailing = false;
    bool m_dragDrop = true;
    int m_breakpointLine = -1;
    bool m_showingBreakpoint = false;
    int m_caretLine = 0;
    bool m_caretLineEdited = false;
    bool m_trimming = false;
    bool m_insertMode = true;
};
