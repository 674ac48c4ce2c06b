// The main window's Emulator commands reach the calculator bridge: the F9 and
// Ctrl+E shortcuts, a gutter click, and the calculator's end with the window.
// The calculator is a fake that records what it is asked.

#include "support/FakeEmulator.h"

#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "emulator/Emu48Proc.h"
#include "formats/ObjectFile.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "mainwindow/MainProgram.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

class TestEmulatorWiring : public QObject
{
    Q_OBJECT
private slots:
    void shortcuts_and_gutter_reach_the_calculator();
};

void TestEmulatorWiring::shortcuts_and_gutter_reach_the_calculator()
{
    QTemporaryDir dir;
    SetAppFolder(QStringLiteral(QV_BIN_DIR "/"));
    ResetEmulatorSession();
    ScriptedDialogs dialogs;
    FakeEmulator fake;
    EmuSession().TempObject = dir.path() + "/QVTEMP.TMP";
    auto window = std::make_unique<TMainProgram>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    const QString path = dir.path() + "/p.hpprg";
    WriteFileBytes("\xAB 1 2 + \xBB", path);
    window->Documents()->OpenDocument(path, true);
    window->UpdateActions();

    QTest::keyClick(window->ActiveEditor(), Qt::Key_F9);
    QCOMPARE(fake.lines("run"), QStringList{QString::fromLatin1("run \xAB 1 2 + \xBB")});
    QTest::keyClick(window->ActiveEditor(), Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(fake.lines("line"), QStringList{QString::fromLatin1("line \xAB 1 2 + \xBB")});

    emit window->ActiveEditor()->marginClicked(0, 0, Qt::NoModifier);
    QCOMPARE(window->Documents()->breakpointLine(0), 0);
    window->UpdateActions();
    QVERIFY(window->Action("EmuClearBreak")->isEnabled());

    fake.clearLog();
    window.reset();
    QCOMPARE(fake.log(), (QStringList{"stop", "destroy"}));
    QVERIFY(dialogs.messages.isEmpty());
}

QTEST_MAIN(TestEmulatorWiring)
#include "tst_emulatorwiring.moc"
