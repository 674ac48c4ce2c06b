#include "environment/DlgAbout.h"
#include "environment/EnvironmentCommands.h"
#include "flowchart/FlowchartCli.h"
#include "highlight/DlgEditor.h"
#include "shell/Globals.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"
#include "shell/SingleInstance.h"
#include "mainwindow/MainProgram.h"
#include "printing/PdfExport.h"

#include <QApplication>
#include <QPointer>

#include <csignal>

int main(int argc, char *argv[])
{
    // Past a file size limit a write is refused (and reported) instead of
    // ending the program with the user's work.
    std::signal(SIGXFSZ, SIG_IGN);
    // Commands that print and end, without any window; a PDF export from
    // the terminal never hands the file over to a running editor.
    if (const int code = FlowchartCodeCommand(argc, argv); code >= 0)
        return code;
    if (const std::optional<int> exported = RunCommandLineExport(argc, argv))
        return *exported;

    QApplication app(argc, argv);
    SetApplicationNames();

    // Every argument is a document to open.
    const QStringList files = QApplication::arguments().mid(1);

    // Unless several editors are allowed, a running one takes the files and
    // this start ends here, successfully.
    if (!ReadMultiplesInstances(SettingsStore()) && HandOverToRunningEditor(files))
        return 0;

    // The picture of the About window while the main window is made, unless
    // the user turned the logo off; it goes 250 ms after the window is up.
    QPointer<TAboutDialog> splash;
    if (SettingsStore().readBool("Environment", "LogoOnStartup", true))
        splash = TAboutDialog::ShowSplash();
    EnvironmentCommands::ArmFirstActivationTip();
    TMainProgram window;
    // The long-lived dialogs live from here to the end of the run.
    TEditorDialog editorDialog(window.Highlighter(), &window);
    window.SetEditorDialog(&editorDialog);
    window.show();
    if (splash)
        splash->startCloseTimer(250);
    window.OpenStartupDocuments(files);
    return QApplication::exec();
}
