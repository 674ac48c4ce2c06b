#include "highlight/DlgEditor.h"

#include "highlight/ColorButton.h"
#include "highlight/QuorvaneLexer.h"
#include "highlight/SynHighlighterQuorvane.h"

#include "formats/CalcCharset.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <Qsci/qsciscintilla.h>
#include <algorithm>

namespace {

const char *const kDefaultFont = "_CAS_HP48x-49x-50x_01";
const char *const kSampleFont = "HP48";
const int kFontSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// The program shown on the colour page, in calculator bytes.
const char kSampleProgram[] = "@ Esto es solo un ejemplo\n"
                              "\xAB \x8D A B C\n"
                              "  \xAB '(A+B+C)/2' EVAL DUP\n"
                              "    IF 5 >\n"
                              "    THEN NEG\n"
                              "    ELSE 2 *\n"
                              "    END\n"
                              "  \xBB\n"
                              "\xBB";

// Built-in texts of the colour list, in list order.
const char *const kEntryTexts[10] = {
    "Espacios",
    "Comandos del sistema",
    "Estructuras de control",
    "Variables del sistema",
    "Símbolos especiales",
    "Objetos algebraicos",
    "Cadena de caracteres",
    "Números",
    "Texto",
    "Comentarios",
};

QCheckBox *checkBox(const char *name, const char *text, QWidget *parent)
{
    auto *box = new QCheckBox(QString::fromUtf8(text), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QSpinBox *spinBox(const char *name, int minimum, int maximum, QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(minimum, maximum);
    spin->setMinimumWidth(90);
    return spin;
}

QLabel *label(const char *text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(QString::fromUtf8(text), parent);
    l->setBuddy(buddy);
    return l;
}

} // namespace

TEditorDialog::TEditorDialog(TSynQuorvaneSyn *mainHighlighter, QWidget *parent)
    : QDialog(parent)
    , m_main(mainHighlighter)
    , m_sample(new TSynQuorvaneSyn(this))
{
    setObjectName(QStringLiteral("EditorDialog"));
    setWindowTitle(QStringLiteral("Opciones del editor"));
    setModal(true);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_generalPage = buildGeneralPage();
    m_displayPage = buildDisplayPage();
    m_colorsPage = buildColorsPage();
    m_pages->addTab(m_generalPage, QStringLiteral("General"));
    m_pages->addTab(m_displayPage, QStringLiteral("Visualización"));
    m_pages->addTab(m_colorsPage, QStringLiteral("Colores"));
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_pages->widget(index) == m_colorsPage)
            m_editorItems->setFocus(Qt::TabFocusReason);
    });

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    m_cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    m_cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_executing)
            storeTo(*m_executing);
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addWidget(buttons);

    loadFrom(EditorSettings());
    loadTexts();
}

void TEditorDialog::loadTexts()
{
    auto entry = [this](int row) {
        return [this, row](const QString &text) { m_editorItems->item(row)->setText(text); };
    };
    auto bothButtons = [this](void (ColorButton::*set)(const QString &)) {
        return [this, set](const QString &text) {
            (m_foreground->*set)(text);
            (m_background->*set)(text);
        };
    };
    // Read now and again whenever the user picks another language.
    loadWindowTexts(
        this,
        "ConfigEditorDialog",
        {
            {"DlgConfigEditorTitle", this, TextRole::Title},
            {"DlgConfigEditorGeneral", m_generalPage},
            {"DlgConfigEditorEditorOptions", m_editorOptions},
            {"DlgConfigEditorAutoIndent", m_autoIndent},
            {"DlgConfigEditorInsertMode", m_insertMode},
            {"DlgConfigEditorTabsToSpaces", m_tabsToSpaces},
            {"DlgConfigEditorSmartTabs", m_smallTabs},
            {"DlgConfigEditorHideSelection", m_hideSelection},
            {"DlgConfigEditorUndoAfterSave", m_undoAfterSave},
            {"DlgConfigEditorTrimTrailingSpaces", m_trimSpaces},
            {"DlgConfigEditorDragDropEditing", m_dragDropEditing},
            {"DlgConfigEditorAltSetsColumnMode", m_altSetsColumn},
            {"DlgConfigEditorUseHighlighter", m_useHighLight},
            {"DlgConfigEditorExtraLineSpacing", m_extraLineSpacingLabel},
            {"DlgConfigEditorUndoLimits", m_undoLimitsLabel},
            {"DlgConfigEditorTabWidth", m_tabSizeLabel},
            {"DlgConfigEditorDisplay", m_displayPage},
            {"DlgConfigEditorFileOptions", m_fileOptions},
            {"DlgConfigEditorCreateBackup", m_createBackup},
            {"DlgConfigEditorLineEndFormat", m_endLineFormat},
            {"DlgConfigEditorMagins", m_margins},
            {"DlgConfigEditorVisibleMargin", m_margin},
            {"DlgConfigEditorVisibleGutter", m_gutter},
            {"DlgConfigEditorMarginSize", m_marginSizeLabel},
            {"DlgConfigEditorGutterSize", m_gutterSizeLabel},
            {"DlgConfigEditorFontName", m_fontNameLabel},
            {"DlgConfigEditorFontShownWith", [this](const QString &t) {
                 m_shownWithText = t;
                 updateSamplePanel();
             }},
            {"DlgConfigEditorFontSize", m_fontSizeLabel},
            {"DlgConfigEditorFontExample", m_fontExample},
            {"DlgConfigEditorColors", m_colorsPage},
            {"DlgConfigEditorElements", m_elementsLabel},
            {"DlgConfigEditorSpaces", entry(0)},
            {"DlgConfigEditorCommands", entry(1)},
            {"DlgConfigEditorBranch", entry(2)},
            {"DlgConfigEditorVariables", entry(3)},
            {"DlgConfigEditorSymbols", entry(4)},
            {"DlgConfigEditorAlgebraics", entry(5)},
            {"DlgConfigEditorStrings", entry(6)},
            {"DlgConfigEditorNumbers", entry(7)},
            {"DlgConfigEditorText", entry(8)},
            {"DlgConfigEditorComment", entry(9)},
            {"DlgConfigEditorForegroundColor", m_foregroundLabel},
            {"DlgConfigEditorBackgroundColor", m_backgroundLabel},
            {"DlgConfigEditorTextAttributes", m_textAttributes},
            {"DlgConfigEditorTextBold", m_boldText},
            {"DlgConfigEditorTextItalic", m_italicText},
            {"DlgConfigEditorTextUnderline", m_underlineText},
            {"DlgConfigEditorOk", m_ok},
            {"DlgConfigEditorCancel", m_cancel},
            // The special entries of the two colour buttons.
            {"DlgConfigEditorAutomaticColor", bothButtons(&ColorButton::setAutomaticText)},
            {"DlgConfigEditorNoColor", bothButtons(&ColorButton::setNoColorText)},
            {"DlgConfigEditorMoreColors", bothButtons(&ColorButton::setMoreColorsText)},
        },
        WindowTexts::ReloadOnLanguageChange);
}

QWidget *TEditorDialog::buildGeneralPage()
{
    auto *page = new QWidget(this);
    m_editorOptions = new QGroupBox(QStringLiteral("Opciones del editor"), page);
    m_autoIndent = checkBox("AutoIndent", "Sangría automática", m_editorOptions);
    m_insertMode = checkBox("InsertMode", "Modo insertar", m_editorOptions);
    m_tabsToSpaces = checkBox("TabsToSpaces", "Usar espacios como tabulador", m_editorOptions);
    m_smallTabs = checkBox("SmallTabs", "Tabulador pequeño", m_editorOptions);
    m_hideSelection = checkBox("HideSelection", "Ocultar la selección", m_editorOptions);
    m_undoAfterSave = checkBox("UndoAfterSave", "Permitir deshacer al guardar", m_editorOptions);
    m_trimSpaces = checkBox("TrimSpaces", "Recortar espacios en blanco", m_editorOptions);
    m_dragDropEditing =
        checkBox("DragDropEditing", "Permitir arrastrar en el editor", m_editorOptions);
    m_altSetsColumn = checkBox("AltSetsColumn", "Seleccionar columnas con Alt", m_editorOptions);
    m_useHighLight = checkBox("UseHighLight", "Usar resaltador", m_editorOptions);

    auto *checks = new QGridLayout;
    QCheckBox *const boxes[] = {m_autoIndent,
                                m_insertMode,
                                m_tabsToSpaces,
                                m_smallTabs,
                                m_hideSelection,
                                m_undoAfterSave,
                                m_trimSpaces,
                                m_dragDropEditing,
                                m_altSetsColumn,
                                m_useHighLight};
    for (int i = 0; i < 10; ++i)
        checks->addWidget(boxes[i], i % 5, i / 5);

    m_extraLineSpacing = spinBox("ExtraLineSpacing", 0, 100, m_editorOptions);
    m_undoLimits = spinBox("UndoLimits", 0, 1000000, m_editorOptions);
    m_tabSize = spinBox("TabSize", 0, 64, m_editorOptions);
    m_extraLineSpacingLabel = label("Espaciado entre líneas:", m_extraLineSpacing, m_editorOptions);
    m_undoLimitsLabel = label("Límite para deshacer:", m_undoLimits, m_editorOptions);
    m_tabSizeLabel = label("Tamaño del tabulador:", m_tabSize, m_editorOptions);
    auto *spins = new QFormLayout;
    spins->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    spins->addRow(m_extraLineSpacingLabel, m_extraLineSpacing);
    spins->addRow(m_undoLimitsLabel, m_undoLimits);
    spins->addRow(m_tabSizeLabel, m_tabSize);

    auto *groupLayout = new QVBoxLayout(m_editorOptions);
    groupLayout->addLayout(checks);
    groupLayout->addSpacing(8);
    groupLayout->addLayout(spins);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_editorOptions);
    layout->addStretch();
    return page;
}

QWidget *TEditorDialog::buildDisplayPage()
{
    auto *page = new QWidget(this);

    m_fileOptions = new QGroupBox(QStringLiteral("Opciones de archivo"), page);
    m_createBackup = checkBox("CreateBackup", "Crear copia de seguridad", m_fileOptions);
    m_endLineFormat =
        checkBox("EndLineFormat", "Usar formato HP para el fin de línea", m_fileOptions);
    auto *fileLayout = new QVBoxLayout(m_fileOptions);
    fileLayout->addWidget(m_createBackup);
    fileLayout->addWidget(m_endLineFormat);

    m_margins = new QGroupBox(QStringLiteral("Márgenes"), page);
    m_margin = checkBox("Margin", "Margen derecho", m_margins);
    m_gutter = checkBox("Gutter", "Margen izquierdo", m_margins);
    m_marginSize = spinBox("MarginSize", 0, 1000, m_margins);
    m_gutterSize = spinBox("GutterSize", 0, 500, m_margins);
    m_marginSizeLabel = label("Margen derecho:", m_marginSize, m_margins);
    m_gutterSizeLabel = label("Margen izquierdo:", m_gutterSize, m_margins);
    auto *marginLayout = new QGridLayout(m_margins);
    marginLayout->addWidget(m_margin, 0, 0);
    marginLayout->addWidget(m_gutter, 1, 0);
    marginLayout->addWidget(m_marginSizeLabel, 0, 1);
    marginLayout->addWidget(m_marginSize, 0, 2);
    marginLayout->addWidget(m_gutterSizeLabel, 1, 1);
    marginLayout->addWidget(m_gutterSize, 1, 2);
    marginLayout->setColumnStretch(0, 1);

    m_fontName = new QComboBox(page);
    m_fontName->setObjectName(QStringLiteral("FontName"));
    m_fontName->addItem(QLatin1String(kDefaultFont));
    for (const QString &family : QFontDatabase::families()) {
        if (m_fontName->findText(family, Qt::MatchFixedString) < 0)
            m_fontName->addItem(family);
    }
    m_fontName->setMinimumWidth(220);
    m_fontSize = new QComboBox(page);
    m_fontSize->setObjectName(QStringLiteral("FontSize"));
    m_fontSize->setEditable(true);
    for (int size : kFontSizes)
        m_fontSize->addItem(QString::number(size));
    m_fontNameLabel = label("Fuente:", m_fontName, page);
    m_fontSizeLabel = label("Tamaño:", m_fontSize, page);
    connect(m_fontName, &QComboBox::currentTextChanged, this, &TEditorDialog::updateSamplePanel);
    connect(m_fontSize, &QComboBox::currentTextChanged, this, &TEditorDialog::updateSamplePanel);

    m_fontExample = new QGroupBox(QStringLiteral("Ejemplo"), page);
    m_samplePanel = new QLabel(QStringLiteral("AaBbYyZz"), m_fontExample);
    m_samplePanel->setObjectName(QStringLiteral("SamplePanel"));
    m_samplePanel->setAlignment(Qt::AlignCenter);
    m_samplePanel->setFrameShape(QFrame::StyledPanel);
    m_samplePanel->setFrameShadow(QFrame::Sunken);
    m_samplePanel->setAutoFillBackground(true);
    m_samplePanel->setMinimumHeight(72);
    QPalette pal = m_samplePanel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    m_samplePanel->setPalette(pal);
    auto *exampleLayout = new QVBoxLayout(m_fontExample);
    exampleLayout->addWidget(m_samplePanel);

    auto *fontRow = new QHBoxLayout;
    fontRow->addWidget(m_fontNameLabel);
    fontRow->addWidget(m_fontName, 1);
    fontRow->addSpacing(12);
    fontRow->addWidget(m_fontSizeLabel);
    fontRow->addWidget(m_fontSize);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_fileOptions);
    layout->addWidget(m_margins);
    layout->addLayout(fontRow);
    m_fontFallback = new QLabel(page);
    m_fontFallback->setObjectName(QStringLiteral("FontFallback"));
    m_fontFallback->setWordWrap(true);
    m_fontFallback->hide();
    layout->addWidget(m_fontFallback);
    layout->addWidget(m_fontExample, 1);
    return page;
}

QWidget *TEditorDialog::buildColorsPage()
{
    auto *page = new QWidget(this);

    m_editorItems = new QListWidget(page);
    m_editorItems->setObjectName(QStringLiteral("EditorItems"));
    for (const char *text : kEntryTexts)
        m_editorItems->addItem(QString::fromUtf8(text));
    m_editorItems->setMinimumWidth(190);
    m_elementsLabel = label("Elementos:", m_editorItems, page);
    connect(m_editorItems, &QListWidget::currentRowChanged, this, &TEditorDialog::showEntry);

    m_foreground = new ColorButton(page);
    m_foreground->setObjectName(QStringLiteral("ForegroundColor"));
    m_foreground->setFallbackColor(QuorvaneLexer::defaultForeground());
    m_background = new ColorButton(page);
    m_background->setObjectName(QStringLiteral("BackgroundColor"));
    m_background->setFallbackColor(QuorvaneLexer::defaultBackground());
    m_foregroundLabel = label("Color de primer plano:", m_foreground, page);
    m_backgroundLabel = label("Color de fondo:", m_background, page);
    connect(m_foreground, &ColorButton::colorChosen, this, [this](ColorValue c) {
        setSelectedColor(true, c);
    });
    connect(m_background, &ColorButton::colorChosen, this, [this](ColorValue c) {
        setSelectedColor(false, c);
    });

    m_textAttributes = new QGroupBox(QStringLiteral("Atributos del texto"), page);
    m_boldText = checkBox("BoldText", "Negrita", m_textAttributes);
    m_italicText = checkBox("ItalicText", "Cursiva", m_textAttributes);
    m_underlineText = checkBox("UnderlineText", "Subrayado", m_textAttributes);
    auto *attrLayout = new QVBoxLayout(m_textAttributes);
    for (QCheckBox *box : {m_boldText, m_italicText, m_underlineText}) {
        attrLayout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, &TEditorDialog::setSelectedStyle);
    }

    m_editSample = new QsciScintilla(page);
    m_editSample->setObjectName(QStringLiteral("EditSample"));
    m_editSample->setUtf8(true);
    m_editSample->setFont(QFont(QLatin1String(kSampleFont), 10));
    m_editSample->setMarginWidth(0, 0);
    m_editSample->setMarginWidth(1, 0);
    m_editSample->setText(CalcCharset::decode(QByteArray(kSampleProgram)));
    m_editSample->setReadOnly(true);
    m_editSample->setCaretWidth(0);
    m_editSample->setMinimumHeight(170);
    // Scroll only as wide as the sample is.
    m_editSample->SendScintilla(QsciScintillaBase::SCI_SETSCROLLWIDTH, 1);
    m_editSample->SendScintilla(QsciScintillaBase::SCI_SETSCROLLWIDTHTRACKING, 1);
    SetEditorHighlighter(m_editSample, m_sample);

    auto *right = new QGridLayout;
    right->addWidget(m_foregroundLabel, 0, 0);
    right->addWidget(m_foreground, 0, 1);
    right->addWidget(m_backgroundLabel, 1, 0);
    right->addWidget(m_background, 1, 1);
    right->addWidget(m_textAttributes, 2, 0, 1, 2);
    right->setRowStretch(3, 1);

    auto *top = new QGridLayout;
    top->addWidget(m_elementsLabel, 0, 0);
    top->addWidget(m_editorItems, 1, 0);
    top->addLayout(right, 1, 1);
    top->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(m_editSample, 1);
    return page;
}

// ------------------------------------------------------------------ settings

void TEditorDialog::loadFrom(const EditorSettings &s)
{
    m_autoIndent->setChecked(s.AutoIndent);
    m_insertMode->setChecked(s.InsertMode);
    m_tabsToSpaces->setChecked(s.TabsToSpaces);
    m_smallTabs->setChecked(s.SmallTabs);
    m_hideSelection->setChecked(s.HideSelection);
    m_undoAfterSave->setChecked(s.UndoAfterSave);
    m_trimSpaces->setChecked(s.TrimTrailingSpaces);
    m_dragDropEditing->setChecked(s.DragDropEditing);
    m_altSetsColumn->setChecked(s.AltSetsColumnMode);
    m_useHighLight->setChecked(s.UseHighlight);
    m_extraLineSpacing->setValue(s.ExtraLineSpacing);
    m_undoLimits->setValue(s.MaxUndo);
    m_tabSize->setValue(s.TabSize);
    m_createBackup->setChecked(s.CreateBackup);
    m_endLineFormat->setChecked(s.EndLineFormat);
    m_margin->setChecked(s.MarginVisible);
    m_marginSize->setValue(s.MarginSize);
    m_gutter->setChecked(s.GutterVisible);
    m_gutterSize->setValue(s.GutterSize);

    // A stored face that is not in the list (a font installed elsewhere) is
    // still the one chosen.
    int face = m_fontName->findText(s.FontEditor, Qt::MatchFixedString);
    if (face < 0) {
        m_fontName->insertItem(0, s.FontEditor);
        face = 0;
    }
    m_fontName->setCurrentIndex(face);
    m_fallbackFontSize = s.FontSize;
    m_fontSize->setCurrentText(QString::number(s.FontSize));
    updateSamplePanel();

    // The sample editor shows the chosen font from now on.
    m_editSample->setFont(chosenFont());
    if (auto *lexer = qobject_cast<QuorvaneLexer *>(m_editSample->lexer()))
        lexer->setBaseFont(chosenFont());

    // The colour controls show the selected entry of the (reloaded) private
    // highlighter.
    showEntry(std::max(0, m_editorItems->currentRow()));
}

void TEditorDialog::storeTo(EditorSettings &s) const
{
    s.AutoIndent = m_autoIndent->isChecked();
    s.InsertMode = m_insertMode->isChecked();
    s.TabsToSpaces = m_tabsToSpaces->isChecked();
    s.SmallTabs = m_smallTabs->isChecked();
    s.HideSelection = m_hideSelection->isChecked();
    s.UndoAfterSave = m_undoAfterSave->isChecked();
    s.TrimTrailingSpaces = m_trimSpaces->isChecked();
    s.DragDropEditing = m_dragDropEditing->isChecked();
    s.AltSetsColumnMode = m_altSetsColumn->isChecked();
    s.UseHighlight = m_useHighLight->isChecked();
    s.ExtraLineSpacing = m_extraLineSpacing->value();
    s.MaxUndo = m_undoLimits->value();
    s.TabSize = m_tabSize->value();
    s.CreateBackup = m_createBackup->isChecked();
    s.EndLineFormat = m_endLineFormat->isChecked();
    s.MarginVisible = m_margin->isChecked();
    s.MarginSize = m_marginSize->value();
    s.GutterVisible = m_gutter->isChecked();
    s.GutterSize = m_gutterSize->value();
    s.FontEditor = m_fontName->currentText().left(MaxSettingText);
    s.FontSize = parseFontSize(m_fontSize->currentText(), s.FontSize);
}

bool TEditorDialog::Execute(EditorSettings &settings)
{
    if (m_main)
        m_sample->assign(*m_main);
    loadFrom(settings);
    m_executing = &settings;
    const bool ok = exec() == QDialog::Accepted;
    m_executing = nullptr;
    if (ok && m_main)
        m_main->assign(*m_sample);
    return ok;
}

// ------------------------------------------------------------------ fonts

int TEditorDialog::parseFontSize(const QString &text, int fallback)
{
    // Anything that is not a whole number of points from 1 to 500 leaves the
    // size as it was: a typo must not make the editors unreadable.
    bool ok = false;
    const int size = text.trimmed().toInt(&ok);
    return ok && size >= 1 && size <= 500 ? size : fallback;
}

QFont TEditorDialog::chosenFont() const
{
    QFont font(m_fontName->currentText(),
               parseFontSize(m_fontSize->currentText(), m_fallbackFontSize));
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

void TEditorDialog::updateSamplePanel()
{
    if (!m_samplePanel || !m_fontName || !m_fontSize)
        return;
    const QFont font = chosenFont();
    m_samplePanel->setFont(font);
    if (!m_fontFallback)
        return;
    // A font the system lacks is drawn with another one (the calculator
    // fonts with DejaVu Sans Mono): the window names it.
    const QString shown = QFontInfo(font).family();
    const bool missing = !QFontDatabase::hasFamily(m_fontName->currentText());
    m_fontFallback->setText(FormatText(m_shownWithText, {shown}));
    m_fontFallback->setVisible(missing);
}

// ------------------------------------------------------------------ colours

int TEditorDialog::styleFromMarks(bool bold, bool italic, bool underline)
{
    return (bold ? StyleBold : 0) | (italic ? StyleItalic : 0) | (underline ? StyleUnderline : 0);
}

int TEditorDialog::selectedKind() const
{
    const int entry = m_editorItems->currentRow();
    return EntryKinds[entry >= 0 && entry < int(EntryKinds.size()) ? entry : 0];
}

void TEditorDialog::showEntry(int entry)
{
    if (entry < 0 || entry >= int(EntryKinds.size()))
        return;
    if (m_editorItems->currentRow() != entry)
        m_editorItems->setCurrentRow(entry); // comes back here through the signal
    const HighlighterAttribute *attr = m_sample->attribute(EntryKinds[entry]);
    m_foreground->setColor(attr->foreground());
    m_background->setColor(attr->background());
    m_boldText->setChecked(attr->style() & StyleBold);
    m_italicText->setChecked(attr->style() & StyleItalic);
    m_underlineText->setChecked(attr->style() & StyleUnderline);
}

void TEditorDialog::setSelectedColor(bool foreground, ColorValue color)
{
    HighlighterAttribute *attr = m_sample->attribute(selectedKind());
    if (foreground)
        attr->setForeground(color);
    else
        attr->setBackground(color);
}

void TEditorDialog::setSelectedStyle()
{
    m_sample->attribute(selectedKind())
        ->setStyle(styleFromMarks(
            m_boldText->isChecked(), m_italicText->isChecked(), m_underlineText->isChecked()));
}
