#pragma once

#include "highlight/CalcTextMap.h"

#include <QFont>
#include <QPointer>
#include <Qsci/qscilexercustom.h>

class TSynQuorvaneSyn;

// Plugs the UserRPL scanner into one editor widget. Each editor needs its own
// lexer (a QScintilla lexer serves one editor), while all of them share the
// one TSynQuorvaneSyn with its colours and word lists.
//
// Styles are the scanner's kind numbers. The range the scanner leaves at the
// end of a line is kept as the widget's line state of that line, so that a
// string opened on one line colours the next ones. After an edit only the
// edited lines are scanned again, and the lines below them only as far as the
// range they start with has changed: typing in the middle of a long file
// rescans one line.
class QuorvaneLexer : public QsciLexerCustom
{
    Q_OBJECT

public:
    explicit QuorvaneLexer(TSynQuorvaneSyn *highlighter, QObject *parent = nullptr);

    TSynQuorvaneSyn *highlighter() const { return m_syn; }

    const char *language() const override;
    QString description(int style) const override;
    QColor color(int style) const override;
    QColor paper(int style) const override;
    QFont font(int style) const override;
    bool eolFill(int style) const override;

    // The editor font; the styles add bold, italic, underline and strike-out.
    void setBaseFont(const QFont &font);
    QFont baseFont() const { return m_font; }
    void setFont(const QFont &font, int style = -1) override;

    void setEditor(QsciScintilla *editor) override;
    void styleText(int start, int end) override;

    // Throws away every style and range; the widget scans again what it
    // shows, and the rest when it is shown.
    void restyleAll();

    // Lines scanned since the lexer was made or the count was reset; the
    // benchmark and the tests read it.
    qint64 linesScanned() const { return m_linesScanned; }
    void resetLinesScanned() { m_linesScanned = 0; }

    // The colours used for an attribute with no colour or "automatic".
    static QColor defaultForeground() { return Qt::black; }
    static QColor defaultBackground() { return Qt::white; }

private:
    void onAttributeChanged(int kind);
    void onModified(int position,
                    int type,
                    const char *text,
                    int length,
                    int linesAdded,
                    int line,
                    int foldNow,
                    int foldPrev,
                    int token,
                    int annotationLines);
    void flushStyles();

    QPointer<TSynQuorvaneSyn> m_syn;
    QFont m_font;
    CalcTextMap m_map;
    QByteArray m_styles; // styles waiting to be handed to the widget in one batch

    // Text before m_styledTo carries valid styles and line states, except the
    // span [m_dirtyStart, m_dirtyEnd] that changed since it was styled. When an
    // edit there added or removed lines, the line state of the line holding
    // its end may belong to text that is gone, so it is not trusted.
    int m_styledTo = 0;
    int m_dirtyStart = -1;
    int m_dirtyEnd = -1;
    bool m_dirtyLines = false;
    qint64 m_linesScanned = 0;
};

// Gives editor its own lexer over the shared highlighter, or takes it away
// when highlighter is nullptr (the editor then shows plain text). The lexer
// takes the editor's current font, so call this after setting the font.
void SetEditorHighlighter(QsciScintilla *editor, TSynQuorvaneSyn *highlighter);
