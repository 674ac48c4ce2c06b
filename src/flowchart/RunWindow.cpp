#include "flowchart/RunWindow.h"

#include <QFontDatabase>
#include <QScrollBar>

const QColor RunWindowHighlighter::Comment{0xFF, 0x00, 0x00};
const QColor RunWindowHighlighter::Keyword{0x00, 0x00, 0x80};
const QColor RunWindowHighlighter::Number{0x00, 0x80, 0x00};
const QColor RunWindowHighlighter::String{0x00, 0x00, 0xFF};
const QColor RunWindowHighlighter::Symbol{0x80, 0x00, 0x80};

namespace {

bool isKeyword(const QString &word)
{
    static const QStringList words = {"BEGIN", "END", "FALSE", "FALSO", "FIN", "INICIO", "NO",
                                      "NOT", "SI", "TRUE", "VERDADERO", "YES"};
    return words.contains(word.toUpper());
}

bool isNumber(const QString &word)
{
    bool ok = false;
    QString w = word;
    w.replace(',', '.');
    w.toDouble(&ok);
    return ok && (word[0].isDigit() || ((word[0] == '-' || word[0] == '+' || word[0] == '.') && word.size() > 1));
}

bool isSymbols(const QString &word)
{
    for (QChar c : word)
        if (c.isLetterOrNumber() || c == '_')
            return false;
    return true;
}

} // namespace

RunWindowHighlighter::RunWindowHighlighter(QTextDocument *document)
    : QSyntaxHighlighter(document)
{
}

void RunWindowHighlighter::highlightBlock(const QString &text)
{
    // State 1: inside a brace comment carried from the line before, 2: inside
    // a "(* *)" one.
    int state = previousBlockState() > 0 ? previousBlockState() : 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (state == 1 || state == 2) {
            const qsizetype end = state == 1 ? text.indexOf('}', i) : text.indexOf(QLatin1String("*)"), i);
            const qsizetype stop = end < 0 ? n : end + (state == 1 ? 1 : 2);
            setFormat(int(i), int(stop - i), Comment);
            i = stop;
            if (end >= 0)
                state = 0;
            continue;
        }
        const QChar c = text[i];
        if (c == ' ' || !c.isPrint()) {
            ++i;
            continue;
        }
        if (c == '{') {
            state = 1;
            continue;
        }
        if (c == '(' && i + 1 < n && text[i + 1] == '*') {
            state = 2;
            continue;
        }
        if (c == '"' || c == '\'') {
            const qsizetype end = text.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end + 1;
            setFormat(int(i), int(stop - i), String);
            i = stop;
            continue;
        }
        qsizetype j = i;
        while (j < n && text[j] != ' ' && text[j].isPrint())
            ++j;
        const QString word = text.mid(i, j - i);
        if (isNumber(word))
            setFormat(int(i), int(j - i), Number);
        else if (isKeyword(word))
            setFormat(int(i), int(j - i), Keyword);
        else if (isSymbols(word))
            setFormat(int(i), int(j - i), Symbol);
        i = j;
    }
    setCurrentBlockState(state);
}

RunWindowView::RunWindowView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByKeyboard);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setCursorWidth(fontMetrics().horizontalAdvance('M'));
    new RunWindowHighlighter(document());
}

void RunWindowView::AddLine(const QString &line)
{
    appendPlainText(line);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
