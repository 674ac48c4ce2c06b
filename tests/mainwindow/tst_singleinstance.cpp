#include "documents/DocumentPanel.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "shell/SingleInstance.h"
#include "mainwindow/MainProgram.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

// The running editor is this test's window; the second start is the real
// program, started as its own process.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void a_second_start_hands_its_file_to_the_first_data();
    void a_second_start_hands_its_file_to_the_first();
    void with_no_first_instance_the_program_starts_normally();

private:
    int startSecond(const QStringList &args);
    QTemporaryDir m_dir;
    TMainProgram *m_window = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

void TestSingleInstance::init()
{
    QFile::remove(SettingsStore::userStorePath());
    Settings() = AppSettings::defaults();
    Settings().environment.NewFileOnStartup = false;
    m_dialogs = new ScriptedDialogs;
    m_window = new TMainProgram;
    // After the window has read its language file.
    SetMessage(5, "No existe %s");
}

void TestSingleInstance::cleanup()
{
    delete m_window;
    delete m_dialogs;
}

int TestSingleInstance::startSecond(const QStringList &args)
{
    QProcess second;
    second.setProgram(QStringLiteral(QV_BIN_DIR "/quorvane"));
    second.setArguments(args);
    second.setWorkingDirectory(m_dir.path());
    second.start();
    // The first instance must keep serving while the second one waits.
    QElapsedTimer timer;
    timer.start();
    while (second.state() != QProcess::NotRunning && timer.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        second.waitForFinished(20);
    }
    if (second.state() != QProcess::NotRunning) {
        second.kill();
        second.waitForFinished();
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -2;
}

void TestSingleInstance::a_second_start_hands_its_file_to_the_first_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<int>("documents");
    QTest::addColumn<int>("messages");
    QTest::newRow("a file given by a relative name opens in the first instance") << "new.hpe" << 2 << 0;
    QTest::newRow("a file that is open already only gets its tab selected") << "open.hpe" << 1 << 0;
    QTest::newRow("no file only raises the first instance") << "" << 1 << 0;
    QTest::newRow("a missing file is reported by the first instance") << "missing.hpe" << 1 << 1;
}

void TestSingleInstance::a_second_start_hands_its_file_to_the_first()
{
    QFETCH(QString, argument);
    QFETCH(int, documents);
    QFETCH(int, messages);
    for (const char *name : {"new.hpe", "open.hpe"}) {
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(name);
    }
    m_window->OpenStartupDocument(m_dir.filePath("open.hpe"));
    m_window->Documents()->OpenDocument(m_dir.filePath("new.hpe"), false); // an untitled namesake
    m_window->Documents()->CloseActiveDocument();
    QCOMPARE(m_window->Documents()->count(), 1);

    const QStringList args = argument.isEmpty() ? QStringList() : QStringList{argument};
    QCOMPARE(startSecond(args), 0);
    QCOMPARE(m_window->Documents()->count(), documents);
    QCOMPARE(m_dialogs->messages.size(), messages);
    if (!argument.isEmpty() && messages == 0)
        QCOMPARE(m_window->Documents()->fileName(m_window->Documents()->ActiveDocument()),
                 m_dir.filePath(argument));
    if (messages)
        QCOMPARE(m_dialogs->messages[0].text, "No existe " + m_dir.filePath(argument));
}

void TestSingleInstance::with_no_first_instance_the_program_starts_normally()
{
    // This test's window stops listening; the program started now must become
    // the running editor that takes the next hand-over.
    delete m_window;
    m_window = nullptr;
    QProcess first;
    first.setProgram(QStringLiteral(QV_BIN_DIR "/quorvane"));
    first.start();
    QVERIFY(first.waitForStarted());
    bool handed = false;
    for (int i = 0; i < 100 && !handed; ++i) {
        QTest::qWait(50);
        handed = SingleInstance::handOver(QString(), 5000);
    }
    first.kill();
    first.waitForFinished();
    QVERIFY(handed);
    m_window = new TMainProgram;
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
