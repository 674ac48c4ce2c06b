#pragma once

#include "generators/ChooseBuilder.h"
#include "generators/GeneratorDialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class QToolButton;

// The CHOOSE builder: a title, the items (what the box shows and what each
// returns), the item highlighted first, and whether to run the choice.
class TChooseDialog : public TGeneratorDialog
{
    Q_OBJECT
public:
    explicit TChooseDialog(QWidget *parent = nullptr);

    ChooseFields Fields() const;
    void setFields(const ChooseFields &fields);

    GeneratedText Generate() const override;

    QLabel *LabelTitle;
    QLineEdit *Title;
    QLabel *LabelPosition;
    QSpinBox *Position;
    QLabel *LabelList;
    QTableWidget *Objects;
    QPushButton *btnAdd;
    QPushButton *btnDelete;
    QToolButton *btnUp;
    QToolButton *btnDown;
    QGroupBox *GroupOptions;
    QCheckBox *chkCondition;
    QCheckBox *chkMinifont;

    // The row buttons' actions (also Ins, Del, Alt+Up and Alt+Down in the table).
    void AddRow();
    void DeleteRow();
    void MoveRow(int by);

protected:
    void PaintScreen(QPainter &p) const override;
    QStringList TypedTexts() const override;

private:
    void RowsChanged();
};
