// The command-line object that carries source text into the calculator, the
// text that stores a document under its name, and the HALT of a breakpoint.
// None of this needs a calculator.

#include "emulator/Emu48Proc.h"
#include "formats/HPUtils.h"
#include "formats/NibbleText.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void the_example_object_file_byte_for_byte();
    void nibble_counts_data();
    void nibble_counts();
    void the_length_field_of_a_long_text();
    void the_calls_of_each_series_data();
    void the_calls_of_each_series();
    void evaluation_keys_data();
    void evaluation_keys();
    void store_text_data();
    void store_text();
    void breakpoint_halt_data();
    void breakpoint_halt();
};

void TestCommandLine::the_example_object_file_byte_for_byte()
{
    const QByteArray expected = QByteArray::fromHex(
        "48 50 48 50 34 38 2D 43 9D 2D C0 A2 02 0F 00 10 03 22 03 B2 62 B2 1C 2B 31 F0");
    QCOMPARE(CommandLineNibbles("1 2 +", false, "HPHP48"), QByteArray("D9D20C2A20F0000130223"
                                                                       "02B262BC1B2130"));
    QCOMPARE(CommandLineObjectFile("1 2 +", false, "HPHP48"), expected);
}

void TestCommandLine::nibble_counts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("run");
    QTest::addColumn<int>("nibbles");
    QTest::addColumn<int>("fileBytes");
    QTest::addColumn<bool>("lastHalfIsF");
    QTest::newRow("without the run call an odd count ends in an F half") << QByteArray("ABC") << false << 31 << 8 + 16 << true;
    QTest::newRow("with the run call the count is even") << QByteArray("ABC") << true << 36 << 8 + 18 << false;
    QTest::newRow("the empty text still makes a whole object") << QByteArray() << false << 25 << 8 + 13 << true;
    QTest::newRow("calculator bytes go in as they are") << QByteArray("\xAB 1 \xBB") << true << 40 << 8 + 20 << false;
}

void TestCommandLine::nibble_counts()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, run);
    QFETCH(int, nibbles);
    QFETCH(int, fileBytes);
    QFETCH(bool, lastHalfIsF);
    QCOMPARE(CommandLineNibbles(text, run, "HPHP49").size(), nibbles);
    const QByteArray file = CommandLineObjectFile(text, run, "HPHP49");
    QCOMPARE(file.size(), fileBytes);
    QCOMPARE(file.left(8), QByteArray("HPHP49-C"));
    QCOMPARE((uchar(file.back()) & 0xF0) == 0xF0, lastHalfIsF);
}

void TestCommandLine::the_length_field_of_a_long_text()
{
    // 2 * 1000 + 5 = 2005 = 0x007D5, least significant digit first.
    const QByteArray nibbles = CommandLineNibbles(QByteArray(1000, 'X'), false, "HPHP48");
    QCOMPARE(nibbles.mid(10, 5), QByteArray("5D700"));
}

void TestCommandLine::the_calls_of_each_series_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<bool>("run");
    QTest::addColumn<QByteArray>("tail");
    QTest::newRow("48 series compiles") << QByteArray("HPHP48") << false << QByteArray("62BC1B2130");
    QTest::newRow("48 series compiles and runs") << QByteArray("HPHP48") << true << QByteArray("62BC1EB3A1B2130");
    QTest::newRow("49 family compiles") << QByteArray("HPHP49") << false << QByteArray("9DBB3B2130");
    QTest::newRow("49 family compiles and runs") << QByteArray("HPHP49") << true << QByteArray("9DBB3CA593B2130");
}

void TestCommandLine::the_calls_of_each_series()
{
    QFETCH(QByteArray, signature);
    QFETCH(bool, run);
    QFETCH(QByteArray, tail);
    const QByteArray nibbles = CommandLineNibbles("DUP", run, signature);
    QVERIFY2(nibbles.endsWith(tail), nibbles.constData());
    QCOMPARE(nibbles.left(21), QByteArray("D9D20C2A20B0000") + BytesToNibbleText("DUP"));
}

void TestCommandLine::evaluation_keys_data()
{
    QTest::addColumn<QByteArray>("signature");
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("keys");
    QTest::newRow("48GX: EVAL is O") << QByteArray("HPHP48") << int('G') << QByteArray("O");
    QTest::newRow("50g: N") << QByteArray("HPHP49") << int('Q') << QByteArray("N");
    QTest::newRow("49g+: N") << QByteArray("HPHP49") << int('2') << QByteArray("N");
    QTest::newRow("49G: shift then P") << QByteArray("HPHP49") << int('X') << QByteArray("\x13P");
    QTest::newRow("48gII: shift then P") << QByteArray("HPHP49") << int('P') << QByteArray("\x13P");
}

void TestCommandLine::evaluation_keys()
{
    QFETCH(QByteArray, signature);
    QFETCH(int, model);
    QFETCH(QByteArray, keys);
    QCOMPARE(EvaluationKeys(signature, model), keys);
}

void TestCommandLine::store_text_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<bool>("forStep");
    QTest::addColumn<QByteArray>("sent");
    const QByteArray header = "%%HP: T(0)A(D)F(.);\r\n@ %NAME%=TEST\r\n@ %DIR%=PRGS\r\n";
    QTest::newRow("directory and name, kept apart by a blank so the calculator reads END and the name")
        << header + "\xAB 1 2 + \xBB" << false
        << QByteArray("\xAB 1 2 + \xBB\nIF PATH REVLIST HEAD 'PRGS' SAME NOT THEN IF 15 TVARS 'PRGS' POS NOT THEN "
                      "'PRGS' CRDIR END PRGS END 'TEST' IFERR STO THEN END");
    QTest::newRow("the step command puts a blank before each part")
        << header + "\xAB 1 2 + \xBB" << true
        << QByteArray("\xAB 1 2 + \xBB\n IF PATH REVLIST HEAD 'PRGS' SAME NOT THEN IF 15 TVARS 'PRGS' POS NOT THEN "
                      "'PRGS' CRDIR END PRGS END 'TEST' IFERR STO THEN END");
    QTest::newRow("a name alone") << QByteArray("@ %NAME%= SQ \r\n\xAB DUP * \xBB") << false
                                  << QByteArray("\xAB DUP * \xBB\n'SQ' IFERR STO THEN END");
    QTest::newRow("without directives only the object, with its inner line ends")
        << QByteArray("%%HP: T(0)A(D)F(.);\r\n\xAB\r\n 1\r\n\xBB\r\n") << false << QByteArray("\xAB\n 1\n\xBB");
    // The editor translated the codes already: the header it keeps says T(0).
    QTest::newRow("a header with a decimal comma stays in front: the calculator reads 1,5 so")
        << QByteArray("%%HP: T(3)A(D)F(,);\r\n@ %NAME%=H\r\n\xAB 1,5 \xBB") << false
        << QByteArray("%%HP: T(0)A(D)F(,);\n\xAB 1,5 \xBB\n'H' IFERR STO THEN END");
}

void TestCommandLine::store_text()
{
    QFETCH(QByteArray, document);
    QFETCH(bool, forStep);
    QFETCH(QByteArray, sent);
    QCOMPARE(StoreText(document, ReadDirectives(document), forStep), sent);
}

void TestCommandLine::breakpoint_halt_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QByteArray>("halted");
    QTest::newRow("after the first guillemet, keeping the blank that followed it")
        << QByteArray("\xAB 1 2 + \xBB") << 1 << QByteArray("\xAB HALT  1 2 + \xBB\r\n");
    QTest::newRow("in front of a line without one") << QByteArray("\xAB\r\nA B\r\n\xBB") << 2
                                                   << QByteArray("\xAB\r\nHALT A B\r\n\xBB\r\n");
    QTest::newRow("only the first guillemet of the line") << QByteArray("\xAB \xAB 1 \xBB \xBB") << 1
                                                          << QByteArray("\xAB HALT  \xAB 1 \xBB \xBB\r\n");
    QTest::newRow("no breakpoint leaves the text alone") << QByteArray("\xAB 1 \xBB") << 0 << QByteArray("\xAB 1 \xBB");
    QTest::newRow("a line past the end halts nothing") << QByteArray("\xAB 1 \xBB") << 7 << QByteArray("\xAB 1 \xBB");
}

void TestCommandLine::breakpoint_halt()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QByteArray, halted);
    QCOMPARE(InsertBreakpoint(text, line), halted);
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
