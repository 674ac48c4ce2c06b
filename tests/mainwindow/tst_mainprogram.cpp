#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "mainwindow/MainProgram.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

namespace {

const QStringList NoDocumentDisabled = {
    "FileClose", "FileCloseAll", "FileSave", "FileSaveAs", "FileExport", "FilePrint", "FilePreview",
    "EditUndo", "EditRedo", "EditCut", "EditCopy", "EditPaste", "EditSelectAll", "EditToUpper",
    "EditToLower", "EditComment", "SearchFind", "SearchFindNext", "SearchFindPrev", "SearchReplace",
    "SearchGoTo", "ViewLineNumbers", "InsertProgram", "InsertWhile", "InsertLocal", "EmuSend",
    "EmuProgramRun", "EmuProgramParam", "EmuProgramStep", "EmuProgramBreak", "EmuClearBreak",
    "ToolsProgram", "ToolsMatrixWriter", "ToolsInform"};
const QStringList NeverDisabled = {
    "FileNew", "FileNewDirectory", "FileNewGrob", "FileOpen", "FileImport", "FilePageSetup", "FileExit",
    "ViewToolBar", "ViewStatusBar", "EmuRun", "EmuStop", "OptionsEnvironment", "OptionsEditor", "HelpIndex",
    "HelpAbout", "HelpWhatThisIs"};

} // namespace

class TestMainProgram : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void every_command_exists_with_its_caption_and_shortcut_data();
    void every_command_exists_with_its_caption_and_shortcut();
    void with_no_document_only_the_free_commands_are_enabled();
    void enabling_rule_data();
    void enabling_rule();
    void a_text_that_is_no_program_loses_its_breakpoint();
    void view_toggles_show_and_hide_their_bars();
    void closing_the_window_stops_at_a_cancel();
    void settings_are_written_once_at_exit();
    void hints_go_to_the_fourth_status_panel();
    void every_shortcut_reaches_its_command_from_the_editor();
    void an_untouched_new_document_closes_without_a_question();
    void help_without_a_browser_says_so();
    void the_window_title_is_the_programs_own();
    void run_and_step_look_enabled_and_glyphs_share_one_size();
    void every_file_of_the_command_line_opens();
    void the_recent_files_appear_in_the_file_menu();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir *m_dir = nullptr;
    TMainProgram *m_window = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

void TestMainProgram::init()
{
    QFile::remove(SettingsStore::userStorePath());
    Settings() = AppSettings::defaults();
    SetLabel(1, "Sin título");
    SetMessage(2, "¿Guardar %s?");
    m_dir = new QTemporaryDir;
    m_dialogs = new ScriptedDialogs;
    m_window = new TMainProgram;
}

void TestMainProgram::cleanup()
{
    delete m_window;
    delete m_dialogs;
    delete m_dir;
}

QString TestMainProgram::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    return path;
}

void TestMainProgram::every_command_exists_with_its_caption_and_shortcut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("new document") << "FileNew" << "Otro objeto" << "Ctrl+N";
    QTest::newRow("print preview") << "FilePreview" << "Vista previa..." << "Ctrl+Alt+P";
    QTest::newRow("find next keeps its fifteen blanks") << "SearchFindNext" << "Buscar Siguiente               "
                                                        << "F3";
    QTest::newRow("find previous") << "SearchFindPrev" << "Buscar Anterior" << "Shift+F3";
    QTest::newRow("upper case") << "EditToUpper" << "Convertir a mayúsculas" << "Ctrl+Alt+U";
    QTest::newRow("line numbers") << "ViewLineNumbers" << "Números de Línea" << "Ctrl+L";
    QTest::newRow("run program") << "EmuProgramRun" << "Ejecutar programa" << "F9";
    QTest::newRow("step program") << "EmuProgramStep" << "Ejecutar programa paso a paso" << "F8";
    QTest::newRow("stop a running program") << "EmuStop" << "Detener el programa" << "Shift+F9";
    QTest::newRow("matrix writer") << "ToolsMatrixWriter" << "Editor de matrices" << "Ctrl+F4";
    QTest::newRow("INFORM builder") << "ToolsInform" << "Asistente para INFORM" << "Ctrl+F7";
    QTest::newRow("an insertion command") << "InsertIfErrte" << "IFERR...THEN...ELSE...END" << "";
    QTest::newRow("help contents") << "HelpIndex" << "Contenido" << "F1";
    QTest::newRow("what is this") << "HelpWhatThisIs" << "¿Qué es esto?" << "";
}

void TestMainProgram::every_command_exists_with_its_caption_and_shortcut()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    // The built-in captions are those of a start without a language file.
    const QString appFolder = AppFolder();
    delete m_window;
    SetAppFolder(m_dir->path());
    m_window = new TMainProgram;
    SetAppFolder(appFolder);
    QAction *a = m_window->Action(name);
    QVERIFY(a);
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut().toString(), shortcut);
    // 94 commands of the table and the nine language items.
    QCOMPARE(m_window->actions().size(), 94 + 9);
    QVERIFY(m_window->Action("FileSendToHP")->isVisible());
}

void TestMainProgram::with_no_document_only_the_free_commands_are_enabled()
{
    Settings().environment.NewFileOnStartup = false;
    m_window->OpenStartupDocument(QString());
    QVERIFY(!m_window->ActiveEditor());
    QCOMPARE(m_window->windowTitle(), QString("HPQuorvane 5"));
    for (const QString &name : NoDocumentDisabled)
        QVERIFY2(!m_window->Action(name)->isEnabled(), qPrintable(name));
    for (const QString &name : NeverDisabled)
        QVERIFY2(m_window->Action(name)->isEnabled(), qPrintable(name));
    QVERIFY(!m_window->Action("ViewLineNumbers")->isChecked());
    QVERIFY(!m_window->CommandsBar()->widget()->isEnabled());
    QVERIFY(!m_window->SymbolsBar()->widget()->isEnabled());
}

void TestMainProgram::enabling_rule_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("select");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    QTest::newRow("an empty document allows only the always-on commands")
        << QByteArray() << false
        << QStringList{"FileClose", "FileSaveAs", "EditSelectAll", "SearchGoTo", "InsertIf", "ToolsInput"}
        << QStringList{"FileSave", "FileExport", "SearchFind", "EmuSend", "EditCut", "EditUndo",
                       "EmuProgramRun", "EmuClearBreak", "SearchFindNext"};
    QTest::newRow("a line of blanks is not empty")
        << QByteArray("   ") << false << QStringList{"FileExport", "SearchFind", "SearchReplace", "EmuSend"}
        << QStringList{"EmuProgramRun", "SearchFindNext"};
    QTest::newRow("a program after a header enables the program commands")
        << QByteArray("%%HP: T(0)A(D)F(.);\r\n\xAB 1 2 + \xBB") << false
        << QStringList{"EmuProgramRun", "EmuProgramParam", "EmuProgramStep", "EmuProgramBreak"}
        << QStringList{"EmuClearBreak"};
    QTest::newRow("a selection enables cut, copy and the case commands")
        << QByteArray("DUP DROP") << true << QStringList{"EditCut", "EditCopy", "EditToUpper", "EditToLower"}
        << QStringList{"EmuProgramRun"};
}

void TestMainProgram::enabling_rule()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, select);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    const QString path = write("doc.hpe", text);
    QApplication::clipboard()->clear();
    m_window->OpenStartupDocument(path);
    if (select)
        m_window->ActiveEditor()->selectAll();
    m_window->UpdateActions();
    for (const QString &name : enabled)
        QVERIFY2(m_window->Action(name)->isEnabled(), qPrintable(name));
    for (const QString &name : disabled)
        QVERIFY2(!m_window->Action(name)->isEnabled(), qPrintable(name));

    // Editing makes the document modified and undoable; the clipboard enables paste.
    m_window->ActiveEditor()->insert("1 ");
    QApplication::clipboard()->setText("2");
    m_window->UpdateActions();
    QVERIFY(m_window->Action("FileSave")->isEnabled());
    QVERIFY(m_window->Action("EditUndo")->isEnabled());
    QVERIFY(!m_window->Action("EditRedo")->isEnabled());
    QVERIFY(m_window->Action("EditPaste")->isEnabled());
    m_window->CurrentSearch().searchText = "2";
    m_window->UpdateActions();
    QVERIFY(m_window->Action("SearchFindNext")->isEnabled());
}

void TestMainProgram::a_text_that_is_no_program_loses_its_breakpoint()
{
    m_window->OpenStartupDocument(write("p.hpprg", "\xAB\r\n 1\r\n\xBB"));
    DocumentPanel *docs = m_window->Documents();
    docs->setBreakpointLine(0, 1);
    m_window->UpdateActions();
    QVERIFY(m_window->Action("EmuClearBreak")->isEnabled());
    m_window->ActiveEditor()->setCursorPosition(2, 1);
    m_window->ActiveEditor()->insert(" X");
    m_window->UpdateActions();
    QCOMPARE(docs->breakpointLine(0), -1);
    QVERIFY(!m_window->Action("EmuClearBreak")->isEnabled());
    QVERIFY(!m_window->Action("EmuProgramRun")->isEnabled());
}

void TestMainProgram::view_toggles_show_and_hide_their_bars()
{
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QVERIFY(m_window->ToolBar()->isVisible());
    m_window->Action("ViewCommandsBar")->trigger();
    QVERIFY(!m_window->CommandsBar()->isVisible());
    QVERIFY(!m_window->StackBar()->isVisible()); // the stack diagrams follow the command tree
    QVERIFY(m_window->SymbolsBar()->isVisible());
    m_window->Action("ViewStatusBar")->trigger();
    QVERIFY(!m_window->statusBar()->isVisible());
    // A bar closed with its own button unticks its View item.
    m_window->SymbolsBar()->close();
    QVERIFY(!m_window->Action("ViewSymbolsBar")->isChecked());
    m_window->Action("ViewCommandsBar")->trigger();
    QVERIFY(m_window->CommandsBar()->isVisible());
    QVERIFY(m_window->StackBar()->isVisible());
}

void TestMainProgram::closing_the_window_stops_at_a_cancel()
{
    m_window->show();
    m_window->Documents()->OpenDocument(write("a.hpe", "a"), true);
    m_window->Documents()->OpenDocument(write("b.hpe", "b"), true);
    m_window->Documents()->editor(0)->insert("1");
    m_window->Documents()->editor(1)->insert("2");
    m_window->Documents()->selectDocument(1);
    m_dialogs->answers << QMessageBox::No << QMessageBox::Cancel;
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
    // The No given before the Cancel closed nothing: both are open as they were.
    QCOMPARE(m_window->Documents()->count(), 2);
    QCOMPARE(m_window->Documents()->editor(0)->documentBytes(), QByteArray("1a"));
    QVERIFY(m_window->Documents()->editor(0)->isModified());
    QVERIFY(m_window->Documents()->editor(1)->isModified());
    QCOMPARE(m_window->Documents()->ActiveDocument(), 1);
    QCOMPARE(m_dialogs->messages.size(), 2);

    // Yes to the first, No to the second: the first is saved, both close.
    m_dialogs->answers << QMessageBox::Yes << QMessageBox::No;
    QVERIFY(m_window->close());
    QCOMPARE(m_window->Documents()->count(), 0);
    QFile saved(m_dir->filePath("a.hpe"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("1a"));
}

void TestMainProgram::settings_are_written_once_at_exit()
{
    m_window->show();
    m_window->Action("ViewInsertBar")->trigger();
    Settings().editor.TabSize = 7;
    QVERIFY(!QFile::exists(SettingsStore::userStorePath()));
    m_window->Documents()->OpenDocument(write("m.hpe", "m"), true);
    QVERIFY(m_window->close());
    const SettingsStore store;
    QCOMPARE(store.readInt("Editor", "TabSize", 0), 7);
    QCOMPARE(store.readBool("Environment", "ViewInsertBar", true), false);
    QCOMPARE(store.readText("Editor", "History1", {}), m_dir->filePath("m.hpe"));
    // The next window starts from what was written.
    delete m_window;
    Settings() = AppSettings::defaults();
    m_window = new TMainProgram;
    QVERIFY(!m_window->Action("ViewInsertBar")->isChecked());
    QCOMPARE(Settings().editor.TabSize, 7);
    QCOMPARE(m_window->RecentFiles().items(), QStringList{m_dir->filePath("m.hpe")});
}

void TestMainProgram::hints_go_to_the_fourth_status_panel()
{
    QStatusTipEvent tip("Abrir|Abre un documento del disco");
    QApplication::sendEvent(m_window, &tip);
    QCOMPARE(m_window->StatusPanel(3)->text(), QString(" Abre un documento del disco"));
    QVERIFY(m_window->StatusPanel(0)->isVisibleTo(m_window));
}

void TestMainProgram::the_recent_files_appear_in_the_file_menu()
{
    const QString path = write("r.hpe", "r");
    m_window->Documents()->OpenDocument(path, true);
    QAction *item = m_window->findChild<QAction *>("History1");
    QVERIFY(item);
    QVERIFY(item->text().endsWith(path));
    m_window->Documents()->CloseActiveDocument();
    item->trigger();
    QCOMPARE(m_window->Documents()->fileName(0), path);
}

void TestMainProgram::every_shortcut_reaches_its_command_from_the_editor()
{
    const QByteArray text = "\xAB\r\n  1 2 +\r\n  DUP\r\n\xBB";
    m_window->OpenStartupDocument(write("keys.hpprg", text));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    DocumentEditor *editor = m_window->ActiveEditor();
    editor->setFocus();
    editor->setCursorPosition(1, 3);
    QTRY_VERIFY(editor->hasFocus());
    // Only the key's way is tested: no command runs, so no text may change.
    int checked = 0;
    for (QAction *action : m_window->actions()) {
        if (action->shortcut().isEmpty())
            continue;
        action->disconnect(SIGNAL(triggered(bool)));
        action->setEnabled(true);
        QSignalSpy triggered(action, &QAction::triggered);
        const QKeyCombination key = action->shortcut()[0];
        QTest::keyClick(editor, key.key(), key.keyboardModifiers());
        QVERIFY2(triggered.size() == 1, qPrintable(action->objectName()));
        QVERIFY2(editor->documentBytes() == text, qPrintable(action->objectName()));
        ++checked;
    }
    QVERIFY(checked >= 25);
}

void TestMainProgram::an_untouched_new_document_closes_without_a_question()
{
    m_window->show();
    m_window->Action("FileNew")->trigger();
    DocumentEditor *editor = m_window->ActiveEditor();
    QVERIFY(editor);
    QVERIFY(editor->documentBytes().startsWith("%%HP:")); // the header template is there
    QVERIFY(!editor->isModified());
    QVERIFY(!editor->isUndoAvailable());
    m_window->UpdateActions();
    QVERIFY(!m_window->Action("FileSave")->isEnabled());
    QVERIFY(m_window->close());
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestMainProgram::help_without_a_browser_says_so()
{
    // No program on the path can open a page.
    const QByteArray path = qgetenv("PATH");
    const QByteArray browser = qgetenv("BROWSER");
    qputenv("PATH", QFile::encodeName(m_dir->path()));
    qunsetenv("BROWSER");
    const QString appFolder = AppFolder();
    QDir(m_dir->path()).mkpath("help");
    write("help/index.html", "<html></html>");
    SetAppFolder(m_dir->path() + '/');
    m_window->Action("HelpIndex")->trigger();
    SetAppFolder(appFolder);
    qputenv("PATH", path);
    if (!browser.isNull())
        qputenv("BROWSER", browser);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY2(m_dialogs->messages[0].text.contains("index.html"), qPrintable(m_dialogs->messages[0].text));
    QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Warning);
}

void TestMainProgram::the_window_title_is_the_programs_own()
{
    SetApplicationNames();
    const QString path = write("t.hpe", "1");
    m_window->OpenStartupDocument(path);
    QCOMPARE(m_window->windowTitle(), "HPQuorvane 5 - [" + path + ']');
    // A display name of its own would be appended by Qt to that title.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
}

void TestMainProgram::run_and_step_look_enabled_and_glyphs_share_one_size()
{
    // An enabled command's image has plainly coloured ink, not pale grey.
    for (const char *name : {"EmuProgramRun", "EmuProgramStep"}) {
        const QImage image = m_window->Action(name)->icon().pixmap(20, 20).toImage();
        int strong = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.alpha() > 200 && c.hsvSaturation() > 120 && c.value() < 220)
                    ++strong;
            }
        QVERIFY2(strong > 20, name);
    }
    // The glyphs of the insertion bar share one letter height.
    const auto inkHeight = [this](const char *name) {
        const QImage image = m_window->Action(name)->icon().pixmap(24, 24).toImage();
        int top = image.height();
        int bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).alpha() > 128) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        return bottom - top;
    };
    QVERIFY(inkHeight("InsertIf") > 0);
    for (const char *name : {"InsertCase", "InsertStart", "InsertFor", "InsertDoErr"})
        QVERIFY2(inkHeight(name) == inkHeight("InsertIf"), name);
}

void TestMainProgram::every_file_of_the_command_line_opens()
{
    const QString a = write("a.hpe", "a");
    const QString b = write("b.hpe", "b");
    m_window->OpenStartupDocuments({a, b});
    QCOMPARE(m_window->Documents()->count(), 2);
    QCOMPARE(m_window->Documents()->fileName(0), a);
    QCOMPARE(m_window->Documents()->fileName(1), b);
    QCOMPARE(m_window->Documents()->ActiveDocument(), 1);
}

QTEST_MAIN(TestMainProgram)
#include "tst_mainprogram.moc"
