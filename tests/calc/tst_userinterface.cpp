// The commands that talk to the user, through a scripted user interface:
// what they show, what they ask and what they leave on the stack.
#include "calc/core/Engine.h"
#include "calc/core/UserInterface.h"
#include "formats/CalcCharset.h"

#include <QtTest>

#include <condition_variable>
#include <mutex>
#include <thread>

using namespace Calc;

namespace {

std::string calc(const QString &utf8)
{
    const QByteArray b = CalcCharset::encode(utf8);
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QString text(const std::string &bytes)
{
    return CalcCharset::decode(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QStringList stackTexts(const Engine &e)
{
    QStringList out;
    for (const Value &v : e.stack())
        out << text(e.toText(v));
    return out;
}

// Answers requests from a list ("!cancel" cancels one) and writes down
// everything shown, one line per event.
class ScriptedUi : public UserInterface
{
public:
    QStringList answers;
    QStringList shown;

    void display(const Value &, const std::string &t, int line) override
    {
        shown << QString("DISP %1: %2").arg(line).arg(text(t));
    }
    void clearDisplay() override { shown << "CLLCD"; }
    void freeze(int areas) override { shown << QString("FREEZE %1").arg(areas); }
    void prompt(const std::string &t) override { shown << "PROMPT " + text(t); }
    void beep(double hz, double s) override { shown << QString("BEEP %1 %2").arg(hz).arg(s); }
    void setMenu(const std::vector<MenuKey> &keys, double n) override
    {
        QStringList labels;
        for (const MenuKey &k : keys)
            labels << text(k.label);
        shown << QString("MENU %1 [%2]").arg(n).arg(labels.join(' '));
    }
    Answer messageBox(const std::string &t) override
    {
        shown << "MSGBOX " + text(t);
        return Answer::Ok;
    }
    Answer input(const InputRequest &r, std::string &out) override
    {
        shown << QString("INPUT %1 [%2]%3")
                     .arg(text(r.prompt), text(r.commandLine), r.verify ? " V" : "");
        for (;;) {
            QString a;
            if (!next(a))
                return Answer::Cancelled;
            const std::string bytes = calc(a);
            if (r.check) {
                const std::string err = r.check(bytes);
                if (!err.empty()) {
                    shown << "refused: " + text(err);
                    continue;
                }
            }
            out = bytes;
            return Answer::Ok;
        }
    }
    Answer choose(const std::string &title, const std::vector<std::string> &items,
                  int &choice) override
    {
        QStringList labels;
        for (const auto &i : items)
            labels << text(i);
        shown << QString("CHOOSE %1 [%2] at %3").arg(text(title), labels.join('|')).arg(choice);
        QString a;
        if (!next(a))
            return Answer::Cancelled;
        choice = a.toInt();
        return Answer::Ok;
    }
    Answer inform(const InformRequest &r, std::vector<std::string> &values) override
    {
        QStringList fields;
        for (const auto &f : r.fields)
            fields << text(f.label) + "=" + text(f.value);
        shown << QString("INFORM %1 [%2]").arg(text(r.title), fields.join('|'));
        for (size_t i = 0; i < r.fields.size(); ++i) {
            QString a;
            if (!next(a))
                return Answer::Cancelled;
            const std::string err = r.check(i, calc(a));
            if (!err.empty()) {
                shown << "refused: " + text(err);
                --i; // asked again
                continue;
            }
            values.push_back(calc(a));
        }
        return Answer::Ok;
    }
    Answer wait(double s) override
    {
        shown << QString("WAIT %1").arg(s);
        return Answer::Ok;
    }
    Answer waitKey(std::string &code) override
    {
        QString a;
        if (!next(a))
            return Answer::Cancelled;
        code = calc(a);
        return Answer::Ok;
    }
    std::string key() override
    {
        QString a;
        return next(a) ? calc(a) : std::string();
    }
    void cancel() override {}

private:
    bool next(QString &a)
    {
        if (answers.isEmpty() || answers.first() == "!cancel") {
            if (!answers.isEmpty())
                answers.removeFirst();
            return false;
        }
        a = answers.takeFirst();
        return true;
    }
};

// Blocks in INPUT until cancelled, as a window waiting for its user does.
class BlockingUi : public ScriptedUi
{
public:
    std::mutex m;
    std::condition_variable cv;
    bool waiting = false;
    bool cancelled = false;

    Answer input(const InputRequest &, std::string &) override
    {
        std::unique_lock<std::mutex> lock(m);
        waiting = true;
        cv.notify_all();
        cv.wait(lock, [this] { return cancelled; });
        return Answer::Interrupted;
    }
    void cancel() override
    {
        std::lock_guard<std::mutex> lock(m);
        cancelled = true;
        cv.notify_all();
    }
};

} // namespace

class TestUserInterface : public QObject
{
    Q_OBJECT

private slots:
    void commandsTalkThroughTheInterface_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QStringList>("stack");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("DISP shows a string without quotes on its line")
            << "\"Hi\" 2 DISP 5 1 DISP" << QStringList() << QStringList()
            << QStringList{"DISP 2: Hi", "DISP 1: 5"};
        QTest::newRow("DISP keeps to the lines the screen has")
            << "1 99 DISP" << QStringList() << QStringList() << QStringList{"DISP 7: 1"};
        QTest::newRow("INPUT returns the text typed")
            << "\"Name?\" \"\" INPUT" << QStringList{"Ann"} << QStringList{"\"Ann\""}
            << QStringList{"INPUT Name? []"};
        QTest::newRow("INPUT offers its command line")
            << "\"N?\" { \"5\" { 1 2 } V } INPUT OBJ→" << QStringList{"7"}
            << QStringList{"7"} << QStringList{"INPUT N? [5] V"};
        QTest::newRow("INPUT with V refuses text that does not compile")
            << "\"N?\" { \"\" V } INPUT" << QStringList{"« 1", "2"} << QStringList{"\"2\""}
            << QStringList{"INPUT N? [] V", "refused: Invalid Syntax"};
        QTest::newRow("a cancelled INPUT abandons the program")
            << "1 \"N?\" \"\" INPUT 2" << QStringList{"!cancel"} << QStringList{"1"}
            << QStringList{"INPUT N? []"};
        QTest::newRow("CHOOSE returns the object of the chosen item and 1")
            << "\"Pick\" { { \"Sine\" SIN } 5 } 1 CHOOSE" << QStringList{"2"}
            << QStringList{"5", "1"} << QStringList{"CHOOSE Pick [Sine|5] at 1"};
        QTest::newRow("CHOOSE of a labelled item returns its object")
            << "\"Pick\" { { \"Two\" 2 } 5 } 1 CHOOSE DROP 3 +" << QStringList{"1"}
            << QStringList{"5"} << QStringList{"CHOOSE Pick [Two|5] at 1"};
        QTest::newRow("a cancelled CHOOSE returns 0")
            << "\"Pick\" { 1 2 } 2 CHOOSE" << QStringList{"!cancel"} << QStringList{"0"}
            << QStringList{"CHOOSE Pick [1|2] at 2"};
        QTest::newRow("INFORM returns the values and 1")
            << "\"Data\" { { \"A:\" \"Enter A\" 0 } \"B:\" } { 1 0 } { } { 1 } INFORM"
            << QStringList{"4", "\"x\""} << QStringList{"{ 4 \"x\" }", "1"}
            << QStringList{"INFORM Data [A:=1|B:=]"};
        QTest::newRow("INFORM refuses a value of a type the field does not take")
            << "\"Data\" { { \"A:\" \"\" 0 } } { } { } { } INFORM"
            << QStringList{"\"s\"", "3"} << QStringList{"{ 3 }", "1"}
            << QStringList{"INFORM Data [A:=]", "refused: Bad Argument Type"};
        QTest::newRow("an empty INFORM field is NOVAL")
            << "\"D\" { \"A:\" } { } { } { } INFORM DROP 1 GET" << QStringList{""}
            << QStringList{"NOVAL"} << QStringList{"INFORM D [A:=]"};
        QTest::newRow("a cancelled INFORM returns 0")
            << "\"D\" { \"A:\" } { } { } { } INFORM" << QStringList{"!cancel"}
            << QStringList{"0"} << QStringList{"INFORM D [A:=]"};
        QTest::newRow("MSGBOX shows its text")
            << "\"Done\" MSGBOX" << QStringList() << QStringList() << QStringList{"MSGBOX Done"};
        QTest::newRow("PROMPT shows its text and halts the program")
            << "« \"More?\" PROMPT 2 » EVAL" << QStringList() << QStringList()
            << QStringList{"PROMPT More?"};
        QTest::newRow("WAIT pauses") << "0.5 WAIT" << QStringList() << QStringList()
                                     << QStringList{"WAIT 0.5"};
        QTest::newRow("WAIT 0 returns the key pressed")
            << "0 WAIT" << QStringList{"11.1"} << QStringList{"11.1"} << QStringList();
        QTest::newRow("KEY returns a key and 1") << "KEY" << QStringList{"25"}
                                                 << QStringList{"25", "1"} << QStringList();
        QTest::newRow("KEY without a key returns 0")
            << "KEY" << QStringList() << QStringList{"0"} << QStringList();
        QTest::newRow("TMENU shows the labels of its list")
            << "{ A { \"Go\" 5 } SIN } TMENU" << QStringList() << QStringList()
            << QStringList{"MENU 0 [A Go SIN]"};
        QTest::newRow("MENU with a list keeps it in CST")
            << "{ X Y } MENU CST" << QStringList() << QStringList{"{ X Y }"}
            << QStringList{"MENU 1 [X Y]"};
        QTest::newRow("→LCD draws a picture on the screen")
            << "GROB 1 1 10 →LCD" << QStringList() << QStringList()
            << QStringList{"DISP 1: "};
        QTest::newRow("LCD→ without a picture of the screen gives a blank one")
            << "LCD→ SIZE" << QStringList() << QStringList{"# 131d", "# 64d"} << QStringList();
        QTest::newRow("CLLCD, FREEZE and BEEP reach the screen")
            << "CLLCD 2 FREEZE 440 0.1 BEEP" << QStringList() << QStringList()
            << QStringList{"CLLCD", "FREEZE 2", "BEEP 440 0.1"};
        QTest::newRow("the code an INPUT builder writes runs")
            << "\"Enter N\" { \"5\" { 1 2 } ALG V } INPUT OBJ→" << QStringList{"6"}
            << QStringList{"6"} << QStringList{"INPUT Enter N [5] V"};
    }
    void commandsTalkThroughTheInterface()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, answers);
        QFETCH(QStringList, stack);
        QFETCH(QStringList, shown);
        Engine e(Model::HP48GX);
        ScriptedUi ui;
        ui.answers = answers;
        e.setUserInterface(&ui);
        const Engine::Status s = e.enter(calc(program));
        QVERIFY2(s == Engine::Status::Done || s == Engine::Status::Halted,
                 e.lastError().message.c_str());
        QCOMPARE(stackTexts(e), stack);
        QCOMPARE(ui.shown, shown);
    }

    void withoutAnInterfaceOutputIsDroppedAndRequestsCancelled()
    {
        Engine e(Model::HP48GX);
        QCOMPARE(e.enter(calc("\"x\" 1 DISP \"T\" { 1 } 1 CHOOSE")), Engine::Status::Done);
        QCOMPARE(stackTexts(e), QStringList{"0"});
    }

    void aCancelledInputLeavesHaltedProgramsAlone()
    {
        Engine e(Model::HP48GX);
        ScriptedUi ui;
        ui.answers = {"!cancel"};
        e.setUserInterface(&ui);
        QCOMPARE(e.enter(calc("« HALT 5 » EVAL")), Engine::Status::Halted);
        QCOMPARE(e.enter(calc("\"N?\" \"\" INPUT 2")), Engine::Status::Done);
        QCOMPARE(e.haltedCount(), 1);
        QCOMPARE(e.enter(calc("CONT")), Engine::Status::Done);
        QCOMPARE(stackTexts(e), QStringList{"5"});
    }

    void anInterruptWakesAProgramWaitingForInput_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("INPUT in the middle of a command line") << "1 \"N?\" \"\" INPUT 2";
        QTest::newRow("INPUT as the last object of a command line") << "1 \"N?\" \"\" INPUT";
    }
    void anInterruptWakesAProgramWaitingForInput()
    {
        QFETCH(QString, line);
        Engine e(Model::HP48GX);
        BlockingUi ui;
        e.setUserInterface(&ui);
        Engine::Status status = Engine::Status::Done;
        std::thread runner([&] { status = e.enter(calc(line)); });
        {
            std::unique_lock<std::mutex> lock(ui.m);
            ui.cv.wait(lock, [&] { return ui.waiting; });
        }
        e.requestInterrupt(); // the ON key, from the window's thread
        runner.join();
        QCOMPARE(status, Engine::Status::Interrupted);
        QCOMPARE(stackTexts(e), QStringList{"1"});
    }
};

QTEST_GUILESS_MAIN(TestUserInterface)
#include "tst_userinterface.moc"
