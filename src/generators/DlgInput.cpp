#include "generators/DlgInput.h"

#include "formats/CalcCharset.h"
#include "generators/CalcScreen.h"
#include "generators/GeneratorHeader.h"
#include "shell/Language.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QPlainTextEdit *calculatorTextBox(QWidget *parent, const char *name)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    QFont font(QStringLiteral("_CAS_HP48x-49x-50x_8x7pxl-f01"));
    font.setStyleHint(QFont::TypeWriter);
    box->setFont(font);
    box->setTabChangesFocus(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    return box;
}

// A text box's text in calculator bytes; characters the calculator lacks
// are left out (the window's warning names them).
QByteArray bytesOf(const QPlainTextEdit *box)
{
    return CalcCharset::encode(box->toPlainText());
}

QCheckBox *checkBox(QWidget *parent, const char *name, const QString &caption)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

TInputDialog::TInputDialog(QWidget *parent)
    : TGeneratorDialog(parent)
{
    setObjectName(QStringLiteral("InputDialog"));
    setWindowTitle(QStringLiteral("Asistente para INPUT"));
    Header->setTitle(QStringLiteral("INPUT"));
    Header->setDescription(
        QStringLiteral("Ingrese los parámetros para este comando. La imagen es solamente referencial."));

    QWidget *body = Body();
    LabelTitle = new QLabel(QStringLiteral("Mensaje:"), body);
    Title = calculatorTextBox(body, "Title");
    LabelTitle->setBuddy(Title);
    LabelIntro = new QLabel(QStringLiteral("Línea de comandos:"), body);
    Intro = calculatorTextBox(body, "Intro");
    LabelIntro->setBuddy(Intro);
    FormatCheck = checkBox(body, "FormatCheck", QStringLiteral("Formato de la línea de comandos"));

    GroupFormat = new QGroupBox(body);
    GroupFormat->setObjectName(QStringLiteral("GroupFormat"));
    GroupFormat->setFlat(true);
    GroupPosCursor = new QGroupBox(QStringLiteral("Posición del cursor"), GroupFormat);
    GroupPosCursor->setObjectName(QStringLiteral("GroupPosCursor"));
    LabelRow = new QLabel(QStringLiteral("Fila:"), GroupPosCursor);
    Row = new QSpinBox(GroupPosCursor);
    Row->setObjectName(QStringLiteral("Row"));
    LabelRow->setBuddy(Row);
    LabelCol = new QLabel(QStringLiteral("Columna:"), GroupPosCursor);
    Col = new QSpinBox(GroupPosCursor);
    Col->setObjectName(QStringLiteral("Col"));
    LabelCol->setBuddy(Col);
    for (QSpinBox *spin : {Row, Col})
        spin->setRange(0, 0);
    GroupMode = new QGroupBox(QStringLiteral("Modo"), GroupFormat);
    GroupMode->setObjectName(QStringLiteral("GroupMode"));
    chkAlgebraic = checkBox(GroupMode, "chkAlgebraic", QStringLiteral("Activar modo algebraico"));
    chkAlphabetic = checkBox(GroupMode, "chkAlphabetic", QStringLiteral("Activar modo alfabético"));
    chkSyntax = checkBox(GroupMode, "chkSyntax", QStringLiteral("Comprobación de sintáxis"));
    GroupOptions = new QGroupBox(QStringLiteral("Opciones"), body);
    GroupOptions->setObjectName(QStringLiteral("GroupOptions"));
    chkEval = checkBox(GroupOptions, "chkEval", QStringLiteral("Insertar código de extracción"));
    chkEval->setChecked(true);
    chkMinifont = checkBox(GroupOptions, "chkMinifont", QStringLiteral("Utilizar minifont"));

    auto *cursor = new QGridLayout(GroupPosCursor);
    cursor->addWidget(LabelRow, 0, 0);
    cursor->addWidget(Row, 0, 1);
    cursor->addWidget(LabelCol, 1, 0);
    cursor->addWidget(Col, 1, 1);
    cursor->setRowStretch(2, 1);
    auto *modes = new QVBoxLayout(GroupMode);
    modes->addWidget(chkAlgebraic);
    modes->addWidget(chkAlphabetic);
    modes->addWidget(chkSyntax);
    auto *format = new QHBoxLayout(GroupFormat);
    format->setContentsMargins(0, 0, 0, 0);
    format->addWidget(GroupPosCursor);
    format->addWidget(GroupMode, 1);
    auto *options = new QVBoxLayout(GroupOptions);
    options->addWidget(chkEval);
    options->addWidget(chkMinifont);

    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LabelTitle);
    layout->addWidget(Title, 1);
    layout->addWidget(LabelIntro);
    layout->addWidget(Intro, 1);
    layout->addWidget(FormatCheck);
    layout->addWidget(GroupFormat);
    layout->addWidget(GroupOptions);
    GroupFormat->setEnabled(false);

    setTabOrder(Title, Intro);
    setTabOrder(Intro, FormatCheck);
    setTabOrder(FormatCheck, Row);
    setTabOrder(Row, Col);
    setTabOrder(Col, chkAlgebraic);
    setTabOrder(chkAlgebraic, chkAlphabetic);
    setTabOrder(chkAlphabetic, chkSyntax);
    setTabOrder(chkSyntax, chkEval);
    setTabOrder(chkEval, chkMinifont);
    setTabOrder(chkMinifont, TryIt);
    setTabOrder(TryIt, Ok);
    setTabOrder(Ok, Cancel);
    Title->setFocus();

    connect(Title, &QPlainTextEdit::textChanged, this, &TInputDialog::FieldsChanged);
    connect(Intro, &QPlainTextEdit::textChanged, this, &TInputDialog::IntroChanged);
    connect(FormatCheck, &QCheckBox::toggled, this, [this](bool on) {
        GroupFormat->setEnabled(on);
        FieldsChanged();
    });
    for (QCheckBox *box : {chkAlgebraic, chkAlphabetic, chkSyntax, chkEval, chkMinifont})
        connect(box, &QCheckBox::toggled, this, &TInputDialog::FieldsChanged);
    for (QSpinBox *spin : {Row, Col})
        connect(spin, &QSpinBox::valueChanged, this, &TInputDialog::FieldsChanged);

    loadWindowTexts(this,
                    "InputDialog",
                    {
                        {"DlgInputTitle", this, TextRole::Title},
                        {"DlgInputHeaderTitle", [this](const QString &t) { Header->setTitle(t); }},
                        {"DlgInputHeaderDescription", [this](const QString &t) { Header->setDescription(t); }},
                        {"DlgInputMessage", LabelTitle},
                        {"DlgInputCommandLine", LabelIntro},
                        {"DlgInputFormat", FormatCheck},
                        {"DlgInputCursorPosition", GroupPosCursor},
                        {"DlgInputRow", LabelRow},
                        {"DlgInputCol", LabelCol},
                        {"DlgInputMode", GroupMode},
                        {"DlgInputModeAlphabetical", chkAlphabetic},
                        {"DlgInputModeAlgebraic", chkAlgebraic},
                        {"DlgInputModeCheckSyntax", chkSyntax},
                        {"DlgInputOptions", GroupOptions},
                        {"DlgInputExtraction", chkEval},
                        {"DlgInputMiniFont", chkMinifont},
                        {"DlgInputOk", Ok},
                        {"DlgInputCancel", Cancel},
                    });
    loadSharedTexts();
    flushChanges();
}

void TInputDialog::IntroChanged()
{
    const QByteArray text = bytesOf(Intro);
    Row->setMaximum(InputRowMaximum(text));
    Col->setMaximum(InputColumnMaximum(text));
    FieldsChanged();
}

InputFields TInputDialog::Fields() const
{
    InputFields f;
    f.prompt = bytesOf(Title);
    f.commandLine = bytesOf(Intro);
    f.format = FormatCheck->isChecked();
    f.row = Row->value();
    f.column = Col->value();
    f.algebraic = chkAlgebraic->isChecked();
    f.alpha = chkAlphabetic->isChecked();
    f.syntaxCheck = chkSyntax->isChecked();
    f.evaluate = chkEval->isChecked();
    f.minifont = chkMinifont->isChecked();
    return f;
}

void TInputDialog::setFields(const InputFields &f)
{
    Title->setPlainText(CalcCharset::decode(f.prompt));
    Intro->setPlainText(CalcCharset::decode(f.commandLine));
    FormatCheck->setChecked(f.format);
    Row->setValue(f.row);
    Col->setValue(f.column);
    chkAlgebraic->setChecked(f.algebraic);
    chkAlphabetic->setChecked(f.alpha);
    chkSyntax->setChecked(f.syntaxCheck);
    chkEval->setChecked(f.evaluate);
    chkMinifont->setChecked(f.minifont);
}

GeneratedText TInputDialog::Generate() const
{
    return GenerateInput(Fields());
}

void TInputDialog::PaintScreen(QPainter &p) const
{
    CalcScreen::PaintInput(p, Fields());
}

QStringList TInputDialog::TypedTexts() const
{
    return {Title->toPlainText(), Intro->toPlainText()};
}
