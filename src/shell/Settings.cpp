#include "shell/Settings.h"

#include "shell/Globals.h"
#include "shell/SettingsStore.h"

#include <algorithm>

namespace {

// One list of every key, kind and default, walked by the reader, the writer
// and the defaults alike, so that the three never disagree.
template <class Io>
void transfer(Io &io, AppSettings &s)
{
    const QString app = AppFolder();

    EditorSettings &e = s.editor;
    io.key("Editor");
    io.boolean("AutoIndent", e.AutoIndent, true);
    io.boolean("InsertMode", e.InsertMode, true);
    io.boolean("TabsToSpaces", e.TabsToSpaces, true);
    io.boolean("SmallTabs", e.SmallTabs, true);
    io.boolean("HideSelection", e.HideSelection, false);
    io.boolean("UndoAfterSave", e.UndoAfterSave, false);
    io.boolean("TrimTrailingSpaces", e.TrimTrailingSpaces, false);
    io.boolean("DragDropEditing", e.DragDropEditing, true);
    io.boolean("AltSetsColumnMode", e.AltSetsColumnMode, false);
    io.boolean("UseHighlight", e.UseHighlight, true);
    io.integer("ExtraLineSpacing", e.ExtraLineSpacing, 2);
    io.integer("MaxUndo", e.MaxUndo, 1024);
    io.integer("TabSize", e.TabSize, 2);
    io.boolean("CreateBackup", e.CreateBackup, false);
    io.boolean("EndLineFormat", e.EndLineFormat, false);
    io.boolean("MarginVisible", e.MarginVisible, true);
    io.boolean("GutterVisible", e.GutterVisible, true);
    io.integer("MarginSize", e.MarginSize, 80);
    io.integer("GutterSize", e.GutterSize, 30);
    io.text("FontEditor", e.FontEditor, QStringLiteral("_CAS_HP48x-49x-50x_01"), MaxSettingText);
    io.integer("FontSize", e.FontSize, 12);

    EnvironmentSettings &v = s.environment;
    io.key("Environment");
    io.boolean("MultiplesInstances", v.MultiplesInstances, false);
    io.boolean("LogoOnStartup", v.LogoOnStartup, true);
    io.boolean("StayOnTop", v.StayOnTop, false);
    io.boolean("NewFileOnStartup", v.NewFileOnStartup, true);
    io.boolean("ShortCutDesktop", v.ShortCutDesktop, true);
    io.boolean("ShortCutSendTo", v.ShortCutSendTo, false);
    io.boolean("ShortCutContextMenu", v.ShortCutContextMenu, false);
    io.boolean("ShortCutQuickLaunchBar", v.ShortCutQuickLaunchBar, false);
    io.text("CommandsFilename", v.CommandsFilename, app + "Templates/CmdsAndFunctsHP49x-50x.ehc");
    io.text("TreeViewFilename", v.TreeViewFilename, app + "Templates/MenusHP49x-50x.mtv");
    io.text("Emu48RamFilename", v.Emu48RamFilename, app + "EMU/default 48GX.e48");
    io.text("Emu48PortFilename", v.Emu48PortFilename, app + "EMU/default 48GX.bin");
    io.text("Emu49RamFilename", v.Emu49RamFilename, app + "EMU/default 50G.e49");
    io.boolean("DefaultEmulator", v.DefaultEmulator, false);
    io.boolean("ShowTipDay", v.ShowTipDay, true);
    io.text("Language", v.Language, QStringLiteral("Spanish(1)"), MaxSettingText);
    io.integer("OpenFilterIndex", v.OpenFilterIndex, 11);
    io.integer("SaveFilterIndex", v.SaveFilterIndex, 10);
    io.integer("PanelWidth", v.PanelWidth, 229);
    io.boolean("ViewToolBar", v.ViewToolBar, true);
    io.boolean("ViewInsertBar", v.ViewInsertBar, true);
    io.boolean("ViewCommandsBar", v.ViewCommandsBar, true);
    io.boolean("ViewSymbolsBar", v.ViewSymbolsBar, true);
    io.boolean("ViewStatusBar", v.ViewStatusBar, true);
    io.boolean("ViewLineNumbers", v.ViewLineNumbers, false);
    io.integer("WindowHeight", v.WindowHeight, 580);
    io.integer("WindowWidth", v.WindowWidth, 700);
    io.integer("WindowLeft", v.WindowLeft, 0);
    io.integer("WindowTop", v.WindowTop, 0);
    io.integer("WindowState", v.WindowState, 0);
    io.text("SerialPort", v.SerialPort, QStringLiteral("Auto"), MaxSettingText);
    io.integer("SerialSpeed", v.SerialSpeed, 115200);
    io.integer("CalculatorMemory", v.CalculatorMemory, 256);
    v.CalculatorMemory = std::clamp(v.CalculatorMemory, 1, 3072);

    PrintingSettings &p = s.printing;
    io.key("Printing");
    io.integer("MarginsUnitSystem", p.MarginsUnitSystem, 1);
    io.real("MarginsLeft", p.MarginsLeft, 2.0L);
    io.real("MarginsRight", p.MarginsRight, 2.0L);
    io.real("MarginsTop", p.MarginsTop, 2.0L);
    io.real("MarginsBottom", p.MarginsBottom, 2.0L);
    io.real("MarginsGutter", p.MarginsGutter, 0.0L);
    io.real("MarginsHeader", p.MarginsHeader, 1.5L);
    io.real("MarginsFooter", p.MarginsFooter, 2.0L);
    io.real("MarginsLeftHFTextIndent", p.MarginsLeftHFTextIndent, 0.0L);
    io.real("MarginsRightHFTextIndent", p.MarginsRightHFTextIndent, 0.0L);
    io.real("MarginsHFInternalMargin", p.MarginsHFInternalMargin, 0.1L);
    io.boolean("MarginsMirrorMargins", p.MarginsMirrorMargins, false);
    io.boolean("PrintLineNumbers", p.PrintLineNumbers, false);
    io.boolean("PrintLineNumbersInMargin", p.PrintLineNumbersInMargin, false);
    io.boolean("PrintHighlight", p.PrintHighlight, true);
    io.boolean("PrintColors", p.PrintColors, false);
    io.boolean("PrintWrap", p.PrintWrap, true);
    io.boolean("HeaderLine", p.HeaderLine, true);
    io.boolean("HeaderBox", p.HeaderBox, false);
    io.boolean("HeaderShadow", p.HeaderShadow, false);
    io.integer("HeaderLineColor", p.HeaderLineColor, 12);
    io.integer("HeaderShadedColor", p.HeaderShadedColor, 12);
    io.boolean("HeaderMirrorPosition", p.HeaderMirrorPosition, false);
    io.text("HeaderItems", p.HeaderItems, PrintingSettings::DefaultHeaderItems());
    io.boolean("FooterLine", p.FooterLine, true);
    io.boolean("FooterBox", p.FooterBox, false);
    io.boolean("FooterShadow", p.FooterShadow, false);
    io.integer("FooterLineColor", p.FooterLineColor, 12);
    io.integer("FooterShadedColor", p.FooterShadedColor, 12);
    io.boolean("FooterMirrorPosition", p.FooterMirrorPosition, false);
    io.text("FooterItems", p.FooterItems, PrintingSettings::DefaultFooterItems());
}

struct Defaults
{
    void key(const char *) {}
    void boolean(const char *, bool &v, bool def) { v = def; }
    void integer(const char *, int &v, int def) { v = def; }
    void real(const char *, long double &v, long double def) { v = def; }
    void text(const char *, QString &v, const QString &def, int = -1) { v = def; }
};

struct Reader
{
    const SettingsStore &store;
    QString k;
    void key(const char *name) { k = QString::fromLatin1(name); }
    void boolean(const char *n, bool &v, bool def) { v = store.readBool(k, n, def); }
    void integer(const char *n, int &v, int def) { v = store.readInt(k, n, def); }
    void real(const char *n, long double &v, long double def) { v = store.readReal(k, n, def); }
    void text(const char *n, QString &v, const QString &def, int maxLength = -1)
    {
        v = store.readText(k, n, def);
        if (maxLength >= 0)
            v.truncate(maxLength);
    }
};

struct Writer
{
    SettingsStore &store;
    QString k;
    void key(const char *name) { k = QString::fromLatin1(name); }
    void boolean(const char *n, bool &v, bool) { store.writeBool(k, n, v); }
    void integer(const char *n, int &v, int) { store.writeInt(k, n, v); }
    void real(const char *n, long double &v, long double) { store.writeReal(k, n, v); }
    void text(const char *n, QString &v, const QString &, int = -1) { store.writeText(k, n, v); }
};

} // namespace

QString PrintingSettings::DefaultHeaderItems()
{
    return QStringLiteral(
        "Página: $PAGENUM$ de $PAGECOUNT$\\.0\\.0\\.-11\\.Arial\\.0\\.96\\.8\\.0\\.1\\.0/"
        "$TITLE$\\.1\\.0\\.-13\\.Arial\\.0\\.96\\.10\\.0\\.1\\.2/"
        "$DATE$ - $TIME$\\.0\\.0\\.-11\\.Arial\\.0\\.96\\.8\\.0\\.1\\.1");
}

QString PrintingSettings::DefaultFooterItems()
{
    return QStringLiteral("Impreso con HPQuorvane\\.0\\.0\\.-11\\.Arial\\.0\\.96\\.8\\.0\\.1\\.0/"
                          "$PAGENUM$\\.1\\.0\\.-11\\.Arial\\.0\\.96\\.8\\.0\\.1\\.1");
}

AppSettings AppSettings::defaults()
{
    AppSettings s;
    Defaults d;
    transfer(d, s);
    return s;
}

AppSettings &Settings()
{
    static AppSettings settings = AppSettings::defaults();
    return settings;
}

void ReadSettings(const SettingsStore &store, AppSettings &settings)
{
    Reader r{store, {}};
    transfer(r, settings);
}

void WriteSettings(SettingsStore &store, const AppSettings &settings)
{
    Writer w{store, {}};
    AppSettings copy = settings; // the walk takes references
    transfer(w, copy);
}

bool ReadMultiplesInstances(const SettingsStore &store)
{
    return store.readBool("Environment", "MultiplesInstances", false);
}
