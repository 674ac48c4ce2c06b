#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for the parameters a program is run with (a command line that the
// calculator runs before the program, e.g. "8" or "1 2").
class TParamDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TParamDialog(QWidget *parent = nullptr);

    QLabel *LabelInput = nullptr;
    QLineEdit *Param = nullptr;
    QPushButton *Ok = nullptr;
    QPushButton *Cancel = nullptr;
};
