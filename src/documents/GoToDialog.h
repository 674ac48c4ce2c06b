#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;

// Asks for the line to go to.
class TGoToDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TGoToDialog(QWidget *parent = nullptr);

    void setLine(int line);
    int line() const;

    QLabel *LabelGotoLine = nullptr;
    QSpinBox *LineNumber = nullptr;
    QPushButton *Ok = nullptr;
    QPushButton *Cancel = nullptr;

protected:
    // The number is ready to be typed over as soon as the window shows.
    void showEvent(QShowEvent *event) override;
};
