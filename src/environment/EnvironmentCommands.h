#pragma once

#include <QObject>

#include <functional>

class CommandHost;
class QDialog;
class TEnvironmentDialog;

// Options > Environment and what follows its OK (the main window stays on
// top or not, the calculator starts again from the new files, the stack
// diagrams of the chosen series are read), and Help's tip of the day and
// About. The environment window lives as long as the main window.
class EnvironmentCommands : public QObject
{
    Q_OBJECT
public:
    // How a modal window is shown: exec() unless a test answers instead.
    using ModalRunner = std::function<int(QDialog *)>;

    explicit EnvironmentCommands(CommandHost &host);
    ~EnvironmentCommands() override;

    void OptionsEnvironmentExecute();
    void HelpTipOfDayExecute();
    void HelpAboutExecute();

    // The first time the program becomes the active application, the tip of
    // the day is offered when the settings ask for it; never again in the
    // same run. Armed by the program entry, so that tests building a main
    // window see no tip.
    static void ArmFirstActivationTip();
    // The offer itself (what the first activation does).
    void ApplicationActivated();

    TEnvironmentDialog *EnvironmentDialog() const { return m_dialog; }
    void setModalRunner(ModalRunner run);

private:
    void applyStayOnTop(bool on);

    CommandHost &m_host;
    TEnvironmentDialog *m_dialog = nullptr;
    ModalRunner m_run;
    bool m_firstActivation = true;
};
