// The UserRPL a flowchart turns into: the text of every structure, the
// refusals, and a cross-check that runs each flowchart and its program in the
// built-in calculator with the same inputs and compares what they write.
#include "FlowchartSketch.h"

#include "calc/core/Engine.h"
#include "calc/core/UserInterface.h"
#include "flowchart/FlowchartCode.h"
#include "flowchart/FlowchartRun.h"
#include "formats/CalcCharset.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "flowchart/DiagramFile.h"

#include <QProcess>
#include <QTemporaryDir>

#include <QtTest>

namespace {

// Lines as the test writes them ("«", "→" ...), joined with CR LF.
QByteArray program(const QString &lines)
{
    QString text;
    for (const QString &line : lines.split('\n'))
        text += line + "\r\n";
    return CalcCharset::encode(text);
}

GeneratedCode generate(const QString &sketch)
{
    TDiagram d;
    if (!buildSketch(d, sketch))
        return {};
    return GenerateUserRPL(d, '.');
}

// ----------------------------------------------------------- cross-check

// Answers INPUT from a list and keeps the MSGBOX texts.
class CalcUi : public Calc::UserInterface
{
public:
    QStringList answers;
    QStringList messages;
    void display(const Calc::Value &, const std::string &, int) override {}
    void clearDisplay() override {}
    void freeze(int) override {}
    void prompt(const std::string &) override {}
    void beep(double, double) override {}
    void setMenu(const std::vector<MenuKey> &, double) override {}
    Answer messageBox(const std::string &t) override
    {
        messages << CalcCharset::decode(QByteArray::fromStdString(t));
        return Answer::Ok;
    }
    Answer input(const InputRequest &, std::string &out) override
    {
        if (answers.isEmpty())
            return Answer::Cancelled;
        out = CalcCharset::encode(answers.takeFirst()).toStdString();
        return Answer::Ok;
    }
    Answer choose(const std::string &, const std::vector<std::string> &, int &) override
    {
        return Answer::Cancelled;
    }
    Answer inform(const InformRequest &, std::vector<std::string> &) override { return Answer::Cancelled; }
    Answer wait(double) override { return Answer::Ok; }
    Answer waitKey(std::string &) override { return Answer::Cancelled; }
    std::string key() override { return {}; }
    void cancel() override {}
};

class RunInput : public FlowInput
{
public:
    QStringList answers;
    bool AskValue(const QString &, const QString &, QString &answer) override
    {
        if (answers.isEmpty())
            return false;
        answer = answers.takeFirst();
        return true;
    }
};

// What a run wrote: "name=value" for a variable, the text for a quoted one.
struct Written
{
    QList<QPair<QString, double>> values;
    QStringList messages;
};

Written runFlowchart(const QString &sketch, const QStringList &answers, bool &ok)
{
    TDiagram d;
    ok = buildSketch(d, sketch);
    FlowchartRun run(d);
    RunInput input;
    input.answers = answers;
    run.SetInput(&input);
    run.SetDecimalSeparator('.');
    d.SetStepDelay(0);
    run.Run();
    QElapsedTimer t;
    t.start();
    while ((d.Active() || d.MovePending()) && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ok = ok && !run.Running(); // it reached End
    Written w;
    for (const QString &line : run.Lines()) {
        if (line.startsWith(" >> \""))
            w.messages << line.mid(5).chopped(1);
        else if (line.contains(" = "))
            w.values << qMakePair(line.section(" = ", 0, 0).trimmed(), line.section(" = ", 1).toDouble());
    }
    return w;
}

Written runInCalculator(const QByteArray &code, const QStringList &answers, bool &ok)
{
    // The caret marker is not part of the program.
    QByteArray text = code;
    text.replace('|', "");
    Calc::Engine engine;
    CalcUi ui;
    ui.answers = answers;
    engine.setUserInterface(&ui);
    ok = engine.enter(text.toStdString()) == Calc::Engine::Status::Done
         && engine.enter("EVAL") == Calc::Engine::Status::Done;
    if (!ok)
        qWarning("calculator: %s", engine.lastError().message.c_str());
    Written w;
    w.messages = ui.messages;
    for (const Calc::Value &v : engine.stack()) {
        // ":name:value" of a tagged number
        const QString shown = CalcCharset::decode(QByteArray::fromStdString(engine.toText(v)));
        w.values << qMakePair(shown.section(':', 1, 1), shown.section(':', 2).trimmed().toDouble());
    }
    engine.setUserInterface(nullptr);
    return w;
}

} // namespace

class TestFlowchartCode : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallBuiltInMessagesAndLabels(); }

    void generates_data()
    {
        QTest::addColumn<QString>("sketch");
        QTest::addColumn<QString>("lines");

        QTest::newRow("the nine lines of Start, Read a,b, s = a+b, Write s, End")
            << "s start [INICIO] -> r; r read [a,b] -> a; a action [s = a+b] -> w; w write [s] -> e;"
               "e stop [FIN]"
            << "«\n\"a\" \"\" INPUT OBJ→\n\"b\" \"\" INPUT OBJ→\n→ a b\n «\n  'a+b' →NUM 's' STO\n"
               "  s \"s\" →TAG\n »\n»|";
        QTest::newRow("a constant Action becomes the local's value")
            << "s start [I] -> a; a action [x = 5] -> w; w write [x] -> e; e stop [F]"
            << "«\n5\n→ x\n «\n  x \"x\" →TAG\n »\n»|";
        QTest::newRow("without Read and constants there is no local frame")
            << "s start [I] -> a; a action [CLEAR] -> w; w write [\"Hi\"] -> e; e stop [F]"
            << "«\n  CLEAR\n  \"Hi\" MSGBOX\n»|";
        QTest::newRow("a quoted Action is a message")
            << "s start [I] -> a; a action [\"Done\"] -> e; e stop [F]" << "«\n  \"Done\" MSGBOX\n»|";
        QTest::newRow("Pi becomes π")
            << "s start [I] -> a; a action [c = 2*Pi*r] -> e; e stop [F]" << "«\n  '2*π*r' →NUM 'c' STO\n»|";
        QTest::newRow("Pi inside a longer name stays")
            << "s start [I] -> a; a action [c = Pix+1] -> e; e stop [F]" << "«\n  'Pix+1' →NUM 'c' STO\n»|";
        QTest::newRow("pi in lower case stays as written")
            << "s start [I] -> a; a action [c = 2*pi] -> e; e stop [F]" << "«\n  '2*pi' →NUM 'c' STO\n»|";
        QTest::newRow("a Write of several names tags each")
            << "s start [I] -> w; w write [a, b] -> e; e stop [F]"
            << "«\n  a \"a\" →TAG\n  b \"b\" →TAG\n»|";
        QTest::newRow("IF with ELSE and >= as ≥")
            << "s start [I] -> c; c cond [x>=1] -> t, f; t action [\"yes\"] -> j; f action [\"no\"] -> j;"
               "j trans -> e; e stop [F]"
            << "«\n  IF 'x≥1'\n  THEN\n   \"yes\" MSGBOX\n  ELSE\n   \"no\" MSGBOX\n  END\n»|";
        QTest::newRow("IF without ELSE, <= as ≤")
            << "s start [I] -> c; c cond [x<=1] -> t, j; t action [\"yes\"] -> j; j trans -> e; e stop [F]"
            << "«\n  IF 'x≤1'\n  THEN\n   \"yes\" MSGBOX\n  END\n»|";
        QTest::newRow("= becomes == and <> stays")
            << "s start [I] -> c; c cond [x=1 or x<>2] -> t, j; t action [A] -> j; j trans -> e; e stop [F]"
            << "«\n  IF 'x==1 or x<>2'\n  THEN\n   A\n  END\n»|";
        QTest::newRow("WHILE")
            << "s start [I] -> j; j trans -> c; c cond [x<5] -> b, e; b action [x = x+1] -> j; e stop [F]"
            << "«\n  WHILE 'x<5'\n  REPEAT\n   'x+1' →NUM 'x' STO\n  END\n»|";
        QTest::newRow("DO")
            << "s start [I] -> j; j trans -> b; b action [x = x+1] -> c; c cond [x>5] -> e, j; e stop [F]"
            << "«\n  DO\n  'x+1' →NUM 'x' STO\n  UNTIL 'x>5'\n  END\n»|";
        QTest::newRow("FOR")
            << "s start [I] -> l; l loop [i = 1 : n] -> b, e; b action [s = s+i] -> l; e stop [F]"
            << "«\n   1   n\n  FOR i\n   's+i' →NUM 's' STO\n  NEXT\n»|";
        QTest::newRow("the bounds of a FOR keep their spacing")
            << "s start [I] -> l; l loop [k= 2 :n ] -> b, e; b action [P] -> l; e stop [F]"
            << "«\n   2  n \n  FOR k\n   P\n  NEXT\n»|";
        QTest::newRow("nested FOR loops")
            << "s start [I] -> o; o loop [i=1:3] -> n, e; n loop [j=1:2] -> b, o; b action [P] -> n; e stop [F]"
            << "«\n  1 3\n  FOR i\n   1 2\n   FOR j\n    P\n   NEXT\n  NEXT\n»|";
        QTest::newRow("a constant inside a branch is set where it stands")
            << "s start [I] -> y0; y0 action [y = 1] -> c; c cond [x<0] -> t, j; t action [y = -1] -> j;"
               "j trans -> e; e stop [F]"
            << "«\n1\n→ y\n «\n  IF 'x<0'\n  THEN\n   -1 'y' STO\n  END\n »\n»|";
        QTest::newRow("a constant set a second time is stored")
            << "s start [I] -> a; a action [x = 1] -> b; b action [x = 2] -> e; e stop [F]"
            << "«\n1\n→ x\n «\n  2 'x' STO\n »\n»|";
        QTest::newRow("a Read inside a loop asks each time round")
            << "s start [I] -> l; l loop [i = 1 : 3] -> r, e; r read [a] -> l; e stop [F]"
            << "«\n   1   3\n  FOR i\n   \"a\" \"\" INPUT OBJ→ 'a' STO\n  NEXT\n»|";
        QTest::newRow("an IF that ends the body of a FOR")
            << "s start [I] -> l; l loop [i=1:4] -> c, e; c cond [i>2] -> t, j; t action [A] -> j;"
               "j trans -> l; e stop [F]"
            << "«\n  1 4\n  FOR i\n   IF 'i>2'\n   THEN\n    A\n   END\n  NEXT\n»|";
        QTest::newRow("a WHILE that ends the body of a FOR")
            << "s start [I] -> l; l loop [i=1:2] -> j, e; j trans -> c; c cond [k>0] -> b, l;"
               "b action [k = k-1] -> j; e stop [F]"
            << "«\n  1 2\n  FOR i\n   WHILE 'k>0'\n   REPEAT\n    'k-1' →NUM 'k' STO\n   END\n  NEXT\n»|";
        QTest::newRow("branches that never meet leave their condition line and %%")
            << "s start [I] -> c; c cond [x>1] -> t, f; t action [A] -> e; f action [B] -> e2; e stop [F];"
               "e2 stop [G]"
            << "«\n 'x>1'\n%%\n   A\n»|";
        QTest::newRow("a junction that starts a loop inside an IF is taken as its merge point")
            << "s start [I] -> c; c cond [x>1] -> j, k; j trans -> b; b action [A] -> d;"
               "d cond [y>2] -> k, j; k trans -> e; e stop [F]"
            << "«\n  IF 'x>1'\n  THEN\n  ELSE\n»|";
    }
    void generates()
    {
        QFETCH(QString, sketch);
        QFETCH(QString, lines);
        const GeneratedCode code = generate(sketch);
        QVERIFY2(code.ok, qPrintable(code.detail));
        QCOMPARE(CalcCharset::decode(code.bytes), CalcCharset::decode(program(lines)));
        QCOMPARE(code.bytes, program(lines));
    }

    void bytesOfTheCalculator()
    {
        const GeneratedCode code = generate("s start [I] -> r; r read [a] -> c; c cond [x>=Pi] -> t, j;"
                                            "t action [B] -> j; j trans -> e; e stop [F]");
        QVERIFY(code.ok);
        QVERIFY(code.bytes.startsWith("\xAB\r\n\"a\" \"\" INPUT OBJ\x8D\r\n\x8D a\r\n \xAB\r\n"));
        QVERIFY(code.bytes.contains("IF 'x\x8APi'"));
        QVERIFY(code.bytes.endsWith(" \xBB\r\n\xBB|\r\n"));
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("sketch");
        QTest::addColumn<int>("message");
        QTest::newRow("no Start") << "e stop [F]" << 35;
        QTest::newRow("no End") << "s start [I] -> a; a action [x]" << 36;
        QTest::newRow("a Start that leads nowhere") << "s start [I]; e stop [F]" << 38;
        QTest::newRow("a block that leads nowhere") << "s start [I] -> a; a action [x]; e stop [F]" << 38;
        QTest::newRow("a block reached twice") << "s start [I] -> a; a action [x] -> a; e stop [F]" << 38;
        QTest::newRow("a loop without = and :") << "s start [I] -> l; l loop [i 1 3] -> e, f; e stop [F]; f stop [G]"
                                                << 38;
        QTest::newRow("an empty Read name") << "s start [I] -> r; r read [a,,b] -> e; e stop [F]" << 38;
        QTest::newRow("an empty Write name") << "s start [I] -> w; w write [a,] -> e; e stop [F]" << 38;
        QTest::newRow("a condition without a false way") << "s start [I] -> c; c cond [x] -> e; e stop [F]" << 38;
        QTest::newRow("a connector") << "s start [I] -> k; k link -> e; e stop [F]" << 38;
        QTest::newRow("two loops that lead back to each other")
            << "s start [I] -> a; a loop [i=1:2] -> y, b; y action [Y] -> b; b loop [j=1:2] -> x, a;"
               "x action [X] -> a; e stop [F]"
            << 38;
        QTest::newRow("a character the calculator does not have")
            << "s start [I] -> a; a action [\u4E2D] -> e; e stop [F]" << 38;
    }
    void refuses()
    {
        QFETCH(QString, sketch);
        QFETCH(int, message);
        TDiagram d;
        QVERIFY(buildSketch(d, sketch));
        const QByteArray before = [&] {
            QByteArray b;
            for (auto *s : d.Shapes())
                b += s->Name.toUtf8() + s->Caption().toUtf8();
            return b;
        }();
        const GeneratedCode code = GenerateUserRPL(d, '.');
        QVERIFY(!code.ok);
        QCOMPARE(code.message, message);
        QVERIFY(code.bytes.isEmpty());
        QByteArray after;
        for (auto *s : d.Shapes())
            after += s->Name.toUtf8() + s->Caption().toUtf8();
        QCOMPARE(after, before);
    }

    void aCommaLocaleReadsCommaConstants()
    {
        TDiagram d;
        QVERIFY(buildSketch(d, "s start [I] -> a; a action [x = 2,5] -> e; e stop [F]"));
        QCOMPARE(GenerateUserRPL(d, ',').bytes, program("«\n2,5\n→ x\n «\n »\n»|"));
    }

    // quorvane --flowchart-code FILE: the program on standard output, or the
    // builder's message on standard error; never a window.
    void commandLine_data()
    {
        QTest::addColumn<QString>("sketch"); // empty: a file that is not a flowchart
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("the program of a good flowchart")
            << "s start [I] -> r; r read [a,b] -> a; a action [s = a+b] -> w; w write [s] -> e; e stop [F]"
            << 0 << "";
        QTest::newRow("a file that is not a flowchart") << "" << 1 << Message(33) + "\n" + Message(16);
        QTest::newRow("a flowchart without a Start") << "e stop [F]" << 1 << Message(35);
        QTest::newRow("a flowchart the walk refuses") << "s start [I] -> a; a action [x]; e stop [F]" << 1
                                                      << Message(38);
        QTest::newRow("a file that does not exist") << "-" << 1 << Message(16);
    }
    void commandLine()
    {
        QFETCH(QString, sketch);
        QFETCH(int, exitCode);
        QFETCH(QString, stderrHas);
        QTemporaryDir dir;
        const QString path = dir.filePath("chart.adb");
        QByteArray expected;
        if (sketch.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("\x06\x0CNOT_A_CHART_");
        } else if (sketch != "-") {
            TDiagram d;
            QVERIFY(buildSketch(d, sketch));
            QVERIFY(DiagramFile::Save(path, d));
            expected = GenerateUserRPL(d, QLocale().decimalPoint().at(0)).bytes;
            expected.replace("\xBB|", "\xBB");
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QV_BIN_DIR "/quorvane"), {"--flowchart-code", path});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(p.readAllStandardOutput(), expected);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
        if (exitCode == 0)
            QVERIFY(expected.startsWith("\xAB\r\n") && expected.endsWith("\r\n\xBB\r\n"));
    }

    // Each flowchart runs on its own and, turned into UserRPL, in the
    // calculator, with the same inputs: both must write the same.
    void crossCheck_data()
    {
        QTest::addColumn<QString>("sketch");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("agree");

        const QString sequence = "s start [I] -> r; r read [a,b] -> a; a action [s = a*b+1] -> w;"
                                 "w write [s, a] -> e; e stop [F]";
        QTest::newRow("a sequence of Read, Action and Write") << sequence << QStringList{"3", "4.5"} << true;
        const QString ifElse = "s start [I] -> r; r read [x] -> c; c cond [x>3] -> t, f;"
                               "t action [y = x*2] -> j; f action [y = x-10] -> j; j trans -> w;"
                               "w write [y] -> e; e stop [F]";
        QTest::newRow("IF with ELSE, the true way") << ifElse << QStringList{"5"} << true;
        QTest::newRow("IF with ELSE, the false way") << ifElse << QStringList{"1"} << true;
        const QString ifOnly = "s start [I] -> r; r read [x] -> z; z action [y = 1] -> c;"
                               "c cond [x<0] -> t, j; t action [y = -1] -> j; j trans -> w; w write [y] -> e;"
                               "e stop [F]";
        QTest::newRow("IF without ELSE, taken") << ifOnly << QStringList{"-2"} << true;
        QTest::newRow("IF without ELSE, passed by") << ifOnly << QStringList{"2"} << true;
        QTest::newRow("WHILE")
            << "s start [I] -> r; r read [n] -> i0; i0 action [i = 0] -> s0; s0 action [s = 0] -> j;"
               "j trans -> c; c cond [i<n] -> b1, w; b1 action [i = i+1] -> b2; b2 action [s = s+i*i] -> j;"
               "w write [s] -> e; e stop [F]"
            << QStringList{"4"} << true;
        QTest::newRow("DO")
            << "s start [I] -> x0; x0 action [x = 1] -> j; j trans -> b; b action [x = x*3] -> c;"
               "c cond [x>=50] -> w, j; w write [x] -> e; e stop [F]"
            << QStringList() << true;
        QTest::newRow("FOR")
            << "s start [I] -> r; r read [n] -> s0; s0 action [s = 0] -> l; l loop [i = 1 : n] -> b, w;"
               "b action [s = s+i] -> l; w write [s] -> e; e stop [F]"
            << QStringList{"10"} << true;
        QTest::newRow("nested FOR loops")
            << "s start [I] -> s0; s0 action [s = 0] -> o; o loop [i = 1 : 3] -> n, w;"
               "n loop [k = 1 : 4] -> b, o; b action [s = s + i*k] -> n; w write [s] -> e; e stop [F]"
            << QStringList() << true;
        QTest::newRow("a WHILE inside a FOR")
            << "s start [I] -> s0; s0 action [s = 0] -> l; l loop [i = 1 : 3] -> m, w;"
               "m action [k = i] -> j; j trans -> c; c cond [k>0] -> b, l; b action [s = s+k] -> d;"
               "d action [k = k-1] -> j; w write [s] -> e; e stop [F]"
            << QStringList() << true;
        QTest::newRow("a quoted Write and Pi")
            << "s start [I] -> r; r read [r] -> a; a action [area = Pi*r^2] -> m; m write [\"Area\"] -> w;"
               "w write [area] -> e; e stop [F]"
            << QStringList{"2"} << true;
        QTest::newRow("a condition worth 2: the run goes the false way, the calculator the true way, by design")
            << "s start [I] -> r; r read [x] -> c; c cond [x] -> t, f; t action [y = 1] -> j;"
               "f action [y = 0] -> j; j trans -> w; w write [y] -> e; e stop [F]"
            << QStringList{"2"} << false;
    }
    void crossCheck()
    {
        QFETCH(QString, sketch);
        QFETCH(QStringList, answers);
        QFETCH(bool, agree);
        bool ranToEnd = false, calculated = false;
        const Written run = runFlowchart(sketch, answers, ranToEnd);
        QVERIFY(ranToEnd);
        const GeneratedCode code = generate(sketch);
        QVERIFY2(code.ok, qPrintable(code.detail));
        const Written calc = runInCalculator(code.bytes, answers, calculated);
        QVERIFY2(calculated, code.bytes.constData());
        QVERIFY(!run.values.isEmpty());
        QCOMPARE(calc.messages, run.messages);
        QCOMPARE(calc.values.size(), run.values.size());
        bool same = true;
        for (qsizetype i = 0; i < run.values.size(); ++i) {
            QCOMPARE(calc.values[i].first, run.values[i].first);
            const double a = run.values[i].second, b = calc.values[i].second;
            same = same && std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
        }
        if (agree)
            QVERIFY2(same, qPrintable(QString("run %1, calculator %2")
                                          .arg(run.values.last().second)
                                          .arg(calc.values.last().second)));
        else
            QVERIFY(!same);
    }
};

QTEST_MAIN(TestFlowchartCode)
#include "tst_flowchartcode.moc"
