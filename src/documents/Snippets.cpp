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
        {"InsertProgram", "Programa", "MenuInsertProgram",
         "Programa|Inserta un programa; lo seleccionado pasa a ser su cuerpo", "« »",
         start + CRLF + "%s|" + CRLF + end},
        {"InsertSubprogram", "Programa con argumentos", "MenuInsertSubprogram",
         "Programa con argumentos|Inserta un programa que toma sus argumentos en variables locales",
         "« → »",
         start + CRLF + "  " + arrow + " |" + CRLF + "  " + start + CRLF + "%s" + CRLF + "  "
             + end + CRLF + end},
        {"InsertString", "Cadena de caracteres", "MenuInsertString",
         "Cadena|Inserta una cadena de caracteres", "\" \"", "\"%s|\""},
        {"InsertEquation", "Objeto algebraico", "MenuInsertEquation",
         "Algebraico|Inserta un objeto algebraico entre apóstrofos", "' '", "'%s|'"},
        {"InsertEquation50", "Objeto algebraico HP50", "MenuInsertEquation50",
         "Algebraico HP50|Inserta un objeto algebraico entre acentos graves (HP 50)", "` `",
         "`%s|`"},
        {"InsertList", "Listas", "MenuInsertList",
         "Lista|Inserta una lista; lo seleccionado pasa a ser su contenido", "{ }", "{ %s| }"},
        {"InsertArray", "Matriz", "MenuInsertMatrix",
         "Matriz|Inserta un vector o una matriz", "[ ]", "[ | ]"},
        {"InsertComplex", "Número complejo", "MenuInsertComplex",
         "Complejo|Inserta un número complejo en forma rectangular", "( , )", "(|,)"},
        {"InsertComplexPolar", "Número complejo polar", "MenuInsertComplexPolar",
         "Complejo polar|Inserta un número complejo en forma polar", "( ∠ )",
         "(|," + byte(AngleSign) + ")"},
        {"InsertDirectory", "Directorio", "MenuInsertDirectory",
         "Directorio|Inserta un directorio", "DIR", "DIR" + CRLF + "  |" + CRLF + "END"},
        {"InsertLibrary", "Librería", "MenuInsertLibrary",
         "Librería|Inserta la plantilla de una librería", "LIB", libraryTemplate()},
        {"InsertLocal", "", "MenuInsertLocal",
         "Variables locales|Inserta la flecha que declara variables locales", "→", arrow},
        {"InsertPublic", "←", "MenuInsertPublic",
         "Variable compilada|Inserta la flecha de una variable local compilada", "←",
         byte(LeftArrow) + "|"},
        {"InsertStoAlg", "▶", "MenuInsertStoAlg",
         "Guardar en algebraico|Inserta el triángulo que guarda un valor en un algebraico", "▶",
         byte(StoreTriangle)},
        {"InsertStoRpl", "STO", "MenuInsertStoRpl",
         "STO|Guarda un objeto en una variable", "STO", "STO"},
        {"InsertstoPlus", "STO+", "MenuInsertStoPlus",
         "STO+|Suma un valor al contenido de una variable", "STO+", "STO+"},
        {"InsertStoMinus", "STO-", "MenuInsertStoMinus",
         "STO-|Resta un valor del contenido de una variable", "STO-", "STO-"},
        {"InsertIf", "IF...THEN...END", "MenuInsertIf",
         "IF|Inserta una estructura IF...THEN...END", "IF",
         "IF |" + CRLF + "THEN" + CRLF + CRLF + "END"},
        {"InsertIfte", "IF...THEN...ELSE...END", "MenuInsertIfElse",
         "IF ELSE|Inserta una estructura IF...THEN...ELSE...END", "IF ELSE",
         "IF |" + CRLF + "THEN" + CRLF + CRLF + "ELSE" + CRLF + CRLF + "END"},
        {"InsertIfIFT", "IFT", "MenuInsertIfIFT",
         "IFT|Inserta el comando IFT", "IFT", "| IFT"},
        {"InsertIfIFTE", "IFTE", "MenuInsertIfIFTE",
         "IFTE|Inserta el comando IFTE", "IFTE", "| IFTE"},
        {"InsertIfErr", "IFERR...THEN...END", "MenuInsertIfErr",
         "IFERR|Inserta una estructura IFERR...THEN...END", "IFERR",
         "IFERR" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "END"},
        {"InsertIfErrte", "IFERR...THEN...ELSE...END", "MenuInsertIfErrElse",
         "IFERR ELSE|Inserta una estructura IFERR...THEN...ELSE...END", "IFERR",
         "IFERR" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "ELSE" + CRLF + CRLF + "END"},
        {"InsertCase", "CASE...THEN...END..END", "MenuInsertCase",
         "CASE|Inserta una estructura CASE con dos casos", "CASE",
         "CASE" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "END" + CRLF + CRLF + "THEN"
             + CRLF + CRLF + "END" + CRLF + CRLF + "END"},
        {"InsertCaseT", "THEN...END", "MenuInsertCaseThen",
         "THEN|Inserta un caso THEN...END dentro de un CASE", "THEN",
         "THEN" + CRLF + "  |" + CRLF + "END"},
        {"InsertStart", "START...NEXT", "MenuInsertStart",
         "START|Inserta un bucle START...NEXT", "START",
         "|" + CRLF + "START" + CRLF + CRLF + "NEXT"},
        {"InsertStartStep", "START...STEP", "MenuInsertStartStep",
         "START STEP|Inserta un bucle START...STEP", "START STEP",
         "|" + CRLF + "START" + CRLF + CRLF + "STEP"},
        {"InsertFor", "FOR...NEXT", "MenuInsertFor",
         "FOR|Inserta un bucle FOR...NEXT", "FOR",
         "|" + CRLF + "FOR" + CRLF + CRLF + "NEXT"},
        {"InsertForStep", "FOR...STEP", "MenuInsertForStep",
         "FOR STEP|Inserta un bucle FOR...STEP", "FOR STEP",
         "|" + CRLF + "FOR" + CRLF + CRLF + "STEP"},
        {"InsertDo", "DO...UNTIL...END", "MenuInsertDo",
         "DO|Inserta un bucle DO...UNTIL...END", "DO",
         "DO" + CRLF + "  |" + CRLF + "UNTIL" + CRLF + "END"},
        {"InsertDoErr", "DOERR", "MenuInsertDoErr",
         "DOERR|Inserta el comando DOERR", "DOERR", "DOERR |"},
        {"InsertWhile", "WHILE...REPEAT...END", "MenuInsertWhile",
         "WHILE|Inserta un bucle WHILE...REPEAT...END", "WHILE",
         "WHILE |" + CRLF + "REPEAT" + CRLF + CRLF + "END"},
    };
    // clang-format on
}

QList<NewDocumentCommand> buildNewDocumentCommands()
{
    const QByteArray name = "@ %NAME%=" + CRLF + CRLF + "|";
    const QByteArray nameAndDir = "@ %NAME%=" + CRLF + "@ %DIR%=" + CRLF + CRLF + "|";
    return {
        {"FileNew", "Otro objeto", "MenuFileNewOther", {}, ""},
        {"FileNewDirectory", "Directorio", "MenuFileNewDirectory", name, "InsertDirectory"},
        {"FileNewProgram", "Programa", "MenuFileNewProgram", nameAndDir, "InsertSubprogram"},
        {"FileNewLibrary", "Librería", "MenuFileNewLibrary", {}, "InsertLibrary"},
        {"FileNewArray", "Arreglo", "MenuFileNewArray", nameAndDir, "ToolsMatrixWriter"},
        {"FileNewGrob", "Gráfico", "MenuFileNewGrob", nameAndDir, "ToolsPicture"},
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

const QList<MenuGroup> &insertMenuLayout()
{
    static const QList<MenuGroup> layout = {
        {nullptr,
         {"InsertProgram",
          "InsertSubprogram",
          "InsertString",
          "InsertEquation",
          "InsertEquation50",
          "InsertList",
          "InsertArray",
          "InsertComplex",
          "InsertComplexPolar",
          "InsertDirectory",
          "InsertLibrary"}},
        {"IF", {"InsertIf", "InsertIfte", "InsertIfIFT", "InsertIfIFTE"}},
        {"CASE", {"InsertCase", "InsertCaseT"}},
        {"START", {"InsertStart", "InsertStartStep"}},
        {"FOR", {"InsertFor", "InsertForStep"}},
        {"WHILE", {"InsertWhile"}},
        {"DO", {"InsertDo", "InsertDoErr"}},
        {"IFERR", {"InsertIfErr", "InsertIfErrte"}},
    };
    return layout;
}

const QList<ToolBarButton> &insertToolBarLayout()
{
    static const QList<ToolBarButton> layout = {
        {"InsertProgram", {}},
        {"InsertSubprogram", {}},
        {"InsertString", {}},
        {"InsertEquation", {"InsertEquation", "InsertEquation50"}},
        {"InsertList", {}},
        {"InsertArray", {}},
        {"InsertComplex", {"InsertComplex", "InsertComplexPolar"}},
        {"InsertDirectory", {"InsertDirectory", "InsertLibrary"}},
        {"InsertLocal",
         {"InsertPublic", "InsertStoAlg", "InsertStoRpl", "InsertstoPlus", "InsertStoMinus"}},
        {"InsertIf", {"InsertIf", "InsertIfte", "InsertIfIFT", "InsertIfIFTE"}},
        {"InsertCase", {"InsertCase", "InsertCaseT"}},
        {"InsertStart", {"InsertStart", "InsertStartStep"}},
        {"InsertFor", {"InsertFor", "InsertForStep"}},
        {"InsertWhile", {"InsertWhile"}},
        {"InsertDo", {"InsertDo", "InsertDoErr"}},
        {"InsertIfErrte", {"InsertIfErr", "InsertIfErrte"}},
    };
    return layout;
}

const QList<const char *> &insertToolBarTools()
{
    static const QList<const char *> tools = {"ToolsProgram",
                                              "ToolsMatrixWriter",
                                              "ToolsPicture",
                                              "ToolsInput",
                                              "ToolsChoose",
                                              "ToolsInform"};
    return tools;
}

} // namespace Snippets
