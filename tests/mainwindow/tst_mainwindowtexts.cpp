#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "highlight/DlgEditor.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "mainwindow/MainProgram.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

// The main window's texts and the Language menu, on a program folder of its
// own that holds copies of the shipped language files.
class TestMainWindowTexts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void theLanguageMenuListsTheFilesAndChecksTheSetting();
    void theStartTakesEveryTextFromTheChosenFile();
    void choosingALanguageChangesEveryTextAtOnce_data();
    void choosingALanguageChangesEveryTextAtOnce();
    void theStatusPanelsTakeTheNewLabels();
    void aLanguageDeletedAfterStartIsReportedAndKeepsTheTexts();
    void theEditorOptionsFollowTheLanguageMenu();
    void aDeletedLanguageIsReportedOncePerLongLivedWindow();
    void aFileWithoutMessagesShowsTheMissingText();
    void aLanguageNameWithAnAmpersandIsKeptWhole();
    void aFirstStartWithoutAFileShowsANonEmptyBox();
    void theLanguageItemsShowTheNamesInsideTheFiles();
    void untitledDocumentsAndQtsOwnTextsFollowTheLanguage();

private:
    TMainProgram *start(const QString &language);
    QStringList visibleTexts() const;
    QAction *languageItem(const QString &caption) const;

    QString m_appFolder;
    QTemporaryDir *m_dir = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
    TMainProgram *m_window = nullptr;
};

void TestMainWindowTexts::init()
{
    QFile::remove(SettingsStore::userStorePath());
    m_appFolder = AppFolder();
    m_dir = new QTemporaryDir;
    QDir(m_dir->path()).mkdir("Languages");
    for (const char *name : {"Spanish(1).lng", "English.lng"})
        QVERIFY(QFile::copy(QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/") + name,
                            m_dir->filePath(QStringLiteral("Languages/") + name)));
    // The command reference reads its menu tree and stack diagrams at start.
    QDir(m_dir->path()).mkdir("Templates");
    for (const char *name : {"MenusHP49x-50x.mtv", "UserRPL49.stk", "CmdsAndFunctsHP49x-50x.ehc"})
        QVERIFY(QFile::copy(QStringLiteral(QV_SOURCE_DATA_DIR "/Templates/") + name,
                            m_dir->filePath(QStringLiteral("Templates/") + name)));
    SetAppFolder(m_dir->path());
    m_dialogs = new ScriptedDialogs;
}

void TestMainWindowTexts::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_dialogs;
    SetAppFolder(m_appFolder);
    delete m_dir;
}

TMainProgram *TestMainWindowTexts::start(const QString &language)
{
    Settings() = AppSettings::defaults();
    SettingsStore store;
    Settings().environment.Language = language;
    WriteSettings(store, Settings());
    store.sync();
    m_window = new TMainProgram;
    return m_window;
}

// Every caption and hint a user can see in the menus and bars.
QStringList TestMainWindowTexts::visibleTexts() const
{
    QStringList texts;
    for (QMenu *menu : m_window->findChildren<QMenu *>())
        texts << menu->title();
    for (QAction *a : m_window->actions())
        if (a->isVisible() && !a->objectName().startsWith("Lang"))
            texts << a->text() << a->toolTip() << a->statusTip();
    for (QDockWidget *dock : m_window->findChildren<QDockWidget *>())
        texts << dock->windowTitle() << dock->widget()->statusTip();
    for (QToolBar *bar : m_window->findChildren<QToolBar *>())
        texts << bar->windowTitle();
    return texts;
}

QAction *TestMainWindowTexts::languageItem(const QString &caption) const
{
    // Found by the file it reads; the item shows the name written inside it.
    for (int i = 1; i <= 9; ++i)
        if (m_window->Action("Lang" + QString::number(i))->data().toString() == caption)
            return m_window->Action("Lang" + QString::number(i));
    return nullptr;
}

void TestMainWindowTexts::theLanguageMenuListsTheFilesAndChecksTheSetting()
{
    start("English");
    QAction *english = languageItem("English");
    QAction *spanish = languageItem("Spanish(1)");
    QVERIFY(english && spanish);
    QVERIFY(english->isVisible() && english->isChecked());
    QVERIFY(spanish->isVisible() && !spanish->isChecked());
    QVERIFY(!m_window->Action("Lang3")->isVisible());
    QCOMPARE(m_window->LanguageMenu()->title(), QString("&Language"));
}

void TestMainWindowTexts::theStartTakesEveryTextFromTheChosenFile()
{
    start("Spanish(1)");
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(m_window->Action("FileNew")->text(), QString("&Otro objeto"));
    QCOMPARE(m_window->Action("OptionsEnvironment")->toolTip(), QString("Opciones del entorno"));
    QCOMPARE(m_window->Action("OptionsEnvironment")->statusTip(), QString("Configura las opciones del entorno"));
    QCOMPARE(m_window->findChild<QMenu *>("MenuEmulator")->title(), QString("E&mulador"));
    QCOMPARE(m_window->CommandsBar()->windowTitle(), QString("Comandos"));
    QCOMPARE(m_window->InsertBar()->windowTitle(), QString("Barra de inserción de objetos"));
    QCOMPARE(Label(4), QString("Modificado"));
    QCOMPARE(Message(1), QString("No se encontró el texto buscado."));
    const QStringList texts = visibleTexts();
    QVERIFY2(!texts.join('\n').contains(MissingLanguageText()), qPrintable(texts.join('\n')));
}

void TestMainWindowTexts::choosingALanguageChangesEveryTextAtOnce_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("saveAs");
    QTest::addColumn<QString>("modified");
    QTest::newRow("Spanish to English") << "Spanish(1)" << "English" << "Save &As..." << "Modified";
    QTest::newRow("English to Spanish") << "English" << "Spanish(1)" << "Guardar co&mo..." << "Modificado";
}

void TestMainWindowTexts::choosingALanguageChangesEveryTextAtOnce()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, saveAs);
    QFETCH(QString, modified);
    start(from);
    languageItem(to)->trigger();

    QCOMPARE(m_window->Action("FileSaveAs")->text(), saveAs);
    QCOMPARE(Label(4), modified);
    QVERIFY(languageItem(to)->isChecked());
    QVERIFY(!languageItem(from)->isChecked());
    QCOMPARE(Settings().environment.Language, to);
    QCOMPARE(LanguageFilePath, AppFolder() + "Languages/" + to + ".lng");
    QVERIFY(m_dialogs->messages.isEmpty());
    const QStringList texts = visibleTexts();
    QVERIFY2(!texts.join('\n').contains(MissingLanguageText()), qPrintable(texts.join('\n')));

    // The choice survives a restart.
    QVERIFY(m_window->close());
    delete m_window;
    m_window = new TMainProgram;
    QCOMPARE(m_window->Action("FileSaveAs")->text(), saveAs);
    QVERIFY(languageItem(to)->isChecked());
}

void TestMainWindowTexts::theStatusPanelsTakeTheNewLabels()
{
    start("Spanish(1)");
    m_window->Documents()->OpenDocument(QString("nuevo"), false);
    m_window->ActiveEditor()->insert("1 2 +");
    QCOMPARE(m_window->StatusPanel(0)->text(), QString("Modificado"));
    QCOMPARE(m_window->StatusPanel(1)->text(), QString("Insertar"));
    languageItem("English")->trigger();
    QCOMPARE(m_window->StatusPanel(0)->text(), QString("Modified"));
    QCOMPARE(m_window->StatusPanel(1)->text(), QString("Insert"));
    QVERIFY(m_window->StatusPanel(2)->text().startsWith("Ln "));
}

void TestMainWindowTexts::aLanguageDeletedAfterStartIsReportedAndKeepsTheTexts()
{
    start("Spanish(1)");
    QVERIFY(QFile::remove(m_dir->filePath("Languages/English.lng")));
    languageItem("English")->trigger();

    // Once for the main window and once each for the page setup and the
    // environment options windows, which live as long as it does.
    QCOMPARE(m_dialogs->messages.size(), 3);
    for (const auto &message : std::as_const(m_dialogs->messages))
        QCOMPARE(message.text, FormatText(Message(5), {m_dir->filePath("Languages/English.lng")}));
    QCOMPARE(m_window->Action("FileSaveAs")->text(), QString("Guardar co&mo..."));
    QCOMPARE(Label(4), QString("Modificado"));
    // The setting changes all the same and is saved at exit.
    QCOMPARE(Settings().environment.Language, QString("English"));
}

void TestMainWindowTexts::theEditorOptionsFollowTheLanguageMenu()
{
    // The editor options window lives for the whole run, as the program
    // entry wires it, and changes language with the main window.
    start("Spanish(1)");
    TEditorDialog dialog(m_window->Highlighter(), m_window);
    m_window->SetEditorDialog(&dialog);
    QCOMPARE(dialog.windowTitle(), QString("Opciones del editor"));
    languageItem("English")->trigger();
    QCOMPARE(dialog.windowTitle(), QString("Editor Options"));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestMainWindowTexts::aDeletedLanguageIsReportedOncePerLongLivedWindow()
{
    start("Spanish(1)");
    TEditorDialog dialog(m_window->Highlighter(), m_window);
    m_window->SetEditorDialog(&dialog);
    QVERIFY(QFile::remove(m_dir->filePath("Languages/English.lng")));
    languageItem("English")->trigger();

    // Once for the main window, once each for the page setup, the
    // environment options and the editor options; all keep their texts.
    const QString expected = FormatText(Message(5), {m_dir->filePath("Languages/English.lng")});
    QCOMPARE(m_dialogs->messages.size(), 4);
    for (const auto &message : std::as_const(m_dialogs->messages))
        QCOMPARE(message.text, expected);
    QCOMPARE(dialog.windowTitle(), QString("Opciones del editor"));
    QCOMPARE(m_window->Action("FileSaveAs")->text(), QString("Guardar co&mo..."));
}

void TestMainWindowTexts::aFileWithoutMessagesShowsTheMissingText()
{
    QFile file(m_dir->filePath("Languages/Bare.lng"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Menus]\nMenuFileOpen=Open\n");
    file.close();
    start("Bare");
    QCOMPARE(m_window->Action("FileOpen")->text(), QString("Open"));
    QCOMPARE(m_window->Action("FileSave")->text(), MissingLanguageText());
    QCOMPARE(Message(1), MissingLanguageText());
    QCOMPARE(Label(2), MissingLanguageText());
}

void TestMainWindowTexts::aLanguageNameWithAnAmpersandIsKeptWhole()
{
    {
        QFile english(m_dir->filePath("Languages/English.lng"));
        QVERIFY(english.open(QIODevice::ReadOnly));
        QFile file(m_dir->filePath("Languages/R&D.lng"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(english.readAll().replace("Language=English", "Language=R&D"));
    }
    start("Spanish(1)");
    QAction *item = nullptr;
    for (int i = 1; i <= 9; ++i)
        if (m_window->Action("Lang" + QString::number(i))->text() == "R&&D")
            item = m_window->Action("Lang" + QString::number(i));
    QVERIFY2(item, "the menu shows the ampersand instead of taking it for a marker");
    item->trigger();
    QCOMPARE(Settings().environment.Language, QString("R&D"));
    QCOMPARE(LanguageFilePath, AppFolder() + "Languages/R&D.lng");
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(m_window->Action("FileSaveAs")->text(), QString("Save &As..."));
    QVERIFY(item->isChecked());
}

void TestMainWindowTexts::aFirstStartWithoutAFileShowsANonEmptyBox()
{
    ClearMessagesAndLabels();
    start("Klingon");
    // The main window, the page setup and the environment options windows
    // each report it.
    QCOMPARE(m_dialogs->messages.size(), 3);
    const QString path = m_dir->filePath("Languages/Klingon.lng");
    for (const auto &message : std::as_const(m_dialogs->messages)) {
        QVERIFY(message.text.contains(path));
        QVERIFY(message.text.size() > path.size());
    }
    // The built-in captions stay.
    QCOMPARE(m_window->Action("FileSaveAs")->text(), QString("Guardar como..."));
}

void TestMainWindowTexts::theLanguageItemsShowTheNamesInsideTheFiles()
{
    QFile file(m_dir->filePath("Languages/Bare.lng"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Menus]\nMenuFileOpen=Open\n");
    file.close();
    start("English");
    QCOMPARE(languageItem("Spanish(1)")->text(), QString("Español"));
    QCOMPARE(languageItem("English")->text(), QString("English"));
    QCOMPARE(languageItem("Bare")->text(), QString("Bare")); // no name inside: the file's
    languageItem("Spanish(1)")->trigger();
    QCOMPARE(Settings().environment.Language, QString("Spanish(1)"));
}

void TestMainWindowTexts::untitledDocumentsAndQtsOwnTextsFollowTheLanguage()
{
    start("Spanish(1)");
    m_window->Action("FileNew")->trigger();
    m_window->Action("FileNew")->trigger();
    QCOMPARE(m_window->Documents()->fileName(0), QString("Sin título 1"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString("&Sí"));

    languageItem("English")->trigger();
    QCOMPARE(m_window->Documents()->fileName(0), QString("Untitled 1"));
    QCOMPARE(m_window->Documents()->fileName(1), QString("Untitled 2"));
    QCOMPARE(m_window->Documents()->tabBar()->tabText(0).trimmed(), QString("Untitled 1"));
    QCOMPARE(m_window->windowTitle(), QString("HPQuorvane 5 - [Untitled 2]"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QString("&Yes"));
    m_dialogs->cancelFile();
    m_window->UpdateActions();
    m_window->Action("FileSaveAs")->trigger();
    QCOMPARE(m_dialogs->saveRequests.value(0).fileName, QString("Untitled 2"));
}

QTEST_MAIN(TestMainWindowTexts)
#include "tst_mainwindowtexts.moc"
