#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An edit box for a path with a button that opens the file-open dialog
// (through Dialogs(), so tests can answer it). Only an existing file can be
// chosen; typing a path is allowed too.
class FilePicker : public QWidget
{
    Q_OBJECT
public:
    explicit FilePicker(const QString &name, QWidget *parent = nullptr);

    QString fileName() const;
    void setFileName(const QString &path);
    // The dialog's title and its filter as the language files write it.
    void setDialogTitle(const QString &title) { m_title = title; }
    void setDialogFilter(const QString &filter) { m_filter = filter; }
    const QString &dialogTitle() const { return m_title; }
    const QString &dialogFilter() const { return m_filter; }

    QLineEdit *edit() const { return m_edit; }
    QToolButton *button() const { return m_button; }

    // The button's work: asks for a file, and takes it when one is chosen.
    void browse();

private:
    QLineEdit *m_edit = nullptr;
    QToolButton *m_button = nullptr;
    QString m_title;
    QString m_filter;
};
