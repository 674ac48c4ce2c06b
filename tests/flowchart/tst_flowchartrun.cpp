// Running a flowchart: what each block prints in the run window, run errors,
// stepping and stopping. The scripted input answers the Read blocks.
#include "FlowchartSketch.h"

#include "flowchart/DiagramBuilder.h"
#include "flowchart/FlowchartRun.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"

#include <QtTest>

namespace {

class ScriptedInput : public FlowInput
{
public:
    QStringList answers;
    QStringList prompts;
    bool AskValue(const QString &prompt, const QString &, QString &answer) override
    {
        prompts << prompt;
        if (answers.isEmpty() || answers.first() == "!cancel") {
            if (!answers.isEmpty())
                answers.removeFirst();
            return false;
        }
        answer = answers.takeFirst();
        return true;
    }
};

// "!27" is the run error line of Message27, "!!key" that of a builder text;
// "@T" and "@F" the words for true and false.
QStringList expand(const QString &lines)
{
    QStringList out;
    for (QString line : lines.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("!!"))
            line = "{" + Label(19) + ": " + LanguageText("BuilderDialog", line.mid(2)) + "}";
        else if (line.startsWith('!'))
            line = "{" + Label(19) + ": " + Message(line.mid(1).toInt()) + "}";
        line.replace("@T", Label(35)).replace("@F", Label(36));
        out << line;
    }
    return out;
}

struct Harness
{
    TDiagram diagram;
    FlowchartRun run{diagram};
    ScriptedInput input;
    ScriptedDialogs dialogs;

    explicit Harness(const QString &sketch, const QStringList &answers = {})
    {
        diagram.SetStepDelay(0);
        run.SetInput(&input);
        run.SetDecimalSeparator('.');
        input.answers = answers;
        const bool built = buildSketch(diagram, sketch);
        Q_ASSERT(built);
    }
    // Waits (bounded) until no move is pending and the run is not active.
    bool settle()
    {
        QElapsedTimer t;
        t.start();
        while (diagram.Active() || diagram.MovePending()) {
            if (t.elapsed() > 5000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
};

} // namespace

class TestFlowchartRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallBuiltInMessagesAndLabels(); }

    void runs_data()
    {
        QTest::addColumn<QString>("sketch");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("stillRunning"); // only Stop ends a run that did not reach End

        QTest::newRow("Start and End print their captions")
            << "s start [INICIO] -> e; e stop [FIN]" << QStringList() << "INICIO\nFIN" << false;
        QTest::newRow("Read, Action and Write")
            << "s start [INICIO] -> r; r read [a,b] -> a; a action [s = a+b] -> w; w write [s] -> e; e stop [FIN]"
            << QStringList{"3", "4.5"} << "INICIO\n 3 >> a\n 4.5 >> b\n s << 7.5\n s = 7.5\nFIN" << false;
        QTest::newRow("blanks around the names of a Read are allowed")
            << "s start [I] -> r; r read [ a , b ] -> e; e stop [F]"
            << QStringList{"1", "2"} << "I\n 1 >> a\n 2 >> b\nF" << false;
        QTest::newRow("a condition x>3 with x = 5 is true and takes the true way")
            << "s start [I] -> r; r read [x] -> c; c cond [x>3] -> t, f; t write [\"big\"] -> e;"
               "f write [\"small\"] -> e; e stop [F]"
            << QStringList{"5"} << "I\n 5 >> x\n 'x>3' >> @T\n >> \"big\"\nF" << false;
        QTest::newRow("a condition worth 2 prints true but goes the false way")
            << "s start [I] -> a; a action [x = 2] -> c; c cond [x] -> t, f; t write [\"one\"] -> e;"
               "f write [\"other\"] -> e; e stop [F]"
            << QStringList() << "I\n x << 2\n 'x' >> @T\n >> \"other\"\nF" << false;
        QTest::newRow("a loop i = 1 : 3 counts to 4 and leaves through its false way")
            << "s start [I] -> l; l loop [i = 1 : 3] -> b, e; b action [Show] -> l; e stop [F]"
            << QStringList() << "I\n i << 1\n Show\n i << 2\n Show\n i << 3\n Show\n i << 4\nF" << false;
        QTest::newRow("a loop entered again starts again at its start")
            << "s start [I] -> o; o loop [i = 1 : 2] -> n, e; n loop [j = 1 : 1] -> b, o;"
               "b action [k = i*10+j] -> n; e stop [F]"
            << QStringList()
            << "I\n i << 1\n j << 1\n k << 11\n j << 2\n i << 2\n j << 1\n k << 21\n j << 2\n i << 3\nF"
            << false;
        QTest::newRow("an Action without = prints its caption")
            << "s start [I] -> a; a action [  DROP] -> e; e stop [F]" << QStringList() << "I\n   DROP\nF"
            << false;
        QTest::newRow("Pi is a variable from the start")
            << "s start [I] -> a; a action [t = 2*pi] -> e; e stop [F]" << QStringList()
            << "I\n t << 6.28318530717959\nF" << false;
        QTest::newRow("a pair of connectors jumps across the drawing")
            << "s start [I] -> k1; k1 link -> k2; k2 link -> w; w write [\"there\"] -> e; e stop [F]"
            << QStringList() << "I\n >> \"there\"\nF" << false;
        QTest::newRow("a block without a way out ends the run silently after its action")
            << "s start [I] -> a; a action [x = 1]; e stop [F]" << QStringList() << "I\n x << 1" << true;
        QTest::newRow("a junction passes the flow on")
            << "s start [I] -> j; j trans -> e; e stop [F]" << QStringList() << "I\nF" << false;

        QTest::newRow("two commas in a row fail after asking for a")
            << "s start [I] -> r; r read [a,,b] -> e; e stop [F]" << QStringList{"1", "2"}
            << "I\n 1 >> a\n!20" << true;
        QTest::newRow("a cancelled Read") << "s start [I] -> r; r read [a] -> e; e stop [F]"
                                          << QStringList{"!cancel"} << "I\n!21" << true;
        QTest::newRow("an empty answer") << "s start [I] -> r; r read [a] -> e; e stop [F]"
                                         << QStringList{"  "} << "I\n!21" << true;
        QTest::newRow("an answer that is not a number")
            << "s start [I] -> r; r read [a] -> e; e stop [F]" << QStringList{"seven"}
            << "I\n{Error: La respuesta \"seven\" no es un número.}" << true;
        QTest::newRow("a Read name that is not a name") << "s start [I] -> r; r read [1a] -> e; e stop [F]"
                                                        << QStringList() << "I\n!22" << true;
        QTest::newRow("two Read names without a comma") << "s start [I] -> r; r read [a b] -> e; e stop [F]"
                                                        << QStringList{"1"} << "I\n 1 >> a\n!22" << true;
        QTest::newRow("a quoted Write without its closing quote")
            << "s start [I] -> w; w write [\"word] -> e; e stop [F]" << QStringList() << "I\n!23" << true;
        QTest::newRow("a Write of a variable without a value")
            << "s start [I] -> w; w write [q] -> e; e stop [F]" << QStringList() << "I\n!24" << true;
        QTest::newRow("a Write with a character that is not part of a name")
            << "s start [I] -> w; w write [pi+1] -> e; e stop [F]" << QStringList() << "I\n pi = 3.14159265358979\n!25" << true;
        QTest::newRow("a Write list with a comma and no name")
            << "s start [I] -> w; w write [,pi] -> e; e stop [F]" << QStringList() << "I\n!20" << true;
        QTest::newRow("an Action dividing by zero")
            << "s start [I] -> a; a action [x = 1/0] -> e; e stop [F]" << QStringList() << "I\n!27" << true;
        QTest::newRow("an Action with an unknown variable")
            << "s start [I] -> a; a action [x = y+1] -> e; e stop [F]" << QStringList() << "I\n!27" << true;
        QTest::newRow("an Action without a name") << "s start [I] -> a; a action [ = 1] -> e; e stop [F]"
                                                  << QStringList() << "I\n!20" << true;
        QTest::newRow("a block without instructions") << "s start [I] -> a; a action -> e; e stop [F]"
                                                      << QStringList() << "I\n!37" << true;
        QTest::newRow("a condition that does not parse")
            << "s start [I] -> c; c cond [1+] -> e, e2; e stop [F]; e2 stop [G]" << QStringList()
            << "I\n!27" << true;
        QTest::newRow("a loop without =") << "s start [I] -> l; l loop [i 1:3] -> e, g; e stop [F]; g stop [G]"
                                          << QStringList() << "I\n!30" << true;
        QTest::newRow("a loop without :") << "s start [I] -> l; l loop [i = 1 3] -> e, g; e stop [F]; g stop [G]"
                                          << QStringList() << "I\n!30" << true;
        QTest::newRow("a loop without a name") << "s start [I] -> l; l loop [ = 1:3] -> e, g; e stop [F]; g stop [G]"
                                               << QStringList() << "I\n!22" << true;
        QTest::newRow("a loop without a start") << "s start [I] -> l; l loop [i = :3] -> e, g; e stop [F]; g stop [G]"
                                                << QStringList() << "I\n!28" << true;
        QTest::newRow("a loop without an end") << "s start [I] -> l; l loop [i = 1: ] -> e, g; e stop [F]; g stop [G]"
                                               << QStringList() << "I\n!29" << true;
    }
    void runs()
    {
        QFETCH(QString, sketch);
        QFETCH(QStringList, answers);
        QFETCH(QString, lines);
        QFETCH(bool, stillRunning);
        Harness h(sketch, answers);
        QSignalSpy beeps(&h.run, &FlowchartRun::beep);
        h.run.Run();
        QVERIFY(h.settle());
        QCOMPARE(h.run.Lines(), expand(lines));
        QCOMPARE(h.run.Running(), stillRunning);
        QCOMPARE(beeps.count(), expand(lines).last().startsWith('{') ? 1 : 0);
        QVERIFY(h.dialogs.messages.isEmpty());
        if (!stillRunning)
            QCOMPARE(h.diagram.State(), nullptr);
    }

    void theReadPromptNamesTheVariableInBold()
    {
        Harness h("s start [I] -> r; r read [a] -> e; e stop [F]", {"1"});
        h.run.Run();
        QVERIFY(h.settle());
        QCOMPARE(h.input.prompts, QStringList{Label(33) + " \"<B>a</B>\":"});
    }

    void aRunMayNotCreateA102ndVariable()
    {
        QStringList names, answers;
        for (int i = 1; i <= FlowchartRun::MaxVariables; ++i) {
            names << QString("v%1").arg(i);
            answers << QString::number(i);
        }
        Harness h("s start [I] -> r; r read [" + names.join(',') + "] -> e; e stop [F]", answers);
        h.run.Run();
        QVERIFY(h.settle());
        QCOMPARE(h.run.VariableNames().size(), FlowchartRun::MaxVariables);
        QCOMPARE(h.run.Lines().last(),
                 "{Error: " + FormatText(LanguageText("BuilderDialog", "RunTooManyVariables"), {101}) + "}");
    }

    void preparationRefuses_data()
    {
        QTest::addColumn<QString>("sketch");
        QTest::addColumn<int>("message");
        QTest::addColumn<bool>("running");
        QTest::newRow("no Start") << "e stop [F]" << 35 << false;
        QTest::newRow("no End: run mode stays with Start active") << "s start [I]" << 36 << true;
        QTest::newRow("a condition without its false way")
            << "s start [I] -> c; c cond [1] -> e; e stop [F]" << 39 << true;
        QTest::newRow("two loops without their ways: one message")
            << "s start [I]; l loop [i=1:2]; m loop [j=1:2]; e stop [F]" << 39 << true;
    }
    void preparationRefuses()
    {
        QFETCH(QString, sketch);
        QFETCH(int, message);
        QFETCH(bool, running);
        Harness h(sketch);
        QSignalSpy editing(&h.run, &FlowchartRun::editingEnabled);
        h.run.Run();
        QVERIFY(h.settle());
        QCOMPARE(h.dialogs.messages.size(), 1);
        QCOMPARE(h.dialogs.messages[0].text, Message(message));
        QCOMPARE(h.run.Running(), running);
        QVERIFY(h.run.Lines().isEmpty());
        if (running) {
            QCOMPARE(h.diagram.State(), h.diagram.FindShape("s"));
            QCOMPARE(editing.last().at(0).toBool(), false);
            h.run.Stop();
            QVERIFY(!h.run.Running());
            QCOMPARE(h.diagram.State(), nullptr);
            QCOMPARE(editing.last().at(0).toBool(), true);
        }
    }

    void stepping()
    {
        Harness h("s start [INICIO] -> a; a action [x = 1] -> e; e stop [FIN]");
        h.run.Step();
        QVERIFY(h.settle());
        // The first step only shows where the run begins.
        QCOMPARE(h.diagram.State(), h.diagram.FindShape("s"));
        QVERIFY(h.run.Lines().isEmpty());
        QVERIFY(h.run.Running());
        h.run.Step();
        QVERIFY(h.settle());
        QCOMPARE(h.run.Lines(), QStringList{"INICIO"});
        QCOMPARE(h.diagram.State(), h.diagram.FindShape("a"));
        h.run.Step();
        QVERIFY(h.settle());
        QCOMPARE(h.run.Lines(), (QStringList{"INICIO", " x << 1"}));
        QCOMPARE(h.diagram.State(), h.diagram.FindShape("e"));
        h.run.Step();
        QVERIFY(h.settle());
        QCOMPARE(h.run.Lines().last(), QString("FIN"));
        QVERIFY(!h.run.Running());
        QCOMPARE(h.diagram.State(), nullptr);
        QVERIFY(h.run.StepEnabled());
    }

    void runDisablesStepUntilStop()
    {
        Harness h("s start [I] -> a; a action [x = 1]; e stop [F]");
        QVERIFY(h.run.StepEnabled());
        h.run.Run();
        QVERIFY(!h.run.StepEnabled());
        QVERIFY(h.settle());
        QVERIFY(h.run.Running());
        h.run.Stop();
        QVERIFY(h.run.StepEnabled());
        QVERIFY(!h.run.Running());
    }

    void stopBetweenMoves()
    {
        Harness h("s start [I] -> l; l loop [i = 1 : 1000000] -> b, e; b action [n = i] -> l; e stop [F]");
        h.diagram.SetStepDelay(5);
        h.run.Run();
        QTRY_VERIFY_WITH_TIMEOUT(h.run.Lines().size() > 4, 5000);
        h.run.Stop();
        QVERIFY(h.settle());
        const qsizetype printed = h.run.Lines().size();
        QTest::qWait(30);
        QCOMPARE(h.run.Lines().size(), printed);
        QCOMPARE(h.diagram.State(), nullptr);
        QVERIFY(!h.diagram.Active());
    }

    void theActiveShapeTravels()
    {
        Harness h("s start [I] -> a; a action [x = 1] -> e; e stop [F]");
        QStringList visited;
        connect(&h.diagram, &TDiagram::changed, &h.diagram, [&] {
            if (h.diagram.State() && (visited.isEmpty() || visited.last() != h.diagram.State()->Name))
                visited << h.diagram.State()->Name;
        });
        h.run.Run();
        QVERIFY(h.settle());
        QCOMPARE(visited, (QStringList{"s", "a", "e"}));
    }

    void numberFormat_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("a whole number") << 42.0 << "42";
        QTest::newRow("a negative fraction") << -2.5 << "-2.5";
        QTest::newRow("trailing zeros go") << 0.1 + 0.2 << "0.3";
        QTest::newRow("15 significant digits") << 2.0 / 3.0 << "0.666666666666667";
        QTest::newRow("15 integer digits stay plain") << 123456789012345.0 << "123456789012345";
        QTest::newRow("16 integer digits are scientific") << 1234567890123456.0 << "1.23456789012346E15";
        QTest::newRow("0.00001 stays plain") << 0.00001 << "0.00001";
        QTest::newRow("below 0.00001 is scientific") << 0.0000015 << "1.5E-6";
        QTest::newRow("a large power of ten") << 1e20 << "1E20";
    }
    void numberFormat()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FlowchartRun::FormatNumber(value, '.'), text);
        QCOMPARE(FlowchartRun::FormatNumber(value, ','), QString(text).replace('.', ','));
    }
};

QTEST_MAIN(TestFlowchartRun)
#include "tst_flowchartrun.moc"
