#include "documents/DocumentEditor.h"
#include "documents/DocumentText.h"
#include "formats/CalcCharset.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QtTest>

using DocumentText::LineEnd;

namespace {

// Every byte but the line-end bytes, in lines of 16.
QByteArray allBytes(const QByteArray &eol, bool finalEol)
{
    QByteArray out;
    for (int b = 0; b < 256; ++b) {
        if (b == '\r' || b == '\n')
            continue;
        out += char(b);
        if (b % 16 == 15 && b != 255)
            out += eol;
    }
    return finalEol ? out + eol : out;
}

} // namespace

class TestDocumentEditor : public QObject
{
    Q_OBJECT
private slots:
    void every_byte_survives_load_and_save_data();
    void every_byte_survives_load_and_save();
    void an_undone_edit_saves_the_same_bytes();
    void line_ends_data();
    void line_ends();
    void calculator_characters_show_as_their_glyphs();
    void characters_without_a_calculator_byte_are_refused();
    void an_x_with_a_combining_macron_becomes_x_bar();
    void empty_documents_data();
    void empty_documents();
};

void TestDocumentEditor::every_byte_survives_load_and_save_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF with a final line end") << allBytes("\r\n", true);
    QTest::newRow("CR LF without a final line end") << allBytes("\r\n", false);
    QTest::newRow("LF with a final line end") << allBytes("\n", true);
    QTest::newRow("LF without a final line end") << allBytes("\n", false);
    QTest::newRow("CR with a final line end") << allBytes("\r", true);
    QTest::newRow("CR without a final line end") << allBytes("\r", false);
    QTest::newRow("a single line with no line end") << QByteArray("\xAB 1 2 + \xBB");
    QTest::newRow("an empty file") << QByteArray();
}

void TestDocumentEditor::every_byte_survives_load_and_save()
{
    QFETCH(QByteArray, bytes);
    DocumentEditor editor;
    editor.setDocumentBytes(bytes);
    QCOMPARE(editor.documentBytes(), bytes);
    QCOMPARE(editor.bytesForSave(false), bytes);
}

void TestDocumentEditor::an_undone_edit_saves_the_same_bytes()
{
    const QByteArray bytes = allBytes("\r\n", false);
    DocumentEditor editor;
    editor.setDocumentBytes(bytes);
    editor.clearUndoHistory();
    editor.setCursorPosition(3, 2);
    editor.insert(QStringLiteral("DUP\n\u03c0"));
    editor.removeSelectedText();
    QVERIFY(editor.documentBytes() != bytes);
    while (editor.isUndoAvailable())
        editor.undo();
    QCOMPARE(editor.bytesForSave(false), bytes);
}

void TestDocumentEditor::line_ends_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("lineEnd");
    QTest::addColumn<bool>("lfOnly");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("a, CR LF, b, CR LF loads as three lines and saves the same bytes")
        << QByteArray("a\r\nb\r\n") << int(LineEnd::CrLf) << false << QByteArray("a\r\nb\r\n");
    QTest::newRow("LF line ends are written back as LF") << QByteArray("a\nb\n") << int(LineEnd::Lf) << false
                                                         << QByteArray("a\nb\n");
    QTest::newRow("lone CR line ends are written back as CR") << QByteArray("a\rb") << int(LineEnd::Cr) << false
                                                              << QByteArray("a\rb");
    QTest::newRow("a file without line ends gets CR LF") << QByteArray("abc") << int(LineEnd::CrLf) << false
                                                         << QByteArray("abc");
    QTest::newRow("mixed line ends are written with CR LF")
        << QByteArray("a\nb\r\nc\rd") << int(LineEnd::CrLf) << false << QByteArray("a\r\nb\r\nc\r\nd");
    QTest::newRow("the LF-only setting leaves no CR anywhere")
        << QByteArray("a\r\nb\rc\r\n") << int(LineEnd::CrLf) << true << QByteArray("a\nb\nc\n");
}

void TestDocumentEditor::line_ends()
{
    QFETCH(QByteArray, file);
    QFETCH(int, lineEnd);
    QFETCH(bool, lfOnly);
    QFETCH(QByteArray, saved);
    DocumentEditor editor;
    editor.setDocumentBytes(file);
    QCOMPARE(int(editor.lineEnd()), lineEnd);
    QCOMPARE(editor.bytesForSave(lfOnly), saved);
    if (file == "a\r\nb\r\n")
        QCOMPARE(editor.lines(), 3);
}

void TestDocumentEditor::calculator_characters_show_as_their_glyphs()
{
    DocumentEditor editor;
    editor.setDocumentBytes(QByteArray("\xAB\x8D\x87\x89\x80\xBB"));
    QCOMPARE(editor.text(), QStringLiteral("«→π≤∠»"));
    QCOMPARE(editor.caretColumn(), 1);
    editor.setCursorPosition(0, 3);
    QCOMPARE(editor.caretColumn(), 4); // counted in calculator characters
}

void TestDocumentEditor::characters_without_a_calculator_byte_are_refused()
{
    DocumentEditor editor;
    QSignalSpy refused(&editor, &DocumentEditor::charactersRefused);
    QApplication::clipboard()->setText(QStringLiteral("1 \u20AC 2 \u4E2D \u03C0"));
    editor.paste();
    QCOMPARE(editor.documentBytes(), QByteArray("1  2  \x87"));
    QVERIFY(refused.wait(1000));
    QCOMPARE(refused.first().first().toString(), QStringLiteral("\u20AC\u4E2D"));

    // Typed: the key is refused, nothing is inserted in its place.
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QStringLiteral("\u20AC"));
    QApplication::sendEvent(&editor, &euro);
    QTest::keyClicks(&editor, "A");
    QCOMPARE(editor.documentBytes(), QByteArray("1  2  \x87" "A"));
}

void TestDocumentEditor::an_x_with_a_combining_macron_becomes_x_bar()
{
    DocumentEditor editor;
    QApplication::clipboard()->setText(QStringLiteral("x\u0304 + 1"));
    editor.paste();
    QCOMPARE(editor.documentBytes(), QByteArray("\x81 + 1"));
}

void TestDocumentEditor::empty_documents_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("empty");
    QTest::newRow("no text is empty") << QByteArray() << true;
    QTest::newRow("only line ends is empty") << QByteArray("\r\n\r\n") << true;
    QTest::newRow("a line of blanks is not empty") << QByteArray("\r\n   \r\n") << false;
}

void TestDocumentEditor::empty_documents()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, empty);
    DocumentEditor editor;
    editor.setDocumentBytes(bytes);
    QCOMPARE(editor.isDocumentEmpty(), empty);
}

QTEST_MAIN(TestDocumentEditor)
#include "tst_documenteditor.moc"
