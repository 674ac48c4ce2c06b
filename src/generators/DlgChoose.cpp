#include "generators/DlgChoose.h"

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

void setCellText(QTableWidget *table, int row, int column, const QString &text)
{
    table->setItem(row, column, new QTableWidgetItem(text));
}

} // namespace

TChooseDialog::TChooseDialog(QWidget *parent)
    : TGeneratorDialog(parent)
{
    setObjectName(QStringLiteral("ChooseDialog"));
    setWindowTitle(QStringLiteral("Asistente para CHOOSE"));
    Header->setTitle(QStringLiteral("CHOOSE"));
    Header->setDescription(
        QStringLiteral("Ingrese los parámetros para este comando. La imagen es solamente referencial."));

    QWidget *body = Body();
    LabelTitle = new QLabel(QStringLiteral("Título:"), body);
    Title = new QLineEdit(body);
    Title->setObjectName(QStringLiteral("Title"));
    Title->setMaxLength(ChooseTitleMaximum);
    LabelTitle->setBuddy(Title);
    LabelPosition = new QLabel(QStringLiteral("Posición inicial del menú:"), body);
    Position = new QSpinBox(body);
    Position->setObjectName(QStringLiteral("Position"));
    Position->setRange(1, 1);
    LabelPosition->setBuddy(Position);
    LabelList = new QLabel(QStringLiteral("Objetos:"), body);
    Objects = new QTableWidget(0, 2, body);
    Objects->setObjectName(QStringLiteral("Objects"));
    Objects->setHorizontalHeaderLabels({QString(), QString()});
    Objects->horizontalHeader()->setStretchLastSection(true);
    Objects->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    Objects->setSelectionBehavior(QAbstractItemView::SelectRows);
    Objects->setSelectionMode(QAbstractItemView::SingleSelection);
    Objects->setFont(QFont(QStringLiteral("_CAS_HP48x-49x-50x_8x7pxl-f01")));
    LabelList->setBuddy(Objects);
    btnAdd = new QPushButton(QStringLiteral("Añadir etiqueta"), body);
    btnAdd->setObjectName(QStringLiteral("btnAdd"));
    btnDelete = new QPushButton(QStringLiteral("Eliminar etiqueta"), body);
    btnDelete->setObjectName(QStringLiteral("btnDelete"));
    btnUp = MoveRowButton(body, "btnUp", Qt::UpArrow);
    btnDown = MoveRowButton(body, "btnDown", Qt::DownArrow);
    btnAdd->setAutoDefault(false);
    btnDelete->setAutoDefault(false);
    GroupOptions = new QGroupBox(QStringLiteral("Opciones"), body);
    GroupOptions->setObjectName(QStringLiteral("GroupOptions"));
    chkCondition = new QCheckBox(QStringLiteral("Insertar código de comprobación"), GroupOptions);
    chkCondition->setObjectName(QStringLiteral("chkCondition"));
    chkCondition->setChecked(true);
    chkMinifont = new QCheckBox(QStringLiteral("Utilizar minifont"), GroupOptions);
    chkMinifont->setObjectName(QStringLiteral("chkMinifont"));

    auto *top = new QGridLayout;
    top->addWidget(LabelTitle, 0, 0);
    top->addWidget(Title, 0, 1);
    top->addWidget(LabelPosition, 1, 0);
    top->addWidget(Position, 1, 1, Qt::AlignLeft);
    auto *rowButtons = new QHBoxLayout;
    rowButtons->addWidget(btnAdd);
    rowButtons->addWidget(btnDelete);
    rowButtons->addStretch(1);
    rowButtons->addWidget(btnUp);
    rowButtons->addWidget(btnDown);
    auto *options = new QVBoxLayout(GroupOptions);
    options->addWidget(chkCondition);
    options->addWidget(chkMinifont);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(LabelList);
    layout->addWidget(Objects, 1);
    layout->addLayout(rowButtons);
    layout->addWidget(GroupOptions);

    setTabOrder(Title, Position);
    setTabOrder(Position, Objects);
    setTabOrder(Objects, btnAdd);
    setTabOrder(btnAdd, btnDelete);
    setTabOrder(btnDelete, btnUp);
    setTabOrder(btnUp, btnDown);
    setTabOrder(btnDown, chkCondition);
    setTabOrder(chkCondition, chkMinifont);
    setTabOrder(chkMinifont, TryIt);
    setTabOrder(TryIt, Ok);
    setTabOrder(Ok, Cancel);
    Title->setFocus();

    connect(Title, &QLineEdit::textChanged, this, &TChooseDialog::FieldsChanged);
    connect(Position, &QSpinBox::valueChanged, this, &TChooseDialog::FieldsChanged);
    connect(Objects, &QTableWidget::itemChanged, this, &TChooseDialog::RowsChanged);
    connect(chkCondition, &QCheckBox::toggled, this, &TChooseDialog::FieldsChanged);
    connect(chkMinifont, &QCheckBox::toggled, this, &TChooseDialog::FieldsChanged);
    connect(btnAdd, &QPushButton::clicked, this, &TChooseDialog::AddRow);
    connect(btnDelete, &QPushButton::clicked, this, &TChooseDialog::DeleteRow);
    connect(btnUp, &QToolButton::clicked, this, [this] { MoveRow(-1); });
    connect(btnDown, &QToolButton::clicked, this, [this] { MoveRow(1); });
    AddRowKeys(Objects, this, [this] { AddRow(); }, [this] { DeleteRow(); }, [this](int by) { MoveRow(by); });
    EnterMovesToNextControl(this);

    loadWindowTexts(this,
                    "ChooseDialog",
                    {
                        {"DlgChooseTitle", this, TextRole::Title},
                        {"DlgChooseHeaderTitle", [this](const QString &t) { Header->setTitle(t); }},
                        {"DlgChooseHeaderDescription", [this](const QString &t) { Header->setDescription(t); }},
                        {"DlgChooseLabelTitle", LabelTitle},
                        {"DlgChooseLabelPosition", LabelPosition},
                        {"DlgChooseLabelList", LabelList},
                        {"DlgChooseObjectsShow",
                         [this](const QString &t) { Objects->setHorizontalHeaderItem(0, new QTableWidgetItem(t)); }},
                        {"DlgChooseObjectsReturn",
                         [this](const QString &t) { Objects->setHorizontalHeaderItem(1, new QTableWidgetItem(t)); }},
                        {"DlgChooseAdd", btnAdd},
                        {"DlgChooseDelete", btnDelete},
                        {"DlgChooseMoveUp", [this](const QString &t) { btnUp->setToolTip(t); }},
                        {"DlgChooseMoveDown", [this](const QString &t) { btnDown->setToolTip(t); }},
                        {"DlgChooseOptions", GroupOptions},
                        {"DlgChooseConditional", chkCondition},
                        {"DlgChooseMinifont", chkMinifont},
                        {"DlgChooseOk", Ok},
                        {"DlgChooseCancel", Cancel},
                    });
    loadSharedTexts();
    flushChanges();
}

void TChooseDialog::RowsChanged()
{
    Position->setMaximum(std::max(1, Objects->rowCount()));
    FieldsChanged();
}

void TChooseDialog::AddRow()
{
    const int row = Objects->rowCount();
    Objects->insertRow(row);
    Objects->setCurrentCell(row, 0);
    RowsChanged();
}

void TChooseDialog::DeleteRow()
{
    const int row = Objects->currentRow();
    if (row < 0)
        return;
    Objects->removeRow(row);
    if (Objects->rowCount() > 0)
        Objects->setCurrentCell(std::min(row, Objects->rowCount() - 1), Objects->currentColumn() < 0 ? 0 : Objects->currentColumn());
    RowsChanged();
}

void TChooseDialog::MoveRow(int by)
{
    if (MoveTableRow(Objects, by))
        RowsChanged();
}

ChooseFields TChooseDialog::Fields() const
{
    ChooseFields f;
    f.title = CalcCharset::encode(Title->text());
    for (int r = 0; r < Objects->rowCount(); ++r)
        f.rows << ChooseRow{CalcCharset::encode(TableCellText(Objects, r, 0)), CalcCharset::encode(TableCellText(Objects, r, 1))};
    f.position = Position->value();
    f.condition = chkCondition->isChecked();
    f.minifont = chkMinifont->isChecked();
    return f;
}

void TChooseDialog::setFields(const ChooseFields &f)
{
    Title->setText(CalcCharset::decode(f.title));
    {
        QSignalBlocker quiet(Objects);
        Objects->setRowCount(int(f.rows.size()));
        for (int r = 0; r < f.rows.size(); ++r) {
            setCellText(Objects, r, 0, CalcCharset::decode(f.rows[r].label));
            setCellText(Objects, r, 1, CalcCharset::decode(f.rows[r].value));
        }
    }
    RowsChanged();
    Position->setValue(f.position);
    chkCondition->setChecked(f.condition);
    chkMinifont->setChecked(f.minifont);
}

GeneratedText TChooseDialog::Generate() const
{
    return GenerateChoose(Fields());
}

void TChooseDialog::PaintScreen(QPainter &p) const
{
    CalcScreen::PaintChoose(p, Fields());
}

QStringList TChooseDialog::TypedTexts() const
{
    QStringList texts{Title->text()};
    for (int r = 0; r < Objects->rowCount(); ++r)
        texts << TableCellText(Objects, r, 0) << TableCellText(Objects, r, 1);
    return texts;
}
