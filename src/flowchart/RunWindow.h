#pragma once

#include <QPlainTextEdit>
#include <QSyntaxHighlighter>

// The colours of the run window: a comment between braces or "(*" and "*)"
// red (run errors are written in braces), the words of the terminators and of
// truth navy (BEGIN, END, FALSE, FALSO, FIN, INICIO, NO, NOT, SI, TRUE,
// VERDADERO, YES), numbers green, quoted text blue and words made only of
// symbols (">>", "<<", "=") purple. A word is a run of printable characters
// other than the space.
class RunWindowHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    static const QColor Comment, Keyword, Number, String, Symbol;

    explicit RunWindowHighlighter(QTextDocument *document);

protected:
    void highlightBlock(const QString &text) override;
};

// The run window: read-only, a fixed font, no wrapping, the caret a block.
class RunWindowView : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit RunWindowView(QWidget *parent = nullptr);
    void AddLine(const QString &line);
};
