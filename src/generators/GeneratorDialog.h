#pragma once

#include "generators/GeneratedText.h"

#include <QDialog>

#include <functional>

class QBoxLayout;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
class QToolButton;
class TGeneratorHeader;

// The calculator screen drawing of a generator window: a fixed 268 x 150
// surface painted by the window's own drawing function.
class TCalcScreenView : public QWidget
{
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter &)>;
    explicit TCalcScreenView(QWidget *parent = nullptr);
    void setPainter(Painter painter) { m_painter = std::move(painter); }
    // The drawing as an image, as the window shows it.
    QImage grabDrawing() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Painter m_painter;
};

// What the INPUT, CHOOSE and INFORM windows share: the header band, the
// calculator screen drawing with a warning line under it, the "Try it"
// button, and OK and Cancel. A window puts its own controls in Body(),
// says what code its fields make (Generate) and how they look (PaintScreen),
// and calls FieldsChanged() on every change.
//
// The warning line says when the code would not compile in the calculator
// or when a text holds characters the calculator does not have; it never
// stops the user from inserting the code.
class TGeneratorDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TGeneratorDialog(QWidget *parent = nullptr);

    // The generated text with its caret marker, and the same as bytes with
    // the caret's place; both empty until OK is pressed.
    QByteArray Code;
    GeneratedText Result;

    TGeneratorHeader *Header = nullptr;
    TCalcScreenView *PaintBox = nullptr;
    QLabel *Warning = nullptr;
    QPushButton *TryIt = nullptr;
    QPushButton *Ok = nullptr;
    QPushButton *Cancel = nullptr;

    // The code the fields make now.
    virtual GeneratedText Generate() const = 0;
    // The warning under the drawing as it stands (after pending changes).
    QString WarningText();
    // Runs the pending check and repaint at once (tests, OK).
    void flushChanges();

signals:
    // "Try it" pressed: the code to run, without its caret marker.
    void tryRequested(const QByteArray &code);

protected:
    QWidget *Body() const { return m_body; }
    virtual void PaintScreen(QPainter &p) const = 0;
    // Texts that the code is made of, as typed, for the characters check.
    virtual QStringList TypedTexts() const = 0;
    // Repaints now and checks the code a moment later, so that typing into a
    // long text stays smooth.
    void FieldsChanged();
    // Whether the calculator that would run the code is of the 49 family.
    bool is49() const;
    // The "Try it" button's texts (shared by the three windows).
    void loadSharedTexts();

    void accept() override;

private:
    void check();

    QWidget *m_body = nullptr;
    QTimer *m_checkTimer = nullptr;
    QString m_willNotCompile;
    QString m_charactersLacking;
};

// The row tables of the CHOOSE and INFORM windows -------------------------

// A cell's text; an empty string for a cell never edited.
QString TableCellText(const QTableWidget *table, int row, int column);
// Swaps the current row with the one by rows below (above when negative),
// every column, and follows it with the selection. False (and no change)
// when there is no current row or no row there.
bool MoveTableRow(QTableWidget *table, int by);
// A small arrow button that moves the current row.
QToolButton *MoveRowButton(QWidget *parent, const char *name, Qt::ArrowType arrow);
// The keys of a row table: Ins adds, Del deletes, Alt+Up and Alt+Down move.
void AddRowKeys(QTableWidget *table, QObject *context, std::function<void()> add, std::function<void()> remove,
                std::function<void(int)> move);

// Makes Enter move the focus to the next control, as Tab does, in every
// control of window except buttons (Enter presses them) and tables (Enter
// ends the cell's edit). Used by the windows whose controls are one-line.
void EnterMovesToNextControl(QWidget *window);
