#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

// How a window takes its texts from its own section: each kind of control
// gets the text where a user sees it, a missing file is reported and changes
// nothing, and the long-lived windows follow a language change.
class TestWindowTexts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void eachControlGetsItsTextWhereItShows();
    void hintsSplitIntoToolTipAndStatusTip();
    void missingKeysShowTheMissingText();
    void aMissingFileIsReportedAndChangesNothing();
    void longLivedWindowsReloadInTheirFixedOrder();
    void aClosedWindowIsNoLongerReloaded();
    void aTextOnItsOwnComesFromTheFileInForceOrTheBuiltInOne();

private:
    void writeLanguage(const QByteArray &text);
    QTemporaryDir *m_dir = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

void TestWindowTexts::init()
{
    m_dir = new QTemporaryDir;
    m_dialogs = new ScriptedDialogs;
    LanguageFilePath = m_dir->filePath("Test.lng");
    InstallBuiltInMessagesAndLabels();
}

void TestWindowTexts::cleanup()
{
    delete m_dialogs;
    delete m_dir;
}

void TestWindowTexts::writeLanguage(const QByteArray &text)
{
    QFile file(LanguageFilePath);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

void TestWindowTexts::eachControlGetsItsTextWhereItShows()
{
    writeLanguage("[TestDialog]\n"
                  "DlgTitle=Go to Line\nDlgLabel=Line:\nDlgOk=OK\nDlgCheck=Whole words\n"
                  "DlgGroup=Options\nDlgPage=Colours\nDlgDock=Commands\nDlgBar=Toolbar\n"
                  "DlgAction=&Open...\nDlgMenu=&File\nDlgFree=Column heading\n");
    QDialog dialog;
    auto *label = new QLabel("Línea:", &dialog);
    auto *ok = new QPushButton("Aceptar", &dialog);
    auto *check = new QCheckBox("Palabras completas", &dialog);
    auto *group = new QGroupBox("Opciones", &dialog);
    auto *tabs = new QTabWidget(&dialog);
    auto *page = new QWidget;
    tabs->addTab(new QWidget, "General");
    tabs->addTab(page, "Colores");
    auto *dock = new QDockWidget("Comandos", &dialog);
    auto *bar = new QToolBar("Barra", &dialog);
    auto *action = new QAction("Abrir...", &dialog);
    auto *menu = new QMenu("Archivo", &dialog);
    QString free;

    loadWindowTexts(&dialog, "testdialog", {
        {"DlgTitle", &dialog, TextRole::Title},
        {"DlgLabel", label},
        {"DlgOk", ok},
        {"DlgCheck", check},
        {"DlgGroup", group},
        {"DlgPage", page},
        {"DlgDock", dock},
        {"DlgBar", bar},
        {"DlgAction", action},
        {"DlgMenu", menu},
        {"DlgFree", [&free](const QString &t) { free = t; }},
    });

    QCOMPARE(dialog.windowTitle(), QString("Go to Line"));
    QCOMPARE(label->text(), QString("Line:"));
    QCOMPARE(ok->text(), QString("OK"));
    QCOMPARE(check->text(), QString("Whole words"));
    QCOMPARE(group->title(), QString("Options"));
    QCOMPARE(tabs->tabText(1), QString("Colours"));
    QCOMPARE(tabs->tabText(0), QString("General"));
    QCOMPARE(dock->windowTitle(), QString("Commands"));
    QCOMPARE(bar->windowTitle(), QString("Toolbar"));
    QCOMPARE(action->text(), QString("&Open..."));
    QCOMPARE(menu->title(), QString("&File"));
    QCOMPARE(free, QString("Column heading"));
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestWindowTexts::hintsSplitIntoToolTipAndStatusTip()
{
    writeLanguage("[W]\nOpenTip=Open|Opens an existing document\nPlain=More buttons\n");
    QWidget window;
    auto *action = new QAction(&window);
    auto *button = new QPushButton(&window);
    loadWindowTexts(&window, "W", {
        {"OpenTip", action, TextRole::Hint},
        {"Plain", button, TextRole::Hint},
    });
    QCOMPARE(action->toolTip(), QString("Open"));
    QCOMPARE(action->statusTip(), QString("Opens an existing document"));
    // A hint without a bar shows whole in both places.
    QCOMPARE(button->toolTip(), QString("More buttons"));
    QCOMPARE(button->statusTip(), QString("More buttons"));
}

void TestWindowTexts::missingKeysShowTheMissingText()
{
    writeLanguage("[W]\nKnown=Known\n");
    QWidget window;
    auto *known = new QLabel(&window);
    auto *unknown = new QLabel(&window);
    loadWindowTexts(&window, "W", {{"Known", known}, {"Unknown", unknown}});
    QCOMPARE(known->text(), QString("Known"));
    QCOMPARE(unknown->text(), MissingLanguageText());
}

void TestWindowTexts::aMissingFileIsReportedAndChangesNothing()
{
    QWidget window;
    auto *label = new QLabel("Buscar:", &window);
    WindowTexts *texts = loadWindowTexts(&window, "W", {{"Label", label}});
    QCOMPARE(label->text(), QString("Buscar:"));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Critical);
    // The box names the file, even before any language file was read.
    QVERIFY(m_dialogs->messages[0].text.contains(LanguageFilePath));
    QVERIFY(!texts->load());
    QCOMPARE(m_dialogs->messages.size(), 2);
}

void TestWindowTexts::longLivedWindowsReloadInTheirFixedOrder()
{
    writeLanguage("[ConfigEditorDialog]\nT=Editor\n[PageSetupDialog]\nT=Page\n"
                  "[ConfigEnvironmentDialog]\nT=Environment\n[TransferDialog]\nT=Transfer\n");
    // Created in the order the program creates them, not the reload order.
    QWidget page, editor, environment, other, onDemand;
    QStringList order;
    auto track = [&order](const char *name) {
        return [&order, name](const QString &) { order << QString::fromLatin1(name); };
    };
    loadWindowTexts(&other, "TransferDialog", {{"T", track("transfer")}}, WindowTexts::ReloadOnLanguageChange);
    loadWindowTexts(&page, "PageSetupDialog", {{"T", track("page")}}, WindowTexts::ReloadOnLanguageChange);
    loadWindowTexts(&editor, "ConfigEditorDialog", {{"T", track("editor")}}, WindowTexts::ReloadOnLanguageChange);
    loadWindowTexts(&environment, "ConfigEnvironmentDialog", {{"T", track("environment")}},
                    WindowTexts::ReloadOnLanguageChange);
    loadWindowTexts(&onDemand, "ConfigEditorDialog", {{"T", track("on demand")}});
    order.clear();

    ReloadLongLivedWindowTexts();
    QCOMPARE(order, QStringList({"page", "environment", "editor", "transfer"}));

    // With the new file missing, each of them reports it once and keeps its texts.
    QFile::remove(LanguageFilePath);
    order.clear();
    ReloadLongLivedWindowTexts();
    QVERIFY(order.isEmpty());
    QCOMPARE(m_dialogs->messages.size(), 4);
}

void TestWindowTexts::aClosedWindowIsNoLongerReloaded()
{
    writeLanguage("[PageSetupDialog]\nT=Page\n");
    int loads = 0;
    {
        QWidget window;
        loadWindowTexts(&window, "PageSetupDialog", {{"T", [&loads](const QString &) { ++loads; }}},
                        WindowTexts::ReloadOnLanguageChange);
    }
    ReloadLongLivedWindowTexts();
    QCOMPARE(loads, 1);
}

void TestWindowTexts::aTextOnItsOwnComesFromTheFileInForceOrTheBuiltInOne()
{
    writeLanguage("[MainProgram]\nReadFailure=Cannot read %s: %s\n");
    QCOMPARE(LanguageText("MainProgram", "ReadFailure"), QString("Cannot read %s: %s"));
    QCOMPARE(LanguageText("MainProgram", "NoSuchText"), MissingLanguageText());
    QFile::remove(LanguageFilePath);
    const QString builtIn = LanguageText("MainProgram", "ReadFailure");
    QVERIFY(builtIn.startsWith("No se puede leer"));
    QCOMPARE(FormatText(builtIn, {"a.hpe", "denied"}).count("a.hpe"), 1);
}

QTEST_MAIN(TestWindowTexts)
#include "tst_windowtexts.moc"
