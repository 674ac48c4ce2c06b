#include "documents/CommandReferencePanels.h"

#include "documents/DocumentEditor.h"
#include "shell/CommandHost.h"

#include "documents/EditorOperations.h"
#include "documents/Snippets.h"
#include "documents/SymbolGrid.h"
#include "formats/CalcCharset.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QCursor>
#include <QDockWidget>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableWidget>

#include <algorithm>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int CommandRole = Qt::UserRole;
constexpr int ImageRole = Qt::UserRole + 1;
constexpr int CodeRole = Qt::UserRole + 2;

// The stack diagrams are drawn in the calculator's small screen font.
const char *const kStackFont = "_CAS_HP48x-49x-50x_8x7pxl-f01";
constexpr int kStackRows = 5;
constexpr int kHintPointSize = 24;

QString shown(const QByteArray &calcText)
{
    return CalcCharset::decode(calcText);
}

QString symbolText(int code)
{
    return shown(QByteArray(1, char(code)));
}

// x-bar has no code point of its own; its cell and hint draw x with a
// combining macron instead of the private-use stand-in.
QString symbolGlyph(int code)
{
    if (code >= 0 && symbolText(code).at(0).unicode() == CalcCharset::XBarCodePoint)
        return QStringLiteral("x\u0304");
    return code < 0 ? QString() : symbolText(code);
}

// A small key cap, the image of a command in the tree.
QIcon commandIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 3, 0, 14);
    face.setColorAt(0, QColor(0x6a, 0x70, 0x7a));
    face.setColorAt(1, QColor(0x33, 0x37, 0x3d));
    painter.setPen(QColor(0x20, 0x22, 0x26));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(1.5, 3.5, 13, 10), 2.5, 2.5);
    painter.setPen(QPen(QColor(0xe8, 0xc0, 0x50), 1.4));
    painter.drawLine(QPointF(4.5, 8.5), QPointF(11.5, 8.5));
    return QIcon(pixmap);
}

// Paints a symbol cell: the tooltip colour when selected, the window colour
// otherwise, and the character in black, centred on one line.
class SymbolCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QPalette &palette = option.palette;
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, selected ? palette.color(QPalette::ToolTipBase)
                                                : palette.color(QPalette::Base));
        painter->setPen(Qt::black);
        painter->setFont(option.font);
        painter->drawText(option.rect, Qt::AlignCenter | Qt::TextSingleLine,
                          symbolGlyph(index.data(Qt::UserRole + 2).toInt()));
    }
};

// Draws a stack level tightly: the calculator's levels are narrow, so the
// label column keeps its whole "5:" and a long item is cut at the right end.
class StackCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QRect area = option.rect.adjusted(1, 0, -1, 0);
        const QString text = index.data(Qt::DisplayRole).toString();
        painter->setFont(option.font);
        painter->setPen(option.palette.color(QPalette::Text));
        const QString fitted = index.column() == 0
            ? text
            : option.fontMetrics.elidedText(text, Qt::ElideRight, area.width());
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fitted);
    }
};

void setCellText(QTableWidget *grid, int row, int column, const QString &text)
{
    QTableWidgetItem *item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    item->setText(text);
    item->setToolTip(text); // the whole item when the column cuts it
}

} // namespace

CommandReferencePanels::CommandReferencePanels(const CommandReferenceWidgets &widgets,
                                               CommandHost &host, QObject *parent)
    : QObject(parent)
    , m_w(widgets)
    , m_host(host)
{
    Q_ASSERT(m_w.treeCommands && m_w.tabSet && m_w.stackPanel && m_w.stackViewIn
             && m_w.stackViewOut && m_w.stringGrid);

    // --- command tree and its filter
    wrapTreeWithFilter();
    QTreeWidget *tree = m_w.treeCommands;
    connect(tree, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item) { commandClicked(item); });
    connect(tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { commandDoubleClicked(item); });
    // Walking the tree with the keys shows each command's diagrams too, but
    // leaves the focus in the tree.
    connect(tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (m_w.treeCommands->hasFocus())
            showCommand(item);
    });

    // --- stack diagrams
    m_w.tabSet->setExpanding(false);
    m_w.tabSet->setUsesScrollButtons(true);
    connect(m_w.tabSet, &QTabBar::currentChanged, this, &CommandReferencePanels::showDiagram);
    if (!m_w.stackLine)
        m_w.stackLine = m_w.stackPanel->findChild<QWidget *>(QStringLiteral("ShapeLine"));
    QFont stackFont(QString::fromLatin1(kStackFont));
    stackFont.setPixelSize(10);
    // Every level of both grids shows whole: rows as tall as the font needs,
    // each grid as tall as its rows.
    const int rowHeight = std::max(12, QFontMetrics(stackFont).height() + 2);
    for (QTableWidget *grid : {m_w.stackViewIn, m_w.stackViewOut}) {
        grid->setFont(stackFont);
        grid->setItemDelegate(new StackCellDelegate(grid));
        grid->horizontalHeader()->setStretchLastSection(false);
        grid->setColumnWidth(0, 17);
        grid->verticalHeader()->setMinimumSectionSize(rowHeight);
        grid->verticalHeader()->setDefaultSectionSize(rowHeight);
        for (int row = 0; row < grid->rowCount(); ++row)
            grid->setRowHeight(row, rowHeight);
        grid->setFixedHeight(rowHeight * grid->rowCount() + 2 * grid->frameWidth());
        for (int row = 0; row < grid->rowCount(); ++row)
            setCellText(grid, row, 1, QString());
    }
    m_caption = new QLabel(m_w.stackPanel);
    m_caption->setObjectName(QStringLiteral("StackCaption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setWordWrap(true);
    m_caption->setFont(stackFont);
    m_caption->hide();
    if (m_w.stackPanel->layout())
        m_w.stackPanel->layout()->addWidget(m_caption);
    m_w.stackPanel->installEventFilter(this);

    // --- symbol grid
    QTableWidget *grid = m_w.stringGrid;
    grid->setItemDelegate(new SymbolCellDelegate(grid));
    grid->setShowGrid(true);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setFocusPolicy(Qt::NoFocus);
    for (QHeaderView *header : {grid->horizontalHeader(), grid->verticalHeader()}) {
        header->hide();
        header->setMinimumSectionSize(1);
        header->setDefaultSectionSize(SymbolGrid::kDefaultCellSize + 1);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    QFont bold = grid->font();
    bold.setBold(true);
    grid->setFont(bold);
    grid->setColumnCount(SymbolGrid::kDefaultColumns);
    grid->setRowCount(SymbolGrid::kDefaultRows);
    grid->setMouseTracking(true);
    grid->viewport()->setMouseTracking(true);
    grid->viewport()->installEventFilter(this);
    grid->installEventFilter(this);
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setSingleShot(true);
    m_layoutTimer->setInterval(120); // snap the panels once a drag has settled
    connect(m_layoutTimer, &QTimer::timeout, this, &CommandReferencePanels::LayoutSidePanels);
    m_hintWatch = new QTimer(this);
    m_hintWatch->setInterval(100);
    connect(m_hintWatch, &QTimer::timeout, this, &CommandReferencePanels::followPointer);
    FillSymbolGrid();
}

// ------------------------------------------------------------ command tree

void CommandReferencePanels::wrapTreeWithFilter()
{
    QTreeWidget *tree = m_w.treeCommands;
    auto *box = new QWidget;
    box->setObjectName(QStringLiteral("CommandsContent"));
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_filter = new QLineEdit(box);
    m_filter->setObjectName(QStringLiteral("CommandFilter"));
    m_filter->setPlaceholderText(tr("Buscar comando"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setToolTip(tr("Muestra sólo los comandos cuyo nombre contiene este texto"));
    layout->addWidget(m_filter);
    if (m_w.commandsBar && m_w.commandsBar->widget() == tree) {
        m_w.commandsBar->setWidget(box);
    } else if (QWidget *holder = tree->parentWidget(); holder && holder->layout()) {
        holder->layout()->replaceWidget(tree, box);
    }
    layout->addWidget(tree, 1);
    tree->show(); // the dock hid it when it gave up its place
    connect(m_filter, &QLineEdit::textChanged, this, &CommandReferencePanels::setFilterText);
    m_filter->installEventFilter(this);
}

bool CommandReferencePanels::LoadCommandTree(const QString &path)
{
    QTreeWidget *tree = m_w.treeCommands;
    tree->clear();
    m_expandedBeforeFilter.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const CommandTree parsed = parseCommandTree(file.readAll());
    const QIcon folder = tree->style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon command = commandIcon();
    QList<QTreeWidgetItem *> items;
    items.reserve(parsed.nodes.size());
    for (const CommandTreeNode &node : parsed.nodes) {
        auto *item = node.parent < 0 ? new QTreeWidgetItem(tree)
                                     : new QTreeWidgetItem(items.at(node.parent));
        item->setText(0, shown(node.text));
        item->setData(0, CommandRole, node.text);
        item->setData(0, ImageRole, int(node.image));
        item->setIcon(0, node.image == CommandTreeNode::Folder ? folder : command);
        items << item;
    }
    if (!m_filter->text().isEmpty())
        setFilterText(m_filter->text());
    return true;
}

QByteArray CommandReferencePanels::itemCommand(const QTreeWidgetItem *item)
{
    return item ? item->data(0, CommandRole).toByteArray() : QByteArray();
}

bool CommandReferencePanels::isCommandItem(const QTreeWidgetItem *item)
{
    return item && item->data(0, ImageRole).toInt() == CommandTreeNode::Command;
}

void CommandReferencePanels::clearSelection()
{
    m_selection.clear();
    m_selectedName.clear();
    for (QTableWidget *grid : {m_w.stackViewIn, m_w.stackViewOut}) {
        for (int row = 0; row < grid->rowCount(); ++row)
            setCellText(grid, row, 1, QString());
    }
    const QSignalBlocker blocker(m_w.tabSet);
    while (m_w.tabSet->count() > 0)
        m_w.tabSet->removeTab(0);
}

void CommandReferencePanels::commandClicked(QTreeWidgetItem *item)
{
    showCommand(item);
    focusEditor();
}

void CommandReferencePanels::showCommand(QTreeWidgetItem *item)
{
    clearSelection();
    if (isCommandItem(item)) {
        m_selectedName = itemCommand(item);
        m_selection = m_store.diagramsFor(m_selectedName);
        {
            const QSignalBlocker blocker(m_w.tabSet);
            // Each tab names its form by the arguments it takes.
            for (const QByteArray &title : stackDiagramTitles(m_selection, m_selectedName))
                m_w.tabSet->addTab(shown(title));
            m_w.tabSet->setCurrentIndex(m_selection.isEmpty() ? -1 : 0);
        }
        if (!m_selection.isEmpty())
            showDiagram(0);
    }
}

void CommandReferencePanels::commandDoubleClicked(QTreeWidgetItem *item)
{
    if (isCommandItem(item)) {
        const QByteArray command = itemCommand(item);
        // The where command "|" is also the snippets' caret marker: a marker
        // put in front of it keeps it as text, and the caret then steps over it.
        const bool hasMarker = command.contains(Snippets::CaretMarker);
        const QByteArray snippet = hasMarker ? Snippets::CaretMarker + command : command;
        m_host.InsertSnippet(snippet);
        QsciScintilla *editor = m_host.ActiveEditor();
        if (hasMarker && editor) {
            int line = 0;
            int index = 0;
            editor->getCursorPosition(&line, &index);
            editor->setCursorPosition(line, index + int(command.size()));
        }
    }
    focusEditor();
}

void CommandReferencePanels::setFilterText(const QString &text)
{
    QTreeWidget *tree = m_w.treeCommands;
    const QString needle = text.trimmed();
    if (needle.isEmpty()) {
        if (!m_filtering)
            return;
        m_filtering = false;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            (*it)->setHidden(false);
            (*it)->setExpanded(m_expandedBeforeFilter.value(*it, false));
        }
        m_expandedBeforeFilter.clear();
        if (QTreeWidgetItem *current = tree->currentItem())
            tree->scrollToItem(current);
        return;
    }
    if (!m_filtering) {
        m_filtering = true;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            m_expandedBeforeFilter.insert(*it, (*it)->isExpanded());
    }
    // Children before parents: a folder stays when anything below it does.
    std::function<bool(QTreeWidgetItem *)> keep = [&](QTreeWidgetItem *item) {
        bool any = false;
        for (int i = 0; i < item->childCount(); ++i)
            any = keep(item->child(i)) || any;
        const bool match = isCommandItem(item) && item->text(0).contains(needle, Qt::CaseInsensitive);
        const bool visible = match || any;
        item->setHidden(!visible);
        if (any)
            item->setExpanded(true);
        return visible;
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        keep(tree->topLevelItem(i));
}

void CommandReferencePanels::focusFirstMatch()
{
    QTreeWidget *tree = m_w.treeCommands;
    for (QTreeWidgetItemIterator it(tree, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
        if (isCommandItem(*it)) {
            tree->setFocus();
            tree->setCurrentItem(*it);
            tree->scrollToItem(*it);
            return;
        }
    }
}

// ---------------------------------------------------------- stack diagrams

bool CommandReferencePanels::LoadStackDiagrams(const QString &path)
{
    return m_store.load(path);
}

void CommandReferencePanels::showDiagram(int index)
{
    if (index < 0 || index >= m_selection.size())
        return;
    const StackItems items = splitStackDiagram(m_selection.at(index));
    if (items.isText) {
        m_w.stackViewIn->hide();
        m_w.stackViewOut->hide();
        if (m_w.stackLine)
            m_w.stackLine->hide();
        m_caption->setText(shown(m_selection.at(index)));
        m_caption->show();
        return;
    }
    m_caption->hide();
    m_caption->clear();
    m_w.stackViewIn->show();
    m_w.stackViewOut->show();
    if (m_w.stackLine)
        m_w.stackLine->show();
    showStackItems(items);
}

void CommandReferencePanels::showStackItems(const StackItems &items)
{
    const auto fill = [](QTableWidget *grid, const QByteArrayList &list) {
        const QByteArrayList rows = bottomAlignedRows(list, grid->rowCount());
        for (int row = 0; row < grid->rowCount(); ++row)
            setCellText(grid, row, 1, shown(rows.at(row)));
    };
    fill(m_w.stackViewIn, items.arguments);
    fill(m_w.stackViewOut, items.results);
}

void CommandReferencePanels::fitStackColumns()
{
    for (QTableWidget *grid : {m_w.stackViewIn, m_w.stackViewOut})
        grid->setColumnWidth(1, std::max(0, grid->width() - 20));
}

// ------------------------------------------------------------- symbol grid

void CommandReferencePanels::FillSymbolGrid()
{
    QTableWidget *grid = m_w.stringGrid;
    const int columns = grid->columnCount();
    for (int row = 0; row < grid->rowCount(); ++row) {
        for (int column = 0; column < columns; ++column) {
            const int code = SymbolGrid::codeAt(column, row, columns);
            auto *item = new QTableWidgetItem(code < 0 ? QString() : symbolText(code));
            item->setData(CodeRole, code);
            item->setFlags(code < 0 ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            grid->setItem(row, column, item);
        }
    }
}

void CommandReferencePanels::LayoutSidePanels()
{
    if (m_layingOut)
        return;
    m_layingOut = true;
    QTableWidget *grid = m_w.stringGrid;
    const int clientWidth = grid->viewport()->width();
    const SymbolGrid::Layout layout = SymbolGrid::layoutFor(clientWidth);
    if (layout.columns != grid->columnCount() || layout.rows != grid->rowCount()) {
        grid->setColumnCount(layout.columns);
        grid->setRowCount(layout.rows);
        FillSymbolGrid();
    }
    int width = grid->width() + layout.widthChange;
    if (QDockWidget *symbols = m_w.symbolsBar) {
        width = symbols->width() + layout.widthChange;
        auto *window = qobject_cast<QMainWindow *>(symbols->parentWidget());
        if (layout.widthChange != 0 && window && !symbols->isFloating()) {
            QList<QDockWidget *> docks;
            for (QDockWidget *dock : {m_w.symbolsBar, m_w.commandsBar, m_w.stackBar}) {
                if (dock && !dock->isFloating()
                    && window->dockWidgetArea(dock) == window->dockWidgetArea(symbols))
                    docks << dock;
            }
            window->resizeDocks(docks, QList<int>(docks.size(), width), Qt::Horizontal);
        }
    }
    m_layingOut = false;
    emit panelWidthChanged(width);
}

void CommandReferencePanels::symbolDoubleClicked(int row, int column)
{
    const int code = SymbolGrid::codeAt(column, row, m_w.stringGrid->columnCount());
    if (code < 0)
        return;
    if (QsciScintilla *editor = m_host.ActiveEditor())
        editor->replaceSelectedText(symbolText(code));
}

QWidget *CommandReferencePanels::symbolHint() const
{
    return m_hint;
}

bool CommandReferencePanels::showSymbolHint(const QPoint &viewportPos)
{
    QTableWidget *grid = m_w.stringGrid;
    const QModelIndex index = grid->indexAt(viewportPos);
    const int code = index.isValid() ? index.data(CodeRole).toInt() : -1;
    if (code < 0) {
        hideSymbolHint();
        return false;
    }
    if (!m_hint) {
        // The hint sits over the cell under the mouse: it must let the pointer
        // through, or the grid would see the mouse leave and hide it at once.
        m_hint = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint
                                         | Qt::WindowTransparentForInput);
        m_hint->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_hint->setObjectName(QStringLiteral("SymbolHint"));
        m_hint->setAttribute(Qt::WA_DeleteOnClose, false);
        m_hint->setAlignment(Qt::AlignCenter);
        m_hint->setFrameShape(QFrame::Box);
        m_hint->setLineWidth(1);
        m_hint->setMargin(4);
        m_hint->setAutoFillBackground(true);
        QPalette palette = m_hint->palette();
        palette.setColor(QPalette::Window, grid->palette().color(QPalette::ToolTipBase));
        palette.setColor(QPalette::WindowText, Qt::black);
        m_hint->setPalette(palette);
        connect(this, &QObject::destroyed, m_hint.data(), &QObject::deleteLater);
    }
    QFont font = grid->font();
    font.setPointSize(kHintPointSize);
    font.setBold(true);
    m_hint->setFont(font);
    m_hint->setText(symbolGlyph(code));
    m_hint->adjustSize();
    const QRect cell = grid->visualRect(index);
    const QPoint centre = grid->viewport()->mapToGlobal(cell.center());
    QRect frame(QPoint(), m_hint->size());
    frame.moveCenter(centre);
    if (const QScreen *screen = grid->screen()) {
        const QRect avail = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), avail.left(), avail.right() - frame.width()));
        frame.moveTop(std::clamp(frame.top(), avail.top(), avail.bottom() - frame.height()));
    }
    m_hint->move(frame.topLeft());
    m_hint->show();
    m_hint->raise();
    m_hintCode = code;
    m_hintWatch->start();
    return true;
}

void CommandReferencePanels::hideSymbolHint()
{
    if (m_hint)
        m_hint->hide();
    m_hintCode = -1;
    m_hintWatch->stop();
}

void CommandReferencePanels::followPointer()
{
    // The hint window covers the cell, so the grid does not always hear of
    // the pointer moving on; follow it until it leaves the cell.
    QWidget *viewport = m_w.stringGrid->viewport();
    const QPoint pos = viewport->mapFromGlobal(QCursor::pos());
    const QModelIndex index = m_w.stringGrid->indexAt(pos);
    if (!viewport->rect().contains(pos) || !viewport->isVisible())
        hideSymbolHint();
    else if (!index.isValid() || index.data(CodeRole).toInt() != m_hintCode)
        showSymbolHint(pos);
}

// ------------------------------------------------------------------ events

void CommandReferencePanels::focusEditor()
{
    if (QsciScintilla *editor = m_host.ActiveEditor())
        editor->setFocus();
}

bool CommandReferencePanels::eventFilter(QObject *watched, QEvent *event)
{
    QTableWidget *grid = m_w.stringGrid;
    if (watched == grid->viewport()) {
        switch (event->type()) {
        case QEvent::ToolTip:
            // A one-character hint is the big character over its cell; the
            // ordinary tooltip never shows for the grid.
            showSymbolHint(static_cast<QHelpEvent *>(event)->pos());
            return true;
        case QEvent::MouseMove:
            if (m_hint && m_hint->isVisible()) {
                const QPoint pos = static_cast<QMouseEvent *>(event)->position().toPoint();
                const QModelIndex index = grid->indexAt(pos);
                if (!index.isValid() || index.data(CodeRole).toInt() != m_hintCode)
                    showSymbolHint(pos);
            }
            break;
        case QEvent::Leave:
            // Showing the hint over the cell can itself make the pointer seem
            // to leave; only a pointer really outside the grid hides it.
            if (!grid->viewport()->rect().contains(grid->viewport()->mapFromGlobal(QCursor::pos())))
                hideSymbolHint();
            break;
        case QEvent::Hide:
            hideSymbolHint();
            break;
        case QEvent::MouseButtonDblClick: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QModelIndex index = grid->indexAt(mouse->position().toPoint());
            if (mouse->button() == Qt::LeftButton && index.isValid())
                symbolDoubleClicked(index.row(), index.column());
            focusEditor();
            break;
        }
        case QEvent::MouseButtonPress:
            hideSymbolHint();
            QTimer::singleShot(0, this, &CommandReferencePanels::focusEditor);
            break;
        default:
            break;
        }
    } else if (watched == grid && event->type() == QEvent::Resize) {
        if (!m_layingOut)
            m_layoutTimer->start();
    } else if (watched == m_w.stackPanel && event->type() == QEvent::Resize) {
        fitStackColumns();
    } else if (watched == m_filter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape && !m_filter->text().isEmpty()) {
            m_filter->clear();
            return true;
        }
        if (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusFirstMatch();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
