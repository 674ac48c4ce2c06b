// The Emulator menu's commands and File Import and Export on real document
// editors, over a fake calculator library: breakpoints and their marks, the
// parameters window, what F9 and F8 send, and the conversions' windows.

#include "support/FakeEmulator.h"
#include "support/TestCommandHost.h"

#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "emulator/Emu48Proc.h"
#include "emulator/EmulatorCommands.h"
#include "emulator/ParamDialog.h"
#include "emulator/StatusDialog.h"
#include "formats/CalcCharset.h"
#include "formats/ObjectFile.h"
#include "shell/Globals.h"
#include "shell/MruList.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QByteArray Program = "%%HP: T(0)A(D)F(.);\r\n@ %NAME%=SQ\r\n\xAB\r\n  DUP *\r\n\r\n\xBB";

QString latin1(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

} // namespace

class TestEmulatorCommands : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void toggling_breakpoints_data();
    void toggling_breakpoints();
    void the_breakpoint_line_is_white_on_red_and_stays_on_its_number();
    void a_gutter_click_data();
    void a_gutter_click();
    void the_parameters_window_data();
    void the_parameters_window();
    void run_stores_then_runs_with_parameters_and_halt();
    void step_stores_with_blanks_and_sends_no_halt();
    void the_ascii_form_reaches_the_calculator_translated();
    void send_failure_is_reported();
    void without_a_calculator_a_run_reports_once_data();
    void without_a_calculator_a_run_reports_once();
    void a_text_that_never_reaches_the_calculator_is_said_so_data();
    void a_text_that_never_reaches_the_calculator_is_said_so();
    void import_makes_a_new_document_of_exactly_the_text();
    void import_failure_makes_no_document();
    void export_sends_the_object_source_and_reports_failure();
    void export_proposes_the_name_with_hp_data();
    void export_proposes_the_name_with_hp();

private:
    DocumentEditor *open(const QByteArray &text);
    void trigger(const char *name) { m_window->trigger(QString::fromLatin1(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<FakeEmulator> m_fake;
    std::unique_ptr<TestCommandHost> m_window;
    DocumentPanel *m_documents = nullptr;
};

void TestEmulatorCommands::init()
{
    ResetEmulatorSession();
    m_dir = std::make_unique<QTemporaryDir>();
    SetAppFolder(m_dir->path() + '/');
    // The windows read their texts from the shipped file.
    LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng");
    Settings() = AppSettings();
    Settings().environment.Emu49RamFilename = "default 50G.e49";
    for (int n : {7, 8, 9, 12})
        SetMessage(n, "message " + QString::number(n));
    for (int n : {10, 11, 13, 15, 16, 17})
        SetLabel(n, "label " + QString::number(n));
    SetLabel(1, "Untitled");
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_fake = std::make_unique<FakeEmulator>();
    EmuSession().TempObject = m_dir->path() + "/QVTEMP.TMP";
    m_window = std::make_unique<TestCommandHost>();
    m_documents = m_window->Documents();
    new EmulatorCommands(*m_window);
    m_window->show();
}

void TestEmulatorCommands::cleanup()
{
    m_window.reset(); // stops and destroys the calculator
    m_fake.reset();
    m_dialogs.reset();
}

DocumentEditor *TestEmulatorCommands::open(const QByteArray &text)
{
    const QString path = m_dir->path() + "/doc" + QString::number(m_documents->count()) + ".hpprg";
    WriteFileBytes(text, path);
    m_documents->OpenDocument(path, true);
    return m_documents->ActiveEditor();
}

void TestEmulatorCommands::toggling_breakpoints_data()
{
    QTest::addColumn<QList<int>>("caretLines"); // 0-based lines the toggle runs on, in order
    QTest::addColumn<int>("breakpoint");        // -1: none
    QTest::newRow("a toggle marks the caret's line") << QList<int>{3} << 3;
    QTest::newRow("a second toggle on it clears it") << QList<int>{3, 3} << -1;
    QTest::newRow("a toggle on another line moves it") << QList<int>{3, 2} << 2;
    QTest::newRow("a blank line does nothing, with a breakpoint elsewhere too") << QList<int>{3, 4} << 3;
}

void TestEmulatorCommands::toggling_breakpoints()
{
    QFETCH(QList<int>, caretLines);
    QFETCH(int, breakpoint);
    DocumentEditor *editor = open(Program);
    for (int line : caretLines) {
        editor->setCursorPosition(line, 0);
        trigger("EmuProgramBreak");
    }
    QCOMPARE(m_documents->breakpointLine(m_documents->ActiveDocument()), breakpoint);
    for (int line = 0; line < editor->lines(); ++line)
        QCOMPARE(bool(editor->markersAtLine(line) & (1 << DocumentEditor::BreakpointLineMarker)), line == breakpoint);
    QVERIFY(m_window->updates > 0 || breakpoint < 0);
    trigger("EmuClearBreak");
    QCOMPARE(m_documents->breakpointLine(m_documents->ActiveDocument()), -1);
    QCOMPARE(editor->markerFindNext(0, 1 << DocumentEditor::BreakpointMarker), -1);
}

void TestEmulatorCommands::the_breakpoint_line_is_white_on_red_and_stays_on_its_number()
{
    DocumentEditor *editor = open(Program);
    editor->setCursorPosition(3, 0);
    trigger("EmuProgramBreak");
    const auto textIsWhiteAt = [editor](int line) {
        const long position = editor->positionFromLineIndex(line, 0);
        return editor->SendScintilla(QsciScintilla::SCI_INDICATORVALUEAT, DocumentEditor::BreakpointTextIndicator,
                                     position)
               != 0;
    };
    QVERIFY(textIsWhiteAt(3));
    QVERIFY(!textIsWhiteAt(2));
    QCOMPARE(editor->SendScintilla(QsciScintilla::SCI_INDICGETFORE, DocumentEditor::BreakpointTextIndicator),
             0xFFFFFFL & 0xFFFFFF);
    // A line added above: the HALT still goes into line 4, so the mark stays there.
    editor->setCursorPosition(0, 0);
    editor->insert("@ new line\r\n");
    QTRY_VERIFY(editor->markersAtLine(3) & (1 << DocumentEditor::BreakpointMarker));
    QVERIFY(!(editor->markersAtLine(4) & (1 << DocumentEditor::BreakpointMarker)));
    QVERIFY(textIsWhiteAt(3));
}

void TestEmulatorCommands::a_gutter_click_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("breakpoint");
    QTest::newRow("in a program it toggles the clicked line") << Program << 3;
    QTest::newRow("in a document that is not a program it does nothing") << QByteArray("{ 1\r\n2\r\n3\r\n4 }") << -1;
}

void TestEmulatorCommands::a_gutter_click()
{
    QFETCH(QByteArray, text);
    QFETCH(int, breakpoint);
    DocumentEditor *editor = open(text);
    editor->setCursorPosition(0, 0);
    emit editor->marginClicked(0, 3, Qt::NoModifier);
    QCOMPARE(m_documents->breakpointLine(m_documents->ActiveDocument()), breakpoint);
    QCOMPARE(editor->caretLine(), 4);
}

void TestEmulatorCommands::the_parameters_window_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("kept");
    QTest::newRow("OK keeps what was typed") << true << "1 2";
    QTest::newRow("Cancel changes nothing") << false << "7";
}

void TestEmulatorCommands::the_parameters_window()
{
    QFETCH(bool, ok);
    QFETCH(QString, kept);
    open(Program);
    m_documents->setProgramParameters(m_documents->ActiveDocument(), "7");
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<TParamDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        shown = dialog->Param->text();
        dialog->Param->setText("1 2");
        (ok ? dialog->Ok : dialog->Cancel)->click();
    });
    trigger("EmuProgramParam");
    QCOMPARE(shown, QString("7"));
    QCOMPARE(m_documents->programParameters(m_documents->ActiveDocument()), kept);
}

void TestEmulatorCommands::run_stores_then_runs_with_parameters_and_halt()
{
    DocumentEditor *editor = open(Program);
    m_documents->setProgramParameters(m_documents->ActiveDocument(), "9");
    editor->setCursorPosition(3, 0);
    trigger("EmuProgramBreak");
    trigger("EmuProgramRun");
    QStringList sent = m_fake->lines("line");
    sent << m_fake->lines("run");
    QCOMPARE(sent, (QStringList{latin1("line \xAB\n  DUP *\n\n\xBB\n'SQ' IFERR STO THEN END"), "run 41.01 TMENU",
                                "run 9", latin1("run \xAB\nHALT   DUP *\n\n\xBB")}));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestEmulatorCommands::step_stores_with_blanks_and_sends_no_halt()
{
    DocumentEditor *editor = open(Program);
    editor->setCursorPosition(3, 0);
    trigger("EmuProgramBreak");
    trigger("EmuProgramStep");
    QCOMPARE(m_fake->lines("line"), (QStringList{latin1("line \xAB\n  DUP *\n\n\xBB\n 'SQ' IFERR STO THEN END"),
                                                 latin1("line \xAB\n  DUP *\n\n\xBB")}));
    QCOMPARE(m_fake->log().last(), QString("key 5,1")); // the first soft key starts the debugger
}

void TestEmulatorCommands::the_ascii_form_reaches_the_calculator_translated()
{
    // As a transfer would: T(3) turns the backslash codes into characters.
    DocumentEditor *editor = open("%%HP: T(3)A(D)F(.);\r\n@ %NAME%=SQ\r\n\\<<\r\n  \\-> x 'x^2'\r\n\\>>");
    editor->setCursorPosition(2, 0);
    trigger("EmuProgramBreak"); // the HALT finds the « that \<< became
    trigger("EmuProgramRun");
    QStringList sent = m_fake->lines("line");
    sent << m_fake->lines("run");
    QCOMPARE(sent, (QStringList{latin1("line \xAB\n  \x8D x 'x^2'\n\xBB\n'SQ' IFERR STO THEN END"),
                                "run 41.01 TMENU", latin1("run \xAB HALT \n  \x8D x 'x^2'\n\xBB")}));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestEmulatorCommands::send_failure_is_reported()
{
    m_fake->createSucceeds = false;
    open(Program);
    trigger("EmuSend");
    QCOMPARE(m_dialogs->messages.size(), 2);
    QCOMPARE(m_dialogs->messages[0].text, QString("message 12"));
    QCOMPARE(m_dialogs->messages[1].text, QString("message 7"));
}

void TestEmulatorCommands::without_a_calculator_a_run_reports_once_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("F9 with a name, a breakpoint and parameters") << QByteArray("EmuProgramRun")
                                                                 << QStringList{"message 12", "message 7"};
    QTest::newRow("F8 with a name and parameters") << QByteArray("EmuProgramStep")
                                                   << QStringList{"message 12", "message 7"};
}

void TestEmulatorCommands::without_a_calculator_a_run_reports_once()
{
    QFETCH(QByteArray, command);
    QFETCH(QStringList, messages);
    m_fake->createSucceeds = false;
    DocumentEditor *editor = open(Program);
    m_documents->setProgramParameters(m_documents->ActiveDocument(), "9");
    editor->setCursorPosition(3, 0);
    trigger("EmuProgramBreak");
    trigger(command.constData());
    QStringList shown;
    for (const ScriptedDialogs::Message &message : std::as_const(m_dialogs->messages))
        shown << message.text;
    QCOMPARE(shown, messages);
    QCOMPARE(m_fake->lines("create").size(), 1);
}

void TestEmulatorCommands::a_text_that_never_reaches_the_calculator_is_said_so_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<bool>("tooLarge"); // else the calculator refuses the load
    QTest::addColumn<QString>("reason");
    QTest::newRow("F9, a program too large for a command line") << QByteArray("EmuProgramRun") << true
                                                                 << "too large";
    QTest::newRow("F8, too large") << QByteArray("EmuProgramStep") << true << "too large";
    QTest::newRow("F9, the load refused") << QByteArray("EmuProgramRun") << false << "refused";
    QTest::newRow("Send, the load refused") << QByteArray("EmuSend") << false << "refused";
}

void TestEmulatorCommands::a_text_that_never_reaches_the_calculator_is_said_so()
{
    QFETCH(QByteArray, command);
    QFETCH(bool, tooLarge);
    QFETCH(QString, reason);
    QByteArray text = "\xAB 1 \xBB";
    if (tooLarge)
        text = "\xAB \"" + QByteArray(600000, 'a') + "\" \xBB";
    else
        m_fake->loadSucceeds = false;
    open(text);
    trigger(command.constData());
    // One message, with the reason; nothing was typed into the calculator,
    // so no unrelated calculator error follows.
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY2(m_dialogs->messages[0].text.startsWith("message 7"), qPrintable(m_dialogs->messages[0].text));
    QVERIFY2(m_dialogs->messages[0].text.contains(reason), qPrintable(m_dialogs->messages[0].text));
    QVERIFY(m_fake->lines("key").isEmpty());
}

void TestEmulatorCommands::import_makes_a_new_document_of_exactly_the_text()
{
    connect(m_documents, &DocumentPanel::newDocumentCreated, this, [](DocumentEditor *editor) {
        editor->insert("%%HP: T(0)A(D)F(.);\r\n"); // as the main window's template does
    });
    const QString source = m_dir->path() + "/prog.hp";
    WriteFileBytes(MakeObjectFile("D9D20B2130", false), source);
    m_dialogs->chooseFile(source);
    m_fake->savedObject = StringNibbleText("\xAB\n  1 \"a b\" +\n\xBB");
    bool statusShown = false;
    bool windowEnabled = true;
    m_fake->onSave = [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *status = qobject_cast<TStatusDialog *>(w); status && status->isVisible())
                statusShown = status->windowTitle() == "label 15" && status->FileTarget->text() == "label 16";
        windowEnabled = m_window->isEnabled();
    };
    trigger("FileImport");
    QVERIFY(statusShown);
    QVERIFY(!windowEnabled);
    QVERIFY(m_window->isEnabled());
    QCOMPARE(m_dialogs->openRequests.size(), 1);
    QCOMPARE(m_dialogs->openRequests[0].title, QString("label 10"));
    QCOMPARE(m_dialogs->openRequests[0].filter, QString("label 13"));
    QCOMPARE(m_documents->count(), 1);
    QVERIFY(m_documents->isUntitled(0));
    QCOMPARE(m_documents->ActiveEditor()->textWithCrLf(), QByteArray("\xAB\r\n  1 \"a b\" +\r\n\xBB"));
}

void TestEmulatorCommands::import_failure_makes_no_document()
{
    const QString source = m_dir->path() + "/prog.hp";
    WriteFileBytes("not an object", source);
    m_dialogs->chooseFile(source);
    m_fake->savedObject = "D9D20B2130"; // what the calculator left is no string
    trigger("FileImport");
    QCOMPARE(m_documents->count(), 0);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].text, QString("message 8"));
    QVERIFY(m_window->isEnabled());
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TStatusDialog *>(w) || !w->isVisible());
}

void TestEmulatorCommands::export_sends_the_object_source_and_reports_failure()
{
    open(Program);
    const QString target = m_dir->path() + "/out.hp";
    m_dialogs->chooseFile(target);
    m_fake->savedObject = "D9D20B2130";
    trigger("FileExport");
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(m_dialogs->saveRequests[0].title, QString("label 11"));
    QCOMPARE(m_fake->lines("line"), QStringList{latin1("line \xAB\n  DUP *\n\n\xBB")});
    QCOMPARE(ReadFileBytes(target), MakeObjectFile("D9D20B2130", false));

    m_fake->savedObject.clear(); // the text did not compile: nothing to save
    m_dialogs->chooseFile(target);
    trigger("FileExport");
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].text, QString("message 9"));
    QVERIFY(m_window->isEnabled());
}

void TestEmulatorCommands::export_proposes_the_name_with_hp_data()
{
    QTest::addColumn<QString>("source");   // file name of the document, "" for untitled
    QTest::addColumn<QString>("proposal"); // what the save dialog proposes
    QTest::newRow("a program source") << "test.hpprg" << "test.hp";
    QTest::newRow("only the last extension goes") << "my.prog.hpprg" << "my.prog.hp";
    QTest::newRow("no extension") << "SQ" << "SQ.hp";
    QTest::newRow("a source already named .hp is not proposed") << "odd.hp" << "odd.hp.hp";
    QTest::newRow("an untitled document") << "" << "Untitled1.hp";
}

void TestEmulatorCommands::export_proposes_the_name_with_hp()
{
    QFETCH(QString, source);
    QFETCH(QString, proposal);
    if (source.isEmpty()) {
        m_documents->NewDocument();
        m_documents->ActiveEditor()->setText("1");
    } else {
        const QString path = m_dir->filePath(source);
        WriteFileBytes(Program, path);
        m_documents->OpenDocument(path, true);
        proposal = m_dir->filePath(proposal);
    }
    m_dialogs->cancelFile();
    trigger("FileExport");
    QCOMPARE(m_dialogs->saveRequests.size(), 1);
    QCOMPARE(m_dialogs->saveRequests[0].fileName, proposal);
    if (!source.isEmpty())
        QCOMPARE(ReadFileBytes(m_dir->filePath(source)), Program); // cancelled: the source is untouched
}

QTEST_MAIN(TestEmulatorCommands)
#include "tst_emulatorcommands.moc"
