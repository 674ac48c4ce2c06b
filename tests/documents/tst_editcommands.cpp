#include "documents/EditCommands.h"

#include <QtTest>

using EditCommands::LineRange;

class TestEditCommands : public QObject
{
    Q_OBJECT

private slots:
    void commentToggling_data()
    {
        // Lines are given joined by "|" to keep the rows on one line each.
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("a line of code gets a mark in front")
            << QByteArray("DUP DROP") << QByteArray("@DUP DROP");
        QTest::newRow("indentation stays in front of the new mark")
            << QByteArray("  \tSWAP") << QByteArray("  \t@SWAP");
        QTest::newRow("an existing mark is removed and the blank after it stays")
            << QByteArray("  @ DUP") << QByteArray("   DUP");
        QTest::newRow("commenting again puts the mark right before the code")
            << QByteArray("   DUP") << QByteArray("   @DUP");
        QTest::newRow("only the first mark is removed")
            << QByteArray("@@ note") << QByteArray("@ note");
        QTest::newRow("an empty second line stops the toggling after the first")
            << QByteArray("1|| 2|3") << QByteArray("@1|| 2|3");
        QTest::newRow("a line of blanks and control bytes stops the toggling")
            << QByteArray("a|\t \x01|b") << QByteArray("@a|\t \x01|b");
        QTest::newRow("a calculator character above 127 is code, not a blank")
            << QByteArray("\xAB 1 \xBB") << QByteArray("@\xAB 1 \xBB");
        QTest::newRow("a byte of 160 is code, not a blank")
            << QByteArray("\xA0X") << QByteArray("@\xA0X");
        QTest::newRow("mixed lines each toggle on their own")
            << QByteArray("@A|B| @C") << QByteArray("A|@B| C");
    }

    void commentToggling()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QByteArray, expected);
        QCOMPARE(EditCommands::toggleComment(lines.split('|')).join('|'), expected);
    }

    void caseChange_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("upper");
        QTest::addColumn<QByteArray>("lower");
        QTest::newRow("plain letters change case")
            << QByteArray("Dup drop") << QByteArray("DUP DROP") << QByteArray("dup drop");
        QTest::newRow("the program delimiters stay as they are")
            << QByteArray("\xAB x \xBB") << QByteArray("\xAB X \xBB") << QByteArray("\xAB x \xBB");
        QTest::newRow("Latin-1 letters above 127 stay as they are")
            << QByteArray("\xE9t\xC9") << QByteArray("\xE9T\xC9") << QByteArray("\xE9t\xC9");
        QTest::newRow("the calculator's Greek letters stay as they are")
            << QByteArray("\x8C\x87r") << QByteArray("\x8C\x87R") << QByteArray("\x8C\x87r");
        QTest::newRow("digits, signs and line ends stay as they are")
            << QByteArray("a1+\r\nB") << QByteArray("A1+\r\nB") << QByteArray("a1+\r\nb");
    }

    void caseChange()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, upper);
        QFETCH(QByteArray, lower);
        QCOMPARE(EditCommands::toUpper(text), upper);
        QCOMPARE(EditCommands::toLower(text), lower);
    }

    void commentRange_data()
    {
        QTest::addColumn<int>("startLine");
        QTest::addColumn<int>("endLine");
        QTest::addColumn<int>("endColumn");
        QTest::addColumn<bool>("hasSelection");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("without a selection only the caret line toggles")
            << 4 << 4 << 7 << false << 4 << 4;
        QTest::newRow("a selection toggles from its first to its last line")
            << 2 << 5 << 3 << true << 2 << 5;
        QTest::newRow("a selection ending at a line start leaves that line alone")
            << 2 << 5 << 0 << true << 2 << 4;
        QTest::newRow("a selection inside one line toggles that line")
            << 3 << 3 << 0 << true << 3 << 3;
    }

    void commentRange()
    {
        QFETCH(int, startLine);
        QFETCH(int, endLine);
        QFETCH(int, endColumn);
        QFETCH(bool, hasSelection);
        QFETCH(int, first);
        QFETCH(int, last);
        const LineRange range =
            EditCommands::commentRange(startLine, endLine, endColumn, hasSelection);
        QCOMPARE(range.first, first);
        QCOMPARE(range.last, last);
    }

    void goToLine_data()
    {
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("index");
        QTest::newRow("a line inside the document is taken as typed") << 3 << 10 << 2;
        QTest::newRow("a number past the last line goes to the last line") << 99 << 10 << 9;
        QTest::newRow("line 0 goes to the first line") << 0 << 10 << 0;
        QTest::newRow("an empty document has only line 1") << 5 << 1 << 0;
    }

    void goToLine()
    {
        QFETCH(int, typed);
        QFETCH(int, lineCount);
        QFETCH(int, index);
        QCOMPARE(EditCommands::goToLineIndex(typed, lineCount), index);
    }
};

QTEST_APPLESS_MAIN(TestEditCommands)
#include "tst_editcommands.moc"
