#pragma once

#include "documents/CommandTree.h"
#include "documents/StackDiagrams.h"

#include <QByteArrayList>
#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

class CommandHost;
class QDockWidget;
class QLabel;
class QLineEdit;
class QTabBar;
class QTableWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QsciScintilla;

// The widgets of the left dock that the command reference drives. The main
// window creates them (their names and places are its business); the docks
// may be missing where no window holds them (tests).
struct CommandReferenceWidgets {
    QDockWidget *commandsBar = nullptr;
    QDockWidget *stackBar = nullptr;
    QDockWidget *symbolsBar = nullptr;
    QTreeWidget *treeCommands = nullptr;
    QTabBar *tabSet = nullptr;
    QWidget *stackPanel = nullptr;   // holds the two grids and the line
    QTableWidget *stackViewIn = nullptr;
    QTableWidget *stackViewOut = nullptr;
    QWidget *stackLine = nullptr;    // the line between the grids
    QTableWidget *stringGrid = nullptr;
};

// The command reference of the left dock: the command tree with its filter
// box, the stack diagrams of the clicked command, and the grid of the
// calculator's 128 special characters.
//
// The window hands over its widgets and reaches the documents through its
// CommandHost.
class CommandReferencePanels : public QObject
{
    Q_OBJECT
public:
    // The host gives the selected document's editor (symbols are typed into
    // it) and its InsertSnippet (commands go in through it).
    CommandReferencePanels(const CommandReferenceWidgets &widgets, CommandHost &host,
                           QObject *parent = nullptr);

    // Fills the tree from a ".mtv" file; false when it cannot be read (the
    // tree is then left empty and the caller tells the user).
    bool LoadCommandTree(const QString &path);
    // Fills the diagram store from a ".stk" file; false when it cannot be
    // read (the store keeps what it had).
    bool LoadStackDiagrams(const QString &path);
    // Sets every cell of the symbol grid for its current column count.
    void FillSymbolGrid();
    // Fits the symbol grid's columns to its width, snaps the panels to whole
    // columns and reports the new width with panelWidthChanged().
    void LayoutSidePanels();

    const StackDiagramStore &diagramStore() const { return m_store; }
    QLineEdit *filterBox() const { return m_filter; }
    QLabel *stackCaption() const { return m_caption; }
    QWidget *symbolHint() const;

    // The user's actions, callable directly by the window and by tests.
    void commandClicked(QTreeWidgetItem *item);
    void commandDoubleClicked(QTreeWidgetItem *item);
    void showDiagram(int index);
    void symbolDoubleClicked(int row, int column);
    // Narrows the tree to the commands whose name contains text (letter case
    // ignored); an empty text shows the whole tree again as it was.
    void setFilterText(const QString &text);

    // The calculator text a tree item stands for, and whether it is a command.
    static QByteArray itemCommand(const QTreeWidgetItem *item);
    static bool isCommandItem(const QTreeWidgetItem *item);

signals:
    void panelWidthChanged(int width);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void clearSelection();
    void showCommand(QTreeWidgetItem *item);
    void showStackItems(const StackItems &items);
    void fitStackColumns();
    void focusEditor();
    bool showSymbolHint(const QPoint &viewportPos);
    void hideSymbolHint();
    void followPointer();
    void wrapTreeWithFilter();
    void focusFirstMatch();

    CommandReferenceWidgets m_w;
    CommandHost &m_host;
    StackDiagramStore m_store;
    QByteArrayList m_selection; // the diagrams of the clicked command
    QByteArray m_selectedName;
    QLineEdit *m_filter = nullptr;
    QLabel *m_caption = nullptr;
    QPointer<QLabel> m_hint;
    QTimer *m_layoutTimer = nullptr;
    QTimer *m_hintWatch = nullptr;
    QHash<QTreeWidgetItem *, bool> m_expandedBeforeFilter;
    bool m_filtering = false;
    bool m_layingOut = false;
    int m_hintCode = -1;
};
