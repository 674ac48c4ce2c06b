#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The instruction editor of a block (F2 or a double-click): one line of text.
class TEditorForm : public QDialog
{
    Q_OBJECT
public:
    explicit TEditorForm(QWidget *parent = nullptr);

    QString Text() const;
    void SetText(const QString &text);
    QLineEdit *Edit() const { return m_edit; }

private:
    QLabel *m_label;
    QLineEdit *m_edit;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};

// The question of a Read block during a run: the prompt (rich text, the
// variable's name in bold) and one line for the answer.
class TInputForm : public QDialog
{
    Q_OBJECT
public:
    explicit TInputForm(QWidget *parent = nullptr);

    void SetPrompt(const QString &richText);
    QString Prompt() const;
    QString Answer() const;
    QLineEdit *Edit() const { return m_edit; }

private:
    QLabel *m_prompt;
    QLineEdit *m_edit;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};

// Courier New, 13 pixels high, for the one-line boxes of both windows.
QFont BuilderEditFont();
