#include "generators/DlgMatrix.h"

#include "formats/CalcCharset.h"
#include "generators/GeneratorHeader.h"
#include "shell/Language.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QUndoCommand>
#include <QVBoxLayout>

// One edit of the matrix: the model before and after it. The model is
// 10 000 implicitly shared strings, so a snapshot is cheap to keep.
class MatrixStep : public QUndoCommand
{
public:
    MatrixStep(TMatrixDialog *dialog, MatrixModel before, MatrixModel after)
        : m_dialog(dialog)
        , m_before(std::move(before))
        , m_after(std::move(after))
    {
    }
    void undo() override { m_dialog->setModel(m_before); }
    void redo() override { m_dialog->setModel(m_after); }

private:
    TMatrixDialog *m_dialog;
    MatrixModel m_before;
    MatrixModel m_after;
};

namespace {

// Tool bar pictures: a small table with the part a command changes drawn
// in the highlight colour, and a plus or a minus.
QIcon matrixIcon(const QString &kind)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const QColor line(70, 70, 70);
    const QColor mark(0, 128, 192);
    const bool plus = kind.endsWith(QLatin1String("Inc")) || kind.startsWith(QLatin1String("Insert"));
    if (kind.startsWith(QLatin1String("Width"))) {
        const int half = plus ? 10 : 5;
        p.setPen(QPen(line, 2));
        p.drawLine(12 - half, 4, 12 - half, 20);
        p.drawLine(12 + half, 4, 12 + half, 20);
        p.setPen(QPen(mark, 2));
        p.drawLine(12 - half + 2, 12, 12 + half - 2, 12);
        p.drawLine(12 - half + 2, 12, 12 - half + 5, 9);
        p.drawLine(12 - half + 2, 12, 12 - half + 5, 15);
        p.drawLine(12 + half - 2, 12, 12 + half - 5, 9);
        p.drawLine(12 + half - 2, 12, 12 + half - 5, 15);
        return QIcon(pm);
    }
    p.setPen(line);
    for (int i = 0; i <= 3; ++i) {
        p.drawLine(1, 1 + i * 6, 19, 1 + i * 6);
        p.drawLine(1 + i * 6, 1, 1 + i * 6, 19);
    }
    if (kind.endsWith(QLatin1String("Row")))
        p.fillRect(2, 8, 17, 5, mark);
    else if (kind.endsWith(QLatin1String("Col")))
        p.fillRect(8, 2, 5, 17, mark);
    p.setPen(QPen(plus ? QColor(0, 140, 0) : QColor(200, 0, 0), 3));
    p.drawLine(14, 19, 22, 19);
    if (plus)
        p.drawLine(18, 15, 18, 23);
    return QIcon(pm);
}

} // namespace

// ---------------------------------------------------------------------------

TMatrixGrid::TMatrixGrid(QWidget *parent)
    : QTableWidget(MatrixModel::MaxSize, MatrixModel::MaxSize, parent)
    , m_corner(new QLabel(this))
{
    setObjectName(QStringLiteral("Writer"));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QStringList numbers;
    for (int i = 1; i <= MatrixModel::MaxSize; ++i)
        numbers << QString::number(i);
    setHorizontalHeaderLabels(numbers);
    setVerticalHeaderLabels(numbers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    // The corner shows the size; it is no "select all" button here.
    setCornerButtonEnabled(false);
    m_corner->setObjectName(QStringLiteral("SizeCorner"));
    m_corner->setAlignment(Qt::AlignCenter);
    m_corner->setAutoFillBackground(true);
    m_corner->setBackgroundRole(QPalette::Button);
    m_corner->setText(QStringLiteral("0 x 0"));
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("100 x 100")) + 8);
}

void TMatrixGrid::updateGeometries()
{
    QTableWidget::updateGeometries();
    m_corner->setGeometry(frameWidth(), frameWidth(), verticalHeader()->width(), horizontalHeader()->height());
    m_corner->raise();
}

void TMatrixGrid::commitOpenEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TMatrixGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter ends the edit with SubmitModelCache; Tab and Esc keep Qt's ways.
    if (hint != QAbstractItemDelegate::SubmitModelCache || !nextCell) {
        QTableWidget::closeEditor(editor, hint);
        return;
    }
    QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    const QModelIndex to = nextCell(currentIndex());
    if (to.isValid())
        setCurrentIndex(to);
}

// ---------------------------------------------------------------------------

TMatrixDialog::TMatrixDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MatrixDialog"));
    setWindowTitle(QStringLiteral("Editor de matrices"));
    m_undo.setUndoLimit(200);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_header = new TGeneratorHeader(this);
    m_header->setGradientTop(QColor(0, 128, 192));
    m_header->setTitle(QStringLiteral("Editor de Matrices"));
    m_header->setDescription(QStringLiteral(
        "Escriba los elementos en las celdas: la matriz crece a medida que los escribe y los huecos se llenan con ceros."));
    layout->addWidget(m_header);

    auto *tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("ToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->setIconSize(QSize(24, 24));
    layout->addWidget(tools);

    const auto add = [&](const char *name, const QString &caption, const QString &hint, void (TMatrixDialog::*handler)()) {
        QAction *action = addCommand(name, caption, hint, QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        tools->addAction(action);
        return action;
    };
    m_pasteCutText = QStringLiteral("Las celdas que no caben en la tabla (100 x 100) se han descartado.");
    add("WidthDec", "Ancho", "Disminuir ancho|Disminuye el ancho de las columnas", &TMatrixDialog::WidthDecExecute);
    add("WidthInc", "Ancho", "Aumentar ancho|Incrementa el ancho de las columnas", &TMatrixDialog::WidthIncExecute);
    tools->addSeparator();
    add("InsertRow", "Fila", "Insertar fila|Inserta una fila en la posición actual", &TMatrixDialog::InsertRowExecute);
    add("DeleteRow", "Fila", "Eliminar fila|Borra la fila actual", &TMatrixDialog::DeleteRowExecute);
    add("InsertCol", "Columna", "Insertar columna|Inserta una columna en la posición actual",
        &TMatrixDialog::InsertColExecute);
    add("DeleteCol", "Columna", "Eliminar columna|Borra la columna actual", &TMatrixDialog::DeleteColExecute);
    tools->addSeparator();

    QAction *undo = addCommand("Undo", QStringLiteral("Deshacer"), QStringLiteral("Deshacer|Deshace el último cambio"),
                               QString());
    undo->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo")));
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(false);
    connect(undo, &QAction::triggered, &m_undo, &QUndoStack::undo);
    connect(&m_undo, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    tools->addAction(undo);
    QAction *redo = addCommand("Redo", QStringLiteral("Rehacer"), QStringLiteral("Rehacer|Rehace el último cambio deshecho"),
                               QString());
    redo->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo")));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
    redo->setEnabled(false);
    connect(redo, &QAction::triggered, &m_undo, &QUndoStack::redo);
    connect(&m_undo, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    tools->addAction(redo);
    QAction *paste = add("Paste", "Pegar", "Pegar celdas|Pega celdas copiadas de una hoja de cálculo desde la celda actual",
                         &TMatrixDialog::PasteExecute);
    paste->setIcon(QIcon::fromTheme(QStringLiteral("edit-paste")));
    paste->setShortcut(QKeySequence::Paste);
    tools->addSeparator();
    QAction *insert = add("InsertMat", "Insertar", "Insertar matriz|Inserta la matriz en la ventana de edición",
                          &TMatrixDialog::InsertMatExecute);
    insert->setIcon(QIcon::fromTheme(QStringLiteral("dialog-ok")));
    QAction *cancel = add("CancelDlg", "Cancelar", "Cancelar|Cancela la edición de la matriz",
                          &TMatrixDialog::CancelDlgExecute);
    cancel->setIcon(QIcon::fromTheme(QStringLiteral("dialog-cancel")));
    for (QAction *a : m_commands)
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    auto *body = new QHBoxLayout;
    body->setContentsMargins(6, 6, 6, 6);
    m_grid = new TMatrixGrid(this);
    m_grid->nextCell = [this](const QModelIndex &from) {
        const auto to = MatrixModel::next({from.row() + 1, from.column() + 1}, Advance());
        return m_grid->model()->index(to.row - 1, to.col - 1);
    };
    body->addWidget(m_grid, 1);

    auto *side = new QVBoxLayout;
    auto *typeGroup = new QGroupBox(QStringLiteral("Tipo"), this);
    typeGroup->setObjectName(QStringLiteral("GroupType"));
    auto *typeLayout = new QVBoxLayout(typeGroup);
    m_typeMatrix = new QRadioButton(QStringLiteral("Matriz"), typeGroup);
    m_typeVector = new QRadioButton(QStringLiteral("Vector"), typeGroup);
    m_typeList = new QRadioButton(QStringLiteral("Lista"), typeGroup);
    m_typeMatrix->setObjectName(QStringLiteral("TypeMatrix"));
    m_typeVector->setObjectName(QStringLiteral("TypeVector"));
    m_typeList->setObjectName(QStringLiteral("TypeList"));
    m_typeMatrix->setChecked(true);
    for (QRadioButton *b : {m_typeMatrix, m_typeVector, m_typeList})
        typeLayout->addWidget(b);
    auto *goGroup = new QGroupBox(QStringLiteral("Avance"), this);
    goGroup->setObjectName(QStringLiteral("GroupAdvance"));
    auto *goLayout = new QVBoxLayout(goGroup);
    m_goRight = new QRadioButton(QStringLiteral("Hacia la derecha"), goGroup);
    m_goDown = new QRadioButton(QStringLiteral("Hacia abajo"), goGroup);
    m_goRight->setObjectName(QStringLiteral("GoRight"));
    m_goDown->setObjectName(QStringLiteral("GoDown"));
    m_goRight->setChecked(true);
    goLayout->addWidget(m_goRight);
    goLayout->addWidget(m_goDown);
    side->addWidget(typeGroup);
    side->addWidget(goGroup);
    side->addStretch(1);
    body->addLayout(side);
    m_typeGroup = typeGroup;
    m_goGroup = goGroup;
    layout->addLayout(body, 1);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar"));
    m_status->setSizeGripEnabled(true);
    layout->addWidget(m_status);

    connect(m_grid, &QTableWidget::cellChanged, this, &TMatrixDialog::cellTyped);
    setColumnWidth(m_columnWidth);
    loadTexts();
    showModel();
    m_grid->setCurrentCell(0, 0);
    resize(720, 520);
}

TMatrixDialog::~TMatrixDialog()
{
    // Hiding the window ends an open cell edit, which must not reach the
    // model once it is gone.
    disconnect(m_grid, nullptr, this, nullptr);
}

QAction *TMatrixDialog::addCommand(const char *name, const QString &caption, const QString &hint, const QString &icon)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    ApplyText(action, TextRole::Hint, hint);
    if (!icon.isEmpty())
        action->setIcon(matrixIcon(icon));
    addAction(action);
    m_commands.insert(QString::fromLatin1(name), action);
    return action;
}

QAction *TMatrixDialog::Command(const QString &name) const
{
    return m_commands.value(name);
}

void TMatrixDialog::loadTexts()
{
    loadWindowTexts(this, "MatrixDialog", {
        {"DlgMatrixTitle", this, TextRole::Title},
        {"DlgMatrixHeaderTitle", [this](const QString &t) { m_header->setTitle(t); }},
        {"DlgMatrixHeaderDescription", [this](const QString &t) { m_header->setDescription(t); }},
        {"DlgMatrixWidthDecrease", m_commands["WidthDec"]},
        {"DlgMatrixWidthDecreaseHint", m_commands["WidthDec"], TextRole::Hint},
        {"DlgMatrixWidthIncrease", m_commands["WidthInc"]},
        {"DlgMatrixWidthIncreaseHint", m_commands["WidthInc"], TextRole::Hint},
        {"DlgMatrixRowInsert", m_commands["InsertRow"]},
        {"DlgMatrixRowInsertHint", m_commands["InsertRow"], TextRole::Hint},
        {"DlgMatrixRowDelete", m_commands["DeleteRow"]},
        {"DlgMatrixRowDeleteHint", m_commands["DeleteRow"], TextRole::Hint},
        {"DlgMatrixColInsert", m_commands["InsertCol"]},
        {"DlgMatrixColInsertHint", m_commands["InsertCol"], TextRole::Hint},
        {"DlgMatrixColDelete", m_commands["DeleteCol"]},
        {"DlgMatrixColDeleteHint", m_commands["DeleteCol"], TextRole::Hint},
        {"DlgMatrixInsertMatrix", m_commands["InsertMat"]},
        {"DlgMatrixInsertMatrixHint", m_commands["InsertMat"], TextRole::Hint},
        {"DlgMatrixCancel", m_commands["CancelDlg"]},
        {"DlgMatrixCancelHint", m_commands["CancelDlg"], TextRole::Hint},
        {"DlgMatrixUndo", m_commands["Undo"]},
        {"DlgMatrixUndoHint", m_commands["Undo"], TextRole::Hint},
        {"DlgMatrixRedo", m_commands["Redo"]},
        {"DlgMatrixRedoHint", m_commands["Redo"], TextRole::Hint},
        {"DlgMatrixPaste", m_commands["Paste"]},
        {"DlgMatrixPasteHint", m_commands["Paste"], TextRole::Hint},
        {"DlgMatrixPasteCut", [this](const QString &t) { m_pasteCutText = t; }},
        {"DlgMatrixType", m_typeGroup},
        {"DlgMatrixMatrix", m_typeMatrix},
        {"DlgMatrixVector", m_typeVector},
        {"DlgMatrixList", m_typeList},
        {"DlgMatrixGo", m_goGroup},
        {"DlgMatrixGoToLeft", m_goRight},
        {"DlgMatrixGoToDown", m_goDown},
    });
}

MatrixModel::Type TMatrixDialog::Type() const
{
    if (m_typeVector->isChecked())
        return MatrixModel::Type::Vector;
    if (m_typeList->isChecked())
        return MatrixModel::Type::List;
    return MatrixModel::Type::Matrix;
}

MatrixModel::Advance TMatrixDialog::Advance() const
{
    return m_goDown->isChecked() ? MatrixModel::Advance::Down : MatrixModel::Advance::Right;
}

MatrixModel::Cell TMatrixDialog::selectedCell() const
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return {0, 0};
    return {current.row() + 1, current.column() + 1};
}

void TMatrixDialog::showModel()
{
    m_showing = true;
    for (int r = 1; r <= MatrixModel::MaxSize; ++r) {
        for (int c = 1; c <= MatrixModel::MaxSize; ++c) {
            const QString text = m_model.cell(r, c);
            QTableWidgetItem *item = m_grid->item(r - 1, c - 1);
            if (!item) {
                if (text.isEmpty())
                    continue;
                item = new QTableWidgetItem;
                m_grid->setItem(r - 1, c - 1, item);
            }
            if (item->text() != text)
                item->setText(text);
        }
    }
    m_grid->Corner()->setText(m_model.sizeText());
    m_showing = false;
}

void TMatrixDialog::setModel(const MatrixModel &model)
{
    m_model = model;
    showModel();
}

void TMatrixDialog::edit(const std::function<bool(MatrixModel &)> &change)
{
    // A command given while a cell is being edited: the typing becomes its
    // own step first (through cellTyped).
    if (!m_typing)
        m_grid->commitOpenEdit();
    MatrixModel after = m_model;
    if (!change(after) || after == m_model) {
        showModel(); // an emptied cell or a refused command: show what holds
        return;
    }
    m_undo.push(new MatrixStep(this, m_model, after));
}

void TMatrixDialog::cellTyped(int row, int col)
{
    if (m_showing)
        return;
    const QTableWidgetItem *item = m_grid->item(row, col);
    const QString text = item ? item->text() : QString();
    m_typing = true;
    edit([&](MatrixModel &m) { return m.setCell(row + 1, col + 1, text); });
    m_typing = false;
}

void TMatrixDialog::setColumnWidth(int width)
{
    m_columnWidth = std::clamp(width, MinColumnWidth, MaxColumnWidth);
    m_grid->horizontalHeader()->setDefaultSectionSize(m_columnWidth);
    m_commands["WidthDec"]->setEnabled(m_columnWidth > MinColumnWidth);
    m_commands["WidthInc"]->setEnabled(m_columnWidth < MaxColumnWidth);
}

void TMatrixDialog::WidthDecExecute()
{
    setColumnWidth(m_columnWidth - 1);
}

void TMatrixDialog::WidthIncExecute()
{
    setColumnWidth(m_columnWidth + 1);
}

void TMatrixDialog::InsertRowExecute()
{
    const int row = selectedCell().row;
    edit([row](MatrixModel &m) { return m.insertRow(row); });
}

void TMatrixDialog::DeleteRowExecute()
{
    const int row = selectedCell().row;
    edit([row](MatrixModel &m) { return m.deleteRow(row); });
}

void TMatrixDialog::InsertColExecute()
{
    const int col = selectedCell().col;
    edit([col](MatrixModel &m) { return m.insertCol(col); });
}

void TMatrixDialog::DeleteColExecute()
{
    const int col = selectedCell().col;
    edit([col](MatrixModel &m) { return m.deleteCol(col); });
}

void TMatrixDialog::PasteExecute()
{
    const MatrixModel::Cell at = selectedCell();
    const QString text = QApplication::clipboard()->text();
    if (at.row == 0 || text.isEmpty())
        return;
    bool whole = true;
    edit([&](MatrixModel &m) {
        whole = m.paste(at.row, at.col, text);
        return true;
    });
    if (!whole)
        m_status->showMessage(QLatin1Char(' ') + m_pasteCutText);
}

void TMatrixDialog::InsertMatExecute()
{
    // An edit still open in a cell counts.
    m_grid->commitOpenEdit();
    QString text = m_model.generate(Type());
    text.chop(1); // the caret marker: the caret goes after the text, kept as a position
    Result.bytes = CalcCharset::encode(text);
    Result.appendCaret();
    accept();
}

void TMatrixDialog::CancelDlgExecute()
{
    reject();
}

bool TMatrixDialog::event(QEvent *event)
{
    // The long hint of the command under the mouse, in the status bar.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        m_status->showMessage(tip.isEmpty() ? QString() : QLatin1Char(' ') + tip);
        return true;
    }
    return QDialog::event(event);
}
