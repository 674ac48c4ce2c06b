#include "documents/Snippets.h"

#include <QtTest>

namespace {

// A document written with its caret as "^", or with its selection between
// "<" and ">"; lines end with CR LF.
struct MarkedDocument
{
    QByteArray text;
    qsizetype start = 0;
    qsizetype end = 0;
};

MarkedDocument parse(QByteArray marked)
{
    MarkedDocument doc;
    if (const qsizetype caret = marked.indexOf('^'); caret >= 0) {
        marked.remove(caret, 1);
        doc.start = doc.end = caret;
    } else {
        doc.start = marked.indexOf('<');
        marked.remove(doc.start, 1);
        doc.end = marked.indexOf('>');
        marked.remove(doc.end, 1);
    }
    doc.text = marked;
    return doc;
}

// The text of every line, without line ends.
QList<QByteArray> linesOf(const QByteArray &text)
{
    QList<QByteArray> lines;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

// 0-based line and column of an offset.
QPair<int, int> lineColumn(const QByteArray &text, qsizetype offset)
{
    const QByteArray before = text.left(offset);
    const int line = int(before.count('\n'));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return {line, int(offset - lineStart)};
}

qsizetype offsetOf(const QByteArray &text, int line, int column)
{
    qsizetype at = 0;
    for (int i = 0; i < line; ++i)
        at = text.indexOf('\n', at) + 1;
    return at + column;
}

// Inserts `snippet` into a marked document as InsertSnippet does and returns
// the result with its caret marked "^".
QByteArray insertInto(const QByteArray &marked, QByteArrayView snippet)
{
    const MarkedDocument doc = parse(marked);
    const QList<QByteArray> lines = linesOf(doc.text);
    const auto [startLine, startColumn] = lineColumn(doc.text, doc.start);
    const auto [endLine, endColumn] = lineColumn(doc.text, doc.end);

    Snippets::Target target;
    target.startLine = startLine;
    target.startColumn = startColumn;
    target.startLineText = lines[startLine];
    target.endColumn = endColumn;
    target.endLineText = lines[endLine];
    target.selectedText = doc.text.mid(doc.start, doc.end - doc.start);

    const Snippets::Insertion insertion = Snippets::prepare(snippet, target);
    QByteArray result = doc.text;
    result.replace(doc.start, doc.end - doc.start, insertion.text);
    result.insert(offsetOf(result, insertion.caretLine, insertion.caretColumn), '^');
    return result;
}

QByteArray snippetOf(const char *action)
{
    const Snippets::InsertCommand *command = Snippets::findInsertCommand(action);
    return command ? command->text : QByteArray();
}

// A snippet written as pieces joined by " + ": a quoted piece is literal, CRLF
// is a line end and 0xNN one byte; a piece "DQ" is a double quote.
QByteArray pieces(const QByteArray &notation)
{
    const QByteArray &out = notation;
    QByteArray bytes;
    qsizetype i = 0;
    while (i < out.size()) {
        if (out[i] == ' ' || out[i] == '+') {
            ++i;
        } else if (out[i] == '"') {
            const qsizetype close = out.indexOf('"', i + 1);
            bytes += out.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (out.mid(i, 4) == "CRLF") {
            bytes += "\r\n";
            i += 4;
        } else if (out.mid(i, 2) == "DQ") {
            bytes += '"';
            i += 2;
        } else if (out.mid(i, 2) == "0x") {
            bytes += char(out.mid(i + 2, 2).toInt(nullptr, 16));
            i += 4;
        } else {
            qFatal("bad snippet notation at %s", out.mid(i).constData());
        }
    }
    return bytes;
}

} // namespace

class TestSnippets : public QObject
{
    Q_OBJECT

private slots:
    void insertion_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("snippet");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("a selected line becomes the body of a program, caret after the plus")
            << QByteArray("<1 2 +>") << snippetOf("InsertProgram")
            << QByteArray("\xAB\r\n1 2 +^\r\n\xBB");
        QTest::newRow("a list typed right after DUP gets a blank before it and none after")
            << QByteArray("DUP^ DROP") << snippetOf("InsertList") << QByteArray("DUP { ^ } DROP");
        QTest::newRow("IF in the middle of a line gets lines of its own")
            << QByteArray("1 2^ 3") << snippetOf("InsertIf")
            << QByteArray("1 2\r\nIF ^\r\nTHEN\r\n\r\nEND\r\n 3");
        QTest::newRow("STO right after X at the end of a line is set apart by a blank")
            << QByteArray("X^") << snippetOf("InsertStoRpl") << QByteArray("X STO^");
        QTest::newRow("STO after X and a blank gets no second blank")
            << QByteArray("X ^") << snippetOf("InsertStoRpl") << QByteArray("X STO^");
        QTest::newRow("the local arrow between two letters is padded on both sides")
            << QByteArray("a^b") << snippetOf("InsertLocal") << QByteArray("a \x8D ^b");
        QTest::newRow("STO+ without a marker leaves the caret after it")
            << QByteArray("1 'A' ^") << snippetOf("InsertstoPlus") << QByteArray("1 'A' STO+^");
        QTest::newRow("the store triangle leaves the caret after it")
            << QByteArray("'X' ^") << snippetOf("InsertStoAlg") << QByteArray("'X' \x86^");
        QTest::newRow("a bar in the selection is kept and the caret goes to the snippet's marker")
            << QByteArray("<'x|(x=2)'>") << snippetOf("InsertList") << QByteArray("{ 'x|(x=2)'^ }");
        QTest::newRow("a snippet at the start of an empty line goes in unchanged")
            << QByteArray("^") << snippetOf("InsertWhile")
            << QByteArray("WHILE ^\r\nREPEAT\r\n\r\nEND");
        QTest::newRow("a directory at the start of a line pushes the line below it")
            << QByteArray("^DUP") << snippetOf("InsertDirectory")
            << QByteArray("DIR\r\n  ^\r\nEND\r\nDUP");
        QTest::newRow("a loop at the end of a line starts on the next one")
            << QByteArray("10 1^") << snippetOf("InsertStart")
            << QByteArray("10 1\r\n^\r\nSTART\r\n\r\nNEXT");
        QTest::newRow("a selection over two lines makes the string a block of its own")
            << QByteArray("a <b\r\nc> d") << snippetOf("InsertString")
            << QByteArray("a \r\n\"b\r\nc^\"\r\n d");
        QTest::newRow("the local frame takes the selection as its inner program")
            << QByteArray("<DUP *>") << snippetOf("InsertSubprogram")
            << QByteArray("\xAB\r\n  \x8D ^\r\n  \xAB\r\nDUP *\r\n  \xBB\r\n\xBB");
        QTest::newRow("with nothing selected the inner program is an empty line")
            << QByteArray("^") << snippetOf("InsertSubprogram")
            << QByteArray("\xAB\r\n  \x8D ^\r\n  \xAB\r\n\r\n  \xBB\r\n\xBB");
        QTest::newRow("a polar complex puts the caret before the comma")
            << QByteArray("^") << snippetOf("InsertComplexPolar") << QByteArray("(^,\x80)");
        QTest::newRow("an array between two digits is padded on both sides")
            << QByteArray("1^2") << snippetOf("InsertArray") << QByteArray("1 [ ^ ] 2");
        QTest::newRow("IFT after a name leaves the caret between the blanks")
            << QByteArray("x^") << snippetOf("InsertIfIFT") << QByteArray("x ^ IFT");
        QTest::newRow("the public arrow after a blank is not padded")
            << QByteArray("x ^") << snippetOf("InsertPublic") << QByteArray("x \x8E^");
        QTest::newRow("calculator characters count as ordinary neighbours")
            << QByteArray("\xAB^") << snippetOf("InsertEquation") << QByteArray("\xAB '^'");
        QTest::newRow("a line that is all selected loses nothing around it")
            << QByteArray("A\r\n<B>\r\nC") << snippetOf("InsertEquation50")
            << QByteArray("A\r\n`B^`\r\nC");
        QTest::newRow("a zero byte before the caret counts as a separator")
            << QByteArray("a\0^", 3) << snippetOf("InsertStoRpl") << QByteArray("a\0STO^", 6);
    }

    void insertion()
    {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, snippet);
        QFETCH(QByteArray, expected);
        QCOMPARE(insertInto(document, snippet), expected);
    }

    void everyInsertCommandInsertsItsExactBytes_data()
    {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QByteArray>("notation");
        const QList<QPair<const char *, const char *>> rows = {
            {"InsertProgram", R"~(0xAB + CRLF + "%s|" + CRLF + 0xBB)~"},
            {"InsertSubprogram",
             R"~(0xAB + CRLF + "  " + 0x8D + " |" + CRLF + "  " + 0xAB + CRLF + "%s" + CRLF + "  " + 0xBB + CRLF + 0xBB)~"},
            {"InsertString", R"~(DQ + "%s|" + DQ)~"},
            {"InsertEquation", R"~("'%s|'")~"},
            {"InsertEquation50", R"~("`%s|`")~"},
            {"InsertList", R"~("{ %s| }")~"},
            {"InsertArray", R"~("[ | ]")~"},
            {"InsertComplex", R"~("(|,)")~"},
            {"InsertComplexPolar", R"~("(|," + 0x80 + ")")~"},
            {"InsertDirectory", R"~("DIR" + CRLF + "  |" + CRLF + "END")~"},
            {"InsertLocal", R"~(0x8D)~"},
            {"InsertPublic", R"~(0x8E + "|")~"},
            {"InsertStoAlg", R"~(0x86)~"},
            {"InsertStoRpl", R"~("STO")~"},
            {"InsertstoPlus", R"~("STO+")~"},
            {"InsertStoMinus", R"~("STO-")~"},
            {"InsertIf", R"~("IF |" + CRLF + "THEN" + CRLF + CRLF + "END")~"},
            {"InsertIfte",
             R"~("IF |" + CRLF + "THEN" + CRLF + CRLF + "ELSE" + CRLF + CRLF + "END")~"},
            {"InsertIfIFT", R"~("| IFT")~"},
            {"InsertIfIFTE", R"~("| IFTE")~"},
            {"InsertIfErr", R"~("IFERR" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "END")~"},
            {"InsertIfErrte",
             R"~("IFERR" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "ELSE" + CRLF + CRLF + "END")~"},
            {"InsertCase",
             R"~("CASE" + CRLF + "  |" + CRLF + "THEN" + CRLF + CRLF + "END" + CRLF + CRLF + "THEN" + CRLF + CRLF + "END" + CRLF + CRLF + "END")~"},
            {"InsertCaseT", R"~("THEN" + CRLF + "  |" + CRLF + "END")~"},
            {"InsertStart", R"~("|" + CRLF + "START" + CRLF + CRLF + "NEXT")~"},
            {"InsertStartStep", R"~("|" + CRLF + "START" + CRLF + CRLF + "STEP")~"},
            {"InsertFor", R"~("|" + CRLF + "FOR" + CRLF + CRLF + "NEXT")~"},
            {"InsertForStep", R"~("|" + CRLF + "FOR" + CRLF + CRLF + "STEP")~"},
            {"InsertDo", R"~("DO" + CRLF + "  |" + CRLF + "UNTIL" + CRLF + "END")~"},
            {"InsertDoErr", R"~("DOERR |")~"},
            {"InsertWhile", R"~("WHILE |" + CRLF + "REPEAT" + CRLF + CRLF + "END")~"},
        };
        for (const auto &[action, notation] : rows)
            QTest::newRow(action) << QByteArray(action) << QByteArray(notation);
    }

    void everyInsertCommandInsertsItsExactBytes()
    {
        QFETCH(QByteArray, action);
        QFETCH(QByteArray, notation);
        QCOMPARE(snippetOf(action.constData()), pieces(notation));
    }

    void theLibraryTemplateIsByteExact()
    {
        const QByteArray library = snippetOf("InsertLibrary");
        QCOMPARE(library.size(), 528);
        const QList<QByteArray> lines = library.split('\n');
        QCOMPARE(lines.size(), 32);
        for (int i = 0; i < lines.size() - 1; ++i)
            QVERIFY2(lines[i].endsWith('\r'), qPrintable(QString("line %1").arg(i + 1)));
        QVERIFY(!lines.last().endsWith('\r'));
        for (QByteArray line : lines) {
            line.replace('\r', "");
            QVERIFY2(!line.endsWith(' '), line.constData());
        }
        QCOMPARE(library.count('|'), 1);
        QCOMPARE(lines[1], QByteArray("  |identifier1\r"));
        QCOMPARE(lines[11],
                 QByteArray("    \xAB ATTACH \xBB               @ \xAB #integer ATTACH "
                            "\xBB         @\r"));
        QCOMPARE(lines[26],
                 QByteArray("     Version:\"               @ \"Library Title\"      "
                            "       @\r"));
        QCOMPARE(lines[31], QByteArray("dirTemp CRLIB"));
        // All four comment columns line up.
        for (int i : {11, 14, 17, 26})
            QCOMPARE(lines[i].indexOf('@'), 29);
    }

    void aNewProgramIsTheHeaderTheDirectivesAndTheLocalFrame()
    {
        const Snippets::NewDocumentCommand *program =
            Snippets::findNewDocumentCommand("FileNewProgram");
        QVERIFY(program);
        QByteArray doc = insertInto("^", Snippets::newDocumentHeader());
        doc = insertInto(doc, program->directives);
        doc = insertInto(doc, snippetOf(program->followUp));
        QCOMPARE(doc,
                 QByteArray("%%HP: T(0)A(D)F(.);\r\n"
                            "@ Argumentos:\r\n"
                            "@ Author:\r\n"
                            "@ E-mail:\r\n"
                            "@ Version:\r\n"
                            "@ Created using HPQuorvane 5 [https://quorvane.org]\r\n"
                            "\r\n"
                            "@ %NAME%=\r\n"
                            "@ %DIR%=\r\n"
                            "\r\n"
                            "\xAB\r\n  \x8D ^\r\n  \xAB\r\n\r\n  \xBB\r\n\xBB"));
    }

    void aNewDocumentLeavesTheCaretOnItsEmptyLastLine()
    {
        const QByteArray doc = insertInto("^", Snippets::newDocumentHeader());
        QVERIFY(doc.endsWith("]\r\n\r\n^"));
        QCOMPARE(doc.count('\n'), 7);
    }
};

QTEST_APPLESS_MAIN(TestSnippets)
#include "tst_snippets.moc"
