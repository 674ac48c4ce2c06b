#pragma once

class DocumentEditor;
class DocumentPanel;
class QAction;
class QByteArray;
class QString;
class QWidget;

// What a subsystem's commands need of the main window. Every folder that
// brings commands provides one class, XxxCommands(CommandHost &), that
// connects the handlers of the actions it owns; the main window makes it
// once, as its child, and that is the whole of the wiring:
//
//     new PrintingCommands(*this);   // in TMainProgram::connectCommands
//
// The actions themselves (caption, shortcut, menu and tool-bar place,
// enabling rule) belong to the main window's command table. Message boxes and
// file dialogs go through ShowAppMessage and Dialogs() as everywhere else.
// TMainProgram implements this; tests use a small stand-in.
class CommandHost
{
public:
    virtual ~CommandHost() = default;

    // The action called name ("ToolsInput", "FilePrint" ...). Every name of
    // the command table exists; asking for another one is a bug.
    virtual QAction *Action(const QString &name) const = 0;
    // The editor of the selected document, or none while no document is open.
    virtual DocumentEditor *ActiveEditor() const = 0;
    // The open documents: tabs, file names, program parameters, breakpoints.
    virtual DocumentPanel *Documents() const = 0;
    // Generated text (calculator bytes, CR LF line ends) into the active
    // document in place of its selection, as one undoable edit: the first
    // "%s" takes the selected text, the first "|" marks where the caret goes.
    // Does nothing while no document is open.
    virtual void InsertSnippet(const QByteArray &text) = 0;
    // Runs the enabling rule now, after a change the window cannot see by
    // itself (a breakpoint set, a tool window closed).
    virtual void UpdateActions() = 0;
    // Reads the stack diagrams of the calculator series the settings choose
    // (after the environment options change it).
    virtual void LoadStackDiagrams() = 0;
    // The main window, parent of every dialog a command opens.
    virtual QWidget *Window() = 0;
};
