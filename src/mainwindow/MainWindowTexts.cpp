// The main window's texts: which key of the language file labels which menu,
// command, bar and panel, and the language change.

#include "mainwindow/MainProgram.h"

#include "documents/CommandReferencePanels.h"
#include "documents/DocumentPanel.h"

#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"

#include <QAction>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr int MaxLanguageName = 255;

// The button that a tool bar shows when its commands do not fit.
void setChevronHint(QToolBar *bar, const QString &hint)
{
    if (auto *chevron = bar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
        chevron->setToolTip(ShortHint(hint));
}

} // namespace

void TMainProgram::createLanguageTexts()
{
    auto menu = [this](const char *name) { return findChild<QMenu *>(QString::fromLatin1(name)); };
    auto hint = TextRole::Hint;

    m_windowTexts = new WindowTexts(this, "MainProgram", {
        {"MenusBarTitle", [this](const QString &t) { menuBar()->setAccessibleName(t); }},
        {"ToolBarChevronHint", [this](const QString &t) {
             setChevronHint(m_toolBar, t);
             setChevronHint(m_insertBar, t);
         }},
        {"ToolBarTitle", m_toolBar},
        {"InsertBarTitle", m_insertBar},
        {"CommandsWindowTitle", m_commandsBar},
        {"CommandsWindowHint", m_treeCommands, hint},
        {"CommandsFilterHint", [this](const QString &t) {
             if (QLineEdit *filter = m_reference ? m_reference->filterBox() : nullptr) {
                 filter->setPlaceholderText(ShortHint(t));
                 ApplyText(filter, TextRole::Hint, t);
             }
         }},
        {"StackWindowTitle", m_stackBar},
        {"StackWindowHint", [this](const QString &t) {
             ApplyText(m_stackViewIn, TextRole::Hint, t);
             ApplyText(m_stackViewOut, TextRole::Hint, t);
         }},
        {"SymbolsWindowTitle", m_symbolsBar},
        {"SymbolsWindowHint", m_symbolGrid, hint},
    });

    m_menuTexts = new WindowTexts(this, "Menus", {
        {"MenuFile", menu("MenuFile")},
        {"MenuFileNew", m_newMenu},
        {"MenuEdit", menu("MenuEdit")},
        {"MenuSearch", menu("MenuSearch")},
        {"MenuView", menu("MenuView")},
        {"MenuInsert", menu("MenuInsert")},
        {"MenuEmu", menu("MenuEmulator")},
        {"MenuTools", menu("MenuTools")},
        {"MenuOptions", menu("MenuOptions")},
        {"MenuHelp", menu("MenuHelp")},

        {"MenuFileNewOther", Action("FileNew")},
        {"MenuFileNewOtherTip", Action("FileNew"), hint},
        {"MenuFileNewDirectory", Action("FileNewDirectory")},
        {"MenuFileNewDirectoryTip", Action("FileNewDirectory"), hint},
        {"MenuFileNewProgram", Action("FileNewProgram")},
        {"MenuFileNewProgramTip", Action("FileNewProgram"), hint},
        {"MenuFileNewLibrary", Action("FileNewLibrary")},
        {"MenuFileNewLibraryTip", Action("FileNewLibrary"), hint},
        {"MenuFileNewArray", Action("FileNewArray")},
        {"MenuFileNewArrayTip", Action("FileNewArray"), hint},
        {"MenuFileNewGrob", Action("FileNewGrob")},
        {"MenuFileNewGrobTip", Action("FileNewGrob"), hint},
        {"MenuFileOpen", Action("FileOpen")},
        {"MenuFileOpenTip", Action("FileOpen"), hint},
        {"MenuFileClose", Action("FileClose")},
        {"MenuFileCloseTip", Action("FileClose"), hint},
        {"MenuFileCloseAll", Action("FileCloseAll")},
        {"MenuFileCloseAllTip", Action("FileCloseAll"), hint},
        {"MenuFileSave", Action("FileSave")},
        {"MenuFileSaveTip", Action("FileSave"), hint},
        {"MenuFileSaveAs", Action("FileSaveAs")},
        {"MenuFileSaveAsTip", Action("FileSaveAs"), hint},
        {"MenuFileImport", Action("FileImport")},
        {"MenuFileImportTip", Action("FileImport"), hint},
        {"MenuFileExport", Action("FileExport")},
        {"MenuFileExportTip", Action("FileExport"), hint},
        {"MenuFileSendToHP", Action("FileSendToHP")},
        {"MenuFileSendToHPTip", Action("FileSendToHP"), hint},
        {"MenuFilePrint", Action("FilePrint")},
        {"MenuFilePrintTip", Action("FilePrint"), hint},
        {"MenuFilePreview", Action("FilePreview")},
        {"MenuFilePreviewTip", Action("FilePreview"), hint},
        {"MenuFileExportPdf", Action("FileExportPdf")},
        {"MenuFileExportPdfTip", Action("FileExportPdf"), hint},
        {"MenuFilePageSetup", Action("FilePageSetup")},
        {"MenuFilePageSetupTip", Action("FilePageSetup"), hint},
        {"MenuFileExit", Action("FileExit")},
        {"MenuFileExitTip", Action("FileExit"), hint},

        {"MenuEditUndo", Action("EditUndo")},
        {"MenuEditUndoTip", Action("EditUndo"), hint},
        {"MenuEditRedo", Action("EditRedo")},
        {"MenuEditRedoTip", Action("EditRedo"), hint},
        {"MenuEditCut", Action("EditCut")},
        {"MenuEditCutTip", Action("EditCut"), hint},
        {"MenuEditCopy", Action("EditCopy")},
        {"MenuEditCopyTip", Action("EditCopy"), hint},
        {"MenuEditPaste", Action("EditPaste")},
        {"MenuEditPasteTip", Action("EditPaste"), hint},
        {"MenuEditSelectAll", Action("EditSelectAll")},
        {"MenuEditSelectAllTip", Action("EditSelectAll"), hint},
        {"MenuEditToUpper", Action("EditToUpper")},
        {"MenuEditToUpperTip", Action("EditToUpper"), hint},
        {"MenuEditToLower", Action("EditToLower")},
        {"MenuEditToLowerTip", Action("EditToLower"), hint},
        {"MenuEditComment", Action("EditComment")},
        {"MenuEditCommentTip", Action("EditComment"), hint},
        {"MenuEditTransferCodes", Action("EditTransferCodes")},
        {"MenuEditTransferCodesTip", Action("EditTransferCodes"), hint},

        {"MenuSearchFind", Action("SearchFind")},
        {"MenuSearchFindTip", Action("SearchFind"), hint},
        {"MenuSearchFindNext", Action("SearchFindNext")},
        {"MenuSearchFindNextTip", Action("SearchFindNext"), hint},
        {"MenuSearchFindPrevious", Action("SearchFindPrev")},
        {"MenuSearchFindPreviousTip", Action("SearchFindPrev"), hint},
        {"MenuSearchReplace", Action("SearchReplace")},
        {"MenuSearchReplaceTip", Action("SearchReplace"), hint},
        {"MenuSearchGoToLine", Action("SearchGoTo")},
        {"MenuSearchGoToLineTip", Action("SearchGoTo"), hint},

        {"MenuViewToolBar", Action("ViewToolBar")},
        {"MenuViewToolBarTip", Action("ViewToolBar"), hint},
        {"MenuViewInsertObjectsBar", Action("ViewInsertBar")},
        {"MenuViewInsertObjectsBarTip", Action("ViewInsertBar"), hint},
        {"MenuViewCommandsBar", Action("ViewCommandsBar")},
        {"MenuViewCommandsBarTip", Action("ViewCommandsBar"), hint},
        {"MenuViewSymbolsBar", Action("ViewSymbolsBar")},
        {"MenuViewSymbolsBarTip", Action("ViewSymbolsBar"), hint},
        {"MenuViewStatusBar", Action("ViewStatusBar")},
        {"MenuViewStatusBarTip", Action("ViewStatusBar"), hint},
        {"MenuViewNumberLine", Action("ViewLineNumbers")},
        {"MenuViewNumberLineTip", Action("ViewLineNumbers"), hint},

        {"MenuInsertProgram", Action("InsertProgram")},
        {"MenuInsertProgramTip", Action("InsertProgram"), hint},
        {"MenuInsertSubprogram", Action("InsertSubprogram")},
        {"MenuInsertSubprogramTip", Action("InsertSubprogram"), hint},
        {"MenuInsertString", Action("InsertString")},
        {"MenuInsertStringTip", Action("InsertString"), hint},
        {"MenuInsertEquation", Action("InsertEquation")},
        {"MenuInsertEquationTip", Action("InsertEquation"), hint},
        {"MenuInsertEquation50", Action("InsertEquation50")},
        {"MenuInsertEquation50Tip", Action("InsertEquation50"), hint},
        {"MenuInsertList", Action("InsertList")},
        {"MenuInsertListTip", Action("InsertList"), hint},
        {"MenuInsertMatrix", Action("InsertArray")},
        {"MenuInsertMatrixTip", Action("InsertArray"), hint},
        {"MenuInsertComplex", Action("InsertComplex")},
        {"MenuInsertComplexTip", Action("InsertComplex"), hint},
        {"MenuInsertComplexPolar", Action("InsertComplexPolar")},
        {"MenuInsertComplexPolarTip", Action("InsertComplexPolar"), hint},
        {"MenuInsertDirectory", Action("InsertDirectory")},
        {"MenuInsertDirectoryTip", Action("InsertDirectory"), hint},
        {"MenuInsertLibrary", Action("InsertLibrary")},
        {"MenuInsertLibraryTip", Action("InsertLibrary"), hint},
        {"MenuInsertLocal", Action("InsertLocal")},
        {"MenuInsertLocalTip", Action("InsertLocal"), hint},
        {"MenuInsertPublic", Action("InsertPublic")},
        {"MenuInsertPublicTip", Action("InsertPublic"), hint},
        {"MenuInsertStoAlg", Action("InsertStoAlg")},
        {"MenuInsertStoAlgTip", Action("InsertStoAlg"), hint},
        {"MenuInsertStoRpl", Action("InsertStoRpl")},
        {"MenuInsertStoRplTip", Action("InsertStoRpl"), hint},
        {"MenuInsertStoPlus", Action("InsertstoPlus")},
        {"MenuInsertStoPlusTip", Action("InsertstoPlus"), hint},
        {"MenuInsertStoMinus", Action("InsertStoMinus")},
        {"MenuInsertStoMinusTip", Action("InsertStoMinus"), hint},
        {"MenuInsertIf", Action("InsertIf")},
        {"MenuInsertIfTip", Action("InsertIf"), hint},
        {"MenuInsertIfElse", Action("InsertIfte")},
        {"MenuInsertIfElseTip", Action("InsertIfte"), hint},
        {"MenuInsertIfIFT", Action("InsertIfIFT")},
        {"MenuInsertIfIFTTip", Action("InsertIfIFT"), hint},
        {"MenuInsertIfIFTE", Action("InsertIfIFTE")},
        {"MenuInsertIfIFTETip", Action("InsertIfIFTE"), hint},
        {"MenuInsertCase", Action("InsertCase")},
        {"MenuInsertCaseTip", Action("InsertCase"), hint},
        {"MenuInsertCaseThen", Action("InsertCaseT")},
        {"MenuInsertCaseThenTip", Action("InsertCaseT"), hint},
        {"MenuInsertStart", Action("InsertStart")},
        {"MenuInsertStartTip", Action("InsertStart"), hint},
        {"MenuInsertStartStep", Action("InsertStartStep")},
        {"MenuInsertStartStepTip", Action("InsertStartStep"), hint},
        {"MenuInsertFor", Action("InsertFor")},
        {"MenuInsertForTip", Action("InsertFor"), hint},
        {"MenuInsertForStep", Action("InsertForStep")},
        {"MenuInsertForStepTip", Action("InsertForStep"), hint},
        {"MenuInsertDo", Action("InsertDo")},
        {"MenuInsertDoTip", Action("InsertDo"), hint},
        {"MenuInsertDoErr", Action("InsertDoErr")},
        {"MenuInsertDoErrTip", Action("InsertDoErr"), hint},
        {"MenuInsertWhile", Action("InsertWhile")},
        {"MenuInsertWhileTip", Action("InsertWhile"), hint},
        {"MenuInsertIfErr", Action("InsertIfErr")},
        {"MenuInsertIfErrTip", Action("InsertIfErr"), hint},
        {"MenuInsertIfErrElse", Action("InsertIfErrte")},
        {"MenuInsertIfErrElseTip", Action("InsertIfErrte"), hint},

        {"MenuEmuRun", Action("EmuRun")},
        {"MenuEmuRunTip", Action("EmuRun"), hint},
        {"MenuEmuSend", Action("EmuSend")},
        {"MenuEmuSendTip", Action("EmuSend"), hint},
        {"MenuEmuProgramRun", Action("EmuProgramRun")},
        {"MenuEmuProgramRunTip", Action("EmuProgramRun"), hint},
        {"MenuEmuProgramParam", Action("EmuProgramParam")},
        {"MenuEmuProgramParamTip", Action("EmuProgramParam"), hint},
        {"MenuEmuProgramStep", Action("EmuProgramStep")},
        {"MenuEmuProgramStepTip", Action("EmuProgramStep"), hint},
        {"MenuEmuStop", Action("EmuStop")},
        {"MenuEmuStopTip", Action("EmuStop"), hint},
        {"MenuEmuProgramBreak", Action("EmuProgramBreak")},
        {"MenuEmuProgramBreakTip", Action("EmuProgramBreak"), hint},
        {"MenuEmuClearBreak", Action("EmuClearBreak")},
        {"MenuEmuClearBreakTip", Action("EmuClearBreak"), hint},

        {"MenuToolsMatrixWriter", Action("ToolsMatrixWriter")},
        {"MenuToolsMatrixWriterTip", Action("ToolsMatrixWriter"), hint},
        {"MenuToolsInput", Action("ToolsInput")},
        {"MenuToolsInputTip", Action("ToolsInput"), hint},
        {"MenuToolsChoose", Action("ToolsChoose")},
        {"MenuToolsChooseTip", Action("ToolsChoose"), hint},
        {"MenuToolsInform", Action("ToolsInform")},
        {"MenuToolsInformTip", Action("ToolsInform"), hint},
        {"MenuToolsPicture", Action("ToolsPicture")},
        {"MenuToolsPictureTip", Action("ToolsPicture"), hint},
        {"MenuToolsBuilder", Action("ToolsProgram")},
        {"MenuToolsBuilderTip", Action("ToolsProgram"), hint},

        // Three hint keys do not follow the pattern; files spell them so.
        {"MenuOptionsEnvironment", Action("OptionsEnvironment")},
        {"MenuConfigEvironmentTip", Action("OptionsEnvironment"), hint},
        {"MenuOptionsEditor", Action("OptionsEditor")},
        {"MenuConfigEditorTip", Action("OptionsEditor"), hint},
        {"MenuOptionsLanguage", m_languageMenu},

        {"MenuHelpIndex", Action("HelpIndex")},
        {"MenuHelpIndexTip", Action("HelpIndex"), hint},
        {"MenuHelpFaq", Action("HelpFaq")},
        {"MenuHelpFaqTip", Action("HelpFaq"), hint},
        {"MenuHelpWeb", Action("HelpWeb")},
        {"MenuHelpWebTip", Action("HelpWeb"), hint},
        {"MenuHelpTipOfDay", Action("HelpTipOfDay")},
        {"MenuHelpTipDayTip", Action("HelpTipOfDay"), hint},
        {"MenuHelpAbout", Action("HelpAbout")},
        {"MenuHelpAboutTip", Action("HelpAbout"), hint},
        {"MenuHelpWhatThisIs", Action("HelpWhatThisIs")},
        {"MenuHelpWhatThisIsTip", Action("HelpWhatThisIs"), hint},
    });

    for (int i = 1; i <= 9; ++i) {
        QAction *item = Action("Lang" + QString::number(i));
        connect(item, &QAction::triggered, this, [this, item] { OptionsLanguageExecute(item); });
    }
}

void TMainProgram::LoadMainWindowTexts()
{
    TLanguageFile file(LanguageFilePath);
    if (!file.exists()) {
        // The built-in captions stay, and so do the messages and labels of
        // the file read before (or the built-in ones).
        ReportMissingLanguageFile(LanguageFilePath);
        return;
    }
    // Qt's own buttons and dialogs first, so the texts below win where both
    // name the same control.
    InstallToolkitTranslations(LanguageFileLocale(file));
    m_windowTexts->applyFrom(file);
    m_menuTexts->applyFrom(file);
    LoadMessages(file);
    LoadLabels(file);
    if (file.isDamaged())
        ReportDamagedLanguageFile(LanguageFilePath);
}

void TMainProgram::OptionsLanguageExecute(QAction *item)
{
    for (int i = 1; i <= 9; ++i)
        Action("Lang" + QString::number(i))->setChecked(false);
    item->setChecked(true);

    QString &language = Settings().environment.Language;
    const QString caption = item->data().isValid() ? item->data().toString() : item->text();
    language = caption.left(MaxLanguageName);
    LanguageFilePath = AppFolder() + "Languages/" + language + ".lng";

    LoadMainWindowTexts();
    ReloadLongLivedWindowTexts();
    // Untitled documents, the title and the status panels take the new
    // labels at once.
    m_documents->RenameUntitledDocuments();
    UpdateTitleAndStatus();
}
