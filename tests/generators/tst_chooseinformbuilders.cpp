// The CHOOSE and INFORM builders: the code they write, byte for byte, and
// what it does in the calculator when the user answers; INFORM's row rules.
#include "ScriptedCalculator.h"
#include "generators/ChooseBuilder.h"
#include "generators/InformBuilder.h"
#include "shell/Globals.h"

#include <QtTest>

Q_DECLARE_METATYPE(ChooseFields)
Q_DECLARE_METATYPE(InformFields)

namespace {

// "\n" stands for CR LF, "<<" and ">>" for the program delimiters.
QByteArray calc(QByteArray text)
{
    text.replace("\n", "\r\n");
    text.replace("<<", "\xAB");
    text.replace(">>", "\xBB");
    return text;
}

ChooseFields choose(const QByteArray &title, const QList<ChooseRow> &rows, int position = 1)
{
    ChooseFields f;
    f.title = title;
    f.rows = rows;
    f.position = position;
    return f;
}

InformField field(const QByteArray &name, const QByteArray &help = {}, const QByteArray &types = {},
                  const QByteArray &reset = {}, const QByteArray &initial = {})
{
    return InformField{name, help, types, reset, initial};
}

InformFields inform(const QByteArray &title, const QList<InformField> &fields)
{
    InformFields f;
    f.title = title;
    f.fields = fields;
    return f;
}

} // namespace

class TestChooseInformBuilders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng"); }

    void chooseWritesTheCode_data()
    {
        QTest::addColumn<ChooseFields>("fields");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("the worked example: a labelled program, a bare number, the check")
            << choose("Pick", {{"Sine", "SIN"}, {"5", ""}})
            << calc("\"Pick\"\n{\n{ \"Sine\" <<SIN>> }\n5\n}\n1\nCHOOSE\nIF\nTHEN\n  EVAL |\nEND");
        QTest::newRow("no rows: nothing between the braces") << choose("T", {})
                                                             << calc("\"T\"\n{\n}\n1\nCHOOSE\nIF\nTHEN\n  EVAL |\nEND");
        ChooseFields plain = choose("", {{"\"One\"", ""}, {"2", ""}}, 2);
        plain.condition = false;
        plain.minifont = true;
        QTest::newRow("small font, quoted label kept raw, no check: CHOOSE, a blank and the caret")
            << plain << calc("-90 SF \n\"\"\n{\n\"One\"\n2\n}\n2\nCHOOSE |");
        QTest::newRow("a position beyond the rows is written as typed")
            << choose("T", {{"1", ""}}, 7) << calc("\"T\"\n{\n1\n}\n7\nCHOOSE\nIF\nTHEN\n  EVAL |\nEND");
    }

    void chooseWritesTheCode()
    {
        QFETCH(ChooseFields, fields);
        QFETCH(QByteArray, expected);
        QCOMPARE(GenerateChoose(fields).withCaretMarker(), expected);
    }

    void chooseRunsInTheCalculator_data()
    {
        QTest::addColumn<ChooseFields>("fields");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QStringList>("stack");

        const ChooseFields example = choose("Pick", {{"Sine", "0 SIN"}, {"5", ""}, {"\"Text\"", ""}});
        QTest::newRow("choosing a labelled program runs it")
            << example << "1" << "CHOOSE Pick [Sine|5|Text] at 1" << QStringList{"0."};
        QTest::newRow("choosing a bare number gives the number, which EVAL leaves")
            << example << "2" << "CHOOSE Pick [Sine|5|Text] at 1" << QStringList{"5"};
        QTest::newRow("cancelling leaves nothing")
            << example << "!cancel" << "CHOOSE Pick [Sine|5|Text] at 1" << QStringList{};
        ChooseFields noCheck = example;
        noCheck.condition = false;
        noCheck.position = 3;
        QTest::newRow("without the check the choice and its flag stay")
            << noCheck << "3" << "CHOOSE Pick [Sine|5|Text] at 3" << QStringList{"\"Text\"", "1."};
        ChooseFields small = example;
        small.minifont = true;
        QTest::newRow("the small-font flag does not disturb the choice")
            << small << "2" << "CHOOSE Pick [Sine|5|Text] at 1" << QStringList{"5"};
    }

    void chooseRunsInTheCalculator()
    {
        QFETCH(ChooseFields, fields);
        QFETCH(QString, answer);
        QFETCH(QString, asked);
        QFETCH(QStringList, stack);
        const GeneratedText code = GenerateChoose(fields);
        QVERIFY2(GeneratorText::CompileProblem(code.bytes, true).isEmpty(), code.bytes.constData());
        ScriptedCalculator calculator;
        calculator.answers = {answer};
        QCOMPARE(calculator.run(code.bytes), stack);
        QCOMPARE(calculator.asked, QStringList{asked});
    }

    void chooseShowsLabelsWithoutTheirQuotes_data()
    {
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("a quoted label") << QByteArray("\"Text\"") << QByteArray("Text");
        QTest::newRow("one of each only") << QByteArray("\"\"a\"\"") << QByteArray("\"a\"");
        QTest::newRow("a bare number") << QByteArray("5") << QByteArray("5");
    }

    void chooseShowsLabelsWithoutTheirQuotes()
    {
        QFETCH(QByteArray, label);
        QFETCH(QByteArray, shown);
        QCOMPARE(ChooseShownLabel(label), shown);
    }

    void informWritesTheCode_data()
    {
        QTest::addColumn<InformFields>("fields");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("the worked example")
            << inform("Data", {field("A:", "Enter A", "0", "", "1")})
            << calc("\"Data\"\n{\n{ \"A:\" \"Enter A\" 0 }\n}\n{ 1 0 }\n{ }\n{ 1 }\nINFORM\nIF\nTHEN\n  |\nELSE\nEND");
        QTest::newRow("a field without help is its quoted name alone, its types ignored")
            << inform("T", {field("X:", "", "0 1")})
            << calc("\"T\"\n{\n\"X:\"\n}\n{ 1 0 }\n{ }\n{ }\nINFORM\nIF\nTHEN\n  |\nELSE\nEND");
        InformFields resets = inform("T", {field("A"), field("B", "", "", "2"), field("C")});
        resets.offsetCheck = false;
        resets.columns = 2;
        resets.condition = false;
        QTest::newRow("one reset value among three, the column count alone, no check")
            << resets << calc("\"T\"\n{\n\"A\"\n\"B\"\n\"C\"\n}\n{ 2 }\n{ NOVAL 2 NOVAL }\n{ }\nINFORM|");
        InformFields offset = inform("", {field("N", "H", "", "", "")});
        offset.columns = 3;
        offset.offset = 12;
        QTest::newRow("help without types leaves two blanks before the brace")
            << offset << calc("\"\"\n{\n{ \"N\" \"H\"  }\n}\n{ 3 12 }\n{ }\n{ }\nINFORM\nIF\nTHEN\n  |\nELSE\nEND");
    }

    void informWritesTheCode()
    {
        QFETCH(InformFields, fields);
        QFETCH(QByteArray, expected);
        QCOMPARE(GenerateInform(fields).withCaretMarker(), expected);
    }

    void informRunsInTheCalculator_data()
    {
        QTest::addColumn<InformFields>("fields");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QStringList>("stack");

        const InformFields example = inform("Data", {field("A:", "Enter A", "0", "", "1"), field("B:", "", "", "7")});
        QTest::newRow("confirming leaves the values for the THEN branch")
            << example << QStringList{"3", "4"} << "INFORM Data [A: (Enter A)=1|B:=] 1 columns"
            << QStringList{"{ 3. 4 }"};
        QTest::newRow("an empty answer is NOVAL") << example << QStringList{"3", ""}
                                                  << "INFORM Data [A: (Enter A)=1|B:=] 1 columns"
                                                  << QStringList{"{ 3. NOVAL }"};
        QTest::newRow("cancelling takes the ELSE branch with nothing left")
            << example << QStringList{"!cancel"} << "INFORM Data [A: (Enter A)=1|B:=] 1 columns" << QStringList{};
        InformFields bare = example;
        bare.condition = false;
        bare.offsetCheck = false;
        bare.columns = 2;
        QTest::newRow("without the check the list and the flag stay")
            << bare << QStringList{"5", "6"} << "INFORM Data [A: (Enter A)=1|B:=] 2 columns"
            << QStringList{"{ 5. 6 }", "1."};
    }

    void informRunsInTheCalculator()
    {
        QFETCH(InformFields, fields);
        QFETCH(QStringList, answers);
        QFETCH(QString, asked);
        QFETCH(QStringList, stack);
        const GeneratedText code = GenerateInform(fields);
        QVERIFY2(GeneratorText::CompileProblem(code.bytes, true).isEmpty(), code.bytes.constData());
        ScriptedCalculator calculator;
        calculator.answers = answers;
        QCOMPARE(calculator.run(code.bytes), stack);
        QCOMPARE(calculator.asked, QStringList{asked});
    }

    void informAddsRowsOnlyBelowTheLastWhileThereIsRoom_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("fieldCount");
        QTest::addColumn<int>("columns");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("below the only row") << 0 << 1 << 1 << true;
        QTest::newRow("one column holds three field rows") << 2 << 3 << 1 << false;
        QTest::newRow("two columns hold seven") << 6 << 7 << 2 << false;
        QTest::newRow("two columns, sixth row") << 5 << 6 << 2 << true;
        QTest::newRow("not from a row above the last") << 0 << 2 << 2 << false;
        QTest::newRow("not without a selection") << -1 << 1 << 1 << false;
    }

    void informAddsRowsOnlyBelowTheLastWhileThereIsRoom()
    {
        QFETCH(int, selected);
        QFETCH(int, fieldCount);
        QFETCH(int, columns);
        QFETCH(bool, allowed);
        QCOMPARE(InformCanAddField(selected, fieldCount, columns), allowed);
    }

    void informDeletesOnlyEmptyRowsBelowTheFirst()
    {
        QList<InformField> rows{field("A"), field(""), field("", "", "", "", "x"), field("")};
        QVERIFY(!InformCanDeleteField(0, {field("")}));       // the first field row stays
        QVERIFY(!InformCanDeleteField(2, rows));               // a cell holds text
        QVERIFY(!InformCanDeleteField(9, rows));               // no such row
        QCOMPARE(InformDeleteField(rows, 2), 2);               // refused: unchanged
        QCOMPARE(rows.size(), 4);
        QCOMPARE(InformDeleteField(rows, 1), 0);               // the row above is selected
        QCOMPARE(rows, (QList<InformField>{field("A"), field("", "", "", "", "x"), field("")}));
    }

    void everyTextCompilesOnBothSeries_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("CHOOSE") << GenerateChoose(choose("T", {{"a", "1 +"}, {"2", ""}})).bytes;
        QTest::newRow("INFORM") << GenerateInform(inform("T", {field("A", "h", "0", "1", "2")})).bytes;
    }

    void everyTextCompilesOnBothSeries()
    {
        QFETCH(QByteArray, code);
        QCOMPARE(GeneratorText::CompileProblem(code, true), QString());
        QCOMPARE(GeneratorText::CompileProblem(code, false), QString());
    }

    void badTextsAreWrittenAsTypedAndTheCompilerSaysSo_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("a quote in a CHOOSE title") << GenerateChoose(choose("a\"b", {})).bytes;
        QTest::newRow("a program delimiter in a CHOOSE value")
            << GenerateChoose(choose("T", {{"x", "1 \xBB"}})).bytes;
        QTest::newRow("a brace in an INFORM help text")
            << GenerateInform(inform("T", {field("A", "}\"", "0")})).bytes;
    }

    void badTextsAreWrittenAsTypedAndTheCompilerSaysSo()
    {
        QFETCH(QByteArray, code);
        const QString problem = GeneratorText::CompileProblem(code, true);
        QVERIFY2(problem.contains(QRegularExpression("Invalid Syntax at line \\d+, column \\d+")), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestChooseInformBuilders)
#include "tst_chooseinformbuilders.moc"
