// The INPUT builder: the code it writes, byte for byte, and what that code
// does in the calculator when the user answers it.
#include "ScriptedCalculator.h"
#include "generators/InputBuilder.h"
#include "shell/Globals.h"

#include <QtTest>

Q_DECLARE_METATYPE(InputFields)

namespace {

// Test texts are written with "\n" for CR LF, "a" for the alpha byte after a
// blank (" a ") and "->" for the right arrow.
QByteArray calc(QByteArray text)
{
    text.replace("\n", "\r\n");
    text.replace("OBJ-> ", "OBJ\x8D ");
    text.replace(" ALPHA", " \x8C");
    return text;
}

InputFields fields(const QByteArray &prompt, const QByteArray &commandLine)
{
    InputFields f;
    f.prompt = prompt;
    f.commandLine = commandLine;
    return f;
}

} // namespace

class TestInputBuilder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng"); }

    void writesTheCode_data()
    {
        QTest::addColumn<InputFields>("fields");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("every control at its default: prompt, command line, INPUT OBJ->")
            << fields("Enter N", "") << calc("\"Enter N\"\n\"\"\nINPUT OBJ-> |");
        QTest::newRow("an empty prompt and command line still give two pairs of quotes")
            << fields("", "") << calc("\"\"\n\"\"\nINPUT OBJ-> |");

        InputFields example = fields("Enter N", "5");
        example.format = true;
        example.row = 1;
        example.column = 2;
        example.algebraic = true;
        example.syntaxCheck = true;
        QTest::newRow("the worked example: list form with cursor, ALG and V")
            << example << calc("\"Enter N\"\n{ \"5\" { 1 2 } ALG V }\nINPUT OBJ-> |");

        InputFields alpha = example;
        alpha.algebraic = false;
        alpha.syntaxCheck = false;
        alpha.alpha = true;
        QTest::newRow("alpha mode writes the alpha character after a blank")
            << alpha << calc("\"Enter N\"\n{ \"5\" { 1 2 } ALPHA }\nINPUT OBJ-> |");

        InputFields dropped = example;
        dropped.format = false;
        dropped.alpha = true;
        QTest::newRow("format off drops the modes and the cursor position")
            << dropped << calc("\"Enter N\"\n\"5\"\nINPUT OBJ-> |");

        InputFields plain = fields("Name?", "");
        plain.evaluate = false;
        plain.minifont = true;
        QTest::newRow("small font first, no evaluation: the caret follows INPUT")
            << plain << calc("{ -72 -73 } SF\n\"Name?\"\n\"\"\nINPUT|");

        QTest::newRow("a multi-line prompt keeps its breaks inside the quotes, as CR LF")
            << fields("Line 1\nLine 2\r\nLine 3", "") << calc("\"Line 1\nLine 2\nLine 3\"\n\"\"\nINPUT OBJ-> |");
        QTest::newRow("quotes and braces in the prompt are written as typed")
            << fields("Say \"hi\" {", "") << calc("\"Say \"hi\" {\"\n\"\"\nINPUT OBJ-> |");
    }

    void writesTheCode()
    {
        QFETCH(InputFields, fields);
        QFETCH(QByteArray, expected);
        QCOMPARE(GenerateInput(fields).withCaretMarker(), expected);
    }

    void aBarInThePromptIsNotTheCaret()
    {
        const GeneratedText code = GenerateInput(fields("a|b", ""));
        QCOMPARE(code.caret, code.bytes.size());
        QCOMPARE(code.bytes.count('|'), 1);
    }

    void theCodeRunsInTheCalculator_data()
    {
        QTest::addColumn<InputFields>("fields");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QStringList>("stack");

        QTest::newRow("the entry is evaluated") << fields("Enter N", "") << QStringList{"6 7"}
                                                << "INPUT Enter N [] at 1,0" << QStringList{"6", "7"};
        InputFields example = fields("Enter N", "5");
        example.format = true;
        example.row = 1;
        example.column = 2;
        example.algebraic = true;
        example.syntaxCheck = true;
        QTest::newRow("the list form reaches the calculator's INPUT")
            << example << QStringList{"42"} << "INPUT Enter N [5] at 1,2 ALG V" << QStringList{"42"};
        InputFields alpha = example;
        alpha.alpha = true;
        alpha.algebraic = false;
        alpha.syntaxCheck = false;
        QTest::newRow("alpha mode is understood") << alpha << QStringList{"1"} << "INPUT Enter N [5] at 1,2 alpha"
                                                  << QStringList{"1"};
        InputFields text = fields("Name?", "");
        text.evaluate = false;
        QTest::newRow("without evaluation the entry stays a string")
            << text << QStringList{"Ann"} << "INPUT Name? [] at 1,0" << QStringList{"\"Ann\""};
        QTest::newRow("a two-line prompt reaches the calculator whole")
            << fields("Line 1\nLine 2", "") << QStringList{"3"} << "INPUT Line 1\r\nLine 2 [] at 1,0"
            << QStringList{"3"};
    }

    void theCodeRunsInTheCalculator()
    {
        QFETCH(InputFields, fields);
        QFETCH(QStringList, answers);
        QFETCH(QString, asked);
        QFETCH(QStringList, stack);
        const GeneratedText code = GenerateInput(fields);
        QVERIFY2(GeneratorText::CompileProblem(code.bytes, true).isEmpty(), code.bytes.constData());
        ScriptedCalculator calculator;
        calculator.answers = answers;
        QCOMPARE(calculator.run(code.bytes), stack);
        QCOMPARE(calculator.asked, QStringList{asked});
    }

    void cursorLimitsFollowTheCommandLine_data()
    {
        QTest::addColumn<QByteArray>("commandLine");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::newRow("empty: no line") << QByteArray() << 0 << 0;
        QTest::newRow("one line") << QByteArray("12345") << 1 << 5;
        QTest::newRow("the longest line counts") << QByteArray("ab\r\nabcd\nc") << 3 << 4;
        QTest::newRow("a final line break opens no line") << QByteArray("ab\r\n") << 1 << 2;
    }

    void cursorLimitsFollowTheCommandLine()
    {
        QFETCH(QByteArray, commandLine);
        QFETCH(int, rows);
        QFETCH(int, columns);
        QCOMPARE(InputRowMaximum(commandLine), rows);
        QCOMPARE(InputColumnMaximum(commandLine), columns);
    }

    void aQuoteInThePromptIsReportedWithItsPlace()
    {
        const GeneratedText code = GenerateInput(fields("Say \"hi", ""));
        const QString problem = GeneratorText::CompileProblem(code.bytes, true);
        QVERIFY(!problem.isEmpty());
        // The prompt's quote closes the string early; the compiler stops at the
        // string left open on the next line, and the warning quotes that line.
        QCOMPARE(problem, QString("Invalid Syntax at line 2, column 2 (\"\")"));
    }
};

QTEST_GUILESS_MAIN(TestInputBuilder)
#include "tst_inputbuilder.moc"
