#include "highlight/ColorButton.h"
#include "highlight/DlgEditor.h"
#include "highlight/QuorvaneLexer.h"
#include "highlight/SynHighlighterQuorvane.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/ScriptedDialogs.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <Qsci/qsciscintilla.h>
#include <QFontDatabase>
#include <QtTest>

#include <functional>

using Sci = QsciScintillaBase;

// The editor options window: settings in and out of its controls, the colour
// page over its private highlighter with the live sample, and OK and Cancel.
class TestEditorDialog : public QObject
{
    Q_OBJECT

    struct Change
    {
        const char *name;
        std::function<void(EditorSettings &)> apply;
    };

    static const std::vector<Change> &changes()
    {
        static const std::vector<Change> list = {
            {"auto indent off", [](EditorSettings &s) { s.AutoIndent = false; }},
            {"overwrite mode", [](EditorSettings &s) { s.InsertMode = false; }},
            {"tabs kept as tabs", [](EditorSettings &s) { s.TabsToSpaces = false; }},
            {"smart tabs off", [](EditorSettings &s) { s.SmallTabs = false; }},
            {"selection hidden", [](EditorSettings &s) { s.HideSelection = true; }},
            {"undo kept after saving", [](EditorSettings &s) { s.UndoAfterSave = true; }},
            {"trailing blanks trimmed", [](EditorSettings &s) { s.TrimTrailingSpaces = true; }},
            {"no drag and drop", [](EditorSettings &s) { s.DragDropEditing = false; }},
            {"Alt selects columns", [](EditorSettings &s) { s.AltSetsColumnMode = true; }},
            {"no highlighting", [](EditorSettings &s) { s.UseHighlight = false; }},
            {"extra line spacing 7", [](EditorSettings &s) { s.ExtraLineSpacing = 7; }},
            {"undo limit 0", [](EditorSettings &s) { s.MaxUndo = 0; }},
            {"tab width 8", [](EditorSettings &s) { s.TabSize = 8; }},
            {"backups made", [](EditorSettings &s) { s.CreateBackup = true; }},
            {"calculator line ends", [](EditorSettings &s) { s.EndLineFormat = true; }},
            {"right margin hidden", [](EditorSettings &s) { s.MarginVisible = false; }},
            {"right margin at 72", [](EditorSettings &s) { s.MarginSize = 72; }},
            {"gutter hidden", [](EditorSettings &s) { s.GutterVisible = false; }},
            {"gutter 45 pixels wide", [](EditorSettings &s) { s.GutterSize = 45; }},
            {"another font", [](EditorSettings &s) { s.FontEditor = "DejaVu Serif"; }},
            {"a font not installed here", [](EditorSettings &s) { s.FontEditor = "NoSuchFace"; }},
            {"font size 20", [](EditorSettings &s) { s.FontSize = 20; }},
            {"font size not in the list", [](EditorSettings &s) { s.FontSize = 13; }},
        };
        return list;
    }

    static bool same(const EditorSettings &a, const EditorSettings &b)
    {
        return a.AutoIndent == b.AutoIndent && a.InsertMode == b.InsertMode &&
               a.TabsToSpaces == b.TabsToSpaces && a.SmallTabs == b.SmallTabs &&
               a.HideSelection == b.HideSelection && a.UndoAfterSave == b.UndoAfterSave &&
               a.TrimTrailingSpaces == b.TrimTrailingSpaces &&
               a.DragDropEditing == b.DragDropEditing &&
               a.AltSetsColumnMode == b.AltSetsColumnMode && a.UseHighlight == b.UseHighlight &&
               a.ExtraLineSpacing == b.ExtraLineSpacing && a.MaxUndo == b.MaxUndo &&
               a.TabSize == b.TabSize && a.CreateBackup == b.CreateBackup &&
               a.EndLineFormat == b.EndLineFormat && a.MarginVisible == b.MarginVisible &&
               a.GutterVisible == b.GutterVisible && a.MarginSize == b.MarginSize &&
               a.GutterSize == b.GutterSize && a.FontEditor == b.FontEditor &&
               a.FontSize == b.FontSize;
    }

    static void startupHighlighter(TSynQuorvaneSyn &syn)
    {
        syn.setStartupColors();
        syn.setKeyWords({"EVAL", "DUP", "NEG"});
        syn.setBranchWords({"IF", "THEN", "ELSE", "END"});
    }

    // Runs f once the window is up, then presses the button named button.
    static void whenShown(TEditorDialog &dlg, std::function<void()> f, const char *button)
    {
        QTimer::singleShot(0, &dlg, [&dlg, f, button] {
            f();
            dlg.findChild<QPushButton *>(QLatin1String(button))->click();
        });
    }

    static QString languageFile(const char *name)
    {
        return QStringLiteral(QV_SOURCE_DATA_DIR "/Languages/") + QLatin1String(name) +
               QStringLiteral(".lng");
    }

private slots:
    void initTestCase()
    {
        // Every window reads its texts when it is made.
        LanguageFilePath = languageFile("Spanish(1)");
    }

    void texts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("the Spanish file gives the Spanish texts")
            << "Spanish(1)"
            << QStringList{"Opciones del editor",
                           "General",
                           "Colores",
                           "Comandos del sistema",
                           "Aceptar",
                           "Sin color"};
        QTest::newRow("the English file gives the English texts")
            << "English"
            << QStringList{
                   "Editor Options", "General", "Colours", "System commands", "OK", "No colour"};
    }

    void texts()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, expected);
        LanguageFilePath = languageFile(language.toLatin1().constData());
        TEditorDialog dlg(nullptr);
        LanguageFilePath = languageFile("Spanish(1)");
        const QStringList got = {dlg.windowTitle(),
                                 dlg.pages()->tabText(0),
                                 dlg.pages()->tabText(2),
                                 dlg.editorItems()->item(1)->text(),
                                 dlg.findChild<QPushButton *>("OkButton")->text(),
                                 dlg.foregroundButton()->text()};
        QCOMPARE(got, expected);
    }

    void textsFollowALanguageChange()
    {
        TEditorDialog dlg(nullptr);
        QCOMPARE(dlg.pages()->tabText(2), QStringLiteral("Colores"));
        LanguageFilePath = languageFile("English");
        ReloadLongLivedWindowTexts();
        LanguageFilePath = languageFile("Spanish(1)");
        QCOMPARE(dlg.pages()->tabText(2), QStringLiteral("Colours"));
        QCOMPARE(dlg.editorItems()->item(9)->text(), QStringLiteral("Comments"));
        QCOMPARE(dlg.findChild<QGroupBox *>()->title().isEmpty(), false);
    }

    void aMissingLanguageFileKeepsTheTextsAndSaysSo()
    {
        ScriptedDialogs dialogs;
        SetMessage(5, QStringLiteral("No se encuentra %s"));
        LanguageFilePath = QStringLiteral("/nonexistent/Klingon.lng");
        TEditorDialog dlg(nullptr);
        LanguageFilePath = languageFile("Spanish(1)");
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages[0].text,
                 QStringLiteral("No se encuentra /nonexistent/Klingon.lng"));
        QCOMPARE(dlg.pages()->tabText(2), QStringLiteral("Colores"));
        QCOMPARE(dlg.editorItems()->item(0)->text(), QStringLiteral("Espacios"));
    }

    void everySettingRoundTrips_data()
    {
        QTest::addColumn<int>("change");
        for (int i = 0; i < int(changes().size()); ++i)
            QTest::newRow(changes()[i].name) << i;
    }

    void everySettingRoundTrips()
    {
        QFETCH(int, change);
        EditorSettings in;
        changes()[change].apply(in);
        TEditorDialog dlg(nullptr);
        dlg.loadFrom(in);
        EditorSettings out;
        out.FontSize = 99; // must be overwritten
        dlg.storeTo(out);
        QVERIFY(same(in, out));
    }

    void fontSizeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::newRow("a size from the list is taken") << "14" << 14;
        QTest::newRow("a typed size with blanks is taken") << " 9 " << 9;
        QTest::newRow("text that is not a number keeps the old size") << "big" << 12;
        QTest::newRow("zero keeps the old size") << "0" << 12;
        QTest::newRow("an absurd size keeps the old one") << "9000" << 12;
        QTest::newRow("an empty box keeps the old size") << "" << 12;
    }

    void fontSizeText()
    {
        QFETCH(QString, text);
        QFETCH(int, size);
        TEditorDialog dlg(nullptr);
        EditorSettings s;
        dlg.loadFrom(s);
        dlg.findChild<QComboBox *>("FontSize")->setCurrentText(text);
        dlg.storeTo(s);
        QCOMPARE(s.FontSize, size);
    }

    void entries_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::newRow("spaces edit kind 5") << 0 << "Espacios" << 5;
        QTest::newRow("system commands edit reserved words") << 1 << "Comandos del sistema" << 4;
        QTest::newRow("control structures edit branching") << 2 << "Estructuras de control" << 8;
        QTest::newRow("system variables edit variables") << 3 << "Variables del sistema" << 10;
        QTest::newRow("special symbols edit symbols") << 4 << "Símbolos especiales" << 7;
        QTest::newRow("algebraic objects edit algebraics") << 5 << "Objetos algebraicos" << 9;
        QTest::newRow("strings edit strings") << 6 << "Cadena de caracteres" << 6;
        QTest::newRow("numbers edit numbers") << 7 << "Números" << 3;
        QTest::newRow("text edits identifiers") << 8 << "Texto" << 2;
        QTest::newRow("comments edit comments") << 9 << "Comentarios" << 1;
    }

    void entries()
    {
        QFETCH(int, entry);
        QFETCH(QString, text);
        QFETCH(int, kind);
        TSynQuorvaneSyn main;
        startupHighlighter(main);
        // Without a language file the built-in texts show.
        ScriptedDialogs dialogs;
        LanguageFilePath = QStringLiteral("/nonexistent/none.lng");
        TEditorDialog dlg(&main);
        LanguageFilePath = languageFile("Spanish(1)");
        dlg.sampleHighlighter()->assign(main);
        dlg.loadFrom(EditorSettings());
        QCOMPARE(dlg.editorItems()->count(), 10);
        QCOMPARE(dlg.editorItems()->item(entry)->text(), text);

        dlg.editorItems()->setCurrentRow(entry);
        QCOMPARE(dlg.selectedKind(), kind);
        const HighlighterAttribute *attr = dlg.sampleHighlighter()->attribute(kind);
        QCOMPARE(dlg.foregroundButton()->color(), attr->foreground());
        QCOMPARE(dlg.backgroundButton()->color(), attr->background());
        QCOMPARE(dlg.findChild<QCheckBox *>("BoldText")->isChecked(),
                 bool(attr->style() & StyleBold));
        QCOMPARE(dlg.findChild<QCheckBox *>("ItalicText")->isChecked(),
                 bool(attr->style() & StyleItalic));

        // Choosing a colour changes that kind only, at once, and the sample
        // editor shows it.
        dlg.foregroundButton()->choose(rgbColor(12, 34, 56));
        dlg.backgroundButton()->choose(rgbColor(1, 2, 3));
        for (int k = 0; k < 11; ++k) {
            const HighlighterAttribute *a = dlg.sampleHighlighter()->attribute(k);
            QCOMPARE(a->foreground() == rgbColor(12, 34, 56), k == kind);
            QCOMPARE(a->background() == rgbColor(1, 2, 3), k == kind);
        }
        QCOMPARE(dlg.sampleEditor()->SendScintilla(Sci::SCI_STYLEGETFORE, kind),
                 long(rgbColor(12, 34, 56)));
        // The main highlighter waits for OK.
        QCOMPARE(main.attribute(kind)->foreground() == rgbColor(12, 34, 56), false);

        // "No colour" and "automatic" are values of their own.
        dlg.backgroundButton()->choose(ColorNone);
        dlg.foregroundButton()->choose(ColorDefault);
        QCOMPARE(dlg.sampleHighlighter()->attribute(kind)->background(), ColorNone);
        QCOMPARE(dlg.sampleHighlighter()->attribute(kind)->foreground(), ColorDefault);
    }

    void styleMarksSetExactlyBoldItalicUnderline()
    {
        TSynQuorvaneSyn main;
        startupHighlighter(main);
        TEditorDialog dlg(&main);
        dlg.sampleHighlighter()->assign(main);
        dlg.sampleHighlighter()->keyAttri()->setStyle(StyleBold | StyleStrikeOut);
        dlg.loadFrom(EditorSettings());
        dlg.editorItems()->setCurrentRow(1);
        dlg.findChild<QCheckBox *>("ItalicText")->click();
        QCOMPARE(dlg.sampleHighlighter()->keyAttri()->style(), StyleBold | StyleItalic);
        dlg.findChild<QCheckBox *>("BoldText")->click();
        dlg.findChild<QCheckBox *>("UnderlineText")->click();
        QCOMPARE(dlg.sampleHighlighter()->keyAttri()->style(), StyleItalic | StyleUnderline);
        QCOMPARE(TEditorDialog::styleFromMarks(true, true, true), 7);
    }

    void okStoresSettingsAndCopiesColoursBack()
    {
        TSynQuorvaneSyn main;
        startupHighlighter(main);
        TEditorDialog dlg(&main);
        EditorSettings settings;
        QSignalSpy rescans(&main, &TSynQuorvaneSyn::highlightingChanged);
        whenShown(
            dlg,
            [&] {
                dlg.findChild<QCheckBox *>("UseHighLight")->setChecked(false);
                dlg.findChild<QSpinBox *>("TabSize")->setValue(4);
                dlg.editorItems()->setCurrentRow(1);
                dlg.foregroundButton()->choose(rgbColor(200, 0, 0));
            },
            "OkButton");
        QVERIFY(dlg.Execute(settings));
        QCOMPARE(settings.UseHighlight, false);
        QCOMPARE(settings.TabSize, 4);
        QCOMPARE(main.keyAttri()->foreground(), rgbColor(200, 0, 0));
        QCOMPARE(main.keyWords().lines(), (QByteArrayList{"DUP", "EVAL", "NEG"}));
        // The lists came back unchanged, so no editor has to scan again.
        QCOMPARE(rescans.count(), 0);
    }

    void cancelChangesNothing()
    {
        TSynQuorvaneSyn main;
        startupHighlighter(main);
        TEditorDialog dlg(&main);
        EditorSettings settings;
        whenShown(
            dlg,
            [&] {
                dlg.findChild<QCheckBox *>("UseHighLight")->setChecked(false);
                dlg.findChild<QComboBox *>("FontSize")->setCurrentText("30");
                dlg.editorItems()->setCurrentRow(1);
                dlg.foregroundButton()->choose(rgbColor(200, 0, 0));
            },
            "CancelButton");
        QVERIFY(!dlg.Execute(settings));
        QVERIFY(same(settings, EditorSettings()));
        QCOMPARE(main.keyAttri()->foreground(), rgbColor(0, 0, 128));

        // The next time the window opens it shows the main colours again.
        whenShown(
            dlg,
            [&] {
                QCOMPARE(dlg.sampleHighlighter()->keyAttri()->foreground(), rgbColor(0, 0, 128));
                QCOMPARE(dlg.foregroundButton()->color(), rgbColor(0, 0, 128));
                QVERIFY(dlg.findChild<QCheckBox *>("UseHighLight")->isChecked());
            },
            "CancelButton");
        QVERIFY(!dlg.Execute(settings));
    }

    void fontsFollowTheChoice()
    {
        TEditorDialog dlg(nullptr);
        EditorSettings s;
        s.FontEditor = "DejaVu Serif";
        s.FontSize = 16;
        dlg.loadFrom(s);
        QCOMPARE(dlg.samplePanel()->text(), QStringLiteral("AaBbYyZz"));
        QCOMPARE(dlg.samplePanel()->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(dlg.samplePanel()->font().pointSize(), 16);
        // The sample editor takes the chosen face when the window is loaded.
        QCOMPARE(dlg.sampleEditor()->SendScintilla(Sci::SCI_STYLEGETSIZE, TSynQuorvaneSyn::Key),
                 16l);

        // The sample panel follows the controls at once.
        dlg.findChild<QComboBox *>("FontName")->setCurrentText("DejaVu Sans Mono");
        dlg.findChild<QComboBox *>("FontSize")->setCurrentText("22");
        QCOMPARE(dlg.samplePanel()->font().family(), QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(dlg.samplePanel()->font().pointSize(), 22);
    }

    void aFontThatIsNotInstalledSaysWhichOneDrawsTheText()
    {
        InstallFontSubstitutions();
        TEditorDialog dlg(nullptr);
        EditorSettings s; // the calculator font of the defaults is not installed
        dlg.loadFrom(s);
        QVERIFY(!QFontDatabase::hasFamily(s.FontEditor));
        QVERIFY(!dlg.fontFallbackLabel()->isHidden()); // on its page, shown with it
        QVERIFY2(dlg.fontFallbackLabel()->text().contains("DejaVu Sans Mono"),
                 qPrintable(dlg.fontFallbackLabel()->text()));
        dlg.findChild<QComboBox *>("FontName")->setCurrentText("DejaVu Serif");
        QVERIFY(dlg.fontFallbackLabel()->isHidden());
    }

    void theColoursPageFocusesTheList()
    {
        TEditorDialog dlg(nullptr);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.pages()->setCurrentIndex(2);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg.editorItems()));
        dlg.hide();
    }

    void theFirstEntryIsShownAtCreation()
    {
        TSynQuorvaneSyn main;
        TEditorDialog dlg(&main);
        QCOMPARE(dlg.editorItems()->currentRow(), 0);
        QCOMPARE(dlg.selectedKind(), int(TSynQuorvaneSyn::Space));
    }
};

QTEST_MAIN(TestEditorDialog)
#include "tst_editordialog.moc"
