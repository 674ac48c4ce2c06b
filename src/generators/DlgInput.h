#pragma once

#include "generators/GeneratorDialog.h"
#include "generators/InputBuilder.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QSpinBox;

// The INPUT builder: a prompt, the command line the calculator starts with,
// its cursor and entry modes, and whether to evaluate the entry. The window
// only copies its controls into InputFields; GenerateInput writes the code.
class TInputDialog : public TGeneratorDialog
{
    Q_OBJECT
public:
    explicit TInputDialog(QWidget *parent = nullptr);

    InputFields Fields() const;
    void setFields(const InputFields &fields);

    GeneratedText Generate() const override;

    QLabel *LabelTitle;
    QPlainTextEdit *Title;
    QLabel *LabelIntro;
    QPlainTextEdit *Intro;
    QCheckBox *FormatCheck;
    QGroupBox *GroupFormat;
    QGroupBox *GroupPosCursor;
    QLabel *LabelRow;
    QSpinBox *Row;
    QLabel *LabelCol;
    QSpinBox *Col;
    QGroupBox *GroupMode;
    QCheckBox *chkAlgebraic;
    QCheckBox *chkAlphabetic;
    QCheckBox *chkSyntax;
    QGroupBox *GroupOptions;
    QCheckBox *chkEval;
    QCheckBox *chkMinifont;

protected:
    void PaintScreen(QPainter &p) const override;
    QStringList TypedTexts() const override;

private:
    void IntroChanged();
};
