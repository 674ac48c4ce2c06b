// The command reference panels wired to their widgets, with the shipped data:
// what a user sees after clicking, double-clicking and typing in the dock.

#include "documents/CommandReferencePanels.h"
#include "documents/DocumentPanel.h"
#include "support/TestCommandHost.h"

#include <Qsci/qsciscintilla.h>

#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QSet>
#include <QtTest>

namespace {

const QString kTemplates = QStringLiteral(QV_SOURCE_DATA_DIR "/Templates/");

QTableWidget *makeStackGrid()
{
    auto *grid = new QTableWidget(5, 2);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    for (int row = 0; row < 5; ++row)
        grid->setItem(row, 0, new QTableWidgetItem(QString::number(5 - row) + u':'));
    return grid;
}

// The dock's widgets laid out as the main window lays them out.
struct Dock {
    QWidget window;
    QTreeWidget *tree = new QTreeWidget;
    QTabBar *tabs = new QTabBar;
    QWidget *panel = new QWidget;
    QTableWidget *in = makeStackGrid();
    QTableWidget *out = makeStackGrid();
    QFrame *line = new QFrame;
    QTableWidget *symbols = new QTableWidget;
    TestCommandHost host;
    QsciScintilla *editor = nullptr;
    QList<QByteArray> &snippets = host.snippets;
    std::unique_ptr<CommandReferencePanels> panels;

    // windowSnippetsOnly: the window's InsertSnippet only records the text,
    // so the test sees that commands go through it.
    explicit Dock(bool windowSnippetsOnly = false)
    {
        host.recordSnippetsOnly = windowSnippetsOnly;
        host.Documents()->NewDocument();
        editor = host.ActiveEditor();
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(tree);
        layout->addWidget(tabs);
        auto *panelLayout = new QVBoxLayout(panel);
        panelLayout->addWidget(in);
        panelLayout->addWidget(line);
        panelLayout->addWidget(out);
        layout->addWidget(panel);
        layout->addWidget(symbols);
        CommandReferenceWidgets widgets;
        widgets.treeCommands = tree;
        widgets.tabSet = tabs;
        widgets.stackPanel = panel;
        widgets.stackViewIn = in;
        widgets.stackViewOut = out;
        widgets.stackLine = line;
        widgets.stringGrid = symbols;
        panels = std::make_unique<CommandReferencePanels>(widgets, host);
        panels->LoadCommandTree(kTemplates + QStringLiteral("MenusHP49x-50x.mtv"));
        panels->LoadStackDiagrams(kTemplates + QStringLiteral("UserRPL49.stk"));
    }

    QTreeWidgetItem *find(const QString &text, bool command = true) const
    {
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if ((*it)->text(0) == text && CommandReferencePanels::isCommandItem(*it) == command)
                return *it;
        }
        return nullptr;
    }

    QStringList column(const QTableWidget *grid) const
    {
        QStringList rows;
        for (int row = 0; row < grid->rowCount(); ++row)
            rows << grid->item(row, 1)->text();
        return rows;
    }
};

} // namespace

class TestCommandReferencePanels : public QObject
{
    Q_OBJECT

private slots:
    void clickingDupShowsItsStackEffect();
    void clickingACommandShowsOneTabPerForm_data();
    void clickingACommandShowsOneTabPerForm();
    void choosingATabShowsThatForm();
    void aDiagramWithoutArrowIsShownAsText();
    void clickingAFolderEmptiesThePanel();
    void doubleClickingInsertsOnlyCommands_data();
    void doubleClickingInsertsOnlyCommands();
    void doubleClickingUsesTheWindowsSnippetInsertion();
    void doubleClickingASymbolTypesIt();
    void theSymbolHintShowsTheCharacterLarge();
    void widenedGridShowsTheLastCodesInItsLastRow();
    void theFilterNarrowsTheTreeToMatchingCommands();
    void missingFilesAreReported();
};

void TestCommandReferencePanels::clickingDupShowsItsStackEffect()
{
    Dock dock;
    QTreeWidgetItem *dup = dock.find(QStringLiteral("DUP"));
    QVERIFY(dup);
    dock.panels->commandClicked(dup);
    QCOMPARE(dock.tabs->count(), 1);
    QCOMPARE(dock.tabs->tabText(0), QStringLiteral("x")); // named by the arguments it takes
    QCOMPARE(dock.column(dock.in), QStringList({"", "", "", "", "x"}));
    QCOMPARE(dock.column(dock.out), QStringList({"", "", "", "x", "x"}));
    QVERIFY(!dock.in->isHidden() && !dock.out->isHidden() && !dock.line->isHidden());
}

void TestCommandReferencePanels::clickingACommandShowsOneTabPerForm_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("tabs");
    QTest::newRow("GETI has three forms") << QStringLiteral("GETI") << 3;
    QTest::newRow("ABS has five forms") << QStringLiteral("ABS") << 5;
    QTest::newRow("a command spelled with the arrow byte is found by its bytes")
        << QStringLiteral("→LIST") << 1;
}

void TestCommandReferencePanels::clickingACommandShowsOneTabPerForm()
{
    QFETCH(QString, command);
    QFETCH(int, tabs);
    Dock dock;
    QTreeWidgetItem *item = dock.find(command);
    QVERIFY(item);
    dock.panels->commandClicked(item);
    QCOMPARE(dock.tabs->count(), tabs);
    // Each tab has a name of its own, never the command's name again.
    QSet<QString> names;
    for (int i = 0; i < tabs; ++i) {
        QVERIFY(dock.tabs->tabText(i) != command);
        names.insert(dock.tabs->tabText(i));
    }
    QCOMPARE(names.size(), tabs);
    QCOMPARE(dock.tabs->currentIndex(), 0);
}

void TestCommandReferencePanels::choosingATabShowsThatForm()
{
    Dock dock;
    dock.panels->commandClicked(dock.find(QStringLiteral("GETI")));
    dock.tabs->setCurrentIndex(1); // {list} n1 → {list} n2 obj
    QCOMPARE(dock.column(dock.in), QStringList({"", "", "", "{list}", "n1"}));
    QCOMPARE(dock.column(dock.out), QStringList({"", "", "{list}", "n2", "obj"}));
}

void TestCommandReferencePanels::aDiagramWithoutArrowIsShownAsText()
{
    Dock dock;
    dock.panels->commandClicked(dock.find(QStringLiteral("IFERR")));
    QVERIFY(dock.in->isHidden() && dock.out->isHidden() && dock.line->isHidden());
    QVERIFY(dock.panels->stackCaption()->text().startsWith(QStringLiteral("IFERR trap-clause")));
    QVERIFY(!dock.panels->stackCaption()->isHidden());

    dock.panels->commandClicked(dock.find(QStringLiteral("DUP")));
    QVERIFY(!dock.in->isHidden() && dock.panels->stackCaption()->isHidden());
}

void TestCommandReferencePanels::clickingAFolderEmptiesThePanel()
{
    Dock dock;
    dock.panels->commandClicked(dock.find(QStringLiteral("DUP")));
    dock.panels->commandClicked(dock.find(QStringLiteral("STACK"), false));
    QCOMPARE(dock.tabs->count(), 0);
    QCOMPARE(dock.column(dock.in), QStringList(5, QString()));
    QCOMPARE(dock.column(dock.out), QStringList(5, QString()));
}

void TestCommandReferencePanels::doubleClickingInsertsOnlyCommands_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("isCommand");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("caretColumn");
    QTest::newRow("a folder inserts nothing") << "" << "STACK" << false << "" << 0;
    QTest::newRow("a command goes in at the caret") << "" << "SWAP" << true << "SWAP" << 4;
    QTest::newRow("a command after a word gets a blank before it")
        << "DUP" << "SWAP" << true << "DUP SWAP" << 8;
    QTest::newRow("the where command is typed, not taken as the caret marker")
        << "'X' " << "|" << true << "'X' |" << 5;
}

void TestCommandReferencePanels::doubleClickingInsertsOnlyCommands()
{
    QFETCH(QString, before);
    QFETCH(QString, item);
    QFETCH(bool, isCommand);
    QFETCH(QString, after);
    QFETCH(int, caretColumn);
    Dock dock;
    dock.editor->setText(before);
    dock.editor->setCursorPosition(0, before.size());
    QTreeWidgetItem *node = dock.find(item, isCommand);
    QVERIFY(node);
    dock.panels->commandDoubleClicked(node);
    QCOMPARE(dock.editor->text(), after);
    int line = -1;
    int column = -1;
    dock.editor->getCursorPosition(&line, &column);
    QCOMPARE(column, caretColumn);
}

void TestCommandReferencePanels::doubleClickingUsesTheWindowsSnippetInsertion()
{
    Dock dock(true);
    dock.panels->commandDoubleClicked(dock.find(QStringLiteral("→STR")));
    QCOMPARE(dock.snippets, QList<QByteArray>({QByteArray("\x8DSTR")}));
    QCOMPARE(dock.editor->text(), QString());
}

void TestCommandReferencePanels::doubleClickingASymbolTypesIt()
{
    Dock dock;
    dock.editor->setText(QStringLiteral("1 2 X"));
    dock.editor->setSelection(0, 4, 0, 5);
    dock.panels->symbolDoubleClicked(0, 7); // code 135, π
    QCOMPARE(dock.editor->text(), QStringLiteral("1 2 π"));
    dock.panels->symbolDoubleClicked(15, 7); // code 255, ÿ
    QCOMPARE(dock.editor->text(), QStringLiteral("1 2 πÿ"));
    dock.panels->symbolDoubleClicked(16, 0); // no such cell
    QCOMPARE(dock.editor->text(), QStringLiteral("1 2 πÿ"));
}

void TestCommandReferencePanels::theSymbolHintShowsTheCharacterLarge()
{
    Dock dock;
    dock.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dock.window));
    QWidget *viewport = dock.symbols->viewport();
    const QRect cell = dock.symbols->visualRect(dock.symbols->model()->index(0, 3)); // 131, √
    QHelpEvent tip(QEvent::ToolTip, cell.center(), viewport->mapToGlobal(cell.center()));
    QVERIFY(QCoreApplication::sendEvent(viewport, &tip));
    auto *hint = qobject_cast<QLabel *>(dock.panels->symbolHint());
    QVERIFY(hint && hint->isVisible());
    QCOMPARE(hint->text(), QStringLiteral("√"));
    QCOMPARE(hint->font().pointSize(), 24);
    QVERIFY(hint->font().bold());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(viewport, &leave);
    QVERIFY(!hint->isVisible());
}

void TestCommandReferencePanels::widenedGridShowsTheLastCodesInItsLastRow()
{
    Dock dock;
    dock.symbols->setFrameShape(QFrame::NoFrame);
    dock.symbols->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dock.symbols->setParent(nullptr);
    dock.symbols->resize(294, 300);
    dock.symbols->show();
    QVERIFY(QTest::qWaitForWindowExposed(dock.symbols));
    QCOMPARE(dock.symbols->viewport()->width(), 294);
    QSignalSpy width(dock.panels.get(), &CommandReferencePanels::panelWidthChanged);
    dock.panels->LayoutSidePanels();
    QCOMPARE(dock.symbols->columnCount(), 14);
    QCOMPARE(dock.symbols->rowCount(), 10);
    QCOMPARE(dock.symbols->item(9, 0)->text(), QStringLiteral("þ"));
    QCOMPARE(dock.symbols->item(9, 1)->text(), QStringLiteral("ÿ"));
    for (int column = 2; column < 14; ++column)
        QCOMPARE(dock.symbols->item(9, column)->text(), QString());
    QCOMPARE(width.count(), 1);
    QCOMPARE(width.at(0).at(0).toInt(), 294);
    delete dock.symbols;
}

void TestCommandReferencePanels::theFilterNarrowsTheTreeToMatchingCommands()
{
    Dock dock;
    QTreeWidgetItem *mth = dock.find(QStringLiteral("MTH"), false);
    QVERIFY(mth && !mth->isExpanded());
    dock.panels->filterBox()->setText(QStringLiteral("sto"));
    int shownCommands = 0;
    for (QTreeWidgetItemIterator it(dock.tree, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
        if (CommandReferencePanels::isCommandItem(*it)) {
            ++shownCommands;
            QVERIFY2((*it)->text(0).contains(QStringLiteral("STO")), qPrintable((*it)->text(0)));
            for (QTreeWidgetItem *up = (*it)->parent(); up; up = up->parent())
                QVERIFY(up->isExpanded());
        }
    }
    QVERIFY(shownCommands >= 8); // STO, STO+ ... STOF, STOKEYS, STOALARM, STOΣ
    QVERIFY(mth->isHidden());

    dock.panels->filterBox()->clear();
    QVERIFY(!mth->isHidden());
    QVERIFY(!mth->isExpanded());
    for (QTreeWidgetItemIterator it(dock.tree); *it; ++it)
        QVERIFY(!(*it)->isHidden());
}

void TestCommandReferencePanels::missingFilesAreReported()
{
    Dock dock;
    QVERIFY(!dock.panels->LoadStackDiagrams(QStringLiteral("/nonexistent/UserRPL48.stk")));
    QVERIFY(dock.panels->diagramStore().count() > 800);
    QVERIFY(!dock.panels->LoadCommandTree(QStringLiteral("/nonexistent/Menus.mtv")));
    QCOMPARE(dock.tree->topLevelItemCount(), 0);
}

QTEST_MAIN(TestCommandReferencePanels)
#include "tst_commandreferencepanels.moc"
