#pragma once

#include <QString>

class SettingsStore;

// The editor's options, read once at start into these process-wide values,
// edited in memory by the options windows and written all at once at exit.
// Member names are the value names of the store.

struct EditorSettings
{
    bool AutoIndent = true;
    bool InsertMode = true;
    bool TabsToSpaces = true;
    bool SmallTabs = true;
    bool HideSelection = false;
    bool UndoAfterSave = false;
    bool TrimTrailingSpaces = false;
    bool DragDropEditing = true;
    bool AltSetsColumnMode = false;
    bool UseHighlight = true;
    int ExtraLineSpacing = 2;
    int MaxUndo = 1024;
    int TabSize = 2;
    bool CreateBackup = false;
    bool EndLineFormat = false;
    bool MarginVisible = true;
    bool GutterVisible = true;
    int MarginSize = 80;
    int GutterSize = 30;
    QString FontEditor = QStringLiteral("_CAS_HP48x-49x-50x_01");
    int FontSize = 12;

    bool operator==(const EditorSettings &) const = default;
};

struct EnvironmentSettings
{
    bool MultiplesInstances = false;
    bool LogoOnStartup = true;
    bool StayOnTop = false;
    bool NewFileOnStartup = true;
    bool ShortCutDesktop = true;
    bool ShortCutSendTo = false;
    bool ShortCutContextMenu = false;
    bool ShortCutQuickLaunchBar = false;
    // Defaults of the paths are built from AppFolder when the store is read.
    QString CommandsFilename;
    QString TreeViewFilename;
    QString Emu48RamFilename;
    QString Emu48PortFilename;
    QString Emu49RamFilename;
    bool DefaultEmulator = false; // true: HP 48 series; false: the 49/50 family
    bool ShowTipDay = true;
    QString Language = QStringLiteral("Spanish(1)");
    int OpenFilterIndex = 11;
    int SaveFilterIndex = 10;
    int PanelWidth = 229;
    bool ViewToolBar = true;
    bool ViewInsertBar = true;
    bool ViewCommandsBar = true;
    bool ViewSymbolsBar = true;
    bool ViewStatusBar = true;
    bool ViewLineNumbers = false;
    int WindowHeight = 580;
    int WindowWidth = 700;
    int WindowLeft = 0;
    int WindowTop = 0;
    int WindowState = 0; // 0 normal, 1 minimised, 2 maximised
    // The calculator link: "Auto" (try every serial port) or a device such
    // as /dev/ttyUSB0, and the line speed in bits per second.
    QString SerialPort = QStringLiteral("Auto");
    int SerialSpeed = 115200;
    // The memory of the editor's calculator, in MiB: a runaway program stops
    // with "Insufficient Memory" there instead of taking the editor down.
    int CalculatorMemory = 256;

    bool operator==(const EnvironmentSettings &) const = default;
};

struct PrintingSettings
{
    int MarginsUnitSystem = 1; // 0 mm, 1 cm, 2 inches, 3 thousandths of an inch
    long double MarginsLeft = 2.0L;
    long double MarginsRight = 2.0L;
    long double MarginsTop = 2.0L;
    long double MarginsBottom = 2.0L;
    long double MarginsGutter = 0.0L;
    long double MarginsHeader = 1.5L;
    long double MarginsFooter = 2.0L;
    long double MarginsLeftHFTextIndent = 0.0L;
    long double MarginsRightHFTextIndent = 0.0L;
    long double MarginsHFInternalMargin = 0.1L;
    bool MarginsMirrorMargins = false;
    bool PrintLineNumbers = false;
    bool PrintLineNumbersInMargin = false;
    bool PrintHighlight = true;
    bool PrintColors = false;
    bool PrintWrap = true;
    bool HeaderLine = true;
    bool HeaderBox = false;
    bool HeaderShadow = false;
    int HeaderLineColor = 12;
    int HeaderShadedColor = 12;
    bool HeaderMirrorPosition = false;
    QString HeaderItems = DefaultHeaderItems();
    bool FooterLine = true;
    bool FooterBox = false;
    bool FooterShadow = false;
    int FooterLineColor = 12;
    int FooterShadedColor = 12;
    bool FooterMirrorPosition = false;
    QString FooterItems = DefaultFooterItems();

    static QString DefaultHeaderItems();
    static QString DefaultFooterItems();

    bool operator==(const PrintingSettings &) const = default;
};

struct AppSettings
{
    EditorSettings editor;
    EnvironmentSettings environment;
    PrintingSettings printing;

    // Every value at its default, with the data paths under AppFolder.
    static AppSettings defaults();

    bool operator==(const AppSettings &) const = default;
};

// The values the running editor uses.
AppSettings &Settings();

// Texts held in memory are cut to this length (FontEditor, Language).
constexpr int MaxSettingText = 255;

// Reads the keys "Editor", "Environment" and "Printing" in the order of their
// tables; a missing or unreadable value takes its default.
void ReadSettings(const SettingsStore &store, AppSettings &settings);
// Writes every value of those keys, changed or not.
void WriteSettings(SettingsStore &store, const AppSettings &settings);

// What the program entry reads before anything else: "MultiplesInstances" of
// "Environment", false when missing. Never creates the store.
bool ReadMultiplesInstances(const SettingsStore &store);
