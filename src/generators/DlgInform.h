#pragma once

#include "generators/GeneratorDialog.h"
#include "generators/InformBuilder.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;
class QToolButton;

// The INFORM builder: the form's title, its fields (label, help, allowed
// types, reset and initial values), the column layout, and whether to test
// that the user confirmed the form.
class TInformDialog : public TGeneratorDialog
{
    Q_OBJECT
public:
    explicit TInformDialog(QWidget *parent = nullptr);

    InformFields Fields() const;
    void setFields(const InformFields &fields);

    GeneratedText Generate() const override;

    QLabel *LabelTitle;
    QLineEdit *Title;
    QGroupBox *GroupFormat;
    QLabel *LabelColumns;
    QSpinBox *Columns;
    QCheckBox *OffsetCheck;
    QSpinBox *Offset;
    QGroupBox *GroupFields;
    QTableWidget *FieldGrid; // the "Fields" grid
    QPushButton *btnAdd;
    QPushButton *btnDelete;
    QToolButton *btnUp;
    QToolButton *btnDown;
    QGroupBox *GroupOptions;
    QCheckBox *chkCondition;

    // The row buttons' actions, with their rules (InformCanAddField,
    // InformCanDeleteField); also Ins, Del, Alt+Up and Alt+Down in the grid.
    void AddRow();
    void DeleteRow();
    void MoveRow(int by);

protected:
    void PaintScreen(QPainter &p) const override;
    QStringList TypedTexts() const override;

private:
    QList<InformField> fieldRows() const;
    void setFieldRows(const QList<InformField> &rows);
};
