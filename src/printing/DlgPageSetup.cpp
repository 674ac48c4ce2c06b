#include "printing/DlgPageSetup.h"

#include "shell/Language.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Spin box decimals per unit: enough to show a margin to a tenth of a
// millimetre or better.
int decimalsFor(MarginUnit unit)
{
    switch (unit) {
    case MarginUnit::Millimeters:
        return 2;
    case MarginUnit::Centimeters:
    case MarginUnit::Inches:
        return 3;
    case MarginUnit::ThousandthsOfInch:
        return 1;
    }
    return 3;
}

QColor colorOf(int bgr)
{
    ItemFont f;
    f.color = bgr;
    return f.toColor();
}

int bgrOf(const QColor &color)
{
    return ItemFont::fromFont(QFont(), color).color;
}

void showColor(QToolButton *button, int bgr)
{
    button->setProperty("bgr", bgr);
    QPixmap swatch(28, 14);
    swatch.fill(colorOf(bgr));
    QPainter p(&swatch);
    p.setPen(Qt::gray);
    p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    p.end();
    button->setIcon(QIcon(swatch));
}

// The fixed picture of the first page: a sheet with its margins, the header
// and footer bands and a few lines of text.
QPixmap layoutPicture()
{
    QPixmap picture(150, 200);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet(14.5, 6.5, 120, 170);
    p.fillRect(sheet.translated(4, 4), QColor(0, 0, 0, 60));
    p.fillRect(sheet, Qt::white);
    p.setPen(QColor(0x60, 0x60, 0x60));
    p.drawRect(sheet);
    const QRectF body = sheet.adjusted(18, 26, -14, -26);
    QPen dashed(QColor(0x40, 0x70, 0xC0));
    dashed.setStyle(Qt::DashLine);
    p.setPen(dashed);
    p.drawRect(body);
    p.setPen(QColor(0x90, 0x90, 0x90));
    p.drawLine(QPointF(body.left(), sheet.top() + 18), QPointF(body.right(), sheet.top() + 18));
    p.drawLine(QPointF(body.left(), sheet.bottom() - 18), QPointF(body.right(), sheet.bottom() - 18));
    p.fillRect(QRectF(body.left(), sheet.top() + 11, 22, 4), QColor(0x70, 0x70, 0x70));
    p.fillRect(QRectF(body.center().x() - 14, sheet.top() + 11, 28, 4), QColor(0x70, 0x70, 0x70));
    p.fillRect(QRectF(body.right() - 18, sheet.top() + 11, 18, 4), QColor(0x70, 0x70, 0x70));
    p.fillRect(QRectF(body.left(), sheet.bottom() - 14, 30, 4), QColor(0x70, 0x70, 0x70));
    const int widths[] = {70, 60, 78, 45, 66, 80, 52, 74, 60, 30, 68, 76, 40, 70, 58, 64};
    qreal y = body.top() + 6;
    for (int w : widths) {
        if (y > body.bottom() - 6)
            break;
        p.fillRect(QRectF(body.left() + 4, y, w, 3), QColor(0xA8, 0xA8, 0xA8));
        y += 7;
    }
    return picture;
}

} // namespace

TPageDialog::TPageDialog(QPrinter *printer, QWidget *parent)
    : QDialog(parent)
    , m_printer(printer)
    , m_run([](QDialog *dialog) { return dialog->exec(); })
    , m_chooseFont([](QFont &font, QWidget *parent) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, parent);
        if (ok)
            font = chosen;
        return ok;
    })
{
    setObjectName(QStringLiteral("PageSetupDialog"));
    setWindowTitle(QStringLiteral("Configurar página"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->addTab(buildMarginsPage(), QStringLiteral("Margenes y Opciones"));
    m_pages->addTab(buildHeaderFooterPage(), QStringLiteral("Encabezado y Pie de Página"));

    m_printerButton = new QPushButton(QStringLiteral("Impresora..."), this);
    m_printerButton->setObjectName(QStringLiteral("Printer"));
    m_printerButton->setAutoDefault(false);
    connect(m_printerButton, &QPushButton::clicked, this, &TPageDialog::printerSetup);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Ok"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_printerButton);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(bottom);

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { focusMoved(now); });
    m_current = m_boxes[Header][LeftBox];
    updateCommands();
    loadFrom(PrintSettings());
    loadTexts();
}

QWidget *TPageDialog::buildMarginsPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Margins"));

    m_units = new QComboBox;
    m_units->setObjectName(QStringLiteral("Units"));
    m_units->addItems({QStringLiteral("Milímetros"), QStringLiteral("Centímetros"), QStringLiteral("Pulgadas"),
                       QStringLiteral("Milésimas de pulgada")});
    auto *unitsLabel = new QLabel(QStringLiteral("Unidades:"));
    unitsLabel->setObjectName(QStringLiteral("UnitsLabel"));
    unitsLabel->setBuddy(m_units);
    connect(m_units, &QComboBox::currentIndexChanged, this, &TPageDialog::unitChanged);

    static const char *const names[MarginCount] = {"LeftMargin",   "RightMargin",     "TopMargin",
                                                   "BottomMargin", "GutterSize",      "HeaderMargin",
                                                   "FooterMargin", "LeftTextIndent",  "RightTextIndent",
                                                   "InternalMargin"};
    static const char *const captions[MarginCount] = {
        "Margen izquierdo:",       "Margen derecho:",
        "Margen superior:",        "Margen inferior:",
        "División:",               "Margen del encabezado:",
        "Margen del pie de página:", "Sangría izquierda del encabezado:",
        "Sangría derecha del encabezado:", "Margen de la línea:"};
    auto *grid = new QGridLayout;
    grid->addWidget(unitsLabel, 0, 0);
    grid->addWidget(m_units, 0, 1);
    // The page margins in the first column, the header and footer lengths in
    // the second.
    const int places[MarginCount][2] = {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {1, 1}, {2, 1}, {4, 1}, {5, 1}, {3, 1}};
    for (int i = 0; i < MarginCount; ++i) {
        auto *box = new QDoubleSpinBox;
        box->setObjectName(QString::fromLatin1(names[i]));
        box->setMinimum(0.0);
        box->setMaximum(100000.0);
        box->setSingleStep(0.5);
        box->setDecimals(3);
        box->setKeyboardTracking(false);
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, i](double value) { marginEdited(i, value); });
        auto *label = new QLabel(QString::fromUtf8(captions[i]));
        label->setObjectName(QString::fromLatin1(names[i]) + QStringLiteral("Label"));
        label->setBuddy(box);
        m_margins[size_t(i)] = box;
        m_marginLabels[size_t(i)] = label;
        grid->addWidget(label, places[i][0], places[i][1] * 2);
        grid->addWidget(box, places[i][0], places[i][1] * 2 + 1);
    }
    grid->setColumnMinimumWidth(2, 190);

    auto *options = new QGridLayout;
    const char *const optionNames[] = {"MirrorMargin",   "LineNumbers", "LineNumbersInMargin",
                                       "PrintHighlight", "PrintColors", "PrintWrap"};
    const char *const optionCaptions[] = {"Margenes iguales",      "Números de línea", "Números de línea en la división",
                                          "Resaltado de sintáxis", "Usar colores",     "Ajustar las líneas"};
    for (int i = 0; i < 6; ++i) {
        auto *check = new QCheckBox(QString::fromUtf8(optionCaptions[i]));
        check->setObjectName(QString::fromLatin1(optionNames[i]));
        options->addWidget(check, i % 3, i / 3);
    }

    auto *image = new QLabel;
    image->setObjectName(QStringLiteral("Image"));
    image->setPixmap(layoutPicture());
    image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto *left = new QVBoxLayout;
    left->addLayout(grid);
    left->addSpacing(12);
    left->addLayout(options);
    left->addStretch(1);
    auto *layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addWidget(image);
    return page;
}

QWidget *TPageDialog::buildHeaderFooterPage()
{
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("HeaderFooter"));
    auto *bar = new QToolBar;
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setIconSize(QSize(16, 16));
    // A command without an icon of the theme shows its short caption.
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    struct Def
    {
        const char *name;
        const char *icon;
        const char *caption;
        const char *hint;
    };
    const Def defs[] = {
        {"PageNumCmd", "", "#", "Número de página"},
        {"PagesCmd", "", "##", "Número de páginas"},
        {"TimeCmd", "preferences-system-time", "H", "Hora"},
        {"DateCmd", "x-office-calendar", "F", "Fecha"},
        {"TitleCmd", "", "T", "Titulo"},
        {"|", "", "", ""},
        {"FontCmd", "preferences-desktop-font", "A", "Fuente"},
        {"BoldCmd", "format-text-bold", "N", "Negrita"},
        {"ItalicCmd", "format-text-italic", "K", "Cursiva"},
        {"UnderlineCmd", "format-text-underline", "S", "Subrayado"},
    };
    for (const Def &def : defs) {
        if (*def.name == '|') {
            bar->addSeparator();
            continue;
        }
        // Owned by the window, so that command() finds them from the start.
        auto *a = new QAction(QString::fromUtf8(def.caption), this);
        bar->addAction(a);
        a->setObjectName(QString::fromLatin1(def.name));
        a->setToolTip(QString::fromUtf8(def.hint));
        if (*def.icon) {
            const QString name = QString::fromLatin1(def.icon);
            QIcon icon = QIcon::fromTheme(name);
            if (icon.isNull())
                icon = QIcon::fromTheme(name + QStringLiteral("-symbolic"));
            a->setIcon(icon);
        }
    }

    const std::pair<const char *, const char *> fields[] = {{"PageNumCmd", "$PAGENUM$"},
                                                            {"PagesCmd", "$PAGECOUNT$"},
                                                            {"TimeCmd", "$TIME$"},
                                                            {"DateCmd", "$DATE$"},
                                                            {"TitleCmd", "$TITLE$"}};
    for (const auto &[name, field] : fields) {
        const QString text = QString::fromLatin1(field);
        connect(command(QString::fromLatin1(name)), &QAction::triggered, this, [this, text] { InsertField(text); });
    }
    connect(command(QStringLiteral("FontCmd")), &QAction::triggered, this, &TPageDialog::FontCmdExecute);
    connect(command(QStringLiteral("BoldCmd")), &QAction::triggered, this, [this] { ToggleLineStyle(ItemBold); });
    connect(command(QStringLiteral("ItalicCmd")), &QAction::triggered, this, [this] { ToggleLineStyle(ItemItalic); });
    connect(command(QStringLiteral("UnderlineCmd")), &QAction::triggered, this,
            [this] { ToggleLineStyle(ItemUnderline); });

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(bar);
    layout->addWidget(buildBand(Header));
    layout->addWidget(buildBand(Footer));
    return page;
}

QWidget *TPageDialog::buildBand(Band band)
{
    const QString prefix = band == Header ? QStringLiteral("Header") : QStringLiteral("Footer");
    auto *group = new QGroupBox(band == Header ? QStringLiteral("Encabezado") : QStringLiteral("Pie de página"));
    group->setObjectName(prefix + QStringLiteral("Group"));
    auto *boxes = new QGridLayout;
    const char *const names[3] = {"Left", "Center", "Right"};
    const char *const captions[3] = {"Izquierda", "Centro", "Derecha"};
    for (int i = 0; i < 3; ++i) {
        auto *box = new QTextEdit;
        box->setObjectName(prefix + QString::fromLatin1(names[i]));
        box->setLineWrapMode(QTextEdit::NoWrap);
        box->setAcceptRichText(false);
        box->setTabChangesFocus(true);
        box->setMinimumHeight(60);
        box->setMaximumHeight(110);
        auto *label = new QLabel(QString::fromLatin1(captions[i]));
        label->setObjectName(prefix + QString::fromLatin1(names[i]) + QStringLiteral("Label"));
        label->setBuddy(box);
        boxes->addWidget(label, 0, i);
        boxes->addWidget(box, 1, i);
        m_boxes[band][i] = box;
    }

    boxes->setRowStretch(1, 1);

    auto *appearance = new QGroupBox(QStringLiteral("Apariencia"));
    appearance->setObjectName(prefix + QStringLiteral("Appearance"));
    m_line[band] = new QCheckBox(QStringLiteral("Línea"));
    m_line[band]->setObjectName(prefix + QStringLiteral("Line"));
    m_box[band] = new QCheckBox(QStringLiteral("Cuadro"));
    m_box[band]->setObjectName(prefix + QStringLiteral("Box"));
    m_shade[band] = new QCheckBox(QStringLiteral("Sombra"));
    m_shade[band]->setObjectName(prefix + QStringLiteral("Shadow"));
    auto makeColorButton = [&](const QString &name) {
        auto *button = new QToolButton;
        button->setObjectName(name);
        button->setIconSize(QSize(28, 14));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        connect(button, &QToolButton::clicked, this, [this, button] {
            const QColor chosen = QColorDialog::getColor(colorOf(button->property("bgr").toInt()), this);
            if (chosen.isValid())
                showColor(button, bgrOf(chosen));
        });
        showColor(button, 12);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return button;
    };
    m_lineColor[band] = makeColorButton(prefix + QStringLiteral("LineColor"));
    m_shadeColor[band] = makeColorButton(prefix + QStringLiteral("ShadowColor"));
    auto *looks = new QGridLayout(appearance);
    looks->addWidget(m_line[band], 0, 0);
    looks->addWidget(m_box[band], 1, 0);
    looks->addWidget(m_shade[band], 2, 0);
    looks->addWidget(m_lineColor[band], 0, 1);
    looks->addWidget(m_shadeColor[band], 2, 1);

    m_mirrorPosition[band] = new QCheckBox(QStringLiteral("Posiciones iguales"));
    m_mirrorPosition[band]->setObjectName(prefix + QStringLiteral("Mirror"));

    auto *side = new QVBoxLayout;
    side->addWidget(appearance);
    side->addWidget(m_mirrorPosition[band]);
    side->addStretch(1);
    auto *layout = new QHBoxLayout(group);
    layout->addLayout(boxes, 1);
    layout->addLayout(side);
    return group;
}

void TPageDialog::loadTexts()
{
    auto unit = [this](int index) {
        return [this, index](const QString &t) { m_units->setItemText(index, t); };
    };
    auto hint = TextRole::Hint;
    auto label = [this](const char *name) { return findChild<QLabel *>(QString::fromLatin1(name)); };
    loadWindowTexts(
        this, "PageSetupDialog",
        {
            {"DlgPageSetupTitle", this, TextRole::Title},
            {"DlgPageSetupMargins", m_pages->widget(0)},
            {"DlgPageSetupMarginUnits", findChild<QLabel *>(QStringLiteral("UnitsLabel"))},
            {"DlgPageSetupUnitsMillimeters", unit(0)},
            {"DlgPageSetupUnitsCentimeters", unit(1)},
            {"DlgPageSetupUnitsInches", unit(2)},
            {"DlgPageSetupUnitsThousandthsOfInches", unit(3)},
            {"DlgPageSetupLeftMargin", m_marginLabels[size_t(Margin::Left)]},
            {"DlgPageSetupRightMargin", m_marginLabels[size_t(Margin::Right)]},
            {"DlgPageSetupTopMargin", m_marginLabels[size_t(Margin::Top)]},
            {"DlgPageSetupBottomMargin", m_marginLabels[size_t(Margin::Bottom)]},
            {"DlgPageSetupGutterMargin", m_marginLabels[size_t(Margin::Gutter)]},
            {"DlgPageSetupHeaderMargin", m_marginLabels[size_t(Margin::Header)]},
            {"DlgPageSetupFooterMargin", m_marginLabels[size_t(Margin::Footer)]},
            {"DlgPageSetupInternalMargin", m_marginLabels[size_t(Margin::HFInternalMargin)]},
            {"DlgPageSetupLeftHFTextIndent", m_marginLabels[size_t(Margin::LeftHFTextIndent)]},
            {"DlgPageSetupRightHFTextIndent", m_marginLabels[size_t(Margin::RightHFTextIndent)]},
            {"DlgPageSetupPrintMirrorMargins", optionBox(QStringLiteral("MirrorMargin"))},
            {"DlgPageSetupPrintLineNumbers", optionBox(QStringLiteral("LineNumbers"))},
            {"DlgPageSetupPrintLineNumbersInMargin", optionBox(QStringLiteral("LineNumbersInMargin"))},
            {"DlgPageSetupPrintHighlight", optionBox(QStringLiteral("PrintHighlight"))},
            {"DlgPageSetupPrintColors", optionBox(QStringLiteral("PrintColors"))},
            {"DlgPageSetupPrintWrap", optionBox(QStringLiteral("PrintWrap"))},
            {"DlgPageSetupHeaderFooter", m_pages->widget(1)},
            {"DlgPageSetupPageNumberHint", command(QStringLiteral("PageNumCmd")), hint},
            {"DlgPageSetupPagesHint", command(QStringLiteral("PagesCmd")), hint},
            {"DlgPageSetupTimeHint", command(QStringLiteral("TimeCmd")), hint},
            {"DlgPageSetupDateHint", command(QStringLiteral("DateCmd")), hint},
            {"DlgPageSetupTitleHint", command(QStringLiteral("TitleCmd")), hint},
            {"DlgPageSetupFontHint", command(QStringLiteral("FontCmd")), hint},
            {"DlgPageSetupBoldHint", command(QStringLiteral("BoldCmd")), hint},
            {"DlgPageSetupItalicHint", command(QStringLiteral("ItalicCmd")), hint},
            {"DlgPageSetupUnderlineHint", command(QStringLiteral("UnderlineCmd")), hint},
            {"DlgPageSetupHeaderTitle", findChild<QGroupBox *>(QStringLiteral("HeaderGroup"))},
            {"DlgPageSetupHeaderLeft", label("HeaderLeftLabel")},
            {"DlgPageSetupHeaderCenter", label("HeaderCenterLabel")},
            {"DlgPageSetupHeaderRight", label("HeaderRightLabel")},
            {"DlgPageSetupHeaderAppearance", findChild<QGroupBox *>(QStringLiteral("HeaderAppearance"))},
            {"DlgPageSetupHeaderLine", m_line[Header]},
            {"DlgPageSetupHeaderLineColor", m_lineColor[Header]},
            {"DlgPageSetupHeaderBox", m_box[Header]},
            {"DlgPageSetupHeaderShadow", m_shade[Header]},
            {"DlgPageSetupHeaderShadowColor", m_shadeColor[Header]},
            {"DlgPageSetupHeaderMirror", m_mirrorPosition[Header]},
            {"DlgPageSetupFooterTitle", findChild<QGroupBox *>(QStringLiteral("FooterGroup"))},
            {"DlgPageSetupFooterLeft", label("FooterLeftLabel")},
            {"DlgPageSetupFooterCenter", label("FooterCenterLabel")},
            {"DlgPageSetupFooterRight", label("FooterRightLabel")},
            {"DlgPageSetupFooterAppearance", findChild<QGroupBox *>(QStringLiteral("FooterAppearance"))},
            {"DlgPageSetupFooterLine", m_line[Footer]},
            {"DlgPageSetupFooterLineColor", m_lineColor[Footer]},
            {"DlgPageSetupFooterBox", m_box[Footer]},
            {"DlgPageSetupFooterShadow", m_shade[Footer]},
            {"DlgPageSetupFooterShadowColor", m_shadeColor[Footer]},
            {"DlgPageSetupFooterMirror", m_mirrorPosition[Footer]},
            {"DlgPageSetupPrinter", m_printerButton},
            {"DlgPageSetupOk", findChild<QPushButton *>(QStringLiteral("Ok"))},
            {"DlgPageSetupCancel", findChild<QPushButton *>(QStringLiteral("Cancel"))},
        },
        WindowTexts::ReloadOnLanguageChange);
}

// ---------------------------------------------------------------- load and store

bool TPageDialog::Execute(PrintSettings &settings)
{
    loadFrom(settings);
    if (m_run(this) != QDialog::Accepted)
        return false;
    storeTo(settings);
    return true;
}

void TPageDialog::loadFrom(const PrintSettings &settings)
{
    m_unit = settings.unit;
    m_mm = settings.millimeters;
    m_showing = true;
    m_units->setCurrentIndex(int(m_unit));
    m_showing = false;
    showMargins();
    optionBox(QStringLiteral("MirrorMargin"))->setChecked(settings.mirrorMargins);
    optionBox(QStringLiteral("LineNumbers"))->setChecked(settings.lineNumbers);
    optionBox(QStringLiteral("LineNumbersInMargin"))->setChecked(settings.lineNumbersInMargin);
    optionBox(QStringLiteral("PrintHighlight"))->setChecked(settings.highlight);
    optionBox(QStringLiteral("PrintColors"))->setChecked(settings.colors);
    optionBox(QStringLiteral("PrintWrap"))->setChecked(settings.wrap);
    loadBand(Header, settings.header);
    loadBand(Footer, settings.footer);
}

void TPageDialog::storeTo(PrintSettings &settings) const
{
    settings.unit = m_unit;
    settings.millimeters = m_mm;
    settings.mirrorMargins = optionBox(QStringLiteral("MirrorMargin"))->isChecked();
    settings.lineNumbers = optionBox(QStringLiteral("LineNumbers"))->isChecked();
    settings.lineNumbersInMargin = optionBox(QStringLiteral("LineNumbersInMargin"))->isChecked();
    settings.highlight = optionBox(QStringLiteral("PrintHighlight"))->isChecked();
    settings.colors = optionBox(QStringLiteral("PrintColors"))->isChecked();
    settings.wrap = optionBox(QStringLiteral("PrintWrap"))->isChecked();
    storeBand(Header, settings.header);
    storeBand(Footer, settings.footer);
}

void TPageDialog::loadBand(Band band, const HeaderFooter &source)
{
    const QFont boxFont = DefaultHeaderFooterFont().toFont();
    for (QTextEdit *box : m_boxes[band]) {
        box->clear();
        box->document()->setDefaultFont(boxFont);
        box->setCurrentFont(boxFont);
        box->setTextColor(Qt::black);
    }
    HeaderFooter items = source;
    items.renumberLines();
    bool filled[3] = {false, false, false};
    for (const HeaderFooterItem &item : std::as_const(items.items)) {
        const int which = item.alignment == AlignRightItem ? RightBox
            : item.alignment == AlignCenterItem            ? CenterBox
                                                           : LeftBox;
        QTextCursor cursor(m_boxes[band][which]->document());
        cursor.movePosition(QTextCursor::End);
        QTextCharFormat format;
        format.setFont(item.font.toFont(), QTextCharFormat::FontPropertiesAll);
        format.setForeground(item.font.toColor());
        if (filled[which])
            cursor.insertBlock(QTextBlockFormat(), format);
        else
            cursor.setBlockCharFormat(format);
        cursor.insertText(item.text, format);
        filled[which] = true;
    }
    for (QTextEdit *box : m_boxes[band])
        box->moveCursor(QTextCursor::Start);

    m_line[band]->setChecked(source.frame & FrameLine);
    m_box[band]->setChecked(source.frame & FrameBox);
    m_shade[band]->setChecked(source.frame & FrameShade);
    showColor(m_lineColor[band], source.lineColor);
    showColor(m_shadeColor[band], source.shadedColor);
    m_mirrorPosition[band]->setChecked(source.mirrorPosition);
}

void TPageDialog::storeBand(Band band, HeaderFooter &target) const
{
    target.items.clear();
    const std::pair<Box, int> order[] = {{LeftBox, AlignLeftItem}, {CenterBox, AlignCenterItem}, {RightBox, AlignRightItem}};
    for (const auto &[which, alignment] : order) {
        const QTextEdit *box = m_boxes[band][which];
        // A box left empty adds no item; an empty line among others does.
        if (box->document()->isEmpty())
            continue;
        int line = 1;
        for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next(), ++line) {
            HeaderFooterItem item;
            item.text = block.text();
            item.font = ItemFont::fromFont(lineFont(block, box->document()->defaultFont()), lineColor(block));
            item.line = line;
            item.alignment = alignment;
            target.items << item;
        }
    }
    target.frame = (m_line[band]->isChecked() ? FrameLine : 0) | (m_box[band]->isChecked() ? FrameBox : 0)
        | (m_shade[band]->isChecked() ? FrameShade : 0);
    target.lineColor = m_lineColor[band]->property("bgr").toInt();
    target.shadedColor = m_shadeColor[band]->property("bgr").toInt();
    target.mirrorPosition = m_mirrorPosition[band]->isChecked();
}

namespace {

// The format a line shows: that of its first character, or the line's own
// when it has none.
QTextCharFormat formatOfLine(const QTextBlock &block)
{
    if (block.length() <= 1)
        return block.charFormat();
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + 1);
    return cursor.charFormat();
}

} // namespace

QFont TPageDialog::lineFont(const QTextBlock &block, const QFont &boxFont)
{
    return formatOfLine(block).font().resolve(boxFont);
}

QColor TPageDialog::lineColor(const QTextBlock &block)
{
    const QTextCharFormat format = formatOfLine(block);
    return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor(Qt::black);
}

// ---------------------------------------------------------------- margins

void TPageDialog::showMargins()
{
    m_showing = true;
    for (int i = 0; i < MarginCount; ++i) {
        QDoubleSpinBox *box = m_margins[size_t(i)];
        box->setDecimals(decimalsFor(m_unit));
        box->setValue(double(ConvertLength(m_mm[size_t(i)], MarginUnit::Millimeters, m_unit)));
    }
    m_showing = false;
}

void TPageDialog::marginEdited(int index, double value)
{
    if (!m_showing)
        m_mm[size_t(index)] = ConvertLength(value, m_unit, MarginUnit::Millimeters);
}

void TPageDialog::unitChanged(int index)
{
    if (m_showing || index < 0)
        return;
    // The page stays as it is; only the numbers shown change.
    m_unit = MarginUnitFromInt(index);
    showMargins();
}

// ---------------------------------------------------------------- the header and footer commands

QAction *TPageDialog::command(const QString &name) const
{
    return findChild<QAction *>(name);
}

QCheckBox *TPageDialog::frameBox(Band band, int frameBit) const
{
    return frameBit == FrameBox ? m_box[band] : frameBit == FrameShade ? m_shade[band] : m_line[band];
}

QCheckBox *TPageDialog::optionBox(const QString &name) const
{
    return findChild<QCheckBox *>(name);
}

void TPageDialog::setCurrentBox(QTextEdit *box)
{
    m_current = box;
    box->setFocus(Qt::OtherFocusReason);
    updateCommands();
}

void TPageDialog::focusMoved(QWidget *now)
{
    if (!now)
        return; // the window went to the background: nothing changes here
    for (auto &band : m_boxes)
        for (QTextEdit *box : band)
            if (now == box)
                m_current = box;
    updateCommands();
}

void TPageDialog::updateCommands()
{
    const bool enabled = m_current && m_current->hasFocus();
    for (const char *name : {"PageNumCmd", "PagesCmd", "TimeCmd", "DateCmd", "TitleCmd", "FontCmd", "BoldCmd",
                             "ItalicCmd", "UnderlineCmd"})
        command(QString::fromLatin1(name))->setEnabled(enabled);
}

void TPageDialog::InsertField(const QString &field)
{
    if (!m_current)
        return;
    m_current->insertPlainText(field);
    m_current->setFocus();
}

void TPageDialog::applyToLine(const std::function<void(QTextCharFormat &, const QTextBlock &)> &change)
{
    if (!m_current)
        return;
    const QTextCursor caret = m_current->textCursor();
    const QTextBlock block = caret.block();
    QTextCharFormat format;
    change(format, block);
    QTextCursor line(block);
    line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    line.mergeCharFormat(format);
    // The line's own format too, so that an empty line and what is typed at
    // its end keep the change.
    line.mergeBlockCharFormat(format);
    m_current->setTextCursor(caret);
    m_current->setFocus();
}

void TPageDialog::FontCmdExecute()
{
    if (!m_current)
        return;
    QFont font = lineFont(m_current->textCursor().block(), m_current->document()->defaultFont());
    if (m_chooseFont(font, this))
        SetLineFont(font);
}

void TPageDialog::SetLineFont(const QFont &font)
{
    applyToLine([&](QTextCharFormat &format, const QTextBlock &) {
        format.setFont(font, QTextCharFormat::FontPropertiesAll);
    });
}

void TPageDialog::ToggleLineStyle(int styleBit)
{
    applyToLine([&](QTextCharFormat &format, const QTextBlock &block) {
        const QFont current = lineFont(block, m_current->document()->defaultFont());
        switch (styleBit) {
        case ItemBold:
            format.setFontWeight(current.bold() ? QFont::Normal : QFont::Bold);
            break;
        case ItemItalic:
            format.setFontItalic(!current.italic());
            break;
        case ItemUnderline:
            format.setFontUnderline(!current.underline());
            break;
        case ItemStrikeOut:
            format.setFontStrikeOut(!current.strikeOut());
            break;
        }
    });
}

void TPageDialog::printerSetup()
{
    if (!m_printer)
        return;
    QPageSetupDialog dialog(m_printer, this);
    m_run(&dialog);
}
