// The emulator session and the sending commands over a fake library: which
// calculator is made, what each command line carries and in which order, the
// notifications, the temporary file, and the waits.

#include "support/FakeEmulator.h"

#include "emulator/Emu48Proc.h"
#include "formats/ObjectFile.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestSession : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void the_settings_choose_the_calculator_data();
    void the_settings_choose_the_calculator();
    void starting_while_running_only_sets_the_signature();
    void a_failed_creation_reports_and_restores_the_working_folder();
    void closing_the_calculator_then_sending_makes_a_new_one();
    void another_state_file_data();
    void another_state_file();
    void a_command_line_is_loaded_then_evaluated();
    void a_second_send_during_one_fails_at_once();
    void running_sends_menu_parameters_and_program_in_order_data();
    void running_sends_menu_parameters_and_program_in_order();
    void stepping_sends_no_halt_and_presses_the_first_soft_key();
    void text_to_object_file_copies_what_the_calculator_saved();
    void object_file_to_text_data();
    void object_file_to_text();
    void a_locked_temporary_file_gets_a_new_name();
    void a_wait_keeps_the_window_painting();
    void a_wait_ends_when_the_calculator_closes();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QString m_cwd;
};

void TestSession::init()
{
    ResetEmulatorSession();
    m_cwd = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath("EMU");
    SetAppFolder(m_dir->path() + '/');
    Settings() = AppSettings();
    Settings().environment.Emu48RamFilename = "default 48GX.e48";
    Settings().environment.Emu48PortFilename = "default 48GX.bin";
    Settings().environment.Emu49RamFilename = "default 50G.e49";
    Settings().environment.DefaultEmulator = false;
    SetMessage(7, "not sent");
    SetMessage(12, "cannot start");
    SetMessage(14, "use %s?");
    m_dialogs = std::make_unique<ScriptedDialogs>();
    EmuSession().TempObject = m_dir->path() + "/QVTEMP.TMP";
}

void TestSession::cleanup()
{
    m_dialogs.reset();
    QDir::setCurrent(m_cwd);
}

void TestSession::the_settings_choose_the_calculator_data()
{
    QTest::addColumn<bool>("hp48");
    QTest::addColumn<QString>("created");
    QTest::addColumn<QByteArray>("signature");
    QTest::newRow("48 series with its port file") << true << "create default 48GX.e48 port default 48GX.bin"
                                                  << QByteArray("HPHP48");
    QTest::newRow("49 family without one") << false << "create default 50G.e49" << QByteArray("HPHP49");
}

void TestSession::the_settings_choose_the_calculator()
{
    QFETCH(bool, hp48);
    QFETCH(QString, created);
    QFETCH(QByteArray, signature);
    FakeEmulator fake;
    Settings().environment.DefaultEmulator = hp48;
    QVERIFY(StartEmulator());
    QCOMPARE(fake.log(), QStringList{created});
    QCOMPARE(EmuSession().ObjectSignature, signature);
    QVERIFY(fake.closeProc && fake.documentProc);
    QCOMPARE(QDir::currentPath(), m_cwd);
}

void TestSession::starting_while_running_only_sets_the_signature()
{
    FakeEmulator fake;
    QVERIFY(StartEmulator());
    Settings().environment.DefaultEmulator = true;
    QVERIFY(StartEmulator());
    QCOMPARE(fake.lines("create").size(), 1);
    QCOMPARE(EmuSession().ObjectSignature, QByteArray("HPHP48"));
}

void TestSession::a_failed_creation_reports_and_restores_the_working_folder()
{
    FakeEmulator fake;
    fake.createSucceeds = false;
    QVERIFY(!StartEmulator());
    QVERIFY(!EmuSession().EmulatorRunning);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].text, QString("cannot start"));
    QCOMPARE(QDir::currentPath(), m_cwd);
    QVERIFY(!SendCommandLine("1", false));
    QVERIFY(!EmuSession().EmulatorBusy);
}

void TestSession::closing_the_calculator_then_sending_makes_a_new_one()
{
    FakeEmulator fake;
    QVERIFY(SendCommandLine("1", false));
    fake.closeProc(); // the user closed the calculator's window
    QVERIFY(!EmuSession().EmulatorRunning);
    QVERIFY(SendCommandLine("2", false));
    QCOMPARE(fake.lines("create").size(), 2);
    QCOMPARE(fake.lines("line"), (QStringList{"line 1", "line 2"}));
}

void TestSession::another_state_file_data()
{
    QTest::addColumn<bool>("hp48Before");
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("asked");
    QTest::newRow("a 49 file while the 48 series is the default switches and asks")
        << true << int('Q') << "other.e49" << true;
    QTest::newRow("a 48 file while the 49 family is the default switches and asks")
        << false << int('G') << "mine.e48" << true;
    QTest::newRow("the same file in other letters asks nothing") << false << int('Q') << "DEFAULT 50g.E49" << false;
    QTest::newRow("the 48gII counts as the 49 family") << true << int('P') << "default 50G.e49" << false;
}

void TestSession::another_state_file()
{
    QFETCH(bool, hp48Before);
    QFETCH(int, model);
    QFETCH(QString, path);
    QFETCH(bool, asked);
    FakeEmulator fake;
    EnvironmentSettings &env = Settings().environment;
    env.DefaultEmulator = hp48Before;
    QVERIFY(StartEmulator());
    fake.model = model;
    m_dialogs->answers << QMessageBox::Yes;
    fake.documentProc(QFile::encodeName(path).constData());
    QCOMPARE(env.DefaultEmulator, model == 'G');
    QCOMPARE(m_dialogs->messages.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(m_dialogs->messages[0].text, "use " + path + "?");
        QCOMPARE(m_dialogs->messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(model == 'G' ? env.Emu48RamFilename : env.Emu49RamFilename, path);
    }
    // The next object is built for the calculator now running.
    StartEmulator();
    QCOMPARE(EmuSession().ObjectSignature, QByteArray(model == 'G' ? "HPHP48" : "HPHP49"));
}

void TestSession::a_command_line_is_loaded_then_evaluated()
{
    FakeEmulator fake;
    fake.model = 'X';
    QVERIFY(SendCommandLine("1 2 +", true));
    QCOMPARE(fake.log(), (QStringList{"create default 50G.e49", "run 1 2 +", "key 7,2", "key 1,64"}));
    QVERIFY(!QFile::exists(CurrentTempObjectFile()));
    QVERIFY(!EmuSession().EmulatorBusy);
}

void TestSession::a_second_send_during_one_fails_at_once()
{
    FakeEmulator fake;
    EmuSession().EmulatorBusy = true;
    QVERIFY(!SendCommandLine("1", false));
    QVERIFY(fake.log().isEmpty());
}

void TestSession::running_sends_menu_parameters_and_program_in_order_data()
{
    QTest::addColumn<QByteArray>("parameters");
    QTest::addColumn<int>("breakpoint");
    QTest::addColumn<QStringList>("lines");
    const auto latin1 = [](const char *text) { return QString::fromLatin1(text); };
    QTest::newRow("plain run") << QByteArray() << 0 << QStringList{latin1("run \xAB\n  DUP *\n\xBB")};
    QTest::newRow("parameters go first, with the run flag")
        << QByteArray("8") << 0 << QStringList{"run 8", latin1("run \xAB\n  DUP *\n\xBB")};
    QTest::newRow("a breakpoint brings the debug menu and a HALT in the document's line 3")
        << QByteArray("8") << 3 << QStringList{"run 41.01 TMENU", "run 8", latin1("run \xAB\nHALT   DUP *\n\xBB")};
}

void TestSession::running_sends_menu_parameters_and_program_in_order()
{
    QFETCH(QByteArray, parameters);
    QFETCH(int, breakpoint);
    QFETCH(QStringList, lines);
    FakeEmulator fake;
    RunProgram("%%HP: T(0)A(D)F(.);\r\n\xAB\r\n  DUP *\r\n\xBB", parameters, breakpoint);
    QStringList sent = fake.lines("run");
    sent << fake.lines("line");
    QCOMPARE(sent, lines);
}

void TestSession::stepping_sends_no_halt_and_presses_the_first_soft_key()
{
    FakeEmulator fake;
    fake.model = 'Q';
    StepProgram("\xAB 1 2 + \xBB", "5");
    QStringList expected{"create default 50G.e49", "run 41.01 TMENU", "key 3,64", "run 5", "key 3,64",
                         QString::fromLatin1("line \xAB 1 2 + \xBB"), "key 3,64", "key 5,1"};
    QCOMPARE(fake.log(), expected);
}

void TestSession::text_to_object_file_copies_what_the_calculator_saved()
{
    FakeEmulator fake;
    fake.savedObject = StringNibbleText("HELLO");
    const QString target = m_dir->path() + "/out.hp";
    WriteFileBytes("old", target);
    QVERIFY(TextToObjectFile(target, "%%HP: T(0)A(D)F(.);\r\n@ a comment\r\n\"HELLO\""));
    QCOMPARE(ReadFileBytes(target), MakeObjectFile(StringNibbleText("HELLO"), false));
    QCOMPARE(fake.lines("line"), QStringList{"line \"HELLO\""});
    QCOMPARE(fake.log().last(), QString("key 0,64")); // the result dropped on a 50g
    QVERIFY(!QFile::exists(CurrentTempObjectFile()));

    fake.savedObject.clear(); // nothing on the stack to save
    QVERIFY(!TextToObjectFile(target, "1"));
}

void TestSession::object_file_to_text_data()
{
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("the string the calculator made") << StringNibbleText("\xAB 1 2 + \xBB") << QByteArray("\xAB 1 2 + \xBB");
    QTest::newRow("a saved object that is no string gives no text") << QByteArray("D9D20B2130") << QByteArray();
}

void TestSession::object_file_to_text()
{
    QFETCH(QByteArray, saved);
    QFETCH(QByteArray, text);
    FakeEmulator fake;
    fake.savedObject = saved;
    const QString source = m_dir->path() + "/in.hp";
    WriteFileBytes(MakeObjectFile("D9D20B2130", false), source);
    QCOMPARE(ObjectFileToText(source), text);
    QCOMPARE(fake.lines("load"), QStringList{"load " + source});
    QCOMPARE(fake.lines("run"), QStringList{QString::fromLatin1("run \x8DSTR")});
}

void TestSession::a_locked_temporary_file_gets_a_new_name()
{
    // A folder in the temporary file's place cannot be deleted as a file.
    const QString temp = m_dir->path() + "/QVTEMP.TMP";
    QDir().mkpath(temp + "/inside");
    DeleteTempObject();
    QCOMPARE(CurrentTempObjectFile(), temp + "0");
    DeleteTempObject(); // nothing there now: the name stays
    QCOMPARE(CurrentTempObjectFile(), temp + "0");
}

void TestSession::a_wait_keeps_the_window_painting()
{
    FakeEmulator fake;
    QVERIFY(StartEmulator());
    fake.ready = false;
    // Only an event handled during the wait can make the calculator ready.
    QTimer::singleShot(20, [&] { fake.ready = true; });
    QVERIFY(WaitReadyShort());
}

void TestSession::a_wait_ends_when_the_calculator_closes()
{
    FakeEmulator fake;
    QVERIFY(StartEmulator());
    fake.ready = false;
    int readsAfterClose = -1;
    QTimer::singleShot(20, [&] {
        fake.closeProc();
        readsAfterClose = fake.registerReads;
    });
    WaitEmulatorReady();
    QVERIFY(readsAfterClose >= 0);
    // Each of the two polls looks once more and gives up.
    QVERIFY2(fake.registerReads - readsAfterClose <= 2, qPrintable(QString::number(fake.registerReads)));
}

QTEST_MAIN(TestSession)
#include "tst_session.moc"
