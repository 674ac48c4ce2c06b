#include "documents/GoToDialog.h"

#include "shell/Language.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

TGoToDialog::TGoToDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("GoToDialog");
    setWindowTitle(QStringLiteral("Ir a la línea"));

    LabelGotoLine = new QLabel(QStringLiteral("Ir a la línea:"), this);
    LineNumber = new QSpinBox(this);
    LineNumber->setObjectName("LineNumber");
    LineNumber->setRange(0, std::numeric_limits<int>::max());
    LineNumber->setButtonSymbols(QAbstractSpinBox::NoButtons);
    LineNumber->setMinimumWidth(120);
    LabelGotoLine->setBuddy(LineNumber);

    Ok = new QPushButton(QStringLiteral("Aceptar"), this);
    Cancel = new QPushButton(QStringLiteral("Cancelar"), this);
    Ok->setDefault(true);
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *field = new QHBoxLayout;
    field->addWidget(LabelGotoLine);
    field->addWidget(LineNumber, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok);
    buttons->addWidget(Cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    loadWindowTexts(this,
                    "GoToDialog",
                    {
                        {"DlgGoToTitle", this, TextRole::Title},
                        {"DlgGoToLine", LabelGotoLine},
                        {"DlgGoToOk", Ok},
                        {"DlgGoToCancel", Cancel},
                    });
}

void TGoToDialog::setLine(int line)
{
    LineNumber->setValue(line);
}

int TGoToDialog::line() const
{
    return LineNumber->value();
}

void TGoToDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    LineNumber->setFocus();
    LineNumber->selectAll();
}
