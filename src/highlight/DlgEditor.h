#pragma once

#include "highlight/HighlighterAttribute.h"

#include <QDialog>
#include <array>

struct EditorSettings;
class ColorButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QsciScintilla;
class TSynQuorvaneSyn;

// The editor options window: the document editors' options, their font, and
// the colours and styles of the highlighter's token kinds with a live sample.
//
// It lives from start to exit. Its colour page edits a private highlighter,
// which is loaded from the main one each time the window opens and copied
// back only when the user confirms; Cancel changes nothing.
class TEditorDialog : public QDialog
{
    Q_OBJECT

public:
    // The token kind each entry of the colour list edits, in list order.
    static constexpr std::array<int, 10> EntryKinds = {5, 4, 8, 10, 7, 9, 6, 3, 2, 1};

    TEditorDialog(TSynQuorvaneSyn *mainHighlighter, QWidget *parent = nullptr);

    // The command OptionsEditor up to the editors: loads the window from
    // settings and the main highlighter and shows it modally. On OK the
    // settings hold every control and the main highlighter the new colours,
    // and true is returned; the caller then applies them to the editors.
    bool Execute(EditorSettings &settings);

    // Every control from settings, as the window does when it is shown.
    void loadFrom(const EditorSettings &settings);
    // Every control into settings, as the OK button does.
    void storeTo(EditorSettings &settings) const;

    TSynQuorvaneSyn *sampleHighlighter() const { return m_sample; }
    QsciScintilla *sampleEditor() const { return m_editSample; }
    QLabel *samplePanel() const { return m_samplePanel; }
    // Says which installed font draws the text when the chosen one is not
    // installed; hidden otherwise.
    QLabel *fontFallbackLabel() const { return m_fontFallback; }
    QListWidget *editorItems() const { return m_editorItems; }
    ColorButton *foregroundButton() const { return m_foreground; }
    ColorButton *backgroundButton() const { return m_background; }
    QTabWidget *pages() const { return m_pages; }

    // The token kind the selected entry edits.
    int selectedKind() const;

    // The style bits the three check boxes stand for (no strike-out).
    static int styleFromMarks(bool bold, bool italic, bool underline);
    // The font size typed or chosen, or fallback when the text is not a size.
    static int parseFontSize(const QString &text, int fallback);

private:
    // The window's texts from the language file, now and on every change
    // of language.
    void loadTexts();
    QWidget *buildGeneralPage();
    QWidget *buildDisplayPage();
    QWidget *buildColorsPage();
    void showEntry(int entry);
    void setSelectedColor(bool foreground, ColorValue color);
    void setSelectedStyle();
    void updateSamplePanel();
    QFont chosenFont() const;

    TSynQuorvaneSyn *m_main = nullptr;
    TSynQuorvaneSyn *m_sample = nullptr;
    EditorSettings *m_executing = nullptr; // while Execute runs
    int m_fallbackFontSize = 12;

    QTabWidget *m_pages = nullptr;
    QWidget *m_generalPage = nullptr;
    QWidget *m_displayPage = nullptr;
    QWidget *m_colorsPage = nullptr;

    QGroupBox *m_editorOptions = nullptr;
    QCheckBox *m_autoIndent = nullptr;
    QCheckBox *m_insertMode = nullptr;
    QCheckBox *m_tabsToSpaces = nullptr;
    QCheckBox *m_smallTabs = nullptr;
    QCheckBox *m_hideSelection = nullptr;
    QCheckBox *m_undoAfterSave = nullptr;
    QCheckBox *m_trimSpaces = nullptr;
    QCheckBox *m_dragDropEditing = nullptr;
    QCheckBox *m_altSetsColumn = nullptr;
    QCheckBox *m_useHighLight = nullptr;
    QLabel *m_extraLineSpacingLabel = nullptr;
    QSpinBox *m_extraLineSpacing = nullptr;
    QLabel *m_undoLimitsLabel = nullptr;
    QSpinBox *m_undoLimits = nullptr;
    QLabel *m_tabSizeLabel = nullptr;
    QSpinBox *m_tabSize = nullptr;

    QGroupBox *m_fileOptions = nullptr;
    QCheckBox *m_createBackup = nullptr;
    QCheckBox *m_endLineFormat = nullptr;
    QGroupBox *m_margins = nullptr;
    QCheckBox *m_margin = nullptr;
    QCheckBox *m_gutter = nullptr;
    QLabel *m_marginSizeLabel = nullptr;
    QSpinBox *m_marginSize = nullptr;
    QLabel *m_gutterSizeLabel = nullptr;
    QSpinBox *m_gutterSize = nullptr;
    QLabel *m_fontNameLabel = nullptr;
    QComboBox *m_fontName = nullptr;
    QLabel *m_fontSizeLabel = nullptr;
    QComboBox *m_fontSize = nullptr;
    QGroupBox *m_fontExample = nullptr;
    QLabel *m_samplePanel = nullptr;
    QLabel *m_fontFallback = nullptr;
    QString m_shownWithText = QStringLiteral("Esta fuente no está instalada: el texto se muestra con %s.");

    QLabel *m_elementsLabel = nullptr;
    QListWidget *m_editorItems = nullptr;
    QLabel *m_foregroundLabel = nullptr;
    ColorButton *m_foreground = nullptr;
    QLabel *m_backgroundLabel = nullptr;
    ColorButton *m_background = nullptr;
    QGroupBox *m_textAttributes = nullptr;
    QCheckBox *m_boldText = nullptr;
    QCheckBox *m_italicText = nullptr;
    QCheckBox *m_underlineText = nullptr;
    QsciScintilla *m_editSample = nullptr;

    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};
