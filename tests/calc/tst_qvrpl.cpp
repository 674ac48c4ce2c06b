// The console runner as a user calls it.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int code = -1;
    QString out;
    QString err;
};

Run qvrpl(const QStringList &args, const QByteArray &input = QByteArray())
{
    QProcess p;
    p.start(QStringLiteral(QV_BIN_DIR "/qvrpl"), args);
    p.write(input);
    p.closeWriteChannel();
    Run r;
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestQvrpl : public QObject
{
    Q_OBJECT

private slots:
    void aProgramStoredInOneTextRunsInTheNext()
    {
        const Run r =
            qvrpl({"--model", "48gx", "-e", "« → a b « a b * » » 'MUL' STO", "-e", "6 7 MUL"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("42\n"));
        QCOMPARE(r.err, QString());
    }

    void theDefaultModelIsThe50g()
    {
        // the 50g in its exact mode: the quotient of two integers is a fraction
        const Run r = qvrpl({"-e", "« → a b « a b / » » 'RATIO' STO", "-e", "1 3 RATIO"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("'1/3'\n"));
    }

    void theStackIsPrintedHighestLevelFirst()
    {
        const Run r = qvrpl({"-e", "1 \"two\" { 3 } « 4 »"});
        QCOMPARE(r.out, QString("1\n\"two\"\n{ 3 }\n« 4 »\n"));
    }

    void anErrorStopsTheRunPrintsTheStackAndFails()
    {
        const Run r = qvrpl({"-e", "1 0 /", "-e", "99"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString("1\n0\n"));
        QCOMPARE(r.err, QString("/ Error: Infinite Result\n"));
    }

    void aSyntaxErrorLeavesTheStackUntouched()
    {
        const Run r = qvrpl({"-e", "5", "-e", "« 1"});
        QCOMPARE(r.code, 1);
        QCOMPARE(r.out, QString("5\n"));
        QCOMPARE(r.err, QString("Error: Invalid Syntax\n"));
    }

    void filesSkipTheTransferHeaderAndLeadingComments()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("prog.hpprg");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // calculator bytes: « is 0xAB, » is 0xBB
        f.write("%%HP: T(3)A(D)F(.);\r\n@ A test program\r\n@ %NAME%=SQ3\r\n\xAB 3 SQ "
                "\xBB\r\nEVAL\r\n");
        f.close();
        const Run r = qvrpl({path});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("9\n"));
    }

    void aFileWithADecimalCommaHeaderReadsCommas()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("comma.hpprg");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("%%HP: T(3)A(D)F(,);\r\n{ 1,5 (2,5;3) }\r\n");
        f.close();
        // the comma holds for the file only: the text after it reads points
        const Run r = qvrpl({path, "-e", "2.5"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("{ 1.5 (2.5,3.) }\n2.5\n"));
    }

    void textsAndFilesRunInTheirOrder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("add.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("+");
        f.close();
        const Run r = qvrpl({"-e", "2", "-e", "3", path, "-e", "10 *"});
        QCOMPARE(r.out, QString("50\n"));
    }

    void theStateFileCarriesVariablesFromOneRunToTheNext()
    {
        QTemporaryDir dir;
        const QString state = dir.filePath("calc.state");
        Run r = qvrpl({"--state", state, "-e", "41. 'ANSWER' STO 'D' CRDIR D 7 FIX 1."});
        QCOMPARE(r.code, 0);
        QVERIFY(QFile::exists(state));
        r = qvrpl({"--state", state, "-e", "PATH ANSWER 1 +"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("1.0000000\n{ HOME D }\n42.0000000\n"));
    }

    void aDamagedStateFileIsReportedAndNotOverwritten()
    {
        QTemporaryDir dir;
        const QString state = dir.filePath("bad.state");
        QFile f(state);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a state");
        f.close();
        const Run r = qvrpl({"--state", state, "-e", "1"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("not a state file of this calculator"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("not a state"));
    }

    void coverageCountsTheKnownCommands()
    {
        const Run r = qvrpl({"--coverage"});
        QCOMPARE(r.code, 0);
        QVERIFY2(
            QRegularExpression("^HP 49G/49g\\+/50g: \\d+ of \\d+ known commands implemented\n$")
                .match(r.out)
                .hasMatch(),
            qPrintable(r.out));
    }

    void theAsciiFormsAreTakenAtThePrompt_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QString>("out");
        QTest::newRow("<< >> for the program delimiters") << QByteArray("3 << 2 * >> EVAL\n") << "6\n";
        QTest::newRow("-> for the arrow") << QByteArray("6 7 << -> a b << a b * >> >> EVAL\n") << "42\n";
        QTest::newRow("the backslash codes of a transfer") << QByteArray("\\<< 4 \\>> EVAL\n") << "4\n";
        QTest::newRow("inside a string they stay") << QByteArray("\"a<<b->c\"\n") << "\"a<<b->c\"\n";
    }

    void theAsciiFormsAreTakenAtThePrompt()
    {
        QFETCH(QByteArray, typed);
        QFETCH(QString, out);
        const Run r = qvrpl({}, typed);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, out);
    }

    void onATerminalLinesAreEditedRememberedAndCompleted()
    {
        // script(1) gives qvrpl a terminal; the history goes to the data folder.
        QTemporaryDir data;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", data.path());
        env.insert("TERM", "xterm");
        p.setProcessEnvironment(env);
        p.start("script", {"-qfec", QStringLiteral(QV_BIN_DIR "/qvrpl"), "/dev/null"});
        QVERIFY(p.waitForStarted());
        QTest::qWait(500);
        p.write("1 2 SWA\t\n"); // Tab completes SWAP
        QTest::qWait(500);
        p.write("\x04"); // Ctrl-D
        QVERIFY(p.waitForFinished(20000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(out.contains("2: 2") && out.contains("1: 1"), qPrintable(out));
        QFile history(data.filePath("HPQuorvane/qvrpl_history"));
        QVERIFY(history.open(QIODevice::ReadOnly));
        QVERIFY(history.readAll().contains("SWAP"));
    }

    void withoutArgumentsItReadsCommandLinesFromTheTerminal()
    {
        const Run r = qvrpl({}, "1 2\n+\n1 0 /\n");
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("1\n2\n3\n3\n1\n0\n"));
        QCOMPARE(r.err, QString("/ Error: Infinite Result\n"));
    }

    void aCharacterTheCalculatorLacksIsRefused()
    {
        const Run r = qvrpl({"-e", "\"€\""});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("no character"));
    }

    void aCharacterTheCalculatorLacksIsDroppedWithItsComment()
    {
        const Run r = qvrpl({"-e", "1 @ costs 5 € @ 2 + @ done ✓"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("3\n"));
    }

    void theMemoryBudgetIsAnOption()
    {
        // a list doubled until the 8 MiB are gone; the error is caught and
        // the engine goes on
        const Run r = qvrpl({"--memory", "8", "-e",
                             "« IFERR { 1 } DO DUP + UNTIL 0 END THEN CLEAR ERRM END » EVAL 1 1 +"});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QString("\"Insufficient Memory\"\n2\n"));
        const Run bad = qvrpl({"--memory", "lots", "-e", "1"});
        QCOMPARE(bad.code, 2);
        QVERIFY(bad.err.contains("--memory"));
    }

    void programsTalkToTheUserOnTheTerminal_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("code");

        QTest::newRow("INPUT shows its prompt and reads a line")
            << "\"Name?\" \"\" INPUT" << QByteArray("Bob\n") << "Name?\n? Bob\n\"Bob\"\n" << 0;
        QTest::newRow("an empty answer to INPUT takes the offered text")
            << "\"N?\" \"5\" INPUT OBJ→" << QByteArray("\n") << "N?\n[5] ? \n5\n" << 0;
        QTest::newRow("INPUT with V asks again until the text compiles")
            << "\"N?\" { \"\" V } INPUT" << QByteArray("« 1\n2\n")
            << "N?\n? « 1\nInvalid Syntax\n? 2\n\"2\"\n" << 0;
        QTest::newRow("INPUT at the end of the input abandons the program")
            << "1 \"N?\" \"\" INPUT 2" << QByteArray() << "N?\n? \n1\n" << 0;
        QTest::newRow("CHOOSE lists the items and reads a number")
            << "\"Pick\" { { \"One\" 1 } { \"Two\" 2 } } 1 CHOOSE" << QByteArray("2\n")
            << "Pick\n  1. One\n  2. Two\nChoice [1] ? 2\n2\n1\n" << 0;
        QTest::newRow("CHOOSE asks again after a number out of range")
            << "\"P\" { 7 8 } 1 CHOOSE" << QByteArray("5\n1\n")
            << "P\n  1. 7\n  2. 8\nChoice [1] ? 5\nType a number from 1 to 2, or 0 to cancel\n"
               "Choice [1] ? 1\n7\n1\n"
            << 0;
        QTest::newRow("CHOOSE answered 0 is cancelled")
            << "\"P\" { 7 8 } 1 CHOOSE" << QByteArray("0\n")
            << "P\n  1. 7\n  2. 8\nChoice [1] ? 0\n0\n" << 0;
        QTest::newRow("INFORM asks field by field")
            << "\"Data\" { { \"A:\" \"Enter A\" 0 } \"B:\" } { } { } { 1 } INFORM"
            << QByteArray("7\n\"x\"\n")
            << "Data\n  (Enter A)\nA: [1] ? 7\nB: [] ? \"x\"\n{ 7 \"x\" }\n1\n" << 0;
        QTest::newRow("INFORM refuses a value of the wrong type")
            << "\"D\" { { \"A:\" \"\" 0 } } { } { } { } INFORM" << QByteArray("\"s\"\n3\n")
            << "D\nA: [] ? \"s\"\nBad Argument Type\nA: [] ? 3\n{ 3 }\n1\n" << 0;
        QTest::newRow("MSGBOX and DISP print")
            << "\"Hello\" MSGBOX 42 1 DISP" << QByteArray() << "Hello\n42\n" << 0;
        QTest::newRow("the code the INPUT builder writes runs")
            << "\"Enter N\" { \"5\" { 1 2 } ALG V } INPUT OBJ→ 2 *" << QByteArray("21\n")
            << "Enter N\n[5] ? 21\n42\n" << 0;
    }
    void programsTalkToTheUserOnTheTerminal()
    {
        QFETCH(QString, program);
        QFETCH(QByteArray, typed);
        QFETCH(QString, out);
        QFETCH(int, code);
        const Run r = qvrpl({"--model", "48gx", "-e", program}, typed);
        QCOMPARE(r.out, out);
        QCOMPARE(r.code, code);
    }

    void anUnknownModelIsRefused()
    {
        const Run r = qvrpl({"--model", "42s", "-e", "1"});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains("unknown model"));
    }
};

QTEST_GUILESS_MAIN(TestQvrpl)
#include "tst_qvrpl.moc"
