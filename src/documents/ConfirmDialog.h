#pragma once

#include "documents/TextSearch.h"

#include <QDialog>

class QLabel;
class QPushButton;

// Asks whether to replace one match. One window serves a whole replace run;
// the caller moves it next to each match before asking.
class TConfirmDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TConfirmDialog(QWidget *parent = nullptr);

    // Shows the window modally with `question` and returns the answer;
    // closing the window counts as cancel.
    TextSearch::Answer ask(const QString &question);

    QLabel *LabelConfirmation = nullptr;
    QPushButton *Replace = nullptr;
    QPushButton *Skip = nullptr;
    QPushButton *Cancel = nullptr;
    QPushButton *ReplaceAll = nullptr;

private:
    TextSearch::Answer m_answer = TextSearch::Answer::Cancel;
};
