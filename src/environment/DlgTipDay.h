#pragma once

#include "environment/TipList.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// The tip of the day: one tip at a time from the tips file, a random one
// first, with Next and Previous wrapping around, and the check box that
// decides whether tips appear at start (it changes the setting at once).
class TTipDialog : public QDialog
{
    Q_OBJECT
public:
    // Reads the tips file of the language in force; when it is missing,
    // says so (Message5) and leaves navigation disabled.
    explicit TTipDialog(QWidget *parent = nullptr);

    TipList &tips() { return m_tips; }
    // Shows the current tip of tips().
    void showCurrent();

    void NextTipClick();
    void PrevTipClick();

    QLabel *tipLabel() const { return m_tip; }
    QCheckBox *showCheck() const { return m_showCheck; }
    QPushButton *nextButton() const { return m_next; }
    QPushButton *previousButton() const { return m_previous; }
    QPushButton *closeButton() const { return m_close; }

private:
    TipList m_tips;
    QLabel *m_welcome = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_tip = nullptr;
    QCheckBox *m_showCheck = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_close = nullptr;
};
