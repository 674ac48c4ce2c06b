// The command reference in the main window's left dock: the shipped data is
// loaded at start, and the panels work on the active document.

#include "documents/CommandReferencePanels.h"
#include "documents/DocumentEditor.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "mainwindow/MainProgram.h"

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QLineEdit>
#include <QRawFont>
#include <QTabBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

QTreeWidgetItem *findCommand(QTreeWidget *tree, const QString &text)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->text(0) == text && CommandReferencePanels::isCommandItem(*it))
            return *it;
    }
    return nullptr;
}

} // namespace

class TestCommandReferenceWiring : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void theDockShowsTheShippedReference();
    void aClickedCommandShowsItsDiagramsAndADoubleClickInsertsIt();
    void aDoubleClickedSymbolIsTypedIntoTheDocument();
    void theHp48DiagramsFollowTheDefaultEmulator();
    void aMissingMenuFileIsReportedWithItsPath();
    void theSnappedPanelWidthIsStored();
    void everyLevelOfBothGridsShowsWhole();
    void everySymbolDrawsAsItselfInTheFontShown();

private:
    TMainProgram *window();
    TMainProgram *m_window = nullptr;
    ScriptedDialogs *m_dialogs = nullptr;
};

void TestCommandReferenceWiring::init()
{
    QFile::remove(SettingsStore::userStorePath());
    Settings() = AppSettings::defaults();
    SetLabel(1, "Sin título");
    m_dialogs = new ScriptedDialogs;
}

void TestCommandReferenceWiring::cleanup()
{
    delete m_window;
    m_window = nullptr;
    delete m_dialogs;
}

TMainProgram *TestCommandReferenceWiring::window()
{
    if (!m_window)
        m_window = new TMainProgram;
    return m_window;
}

void TestCommandReferenceWiring::theDockShowsTheShippedReference()
{
    TMainProgram *w = window();
    QCOMPARE(m_dialogs->messages.size(), 0);
    QTreeWidget *tree = w->TreeCommands();
    QVERIFY(tree->topLevelItemCount() >= 10);
    QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("MTH"));
    QVERIFY(w->CommandsBar()->widget()->isAncestorOf(w->CommandReference()->filterBox()));
    QVERIFY(w->CommandsBar()->widget()->isAncestorOf(tree));
    QCOMPARE(w->SymbolGrid()->item(0, 0)->text(), QStringLiteral("∠"));
    QVERIFY(w->CommandReference()->diagramStore().count() > 800);
}

void TestCommandReferenceWiring::aClickedCommandShowsItsDiagramsAndADoubleClickInsertsIt()
{
    TMainProgram *w = window();
    w->Action("FileNew")->trigger();
    DocumentEditor *editor = w->ActiveEditor();
    QVERIFY(editor);
    const int lines = editor->lines();
    editor->setCursorPosition(lines - 1, 0);
    editor->insert(QStringLiteral("1 2"));
    editor->setCursorPosition(lines - 1, 3);

    QTreeWidgetItem *swap = findCommand(w->TreeCommands(), QStringLiteral("SWAP"));
    QVERIFY(swap);
    w->CommandReference()->commandClicked(swap);
    auto *tabs = w->StackBar()->findChild<QTabBar *>("TabSet");
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabText(0), QStringLiteral("y x")); // the form's arguments
    QCOMPARE(w->StackViewIn()->item(3, 1)->text(), QStringLiteral("y"));
    QCOMPARE(w->StackViewOut()->item(4, 1)->text(), QStringLiteral("y"));

    w->CommandReference()->commandDoubleClicked(swap);
    QCOMPARE(editor->text(lines - 1), QStringLiteral("1 2 SWAP"));
}

void TestCommandReferenceWiring::aDoubleClickedSymbolIsTypedIntoTheDocument()
{
    TMainProgram *w = window();
    w->Action("FileNew")->trigger();
    DocumentEditor *editor = w->ActiveEditor();
    const int last = editor->lines() - 1;
    editor->setCursorPosition(last, 0);
    w->CommandReference()->symbolDoubleClicked(0, 5); // code 133, Σ
    QCOMPARE(editor->text(last), QStringLiteral("Σ"));
    QCOMPARE(editor->documentBytes().right(1), QByteArray("\x85"));
}

void TestCommandReferenceWiring::theHp48DiagramsFollowTheDefaultEmulator()
{
    TMainProgram *w = window();
    QVERIFY(!w->CommandReference()->diagramStore().diagramsFor("NIP").isEmpty());
    Settings().environment.DefaultEmulator = true;
    w->LoadStackDiagrams();
    QVERIFY(w->CommandReference()->diagramStore().diagramsFor("NIP").isEmpty());
    QVERIFY(!w->CommandReference()->diagramStore().diagramsFor("DUP").isEmpty());
}

void TestCommandReferenceWiring::aMissingMenuFileIsReportedWithItsPath()
{
    const QString missing = QStringLiteral("/nonexistent/Menus.mtv");
    Settings().environment.TreeViewFilename = missing;
    SettingsStore store;
    WriteSettings(store, Settings());
    store.sync();
    TMainProgram *w = window();
    QCOMPARE(w->TreeCommands()->topLevelItemCount(), 0);
    QCOMPARE(m_dialogs->messages.size(), 1);
    QVERIFY(m_dialogs->messages.first().text.contains(missing));
    QCOMPARE(m_dialogs->messages.first().icon, QMessageBox::Critical);
}

void TestCommandReferenceWiring::theSnappedPanelWidthIsStored()
{
    TMainProgram *w = window();
    emit w->CommandReference()->panelWidthChanged(252);
    QCOMPARE(Settings().environment.PanelWidth, 252);
}

void TestCommandReferenceWiring::everyLevelOfBothGridsShowsWhole()
{
    TMainProgram *w = window();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QWidget *content = w->StackBar()->widget();
    for (QTableWidget *grid : {w->StackViewIn(), w->StackViewOut()}) {
        QCOMPARE(grid->rowCount(), 5);
        const int last = grid->rowCount() - 1;
        QVERIFY(grid->rowViewportPosition(last) + grid->rowHeight(last) <= grid->viewport()->height());
        QVERIFY(grid->rowHeight(last) >= grid->fontMetrics().height());
        const QPoint bottom = grid->mapTo(content, QPoint(0, grid->height()));
        QVERIFY2(bottom.y() <= content->height(),
                 qPrintable(QString("%1 > %2").arg(bottom.y()).arg(content->height())));
    }
}

void TestCommandReferenceWiring::everySymbolDrawsAsItselfInTheFontShown()
{
    // The editor font of the defaults is not installed: the font that stands
    // in for it must have every calculator character, so no cell is a box.
    QTableWidget *grid = window()->SymbolGrid();
    const QRawFont shown = QRawFont::fromFont(grid->font());
    QVERIFY(shown.isValid());
    int cells = 0;
    for (int row = 0; row < grid->rowCount(); ++row)
        for (int column = 0; column < grid->columnCount(); ++column) {
            const QTableWidgetItem *item = grid->item(row, column);
            if (!item || item->text().isEmpty())
                continue;
            ++cells;
            for (const QChar c : item->text())
                if (c.isPrint() && !c.isSpace())
                    QVERIFY2(shown.supportsCharacter(c), qPrintable(QString("%1 U+%2 missing in %3")
                                                                     .arg(item->text())
                                                                     .arg(c.unicode(), 4, 16, QChar('0'))
                                                                     .arg(shown.familyName())));
        }
    QVERIFY(cells >= 100);
}

QTEST_MAIN(TestCommandReferenceWiring)
#include "tst_commandreferencewiring.moc"
