#include "flowchart/DBuilder.h"

#include "emulator/Emu48Proc.h"
#include "flowchart/BuilderDialogs.h"
#include "flowchart/DiagramControl.h"
#include "flowchart/DiagramFile.h"
#include "flowchart/DiagramPaint.h"
#include "flowchart/DiagramUndo.h"
#include "flowchart/FlowchartCode.h"
#include "flowchart/RunWindow.h"
#include "formats/SafeFile.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/SettingsStore.h"
#include "shell/TextIds.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QSvgGenerator>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

const char *TDBuilderForm::ClipboardFormat = "application/x-quorvane-flowchart-block";

namespace {

const QString Section = QStringLiteral("Builder");

// The main window inside the dialog; the hint of the command under the mouse
// goes to panel 1 of the status bar instead of over panel 0.
class BuilderMainWindow : public QMainWindow
{
public:
    explicit BuilderMainWindow(QWidget *parent)
        : QMainWindow(parent)
    {
        // QMainWindow makes itself a window of its own; here it is a part
        // of the dialog.
        setWindowFlags(Qt::Widget);
    }
    QLabel *hintPanel = nullptr;

protected:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::StatusTip) {
            if (hintPanel)
                hintPanel->setText(QLatin1Char(' ') + static_cast<QStatusTipEvent *>(e)->tip());
            return true;
        }
        return QMainWindow::event(e);
    }
};

// A small picture of a shape kind for its tool button.
QIcon shapeIcon(ShapeKind kind)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    std::unique_ptr<TShapeCustomControl> shape = CreateShape(kind);
    const QSize size = shape->Bounds().size();
    QPainter p(&pixmap);
    const double scale = 22.0 / qMax(size.width(), size.height());
    p.translate(1, (24 - size.height() * scale) / 2);
    p.scale(scale, scale);
    DiagramPaint::PaintShape(p, *shape);
    return QIcon(pixmap);
}

QString fileFilter()
{
    return LanguageText("BuilderDialog", "FileFilter");
}

} // namespace

TDBuilderForm::TDBuilderForm(QWidget *parent)
    : QDialog(parent)
    , m_main(new BuilderMainWindow(this))
    , m_scroll(new QScrollArea)
    , m_canvas(new TDiagramControl(m_diagram))
    , m_runDock(new QDockWidget(QStringLiteral("Ejecución")))
    , m_runView(new RunWindowView)
    , m_modifiedPanel(new QLabel)
    , m_hintPanel(new QLabel)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_main);

    m_canvas->SetUndoStack(&m_undo);
    m_scroll->setWidget(m_canvas);
    m_scroll->setBackgroundRole(QPalette::Base);
    m_scroll->viewport()->setStyleSheet(QStringLiteral("background: white"));
    m_main->setCentralWidget(m_scroll);

    m_runDock->setObjectName(QStringLiteral("RunWindow"));
    m_runDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    m_runDock->setWidget(m_runView);
    m_runView->setMinimumWidth(120);
    m_main->addDockWidget(Qt::RightDockWidgetArea, m_runDock);
    m_main->resizeDocks({m_runDock}, {245}, Qt::Horizontal);

    m_modifiedPanel->setFixedWidth(80);
    m_modifiedPanel->setAlignment(Qt::AlignCenter);
    m_modifiedPanel->setFrameShape(QFrame::StyledPanel);
    m_main->statusBar()->addWidget(m_modifiedPanel);
    m_main->statusBar()->addWidget(m_hintPanel, 1);
    static_cast<BuilderMainWindow *>(m_main)->hintPanel = m_hintPanel;

    CreateActions();
    CreateMenusAndBars();
    LoadTexts();

    m_fileName = Label(LblUntitledFlowchart);
    m_run.SetInput(this);
    connect(&m_run, &FlowchartRun::lineAdded, m_runView, &RunWindowView::AddLine);
    connect(&m_run, &FlowchartRun::linesCleared, m_runView, &QPlainTextEdit::clear);
    connect(&m_run, &FlowchartRun::editingEnabled, m_canvas, &QWidget::setEnabled);
    connect(&m_run, &FlowchartRun::commandStateChanged, this, &TDBuilderForm::UpdateActions);
    connect(&m_run, &FlowchartRun::beep, this, [] { QApplication::beep(); });
    connect(&m_diagram, &TDiagram::changed, this, &TDBuilderForm::UpdateActions);
    connect(m_canvas, &TDiagramControl::editStateChanged, this, [this] {
        UpdateActions();
        UpdateTitle();
    });
    connect(m_canvas, &TDiagramControl::editRequested, this, &TDBuilderForm::EditShape);
    connect(m_canvas, &TDiagramControl::zoomRequested, m_canvas, &TDiagramControl::SetZoom);
    connect(&m_undo, &QUndoStack::indexChanged, this, [this] { UpdateActions(); });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TDBuilderForm::UpdateActions);
    // The active block, as the run moves, is kept in view.
    connect(&m_diagram, &TDiagram::changed, this, [this] {
        if (m_run.Running() && m_diagram.State()) {
            const QRect r = m_diagram.State()->Bounds();
            m_scroll->ensureVisible(m_canvas->ToWidget(r.center()).x(), m_canvas->ToWidget(r.center()).y(),
                                    r.width(), r.height());
        }
    });

    SettingsStore store;
    ReadPlacement(store);
    m_mru.load(store, Section, QStringLiteral("MRU"));
    UpdateRecentMenu();
    UpdateTitle();
    UpdateActions();
    m_canvas->setFocus();
}

TDBuilderForm::~TDBuilderForm()
{
    if (m_run.Running())
        m_run.Stop();
    SettingsStore store;
    WritePlacement(store);
    m_mru.save(store, Section, QStringLiteral("MRU"));
    store.sync();
    // Nothing the members say while they go reaches this half-destroyed
    // window; the canvas and the run hold the diagram and go before it.
    m_undo.disconnect(this);
    m_diagram.disconnect(this);
    m_run.disconnect(this);
    m_run.SetInput(nullptr);
    delete m_main;
}

QAction *TDBuilderForm::Action(const QString &name) const
{
    QAction *action = m_actions.value(name);
    Q_ASSERT_X(action, "TDBuilderForm::Action", qPrintable(name));
    return action;
}

QAction *TDBuilderForm::AddAction(const QString &name, const QString &caption, const QString &hint,
                                  const QKeySequence &shortcut)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(name);
    ApplyText(action, TextRole::Hint, hint);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    addAction(action); // shortcuts work whatever bar is hidden
    m_actions.insert(name, action);
    return action;
}

void TDBuilderForm::CreateActions()
{
    // The desktop's icon theme, as the main window uses it, else Qt's own.
    QStyle *style = this->style();
    auto themed = [style](const char *name, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QString::fromLatin1(name), style->standardIcon(fallback));
    };
    AddAction("FileNew", "Nuevo", "Nuevo|Crea un nuevo diagrama", QKeySequence(Qt::CTRL | Qt::Key_N))
        ->setIcon(themed("document-new", QStyle::SP_FileIcon));
    AddAction("FileOpen", "Abrir...", "Abrir|Abre un diagrama", QKeySequence(Qt::CTRL | Qt::Key_O))
        ->setIcon(themed("document-open", QStyle::SP_DialogOpenButton));
    AddAction("FileSave", "Guardar", "Guardar|Guarda el diagrama actual", QKeySequence(Qt::CTRL | Qt::Key_S))
        ->setIcon(themed("document-save", QStyle::SP_DialogSaveButton));
    AddAction("FileSaveAs", "Guardar como...", "Guardar como|Guarda el diagrama actual con otro nombre");
    AddAction("FileExport", "Exportar dibujo...",
              "Exportar dibujo|Guarda el dibujo del diagrama como imagen PNG o SVG");
    AddAction("FileInsert", "Insertar código",
              "Insertar código|Inserta el diagrama como código en la ventana de edición")
        ->setIcon(themed("insert-text", QStyle::SP_ArrowLeft));
    AddAction("FileExit", "Salir", "Salir|Sale de la aplicación y pregunta si desea guardar el diagrama")
        ->setIcon(themed("application-exit", QStyle::SP_DialogCloseButton));
    AddAction("EditUndo", "Deshacer", "Deshacer|Deshace el último cambio del diagrama", QKeySequence::Undo)
        ->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo")));
    AddAction("EditRedo", "Rehacer", "Rehacer|Rehace el último cambio deshecho",
              QKeySequence(Qt::CTRL | Qt::Key_Y))
        ->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo")));
    AddAction("EditChange", "Editar", "Editar|Edita las instrucciones del bloque seleccionado",
              QKeySequence(Qt::Key_F2))
        ->setIcon(themed("document-edit", QStyle::SP_FileDialogDetailedView));
    AddAction("EditCut", "Cortar", "Cortar|Corta el bloque seleccionado y lo copia en el portapapeles",
              QKeySequence::Cut)
        ->setIcon(QIcon::fromTheme(QStringLiteral("edit-cut")));
    AddAction("EditCopy", "Copiar", "Copiar|Copia el bloque seleccionado en el portapapeles", QKeySequence::Copy)
        ->setIcon(QIcon::fromTheme(QStringLiteral("edit-copy")));
    AddAction("EditPaste", "Pegar", "Pegar|Pega el contenido del portapapeles", QKeySequence::Paste)
        ->setIcon(QIcon::fromTheme(QStringLiteral("edit-paste")));
    AddAction("EditDelete", "Borrar", "Borrar|Borra el bloque seleccionado", QKeySequence(Qt::Key_Delete))
        ->setIcon(themed("edit-delete", QStyle::SP_TrashIcon));
    for (const char *name : {"ViewToolBar", "ViewStatusBar", "ViewRunWindow"}) {
        QAction *a = AddAction(name, QString(), QString());
        a->setCheckable(true);
        a->setChecked(true);
    }
    Action("ViewToolBar")->setText("Barra de herramientas");
    ApplyText(Action("ViewToolBar"), TextRole::Hint,
              "Barra de herramientas|Muestra u oculta la barra de herramientas");
    Action("ViewStatusBar")->setText("Barra de estado");
    ApplyText(Action("ViewStatusBar"), TextRole::Hint, "Barra de estado|Muestra u oculta la barra de estado");
    Action("ViewRunWindow")->setText("Ventana de ejecución");
    ApplyText(Action("ViewRunWindow"), TextRole::Hint,
              "Ventana de ejecución|Muestra u oculta la ventana de ejecución");

    struct Shape
    {
        const char *caption, *hint;
    };
    static const Shape shapes[ShapeKindCount] = {
        {"Insertar inicio", "Inicio|Inserta un bloque de Inicio en el diagrama"},
        {"Insertar Lectura", "Lectura|Inserta un bloque de Lectura en el diagrama"},
        {"Insertar Acción", "Acción|Inserta un bloque de Acción en el diagrama"},
        {"Insertar Condición", "Condición|Inserta un bloque Condicional en el diagrama"},
        {"Insertar Repetición", "Repetición|Inserta un bloque de Repetición en el diagrama"},
        {"Insertar Conector", "Conector|Inserta un bloque de Conexión en el diagrama"},
        {"Insertar Escritura", "Escritura|Inserta un bloque de Escritura en el diagrama"},
        {"Insertar Fin", "Fin|Inserta un bloque de Parada en el diagrama"},
        {"Insertar Transición", "Transición|Inserta un bloque de Transición en el diagrama"},
    };
    for (int kind = 1; kind <= ShapeKindCount; ++kind) {
        QAction *a = AddAction(QStringLiteral("DiagramShape%1").arg(kind), QString::fromUtf8(shapes[kind - 1].caption),
                               QString::fromUtf8(shapes[kind - 1].hint));
        a->setCheckable(true);
        a->setIcon(shapeIcon(static_cast<ShapeKind>(kind)));
        connect(a, &QAction::triggered, this, [this, kind] { DiagramShapeExecute(kind); });
    }
    QAction *connectAction = AddAction("DiagramConnect", "Conectar formas",
                                       "Conectar|Conecta los bloques dentro del diagrama", QKeySequence(Qt::Key_F3));
    connectAction->setCheckable(true);
    connectAction->setIcon(themed("draw-connector", QStyle::SP_ArrowRight));
    AddAction("RunRun", "Ejecutar", "Ejecutar|Ejecuta las instrucciones del diagrama", QKeySequence(Qt::Key_F5))
        ->setIcon(themed("media-playback-start", QStyle::SP_MediaPlay));
    AddAction("RunStep", "Paso a paso", "Paso a paso|Ejecuta las instrucciones del diagrama paso a paso",
              QKeySequence(Qt::Key_F8))
        ->setIcon(themed("media-skip-forward", QStyle::SP_MediaSkipForward));
    AddAction("RunStop", "Terminar", "Terminar|Finaliza la ejecución de las instrucciones del diagrama")
        ->setIcon(themed("media-playback-stop", QStyle::SP_MediaStop));
    AddAction("RunCalculator", "Ejecutar en la calculadora",
              "Calculadora|Genera el programa del diagrama y lo ejecuta en la calculadora, sin tocar el documento")
        ->setIcon(themed("accessories-calculator", QStyle::SP_ComputerIcon));

    auto on = [this](const char *name, auto slot) { connect(Action(name), &QAction::triggered, this, slot); };
    on("FileNew", [this] { FileNewExecute(); });
    on("FileOpen", [this] { FileOpenExecute(); });
    on("FileSave", [this] { FileSaveExecute(); });
    on("FileSaveAs", [this] { FileSaveAsExecute(); });
    on("FileExport", [this] { FileExportExecute(); });
    on("FileInsert", [this] { FileInsertExecute(); });
    on("FileExit", [this] { FileExitExecute(); });
    on("EditUndo", [this] {
        m_undo.undo();
        m_canvas->SetModified(true);
    });
    on("EditRedo", [this] {
        m_undo.redo();
        m_canvas->SetModified(true);
    });
    on("EditChange", [this] { EditChangeExecute(); });
    on("EditCut", [this] { EditCutExecute(); });
    on("EditCopy", [this] { EditCopyExecute(); });
    on("EditPaste", [this] { EditPasteExecute(); });
    on("EditDelete", [this] { EditDeleteExecute(); });
    on("DiagramConnect", [this] { DiagramConnectExecute(); });
    on("RunRun", [this] { RunRunExecute(); });
    on("RunStep", [this] { RunStepExecute(); });
    on("RunStop", [this] { RunStopExecute(); });
    on("RunCalculator", [this] { RunCalculatorExecute(); });
    // The view choices last while the window is open.
    connect(Action("ViewToolBar"), &QAction::toggled, this, [this](bool on) { m_toolBar->setVisible(on); });
    connect(Action("ViewStatusBar"), &QAction::toggled, this,
            [this](bool on) { m_main->statusBar()->setVisible(on); });
    connect(Action("ViewRunWindow"), &QAction::toggled, m_runDock, &QWidget::setVisible);
}

void TDBuilderForm::CreateMenusAndBars()
{
    auto fill = [this](QWidget *target, std::initializer_list<const char *> names) {
        for (const char *name : names) {
            if (QByteArray(name) == "|") {
                if (auto *menu = qobject_cast<QMenu *>(target))
                    menu->addSeparator();
                else
                    static_cast<QToolBar *>(target)->addSeparator();
            } else {
                target->addAction(Action(name));
            }
        }
    };
    QMenuBar *bar = m_main->menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("Archivo"));
    file->setObjectName(QStringLiteral("MenuFile"));
    fill(file, {"FileNew", "FileOpen", "|", "FileSave", "FileSaveAs", "|", "FileInsert", "FileExport"});
    m_recentMenu = file;
    file->addSeparator();
    m_recentSeparator = file->addSeparator();
    fill(file, {"FileExit"});
    QMenu *edit = bar->addMenu(QStringLiteral("Edición"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    fill(edit, {"EditUndo", "EditRedo", "|", "EditChange", "|", "EditCut", "EditCopy", "EditPaste", "EditDelete"});
    QMenu *view = bar->addMenu(QStringLiteral("Ver"));
    view->setObjectName(QStringLiteral("MenuView"));
    fill(view, {"ViewToolBar", "ViewStatusBar", "|", "ViewRunWindow"});
    QMenu *diagram = bar->addMenu(QStringLiteral("Diagrama"));
    diagram->setObjectName(QStringLiteral("MenuDiagram"));
    fill(diagram, {"DiagramShape1", "DiagramShape2", "DiagramShape3", "DiagramShape4", "DiagramShape5",
                   "DiagramShape7", "DiagramShape9", "DiagramShape8", "|", "DiagramConnect"});
    QMenu *run = bar->addMenu(QStringLiteral("Ejecutar"));
    run->setObjectName(QStringLiteral("MenuRun"));
    fill(run, {"RunRun", "|", "RunStep", "RunStop", "|", "RunCalculator"});

    m_toolBar = m_main->addToolBar(QStringLiteral("ToolBar"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setIconSize(QSize(24, 24));
    fill(m_toolBar, {"FileNew", "FileOpen", "FileSave", "|", "EditChange", "|", "EditCut", "EditCopy", "EditPaste",
                     "EditDelete", "|", "DiagramShape1", "DiagramShape2", "DiagramShape3", "DiagramShape4",
                     "DiagramShape5", "DiagramShape7", "DiagramShape9", "DiagramShape8", "|", "DiagramConnect", "|",
                     "RunRun", "RunStep", "RunStop", "RunCalculator", "|", "FileInsert", "FileExit"});
}

void TDBuilderForm::LoadTexts()
{
    QMenuBar *bar = m_main->menuBar();
    auto menu = [bar](const char *name) { return bar->findChild<QMenu *>(QString::fromLatin1(name)); };
    // The chevrons are the buttons the bars show when their items do not fit.
    QList<QToolButton *> chevrons = {
        m_toolBar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")),
        bar->findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"))};
    for (QToolButton *chevron : chevrons)
        if (chevron)
            chevron->setToolTip(QStringLiteral("Más botones"));
    loadWindowTexts(
        this, "BuilderDialog",
        {
            {"MenusBarTitle", [bar](const QString &t) { bar->setAccessibleName(t); }},
            {"ToolBarChevronHint",
             [chevrons](const QString &t) {
                 for (QToolButton *chevron : chevrons)
                     if (chevron)
                         chevron->setToolTip(t);
             }},
            {"ToolBarTitle", m_toolBar},
            {"MenuFile", menu("MenuFile")},
            {"MenuEdit", menu("MenuEdit")},
            {"MenuView", menu("MenuView")},
            {"MenuDiagram", menu("MenuDiagram")},
            {"MenuRun", menu("MenuRun")},
            {"PanelWindowRun", m_runDock},
            {"MenuFileNew", Action("FileNew")},
            {"MenuFileNewHint", Action("FileNew"), TextRole::Hint},
            {"MenuFileOpen", Action("FileOpen")},
            {"MenuFileOpenHint", Action("FileOpen"), TextRole::Hint},
            {"MenuFileSave", Action("FileSave")},
            {"MenuFileSaveHint", Action("FileSave"), TextRole::Hint},
            {"MenuFileSaveAs", Action("FileSaveAs")},
            {"MenuFileSaveAsHint", Action("FileSaveAs"), TextRole::Hint},
            {"MenuFileExport", Action("FileExport")},
            {"MenuFileExportHint", Action("FileExport"), TextRole::Hint},
            {"MenuFileInsert", Action("FileInsert")},
            {"MenuFileInsertHint", Action("FileInsert"), TextRole::Hint},
            {"MenuFileExit", Action("FileExit")},
            {"MenuFileExitHint", Action("FileExit"), TextRole::Hint},
            {"MenuEditUndo", Action("EditUndo")},
            {"MenuEditUndoHint", Action("EditUndo"), TextRole::Hint},
            {"MenuEditRedo", Action("EditRedo")},
            {"MenuEditRedoHint", Action("EditRedo"), TextRole::Hint},
            {"MenuEditChange", Action("EditChange")},
            {"MenuEditChangeHint", Action("EditChange"), TextRole::Hint},
            {"MenuEditCut", Action("EditCut")},
            {"MenuEditCutHint", Action("EditCut"), TextRole::Hint},
            {"MenuEditCopy", Action("EditCopy")},
            {"MenuEditCopyHint", Action("EditCopy"), TextRole::Hint},
            {"MenuEditPaste", Action("EditPaste")},
            {"MenuEditPasteHint", Action("EditPaste"), TextRole::Hint},
            {"MenuEditDelete", Action("EditDelete")},
            {"MenuEditDeleteHint", Action("EditDelete"), TextRole::Hint},
            {"MenuViewToolBar", Action("ViewToolBar")},
            {"MenuViewToolBarHint", Action("ViewToolBar"), TextRole::Hint},
            {"MenuViewStatusBar", Action("ViewStatusBar")},
            {"MenuViewStatusBarHint", Action("ViewStatusBar"), TextRole::Hint},
            {"MenuViewRunWindow", Action("ViewRunWindow")},
            {"MenuViewRunWindowHint", Action("ViewRunWindow"), TextRole::Hint},
            {"MenuDiagramShapeBegin", Action("DiagramShape1")},
            {"MenuDiagramShapeBeginHint", Action("DiagramShape1"), TextRole::Hint},
            {"MenuDiagramShapeRead", Action("DiagramShape2")},
            {"MenuDiagramShapeReadHint", Action("DiagramShape2"), TextRole::Hint},
            {"MenuDiagramShapeAction", Action("DiagramShape3")},
            {"MenuDiagramShapeActionHint", Action("DiagramShape3"), TextRole::Hint},
            {"MenuDiagramShapeCondition", Action("DiagramShape4")},
            {"MenuDiagramShapeConditionHint", Action("DiagramShape4"), TextRole::Hint},
            {"MenuDiagramShapeBucle", Action("DiagramShape5")},
            {"MenuDiagramShapeBucleHint", Action("DiagramShape5"), TextRole::Hint},
            {"MenuDiagramShapeWrite", Action("DiagramShape7")},
            {"MenuDiagramShapeWriteHint", Action("DiagramShape7"), TextRole::Hint},
            {"MenuDiagramShapeEnd", Action("DiagramShape8")},
            {"MenuDiagramShapeEndHint", Action("DiagramShape8"), TextRole::Hint},
            {"MenuDiagramShapeTransition", Action("DiagramShape9")},
            {"MenuDiagramShapeTransitionHint", Action("DiagramShape9"), TextRole::Hint},
            {"MenuDiagramConnect", Action("DiagramConnect")},
            {"MenuDiagramConnectHint", Action("DiagramConnect"), TextRole::Hint},
            {"MenuRunRun", Action("RunRun")},
            {"MenuRunRunHint", Action("RunRun"), TextRole::Hint},
            {"MenuRunStep", Action("RunStep")},
            {"MenuRunStepHint", Action("RunStep"), TextRole::Hint},
            {"MenuRunStop", Action("RunStop")},
            {"MenuRunStopHint", Action("RunStop"), TextRole::Hint},
            {"MenuRunCalculator", Action("RunCalculator")},
            {"MenuRunCalculatorHint", Action("RunCalculator"), TextRole::Hint},
        });
}

// ------------------------------------------------------------- placement

void TDBuilderForm::ReadPlacement(const SettingsStore &store)
{
    const int width = store.readInt(Section, QStringLiteral("WindowWidth"), 700);
    const int height = store.readInt(Section, QStringLiteral("WindowHeight"), 580);
    resize(qMax(width, 200), qMax(height, 150));
    if (store.hasValue(Section, QStringLiteral("WindowLeft")) || store.hasValue(Section, QStringLiteral("WindowTop"))) {
        move(store.readInt(Section, QStringLiteral("WindowLeft"), 0),
             store.readInt(Section, QStringLiteral("WindowTop"), 0));
    } else if (QScreen *screen = QGuiApplication::primaryScreen()) {
        // Never placed before: centred on the desktop.
        const QRect desk = screen->availableGeometry();
        move(desk.center() - QPoint(width / 2, height / 2));
    }
    switch (store.readInt(Section, QStringLiteral("WindowState"), 0)) {
    case 1: setWindowState(Qt::WindowMinimized); break;
    case 2: setWindowState(Qt::WindowMaximized); break;
    default: break;
    }
}

void TDBuilderForm::WritePlacement(SettingsStore &store) const
{
    const QRect r = (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) && !normalGeometry().isEmpty()
                        ? normalGeometry()
                        : geometry();
    store.writeInt(Section, QStringLiteral("WindowLeft"), r.left());
    store.writeInt(Section, QStringLiteral("WindowTop"), r.top());
    store.writeInt(Section, QStringLiteral("WindowWidth"), r.width());
    store.writeInt(Section, QStringLiteral("WindowHeight"), r.height());
    store.writeInt(Section, QStringLiteral("WindowState"),
                   windowState() & Qt::WindowMaximized   ? 2
                   : windowState() & Qt::WindowMinimized ? 1
                                                         : 0);
}

// ------------------------------------------------------- title and states

bool TDBuilderForm::Modified() const
{
    return m_canvas->Modified();
}

void TDBuilderForm::UpdateTitle()
{
    setWindowTitle(QStringLiteral("Constructor - [") + m_fileName + QLatin1Char(']')
                   + (Modified() ? QStringLiteral("*") : QString()));
    m_modifiedPanel->setText(Modified() ? Label(LblModified) : QString());
}

void TDBuilderForm::UpdateActions()
{
    const bool running = m_run.Running();
    const bool selected = !m_diagram.SelectedShapes().isEmpty();
    const QMimeData *clip = QApplication::clipboard()->mimeData();
    const bool canPaste = clip && clip->hasFormat(QString::fromLatin1(ClipboardFormat));
    Action("FileSave")->setEnabled(Modified());
    for (const char *name : {"EditChange", "EditCut", "EditCopy", "EditDelete"})
        Action(name)->setEnabled(selected && !running);
    Action("EditPaste")->setEnabled(!running && canPaste);
    Action("EditUndo")->setEnabled(!running && m_undo.canUndo());
    Action("EditRedo")->setEnabled(!running && m_undo.canRedo());
    for (int kind = 1; kind <= ShapeKindCount; ++kind) {
        QAction *a = Action(QStringLiteral("DiagramShape%1").arg(kind));
        a->setEnabled(!running);
        a->setChecked(m_canvas->PendingKind() == kind);
    }
    Action("DiagramConnect")->setEnabled(!running && m_diagram.ShapeCount() >= 2);
    Action("DiagramConnect")->setChecked(m_canvas->ConnectState() != TDiagramControl::ConnectOff);
    Action("RunRun")->setEnabled(!running);
    Action("RunStep")->setEnabled(m_run.StepEnabled());
    Action("RunStop")->setEnabled(running);
}

void TDBuilderForm::UpdateRecentMenu()
{
    for (QAction *a : m_recentMenu->actions())
        if (a->property("recentFile").isValid()) {
            m_recentMenu->removeAction(a);
            a->deleteLater();
        }
    int n = 0;
    for (const QString &path : m_mru.items()) {
        auto *a = new QAction(QStringLiteral("&%1 %2").arg(++n).arg(QDir::toNativeSeparators(path)), m_recentMenu);
        a->setProperty("recentFile", path);
        connect(a, &QAction::triggered, this, [this, path] { OpenRecent(path); });
        m_recentMenu->insertAction(m_recentSeparator, a);
    }
}

// ------------------------------------------------------------------ files

void TDBuilderForm::ClearDiagram()
{
    m_diagram.Clear();
    m_undo.clear();
    m_fileName = Label(LblUntitledFlowchart);
    m_canvas->SetModified(false);
}

bool TDBuilderForm::DiscardCheck()
{
    if (m_run.Running()) {
        if (ShowAppMessage(Message(MsgFlowchartRunning), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
            != QMessageBox::Yes)
            return false;
        m_run.Stop();
    }
    if (Modified()) {
        switch (ShowAppMessage(Message(MsgFlowchartUnsaved), QMessageBox::Warning,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            // A save that did not happen (cancelled or failed) keeps the
            // drawing: clearing it then would lose the user's work.
            if (!FileSaveExecute())
                return false;
            break;
        case QMessageBox::No: break;
        default: return false;
        }
    }
    ClearDiagram();
    m_canvas->update();
    return true;
}

bool TDBuilderForm::FileNewExecute()
{
    if (!DiscardCheck())
        return false;
    m_run.ClearLines();
    m_canvas->update();
    UpdateTitle();
    UpdateActions();
    return true;
}

bool TDBuilderForm::OpenFile(const QString &path, int failureMessage)
{
    m_scroll->horizontalScrollBar()->setValue(0);
    m_scroll->verticalScrollBar()->setValue(0);
    QString detail;
    const DiagramFile::ReadStatus status = DiagramFile::Load(path, m_diagram, &detail);
    if (status != DiagramFile::ReadStatus::Ok) {
        if (status == DiagramFile::ReadStatus::BadSignature)
            ShowAppMessage(Message(MsgNotAFlowchart), QMessageBox::Critical);
        ShowAppMessage(Message(failureMessage), QMessageBox::Critical);
        UpdateTitle();
        UpdateActions();
        return false;
    }
    m_fileName = QFileInfo(path).absoluteFilePath();
    m_mru.add(m_fileName);
    UpdateRecentMenu();
    UpdateTitle();
    UpdateActions();
    return true;
}

void TDBuilderForm::FileOpenExecute()
{
    if (!FileNewExecute())
        return;
    FileDialogOptions options;
    options.title = Label(LblOpenTitle);
    options.filter = fileFilter();
    options.defaultExtension = QStringLiteral("adb");
    const FileDialogResult chosen = Dialogs().openFile(options);
    if (chosen.accepted)
        OpenFile(chosen.path, MsgFlowchartOpenFailed);
}

void TDBuilderForm::OpenRecent(const QString &path)
{
    if (!FileNewExecute())
        return;
    OpenFile(path, MsgFlowchartMissing);
}

bool TDBuilderForm::SaveTo(const QString &path)
{
    QString error;
    if (!DiagramFile::Save(path, m_diagram, &error)) {
        ShowAppMessage(Message(MsgFlowchartSaveFailed) + QStringLiteral("\n\n") + error, QMessageBox::Critical);
        return false;
    }
    m_fileName = QFileInfo(path).absoluteFilePath();
    m_canvas->SetModified(false);
    UpdateTitle();
    UpdateActions();
    return true;
}

bool TDBuilderForm::FileSaveExecute()
{
    if (m_fileName == Label(LblUntitledFlowchart))
        return FileSaveAsExecute();
    return SaveTo(m_fileName);
}

bool TDBuilderForm::FileSaveAsExecute()
{
    FileDialogOptions options;
    options.title = Label(LblSaveAsTitle);
    options.filter = fileFilter();
    options.defaultExtension = QStringLiteral("adb");
    if (m_fileName != Label(LblUntitledFlowchart))
        options.fileName = m_fileName;
    const FileDialogResult chosen = Dialogs().saveFile(options);
    return chosen.accepted && SaveTo(chosen.path);
}

void TDBuilderForm::FileExportExecute()
{
    FileDialogOptions options;
    options.title = ShortHint(Action("FileExport")->toolTip());
    options.filter = LanguageText("BuilderDialog", "ExportFilter");
    options.defaultExtension = QStringLiteral("png");
    if (m_fileName != Label(LblUntitledFlowchart))
        options.fileName = QFileInfo(m_fileName).completeBaseName();
    const FileDialogResult chosen = Dialogs().saveFile(options);
    if (!chosen.accepted)
        return;
    // The drawing from the canvas corner to the last shape, with a margin.
    QRect area(0, 0, 64, 64);
    for (const TShapeCustomControl *s : m_diagram.Shapes())
        area = area.united(s->Bounds().adjusted(0, 0, 16, 16));
    area.setTopLeft(QPoint(0, 0));
    const bool svg = chosen.path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)
                     || (!chosen.path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive) && chosen.filterIndex == 2);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(area.size());
        generator.setViewBox(area);
        generator.setTitle(QFileInfo(m_fileName).completeBaseName());
        QPainter p(&generator);
        DiagramPaint::PaintDiagram(p, m_diagram, false);
    } else {
        QImage image(area.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            DiagramPaint::PaintDiagram(p, m_diagram, false);
        }
        image.save(&buffer, "PNG");
    }
    buffer.close();
    QString error;
    if (!ReplaceFile(chosen.path, bytes, &error))
        ShowAppMessage(FormatText(LanguageText("BuilderDialog", "ExportFailed"),
                                  {chosen.path})
                           + QStringLiteral("\n\n") + error,
                       QMessageBox::Critical);
}

void TDBuilderForm::FileInsertExecute()
{
    const GeneratedCode code = GenerateUserRPL(m_diagram, m_run.DecimalSeparator());
    if (!code.ok) {
        ShowAppMessage(Message(code.message), QMessageBox::Critical);
        return;
    }
    m_result = code.bytes;
    // Through the close path: the discard check may still keep the window.
    reject();
    if (isVisible())
        m_result.clear();
}

void TDBuilderForm::FileExitExecute()
{
    reject();
}

void TDBuilderForm::reject()
{
    if (m_closing)
        return;
    m_closing = true;
    const bool go = DiscardCheck();
    m_closing = false;
    if (go)
        QDialog::reject();
    else
        m_result.clear();
}

// ---------------------------------------------------------------- editing

int TDBuilderForm::RunModal(QDialog *dialog)
{
    return m_modal ? m_modal(dialog) : dialog->exec();
}

void TDBuilderForm::EditShape(TShapeCustomControl *shape)
{
    if (!shape || shape->Kind() == ShapeKind::Trans || m_run.Running())
        return;
    TEditorForm form(this);
    form.SetText(shape->Caption());
    if (RunModal(&form) == QDialog::Accepted) {
        const QString text = form.Text();
        RecordEdit(&m_undo, m_diagram, QStringLiteral("caption"), [&] { shape->SetCaption(text); });
        m_canvas->SetModified(true);
    }
    m_canvas->update();
    UpdateTitle();
}

void TDBuilderForm::EditChangeExecute()
{
    const QList<TShapeCustomControl *> selected = m_diagram.SelectedShapes();
    if (!selected.isEmpty())
        EditShape(selected.first());
}

void TDBuilderForm::EditCopyExecute()
{
    const QList<TShapeCustomControl *> selected = m_diagram.SelectedShapes();
    if (selected.isEmpty())
        return;
    // The block alone, without its links, in the file's own form.
    const TShapeCustomControl *source = selected.first();
    TDiagram copy;
    std::unique_ptr<TShapeCustomControl> shape = CreateShape(source->Kind());
    shape->Name = source->Name;
    shape->SetCaption(source->Caption());
    shape->SetBounds(source->Left(), source->Top(), source->Width(), source->Height());
    copy.AddShape(std::move(shape));
    auto *data = new QMimeData;
    data->setData(QString::fromLatin1(ClipboardFormat), DiagramFile::Write(copy));
    QApplication::clipboard()->setMimeData(data);
    UpdateActions();
}

void TDBuilderForm::EditCutExecute()
{
    EditCopyExecute();
    EditDeleteExecute();
}

void TDBuilderForm::EditPasteExecute()
{
    if (m_run.Running())
        return;
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (!data || !data->hasFormat(QString::fromLatin1(ClipboardFormat)))
        return;
    TDiagram read;
    if (DiagramFile::Read(data->data(QString::fromLatin1(ClipboardFormat)), read) != DiagramFile::ReadStatus::Ok
        || read.ShapeCount() != 1)
        return;
    std::unique_ptr<TShapeCustomControl> shape = read.TakeShape(read.Shapes()[0]);
    shape->Name = m_diagram.UniqueName(QString::fromLatin1(shape->ClassName()));
    shape->SetBounds(shape->Left() + 8, shape->Top() + 8, shape->Width(), shape->Height());
    RecordEdit(&m_undo, m_diagram, QStringLiteral("paste"), [&] {
        TShapeCustomControl *pasted = m_diagram.AddShape(std::move(shape));
        m_diagram.SetState(nullptr);
        m_diagram.DeselectAll();
        pasted->SetSelected(true);
    });
    // A pasted or deleted block is a change to keep or to ask about, even
    // when no click on a block came before it.
    m_canvas->SetModified(true);
    UpdateActions();
}

void TDBuilderForm::EditDeleteExecute()
{
    const QList<TShapeCustomControl *> selected = m_diagram.SelectedShapes();
    if (selected.isEmpty() || m_run.Running())
        return;
    RecordEdit(&m_undo, m_diagram, QStringLiteral("delete"), [&] {
        for (TShapeCustomControl *s : selected)
            m_diagram.RemoveShape(s);
    });
    m_canvas->SetModified(true);
    m_canvas->update();
    UpdateActions();
}

void TDBuilderForm::DiagramShapeExecute(int kind)
{
    m_canvas->SetPendingKind(kind);
    UpdateActions();
}

void TDBuilderForm::DiagramConnectExecute()
{
    m_canvas->StartConnect();
    UpdateActions();
    UpdateTitle();
}

void TDBuilderForm::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        m_canvas->CancelModes();
        UpdateActions();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// -------------------------------------------------------------------- run

void TDBuilderForm::RunRunExecute()
{
    m_canvas->CancelModes();
    m_run.Run();
    UpdateActions();
}

void TDBuilderForm::RunStepExecute()
{
    m_canvas->CancelModes();
    m_run.Step();
    UpdateActions();
}

void TDBuilderForm::RunStopExecute()
{
    m_run.Stop();
    UpdateActions();
}

void TDBuilderForm::RunCalculatorExecute()
{
    const GeneratedCode code = GenerateUserRPL(m_diagram, m_run.DecimalSeparator());
    if (!code.ok) {
        ShowAppMessage(Message(code.message), QMessageBox::Critical);
        return;
    }
    // The program as Insert code would write it, less the caret marker that
    // ends it; the document is not touched.
    QByteArray program = code.bytes;
    const qsizetype caret = program.lastIndexOf('|');
    if (caret >= 0)
        program.remove(caret, 1);
    RunProgram(program, QByteArray(), 0);
}

bool TDBuilderForm::AskValue(const QString &prompt, const QString &name, QString &answer)
{
    Q_UNUSED(name);
    TInputForm form(this);
    form.SetPrompt(prompt);
    if (RunModal(&form) != QDialog::Accepted)
        return false;
    answer = form.Answer();
    return true;
}
