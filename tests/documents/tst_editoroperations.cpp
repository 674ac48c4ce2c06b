#include "documents/EditorOperations.h"
#include "documents/Snippets.h"
#include "formats/CalcCharset.h"

#include <Qsci/qsciscintilla.h>

#include <QtTest>

using namespace EditorOperations;

namespace {

QByteArray bytesOf(const QsciScintilla &editor)
{
    return CalcCharset::encode(editor.text());
}

void load(QsciScintilla &editor, const QByteArray &bytes)
{
    if (!bytes.contains("\r\n") && bytes.contains('\n'))
        editor.setEolMode(QsciScintilla::EolUnix);
    else
        editor.setEolMode(QsciScintilla::EolWindows);
    editor.setText(CalcCharset::decode(bytes));
}

// The caret as line and index, both 0-based.
QPair<int, int> caretOf(const QsciScintilla &editor)
{
    int line = -1;
    int index = -1;
    editor.getCursorPosition(&line, &index);
    return {line, index};
}

QByteArray snippetOf(const char *action)
{
    return Snippets::findInsertCommand(action)->text;
}

} // namespace

class TestEditorOperations : public QObject
{
    Q_OBJECT

private slots:
    void undoAfterAnyInsertCommandRestoresTheTextInOneStep_data()
    {
        QTest::addColumn<QByteArray>("action");
        for (const Snippets::InsertCommand &command : Snippets::insertCommands())
            QTest::newRow(command.action) << QByteArray(command.action);
    }

    void undoAfterAnyInsertCommandRestoresTheTextInOneStep()
    {
        QFETCH(QByteArray, action);
        QsciScintilla editor;
        const QByteArray original = "\xAB 1 2 + \xBB\r\nDUP DROP";
        load(editor, original);
        editor.setSelection(0, 2, 0, 7); // "1 2 +"
        insertSnippet(&editor, Snippets::findInsertCommand(action)->text);
        QVERIFY(bytesOf(editor) != original);
        editor.undo();
        QCOMPARE(bytesOf(editor), original);
        QVERIFY(!editor.isUndoAvailable());
    }

    void aSnippetLandsWithItsCaretOnTheMarker()
    {
        QsciScintilla editor;
        load(editor, "1 2 3");
        editor.setCursorPosition(0, 3);
        insertSnippet(&editor, snippetOf("InsertIf"));
        QCOMPARE(bytesOf(editor), QByteArray("1 2\r\nIF \r\nTHEN\r\n\r\nEND\r\n 3"));
        QCOMPARE(caretOf(editor), qMakePair(1, 3));
    }

    void aDocumentWithLfLineEndsGetsLfLineEnds()
    {
        QsciScintilla editor;
        load(editor, "x\n");
        editor.setCursorPosition(1, 0);
        insertSnippet(&editor, snippetOf("InsertDirectory"));
        QCOMPARE(bytesOf(editor), QByteArray("x\nDIR\n  \nEND"));
    }

    void calculatorCharactersCountAsOneColumn()
    {
        QsciScintilla editor;
        load(editor, "\xAB\x8D\xBB");
        editor.setCursorPosition(0, 2);
        insertSnippet(&editor, snippetOf("InsertList"));
        QCOMPARE(bytesOf(editor), QByteArray("\xAB\x8D {  } \xBB"));
        QCOMPARE(caretOf(editor), qMakePair(0, 5));
    }

    void commentTogglingKeepsTheSelectionAndUndoesInOneStep()
    {
        QsciScintilla editor;
        const QByteArray original = "DUP\r\n  @ SWAP\r\nDROP\r\n";
        load(editor, original);
        editor.setSelection(0, 1, 3, 0); // ends at the start of the empty last line
        toggleComment(&editor);
        QCOMPARE(bytesOf(editor), QByteArray("@DUP\r\n   SWAP\r\n@DROP\r\n"));
        int fromLine, fromIndex, toLine, toIndex;
        editor.getSelection(&fromLine, &fromIndex, &toLine, &toIndex);
        QCOMPARE(fromIndex, 2); // still after the D of DUP
        QCOMPARE(toLine, 3);
        editor.undo();
        QCOMPARE(bytesOf(editor), original);
    }

    void caseChangeLeavesTheCaretAndCalculatorBytes()
    {
        QsciScintilla editor;
        load(editor, "\xAB dup \xE9 \xBB");
        editor.setSelection(0, 7, 0, 0);
        changeCase(&editor, true);
        QCOMPARE(bytesOf(editor), QByteArray("\xAB DUP \xE9 \xBB"));
        QVERIFY(!editor.hasSelectedText());
        QCOMPARE(caretOf(editor), qMakePair(0, 0));
    }

    void goingToALineKeepsTheColumn_data()
    {
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("index");
        QTest::newRow("a long enough line keeps the column") << 3 << 2 << 4;
        QTest::newRow("a short line takes the caret to its end") << 2 << 1 << 1;
        QTest::newRow("a line past the end goes to the last line") << 40 << 3 << 4;
    }

    void goingToALineKeepsTheColumn()
    {
        QFETCH(int, typed);
        QFETCH(int, line);
        QFETCH(int, index);
        QsciScintilla editor;
        load(editor, "abcdef\r\nx\r\n\x8D\x8D\x8D\x8D\x8D\r\nlast line");
        editor.setCursorPosition(0, 4);
        goToLine(&editor, typed);
        QCOMPARE(caretOf(editor), qMakePair(line, index));
    }

    void replacingInTheWidgetKeepsOffsetsOverMultiByteCharacters()
    {
        QsciScintilla editor;
        load(editor, "\xAB x \xBB\r\n\x8D x\r\n'x\x87'");
        EditorSearchTarget target(&editor);
        TextSearch::Request request;
        request.what = "x";
        request.with = "\x8Cyy";
        request.replace = true;
        const TextSearch::Outcome outcome = TextSearch::run(
            target, request, [](TextSearch::Range) { return TextSearch::Answer::ReplaceAll; });
        QCOMPARE(outcome.replaced, 3);
        QCOMPARE(bytesOf(editor), QByteArray("\xAB \x8Cyy \xBB\r\n\x8D \x8Cyy\r\n'\x8Cyy\x87'"));
    }

    void findingInTheWidgetSelectsTheMatch()
    {
        QsciScintilla editor;
        load(editor, "\x87\r\n\x87 DUP\r\nDUP");
        EditorSearchTarget target(&editor);
        TextSearch::Request request;
        request.what = "dup";
        request.options.entireScope = false;
        editor.setCursorPosition(1, 2);
        TextSearch::run(target, request, {});
        QCOMPARE(CalcCharset::encode(editor.selectedText()), QByteArray("DUP"));
        int fromLine, fromIndex, toLine, toIndex;
        editor.getSelection(&fromLine, &fromIndex, &toLine, &toIndex);
        QCOMPARE(fromLine, 1);
        QCOMPARE(fromIndex, 2);
        QCOMPARE(target.selection(), (TextSearch::Range{5, 3}));
    }
};

QTEST_MAIN(TestEditorOperations)
#include "tst_editoroperations.moc"
