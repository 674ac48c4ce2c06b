// The calculator machine driven through its keyboard matrix: what keys do,
// what the screen shows, the ready bit, attention and the debug menu.
#include "calc/machine/Machine.h"
#include "formats/CalcCharset.h"

#include <QtTest>

using namespace Calc;

namespace {

constexpr int Limit = 10000; // ms; only a hung machine reaches it

std::string calc(const QString &s)
{
    const QByteArray b = CalcCharset::encode(s);
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QString text(const std::string &calcBytes)
{
    return CalcCharset::decode(QByteArray(calcBytes.data(), static_cast<qsizetype>(calcBytes.size())));
}

// A key by what it does unshifted ("#ENTER", "=7", "+") or, as "a:X", by the
// letter it types in alpha mode.
const KeyDef *findKey(Model m, const QString &token)
{
    for (const KeyDef &k : keyboardOf(m).keys) {
        if (token.startsWith("a:") && k.alpha == token.at(2).toLatin1())
            return &k;
        if (!token.startsWith("a:") && k.action == calc(token))
            return &k;
    }
    return nullptr;
}

bool press(Machine &m, const QString &tokens)
{
    for (const QString &t : tokens.split(' ', Qt::SkipEmptyParts)) {
        const KeyDef *k = findKey(m.model(), t == "SPC" ? "= " : t);
        if (!k) {
            qWarning() << "no key" << t;
            return false;
        }
        m.pressKey(k->out, 1 << k->bit);
        m.releaseKey(k->out, 1 << k->bit);
    }
    return m.waitReady(Limit);
}

QStringList stack(Machine &m)
{
    QStringList out;
    m.runWhenIdle(
        [&](Engine &e) {
            for (const Value &v : e.stack())
                out << text(e.toText(v));
            return true;
        },
        Limit);
    return out;
}

bool enter(Machine &m, const QString &line)
{
    return m.runWhenIdle([&](Engine &e) { return e.enter(calc(line)) == Engine::Status::Done; }, Limit);
}

QString lines(const Screen &s)
{
    QStringList out;
    for (const std::string &l : s.lines)
        out << text(l);
    return out.join('\n');
}

} // namespace

class TestMachine : public QObject
{
    Q_OBJECT

private slots:
    void keysDoWhatTheKeyboardSays_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("expected");
        const int gx = int(Model::HP48GX);
        const int g50 = int(Model::HP50G);
        const int g49 = int(Model::HP49G);
        QTest::newRow("digits and ENTER then plus add two numbers")
            << gx << "=1 =2 #ENTER =3 +" << QStringList{"15"};
        QTest::newRow("plus on a typed number enters it first")
            << g50 << "=4 #ENTER =5 +" << QStringList{"9"};
        QTest::newRow("ENTER with no command line duplicates level 1")
            << gx << "=7 #ENTER #ENTER" << QStringList{"7", "7"};
        QTest::newRow("backspace erases the last digit typed")
            << gx << "=1 =2 #BKSP #ENTER" << QStringList{"1"};
        QTest::newRow("backspace with no command line drops level 1")
            << g50 << "=1 #ENTER =2 #ENTER #BKSP" << QStringList{"1"};
        QTest::newRow("the right arrow with no command line swaps")
            << gx << "=1 #ENTER =2 #ENTER #RIGHT" << QStringList{"2", "1"};
        QTest::newRow("the sign key negates the number being typed")
            << gx << "=5 #NEG #ENTER" << QStringList{"-5"};
        QTest::newRow("EEX types an exponent")
            << g50 << "=2 #EEX =3 #ENTER" << QStringList{"2000."};
        QTest::newRow("a quote and alpha letters give a name")
            << gx << "#QUOTE #ALPHA #ALPHA a:A a:B #ENTER" << QStringList{"'AB'"};
        QTest::newRow("one alpha press types one letter only")
            << g50 << "#QUOTE #ALPHA a:X =1 #ENTER" << QStringList{"'X1'"};
        QTest::newRow("left shift then minus types the program delimiters and ENTER keeps a program")
            << gx << "#LS - =1 SPC =2 + #ENTER" << QStringList{"« 1 2 + »"};
        QTest::newRow("EVAL runs the program on level 1")
            << g50 << "#RS + =6 SPC =7 * #ENTER #EVAL" << QStringList{"42"};
        QTest::newRow("on the 49G EVAL is the right shift of SYMB")
            << g49 << "#RS + =2 SPC =3 ^ #ENTER #RS menu:MTH" << QStringList{"8"};
        QTest::newRow("ON cancels the command line")
            << gx << "=1 #ENTER =9 =9 #ON" << QStringList{"1"};
        QTest::newRow("sine of a typed number in degrees")
            << g50 << "=3 =0 SIN" << QStringList{".5"};
        QTest::newRow("STO stores and the VAR menu's first soft key recalls")
            << gx << "=4 =2 #ENTER #QUOTE #ALPHA a:V STO #VAR #F1" << QStringList{"42"};
        QTest::newRow("left shift on a VAR soft key stores into the variable")
            << g50 << "=1 SPC #QUOTE #ALPHA a:V STO =8 #VAR #LS #F1 #F1" << QStringList{"8"};
        QTest::newRow("inside quotes SIN and plus are written as algebra")
            << g50 << "#QUOTE #ALPHA a:X + =1 #RIGHT SIN" << QStringList{"'SIN(X+1)'"};
        QTest::newRow("a number plus a name gives an expression")
            << gx << "=1 #ENTER #QUOTE #ALPHA a:A #ENTER +" << QStringList{"'1+A'"};
    }

    // USER (left shift, ALPHA) makes the next key run what ASN assigned to
    // it; pressed twice it stays on, a third time it is off.
    void userModeRunsTheAssignedKeys_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("48GX") << int(Model::HP48GX);
        QTest::newRow("50g") << int(Model::HP50G);
    }

    void userModeRunsTheAssignedKeys()
    {
        QFETCH(int, model);
        Machine m(static_cast<Model>(model));
        m.start();
        QVERIFY(m.waitReady(Limit));
        // the first soft key is key 11 (row 1, column 1)
        QVERIFY(enter(m, "« 100 » 11.1 ASN « 7 » 11.2 ASN"));
        QVERIFY(press(m, "#LS #ALPHA #F1"));
        const QString hundred = "100"; // the 49 family in its exact mode shows no point
        const QString seven = "7";
        QCOMPARE(stack(m), QStringList{hundred});
        // once only: F1 is the (empty) VAR menu's soft key again
        QVERIFY(press(m, "#F1"));
        QCOMPARE(stack(m), QStringList{hundred});
        // locked, with the shifted assignment too, then off
        QVERIFY(press(m, "#LS #ALPHA #LS #ALPHA #F1 #LS #F1"));
        QCOMPARE(stack(m), (QStringList{hundred, hundred, seven}));
        QVERIFY(press(m, "#LS #ALPHA #F1"));
        QCOMPARE(stack(m), (QStringList{hundred, hundred, seven}));
    }

    void keysDoWhatTheKeyboardSays()
    {
        QFETCH(int, model);
        QFETCH(QString, keys);
        QFETCH(QStringList, expected);
        Machine m(static_cast<Model>(model));
        m.start();
        QVERIFY(m.waitReady(Limit));
        QVERIFY(press(m, keys));
        QCOMPARE(stack(m), expected);
    }

    // The editor types through these positions (KeyMap48 and KeyMap49); each
    // must be the key that does what the editor expects of the character.
    void theEditorsKeyPositionsReachTheRightKeys_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("out");
        QTest::addColumn<int>("bit");
        QTest::addColumn<QString>("does");
        const int gx = int(Model::HP48GX);
        for (int m : {int(Model::HP49G), int(Model::HP50G)}) {
            const QString n = m == int(Model::HP49G) ? "49G" : "50g";
            QTest::newRow(qPrintable(n + ": A is the first soft key")) << m << 5 << 0 << "#F1";
            QTest::newRow(qPrintable(n + ": 0x02 is backspace")) << m << 0 << 6 << "#BKSP";
            QTest::newRow(qPrintable(n + ": 0x0D is ENTER")) << m << 0 << 0 << "#ENTER";
            QTest::newRow(qPrintable(n + ": 0x13 is the right shift")) << m << 7 << 1 << "#RS";
            QTest::newRow(qPrintable(n + ": 0x10 is the left shift")) << m << 7 << 2 << "#LS";
            QTest::newRow(qPrintable(n + ": 0x09 is alpha")) << m << 7 << 3 << "#ALPHA";
            QTest::newRow(qPrintable(n + ": 0x1B is ON")) << m << 0 << 15 << "#ON";
            QTest::newRow(qPrintable(n + ": 7")) << m << 3 << 3 << "=7";
            QTest::newRow(qPrintable(n + ": 0")) << m << 3 << 0 << "=0";
            QTest::newRow(qPrintable(n + ": blank")) << m << 1 << 0 << "= ";
            QTest::newRow(qPrintable(n + ": plus")) << m << 0 << 1 << "+";
            QTest::newRow(qPrintable(n + ": times")) << m << 0 << 3 << "*";
            QTest::newRow(qPrintable(n + ": Z types Z")) << m << 0 << 4 << "a:Z";
            QTest::newRow(qPrintable(n + ": P types P")) << m << 1 << 6 << "a:P";
        }
        QTest::newRow("50g: N is EVAL") << int(Model::HP50G) << 3 << 6 << "#EVAL";
        QTest::newRow("49G: right shift of P is EVAL") << int(Model::HP49G) << 1 << 6 << "rs:#EVAL";
        QTest::newRow("48GX: A is the first soft key") << gx << 1 << 4 << "#F1";
        QTest::newRow("48GX: F is the sixth soft key") << gx << 8 << 0 << "#F6";
        QTest::newRow("48GX: O is EVAL") << gx << 6 << 3 << "#EVAL";
        QTest::newRow("48GX: 0x02 is backspace") << gx << 4 << 0 << "#BKSP";
        QTest::newRow("48GX: 0x01 is DEL") << gx << 4 << 1 << "#DEL";
        QTest::newRow("48GX: 0x0D is ENTER") << gx << 4 << 4 << "#ENTER";
        QTest::newRow("48GX: 0x09 is alpha") << gx << 3 << 5 << "#ALPHA";
        QTest::newRow("48GX: 0x10 is the left shift") << gx << 2 << 5 << "#LS";
        QTest::newRow("48GX: 0x13 is the right shift") << gx << 1 << 5 << "#RS";
        QTest::newRow("48GX: 0x1B is ON") << gx << 0 << 15 << "#ON";
        QTest::newRow("48GX: slash divides") << gx << 3 << 0 << "/";
        QTest::newRow("48GX: minus") << gx << 1 << 0 << "-";
        QTest::newRow("48GX: 9") << gx << 3 << 1 << "=9";
        QTest::newRow("48GX: point") << gx << 0 << 2 << "=.";
        QTest::newRow("48GX: Y types Y") << gx << 4 << 3 << "a:Y";
        QTest::newRow("48GX: N types N") << gx << 6 << 4 << "a:N";
    }

    void theEditorsKeyPositionsReachTheRightKeys()
    {
        QFETCH(int, model);
        QFETCH(int, out);
        QFETCH(int, bit);
        QFETCH(QString, does);
        const KeyDef *k = keyAt(static_cast<Model>(model), out, bit);
        QVERIFY(k);
        if (does.startsWith("a:"))
            QCOMPARE(k->alpha, does.at(2).toLatin1());
        else if (does.startsWith("rs:"))
            QCOMPARE(QString::fromStdString(k->rightAction), does.mid(3));
        else
            QCOMPARE(QString::fromLatin1(k->action.c_str()), does);
    }

    void everyKeyHasItsOwnMatrixPosition_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("keys");
        QTest::newRow("48GX") << int(Model::HP48GX) << 49;
        QTest::newRow("49G") << int(Model::HP49G) << 51;
        QTest::newRow("50g") << int(Model::HP50G) << 51;
    }

    void everyKeyHasItsOwnMatrixPosition()
    {
        QFETCH(int, model);
        QFETCH(int, keys);
        const auto &l = keyboardOf(static_cast<Model>(model));
        QCOMPARE(int(l.keys.size()), keys);
        QSet<int> seen;
        for (const KeyDef &k : l.keys) {
            QVERIFY(k.out >= 0 && k.out <= 8 && k.bit >= 0 && k.bit <= 15);
            QVERIFY2(!seen.contains(k.out * 16 + k.bit), k.label.c_str());
            seen.insert(k.out * 16 + k.bit);
        }
    }

    void theScreenShowsPathStackAndMenu_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("levels");
        QTest::newRow("48GX: 131 x 64, five levels") << int(Model::HP48GX) << 64 << 5;
        QTest::newRow("50g: 131 x 80, seven levels") << int(Model::HP50G) << 80 << 7;
    }

    void theScreenShowsPathStackAndMenu()
    {
        QFETCH(int, model);
        QFETCH(int, height);
        QFETCH(int, levels);
        Machine m(static_cast<Model>(model));
        m.start();
        QVERIFY(enter(m, "12 'ALPHA' STO 'DIR1' CRDIR 5 \"hi\""));
        QVERIFY(press(m, "#VAR"));
        const Screen s = m.currentScreen();
        QCOMPARE(s.lcd.width(), 131);
        QCOMPARE(s.lcd.height(), height);
        QCOMPARE(int(s.lines.size()), levels + 2);
        QCOMPARE(text(s.lines[1]), QString("{ HOME }"));
        QCOMPARE(text(s.lines.back()), QString("1:%1\"hi\"").arg("", 21 - 6));
        const QString five = "5"; // the 49 family in its exact mode shows no point
        QCOMPARE(text(s.lines[s.lines.size() - 2]), QString("2:%1").arg(five, 21 - 2));
        QCOMPARE(text(s.menu[0]), QString("DIR1"));
        QCOMPARE(text(s.menu[1]), QString("ALPHA"));
        QCOMPARE(text(s.menu[2]), QString());
        // the dots were drawn: the stack area and the menu tabs are not blank
        int dark = 0;
        for (uint8_t d : s.lcd.dots())
            dark += d;
        QVERIFY(dark > 200);
        // entering the directory from its soft key changes the path
        QVERIFY(press(m, "#F1"));
        QCOMPARE(text(m.currentScreen().lines[1]), QString("{ HOME DIR1 }"));
    }

    void theCommandLineIsShownWithTheStackAboveIt()
    {
        Machine m(Model::HP48GX);
        m.start();
        QVERIFY(press(m, "=1 #ENTER =2 =3"));
        const Screen s = m.currentScreen();
        QCOMPARE(text(s.lines.back()), QString("23"));
        QCOMPARE(text(s.lines[s.lines.size() - 2]), QString("1:%1 1").arg("", 21 - 4));
        // an unfinished program shows its lines; a syntax error keeps them
        QVERIFY(press(m, "#ON #LS - =1 #RS =. =2"));
        QCOMPARE(text(m.currentScreen().lines.back()), QString("2 »"));
        QVERIFY(press(m, "#RIGHT #RIGHT #BKSP #BKSP #ENTER"));
        QCOMPARE(text(m.currentScreen().lines[0]), QString("Invalid Syntax"));
        QCOMPARE(stack(m), QStringList{"1"});
    }

    void theReadyBitIsClearWhileAProgramRunsAndONStopsIt()
    {
        Machine m(Model::HP50G);
        QVERIFY(!m.isReady()); // not started
        m.start();
        QVERIFY(m.waitReady(Limit));
        QVERIFY(m.isReady());
        // « 1 DO UNTIL 0 END » never ends by itself
        QVERIFY(enter(m, "« DO UNTIL 0 END »"));
        const KeyDef *eval = findKey(Model::HP50G, "#EVAL");
        m.pressKey(eval->out, 1 << eval->bit);
        QVERIFY(!m.isReady()); // a key is pending or running from here on
        QTRY_VERIFY_WITH_TIMEOUT(m.currentScreen().busy, Limit);
        QVERIFY(!m.isReady());
        const KeyDef *on = findKey(Model::HP50G, "#ON");
        m.pressKey(on->out, 1 << on->bit);
        QVERIFY(m.waitReady(Limit));
        QVERIFY(!m.currentScreen().busy);
    }

    void aShiftOrAlphaKeyAloneLeavesTheMachineReady()
    {
        Machine m(Model::HP48GX);
        m.start();
        QVERIFY(press(m, "#LS"));
        QVERIFY(m.isReady());
        QVERIFY(m.currentScreen().leftShift);
        // the shift pressed again is off (left shift with ALPHA would be USER)
        QVERIFY(press(m, "#LS"));
        QVERIFY(!m.currentScreen().leftShift);
        QVERIFY(press(m, "#ALPHA"));
        QVERIFY(m.currentScreen().alpha);
        QVERIFY(!m.currentScreen().leftShift);
    }

    void anErrorOnTheScreenNamesTheFailingCommand_data()
    {
        QTest::addColumn<QString>("program"); // on level 1, "" for none
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("message");
        QTest::newRow("a key's command") << "" << "=1 #ENTER =0 /" << "/ Error:" << "Infinite Result";
        QTest::newRow("a command inside a program")
            << "« \"a\" 2 FOR i NEXT »" << "#EVAL" << "FOR Error:" << "Bad Argument Type";
    }

    void anErrorOnTheScreenNamesTheFailingCommand()
    {
        QFETCH(QString, program);
        QFETCH(QString, keys);
        QFETCH(QString, head);
        QFETCH(QString, message);
        Machine m(Model::HP48GX);
        m.start();
        if (!program.isEmpty())
            QVERIFY(enter(m, program));
        QVERIFY(press(m, keys));
        const QString screen = lines(m.currentScreen());
        QVERIFY2(screen.contains(head + '\n' + message), qPrintable(screen));
    }

    void mthAndPrgOpenTheirSubMenus_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("labels"); // the six soft keys afterwards
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("MTH: its sub-menus")
            << "menu:MTH" << QStringList{"VECTR", "MATR", "LIST", "HYP", "REAL", "BASE"} << QStringList();
        QTest::newRow("MTH, NXT: the rest")
            << "menu:MTH #NXT" << QStringList{"PROB", "", "", "", "", ""} << QStringList();
        QTest::newRow("MTH HYP: the hyperbolic functions")
            << "menu:MTH #F4" << QStringList{"SINH", "ASINH", "COSH", "ACOSH", "TANH", "ATANH"} << QStringList();
        QTest::newRow("a command of a sub-menu runs")
            << "=0 #ENTER menu:MTH #F4 #F5" << QStringList{"SINH", "ASINH", "COSH", "ACOSH", "TANH", "ATANH"}
            << QStringList{"0"};
        QTest::newRow("PRG: its sub-menus")
            << "menu:PRG" << QStringList{"STACK", "MEM", "OBJ", "DISP", "CTRL", "BRCH"} << QStringList();
        QTest::newRow("PRG STACK")
            << "=1 #ENTER =2 #ENTER menu:PRG #F1 #F2"
            << QStringList{"DUP", "SWAP", "DROP", "OVER", "ROT", "DEPTH"} << QStringList{"2", "1"};
    }

    void mthAndPrgOpenTheirSubMenus()
    {
        QFETCH(QString, keys);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, expected);
        Machine m(Model::HP48GX);
        m.start();
        QVERIFY(press(m, keys));
        const Screen s = m.currentScreen();
        QStringList shown;
        for (const std::string &label : s.menu)
            shown << text(label);
        QCOMPARE(shown, labels);
        QCOMPARE(stack(m), expected);
    }

    void theDebugMenuStepsAProgram()
    {
        Machine m(Model::HP48GX);
        m.start();
        QVERIFY(enter(m, "« 1 2 + 10 * »"));
        QVERIFY(m.runWhenIdle(
            [&](Engine &) {
                m.setMenu({}, 41.01);
                return true;
            },
            Limit));
        Screen s = m.currentScreen();
        QCOMPARE(text(s.menu[0]), QString("DBUG"));
        QCOMPARE(text(s.menu[2]), QString("SST↓"));
        QCOMPARE(text(s.menu[5]), QString("KILL"));
        QVERIFY(press(m, "#F1")); // DBUG
        QVERIFY(m.currentScreen().halted);
        QVERIFY(text(m.currentScreen().lines[0]).endsWith("HALT"));
        QCOMPARE(stack(m), QStringList());
        QVERIFY(press(m, "#F4")); // NEXT shows the next two objects
        QCOMPARE(text(m.currentScreen().lines[0]), QString("1"));
        QCOMPARE(text(m.currentScreen().lines[1]), QString("2"));
        QVERIFY(press(m, "#F2 #F2 #F2"));
        QCOMPARE(stack(m), QStringList{"3"});
        QCOMPARE(text(m.currentScreen().lines[0]), QString("+"));
        QVERIFY(press(m, "#LS #ON")); // CONT
        QCOMPARE(stack(m), QStringList{"30"});
        QVERIFY(!m.currentScreen().halted);
    }

    void stepIntoEntersASubprogramAndKillEndsIt()
    {
        Machine m(Model::HP50G);
        m.start();
        QVERIFY(enter(m, "« 5 » 'SUBP' STO « SUBP 1 + »"));
        QVERIFY(m.runWhenIdle(
            [&](Engine &) {
                m.setMenu({}, 41.01);
                return true;
            },
            Limit));
        QVERIFY(press(m, "#F1 #F3")); // DBUG, SST↓ into SUB
        QVERIFY(m.currentScreen().halted);
        QVERIFY(press(m, "#F4"));
        QCOMPARE(text(m.currentScreen().lines[0]), QString("5"));
        QVERIFY(press(m, "#F6")); // KILL
        QVERIFY(!m.currentScreen().halted);
        QCOMPARE(stack(m), QStringList());
    }

    void programsTalkToTheUserThroughTheScreen_data()
    {
        QTest::addColumn<QString>("program");
        // typed after EVAL; "|": wait until the program has halted or ended
        // (ON would interrupt it while it still runs)
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("INPUT gives the text typed")
            << "« \"Name?\" \"\" INPUT »" << "=1 =2 #ENTER" << QStringList{"\"12\""};
        QTest::newRow("INPUT starts from its text; backspace on an empty line keeps it open")
            << "« \"N?\" \"ab\" INPUT »" << "#BKSP #BKSP #BKSP =9 #ENTER" << QStringList{"\"9\""};
        QTest::newRow("CHOOSE gives the item and 1")
            << "« \"Pick\" { \"a\" \"b\" \"c\" } 1 CHOOSE »" << "#DOWN #DOWN #ENTER"
            << QStringList{"\"c\"", "1."};
        QTest::newRow("CHOOSE cancelled gives 0")
            << "« \"Pick\" { 1 2 } 1 CHOOSE »" << "#F5" << QStringList{"0."};
        QTest::newRow("MSGBOX waits for a key")
            << "« \"Done\" MSGBOX 7 »" << "#ENTER" << QStringList{"7"};
        QTest::newRow("WAIT 0 gives the key's row, column and plane")
            << "« 0 WAIT »" << "=7" << QStringList{"72.1"};
        QTest::newRow("WAIT 0 counts a shift in the plane")
            << "« 0 WAIT »" << "#RS =7" << QStringList{"72.3"};
        QTest::newRow("PROMPT halts the program and CONT goes on")
            << "« \"Give\" PROMPT 5 »" << "| #LS #ON" << QStringList{"5"};
        QTest::newRow("TMENU's soft keys run their objects")
            << "« { { \"ONE\" 1 } { \"TWO\" 2 } } TMENU »" << "| #F2" << QStringList{"2"};
        QTest::newRow("INFORM gives the fields typed and 1")
            << "« \"T\" { \"X:\" } { } { } { } INFORM »" << "=5 #ENTER #ENTER"
            << QStringList{"{ 5 }", "1."};
    }

    void programsTalkToTheUserThroughTheScreen()
    {
        QFETCH(QString, program);
        QFETCH(QString, keys);
        QFETCH(QStringList, expected);
        Machine m(Model::HP50G);
        m.start();
        QVERIFY(enter(m, program));
        const QStringList steps = keys.split('|');
        QVERIFY(press(m, "#EVAL " + steps.front()));
        for (qsizetype i = 1; i < steps.size(); ++i) {
            QVERIFY(m.currentScreen().halted || !m.currentScreen().busy);
            QVERIFY(press(m, steps[i]));
        }
        QCOMPARE(stack(m), expected);
    }

    // The 50g starts in exact mode and its header says so; APPROX shows R~.
    void theHeaderTellsExactFromApproximateMode()
    {
        Machine m(Model::HP50G);
        m.start();
        QVERIFY(enter(m, "1 3 /"));
        QCOMPARE(text(m.currentScreen().lines.at(0)), QString("DEG DEC R="));
        QVERIFY(enter(m, "APPROX 1 3 /"));
        QCOMPARE(text(m.currentScreen().lines.at(0)), QString("DEG DEC R~"));
        QCOMPARE(stack(m), (QStringList{"'1/3'", ".333333333333"}));
    }

    void whatAProgramDisplaysStaysOnlyWhenFrozen()
    {
        Machine m(Model::HP48GX);
        m.start();
        QVERIFY(enter(m, "« \"HELLO\" 1 DISP »"));
        QVERIFY(press(m, "#EVAL"));
        QCOMPARE(text(m.currentScreen().lines[0]), QString("DEG DEC"));
        QVERIFY(enter(m, "« \"FROZEN\" 3 DISP 3 FREEZE »"));
        QVERIFY(press(m, "#EVAL"));
        QCOMPARE(text(m.currentScreen().lines[2]), QString("FROZEN"));
        QVERIFY(press(m, "#LS")); // a shift alone keeps it
        QCOMPARE(text(m.currentScreen().lines[2]), QString("FROZEN"));
        QVERIFY(press(m, "#LS #ON"));
        QVERIFY(text(m.currentScreen().lines[2]) != QString("FROZEN"));
    }

    void lcdToGivesTheScreenAndToLcdShowsAPicture()
    {
        Machine m(Model::HP48GX);
        m.start();
        QVERIFY(press(m, "=7 #ENTER"));
        QVERIFY(enter(m, "LCD→ SIZE"));
        QCOMPARE(stack(m), (QStringList{"7", "# 131d", "# 64d"}));
        // a black 2 x 2 picture frozen on the screen
        QVERIFY(enter(m, "CLEAR « GROB 2 2 3030 →LCD 3 FREEZE »"));
        QVERIFY(press(m, "#EVAL"));
        const Screen s = m.currentScreen();
        QVERIFY(s.lcd.dot(0, 0) && s.lcd.dot(1, 1));
        QVERIFY(!s.lcd.dot(2, 2));
    }

    void aMessageBoxIsShownUntilAKey()
    {
        Machine m(Model::HP50G);
        m.start();
        QVERIFY(enter(m, "« \"All done\" MSGBOX »"));
        const KeyDef *eval = findKey(Model::HP50G, "#EVAL");
        m.pressKey(eval->out, 1 << eval->bit);
        QTRY_VERIFY_WITH_TIMEOUT(lines(m.currentScreen()).split('\n').contains(" All done"), Limit);
        QVERIFY(!m.isReady()); // the program still runs
        QCOMPARE(text(m.currentScreen().menu[5]), QString("OK"));
        QVERIFY(press(m, "#ENTER"));
        QVERIFY(!lines(m.currentScreen()).split('\n').contains(" All done"));
    }

    void onStopsAProgramWaitingInInput()
    {
        Machine m(Model::HP50G);
        m.start();
        QVERIFY(enter(m, "« \"N?\" \"\" INPUT 5 »"));
        const KeyDef *eval = findKey(Model::HP50G, "#EVAL");
        m.pressKey(eval->out, 1 << eval->bit);
        QTRY_VERIFY_WITH_TIMEOUT(lines(m.currentScreen()).split('\n').contains("N?"), Limit);
        QVERIFY(press(m, "#ON"));
        QVERIFY(!stack(m).contains("5"));
    }

    void aMenuNumberThatNamesNoMenuIsAnError()
    {
        Machine m(Model::HP50G);
        bool threw = false;
        try {
            m.setMenu({}, 999);
        } catch (const CalcError &e) {
            threw = e.code == uint32_t(Err::BadArgumentValue);
        }
        QVERIFY(threw);
    }

    void aStateOfAnotherModelIsRefused()
    {
        Engine e(Model::HP48GX);
        e.enter("1 2");
        Machine m(Model::HP50G);
        QVERIFY(!m.loadState(e.saveState()));
        Machine g(Model::HP48GX);
        QVERIFY(g.loadState(e.saveState()));
        g.start();
        QCOMPARE(stack(g), (QStringList{"1", "2"}));
    }

    void stopIsHarmlessTwiceAndInterruptsARunningProgram()
    {
        Machine m(Model::HP48GX);
        m.stop();
        m.start();
        QVERIFY(enter(m, "« DO UNTIL 0 END »"));
        const KeyDef *eval = findKey(Model::HP48GX, "#EVAL");
        m.pressKey(eval->out, 1 << eval->bit);
        QTRY_VERIFY_WITH_TIMEOUT(m.currentScreen().busy, Limit);
        m.stop();
        m.stop();
        QVERIFY(!m.isReady());
        QVERIFY(!m.runWhenIdle([](Engine &) { return true; }, 10));
    }

private:
    static Real realOf(const char *t)
    {
        Real r;
        parseReal(t, r);
        return r;
    }
};

QTEST_GUILESS_MAIN(TestMachine)
#include "tst_machine.moc"
