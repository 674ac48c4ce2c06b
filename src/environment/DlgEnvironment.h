#pragma once

#include "environment/DesktopIntegration.h"
#include "shell/TransferOptions.h"

#include <QDialog>

#include <functional>
#include <optional>

struct EnvironmentSettings;
class FilePicker;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

// The environment options window: instance and window behaviour, launchers,
// the command reference's data files, the calculator's files and series,
// and the link's options; the button that registers the file types.
//
// It lives from start to exit and reads its texts again when the language
// changes. Each use loads it from the values in force; OK stores every
// control back and updates the launchers; Cancel changes nothing.
class TEnvironmentDialog : public QDialog
{
    Q_OBJECT
public:
    using ModalRunner = std::function<int(QDialog *)>;

    explicit TEnvironmentDialog(QWidget *parent = nullptr);

    // OptionsEnvironment up to the main window: shows the window modally
    // over settings and transfer; true after OK, with both updated.
    bool Execute(EnvironmentSettings &settings, TransferOptions &transfer);

    // FormShow: every control from the values (the port list is read again).
    void loadFrom(const EnvironmentSettings &settings, const TransferOptions &transfer);
    // What OK takes from the controls: only the values the window shows
    // change; the other settings stay as they are.
    void storeTo(EnvironmentSettings &settings, TransferOptions &transfer) const;
    // OK: the values into the settings and the launchers made or removed.
    void OkClick();
    // Registers the file types for the user and says so (Message26).
    void AssociateClick();

    void setModalRunner(ModalRunner run) { m_run = std::move(run); }
    // Where launchers and file types go, and which program they start.
    void setDesktopPlaces(const DesktopPlaces &places) { m_places = places; }
    void setProgramPath(const QString &program) { m_program = program; }
    // The ports the list offers after "Auto" (the system's by default).
    void setPortSource(std::function<QStringList()> source) { m_ports = std::move(source); }

    QTabWidget *pages() const { return m_pages; }
    QCheckBox *check(const QString &name) const;
    FilePicker *picker(const QString &name) const;
    QRadioButton *hp48Button() const { return m_hp48; }
    QRadioButton *hp49Button() const { return m_hp49; }
    QComboBox *sendPort() const { return m_sendPort; }
    QSpinBox *calculatorMemory() const { return m_memory; }
    QComboBox *serialSpeed() const { return m_speed; }
    QPushButton *associateButton() const { return m_associate; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

private:
    QWidget *buildGeneralPage();
    QWidget *buildEmulatorPage();
    QWidget *buildCommunicationPage();
    void loadTexts();
    void fillPorts();
    DesktopPlaces places() const;

    QTabWidget *m_pages = nullptr;
    QGroupBox *m_groupEnvironment = nullptr;
    QGroupBox *m_groupShortCut = nullptr;
    QGroupBox *m_groupTemplates = nullptr;
    QGroupBox *m_groupFiles = nullptr;
    QGroupBox *m_defaultEmu = nullptr;
    QGroupBox *m_groupObjects = nullptr;
    QGroupBox *m_groupXModem = nullptr;
    QCheckBox *m_multiInstances = nullptr;
    QCheckBox *m_logo = nullptr;
    QCheckBox *m_stayOnTop = nullptr;
    QCheckBox *m_onDesktop = nullptr;
    QCheckBox *m_onSendTo = nullptr;
    QCheckBox *m_onContextMenu = nullptr;
    QCheckBox *m_onQuickLaunch = nullptr;
    QPushButton *m_associate = nullptr;
    QLabel *m_cmdsLabel = nullptr;
    QLabel *m_treeLabel = nullptr;
    QLabel *m_emu48Label = nullptr;
    QLabel *m_emu48PortLabel = nullptr;
    QLabel *m_emu49Label = nullptr;
    QLabel *m_credit = nullptr;
    QLabel *m_memoryLabel = nullptr;
    QSpinBox *m_memory = nullptr;
    QLabel *m_sendPortLabel = nullptr;
    QLabel *m_speedLabel = nullptr;
    FilePicker *m_cmds = nullptr;
    FilePicker *m_tree = nullptr;
    FilePicker *m_emu48 = nullptr;
    FilePicker *m_emu48Port = nullptr;
    FilePicker *m_emu49 = nullptr;
    QRadioButton *m_hp48 = nullptr;
    QRadioButton *m_hp49 = nullptr;
    QCheckBox *m_nameCap = nullptr;
    QCheckBox *m_nameExt = nullptr;
    QComboBox *m_sendPort = nullptr;
    QComboBox *m_speed = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;

    ModalRunner m_run;
    std::optional<DesktopPlaces> m_places; // the user's own unless set
    QString m_program;
    std::function<QStringList()> m_ports;
    EnvironmentSettings *m_settings = nullptr; // while Execute runs
    TransferOptions *m_transfer = nullptr;
};
