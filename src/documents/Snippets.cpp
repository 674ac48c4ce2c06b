#include "documents/Snippets.h"

#include <algorithm>

namespace Snippets {

namespace {

const QByteArray CRLF = QByteArrayLiteral("\r\n");

QByteArray byte(char c)
{
    return QByteArray(1, c);
}

// Offsets at which the lines of `text` begin. CR LF, LF and a lone CR each end
// a line, as in the documents themselves.
QList<qsizetype> lineStarts(QByteArrayView text)
{
    QList<qsizetype> starts{0};
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            starts.append(i + 1);
        } else if (text[i] == '\n') {
            starts.append(i + 1);
        }
    }
    return starts;
}

// Index of the line of `starts` that holds offset `pos`.
int lineOf(const QList<qsizetype> &starts, qsizetype pos)
{
    auto it = std::upper_bound(starts.begin(), starts.end(), pos);
    return int(it - starts.begin()) - 1;
}

} // namespace

Insertion prepare(QByteArrayView snippet, const Target &target)
{
    // The selection goes in place of the first "%s"; the caret marker is the
    // first "|" of the snippet's own text, never one the user had selected.
    QByteArray before = snippet.toByteArray();
    QByteArray selection;
    QByteArray after;
    const qsizetype selectionAt = snippet.indexOf(SelectionMarker);
    if (selectionAt >= 0) {
        before = snippet.first(selectionAt).toByteArray();
        selection = target.selectedText;
        after = snippet.sliced(selectionAt + SelectionMarker.size()).toByteArray();
    }
    qsizetype marker = before.indexOf(CaretMarker);
    if (marker >= 0) {
        before.remove(marker, 1);
    } else if (selectionAt >= 0) {
        const qsizetype inAfter = after.indexOf(CaretMarker);
        if (inAfter >= 0) {
            after.remove(inAfter, 1);
            marker = before.size() + selection.size() + inAfter;
        }
    }
    const QByteArray text = before + selection + after;
    const QList<qsizetype> starts = lineStarts(text);
    const bool multiLine = starts.size() > 1;

    int markerLine = 0;
    int markerColumn = 0;
    if (marker >= 0) {
        markerLine = lineOf(starts, marker);
        markerColumn = int(marker - starts[markerLine]);
    }

    // The line as it reads once the selection is gone, and where the snippet
    // would start in it.
    const int column = std::clamp(target.startColumn, 0, int(target.startLineText.size()));
    const QByteArray rest =
        target.startLineText.left(column) + target.endLineText.mid(std::max(0, target.endColumn));

    QByteArray prefix;
    QByteArray suffix;
    if (column != 0 && !rest.isEmpty()) {
        if (multiLine) {
            prefix = CRLF;
        } else {
            const char left = rest[column - 1];
            if (left != ' ' && left != '\0') {
                prefix = " ";
                ++markerColumn;
            }
        }
    }
    if (column != rest.size() && !rest.isEmpty()) {
        if (multiLine)
            suffix = CRLF;
        else if (rest[column] != ' ')
            suffix = " ";
    }

    Insertion result;
    result.text = prefix + text + suffix;
    result.hadCaretMarker = marker >= 0;
    if (result.hadCaretMarker) {
        result.caretLine = target.startLine + markerLine + (prefix == CRLF ? 1 : 0);
        result.caretColumn = markerColumn + (multiLine ? 0 : column);
    } else {
        // Without a marker the caret ends after everything inserted.
        const QList<qsizetype> all = lineStarts(result.text);
        result.caretLine = target.startLine + int(all.size()) - 1;
        result.caretColumn = int(result.text.size() - all.last()) + (all.size() == 1 ? column : 0);
    }
    return result;
}

QByteArray newDocumentHeader()
{
    return "%%HP: T(0)A(D)F(.);" + CRLF + "@ Argumentos:" + CRLF + "@ Author:" + CRLF +
           "@ E-mail:" + CRLF + "@ Version:" + CRLF + "@ Created using HPQuorvane 5 [" +
           WebAddress.toByteArray() + "]" + CRLF + CRLF + "|";
}

namespace {

// The library template, line by line. Blanks are significant: the comments
// line up in one column on the calculator's screen and on the PC.
QByteArray libraryTemplate()
{
    const QByteArray start = byte(ProgramStart);
    const QByteArray end = byte(ProgramEnd);
    const QList<QByteArray> lines = {
        "DIR",
        "  |identifier1",
        "    obj1",
        "",
        "  identifier2",
        "    obj2",
        "",
        "  identifierN",
        "    objN",
        "",
        "  $CONFIG",
        "    " + start + " ATTACH " + end + "               @ " + start + " #integer ATTACH " +
            end + "         @",
        "",
        "  $HIDDEN",
        "    { }                      @ { hidden identifiers ...  } @",
        "",
        "  $VISIBLE",
        "    { }                      @ { visible identifiers ... } @",
        "",
        "  $ROMID",
        "    1000                     @ #integer",
        "",
        "  $TITLE",
        "    \"",
        "     Author:",
        "     Calc:",
        "     Version:\"               @ \"Library Title\"             @",
        "END",
        "",
        "HOME 'dirTemp' PGDIR",
        "'dirTemp' STO",
        "dirTemp CRLIB",
    };
    return lines.join(CRLF);
}

QList<InsertCommand> buildInsertCommands()
{
    const QByteArray start = byte(ProgramStart);
    const QByteArray end = byte(ProgramEnd);
    const QByteArray arrow = byte(RightArrow);
    // clang-format off
    return {
        {"InsertProgram", start + CRLF + "%s|" + CRLF + end},
        {"InsertSubprogram", start + CRLF + "  " + arrow + " |" + CRLF + "  " + start + CRLF + "%s" + CRLF + "  " + end + CRLF + end},
        {"InsertString", "\"%s|\""},
        {"InsertEquation", "'%s|'"},
        {"InsertEquation50", "`%s|`"},
        {"InsertList", "{ %s| }"},
        {"InsertArray", "[ | ]"},
        {"InsertComplex", "(|,)"},
        {"InsertComplexPolar", "(|," + byte(AngleSign) + ")"},
        {"InsertDirectory", "DIR" + CRLF + "  |" + CRLF + "END"},
        {"InsertLibrary", libraryTemplate()},
        {"InsertLocal", arrow},
        {"InsertPublic", byte(LeftArrow) + "|"},
        {"InsertStoAlg", byte(StoreTriangle)},
        {"InsertStoRpl", "STO"},
        {"InsertstoPlus", "STO+"},
        {"InsertStoMinus", "STO-"},
        {"InsertIf", "IF |" + CRLF + "THEN" + CRLF + CRLF + "END"},
        {"InsertIfte", "IF |" + CRLF + "THEN" + CRLF + CRLF + "ELSE" + CRLF + CRLF + "END"},
        {"InsertIfIFT", "| IFT"},
        {"InsertIfIFTE", "| IFTE"},
        {"InsertIfErr", "IFERR" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "END"},
        {"InsertIfErrte", "IFERR" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "ELSE" + CRLF + CRLF + "END"},
        {"InsertCase", "CASE" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "END" + CRLF + CRLF + "THEN" + CRLF + CRLF + "END" + CRLF + CRLF + "END"},
        {"InsertCaseT", "THEN" + CRLF + "  |" + CRLF + "END"},
        {"InsertStart", "|" + CRLF + "START" + CRLF + CRLF + "NEXT"},
        {"InsertStartStep", "|" + CRLF + "START" + CRLF + CRLF + "STEP"},
        {"InsertFor", "|" + CRLF + "FOR" + CRLF + CRLF + "NEXT"},
        {"InsertForStep", "|" + CRLF + "FOR" + CRLF + CRLF + "STEP"},
        {"InsertDo", "DO" + CRLF + "  |" + CRLF + "UNTIL" + CRLF + "END"},
        {"InsertDoErr", "DOERR |"},
        {"InsertWhile", "WHILE |" + CRLF + "REPEAT" + CRLF + CRLF + "END"},
    };
    // clang-format on
}

QList<NewDocumentCommand> buildNewDocumentCommands()
{
    const QByteArray name = "@ %NAME%=" + CRLF + CRLF + "|";
    const QByteArray nameAndDir = "@ %NAME%=" + CRLF + "@ %DIR%=" + CRLF + CRLF + "|";
    return {
        {"FileNew", {}, ""},
        {"FileNewDirectory", name, "InsertDirectory"},
        {"FileNewProgram", nameAndDir, "InsertSubprogram"},
        {"FileNewLibrary", {}, "InsertLibrary"},
        {"FileNewArray", nameAndDir, "ToolsMatrixWriter"},
        {"FileNewGrob", nameAndDir, "ToolsPicture"},
    };
}

} // namespace

const QList<InsertCommand> &insertCommands()
{
    static const QList<InsertCommand> commands = buildInsertCommands();
    return commands;
}

const InsertCommand *findInsertCommand(QByteArrayView action)
{
    for (const InsertCommand &command : insertCommands()) {
        if (action == command.action)
            return &command;
    }
    return nullptr;
}

const QList<NewDocumentCommand> &newDocumentCommands()
{
    static const QList<NewDocumentCommand> commands = buildNewDocumentCommands();
    return commands;
}

const NewDocumentCommand *findNewDocumentCommand(QByteArrayView action)
{
    for (const NewDocumentCommand &command : newDocumentCommands()) {
        if (action == command.action)
            return &command;
    }
    return nullptr;
}

} // namespace Snippets
