#pragma once

#include "documents/SearchState.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The find window: the text to look for with its history, four options and
// the direction. It only copies the search state in and out; the search itself
// runs once the window has closed.
class TSearchDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TSearchDialog(QWidget *parent = nullptr);

    // Fills the controls from the state: texts, histories, options, direction.
    void readState(const SearchState &state);
    // After OK: the state takes the window's values; each history becomes the
    // first ten entries of its list.
    void writeState(SearchState &state) const;

    QComboBox *searchCombo() const { return TextToSearch; }
    QComboBox *replaceCombo() const { return TextToReplace; }

    // The typed texts move to the top of their lists before the window closes.
    void accept() override;

protected:
    TSearchDialog(QWidget *parent, bool withReplace);

    QLabel *LabelSearch = nullptr;
    QComboBox *TextToSearch = nullptr;
    QLabel *LabelReplace = nullptr;     // replace window only
    QComboBox *TextToReplace = nullptr; // replace window only
    QGroupBox *GroupOptions = nullptr;
    QCheckBox *CaseSensitive = nullptr;
    QCheckBox *WholeWords = nullptr;
    QCheckBox *FromCursor = nullptr;
    QCheckBox *SelectedOnly = nullptr;
    QGroupBox *GroupDirection = nullptr;
    QRadioButton *DirectionDown = nullptr;
    QRadioButton *DirectionUp = nullptr;
    QPushButton *Ok = nullptr;
    QPushButton *Cancel = nullptr;
};

// The replace window: the find window plus the replacement text.
class TReplaceDialog : public TSearchDialog
{
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget *parent = nullptr);
};
