#pragma once

#include <QObject>

#include <functional>

class CommandHost;
class TDBuilderForm;

// The Tools menu's flowchart builder ("Constructor..."): a new builder window
// for each use, shown modally; the program of its Insert code goes into the
// active document once the window has closed.
class FlowchartCommands : public QObject
{
    Q_OBJECT
public:
    // How the builder window is shown: exec() unless a test drives it.
    using BuilderRunner = std::function<void(TDBuilderForm &)>;

    explicit FlowchartCommands(CommandHost &host);

    void ToolsProgramExecute();
    void setBuilderRunner(BuilderRunner run) { m_run = std::move(run); }

private:
    CommandHost &m_host;
    BuilderRunner m_run;
};
