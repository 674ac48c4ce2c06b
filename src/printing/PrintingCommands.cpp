#include "printing/PrintingCommands.h"

#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "printing/DlgPageSetup.h"
#include "printing/DlgPreview.h"
#include "shell/AppDialogs.h"
#include "shell/CommandHost.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QProgressDialog>

namespace {

// For exactly as long as a job runs: the busy cursor, and after a moment a
// window that counts the pages drawn (a long listing takes seconds).
class JobProgress
{
public:
    JobProgress(QWidget *window, PrintEngine &engine, const QString &title)
        : m_engine(engine)
        , m_dialog(window)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_dialog.setWindowTitle(title);
        m_dialog.setCancelButton(nullptr);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(500);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setValue(0);
        engine.setProgress([this](int page, int count) {
            m_dialog.setMaximum(count);
            m_dialog.setLabelText(FormatText(QStringLiteral("%s: %d"), {Label(LblPage), page}));
            m_dialog.setValue(page - 1);
        });
    }
    ~JobProgress()
    {
        m_engine.setProgress({});
        QApplication::restoreOverrideCursor();
    }

private:
    PrintEngine &m_engine;
    QProgressDialog m_dialog;
};

} // namespace

PrintingCommands::PrintingCommands(CommandHost &host)
    : QObject(host.Window())
    , m_host(host)
    , m_run([](QDialog *dialog) { return dialog->exec(); })
{
    m_pageDialog = new TPageDialog(&m_engine, host.Window());
    const auto bind = [&](const char *name, void (PrintingCommands::*handler)()) {
        connect(host.Action(QString::fromLatin1(name)), &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    bind("FilePageSetup", &PrintingCommands::FilePageSetupExecute);
    bind("FilePrint", &PrintingCommands::FilePrintExecute);
    bind("FilePreview", &PrintingCommands::FilePreviewExecute);
    bind("FileExportPdf", &PrintingCommands::FileExportPdfExecute);
}

PrintingCommands::~PrintingCommands() = default;

void PrintingCommands::setModalRunner(ModalRunner run)
{
    m_run = run;
    m_pageDialog->setModalRunner(std::move(run));
}

bool PrintingCommands::attachActiveDocument()
{
    DocumentEditor *editor = m_host.ActiveEditor();
    if (!editor)
        return false;
    const DocumentPanel *documents = m_host.Documents();
    m_engine.setSettings(PrintSettings::fromStored(Settings().printing));
    m_engine.setDocument(PrintDocument::fromEditor(editor, documents->fileName(documents->ActiveDocument())));
    return true;
}

void PrintingCommands::FilePageSetupExecute()
{
    PrintSettings settings = PrintSettings::fromStored(Settings().printing);
    if (m_pageDialog->Execute(settings))
        settings.toStored(Settings().printing);
}

void PrintingCommands::printWithDialog(bool offerSelection, bool attach)
{
    QPrintDialog dialog(&m_engine, m_host.Window());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (!offerSelection && m_engine.QPrinter::printRange() == QPrinter::Selection)
        m_engine.setPrintRange(QPrinter::AllPages);
    if (m_run(&dialog) != QDialog::Accepted || (attach && !attachActiveDocument()))
        return;
    JobProgress progress(m_host.Window(), m_engine, m_host.Action(QStringLiteral("FilePrint"))->text().remove(u'&'));
    // "Print to File (PDF)" goes through a temporary file too, so that a
    // failed job never leaves half a file in place of an older one.
    const QString file = m_engine.outputFileName();
    if (m_engine.outputFormat() == QPrinter::PdfFormat && !file.isEmpty()) {
        QString error;
        if (!m_engine.ExportPdf(file, &error))
            ShowAppMessage(FormatText(LanguageText("MainProgram", "ExportPdfFailure"), {file, error}),
                           QMessageBox::Critical);
        return;
    }
    if (!m_engine.Print()) {
        // The printer would not start a job: say so instead of nothing.
        const QString target = m_engine.outputFileName().isEmpty() ? m_engine.printerName() : m_engine.outputFileName();
        ShowAppMessage(FormatText(LanguageText("MainProgram", "PrintFailure"), {target}), QMessageBox::Critical);
    }
}

void PrintingCommands::FilePrintExecute()
{
    DocumentEditor *editor = m_host.ActiveEditor();
    if (!editor)
        return;
    // The document as it is when the dialog closes is what prints.
    printWithDialog(editor->hasSelectedText(), true);
}

void PrintingCommands::FilePreviewExecute()
{
    if (!attachActiveDocument())
        return;
    // The preview shows the whole document, whatever the last job printed.
    m_engine.setPrintRange(QPrinter::AllPages);
    m_engine.setFromTo(0, 0);
    TPreviewDialog preview(&m_engine, m_host.Window());
    preview.setPrintHandler([this] {
        printWithDialog(false, false);
        m_engine.setPrintRange(QPrinter::AllPages);
        m_engine.setFromTo(0, 0);
    });
    m_run(&preview);
}

void PrintingCommands::FileExportPdfExecute()
{
    DocumentEditor *editor = m_host.ActiveEditor();
    if (!editor)
        return;
    const DocumentPanel *documents = m_host.Documents();
    const int index = documents->ActiveDocument();
    const QFileInfo source(documents->fileName(index));
    FileDialogOptions options;
    options.title = m_host.Action(QStringLiteral("FileExportPdf"))->text().remove(u'&').remove(QStringLiteral("..."));
    options.filter = LanguageText("MainProgram", "ExportPdfFilter");
    options.defaultExtension = QStringLiteral("pdf");
    // Beside the document, under its name.
    const QString name = source.completeBaseName() + QStringLiteral(".pdf");
    options.fileName = documents->isUntitled(index) ? name : source.dir().filePath(name);
    const FileDialogResult result = Dialogs().saveFile(options);
    if (!result.accepted)
        return;
    attachActiveDocument();
    // The whole document, whatever the last print job asked for.
    m_engine.setPrintRange(QPrinter::AllPages);
    m_engine.setFromTo(0, 0);
    QString error;
    bool written;
    {
        JobProgress progress(m_host.Window(), m_engine, options.title);
        written = m_engine.ExportPdf(result.path, &error);
    }
    if (!written)
        ShowAppMessage(FormatText(LanguageText("MainProgram", "ExportPdfFailure"), {result.path, error}),
                       QMessageBox::Critical);
}
