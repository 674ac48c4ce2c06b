// The editor and the real calculator library together, from the main
// window's commands: F9 with parameters, a document stored in its directory,
// a breakpoint's HALT and CONT, F8's single-step debugger, and export then
// import. What the calculator did is read back from its stack.

#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "emulator/Emu48Proc.h"
#include "emulator/KeyPressThread.h"
#include "formats/ObjectFile.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "mainwindow/MainProgram.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

class TestEmulatorRun : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void f9_runs_a_program_with_its_parameters_data();
    void f9_runs_a_program_with_its_parameters();
    void directives_store_the_program_in_its_directory();
    void a_breakpoint_halts_at_its_line_and_cont_goes_on();
    void f8_starts_the_single_step_debugger();
    void export_then_import_gives_back_the_source();
    void a_runaway_program_leaves_the_editor_responsive_and_stops_on_request();

private:
    DocumentEditor *open(const QByteArray &text);
    void trigger(const char *name) { m_window->Action(QString::fromLatin1(name))->trigger(); }
    // Level 1 of the calculator's stack in its text form; the stack stays.
    QByteArray level1();
    void commandLine(const QByteArray &text);

    QTemporaryDir m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<TMainProgram> m_window;
};

void TestEmulatorRun::initTestCase()
{
    // The program folder of the build, with its EMU state files.
    SetAppFolder(QStringLiteral(QV_BIN_DIR "/"));
    QVERIFY2(QFileInfo::exists(AppFolder() + "EMU/default 50G.e49"), qPrintable(AppFolder()));
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_window = std::make_unique<TMainProgram>();
    Settings().environment.DefaultEmulator = false;
    m_window->show();
    EmuSession().TempObject = m_dir.path() + "/QVTEMP.TMP";
    QVERIFY(StartEmulator());
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.value(0).text));
}

void TestEmulatorRun::init()
{
    commandLine("HOME CLEAR");
    m_dialogs->messages.clear();
}

void TestEmulatorRun::cleanup()
{
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.value(0).text));
    for (int i = 0; i < m_window->Documents()->count(); ++i)
        m_window->Documents()->editor(i)->setModified(false);
    m_window->Documents()->CloseAllDocuments();
    commandLine("KILL");
}

void TestEmulatorRun::cleanupTestCase()
{
    m_window.reset(); // stops and destroys the calculator
    m_dialogs.reset();
}

DocumentEditor *TestEmulatorRun::open(const QByteArray &text)
{
    const QString path = m_dir.path() + "/doc.hpprg";
    WriteFileBytes(text, path);
    m_window->Documents()->OpenDocument(path, true);
    m_window->UpdateActions();
    return m_window->ActiveEditor();
}

void TestEmulatorRun::commandLine(const QByteArray &text)
{
    // Without the run flag: the line runs as typed, and nothing it leaves is
    // evaluated again.
    QVERIFY(SendCommandLine(text, false));
    WaitEmulatorReady();
}

QByteArray TestEmulatorRun::level1()
{
    commandLine("DUP \x8DSTR");
    const QString file = m_dir.path() + "/level1.hp";
    QFile::remove(file);
    if (!SaveObjectFile(file))
        return "(nothing saved)";
    commandLine("DROP");
    return ReadStringObjectFile(file, 1000);
}

void TestEmulatorRun::f9_runs_a_program_with_its_parameters_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("a short program") << QByteArray("%%HP: T(0)A(D)F(.);\r\n\xAB\r\n  DUP * 1 +\r\n\xBB\r\n")
                                     << "8" << QByteArray("65");
    QFile queens(QStringLiteral(QV_TEST_DATA_DIR "/nqueens.hpprg"));
    QVERIFY(queens.open(QIODevice::ReadOnly));
    QTest::newRow("N-Queens on a board of 6, stored under its name first") << queens.readAll() << "6"
                                                                         << QByteArray("4");
    QTest::newRow("two parameters taken by local variables")
        << QByteArray("\xAB \x8D a b \xAB a b * \xBB \xBB") << "6 7" << QByteArray("42");

}

void TestEmulatorRun::f9_runs_a_program_with_its_parameters()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, parameters);
    QFETCH(QByteArray, result);
    open(document);
    m_window->Documents()->setProgramParameters(0, parameters);
    QVERIFY(m_window->Action("EmuProgramRun")->isEnabled());
    // The calculator's window took the focus after the last run; F9 belongs
    // to the editor's window.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(m_window->ActiveEditor(), Qt::Key_F9);
    WaitEmulatorReady();
    QCOMPARE(level1(), result);
    // Exactly what the program left: no copy of the program under it.
    commandLine("DEPTH");
    QCOMPARE(level1(), QByteArray("1."));
}

void TestEmulatorRun::a_runaway_program_leaves_the_editor_responsive_and_stops_on_request()
{
    open("\xAB 0 DO 1 + UNTIL 0 END \xBB\r\n");
    // The editor keeps handling events while the program runs: a timer of
    // the window's own fires, and it is what stops the program.
    int ticks = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, [&] { ++ticks; });
    heartbeat.start(50);
    QTimer::singleShot(1500, m_window.get(), [this] { trigger("EmuStop"); });
    QElapsedTimer clock;
    clock.start();
    trigger("EmuProgramRun");
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 30, 10000);
    WaitEmulatorReady();
    QVERIFY2(clock.elapsed() < 30000, "the program was not stopped");
    m_dialogs->messages.clear(); // the calculator may say it was interrupted
    // The program no longer runs: the calculator takes new work (a running
    // program would swallow these keys).
    commandLine("CLEAR 6 7 *");
    QCOMPARE(level1(), QByteArray("42"));
}

void TestEmulatorRun::directives_store_the_program_in_its_directory()
{
    open("%%HP: T(0)A(D)F(.);\r\n@ %NAME%=SQUARE\r\n@ %DIR%=PRGS\r\n\xAB DUP * \xBB\r\n");
    trigger("EmuSend");
    WaitEmulatorReady();
    commandLine("PATH");
    QCOMPARE(level1(), QByteArray("{ HOME PRGS }"));
    commandLine("DROP 'SQUARE' RCL");
    QCOMPARE(level1(), QByteArray("\xAB DUP * \xBB"));
    // Sent again from elsewhere: the directory is entered, not made twice.
    commandLine("CLEAR HOME");
    trigger("EmuSend");
    WaitEmulatorReady();
    commandLine("HOME 15 TVARS SIZE");
    QCOMPARE(level1(), QByteArray("1."));
}

void TestEmulatorRun::a_breakpoint_halts_at_its_line_and_cont_goes_on()
{
    DocumentEditor *editor = open("\xAB\r\n  1\r\n  2 +\r\n\xBB");
    editor->setCursorPosition(2, 0);
    trigger("EmuProgramBreak");
    QCOMPARE(m_window->Documents()->breakpointLine(0), 2);
    trigger("EmuProgramRun");
    WaitEmulatorReady();
    QCOMPARE(level1(), QByteArray("1")); // halted before "2 +"
    commandLine("CONT");
    QCOMPARE(level1(), QByteArray("3"));
}

void TestEmulatorRun::f8_starts_the_single_step_debugger()
{
    open("\xAB 10 20 + \xBB");
    trigger("EmuProgramStep");
    WaitEmulatorReady();
    PressKeys("B"); // SST: one object
    WaitEmulatorReady();
    QCOMPARE(level1(), QByteArray("10"));
    PressKeys("B");
    WaitEmulatorReady();
    QCOMPARE(level1(), QByteArray("20"));
    commandLine("CONT");
    QCOMPARE(level1(), QByteArray("30"));
}

void TestEmulatorRun::export_then_import_gives_back_the_source()
{
    const QByteArray source = "\xAB \x8D n \xAB n n * \xBB \xBB";
    open("%%HP: T(0)A(D)F(.);\r\n@ a comment\r\n" + source + "\r\n");
    const QString file = m_dir.path() + "/square.hp";
    m_dialogs->chooseFile(file);
    trigger("FileExport");
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.value(0).text));
    QVERIFY(ReadFileBytes(file).startsWith("HPHP49-"));
    m_dialogs->chooseFile(file);
    trigger("FileImport");
    QCOMPARE(m_window->Documents()->count(), 2);
    QVERIFY(m_window->Documents()->isUntitled(1));
    QCOMPARE(m_window->ActiveEditor()->textWithCrLf(), source);
}

QTEST_MAIN(TestEmulatorRun)
#include "tst_emulatorrun.moc"
