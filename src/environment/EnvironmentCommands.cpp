#include "environment/EnvironmentCommands.h"

#include "emulator/Emu48Proc.h"
#include "environment/DlgAbout.h"
#include "environment/DlgEnvironment.h"
#include "environment/DlgTipDay.h"
#include "shell/CommandHost.h"
#include "shell/Settings.h"
#include "shell/TransferOptions.h"

#include <QAction>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

namespace {
bool g_tipArmed = false;
}

EnvironmentCommands::EnvironmentCommands(CommandHost &host)
    : QObject(host.Window())
    , m_host(host)
    , m_dialog(new TEnvironmentDialog(host.Window()))
    , m_run([](QDialog *dialog) { return dialog->exec(); })
{
    const auto bind = [&](const char *name, void (EnvironmentCommands::*handler)()) {
        connect(host.Action(QString::fromLatin1(name)), &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    bind("OptionsEnvironment", &EnvironmentCommands::OptionsEnvironmentExecute);
    bind("HelpTipOfDay", &EnvironmentCommands::HelpTipOfDayExecute);
    bind("HelpAbout", &EnvironmentCommands::HelpAboutExecute);

    if (g_tipArmed) {
        connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            // Shown once the activation has been handled, not inside it.
            if (state == Qt::ApplicationActive && m_firstActivation)
                QTimer::singleShot(0, this, &EnvironmentCommands::ApplicationActivated);
        });
    }
}

EnvironmentCommands::~EnvironmentCommands() = default;

void EnvironmentCommands::ArmFirstActivationTip()
{
    g_tipArmed = true;
}

void EnvironmentCommands::setModalRunner(ModalRunner run)
{
    m_run = run;
    m_dialog->setModalRunner(std::move(run));
}

void EnvironmentCommands::OptionsEnvironmentExecute()
{
    if (!m_dialog->Execute(Settings().environment, RunTimeTransferOptions()))
        return; // Cancel: nothing changes, the calculator keeps running
    applyStayOnTop(Settings().environment.StayOnTop);
    RestartEmulator();
    m_host.LoadStackDiagrams();
}

void EnvironmentCommands::applyStayOnTop(bool on)
{
    QWidget *window = m_host.Window();
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    // Changing a window's flags hides it; a shown window is shown again.
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        window->show();
}

void EnvironmentCommands::HelpTipOfDayExecute()
{
    TTipDialog dialog(m_host.Window());
    m_run(&dialog);
}

void EnvironmentCommands::HelpAboutExecute()
{
    TAboutDialog dialog(m_host.Window());
    m_run(&dialog);
}

void EnvironmentCommands::ApplicationActivated()
{
    if (!m_firstActivation)
        return;
    m_firstActivation = false;
    if (Settings().environment.ShowTipDay)
        HelpTipOfDayExecute();
}
