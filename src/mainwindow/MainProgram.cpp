#include "mainwindow/MainProgram.h"

#include "documents/CommandReferencePanels.h"
#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "highlight/KeywordLists.h"
#include "documents/Snippets.h"
#include "documents/EditingCommands.h"
#include "documents/EditorOperations.h"
#include "emulator/EmulatorCommands.h"
#include "flowchart/FlowchartCommands.h"
#include "generators/GeneratorCommands.h"
#include "environment/EnvironmentCommands.h"
#include "link/LinkCommands.h"
#include "printing/PrintingCommands.h"
#include "formats/HPUtils.h"
#include "highlight/DlgEditor.h"
#include "highlight/QuorvaneLexer.h"
#include "highlight/SynHighlighterQuorvane.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "shell/SingleInstance.h"
#include "mainwindow/ToolIcons.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWhatsThis>

// How a command's enabled state follows the selected document.
enum class TMainProgram::Rule {
    Never,      // never disabled
    Document,   // whenever a document is open
    Modified,   // the document is modified
    NotEmpty,   // some line holds a character
    FindAgain,  // not empty and a search text was entered before
    Undo,       // something to undo
    Redo,       // something to redo
    Selection,  // a non-empty selection
    Paste,      // text on the clipboard
    Program,    // the text is a program
    Breakpoint, // the document has a breakpoint
};

struct TMainProgram::ActionDef
{
    const char *name;
    const char *caption; // built-in caption until a language file replaces it
    const char *shortcut;
    const char *icon;    // theme icon name, or "" for none
    const char *glyph;   // drawn image when there is no theme icon
    Rule rule;
};

namespace {

constexpr int HelpContextMenuBar = 6910;
constexpr int HelpContextToolBar = 6920;
constexpr int HelpContextInsertBar = 6930;
constexpr int HelpContextCommandTree = 6940;
constexpr int HelpContextSymbolGrid = 6950;
constexpr int HelpContextStatusBar = 6970;
const QColor WindowBackground(0xDC, 0xDC, 0xDC);

} // namespace

void SetApplicationNames()
{
    QApplication::setOrganizationName(QStringLiteral("HPQuorvane"));
    QApplication::setApplicationName(QStringLiteral("HPQuorvane"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVANE_VERSION));
}

bool HandOverToRunningEditor(const QStringList &files)
{
    if (files.isEmpty())
        return SingleInstance::handOver(QString());
    // The first file tells whether an editor runs; it then takes them all.
    if (!SingleInstance::handOver(files.first()))
        return false;
    for (const QString &file : files.mid(1))
        SingleInstance::handOver(file);
    return true;
}

TMainProgram::TMainProgram(QWidget *parent)
    : QMainWindow(parent)
    , m_mru(4)
{
    setObjectName("MainProgram");
    SetAppWindow(this);
    // No message box may be blank, not even the one that reports a missing
    // language file before any has been read.
    InstallBuiltInMessagesAndLabels();
    InstallFontSubstitutions();
    ToolIcons::useIconTheme();
    setWindowTitle(QString::fromLatin1(AppTitle));
    setWindowIcon(ToolIcons::themed("accessories-calculator"));
    QFont windowFont(QStringLiteral("Tahoma"), 8);
    setFont(windowFont);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, WindowBackground);
    setPalette(pal);
    setDockOptions(QMainWindow::AnimatedDocks);

    // Creation order: the highlighter comes first, then the program folder,
    // the settings and everything that depends on them.
    m_highlighter = new TSynQuorvaneSyn(this);
    m_highlighter->setStartupColors();
    LoadSettings();

    createActions();
    createMenus();
    createToolBars();
    createDock();
    createStatusBar();

    m_documents = new DocumentPanel(m_mru, this);
    m_documents->setPopupMenu(m_popupMenu);
    // Every editor colours its text with the shared highlighter, or not at all.
    m_documents->setEditorSetup([this](DocumentEditor *editor) {
        SetEditorHighlighter(editor, Settings().editor.UseHighlight ? m_highlighter : nullptr);
        // A menu's shortcut does what the menu says, in the editor too.
        QList<QKeySequence> keys;
        for (QAction *action : std::as_const(m_actions))
            keys << action->shortcuts();
        editor->releaseKeys(keys);
    });
    auto *client = new QWidget(this);
    client->setObjectName("ClientArea");
    client->setAutoFillBackground(true);
    auto *clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    clientLayout->addWidget(m_documents);
    setCentralWidget(client);

    // The command tree and the symbols draw in the editor font.
    const QFont editorFont(Settings().editor.FontEditor, 9);
    m_treeCommands->setFont(editorFont);
    m_symbolGrid->setFont(editorFont);
    resizeDocks({m_commandsBar}, {Settings().environment.PanelWidth}, Qt::Horizontal);
    createCommandReference();

    // The most-recently-used list lives in the "Editor" section.
    {
        SettingsStore store;
        m_mru.load(store, "Editor", "History");
    }
    UpdateMruMenu();
    ListLanguageFiles();
    LanguageFilePath = AppFolder() + "Languages/" + Settings().environment.Language + ".lng";
    createLanguageTexts();
    LoadMainWindowTexts();

    ApplyViewBars();
    connectCommands();

    m_instanceServer = new InstanceServer(this);
    connect(m_instanceServer, &InstanceServer::fileReceived, this, &TMainProgram::ReceiveFile);
    m_instanceServer->listen();

    UpdateTitleAndStatus();
    UpdateActions();
}

TMainProgram::~TMainProgram()
{
    if (AppWindow() == this)
        SetAppWindow(nullptr);
}

// ---------------------------------------------------------------- actions

void TMainProgram::createActions()
{
    using R = Rule;
    static const ActionDef defs[] = {
        {"FileNew", "Otro objeto", "Ctrl+N", "document-new", "", R::Never},
        {"FileNewDirectory", "Directorio", "", "folder-new", "", R::Never},
        {"FileNewProgram", "Programa", "", "", "\u00AB\u00BB", R::Never},
        {"FileNewLibrary", "Librería", "", "", "LIB", R::Never},
        {"FileNewArray", "Arreglo", "", "", "[ ]", R::Never},
        {"FileNewGrob", "Gráfico", "", "insert-image", "", R::Never},
        {"FileOpen", "Abrir...", "Ctrl+O", "document-open", "", R::Never},
        {"FileClose", "Cerrar", "", "window-close", "", R::Document},
        {"FileCloseAll", "Cerrar todo", "", "", "", R::Document},
        {"FileSave", "Guardar", "Ctrl+S", "document-save", "", R::Modified},
        {"FileSaveAs", "Guardar como...", "", "document-save-as", "", R::Document},
        {"FileImport", "Importar...", "", "go-down", "", R::Never},
        {"FileExport", "Exportar...", "", "go-up", "", R::NotEmpty},
        {"FileSendToHP", "Enviar a la calculadora...", "", "document-send", "", R::NotEmpty},
        {"FilePrint", "Imprimir...", "Ctrl+P", "document-print", "", R::Document},
        {"FilePreview", "Vista previa...", "Ctrl+Alt+P", "document-print-preview", "", R::Document},
        {"FileExportPdf", "Exportar como PDF...", "", "x-office-document", "", R::Document},
        {"FilePageSetup", "Configurar página...", "", "document-page-setup", "", R::Never},
        {"FileExit", "Salir", "", "application-exit", "", R::Never},
        {"EditUndo", "Deshacer", "Ctrl+Z", "edit-undo", "", R::Undo},
        {"EditRedo", "Rehacer", "Ctrl+Y", "edit-redo", "", R::Redo},
        {"EditCut", "Cortar", "Ctrl+X", "edit-cut", "", R::Selection},
        {"EditCopy", "Copiar", "Ctrl+C", "edit-copy", "", R::Selection},
        {"EditPaste", "Pegar", "Ctrl+V", "edit-paste", "", R::Paste},
        {"EditSelectAll", "Seleccionar Todo", "Ctrl+A", "edit-select-all", "", R::Document},
        {"EditToUpper", "Convertir a mayúsculas", "Ctrl+Alt+U", "", "AB", R::Selection},
        {"EditToLower", "Convertir a minúsculas", "Ctrl+Alt+L", "", "ab", R::Selection},
        {"EditComment", "Colocar/Quitar comentario", "Ctrl+Alt+C", "", "@", R::Document},
        {"EditTransferCodes", "Convertir códigos de transferencia", "", "", "\\\u00AB", R::NotEmpty},
        {"SearchFind", "Buscar", "Ctrl+F", "edit-find", "", R::NotEmpty},
        {"SearchFindNext", "Buscar Siguiente               ", "F3", "go-next", "", R::FindAgain},
        {"SearchFindPrev", "Buscar Anterior", "Shift+F3", "go-previous", "", R::FindAgain},
        {"SearchReplace", "Reemplazar", "F4", "edit-find-replace", "", R::NotEmpty},
        {"SearchGoTo", "Ir a la línea...", "Ctrl+G", "go-jump", "", R::Document},
        {"ViewToolBar", "Barra de Herramientas Estándar", "", "", "", R::Never},
        {"ViewInsertBar", "Barra de Inserción de Objetos", "", "", "", R::Never},
        {"ViewCommandsBar", "Barra de Comandos", "", "", "", R::Never},
        {"ViewSymbolsBar", "Barra de Símbolos", "", "", "", R::Never},
        {"ViewStatusBar", "Barra de Estado", "", "", "", R::Never},
        {"ViewLineNumbers", "Números de Línea", "Ctrl+L", "", "", R::Document},
        {"InsertProgram", "Programa", "", "", "\u00AB\u00BB", R::Document},
        {"InsertSubprogram", "Programa con argumentos", "", "", "\u00AB\u2192", R::Document},
        {"InsertString", "Cadena de caracteres", "", "", "\"\"", R::Document},
        {"InsertEquation", "Objeto algebraico", "", "", "''", R::Document},
        {"InsertEquation50", "Objeto algebraico HP50", "", "", "``", R::Document},
        {"InsertList", "Listas", "", "", "{}", R::Document},
        {"InsertArray", "Matriz", "", "", "[]", R::Document},
        {"InsertComplex", "Número complejo", "", "", "(,)", R::Document},
        {"InsertComplexPolar", "Número complejo polar", "", "", "(\u2220)", R::Document},
        {"InsertDirectory", "Directorio", "", "", "DIR", R::Document},
        {"InsertLibrary", "Librería", "", "", "LIB", R::Document},
        {"InsertLocal", "", "", "", "\u2192", R::Document},
        {"InsertPublic", "", "", "", "\u2190", R::Document},
        {"InsertStoAlg", "", "", "", "\u25B6", R::Document},
        {"InsertStoRpl", "STO", "", "", "STO", R::Document},
        {"InsertstoPlus", "STO+", "", "", "STO+", R::Document},
        {"InsertStoMinus", "STO-", "", "", "STO-", R::Document},
        {"InsertIf", "IF...THEN...END", "", "", "IF", R::Document},
        {"InsertIfte", "IF...THEN...ELSE...END", "", "", "IFE", R::Document},
        {"InsertIfIFT", "IFT", "", "", "IFT", R::Document},
        {"InsertIfIFTE", "IFTE", "", "", "IFTE", R::Document},
        {"InsertIfErr", "IFERR...THEN...END", "", "", "ERR", R::Document},
        {"InsertIfErrte", "IFERR...THEN...ELSE...END", "", "", "ERR", R::Document},
        {"InsertCase", "CASE...THEN...END..END", "", "", "CASE", R::Document},
        {"InsertCaseT", "THEN...END", "", "", "THEN", R::Document},
        {"InsertStart", "START...NEXT", "", "", "STRT", R::Document},
        {"InsertStartStep", "START...STEP", "", "", "STEP", R::Document},
        {"InsertFor", "FOR...NEXT", "", "", "FOR", R::Document},
        {"InsertForStep", "FOR...STEP", "", "", "FOR", R::Document},
        {"InsertDo", "DO...UNTIL...END", "", "", "DO", R::Document},
        {"InsertDoErr", "DOERR", "", "", "DERR", R::Document},
        {"InsertWhile", "WHILE...REPEAT...END", "", "", "WHL", R::Document},
        {"EmuRun", "Iniciar emulador", "", "accessories-calculator", "", R::Never},
        {"EmuSend", "Enviar al emulador...", "Ctrl+E", "mail-send", "", R::NotEmpty},
        {"EmuProgramRun", "Ejecutar programa", "F9", "media-playback-start", "", R::Program},
        {"EmuProgramParam", "Parámetros...", "", "document-properties", "", R::Program},
        {"EmuProgramStep", "Ejecutar programa paso a paso", "F8", "media-skip-forward", "", R::Program},
        {"EmuStop", "Detener el programa", "Shift+F9", "media-playback-stop", "", R::Never},
        {"EmuProgramBreak", "Alternar punto de interrupción", "", "media-record", "", R::Program},
        {"EmuClearBreak", "Borrar punto de interrupción", "", "edit-clear", "", R::Breakpoint},
        {"ToolsProgram", "Constructor...", "", "", "\u25A1\u2192", R::Document},
        {"ToolsMatrixWriter", "Editor de matrices", "Ctrl+F4", "", "[[]]", R::Document},
        {"ToolsPicture", "Editor de gráficos...", "Ctrl+F8", "applications-graphics", "", R::Document},
        {"ToolsInput", "Asistente para INPUT", "Ctrl+F5", "", "INP", R::Document},
        {"ToolsChoose", "Asistente para CHOOSE", "Ctrl+F6", "", "CHS", R::Document},
        {"ToolsInform", "Asistente para INFORM", "Ctrl+F7", "", "INF", R::Document},
        {"OptionsEnvironment", "Opciones del entorno...", "", "preferences-system", "", R::Never},
        {"OptionsEditor", "Opciones del editor...", "", "preferences-desktop-font", "", R::Never},
        {"HelpIndex", "Contenido", "F1", "help-contents", "", R::Never},
        {"HelpFaq", "Preguntas frecuentes", "", "help-faq", "", R::Never},
        {"HelpWeb", "HPQuorvane en la Web", "", "web-browser", "", R::Never},
        {"HelpTipOfDay", "Sugerencia del día...", "", "dialog-information", "", R::Never},
        {"HelpAbout", "Acerca de...", "", "help-about", "", R::Never},
        {"HelpWhatThisIs", "¿Qué es esto?", "", "dialog-question", "", R::Never},
    };
    for (const ActionDef &def : defs)
        addAction(def);

    for (const char *name :
         {"ViewToolBar", "ViewInsertBar", "ViewCommandsBar", "ViewSymbolsBar", "ViewStatusBar", "ViewLineNumbers"})
        Action(name)->setCheckable(true);
    Action("EmuProgramRun")->setIcon(ToolIcons::runGlyph(false));
    Action("EmuProgramStep")->setIcon(ToolIcons::runGlyph(true));

    // The language items: captions and visibility come from the files found.
    m_languageGroup = new QActionGroup(this);
    m_languageGroup->setExclusive(true);
    for (int i = 1; i <= 9; ++i) {
        const QString name = "Lang" + QString::number(i);
        const ActionDef def{nullptr, "", "", "", "", Rule::Never};
        QAction *a = addAction(def);
        a->setObjectName(name);
        m_actions.remove(QString());
        m_actions.insert(name, a);
        a->setCheckable(true);
        a->setVisible(false);
        m_languageGroup->addAction(a);
    }
}

QAction *TMainProgram::addAction(const ActionDef &def)
{
    auto *a = new QAction(QString::fromUtf8(def.caption), this);
    const QString name = def.name ? QString::fromLatin1(def.name) : QString();
    a->setObjectName(name);
    if (*def.shortcut)
        a->setShortcut(QKeySequence(QString::fromLatin1(def.shortcut)));
    if (*def.icon)
        a->setIcon(ToolIcons::themed(def.icon, QString::fromUtf8(def.glyph)));
    else if (*def.glyph)
        a->setIcon(ToolIcons::glyph(QString::fromUtf8(def.glyph)));
    if (a->text().isEmpty())
        a->setIconText(QString::fromUtf8(def.glyph));
    // Shortcuts work wherever the focus is inside the main window.
    a->setShortcutContext(Qt::WindowShortcut);
    m_actions.insert(name, a);
    m_rules.insert(a, def.rule);
    return a;
}

QAction *TMainProgram::Action(const QString &name) const
{
    QAction *a = m_actions.value(name);
    Q_ASSERT_X(a, "TMainProgram::Action", qPrintable(name));
    return a;
}

QList<QAction *> TMainProgram::actions() const
{
    return m_actions.values();
}

// ---------------------------------------------------------------- menus and bars

void TMainProgram::createMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName("MenuBar");
    bar->setProperty("helpContext", HelpContextMenuBar);
    auto add = [this](QMenu *menu, std::initializer_list<const char *> names) {
        for (const char *name : names) {
            if (*name == '|')
                menu->addSeparator();
            else
                menu->addAction(Action(name));
        }
    };

    m_fileMenu = bar->addMenu(tr("&Archivo"));
    m_fileMenu->setObjectName("MenuFile");
    m_newMenu = m_fileMenu->addMenu(ToolIcons::themed("document-new"), tr("Nuevo"));
    m_newMenu->setObjectName("MenuFileNewMenu");
    add(m_newMenu, {"FileNewDirectory", "FileNewProgram", "FileNewLibrary", "FileNewArray", "FileNewGrob", "FileNew"});
    add(m_fileMenu,
        {"FileOpen", "FileClose", "FileCloseAll", "|", "FileSave", "FileSaveAs", "|", "FileImport", "FileExport",
         "|", "FileSendToHP", "|", "FilePrint", "FilePreview", "FileExportPdf", "FilePageSetup"});
    m_mruSeparator = m_fileMenu->addSeparator();
    m_fileMenu->addSeparator();
    add(m_fileMenu, {"FileExit"});

    QMenu *edit = bar->addMenu(tr("&Edición"));
    edit->setObjectName("MenuEdit");
    add(edit,
        {"EditUndo", "EditRedo", "|", "EditCut", "EditCopy", "EditPaste", "|", "EditSelectAll", "|",
         "EditToUpper", "EditToLower", "|", "EditComment", "EditTransferCodes"});

    QMenu *search = bar->addMenu(tr("&Buscar"));
    search->setObjectName("MenuSearch");
    add(search, {"SearchFind", "SearchFindNext", "SearchFindPrev", "|", "SearchReplace", "|", "SearchGoTo"});

    QMenu *view = bar->addMenu(tr("&Ver"));
    view->setObjectName("MenuView");
    add(view, {"ViewToolBar", "ViewInsertBar", "ViewCommandsBar", "ViewSymbolsBar", "ViewStatusBar", "|",
               "ViewLineNumbers"});

    QMenu *insert = bar->addMenu(tr("&Insertar"));
    insert->setObjectName("MenuInsert");
    add(insert,
        {"InsertProgram", "InsertSubprogram", "InsertString", "InsertEquation", "InsertEquation50", "InsertList",
         "InsertArray", "InsertComplex", "InsertComplexPolar", "InsertDirectory", "InsertLibrary"});
    auto sub = [&](const char *title, std::initializer_list<const char *> names) {
        QMenu *m = insert->addMenu(QString::fromLatin1(title));
        m->setObjectName(QStringLiteral("MenuInsert") + QString::fromLatin1(title));
        add(m, names);
    };
    sub("IF", {"InsertIf", "InsertIfte", "InsertIfIFT", "InsertIfIFTE"});
    sub("CASE", {"InsertCase", "InsertCaseT"});
    sub("START", {"InsertStart", "InsertStartStep"});
    sub("FOR", {"InsertFor", "InsertForStep"});
    sub("WHILE", {"InsertWhile"});
    sub("DO", {"InsertDo", "InsertDoErr"});
    sub("IFERR", {"InsertIfErr", "InsertIfErrte"});

    QMenu *emulator = bar->addMenu(tr("E&mulador"));
    emulator->setObjectName("MenuEmulator");
    add(emulator,
        {"EmuRun", "EmuSend", "|", "EmuProgramRun", "EmuProgramParam", "|", "EmuProgramStep", "EmuStop", "|",
         "EmuProgramBreak", "EmuClearBreak"});

    QMenu *tools = bar->addMenu(tr("&Herramientas"));
    tools->setObjectName("MenuTools");
    add(tools, {"ToolsProgram", "|", "ToolsMatrixWriter", "ToolsPicture", "|", "ToolsInput", "ToolsChoose",
                "ToolsInform"});

    QMenu *options = bar->addMenu(tr("&Opciones"));
    options->setObjectName("MenuOptions");
    add(options, {"OptionsEnvironment", "|", "OptionsEditor"});
    m_languageMenu = options->addMenu(tr("Idioma"));
    m_languageMenu->setObjectName("MenuOptionsLanguage");
    for (int i = 1; i <= 9; ++i)
        m_languageMenu->addAction(Action("Lang" + QString::number(i)));

    QMenu *help = bar->addMenu(tr("A&yuda"));
    help->setObjectName("MenuHelp");
    add(help, {"HelpIndex", "HelpFaq", "HelpWeb", "|", "HelpTipOfDay", "|", "HelpAbout"});

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName("PopupMenu");
    add(m_popupMenu,
        {"FileClose", "|", "FileSave", "FileSaveAs", "|", "FilePrint", "FilePreview", "|", "EditCut", "EditCopy",
         "EditPaste", "|", "EditToUpper", "EditToLower", "|", "EditComment", "|", "EmuProgramRun", "|",
         "OptionsEditor"});
}

QToolBar *TMainProgram::makeToolBar(const QString &name)
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(name);
    bar->setIconSize(QSize(20, 20));
    bar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

void TMainProgram::addSplitButton(QToolBar *bar, const QString &main, const QStringList &items)
{
    auto *button = new QToolButton(bar);
    button->setDefaultAction(Action(main));
    auto *menu = new QMenu(button);
    for (const QString &item : items)
        menu->addAction(Action(item));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setAutoRaise(true);
    bar->addWidget(button);
}

void TMainProgram::createToolBars()
{
    m_toolBar = makeToolBar("ToolBar");
    m_toolBar->setWindowTitle(Action("ViewToolBar")->text());
    m_toolBar->setProperty("helpContext", HelpContextToolBar);
    addSplitButton(m_toolBar, "FileNew",
                   {"FileNewDirectory", "FileNewProgram", "FileNewLibrary", "FileNewArray", "FileNewGrob"});
    auto add = [](QToolBar *bar, TMainProgram *w, std::initializer_list<const char *> names) {
        for (const char *name : names) {
            if (*name == '|')
                bar->addSeparator();
            else
                bar->addAction(w->Action(name));
        }
    };
    add(m_toolBar, this,
        {"FileOpen", "FileSave", "|", "FileImport", "FileExport", "FileSendToHP", "|", "FilePrint", "FilePreview",
         "|", "EditCut", "EditCopy", "EditPaste", "|", "EditUndo", "EditRedo", "|", "EmuRun", "EmuSend", "|",
         "EmuProgramRun", "EmuProgramStep", "EmuProgramBreak", "|", "SearchFind", "SearchReplace", "|",
         "OptionsEnvironment", "OptionsEditor", "|", "HelpAbout", "HelpIndex", "|", "HelpWhatThisIs"});

    addToolBarBreak(Qt::TopToolBarArea);
    m_insertBar = makeToolBar("InsertBar");
    m_insertBar->setWindowTitle(Action("ViewInsertBar")->text());
    m_insertBar->setProperty("helpContext", HelpContextInsertBar);
    add(m_insertBar, this, {"InsertProgram", "InsertSubprogram", "InsertString"});
    addSplitButton(m_insertBar, "InsertEquation", {"InsertEquation", "InsertEquation50"});
    addSplitButton(m_insertBar, "InsertList", {"InsertList"});
    addSplitButton(m_insertBar, "InsertArray", {"InsertArray"});
    addSplitButton(m_insertBar, "InsertComplex", {"InsertComplex", "InsertComplexPolar"});
    addSplitButton(m_insertBar, "InsertDirectory", {"InsertDirectory", "InsertLibrary"});
    addSplitButton(m_insertBar, "InsertLocal",
                   {"InsertPublic", "InsertStoAlg", "InsertStoRpl", "InsertstoPlus", "InsertStoMinus"});
    addSplitButton(m_insertBar, "InsertIf", {"InsertIf", "InsertIfte", "InsertIfIFT", "InsertIfIFTE"});
    addSplitButton(m_insertBar, "InsertCase", {"InsertCase", "InsertCaseT"});
    addSplitButton(m_insertBar, "InsertStart", {"InsertStart", "InsertStartStep"});
    addSplitButton(m_insertBar, "InsertFor", {"InsertFor", "InsertForStep"});
    addSplitButton(m_insertBar, "InsertWhile", {"InsertWhile"});
    addSplitButton(m_insertBar, "InsertDo", {"InsertDo", "InsertDoErr"});
    addSplitButton(m_insertBar, "InsertIfErrte", {"InsertIfErr", "InsertIfErrte"});
    m_insertBar->addSeparator();
    add(m_insertBar, this,
        {"ToolsProgram", "ToolsMatrixWriter", "ToolsPicture", "ToolsInput", "ToolsChoose", "ToolsInform"});
}

void TMainProgram::createDock()
{
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    auto makeDock = [this](const char *name, const QString &title, QWidget *content) {
        auto *dock = new QDockWidget(title, this);
        dock->setObjectName(QString::fromLatin1(name));
        dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
        dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        dock->setWidget(content);
        addDockWidget(Qt::LeftDockWidgetArea, dock, Qt::Vertical);
        return dock;
    };

    m_treeCommands = new QTreeWidget;
    m_treeCommands->setObjectName("TreeCommands");
    m_treeCommands->setHeaderHidden(true);
    m_treeCommands->setProperty("helpContext", HelpContextCommandTree);
    m_commandsBar = makeDock("CommandsBar", Action("ViewCommandsBar")->text(), m_treeCommands);

    // The stack-diagram panel: a tab strip over the two grids of arguments
    // and results, numbered from the top down to level 1.
    auto *stackContent = new QWidget;
    stackContent->setObjectName("StackContent");
    auto *stackLayout = new QVBoxLayout(stackContent);
    stackLayout->setContentsMargins(0, 0, 0, 0);
    stackLayout->setSpacing(0);
    auto *tabSet = new QTabBar;
    tabSet->setObjectName("TabSet");
    tabSet->setFixedHeight(18);
    tabSet->setDrawBase(false);
    stackLayout->addWidget(tabSet);
    auto *stackPanel = new QWidget;
    stackPanel->setObjectName("StackPanel");
    auto *panelLayout = new QVBoxLayout(stackPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    auto makeGrid = [](const char *name) {
        auto *grid = new QTableWidget(5, 2);
        grid->setObjectName(QString::fromLatin1(name));
        grid->horizontalHeader()->hide();
        grid->verticalHeader()->hide();
        grid->setShowGrid(false);
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionMode(QAbstractItemView::NoSelection);
        grid->setFocusPolicy(Qt::NoFocus);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->verticalHeader()->setMinimumSectionSize(12);
        grid->verticalHeader()->setDefaultSectionSize(12);
        grid->setColumnWidth(0, 17);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->setFixedHeight(60);
        grid->setFrameShape(QFrame::NoFrame);
        for (int row = 0; row < grid->rowCount(); ++row)
            grid->setItem(row, 0, new QTableWidgetItem(QString::number(grid->rowCount() - row) + ':'));
        return grid;
    };
    m_stackViewIn = makeGrid("StackViewIn");
    m_stackViewOut = makeGrid("StackViewOut");
    auto *line = new QFrame;
    line->setObjectName("ShapeLine");
    line->setFrameShape(QFrame::HLine);
    line->setFixedHeight(1);
    panelLayout->addWidget(m_stackViewIn);
    panelLayout->addWidget(line);
    panelLayout->addWidget(m_stackViewOut);
    stackLayout->addWidget(stackPanel);
    m_stackBar = makeDock("StackBar", tr("Diagrama de pila"), stackContent);

    m_symbolGrid = new QTableWidget;
    m_symbolGrid->setObjectName("StringGrid");
    m_symbolGrid->horizontalHeader()->hide();
    m_symbolGrid->verticalHeader()->hide();
    m_symbolGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_symbolGrid->setProperty("helpContext", HelpContextSymbolGrid);
    m_symbolsBar = makeDock("SymbolsBar", Action("ViewSymbolsBar")->text(), m_symbolGrid);
}

namespace {

// Message 5 names a file that is missing; the data files are read before any
// language file, so a built-in text stands in while it is still empty.
QString missingFileText()
{
    return Message(MsgFileNotFound).isEmpty() ? QStringLiteral("No se encuentra el archivo %s") : Message(MsgFileNotFound);
}

} // namespace

void TMainProgram::createCommandReference()
{
    CommandReferenceWidgets widgets;
    widgets.commandsBar = m_commandsBar;
    widgets.stackBar = m_stackBar;
    widgets.symbolsBar = m_symbolsBar;
    widgets.treeCommands = m_treeCommands;
    widgets.tabSet = m_stackBar->findChild<QTabBar *>("TabSet");
    widgets.stackPanel = m_stackBar->findChild<QWidget *>("StackPanel");
    widgets.stackViewIn = m_stackViewIn;
    widgets.stackViewOut = m_stackViewOut;
    widgets.stackLine = m_stackBar->findChild<QWidget *>("ShapeLine");
    widgets.stringGrid = m_symbolGrid;
    m_reference = new CommandReferencePanels(widgets, *this, this);
    // The panel is as tall as its tab strip and its two grids, whose rows
    // the reference sized for its font: no level is cut.
    QWidget *stackContent = m_stackBar->widget();
    for (QWidget *w : {widgets.stackPanel, stackContent}) {
        w->layout()->invalidate();
        w->layout()->activate();
    }
    stackContent->setFixedHeight(stackContent->sizeHint().height());
    connect(m_reference, &CommandReferencePanels::panelWidthChanged, this,
            [](int width) { Settings().environment.PanelWidth = width; });

    const QString tree = Settings().environment.TreeViewFilename;
    if (!m_reference->LoadCommandTree(tree))
        ShowAppMessage(FormatText(missingFileText(), {tree}), QMessageBox::Critical);
    LoadStackDiagrams();
}

void TMainProgram::LoadStackDiagrams()
{
    const QString path = AppFolder() + "Templates/"
        + (Settings().environment.DefaultEmulator ? "UserRPL48.stk" : "UserRPL49.stk");
    if (!m_reference->LoadStackDiagrams(path))
        ShowAppMessage(FormatText(missingFileText(), {path}), QMessageBox::Critical);
}

void TMainProgram::createStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName("StatusBar");
    bar->setProperty("helpContext", HelpContextStatusBar);
    const int widths[3] = {70, 80, 120};
    for (int i = 0; i < 4; ++i) {
        auto *panel = new QLabel(bar);
        panel->setObjectName("StatusPanel" + QString::number(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        if (i < 3) {
            panel->setFixedWidth(widths[i]);
            panel->setAlignment(Qt::AlignCenter);
            bar->addWidget(panel);
        } else {
            panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            bar->addWidget(panel, 1);
        }
        m_statusPanels[i] = panel;
    }
}

QLabel *TMainProgram::StatusPanel(int index) const
{
    return index >= 0 && index < 4 ? m_statusPanels[index] : nullptr;
}

void TMainProgram::connectCommands()
{
    connect(Action("FileNew"), &QAction::triggered, this, &TMainProgram::FileNewExecute);
    connect(Action("FileOpen"), &QAction::triggered, this, &TMainProgram::FileOpenExecute);
    connect(Action("FileSave"), &QAction::triggered, this, &TMainProgram::FileSaveExecute);
    connect(Action("FileSaveAs"), &QAction::triggered, this, &TMainProgram::FileSaveAsExecute);
    connect(Action("FileClose"), &QAction::triggered, this, &TMainProgram::FileCloseExecute);
    connect(Action("FileCloseAll"), &QAction::triggered, this, &TMainProgram::FileCloseAllExecute);
    connect(Action("FileExit"), &QAction::triggered, this, &QWidget::close);
    connect(Action("ViewLineNumbers"), &QAction::triggered, this, &TMainProgram::ViewLineNumbersExecute);
    connect(Action("OptionsEditor"), &QAction::triggered, this, &TMainProgram::OptionsEditorExecute);
    for (const char *name : {"ViewToolBar", "ViewInsertBar", "ViewCommandsBar", "ViewSymbolsBar", "ViewStatusBar"}) {
        QAction *toggle = Action(name);
        connect(toggle, &QAction::triggered, this, [this, toggle] { ViewBarExecute(toggle); });
    }
    // A bar closed with its own button unticks its View item.
    auto follow = [this](QWidget *bar, const char *name) {
        QAction *toggle = Action(name);
        auto sync = [this, toggle, bar] {
            if (!m_settingBars && !bar->isVisible() && toggle->isChecked() && isVisible())
                toggle->setChecked(false);
        };
        if (auto *dock = qobject_cast<QDockWidget *>(bar))
            connect(dock, &QDockWidget::visibilityChanged, this, [sync](bool) { sync(); });
        else if (auto *tool = qobject_cast<QToolBar *>(bar))
            connect(tool, &QToolBar::visibilityChanged, this, [sync](bool) { sync(); });
    };
    follow(m_toolBar, "ViewToolBar");
    follow(m_insertBar, "ViewInsertBar");
    follow(m_commandsBar, "ViewCommandsBar");
    follow(m_symbolsBar, "ViewSymbolsBar");
    connect(m_commandsBar, &QDockWidget::visibilityChanged, this, [this](bool) {
        if (!m_settingBars && isVisible() && !m_commandsBar->isVisible() && !m_commandsBar->isFloating())
            m_stackBar->setVisible(false);
    });
    connect(m_stackBar, &QDockWidget::visibilityChanged, this, [this](bool) {
        if (!m_settingBars && isVisible() && !m_stackBar->isVisible() && Action("ViewCommandsBar")->isChecked()
            && !m_stackBar->isFloating()) {
            // The stack diagrams follow the command tree; closing them closes both.
            Action("ViewCommandsBar")->setChecked(false);
            ApplyViewBars();
        }
    });

    // Each subsystem connects the commands it owns (see CommandHost).
    m_editing = new EditingCommands(*this);
    // The calculator is stopped and destroyed with the window, made or not.
    m_emulator = new EmulatorCommands(*this);
    new PrintingCommands(*this);
    new GeneratorCommands(*this);
    new LinkCommands(*this);
    new FlowchartCommands(*this);
    new EnvironmentCommands(*this);

    connect(Action("HelpIndex"), &QAction::triggered, this, &TMainProgram::HelpIndexExecute);
    connect(Action("HelpFaq"), &QAction::triggered, this, [this] { OpenHelp(QStringLiteral("FAQ")); });
    connect(Action("HelpWeb"), &QAction::triggered, this, [this] { OpenInBrowser(QUrl(QString::fromLatin1(Snippets::WebAddress))); });
    connect(Action("HelpWhatThisIs"), &QAction::triggered, this, [this] {
        // The next click opens the help topic of the control clicked.
        QWhatsThis::enterWhatsThisMode();
        qApp->installEventFilter(this);
    });

    connect(m_documents, &DocumentPanel::titleAndStatusChanged, this, &TMainProgram::UpdateTitleAndStatus);
    connect(m_documents, &DocumentPanel::documentsChanged, this, &TMainProgram::ScheduleActionUpdate);
    connect(m_documents, &DocumentPanel::activeTextChanged, this, &TMainProgram::ScheduleActionUpdate);
    connect(m_documents, &DocumentPanel::mruChanged, this, &TMainProgram::UpdateMruMenu);
    connect(m_documents, &DocumentPanel::charactersRefused, this, [](const QString &chars) {
        ShowAppMessage(FormatText(LanguageText("MainProgram", "CharactersRefused"), {chars}),
                       QMessageBox::Warning);
    });
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TMainProgram::ScheduleActionUpdate);
}

// ---------------------------------------------------------------- settings

void TMainProgram::LoadSettings()
{
    SettingsStore store;
    if (store.isDamaged()) {
        // Kept for the user to look at or mend, never read and never
        // overwritten; told once the window has its texts.
        QString why;
        const QString kept = store.setAsideDamaged(&why);
        QTimer::singleShot(0, this, [kept, why, path = store.fileName()] {
            ShowAppMessage(kept.isEmpty()
                               ? FormatText(LanguageText("MainProgram", "ReadFailure"), {path, why})
                               : FormatText(LanguageText("MainProgram", "SettingsDamaged"), {kept}),
                           QMessageBox::Warning);
        });
    }
    ReadSettings(store, Settings());
    m_highlighter->loadFromStore(store);
    LoadKeywordLists(*m_highlighter, Settings().environment.CommandsFilename, AppFolder());
    const EnvironmentSettings &env = Settings().environment;
    resize(env.WindowWidth, env.WindowHeight);
    move(env.WindowLeft, env.WindowTop);
    if (env.WindowState == 2)
        setWindowState(windowState() | Qt::WindowMaximized);
    else if (env.WindowState == 1)
        setWindowState(windowState() | Qt::WindowMinimized);
    // The View check marks are set once the actions exist (ApplyViewBars).
}

void TMainProgram::SaveSettings()
{
    SettingsStore store;
    SaveSettings(store);
    ReportSettingsWrite(store);
}

void TMainProgram::ReportSettingsWrite(SettingsStore &store)
{
    QString why;
    if (!store.sync(&why))
        ShowAppMessage(FormatText(LanguageText("MainProgram", "SettingsWriteFailure"), {store.fileName(), why}),
                       QMessageBox::Critical);
}

void TMainProgram::SaveSettings(SettingsStore &store)
{
    EnvironmentSettings &env = Settings().environment;
    env.ViewToolBar = Action("ViewToolBar")->isChecked();
    env.ViewInsertBar = Action("ViewInsertBar")->isChecked();
    env.ViewCommandsBar = Action("ViewCommandsBar")->isChecked();
    env.ViewSymbolsBar = Action("ViewSymbolsBar")->isChecked();
    env.ViewStatusBar = Action("ViewStatusBar")->isChecked();
    env.ViewLineNumbers = Action("ViewLineNumbers")->isChecked();
    // A maximised or minimised window keeps the bounds it returns to.
    const QRect bounds = isMaximized() || isMinimized() ? normalGeometry() : frameGeometry();
    env.WindowHeight = bounds.height();
    env.WindowWidth = bounds.width();
    env.WindowLeft = bounds.left();
    env.WindowTop = bounds.top();
    env.WindowState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    if (m_commandsBar->width() > 0 && m_commandsBar->isVisible())
        env.PanelWidth = m_commandsBar->width();

    WriteSettings(store, Settings());
    m_highlighter->saveToStore(store);
}

void TMainProgram::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    SettingsStore store;
    m_mru.save(store, "Editor", "History");
    SaveSettings(store);
    ReportSettingsWrite(store);
}

void TMainProgram::closeEvent(QCloseEvent *event)
{
    // Each modified document is offered for saving; a cancel keeps the window.
    if (!m_documents->CloseAllDocuments()) {
        event->ignore();
        return;
    }
    Shutdown();
    event->accept();
}

// ---------------------------------------------------------------- view

void TMainProgram::ApplyViewBars()
{
    const EnvironmentSettings &env = Settings().environment;
    if (!m_shutDown && !Action("ViewToolBar")->property("initialised").toBool()) {
        Action("ViewToolBar")->setChecked(env.ViewToolBar);
        Action("ViewInsertBar")->setChecked(env.ViewInsertBar);
        Action("ViewCommandsBar")->setChecked(env.ViewCommandsBar);
        Action("ViewSymbolsBar")->setChecked(env.ViewSymbolsBar);
        Action("ViewStatusBar")->setChecked(env.ViewStatusBar);
        Action("ViewLineNumbers")->setChecked(env.ViewLineNumbers);
        Action("ViewToolBar")->setProperty("initialised", true);
        m_documents->setLineNumbers(env.ViewLineNumbers);
    }
    m_settingBars = true;
    m_toolBar->setVisible(Action("ViewToolBar")->isChecked());
    m_insertBar->setVisible(Action("ViewInsertBar")->isChecked());
    m_commandsBar->setVisible(Action("ViewCommandsBar")->isChecked());
    m_stackBar->setVisible(Action("ViewCommandsBar")->isChecked());
    m_symbolsBar->setVisible(Action("ViewSymbolsBar")->isChecked());
    statusBar()->setVisible(Action("ViewStatusBar")->isChecked());
    m_settingBars = false;
}

void TMainProgram::ViewBarExecute(QAction *)
{
    // QAction has already toggled its check mark; every bar follows the marks.
    ApplyViewBars();
}

void TMainProgram::SetEditorDialog(TEditorDialog *dialog)
{
    m_editorDialog = dialog;
}

void TMainProgram::OptionsEditorExecute()
{
    if (!m_editorDialog || !m_editorDialog->Execute(Settings().editor))
        return;
    ApplyEditorOptions();
}

void TMainProgram::ApplyEditorOptions()
{
    m_documents->ApplyEditorSettings();
    TSynQuorvaneSyn *highlighter = Settings().editor.UseHighlight ? m_highlighter : nullptr;
    for (int i = 0; i < m_documents->count(); ++i)
        SetEditorHighlighter(m_documents->editor(i), highlighter);
    // The command tree and the symbols draw in the editor's face.
    for (QWidget *panel : {static_cast<QWidget *>(m_treeCommands), static_cast<QWidget *>(m_symbolGrid)}) {
        QFont font = panel->font();
        font.setFamily(Settings().editor.FontEditor);
        panel->setFont(font);
    }
}

void TMainProgram::ViewLineNumbersExecute()
{
    m_documents->setLineNumbers(Action("ViewLineNumbers")->isChecked());
    ScheduleActionUpdate();
}

// ---------------------------------------------------------------- enabling rule

void TMainProgram::ScheduleActionUpdate()
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    QTimer::singleShot(0, this, [this] {
        m_updatePending = false;
        UpdateActions();
    });
}

SearchState &TMainProgram::CurrentSearch()
{
    return m_editing->Search();
}

void TMainProgram::InsertSnippet(const QByteArray &text)
{
    DocumentEditor *editor = ActiveEditor();
    if (!editor)
        return;
    EditorOperations::insertSnippet(editor, text);
    editor->setFocus();
}

void TMainProgram::UpdateActions()
{
    DocumentEditor *editor = ActiveEditor();
    const bool open = editor != nullptr;
    QByteArray text;
    bool empty = true;
    bool program = false;
    if (open) {
        text = editor->textWithCrLf();
        empty = editor->isDocumentEmpty();
        program = IsProgramText(text);
        // A breakpoint only makes sense in a program.
        if (!program)
            m_documents->setBreakpointLine(m_documents->ActiveDocument(), -1);
    }
    bool clipboardText = false;
    if (open) {
        const QMimeData *mime = QApplication::clipboard()->mimeData();
        clipboardText = mime && mime->hasText();
    }

    for (auto it = m_rules.cbegin(); it != m_rules.cend(); ++it) {
        QAction *a = it.key();
        bool enabled = true;
        switch (it.value()) {
        case Rule::Never:
            enabled = true;
            break;
        case Rule::Document:
            enabled = open;
            break;
        case Rule::Modified:
            enabled = open && editor->isModified();
            break;
        case Rule::NotEmpty:
            enabled = open && !empty;
            break;
        case Rule::FindAgain:
            enabled = open && !empty && m_editing && m_editing->Search().canFindAgain();
            break;
        case Rule::Undo:
            enabled = open && !editor->isReadOnly() && editor->isUndoAvailable();
            break;
        case Rule::Redo:
            enabled = open && !editor->isReadOnly() && editor->isRedoAvailable();
            break;
        case Rule::Selection:
            enabled = open && editor->hasSelectedText();
            break;
        case Rule::Paste:
            enabled = open && !editor->isReadOnly() && clipboardText;
            break;
        case Rule::Program:
            enabled = open && program;
            break;
        case Rule::Breakpoint:
            enabled = open && m_documents->breakpointLine(m_documents->ActiveDocument()) >= 0;
            break;
        }
        a->setEnabled(enabled);
    }
    Action("ViewLineNumbers")->setChecked(open && editor->lineNumbersVisible());
    for (QDockWidget *dock : {m_commandsBar, m_stackBar, m_symbolsBar})
        dock->widget()->setEnabled(open);
}

// ---------------------------------------------------------------- documents

DocumentEditor *TMainProgram::ActiveEditor() const
{
    return m_documents ? m_documents->ActiveEditor() : nullptr;
}

void TMainProgram::UpdateTitleAndStatus()
{
    setWindowTitle(m_documents->windowTitle());
    for (int i = 0; i < 3; ++i)
        m_statusPanels[i]->setText(m_documents->statusText(i));
    ScheduleActionUpdate();
}

void TMainProgram::OpenStartupDocuments(const QStringList &files)
{
    if (files.isEmpty()) {
        OpenStartupDocument(QString());
        return;
    }
    for (const QString &file : files)
        m_documents->OpenDocument(file, true);
    UpdateActions();
}

void TMainProgram::OpenStartupDocument(const QString &argument)
{
    if (!argument.isEmpty())
        m_documents->OpenDocument(argument, true);
    else if (Settings().environment.NewFileOnStartup)
        FileNewExecute();
    UpdateActions();
}

void TMainProgram::ReceiveFile(const QString &argument)
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    if (!argument.isEmpty())
        m_documents->OpenDocument(argument, true);
    UpdateActions();
}

void TMainProgram::FileNewExecute()
{
    m_documents->NewDocument();
}

void TMainProgram::FileOpenExecute()
{
    EnvironmentSettings &env = Settings().environment;
    FileDialogOptions options;
    options.title = Label(LblOpenTitle);
    options.filter = DocumentPanel::fileDialogFilter();
    options.filterIndex = env.OpenFilterIndex;
    options.defaultExtension = QStringLiteral("hpe");
    const FileDialogResult result = Dialogs().openFile(options);
    if (!result.accepted)
        return;
    m_documents->OpenDocument(result.path, true);
    env.OpenFilterIndex = result.filterIndex;
}

void TMainProgram::FileSaveExecute()
{
    m_documents->SaveDocument();
}

void TMainProgram::FileSaveAsExecute()
{
    if (!m_documents->SaveDocumentAs())
        ShowAppMessage(Message(MsgNotSaved), QMessageBox::Critical);
}

void TMainProgram::FileCloseExecute()
{
    if (m_documents->AskSaveDocument())
        m_documents->CloseActiveDocument();
}

void TMainProgram::FileCloseAllExecute()
{
    m_documents->CloseAllDocuments();
}

void TMainProgram::UpdateMruMenu()
{
    for (QAction *a : std::as_const(m_mruActions)) {
        m_fileMenu->removeAction(a);
        a->deleteLater();
    }
    m_mruActions.clear();
    QAction *before = nullptr;
    const QList<QAction *> fileActions = m_fileMenu->actions();
    const qsizetype at = fileActions.indexOf(m_mruSeparator);
    if (at >= 0 && at + 1 < fileActions.size())
        before = fileActions[at + 1];
    int position = 1;
    for (const QString &path : m_mru.items()) {
        auto *a = new QAction(QStringLiteral("&%1 %2").arg(position++).arg(path), m_fileMenu);
        a->setObjectName("History" + QString::number(position - 1));
        connect(a, &QAction::triggered, this, [this, path] { m_documents->OpenDocument(path, true); });
        m_fileMenu->insertAction(before, a);
        m_mruActions << a;
    }
    m_mruSeparator->setVisible(!m_mruActions.isEmpty());
}

// ---------------------------------------------------------------- languages, hints, help

void TMainProgram::ListLanguageFiles()
{
    const QDir folder(AppFolder() + "Languages");
    const QStringList files = folder.entryList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name);
    for (int i = 1; i <= 9; ++i) {
        QAction *item = Action("Lang" + QString::number(i));
        if (i > files.size()) {
            item->setVisible(false);
            continue;
        }
        const QString fileName = QFileInfo(files[i - 1]).completeBaseName();
        // The setting keeps the file's name as it is; the item shows the
        // language's own name from inside the file. The menu would take an
        // "&" in it for a shortcut marker, and some desktops add markers of
        // their own to the shown text.
        const QString caption = LanguageFileName(TLanguageFile(folder.filePath(files[i - 1])));
        item->setData(fileName);
        item->setText(QString(caption).replace(u'&', QStringLiteral("&&")));
        item->setVisible(true);
        item->setChecked(fileName == Settings().environment.Language);
    }
}

bool TMainProgram::event(QEvent *event)
{
    // Hints go to status panel 3 instead of covering the four panels.
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TMainProgram::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::WhatsThis || event->type() == QEvent::QueryWhatsThis) {
        auto *widget = qobject_cast<QWidget *>(watched);
        for (QWidget *w = widget; w && event->type() == QEvent::WhatsThis; w = w->parentWidget()) {
            const QVariant context = w->property("helpContext");
            if (context.isValid()) {
                qApp->removeEventFilter(this);
                QWhatsThis::leaveWhatsThisMode();
                OpenHelp(context.toString());
                return true;
            }
        }
        if (event->type() == QEvent::QueryWhatsThis) {
            event->accept(); // every control answers with its topic
            return true;
        }
    }
    if (event->type() == QEvent::LeaveWhatsThisMode)
        qApp->removeEventFilter(this);
    return QMainWindow::eventFilter(watched, event);
}

void TMainProgram::ShowHint(const QString &hint)
{
    m_statusPanels[3]->setText(hint.isEmpty() ? QString() : ' ' + LongHint(hint));
}

void TMainProgram::HelpIndexExecute()
{
    // F1 opens the topic of the focused control when it has one.
    for (QWidget *w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        const QVariant context = w->property("helpContext");
        if (context.isValid()) {
            OpenHelp(context.toString());
            return;
        }
    }
    OpenHelp(QString());
}

void TMainProgram::OpenHelp(const QString &anchor)
{
    const QString index = AppFolder() + "help/index.html";
    if (!QFileInfo::exists(index)) {
        ShowAppMessage(FormatText(Message(MsgFileNotFound), {index}), QMessageBox::Critical);
        return;
    }
    QUrl url = QUrl::fromLocalFile(index);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    OpenInBrowser(url);
}

void TMainProgram::OpenInBrowser(const QUrl &url)
{
    // Without a web browser the system has nothing to open the page with;
    // silence would look like a dead key.
    if (!QDesktopServices::openUrl(url))
        ShowAppMessage(FormatText(LanguageText("MainProgram", "NoBrowser"), {url.toDisplayString()}),
                       QMessageBox::Warning);
}
