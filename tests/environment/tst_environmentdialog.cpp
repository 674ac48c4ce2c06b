// The environment options window and its command: every control shows its
// value and gives it back, OK stores and updates the launchers, Cancel
// changes nothing, and what the main window does after OK.

#include "support/FakeEmulator.h"
#include "support/TestCommandHost.h"

#include "emulator/Emu48Proc.h"
#include "environment/DlgEnvironment.h"
#include "environment/EnvironmentCommands.h"
#include "environment/FilePicker.h"
#include "environment/SerialPortList.h"
#include "shell/Globals.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestEnvironmentDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void every_check_box_shows_its_setting_and_gives_it_back_data();
    void every_check_box_shows_its_setting_and_gives_it_back();
    void every_file_picker_shows_its_path_and_gives_it_back_data();
    void every_file_picker_shows_its_path_and_gives_it_back();
    void the_series_radio_group();
    void the_port_list_data();
    void the_port_list();
    void the_remembered_port_is_found_by_name_then_by_place();
    void a_file_picker_asks_with_the_language_files_title_and_filter();
    void ok_stores_every_value_and_makes_the_launchers();
    void cancel_changes_nothing();
    void associate_registers_the_types_and_says_so();
    void a_missing_language_file_is_reported();
    void ok_restarts_the_calculator_with_the_48_series_and_reads_its_diagrams();
    void cancel_keeps_the_calculator_running();

private:
    TEnvironmentDialog *makeDialog();
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    DesktopPlaces m_places;
};

void TestEnvironmentDialog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_places.dataHome = m_dir->path() + "/data";
    m_places.configHome = m_dir->path() + "/config";
    m_places.desktop = m_dir->path() + "/Desktop";
    QDir().mkpath(m_places.desktop);
    LanguageFilePath = QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/English.lng");
    Settings() = AppSettings();
    RunTimeTransferOptions() = TransferOptions();
    SetMessage(26, "types associated");
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void TestEnvironmentDialog::cleanup()
{
    m_dialogs.reset();
}

TEnvironmentDialog *TestEnvironmentDialog::makeDialog()
{
    auto *dialog = new TEnvironmentDialog;
    dialog->setDesktopPlaces(m_places);
    dialog->setProgramPath("/opt/quorvane/quorvane");
    dialog->setPortSource([] { return QStringList{"/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyUSB0"}; });
    return dialog;
}

using BoolField = bool EnvironmentSettings::*;
Q_DECLARE_METATYPE(BoolField)

void TestEnvironmentDialog::every_check_box_shows_its_setting_and_gives_it_back_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<BoolField>("field");
    QTest::newRow("several instances") << "MultiplesInstances" << &EnvironmentSettings::MultiplesInstances;
    QTest::newRow("logo at start") << "LogoOnStartup" << &EnvironmentSettings::LogoOnStartup;
    QTest::newRow("stay on top") << "StayOnTop" << &EnvironmentSettings::StayOnTop;
    QTest::newRow("desktop launcher") << "OnDesktop" << &EnvironmentSettings::ShortCutDesktop;
    QTest::newRow("send to") << "OnSendTo" << &EnvironmentSettings::ShortCutSendTo;
    QTest::newRow("context menu") << "OnContextMenu" << &EnvironmentSettings::ShortCutContextMenu;
    QTest::newRow("applications menu") << "OnQuickLaunch" << &EnvironmentSettings::ShortCutQuickLaunchBar;
}

void TestEnvironmentDialog::every_check_box_shows_its_setting_and_gives_it_back()
{
    QFETCH(QString, control);
    QFETCH(BoolField, field);
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    for (bool value : {true, false}) {
        EnvironmentSettings settings = AppSettings::defaults().environment;
        settings.*field = value;
        dialog->loadFrom(settings, {});
        QCheckBox *box = dialog->check(control);
        QVERIFY(box);
        QCOMPARE(box->isChecked(), value);
        // Back unchanged, and only this value follows the box.
        EnvironmentSettings back = AppSettings::defaults().environment;
        TransferOptions transfer;
        dialog->storeTo(back, transfer);
        QCOMPARE(back, settings);
        box->setChecked(!value);
        dialog->storeTo(back, transfer);
        QCOMPARE(back.*field, !value);
        back.*field = value;
        QCOMPARE(back, settings);
    }
}

using TextField = QString EnvironmentSettings::*;
Q_DECLARE_METATYPE(TextField)

void TestEnvironmentDialog::every_file_picker_shows_its_path_and_gives_it_back_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<TextField>("field");
    QTest::newRow("command list") << "CmdsFileName" << &EnvironmentSettings::CommandsFilename;
    QTest::newRow("menu tree") << "TreeFileName" << &EnvironmentSettings::TreeViewFilename;
    QTest::newRow("48 state file") << "Emu48Filename" << &EnvironmentSettings::Emu48RamFilename;
    QTest::newRow("48 port file") << "Emu48PortFilename" << &EnvironmentSettings::Emu48PortFilename;
    QTest::newRow("49 state file") << "Emu49Filename" << &EnvironmentSettings::Emu49RamFilename;
}

void TestEnvironmentDialog::every_file_picker_shows_its_path_and_gives_it_back()
{
    QFETCH(QString, control);
    QFETCH(TextField, field);
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    EnvironmentSettings settings;
    settings.*field = "/home/ana/calc files/my state.e49";
    dialog->loadFrom(settings, {});
    FilePicker *picker = dialog->picker(control);
    QVERIFY(picker);
    QCOMPARE(picker->edit()->text(), settings.*field);
    EnvironmentSettings back;
    TransferOptions transfer;
    dialog->storeTo(back, transfer);
    QCOMPARE(back.*field, settings.*field);
    picker->edit()->setText("  /tmp/other.ehc ");
    dialog->storeTo(back, transfer);
    QCOMPARE(back.*field, QString("/tmp/other.ehc"));
    // A path longer than the store keeps is cut as every stored text is.
    picker->edit()->setText("/" + QString(400, u'x'));
    dialog->storeTo(back, transfer);
    QCOMPARE((back.*field).size(), MaxSettingText);
}

void TestEnvironmentDialog::the_series_radio_group()
{
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    EnvironmentSettings settings;
    TransferOptions transfer;
    settings.DefaultEmulator = true;
    dialog->loadFrom(settings, transfer);
    QVERIFY(dialog->hp48Button()->isChecked());
    QVERIFY(!dialog->hp49Button()->isChecked());
    settings.DefaultEmulator = false;
    dialog->loadFrom(settings, transfer);
    QVERIFY(dialog->hp49Button()->isChecked());
    dialog->hp48Button()->setChecked(true);
    dialog->storeTo(settings, transfer);
    QCOMPARE(settings.DefaultEmulator, true);
}

void TestEnvironmentDialog::the_port_list_data()
{
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("no port: only Auto") << QStringList() << QStringList{"Auto"};
    QTest::newRow("sorted after Auto") << QStringList{"/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyACM0"}
                                       << QStringList{"Auto", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB1"};
    QTest::newRow("a port listed twice appears once") << QStringList{"/dev/ttyS0", "", "/dev/ttyS0"}
                                                      << QStringList{"Auto", "/dev/ttyS0"};
}

void TestEnvironmentDialog::the_port_list()
{
    QFETCH(QStringList, system);
    QFETCH(QStringList, entries);
    QCOMPARE(SendPortEntries(system), entries);
}

void TestEnvironmentDialog::the_remembered_port_is_found_by_name_then_by_place()
{
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    EnvironmentSettings settings;
    TransferOptions transfer;
    settings.SerialPort = "/dev/ttyUSB0";
    transfer.SendPortIndex = 1;
    dialog->loadFrom(settings, transfer);
    // The list is read again at every showing: a cable may have come.
    QCOMPARE(dialog->sendPort()->count(), 4);
    QCOMPARE(dialog->sendPort()->currentText(), QString("/dev/ttyUSB0"));
    TransferOptions back;
    dialog->storeTo(settings, back);
    QCOMPARE(back.SendPortIndex, 2);
    QCOMPARE(back.SendPort, QString("/dev/ttyUSB0"));
    QCOMPARE(settings.SerialPort, QString("/dev/ttyUSB0"));

    // A speed the list does not offer (an edited settings file): the cable's own.
    settings.SerialSpeed = 1234;
    dialog->loadFrom(settings, transfer);
    QCOMPARE(dialog->serialSpeed()->currentText(), QString("115200"));

    // A port not listed now (unplugged, or a pseudo-terminal) stays chosen,
    // and OK keeps it.
    settings.SerialPort = "/dev/pts/7";
    dialog->loadFrom(settings, transfer);
    QCOMPARE(dialog->sendPort()->currentText(), QString("/dev/pts/7"));
    dialog->storeTo(settings, back);
    QCOMPARE(settings.SerialPort, QString("/dev/pts/7"));
    // A device name can be typed; an empty one is "Auto".
    dialog->sendPort()->setEditText(" /dev/ttyACM3 ");
    dialog->storeTo(settings, back);
    QCOMPARE(settings.SerialPort, QString("/dev/ttyACM3"));
    dialog->sendPort()->setEditText("");
    dialog->storeTo(settings, back);
    QCOMPARE(settings.SerialPort, QString("Auto"));

    // Without a stored port: the remembered place in the list, then "Auto".
    settings.SerialPort.clear();
    transfer.SendPortIndex = 1;
    dialog->loadFrom(settings, transfer);
    QCOMPARE(dialog->sendPort()->currentText(), QString("/dev/ttyS0"));
    transfer.SendPortIndex = 9;
    dialog->loadFrom(settings, transfer);
    QCOMPARE(dialog->sendPort()->currentText(), QString("Auto"));
}

void TestEnvironmentDialog::a_file_picker_asks_with_the_language_files_title_and_filter()
{
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    EnvironmentSettings settings;
    TransferOptions transfer;
    dialog->loadFrom(settings, transfer);
    const QString chosen = m_dir->path() + "/mine.e48";
    m_dialogs->chooseFile(chosen);
    dialog->picker("Emu48Filename")->button()->click();
    QCOMPARE(m_dialogs->openRequests.size(), 1);
    QCOMPARE(m_dialogs->openRequests[0].title, QString("Choose the HP 48 State File"));
    QCOMPARE(m_dialogs->openRequests[0].filter, QString("HP 48 state files|*.e48|All files|*"));
    dialog->storeTo(settings, transfer);
    QCOMPARE(settings.Emu48RamFilename, chosen);
    // A cancelled dialog keeps the path.
    m_dialogs->cancelFile();
    dialog->picker("Emu48Filename")->button()->click();
    dialog->storeTo(settings, transfer);
    QCOMPARE(settings.Emu48RamFilename, chosen);
    QCOMPARE(dialog->pages()->tabText(2), QString("Communication"));
    QCOMPARE(dialog->windowTitle(), QString("Environment Options"));
}

void TestEnvironmentDialog::ok_stores_every_value_and_makes_the_launchers()
{
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    EnvironmentSettings settings = AppSettings::defaults().environment;
    settings.ShortCutDesktop = false;
    TransferOptions transfer;
    dialog->setModalRunner([](QDialog *d) {
        auto *env = static_cast<TEnvironmentDialog *>(d);
        env->check("OnDesktop")->setChecked(true);
        env->check("StayOnTop")->setChecked(true);
        env->check("ObjectNameCap")->setChecked(true);
        env->hp48Button()->setChecked(true);
        env->sendPort()->setCurrentIndex(3);
        env->serialSpeed()->setCurrentText("9600");
        env->okButton()->click();
        return d->result();
    });
    QVERIFY(dialog->Execute(settings, transfer));
    QVERIFY(settings.ShortCutDesktop);
    QVERIFY(settings.StayOnTop);
    QVERIFY(settings.DefaultEmulator);
    QVERIFY(transfer.ObjectNameCap);
    QCOMPARE(transfer.SendPortIndex, 3);
    QCOMPARE(transfer.SendPort, QString("/dev/ttyUSB1"));
    QCOMPARE(settings.SerialPort, QString("/dev/ttyUSB1"));
    QCOMPARE(settings.SerialSpeed, 9600);
    QVERIFY(QFileInfo::exists(m_places.desktop + "/hpquorvane5.desktop"));
    // Values the window does not show are left alone.
    QCOMPARE(settings.Language, AppSettings::defaults().environment.Language);
}

void TestEnvironmentDialog::cancel_changes_nothing()
{
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    EnvironmentSettings settings = AppSettings::defaults().environment;
    const EnvironmentSettings before = settings;
    TransferOptions transfer;
    dialog->setModalRunner([](QDialog *d) {
        auto *env = static_cast<TEnvironmentDialog *>(d);
        for (QCheckBox *box : env->findChildren<QCheckBox *>())
            box->setChecked(!box->isChecked());
        env->hp48Button()->setChecked(true);
        env->picker("Emu49Filename")->edit()->setText("/elsewhere.e49");
        env->cancelButton()->click();
        return d->result();
    });
    QVERIFY(!dialog->Execute(settings, transfer));
    QCOMPARE(settings, before);
    QCOMPARE(transfer, TransferOptions());
    QVERIFY(QDir(m_places.desktop).isEmpty());
}

void TestEnvironmentDialog::associate_registers_the_types_and_says_so()
{
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    dialog->associateButton()->click();
    QVERIFY(QFileInfo::exists(m_places.dataHome + "/mime/packages/quorvane.xml"));
    QVERIFY(QFileInfo::exists(m_places.dataHome + "/applications/quorvane-documents.desktop"));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].text, QString("types associated"));
    QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Information);
}

void TestEnvironmentDialog::a_missing_language_file_is_reported()
{
    LanguageFilePath = m_dir->path() + "/Languages/Nowhere.lng";
    SetMessage(5, "missing %s");
    std::unique_ptr<TEnvironmentDialog> dialog(makeDialog());
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages[0].text, "missing " + LanguageFilePath);
    QCOMPARE(m_dialogs->messages[0].icon, QMessageBox::Critical);
    QCOMPARE(dialog->windowTitle(), QString("Configuración del entorno"));
}

void TestEnvironmentDialog::ok_restarts_the_calculator_with_the_48_series_and_reads_its_diagrams()
{
    FakeEmulator fake;
    ResetEmulatorSession();
    SetAppFolder(m_dir->path() + '/');
    Settings().environment.Emu48RamFilename = "a.e48";
    Settings().environment.Emu48PortFilename = "a.bin";
    Settings().environment.Emu49RamFilename = "b.e49";
    QVERIFY(StartEmulator());
    fake.clearLog();

    TestCommandHost host;
    EnvironmentCommands commands(host);
    commands.EnvironmentDialog()->setDesktopPlaces(m_places);
    commands.EnvironmentDialog()->setModalRunner([](QDialog *d) {
        static_cast<TEnvironmentDialog *>(d)->hp48Button()->setChecked(true);
        // the calculator starts again with the memory chosen here
        static_cast<TEnvironmentDialog *>(d)->calculatorMemory()->setValue(64);
        static_cast<TEnvironmentDialog *>(d)->okButton()->click();
        return d->result();
    });
    host.trigger("OptionsEnvironment");
    QVERIFY(Settings().environment.DefaultEmulator);
    QCOMPARE(fake.log().mid(0, 3), (QStringList{"stop", "destroy", "create a.e48 port a.bin"}));
    QCOMPARE(Settings().environment.CalculatorMemory, 64);
    QCOMPARE(fake.memoryBudget, 64);
    QCOMPARE(host.diagramLoads, 1);
    CloseEmulator();
}

void TestEnvironmentDialog::cancel_keeps_the_calculator_running()
{
    FakeEmulator fake;
    ResetEmulatorSession();
    SetAppFolder(m_dir->path() + '/');
    QVERIFY(StartEmulator());
    fake.clearLog();

    TestCommandHost host;
    EnvironmentCommands commands(host);
    commands.EnvironmentDialog()->setModalRunner([](QDialog *d) {
        static_cast<TEnvironmentDialog *>(d)->hp48Button()->setChecked(true);
        static_cast<TEnvironmentDialog *>(d)->cancelButton()->click();
        return d->result();
    });
    host.trigger("OptionsEnvironment");
    QVERIFY(!Settings().environment.DefaultEmulator);
    QVERIFY(fake.log().isEmpty());
    QCOMPARE(host.diagramLoads, 0);
    QVERIFY(!host.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    CloseEmulator();
}

QTEST_MAIN(TestEnvironmentDialog)
#include "tst_environmentdialog.moc"
