#include "emulator/ParamDialog.h"

#include "shell/Language.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TParamDialog::TParamDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("ParametersDialog");
    setWindowTitle(QStringLiteral("Parámetros"));
    setFixedSize(329, 121);

    LabelInput = new QLabel(QStringLiteral("Ingrese los parámetros:"), this);
    LabelInput->setGeometry(16, 12, 297, 18);
    Param = new QLineEdit(this);
    Param->setObjectName("Param");
    Param->setGeometry(16, 34, 297, 24);
    LabelInput->setBuddy(Param);
    Ok = new QPushButton(QStringLiteral("Aceptar"), this);
    Ok->setObjectName("Ok");
    Ok->setGeometry(146, 78, 80, 27);
    Ok->setDefault(true);
    Cancel = new QPushButton(QStringLiteral("Cancelar"), this);
    Cancel->setObjectName("Cancel");
    Cancel->setGeometry(233, 78, 80, 27);
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(Param, Ok);
    setTabOrder(Ok, Cancel);
    Param->setFocus();

    loadWindowTexts(this,
                    "ParametersDialog",
                    {
                        {"DlgParamTitle", this, TextRole::Title},
                        {"DlgParamInput", LabelInput},
                        {"DlgParamOk", Ok},
                        {"DlgParamCancel", Cancel},
                    });
}
