#include "formats/HPUtils.h"

#include <QtTest>

namespace {
const QByteArray Open("\xAB");
const QByteArray Close("\xBB");
const QByteArray Header("%%HP: T(0)A(D)F(.);");
} // namespace

class TestHPUtils : public QObject
{
    Q_OBJECT
private slots:
    void transfer_headers_data();
    void transfer_headers();
    void stripping_the_header_and_comments_data();
    void stripping_the_header_and_comments();
    void program_texts_data();
    void program_texts();
    void directives_data();
    void directives();
    void save_as_entry_by_content_data();
    void save_as_entry_by_content();
    void carriage_returns_and_lines();
    void what_the_calculator_gets_data();
    void what_the_calculator_gets();
};

void TestHPUtils::transfer_headers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("header");
    QTest::newRow("the template's header is one") << Header << true;
    QTest::newRow("other one-character fields are one") << QByteArray("%%HP: T(3)A(R)F(,);") << true;
    QTest::newRow("text after the semicolon does not matter") << Header + " @ note" << true;
    QTest::newRow("no blank after the colon is not one") << QByteArray("%%HP:T(3)A(R)F(,);") << false;
    QTest::newRow("a two-character field is not one") << QByteArray("%%HP: T(3)A(RD)F(.);") << false;
    QTest::newRow("a lower-case marker is not one") << QByteArray("%%hp: T(0)A(D)F(.);") << false;
}

void TestHPUtils::transfer_headers()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, header);
    QCOMPARE(IsTransferHeader(line), header);
}

void TestHPUtils::stripping_the_header_and_comments_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("stripped");
    QTest::newRow("header, comments and blank lines go")
        << Header + "\r\n@ %NAME%=SUM\r\n\r\n@ more\r\n" + Open + " 1 + " + Close + "\r\n" << Open + " 1 + " + Close;
    QTest::newRow("only a header and comments strip to nothing") << Header + "\r\n@ a\r\n@ b" << QByteArray();
    QTest::newRow("a comment after the source stays") << QByteArray("  1 2\r\n@ x\r\n") << QByteArray("1 2\r\n@ x");
    QTest::newRow("a header of another shape stays as the first line")
        << QByteArray("%%HP:T(0)A(D)F(.);\r\n1") << QByteArray("%%HP:T(0)A(D)F(.);\r\n1");
    QTest::newRow("comments of a text with LF line ends go line by line")
        << QByteArray("@ a\n@ b\n{ 1 }\n") << QByteArray("{ 1 }");
}

void TestHPUtils::stripping_the_header_and_comments()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, stripped);
    QCOMPARE(StripTransferHeader(text), stripped);
}

void TestHPUtils::program_texts_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("program");
    QTest::newRow("a program after a header is a program") << Header + "\r\n" + Open + " DUP * " + Close << true;
    QTest::newRow("the two delimiters alone are a program") << Open + Close << true;
    QTest::newRow("a lone opening delimiter is not") << Open << false;
    QTest::newRow("a list is not") << QByteArray("{ 1 2 }") << false;
    QTest::newRow("text after the program is not") << Open + " 1 " + Close + " 2" << false;
    QTest::newRow("only comments are not") << QByteArray("@ " + Open + Close) << false;
    QTest::newRow("the ASCII form under a header that translates is")
        << QByteArray("%%HP: T(3)A(D)F(.);\r\n\\<< 1 \\>>") << true;
    QTest::newRow("the ASCII form under T(0) is not") << QByteArray("%%HP: T(0)A(D)F(.);\r\n\\<< 1 \\>>")
                                                      << false;
}

void TestHPUtils::program_texts()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, program);
    QCOMPARE(IsProgramText(text), program);
}

void TestHPUtils::directives_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("directory");
    QTest::addColumn<bool>("found");
    QTest::newRow("both directives of the template, blanks trimmed")
        << Header + "\r\n@ %NAME%=  SUM  \r\n@ %DIR%= TOOLS\r\n\r\n" + Open + Close << QByteArray("SUM")
        << QByteArray("TOOLS") << true;
    QTest::newRow("only the first of each counts")
        << QByteArray("@ %NAME%=A\r\n@ %NAME%=B\r\n1") << QByteArray("A") << QByteArray() << true;
    QTest::newRow("an empty value is found but empty") << QByteArray("@ %DIR%=\r\n1") << QByteArray()
                                                       << QByteArray() << true;
    QTest::newRow("an earlier equals sign starts the value")
        << QByteArray("@ x=1 %NAME%=A") << QByteArray("1 %NAME%=A") << QByteArray() << true;
    QTest::newRow("a directive after the first source line is not seen")
        << QByteArray("1\r\n@ %NAME%=A") << QByteArray() << QByteArray() << false;
    QTest::newRow("a document of comments only ends at its end")
        << QByteArray("\r\n@ a\r\n\r\n@ %NAME%=LAST") << QByteArray("LAST") << QByteArray() << true;
}

void TestHPUtils::directives()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, directory);
    QFETCH(bool, found);
    const Directives d = ReadDirectives(text);
    QCOMPARE(d.ObjectName, name);
    QCOMPARE(d.ObjectDirectory, directory);
    QCOMPARE(d.found, found);
}

void TestHPUtils::save_as_entry_by_content_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("entry");
    QTest::newRow("a program pre-selects entry 2") << Header + "\r\n@ c\r\n" + Open + " 1 " + Close << 2;
    QTest::newRow("a directory pre-selects entry 3") << QByteArray("DIR\r\n A 1\r\nEND") << 3;
    QTest::newRow("a list pre-selects entry 4") << QByteArray("{ 1 2 }") << 4;
    QTest::newRow("a string pre-selects entry 5") << QByteArray("\"hello\"") << 5;
    QTest::newRow("an array pre-selects entry 6") << QByteArray("[ 1 2 ]") << 6;
    QTest::newRow("an algebraic pre-selects entry 7") << QByteArray("'X+1'") << 7;
    QTest::newRow("an HP 50 algebraic pre-selects entry 7") << QByteArray("`X+1`") << 7;
    QTest::newRow("a picture pre-selects entry 8") << QByteArray("GROB 8 1 FF") << 8;
    QTest::newRow("a one-character text keeps the remembered entry") << QByteArray("1") << 10;
    QTest::newRow("anything else keeps the remembered entry") << QByteArray("1 2 +") << 10;
}

void TestHPUtils::save_as_entry_by_content()
{
    QFETCH(QByteArray, text);
    QFETCH(int, entry);
    QCOMPARE(SaveFilterEntryFor(text, 10), entry);
}

void TestHPUtils::what_the_calculator_gets_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QByteArray>("commandLine");
    QTest::newRow("T(1) to T(3) translate the codes after the header")
        << QByteArray("%%HP: T(1)A(D)F(.);\r\n@ \\GS\r\n\\<< \\-> a \\<< a \\>> \\>>\r\n")
        << QByteArray("\xAB \x8D a \xAB a \xBB \xBB");
    QTest::newRow("T(0) sends the backslashes as they are")
        << QByteArray("%%HP: T(0)A(D)F(.);\r\n\\<< 1 \\>>") << QByteArray("\\<< 1 \\>>");
    QTest::newRow("no header: nothing is translated") << QByteArray("\\<< 1 \\>>") << QByteArray("\\<< 1 \\>>");
    QTest::newRow("calculator characters stay") << QByteArray("%%HP: T(3)A(D)F(.);\r\n\xAB 1\r\n\xBB")
                                                 << QByteArray("\xAB 1\n\xBB");
}

void TestHPUtils::what_the_calculator_gets()
{
    QFETCH(QByteArray, document);
    QFETCH(QByteArray, commandLine);
    QCOMPARE(CalculatorCommandLine(document), commandLine);
}

void TestHPUtils::carriage_returns_and_lines()
{
    QCOMPARE(StripCarriageReturns("a\r\nb\rc\n"), QByteArray("a\nbc\n"));
    QCOMPARE(SplitLines("a\r\nb\rc\nd\r\n"), (QList<QByteArray>{"a", "b", "c", "d", ""}));
    QCOMPARE(SplitLines(""), QList<QByteArray>{""});
}

QTEST_GUILESS_MAIN(TestHPUtils)
#include "tst_hputils.moc"
