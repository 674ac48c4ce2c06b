#include "flowchart/FlowchartCommands.h"

#include "flowchart/DBuilder.h"
#include "shell/CommandHost.h"

#include <QAction>

FlowchartCommands::FlowchartCommands(CommandHost &host)
    : QObject(host.Window())
    , m_host(host)
{
    connect(host.Action(QStringLiteral("ToolsProgram")), &QAction::triggered, this,
            &FlowchartCommands::ToolsProgramExecute);
}

void FlowchartCommands::ToolsProgramExecute()
{
    QByteArray program;
    {
        TDBuilderForm builder(m_host.Window());
        // Modal to the main window only: the calculator's window stays usable
        // for Run in calculator.
        builder.setWindowModality(Qt::WindowModal);
        if (m_run)
            m_run(builder);
        else
            builder.exec();
        program = builder.Result();
    } // placement and recent files are written as the window goes
    if (!program.isEmpty())
        m_host.InsertSnippet(program);
    m_host.UpdateActions();
}
