#pragma once

#include "printing/PrintEngine.h"

#include <QObject>

#include <functional>

class CommandHost;
class QDialog;
class TPageDialog;

// The File menu's page setup, print, preview and PDF export. The print
// engine is also the printer the user chose: its paper and printer last for
// the whole run. The page setup window lives as long as the main window.
//
// The print settings themselves are the "Printing" values of Settings(),
// read at start and written at exit with the others; the page setup window
// edits them, and every job takes them as they are at that moment.
class PrintingCommands : public QObject
{
    Q_OBJECT
public:
    // How a modal window (page setup, preview, the print dialog) is shown:
    // exec() unless a test answers instead.
    using ModalRunner = std::function<int(QDialog *)>;

    explicit PrintingCommands(CommandHost &host);
    ~PrintingCommands() override;

    void FilePageSetupExecute();
    void FilePrintExecute();
    void FilePreviewExecute();
    void FileExportPdfExecute();

    TPageDialog *PageDialog() const { return m_pageDialog; }
    PrintEngine &Engine() { return m_engine; }
    void setModalRunner(ModalRunner run);

private:
    // Takes the active document and the settings into the engine; false
    // while no document is open.
    bool attachActiveDocument();
    // The system's print dialog, then every page asked for on the printer;
    // with attach, the active document is taken once the dialog closes.
    void printWithDialog(bool offerSelection, bool attach);

    CommandHost &m_host;
    PrintEngine m_engine;
    TPageDialog *m_pageDialog = nullptr;
    ModalRunner m_run;
};
