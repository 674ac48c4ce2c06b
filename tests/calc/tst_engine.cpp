// The evaluator as a machine: interrupting, halting and stepping, saving and
// loading its state, real-number display, and robustness against any input.
#include "calc/core/Commands.h"
#include "calc/core/Engine.h"
#include "formats/CalcCharset.h"

#include <QtTest>

#include <random>
#include <thread>

using namespace Calc;

namespace {

QStringList stackTexts(const Engine &e)
{
    QStringList out;
    for (const Value &v : e.stack())
        out << QString::fromLatin1(e.toText(v).c_str());
    return out;
}

// Source text here is UTF-8; the calculator reads its own bytes.
std::string calc(const char *utf8)
{
    const QByteArray b = CalcCharset::encode(QString::fromUtf8(utf8));
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

Real realOf(const char *text)
{
    Real r;
    parseReal(text, r);
    return r;
}

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void aRunningProgramStopsWhenInterruptedFromAnotherThread()
    {
        Engine e;
        Engine::Status status = Engine::Status::Done;
        std::thread runner([&] { status = e.enter(calc("0 DO 1 + UNTIL 0 END")); });
        QThread::msleep(50);
        e.requestInterrupt();
        runner.join();
        QCOMPARE(status, Engine::Status::Interrupted);
        QCOMPARE(QString::fromStdString(e.lastError().message), QString("Interrupted"));
        // the machine is usable afterwards
        QCOMPARE(e.enter(calc("1 1 +")), Engine::Status::Done);
    }

    void anInterruptedProgramLeavesNoLocalVariablesBehind()
    {
        Engine e;
        std::thread runner([&] { e.enter(calc("1 → x « DO UNTIL 0 END »")); });
        QThread::msleep(20);
        e.requestInterrupt();
        runner.join();
        e.stack().clear();
        QCOMPARE(e.enter(calc("'x' VTYPE")), Engine::Status::Done);
        QCOMPARE(stackTexts(e), QStringList{"-1."});
    }

    void singleSteppingRunsOneObjectAtATime()
    {
        Engine e;
        QCOMPARE(e.enter(calc("« HALT 1 2 + 10 * »")), Engine::Status::Done);
        QCOMPARE(e.enter(calc("EVAL")), Engine::Status::Halted);
        QVERIFY(e.hasHalted());
        QCOMPARE(e.stepHalted(), Engine::Status::Halted);
        QCOMPARE(stackTexts(e), QStringList{"1"});
        QCOMPARE(e.stepHalted(), Engine::Status::Halted);
        QCOMPARE(e.stepHalted(), Engine::Status::Halted);
        QCOMPARE(stackTexts(e), QStringList{"3"});
        QCOMPARE(e.resumeHalted(), Engine::Status::Done);
        QCOMPARE(stackTexts(e), QStringList{"30"});
        QVERIFY(!e.hasHalted());
    }

    void steppingGoesThroughEveryStructureObjectByObject_data()
    {
        QTest::addColumn<QString>("program"); // halted before its first object
        // the next object after each step ("-": nothing more), up to the end;
        // a name shows as it would on the stack
        QTest::addColumn<QStringList>("next");
        QTest::addColumn<QStringList>("stack");
        QTest::newRow("FOR: the body's objects, NEXT, the body again")
            << "« HALT 1 2 FOR i i NEXT 5 »"
            << QStringList{"2", "FOR", "'i'", "NEXT", "'i'", "NEXT", "5", "-"} << QStringList{"1", "2", "5"};
        QTest::newRow("FOR ... STEP")
            << "« HALT 1 3 FOR i i 2 STEP »"
            << QStringList{"3", "FOR", "'i'", "2", "STEP", "'i'", "2", "STEP", "-"} << QStringList{"1", "3"};
        QTest::newRow("START ... NEXT")
            << "« HALT 1 2 START 7 NEXT »"
            << QStringList{"2", "START", "7", "NEXT", "7", "NEXT", "-"} << QStringList{"7", "7"};
        QTest::newRow("a loop inside a loop")
            << "« HALT 1 1 START 1 2 START 3 NEXT NEXT »"
            << QStringList{"1", "START", "1", "2", "START", "3", "NEXT", "3", "NEXT", "NEXT", "-"}
            << QStringList{"3", "3"};
        QTest::newRow("IF ... THEN ... ELSE ... END")
            << "« HALT 0 IF THEN 2 ELSE 3 END »"
            << QStringList{"IF", "THEN", "3", "END", "-"} << QStringList{"3"};
        QTest::newRow("WHILE ... REPEAT ... END")
            << "« HALT 0 WHILE DUP 1 < REPEAT 1 + END »"
            << QStringList{"WHILE", "DUP", "1", "<", "REPEAT", "1", "+", "END", "DUP", "1", "<", "REPEAT",
                           "-"}
            << QStringList{"1"};
        QTest::newRow("DO ... UNTIL ... END")
            << "« HALT DO 4 UNTIL 1 END »"
            << QStringList{"4", "UNTIL", "1", "END", "-"} << QStringList{"4"};
        QTest::newRow("CASE ... THEN ... END END")
            << "« HALT CASE 0 THEN 1 END 1 THEN 2 END END »"
            << QStringList{"0", "THEN", "1", "THEN", "2", "END", "-"} << QStringList{"2"};
        QTest::newRow("IFERR: the protected objects, then the handler's")
            << "« HALT IFERR 1 0 / THEN 7 END 9 »"
            << QStringList{"1", "0", "/", "7", "END", "9", "-"} << QStringList{"1", "0", "7", "9"};
    }

    void steppingGoesThroughEveryStructureObjectByObject()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, next);
        QFETCH(QStringList, stack);
        Engine e;
        QCOMPARE(e.enter(calc(program.toUtf8().constData())), Engine::Status::Done);
        QCOMPARE(e.enter(calc("EVAL")), Engine::Status::Halted);
        QStringList seen;
        Engine::Status status = Engine::Status::Halted;
        for (int i = 0; i < 40 && status == Engine::Status::Halted; ++i) {
            status = e.stepHalted();
            if (status != Engine::Status::Halted)
                break;
            const std::vector<Value> upcoming = e.haltedNext(1);
            seen << (upcoming.empty() ? QStringLiteral("-") : QString::fromLatin1(e.toText(upcoming[0]).c_str()));
        }
        QCOMPARE(status, Engine::Status::Done);
        QVERIFY2(seen == next, qPrintable(seen.join(", ")));
        QCOMPARE(stackTexts(e), stack);
    }

    void anErrorNamesTheCommandThatFailed_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("report");
        QTest::newRow("a function") << "1 0 /" << "/ Error: Infinite Result";
        QTest::newRow("a structure word") << "\"a\" 2 FOR i NEXT" << "FOR Error: Bad Argument Type";
        QTest::newRow("deep inside a called program")
            << "« 1 - » 'P' STO « \"a\" P » EVAL" << "- Error: Bad Argument Type";
        QTest::newRow("too few arguments") << "DROP" << "DROP Error: Too Few Arguments";
        QTest::newRow("the line's syntax names no command") << "« 1" << "Error: Invalid Syntax";
        QTest::newRow("STR→ names itself") << "\"« 1\" STR→" << "STR→ Error: Invalid Syntax";
        QTest::newRow("the editor's command line names no command")
            << "\"« 1\" →ENTER→EVAL" << "Error: Invalid Syntax";
        QTest::newRow("DOERR with a text") << "\"Stop\" DOERR" << "DOERR Error: Stop";
    }

    void anErrorNamesTheCommandThatFailed()
    {
        QFETCH(QString, line);
        QFETCH(QString, report);
        Engine e;
        QCOMPARE(e.enter(calc(line.toUtf8().constData())), Engine::Status::Error);
        QCOMPARE(CalcCharset::decode(QByteArray::fromStdString(errorLine(e.lastError()))), report);
    }

    void steppingOverACallRunsTheWholeCall()
    {
        Engine e;
        e.enter(calc("« 5 * » 'F' STO « HALT 2 F 1 + » EVAL"));
        QCOMPARE(e.stepHalted(), Engine::Status::Halted);
        QCOMPARE(e.stepHalted(), Engine::Status::Halted);
        QCOMPARE(stackTexts(e), QStringList{"10"});
    }

    void killDropsEveryHaltedProgram()
    {
        Engine e;
        e.enter(calc("« HALT 1 » EVAL"));
        e.enter(calc("« HALT 2 » EVAL"));
        QCOMPARE(e.haltedCount(), 2);
        QCOMPARE(e.enter(calc("KILL")), Engine::Status::Done);
        QCOMPARE(e.haltedCount(), 0);
    }

    void stateSurvivesASaveAndALoad()
    {
        Engine a(Model::HP48GX);
        a.enter(calc(
            "42 'X' STO 'D' CRDIR D \"inner\" 'Y' STO « 1 + » 'P' STO 3 FIX 7 SF (1,2) { 1 'Z' } "
            "[[ 1 2 ] [ 3 4 ]] [ (1,2) ] GROB 9 2 FF01A000 2_m/s^2"));
        const std::string saved = a.saveState();
        Engine b; // a 50g: the state brings its own model
        QVERIFY(b.loadState(saved));
        QCOMPARE(b.model(), Model::HP48GX);
        QCOMPARE(stackTexts(b), stackTexts(a));
        QCOMPARE(b.enter(calc("PATH Y 5 P X 7 FS?")), Engine::Status::Done);
        QCOMPARE(stackTexts(b).mid(6),
                 (QStringList{"{ HOME D }", "\"inner\"", "6.000", "42.000", "1.000"}));
        QCOMPARE(b.saveState(), b.saveState());
    }

    void damagedStateIsRefusedAndChangesNothing_data()
    {
        QTest::addColumn<int>("cut");
        QTest::newRow("a state cut after its header is refused") << 14;
        QTest::newRow("a state cut in the middle is refused") << -20;
        QTest::newRow("a state missing its last byte is refused") << -1;
    }
    void damagedStateIsRefusedAndChangesNothing()
    {
        QFETCH(int, cut);
        Engine a;
        a.enter(calc("1 'A' STO { 1 2 3 } \"text\""));
        std::string saved = a.saveState();
        saved.resize(cut > 0 ? static_cast<size_t>(cut) : saved.size() + static_cast<size_t>(cut));
        Engine b;
        b.enter(calc("99"));
        QVERIFY(!b.loadState(saved));
        QCOMPARE(stackTexts(b), QStringList{"99"});
    }

    void randomStateBytesNeverCrashTheLoader()
    {
        Engine a;
        a.enter(calc("1 'A' STO 'D' CRDIR { 1 « 2 » 'X+1' [ 1 2 ] GROB 8 1 0F 1_m }"));
        const std::string saved = a.saveState();
        std::mt19937 rng(7);
        for (int i = 0; i < 2000; ++i) {
            std::string s = saved;
            for (int k = 0; k < 3; ++k)
                s[rng() % s.size()] = static_cast<char>(rng());
            Engine b;
            b.loadState(s); // may succeed or not; must not crash
        }
    }

    void realsAreShownAsTheCalculatorShowsThem_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("digits");
        QTest::addColumn<bool>("dot");
        QTest::addColumn<QString>("shown");
        const int std = int(DisplayMode::Std), fix = int(DisplayMode::Fix),
                  sci = int(DisplayMode::Sci), eng = int(DisplayMode::Eng);
        QTest::newRow("an integer shows bare on the 48") << "3" << std << 0 << false << "3";
        QTest::newRow("an integer shows a point on the 49") << "3" << std << 0 << true << "3.";
        QTest::newRow("zero on the 49") << "0" << std << 0 << true << "0.";
        QTest::newRow("a half without its leading zero") << ".5" << std << 0 << false << ".5";
        QTest::newRow("a tiny negative in scientific notation")
            << "-2.5E-12" << std << 0 << false << "-2.5E-12";
        QTest::newRow("ten to the twelfth in scientific notation")
            << "1E12" << std << 0 << false << "1.E12";
        QTest::newRow("twelve places after the point still fit")
            << ".000000000001" << std << 0 << false << ".000000000001";
        QTest::newRow("thirteen places do not")
            << ".0000000000001" << std << 0 << false << "1.E-13";
        QTest::newRow("FIX pads with zeros") << "1.5" << fix << 3 << false << "1.500";
        QTest::newRow("FIX 0 keeps the point") << "2.5" << fix << 0 << false << "3.";
        QTest::newRow("FIX of zero") << "0" << fix << 2 << false << "0.00";
        QTest::newRow("FIX of a number too large is scientific")
            << "1E15" << fix << 2 << false << "1.00E15";
        QTest::newRow("SCI rounds the mantissa") << "9.9996" << sci << 3 << false << "1.000E1";
        QTest::newRow("SCI 0") << "1234" << sci << 0 << false << "1.E3";
        QTest::newRow("ENG keeps exponents in threes")
            << "0.0123" << eng << 2 << false << "12.3E-3";
        QTest::newRow("ENG pads a short mantissa") << "100000" << eng << 0 << false << "100.E3";
        QTest::newRow("the largest real")
            << "9.99999999999E499" << std << 0 << false << "9.99999999999E499";
    }
    void realsAreShownAsTheCalculatorShowsThem()
    {
        QFETCH(QString, value);
        QFETCH(int, mode);
        QFETCH(int, digits);
        QFETCH(bool, dot);
        QFETCH(QString, shown);
        NumberFormat f;
        f.mode = static_cast<DisplayMode>(mode);
        f.digits = digits;
        f.trailingDot = dot;
        QCOMPARE(QString::fromStdString(formatReal(realOf(value.toLatin1().constData()), f)),
                 shown);
    }

    void arithmeticRoundsHalfAwayFromZero()
    {
        RealCondition c = RealCondition::Ok;
        // 1.000000000005 is a tie at twelve digits
        QCOMPARE(add(realOf("1"), realOf(".000000000005"), c), realOf("1.00000000001"));
        QCOMPARE(sub(realOf("-1"), realOf(".000000000005"), c), realOf("-1.00000000001"));
        QCOMPARE(c, RealCondition::Ok);
        QCOMPARE(mul(realOf("1E300"), realOf("1E300"), c), Real::maxReal());
        QCOMPARE(c, RealCondition::Overflow);
    }

    void garbageNeverCrashesTheCompilerOrTheEvaluator()
    {
        // random bytes and random soups of real words
        std::mt19937 rng(12345);
        const std::vector<std::string> words = {
            "\xAB",     "\xBB",  "{",     "}",     "'",       "\"",    "(",      ")",
            "#",        ":",     "IF",    "THEN",  "ELSE",    "END",   "FOR",    "i",
            "NEXT",     "STEP",  "START", "DO",    "UNTIL",   "WHILE", "REPEAT", "CASE",
            "IFERR",    "\x8D",  "a",     "b",     "1",       "-2.5",  "+",      "*",
            "/",        "DUP",   "DROP",  "SWAP",  "EVAL",    "STO",   "RCL",    "'A'",
            "A",        "HALT",  "KILL",  "CONT",  "DOLIST",  "SEQ",   "STREAM", "\x8DLIST",
            "LIST\x8D", "GET",   "PUT",   "PURGE", "CRDIR",   "UPDIR", "HOME",   "STR\x8D",
            "\x8DSTR",  "DOERR", "X+Y",   "'X^2'", "\x8DNUM", "IFT",   "IFTE",   "DEPTH",
            "CLEAR",    "ROLL",  "PICK",  "SIZE",  "SUB"};
        for (int round = 0; round < 3000; ++round) {
            Engine e(round % 2 ? Model::HP48GX : Model::HP50G);
            std::string text;
            const int n = 1 + static_cast<int>(rng() % 25);
            for (int k = 0; k < n; ++k) {
                if (rng() % 5 == 0) {
                    text += static_cast<char>(rng() % 256);
                } else {
                    text += words[rng() % words.size()];
                    text += ' ';
                }
            }
            std::thread stopper;
            std::atomic<bool> done{false};
            stopper = std::thread([&] {
                for (int t = 0; t < 200 && !done; ++t)
                    QThread::usleep(500);
                e.requestInterrupt();
            });
            e.enter(text);
            e.enter(text);
            done = true;
            stopper.join();
            for (const Value &v : e.stack())
                e.toText(v);
        }
    }

    void deepNestingInTextIsASyntaxErrorNotACrash()
    {
        Engine e;
        QCOMPARE(e.enter(std::string(100000, '{')), Engine::Status::Error);
        QCOMPARE(e.enter(std::string(5000, '{') + std::string(5000, '}')), Engine::Status::Error);
        QCOMPARE(e.enter("'" + std::string(50000, '(') + "X" + std::string(50000, ')') + "'"),
                 Engine::Status::Error);
        QCOMPARE(QString::fromStdString(e.lastError().message), QString("Invalid Syntax"));
    }

    void aLongAlgebraicBuiltAtRunTimeEndsInAMemoryError()
    {
        Engine e;
        QCOMPARE(e.enter(calc("'X' 1 100000 START 1 + NEXT")), Engine::Status::Error);
        QCOMPARE(QString::fromStdString(e.lastError().message), QString("Insufficient Memory"));
        for (const Value &v : e.stack())
            e.toText(v);
    }

    void runawayProgramsEndInInsufficientMemory_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("a list doubled") << "{ 1 } DO DUP + UNTIL 0 END";
        QTest::newRow("a list appended to") << "{ } DO 1 + UNTIL 0 END";
        QTest::newRow("a string doubled") << "\"abcdefgh\" DO DUP + UNTIL 0 END";
        QTest::newRow("a string appended to") << "\"\" DO \"abcdefgh\" + UNTIL 0 END";
        QTest::newRow("programs nested") << "« » DO 1 →LIST 1 →LIST UNTIL 0 END";
        QTest::newRow("an array too large") << "{ 2000 2000 } 0 CON";
        QTest::newRow("a picture too large") << "# 8000d # 8000d BLANK";
        QTest::newRow("the stack") << "DO 1 UNTIL 0 END";
        QTest::newRow("variables in a directory")
            << "1 100000 FOR i { 1 2 3 4 5 6 7 8 } \"V\" i + STR→ STO NEXT";
        QTest::newRow("new names") << "1 1000000 FOR i \"N\" i + STR→ NEXT";
        QTest::newRow("the return stack") << "« R 1 + » 'R' STO R";
        QTest::newRow("a list variable appended to")
            << "{ } 'L' STO DO 'L' 1 STO+ UNTIL 0 END";
    }

    void runawayProgramsEndInInsufficientMemory()
    {
        QFETCH(QString, program);
        const size_t before = memoryBudget();
        // a small budget above what is alive already
        setMemoryBudget(memoryInUse() + (4u << 20));
        {
            Engine e;
            const Engine::Status s = e.enter(calc(program.toUtf8().constData()));
            QCOMPARE(s, Engine::Status::Error);
            QCOMPARE(QString::fromStdString(e.lastError().message), QString("Insufficient Memory"));
            // the engine is still usable, and MEM says what is left
            e.stack().clear();
            QCOMPARE(e.enter(calc("1 1 + MEM")), Engine::Status::Done);
            QCOMPARE(e.depth(), size_t(2));
            QCOMPARE(e.level(1).type(), Type::Real);
            QVERIFY(!e.level(1).asReal().isNegative());
        }
        setMemoryBudget(before);
    }

    void memReportsWhatIsLeftOfTheBudget()
    {
        Engine e;
        QCOMPARE(e.enter(calc("MEM 1 10000 FOR i i NEXT 10000 →LIST MEM")), Engine::Status::Done);
        bool ok1 = false, ok2 = false;
        const int64_t before = e.level(3).asReal().toInt(&ok1);
        const int64_t after = e.level(1).asReal().toInt(&ok2);
        QVERIFY(ok1 && ok2);
        // 10,000 elements of 16 bytes at least are gone from what is free
        QVERIFY2(before - after >= 160000, qPrintable(QString::number(before - after)));
        QVERIFY(before <= int64_t(memoryBudget()));
    }

    void aRunawayTailRecursionStaysSmallAndCanBeInterrupted()
    {
        Engine e;
        QCOMPARE(e.enter(calc("« R » 'R' STO")), Engine::Status::Done);
        Engine::Status status = Engine::Status::Done;
        const size_t inUse = memoryInUse();
        std::thread runner([&] { status = e.enter(calc("R")); });
        QThread::msleep(300);
        const size_t during = memoryInUse();
        e.requestInterrupt();
        runner.join();
        QCOMPARE(status, Engine::Status::Interrupted);
        // it did not grow: a few objects more at most, not one per call
        QVERIFY2(during < inUse + 4096, qPrintable(QString("%1 -> %2").arg(inUse).arg(during)));
        QCOMPARE(e.enter(calc("1 1 +")), Engine::Status::Done);
    }

    void namesNoLongerReferencedAreFreed_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("made and dropped") << "1 20000 FOR i \"N\" i + STR→ DROP NEXT";
        QTest::newRow("stored, then purged")
            << "1 2000 FOR i i \"V\" i + STR→ STO NEXT 1 2000 FOR i \"'V\" i + \"'\" + STR→ PURGE NEXT";
        QTest::newRow("local names of programs run and dropped")
            << "1 2000 FOR i i \"« → L\" i + \" « L\" + i + \" » »\" + STR→ EVAL DROP NEXT";
        QTest::newRow("directories entered, left and purged")
            << "1 500 FOR i \"D\" i + STR→ DUP CRDIR EVAL UPDIR \"'D\" i + \"'\" + STR→ PGDIR NEXT";
        QTest::newRow("in a list on the stack, then cleared")
            << "1 2000 FOR i \"W\" i + STR→ NEXT 2000 →LIST DROP";
    }

    void namesNoLongerReferencedAreFreed()
    {
        QFETCH(QString, program);
        Engine e;
        // names that stay in use meanwhile must stay the very same names
        QCOMPARE(e.enter(calc("5.5 \"KEEP\" STR→ STO 'SUBD' CRDIR SUBD 7.5 'INNER' STO")),
                 Engine::Status::Done);
        const size_t before = memoryInUse();
        QCOMPARE(e.enter(calc(program.toUtf8().constData())), Engine::Status::Done);
        // nor do the last arguments keep any
        QCOMPARE(e.enter(calc("0 DROP")), Engine::Status::Done);
        const size_t after = memoryInUse();
        // 2,000 names kept would be well over 100 KB
        QVERIFY2(after < before + 32768, qPrintable(QString("%1 -> %2").arg(before).arg(after)));
        QCOMPARE(e.enter(calc("INNER PATH UPDIR KEEP VARS")), Engine::Status::Done);
        QCOMPARE(stackTexts(e), QStringList({"7.5", "{ HOME SUBD }", "5.5", "{ SUBD KEEP }"}));
    }

    void internedNamesSurviveRacingThreads()
    {
        // one thread letting go of a name while another takes it again must
        // end with one name per spelling, never a freed one
        auto churn = [] {
            for (int i = 0; i < 200000; ++i) {
                NameRef a = internName("RACE");
                NameRef b = internName("RACE");
                if (a.get() != b.get() || a->text != "RACE")
                    return false;
            }
            return true;
        };
        bool ok1 = false;
        std::thread other([&] { ok1 = churn(); });
        const bool ok2 = churn();
        other.join();
        QVERIFY(ok1 && ok2);
        NameRef held = internName("RACE");
        QCOMPARE(internName("RACE").get(), held.get());
    }

    void everyKnownCommandCompiles()
    {
        // each name of the reference list is a command, never a variable
        for (bool is49 : {false, true}) {
            Engine e(is49 ? Model::HP50G : Model::HP48GX);
            for (const std::string &name : knownCommandNames(is49)) {
                const int id = findCommand(name, is49);
                QVERIFY2(id >= 0, name.c_str());
            }
        }
    }

    void everyErrorOfTheTableReachesErrnAndErrm_data()
    {
        QTest::addColumn<quint32>("number");
        QTest::addColumn<QString>("text");
#define ROW(name, number, text) QTest::newRow(#name) << quint32(number) << QString(text);
        CALC_ERRORS(ROW)
#undef ROW
    }
    void everyErrorOfTheTableReachesErrnAndErrm()
    {
        QFETCH(quint32, number);
        QFETCH(QString, text);
        Engine e;
        const std::string line = "IFERR #" + std::to_string(number) + "d DOERR THEN ERRN ERRM END";
        QCOMPARE(e.enter(line), Engine::Status::Done);
        QCOMPARE(e.depth(), size_t(2));
        QCOMPARE(e.level(2).asBinary(), quint64(number));
        QCOMPARE(QString::fromStdString(e.level(1).str()), text);
    }

    void unimplementedCommandsNameThemselves()
    {
        const Coverage c = coverage(true);
        QVERIFY(c.implemented > 150);
        QVERIFY(!c.missing.empty());
        Engine e;
        const QByteArray name = CalcCharset::encode(QString::fromStdString(c.missing.front()));
        QCOMPARE(e.enter(name.toStdString()), Engine::Status::Error);
        QVERIFY(e.lastError().message.find("Not implemented yet") == 0);
    }
};

QTEST_APPLESS_MAIN(TestEngine)
#include "tst_engine.moc"
