#include "generators/DlgInform.h"

#include "formats/CalcCharset.h"
#include "generators/CalcScreen.h"
#include "generators/GeneratorHeader.h"
#include "shell/Language.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int CellCount = 5;

QByteArray InformField::*const cells[CellCount] = {
    &InformField::name, &InformField::help, &InformField::types, &InformField::reset, &InformField::initial};

} // namespace

TInformDialog::TInformDialog(QWidget *parent)
    : TGeneratorDialog(parent)
{
    setObjectName(QStringLiteral("InformDialog"));
    setWindowTitle(QStringLiteral("Asistente para INFORM"));
    Header->setTitle(QStringLiteral("INFORM"));
    Header->setDescription(
        QStringLiteral("Ingrese los parámetros para este comando. La imagen es solamente referencial."));

    QWidget *body = Body();
    LabelTitle = new QLabel(QStringLiteral("Titulo:"), body);
    Title = new QLineEdit(body);
    Title->setObjectName(QStringLiteral("Title"));
    Title->setMaxLength(InformTitleMaximum);
    LabelTitle->setBuddy(Title);

    GroupFormat = new QGroupBox(QStringLiteral("Formato"), body);
    GroupFormat->setObjectName(QStringLiteral("GroupFormat"));
    LabelColumns = new QLabel(QStringLiteral("Columnas:"), GroupFormat);
    Columns = new QSpinBox(GroupFormat);
    Columns->setObjectName(QStringLiteral("Columns"));
    Columns->setRange(1, InformColumnsMaximum);
    LabelColumns->setBuddy(Columns);
    OffsetCheck = new QCheckBox(QStringLiteral("Ancho"), GroupFormat);
    OffsetCheck->setObjectName(QStringLiteral("OffsetCheck"));
    OffsetCheck->setChecked(true);
    Offset = new QSpinBox(GroupFormat);
    Offset->setObjectName(QStringLiteral("Offset"));
    Offset->setRange(0, InformOffsetMaximum);

    GroupFields = new QGroupBox(QStringLiteral("Campos"), body);
    GroupFields->setObjectName(QStringLiteral("GroupFields"));
    FieldGrid = new QTableWidget(1, CellCount, GroupFields);
    FieldGrid->setObjectName(QStringLiteral("Fields"));
    FieldGrid->setHorizontalHeaderLabels(QStringList(CellCount, QString()));
    FieldGrid->horizontalHeader()->setDefaultSectionSize(91);
    FieldGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    FieldGrid->verticalHeader()->setDefaultSectionSize(std::max(16, fontMetrics().height() + 6));
    FieldGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FieldGrid->setFont(QFont(QStringLiteral("_CAS_HP48x-49x-50x_8x7pxl-f01")));
    FieldGrid->setCurrentCell(0, 0);
    btnAdd = new QPushButton(QStringLiteral("Añadir etiqueta"), GroupFields);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnAdd->setAutoDefault(false);
    btnDelete = new QPushButton(QStringLiteral("Eliminar etiqueta"), GroupFields);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnDelete->setAutoDefault(false);
    btnUp = MoveRowButton(GroupFields, "btnUp", Qt::UpArrow);
    btnDown = MoveRowButton(GroupFields, "btnDown", Qt::DownArrow);

    GroupOptions = new QGroupBox(QStringLiteral("Opciones"), body);
    GroupOptions->setObjectName(QStringLiteral("GroupOptions"));
    chkCondition = new QCheckBox(QStringLiteral("Insertar código de comprobación"), GroupOptions);
    chkCondition->setObjectName(QStringLiteral("chkCondition"));
    chkCondition->setChecked(true);

    auto *top = new QHBoxLayout;
    top->addWidget(LabelTitle);
    top->addWidget(Title, 1);
    auto *format = new QHBoxLayout(GroupFormat);
    format->addWidget(LabelColumns);
    format->addWidget(Columns);
    format->addSpacing(16);
    format->addWidget(OffsetCheck);
    format->addWidget(Offset);
    format->addStretch(1);
    auto *rowButtons = new QHBoxLayout;
    rowButtons->addWidget(btnAdd);
    rowButtons->addWidget(btnDelete);
    rowButtons->addStretch(1);
    rowButtons->addWidget(btnUp);
    rowButtons->addWidget(btnDown);
    auto *fields = new QVBoxLayout(GroupFields);
    fields->addWidget(FieldGrid, 1);
    fields->addLayout(rowButtons);
    auto *options = new QVBoxLayout(GroupOptions);
    options->addWidget(chkCondition);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(GroupFormat);
    layout->addWidget(GroupFields, 1);
    layout->addWidget(GroupOptions);
    setMinimumWidth(960);

    setTabOrder(Title, Columns);
    setTabOrder(Columns, OffsetCheck);
    setTabOrder(OffsetCheck, Offset);
    setTabOrder(Offset, FieldGrid);
    setTabOrder(FieldGrid, btnAdd);
    setTabOrder(btnAdd, btnDelete);
    setTabOrder(btnDelete, btnUp);
    setTabOrder(btnUp, btnDown);
    setTabOrder(btnDown, chkCondition);
    setTabOrder(chkCondition, TryIt);
    setTabOrder(TryIt, Ok);
    setTabOrder(Ok, Cancel);
    Title->setFocus();

    connect(Title, &QLineEdit::textChanged, this, &TInformDialog::FieldsChanged);
    connect(Columns, &QSpinBox::valueChanged, this, &TInformDialog::FieldsChanged);
    connect(Offset, &QSpinBox::valueChanged, this, &TInformDialog::FieldsChanged);
    connect(OffsetCheck, &QCheckBox::toggled, this, [this](bool on) {
        Offset->setEnabled(on);
        FieldsChanged();
    });
    connect(chkCondition, &QCheckBox::toggled, this, &TInformDialog::FieldsChanged);
    connect(FieldGrid, &QTableWidget::itemChanged, this, &TInformDialog::FieldsChanged);
    // The drawing shows the selected field inverted, with its help line.
    connect(FieldGrid, &QTableWidget::currentCellChanged, this, [this] { PaintBox->update(); });
    connect(btnAdd, &QPushButton::clicked, this, &TInformDialog::AddRow);
    connect(btnDelete, &QPushButton::clicked, this, &TInformDialog::DeleteRow);
    connect(btnUp, &QToolButton::clicked, this, [this] { MoveRow(-1); });
    connect(btnDown, &QToolButton::clicked, this, [this] { MoveRow(1); });
    AddRowKeys(FieldGrid, this, [this] { AddRow(); }, [this] { DeleteRow(); }, [this](int by) { MoveRow(by); });
    EnterMovesToNextControl(this);

    auto heading = [this](int column) {
        return [this, column](const QString &t) { FieldGrid->setHorizontalHeaderItem(column, new QTableWidgetItem(t)); };
    };
    loadWindowTexts(this,
                    "InformDialog",
                    {
                        {"DlgInformTitle", this, TextRole::Title},
                        {"DlgInformHeaderTitle", [this](const QString &t) { Header->setTitle(t); }},
                        {"DlgInformHeaderDescription", [this](const QString &t) { Header->setDescription(t); }},
                        {"DlgInformLabelTitle", LabelTitle},
                        {"DlgInformFormat", GroupFormat},
                        {"DlgInformLabelColumns", LabelColumns},
                        {"DlgInformWidth", OffsetCheck},
                        {"DlgInformFieldTitle", GroupFields},
                        {"DlgInformFieldName", heading(0)},
                        {"DlgInformFieldHelp", heading(1)},
                        {"DlgInformFieldObject", heading(2)},
                        {"DlgInformFieldReset", heading(3)},
                        {"DlgInformFieldDefault", heading(4)},
                        {"DlgInformAdd", btnAdd},
                        {"DlgInformDelete", btnDelete},
                        {"DlgInformMoveUp", [this](const QString &t) { btnUp->setToolTip(t); }},
                        {"DlgInformMoveDown", [this](const QString &t) { btnDown->setToolTip(t); }},
                        {"DlgInformOptions", GroupOptions},
                        {"DlgInformConditional", chkCondition},
                        {"DlgInformOk", Ok},
                        {"DlgInformCancel", Cancel},
                    });
    loadSharedTexts();
    flushChanges();
}

QList<InformField> TInformDialog::fieldRows() const
{
    QList<InformField> rows;
    for (int r = 0; r < FieldGrid->rowCount(); ++r) {
        InformField field;
        for (int c = 0; c < CellCount; ++c)
            field.*cells[c] = CalcCharset::encode(TableCellText(FieldGrid, r, c));
        rows << field;
    }
    return rows;
}

void TInformDialog::setFieldRows(const QList<InformField> &rows)
{
    QSignalBlocker quiet(FieldGrid);
    FieldGrid->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < CellCount; ++c)
            FieldGrid->setItem(r, c, new QTableWidgetItem(CalcCharset::decode(rows[r].*cells[c])));
}

void TInformDialog::AddRow()
{
    const int rows = FieldGrid->rowCount();
    if (!InformCanAddField(FieldGrid->currentRow(), rows, Columns->value()))
        return;
    FieldGrid->insertRow(rows);
    FieldGrid->setCurrentCell(rows, 0);
    FieldsChanged();
}

void TInformDialog::DeleteRow()
{
    QList<InformField> rows = fieldRows();
    const int selected = FieldGrid->currentRow();
    if (!InformCanDeleteField(selected, rows))
        return;
    const int column = std::max(0, FieldGrid->currentColumn());
    const int above = InformDeleteField(rows, selected);
    FieldGrid->removeRow(selected);
    FieldGrid->setCurrentCell(above, column);
    FieldsChanged();
}

void TInformDialog::MoveRow(int by)
{
    if (MoveTableRow(FieldGrid, by))
        FieldsChanged();
}

InformFields TInformDialog::Fields() const
{
    InformFields f;
    f.title = CalcCharset::encode(Title->text());
    f.columns = Columns->value();
    f.offsetCheck = OffsetCheck->isChecked();
    f.offset = Offset->value();
    f.fields = fieldRows();
    f.condition = chkCondition->isChecked();
    return f;
}

void TInformDialog::setFields(const InformFields &f)
{
    Title->setText(CalcCharset::decode(f.title));
    Columns->setValue(f.columns);
    OffsetCheck->setChecked(f.offsetCheck);
    Offset->setValue(f.offset);
    setFieldRows(f.fields);
    if (FieldGrid->rowCount() > 0)
        FieldGrid->setCurrentCell(0, 0);
    chkCondition->setChecked(f.condition);
    FieldsChanged();
}

GeneratedText TInformDialog::Generate() const
{
    return GenerateInform(Fields());
}

void TInformDialog::PaintScreen(QPainter &p) const
{
    CalcScreen::PaintInform(p, Fields(), FieldGrid->currentRow());
}

QStringList TInformDialog::TypedTexts() const
{
    QStringList texts{Title->text()};
    for (int r = 0; r < FieldGrid->rowCount(); ++r)
        for (int c = 0; c < CellCount; ++c)
            texts << TableCellText(FieldGrid, r, c);
    return texts;
}
