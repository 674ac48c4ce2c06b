#include "environment/DlgEnvironment.h"

#include "environment/FilePicker.h"
#include "environment/SerialPortList.h"
#include "link/SerialChannel.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"
#include "shell/TextIds.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QCheckBox *checkBox(const char *name, const char *text, QWidget *parent)
{
    auto *box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QGroupBox *group(const char *name, const char *title, QWidget *parent)
{
    auto *box = new QGroupBox(QString::fromUtf8(title), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

TEnvironmentDialog::TEnvironmentDialog(QWidget *parent)
    : QDialog(parent)
    , m_run([](QDialog *dialog) { return dialog->exec(); })
    , m_program(QCoreApplication::applicationFilePath())
    , m_ports(&SystemSerialPorts)
{
    setObjectName(QStringLiteral("EnvironmentDialog"));
    setWindowTitle(QStringLiteral("Configuración del entorno"));
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->addTab(buildGeneralPage(), QStringLiteral("General"));
    m_pages->addTab(buildEmulatorPage(), QStringLiteral("Emulador"));
    // Shown, unlike the classic window's hidden page: the port and the name
    // options are what the link to a calculator needs.
    m_pages->addTab(buildCommunicationPage(), QStringLiteral("Comunicación"));

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("Ok"));
    m_ok->setDefault(true);
    m_cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        OkClick();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);

    // The system's ports are read when the window is shown, not at start.
    m_sendPort->addItems(SendPortEntries({}));
    loadTexts();
    // A fixed window, at least as large as the classic one, that grows with
    // the texts of a language that needs more room.
    m_pages->setMinimumSize(317, 370);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget *TEnvironmentDialog::buildGeneralPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("General"));
    auto *layout = new QVBoxLayout(page);

    m_groupEnvironment = group("GroupEnvironment", "Entorno", page);
    auto *env = new QVBoxLayout(m_groupEnvironment);
    m_multiInstances = checkBox("MultiplesInstances", "Permitir multiples instancias del programa", m_groupEnvironment);
    m_logo = checkBox("LogoOnStartup", "Mostrar el logo al iniciar el programa", m_groupEnvironment);
    m_stayOnTop = checkBox("StayOnTop", "Mostrarse por encima de las otras ventanas", m_groupEnvironment);
    env->addWidget(m_multiInstances);
    env->addWidget(m_logo);
    env->addWidget(m_stayOnTop);
    layout->addWidget(m_groupEnvironment);

    m_groupShortCut = group("GroupShortCut", "Incluir accesos directos en:", page);
    auto *shortcuts = new QGridLayout(m_groupShortCut);
    m_onDesktop = checkBox("OnDesktop", "Escritorio", m_groupShortCut);
    m_onSendTo = checkBox("OnSendTo", "Menú Enviar a", m_groupShortCut);
    m_onContextMenu = checkBox("OnContextMenu", "Menú contextual", m_groupShortCut);
    m_onQuickLaunch = checkBox("OnQuickLaunch", "Barra de inicio rápido", m_groupShortCut);
    m_associate = new QPushButton(QStringLiteral("Asociar archivos"), m_groupShortCut);
    m_associate->setObjectName(QStringLiteral("Associate"));
    m_associate->setAutoDefault(false);
    connect(m_associate, &QPushButton::clicked, this, &TEnvironmentDialog::AssociateClick);
    shortcuts->addWidget(m_onDesktop, 0, 0);
    shortcuts->addWidget(m_onSendTo, 1, 0);
    shortcuts->addWidget(m_onContextMenu, 2, 0);
    shortcuts->addWidget(m_onQuickLaunch, 3, 0);
    shortcuts->addWidget(m_associate, 4, 0, Qt::AlignRight);
    layout->addWidget(m_groupShortCut);

    m_groupTemplates = group("GroupTemplates", "Plantillas", page);
    auto *templates = new QVBoxLayout(m_groupTemplates);
    m_cmds = new FilePicker(QStringLiteral("CmdsFileName"), m_groupTemplates);
    m_tree = new FilePicker(QStringLiteral("TreeFileName"), m_groupTemplates);
    m_cmdsLabel = new QLabel(QStringLiteral("Comandos y Funciones:"), m_groupTemplates);
    m_treeLabel = new QLabel(QStringLiteral("Listado de menús:"), m_groupTemplates);
    m_cmdsLabel->setBuddy(m_cmds);
    m_treeLabel->setBuddy(m_tree);
    m_cmds->setDialogTitle(QStringLiteral("Abrir"));
    m_cmds->setDialogFilter(QStringLiteral("Comandos (*.ehc)|*.ehc|Todos los archivos|*"));
    m_tree->setDialogTitle(QStringLiteral("Abrir"));
    m_tree->setDialogFilter(QStringLiteral("Menús (*.mtv)|*.mtv|Todos los archivos|*"));
    templates->addWidget(m_cmdsLabel);
    templates->addWidget(m_cmds);
    templates->addWidget(m_treeLabel);
    templates->addWidget(m_tree);
    layout->addWidget(m_groupTemplates);
    layout->addStretch(1);
    return page;
}

QWidget *TEnvironmentDialog::buildEmulatorPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Emu48"));
    auto *layout = new QVBoxLayout(page);

    m_groupFiles = group("GroupFiles", "Archivos para el emulador", page);
    auto *files = new QVBoxLayout(m_groupFiles);
    const auto addPicker = [&](FilePicker *&picker, QLabel *&label, const char *name, const char *caption,
                               const char *filter) {
        picker = new FilePicker(QLatin1String(name), m_groupFiles);
        label = new QLabel(QString::fromUtf8(caption), m_groupFiles);
        label->setBuddy(picker);
        picker->setDialogTitle(QStringLiteral("Mostrar"));
        picker->setDialogFilter(QString::fromUtf8(filter));
        files->addWidget(label);
        files->addWidget(picker);
    };
    addPicker(m_emu48, m_emu48Label, "Emu48Filename", "Emu48 Ram:", "Emu48 (*.e48)|*.e48|Todos los archivos|*");
    addPicker(m_emu48Port, m_emu48PortLabel, "Emu48PortFilename", "Emu48 Port2:",
              "Puertos (*.bin)|*.bin|Todos los archivos|*");
    addPicker(m_emu49, m_emu49Label, "Emu49Filename", "Emu49 Ram:", "Emu49 (*.e49)|*.e49|Todos los archivos|*");
    layout->addWidget(m_groupFiles);

    m_defaultEmu = group("DefaultEmu", "Compatibilidad entre el editor y el emulador", page);
    auto *series = new QVBoxLayout(m_defaultEmu);
    m_hp48 = new QRadioButton(QStringLiteral("Para la calculadora HP48"), m_defaultEmu);
    m_hp48->setObjectName(QStringLiteral("DefaultEmuHP48"));
    m_hp49 = new QRadioButton(QStringLiteral("Para la calculadora HP49"), m_defaultEmu);
    m_hp49->setObjectName(QStringLiteral("DefaultEmuHP49"));
    series->addWidget(m_hp48);
    series->addWidget(m_hp49);
    // how much the calculator may hold before "Insufficient Memory"
    auto *memoryRow = new QHBoxLayout;
    m_memory = new QSpinBox(m_defaultEmu);
    m_memory->setObjectName(QStringLiteral("CalculatorMemory"));
    m_memory->setRange(1, 3072);
    m_memory->setSuffix(QStringLiteral(" MiB"));
    m_memoryLabel = new QLabel(QStringLiteral("Memoria de la calculadora:"), m_defaultEmu);
    m_memoryLabel->setBuddy(m_memory);
    memoryRow->addWidget(m_memoryLabel);
    memoryRow->addWidget(m_memory);
    memoryRow->addStretch(1);
    series->addLayout(memoryRow);
    layout->addWidget(m_defaultEmu);

    m_credit = new QLabel(QStringLiteral("La calculadora integrada es un intérprete RPL propio de HPQuorvane: "
                                         "no usa ninguna ROM ni programa de HP."),
                          page);
    m_credit->setObjectName(QStringLiteral("Credit"));
    m_credit->setAlignment(Qt::AlignCenter);
    m_credit->setWordWrap(true);
    layout->addWidget(m_credit);
    layout->addStretch(1);
    return page;
}

QWidget *TEnvironmentDialog::buildCommunicationPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Comunication"));
    auto *layout = new QVBoxLayout(page);

    m_groupObjects = group("GroupObjects", "Objetos", page);
    auto *objects = new QVBoxLayout(m_groupObjects);
    m_nameCap = checkBox("ObjectNameCap", "Nombres solo en mayúsculas", m_groupObjects);
    m_nameExt = checkBox("ObjectNameExt", "Quitar la extensión de los nombres", m_groupObjects);
    objects->addWidget(m_nameCap);
    objects->addWidget(m_nameExt);
    layout->addWidget(m_groupObjects);

    m_groupXModem = group("GroupXModem", "XModem", page);
    auto *xmodem = new QGridLayout(m_groupXModem);
    m_sendPort = new QComboBox(m_groupXModem);
    m_sendPort->setObjectName(QStringLiteral("SendPort"));
    // The system does not list every line a calculator may be on (the
    // pseudo-terminal of qvcalc --serial-pty): a device name can be typed.
    m_sendPort->setEditable(true);
    m_sendPort->setInsertPolicy(QComboBox::NoInsert);
    m_sendPortLabel = new QLabel(QStringLiteral("Puerto:"), m_groupXModem);
    m_sendPortLabel->setBuddy(m_sendPort);
    xmodem->addWidget(m_sendPortLabel, 0, 0);
    xmodem->addWidget(m_sendPort, 0, 1);
    m_speed = new QComboBox(m_groupXModem);
    m_speed->setObjectName(QStringLiteral("SerialSpeed"));
    for (int speed : SerialSpeeds())
        m_speed->addItem(QString::number(speed), speed);
    m_speedLabel = new QLabel(QStringLiteral("Velocidad (bit/s):"), m_groupXModem);
    m_speedLabel->setBuddy(m_speed);
    xmodem->addWidget(m_speedLabel, 1, 0);
    xmodem->addWidget(m_speed, 1, 1);
    xmodem->setColumnStretch(1, 1);
    layout->addWidget(m_groupXModem);
    layout->addStretch(1);
    return page;
}

void TEnvironmentDialog::loadTexts()
{
    const auto title = [](FilePicker *picker) {
        return [picker](const QString &text) { picker->setDialogTitle(text); };
    };
    const auto filter = [](FilePicker *picker) {
        return [picker](const QString &text) { picker->setDialogFilter(text); };
    };
    loadWindowTexts(
        this,
        "ConfigEnvironmentDialog",
        {
            {"DlgEnvironmentTitle", this, TextRole::Title},
            {"DlgEnvironmentGeneral", m_pages->widget(0)},
            {"DlgEnvironmentEnvironment", m_groupEnvironment},
            {"DlgEnvironmentMultiInstances", m_multiInstances},
            {"DlgEnvironmentLogoAtStartup", m_logo},
            {"DlgEnvironmentStayOnTop", m_stayOnTop},
            {"DlgEnvironmentShortCut", m_groupShortCut},
            {"DlgEnvironmentShortCutDesktop", m_onDesktop},
            {"DlgEnvironmentShortCutSendTo", m_onSendTo},
            {"DlgEnvironmentShortCutContextMenu", m_onContextMenu},
            {"DlgEnvironmentShortCutQuickLaunch", m_onQuickLaunch},
            {"DlgEnvironmentAssociateFile", m_associate},
            {"DlgEnvironmentTemplates", m_groupTemplates},
            {"DlgEnvironmentCommandsFileName", m_cmdsLabel},
            {"DlgEnvironmentCommandsFileNameDialogTitle", title(m_cmds)},
            {"DlgEnvironmentCommandsFileNameDialogFilter", filter(m_cmds)},
            {"DlgEnvironmentMenusFileName", m_treeLabel},
            {"DlgEnvironmentMenusFileNameDialogTitle", title(m_tree)},
            {"DlgEnvironmentMenusFileNameDialogFilter", filter(m_tree)},
            {"DlgEnvironmentEmulator", m_pages->widget(1)},
            {"DlgEnvironmentEmulatorFiles", m_groupFiles},
            {"DlgEnvironmentEmu48FileName", m_emu48Label},
            {"DlgEnvironmentEmu48FileNameDialogTitle", title(m_emu48)},
            {"DlgEnvironmentEmu48FileNameDialogFilter", filter(m_emu48)},
            {"DlgEnvironmentEmu48PortFileName", m_emu48PortLabel},
            {"DlgEnvironmentEmu48PortFileNameDialogTitle", title(m_emu48Port)},
            {"DlgEnvironmentEmu48PortFileNameDialogFilter", filter(m_emu48Port)},
            {"DlgEnvironmentEmu49FileName", m_emu49Label},
            {"DlgEnvironmentEmu49FileNameDialogTitle", title(m_emu49)},
            {"DlgEnvironmentEmu49FileNameDialogFilter", filter(m_emu49)},
            {"DlgEnvironmentCalculatorMemory", m_memoryLabel},
            {"DlgEnvironmentDefaultEmu", m_defaultEmu},
            {"DlgEnvironmentDefaultEmuHP48", m_hp48},
            {"DlgEnvironmentDefaultEmuHP49", m_hp49},
            {"DlgEnvironmentCredit", m_credit},
            {"DlgEnvironmentComunication", m_pages->widget(2)},
            {"DlgEnvironmentObjects", m_groupObjects},
            {"DlgEnvironmentObjectNameCapital", m_nameCap},
            {"DlgEnvironmentObjectNameExtension", m_nameExt},
            {"DlgEnvironmentSendPort", m_sendPortLabel},
            {"DlgEnvironmentSerialSpeed", m_speedLabel},
            {"DlgEnvironmentOk", m_ok},
            {"DlgEnvironmentCancel", m_cancel},
        },
        WindowTexts::ReloadOnLanguageChange);
}

DesktopPlaces TEnvironmentDialog::places() const
{
    // Asked for when needed: xdg-user-dir is a program to run.
    return m_places ? *m_places : DesktopPlaces::current();
}

void TEnvironmentDialog::fillPorts()
{
    const QString current = m_sendPort->currentText();
    m_sendPort->clear();
    m_sendPort->addItems(SendPortEntries(m_ports ? m_ports() : QStringList()));
    m_sendPort->setCurrentIndex(qMax(0, m_sendPort->findText(current)));
}

QCheckBox *TEnvironmentDialog::check(const QString &name) const
{
    return findChild<QCheckBox *>(name);
}

FilePicker *TEnvironmentDialog::picker(const QString &name) const
{
    return findChild<FilePicker *>(name);
}

void TEnvironmentDialog::loadFrom(const EnvironmentSettings &s, const TransferOptions &transfer)
{
    m_multiInstances->setChecked(s.MultiplesInstances);
    m_logo->setChecked(s.LogoOnStartup);
    m_stayOnTop->setChecked(s.StayOnTop);
    m_onDesktop->setChecked(s.ShortCutDesktop);
    m_onSendTo->setChecked(s.ShortCutSendTo);
    m_onContextMenu->setChecked(s.ShortCutContextMenu);
    m_onQuickLaunch->setChecked(s.ShortCutQuickLaunchBar);
    m_cmds->setFileName(s.CommandsFilename);
    m_tree->setFileName(s.TreeViewFilename);
    m_emu48->setFileName(s.Emu48RamFilename);
    m_emu48Port->setFileName(s.Emu48PortFilename);
    m_emu49->setFileName(s.Emu49RamFilename);
    (s.DefaultEmulator ? m_hp48 : m_hp49)->setChecked(true);
    m_memory->setValue(s.CalculatorMemory);
    m_nameCap->setChecked(transfer.ObjectNameCap);
    m_nameExt->setChecked(transfer.ObjectNameExt);
    // Ports come and go (a cable plugged in): the list is read again, and
    // the remembered port is found by its name first, its place second.
    fillPorts();
    int index = m_sendPort->findText(s.SerialPort);
    if (index < 0 && !s.SerialPort.trimmed().isEmpty()) {
        // A stored port that is not listed now (a cable unplugged, a
        // pseudo-terminal) stays the user's choice; OK must not replace it.
        m_sendPort->addItem(s.SerialPort.trimmed());
        index = m_sendPort->count() - 1;
    }
    if (index < 0)
        index = transfer.SendPortIndex >= 0 && transfer.SendPortIndex < m_sendPort->count() ? transfer.SendPortIndex : 0;
    m_sendPort->setCurrentIndex(index);
    // A speed not offered (an edited settings file) shows the cable's own.
    const int speed = m_speed->findData(s.SerialSpeed);
    m_speed->setCurrentIndex(speed >= 0 ? speed : m_speed->findData(DefaultSerialSpeed));
    m_pages->setCurrentIndex(0);
}

void TEnvironmentDialog::storeTo(EnvironmentSettings &s, TransferOptions &transfer) const
{
    s.MultiplesInstances = m_multiInstances->isChecked();
    s.LogoOnStartup = m_logo->isChecked();
    s.StayOnTop = m_stayOnTop->isChecked();
    s.ShortCutDesktop = m_onDesktop->isChecked();
    s.ShortCutSendTo = m_onSendTo->isChecked();
    s.ShortCutContextMenu = m_onContextMenu->isChecked();
    s.ShortCutQuickLaunchBar = m_onQuickLaunch->isChecked();
    // Paths are held as long as the other texts of the store.
    s.CommandsFilename = m_cmds->fileName().left(MaxSettingText);
    s.TreeViewFilename = m_tree->fileName().left(MaxSettingText);
    s.Emu48RamFilename = m_emu48->fileName().left(MaxSettingText);
    s.Emu48PortFilename = m_emu48Port->fileName().left(MaxSettingText);
    s.Emu49RamFilename = m_emu49->fileName().left(MaxSettingText);
    s.DefaultEmulator = m_hp48->isChecked();
    s.CalculatorMemory = m_memory->value();
    transfer.ObjectNameCap = m_nameCap->isChecked();
    transfer.ObjectNameExt = m_nameExt->isChecked();
    transfer.SendPortIndex = qMax(0, m_sendPort->currentIndex());
    const QString port = m_sendPort->currentText().trimmed();
    transfer.SendPort = port.isEmpty() ? QStringLiteral("Auto") : port;
    s.SerialPort = transfer.SendPort;
    s.SerialSpeed = m_speed->currentData().toInt();
}

void TEnvironmentDialog::OkClick()
{
    if (m_settings && m_transfer)
        storeTo(*m_settings, *m_transfer);
    ShortcutChoice choice;
    choice.desktop = m_onDesktop->isChecked();
    choice.sendTo = m_onSendTo->isChecked();
    choice.applicationsMenu = m_onQuickLaunch->isChecked();
    ApplyShortcuts(places(), choice, m_program);
}

void TEnvironmentDialog::AssociateClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    AssociateFileTypes(places(), m_program, QFileInfo(m_program).absolutePath() + "/icons");
    QApplication::restoreOverrideCursor();
    ShowAppMessage(Message(MsgFileTypesAssociated), QMessageBox::Information);
}

bool TEnvironmentDialog::Execute(EnvironmentSettings &settings, TransferOptions &transfer)
{
    loadFrom(settings, transfer);
    m_settings = &settings;
    m_transfer = &transfer;
    const bool ok = m_run(this) == QDialog::Accepted;
    m_settings = nullptr;
    m_transfer = nullptr;
    return ok;
}
