#pragma once

#include "generators/GeneratedText.h"
#include "generators/GrobEditor.h"

#include <QDialog>
#include <QHash>
#include <QWidget>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QScrollArea;
class QSpinBox;
class QStatusBar;
class TGeneratorHeader;

// The drawing grid: one cell per pixel at the zoom's size, with one-pixel
// grid lines when they are on. It paints the editor's picture and preview
// and turns the mouse and the keys into calls on the editor.
class TGrobCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit TGrobCanvas(GrobEditor *editor, QWidget *parent = nullptr);

    static QColor ScreenColour() { return QColor(104, 145, 106); }
    static QColor PreviewColour() { return QColor(128, 255, 0); }

    int CellSize() const { return m_cell; }
    void setCellSize(int size);
    bool GridLines() const { return m_grid; }
    void setGridLines(bool on);
    // The keyboard's cell (Space toggles it).
    QPoint Selected() const { return m_selected; }
    void setSelected(QPoint cell);

    // The cell under a point of the widget (may lie outside the picture).
    QPoint cellAt(QPoint pos) const;
    // The widget rectangle of a cell.
    QRect cellRect(QPoint cell) const;

    QSize sizeHint() const override;

signals:
    // The cell the mouse or the keyboard is on, for the status bar.
    void cellShown(QPoint cell);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;

private:
    int pitch() const { return m_cell + (m_grid ? 1 : 0); }
    void sizeChanged();

    GrobEditor *m_editor;
    int m_cell = 4;
    bool m_grid = true;
    QPoint m_selected{0, 0};
};

// The picture editor: draws a calculator picture pixel by pixel, keeps it in
// ".grb" files and inserts it into the document as a GROB.
class TGrobDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TGrobDialog(QWidget *parent = nullptr);

    // "GROB W H data" and a CR LF, the caret after it; empty until Insert is
    // pressed. It stays set when the closing is then cancelled, and the
    // window counts as accepted however it closes afterwards.
    GeneratedText Result;

    GrobEditor *Editor() { return &m_editor; }
    TGrobCanvas *Grob() const { return m_canvas; }
    QAction *Command(const QString &name) const { return m_commands.value(name); }
    QSpinBox *WidthBox() const { return m_width; }
    QSpinBox *HeightBox() const { return m_height; }
    QComboBox *ZoomBox() const { return m_zoom; }
    QString PositionText() const;
    QString HintText() const;

    void GrobNewExecute();
    void GrobOpenExecute();
    // True when the picture was written.
    bool GrobSaveExecute();
    void GrobInsertExecute();
    void GrobCancelExecute();
    void GrobImportExecute();
    void GrobExportExecute();

    // How the import window is shown: exec() unless a test answers.
    void setModalRunner(std::function<int(QDialog *)> run) { m_run = std::move(run); }

    // The unsaved-changes question: true when the caller may go on.
    bool MayDiscardChanges();

    void done(int result) override;

protected:
    bool event(QEvent *event) override;

private:
    QAction *addCommand(const char *name, const QString &caption, const QString &hint);
    void loadTexts();
    void sizeFollowsPicture();
    void updateTitle();

    GrobEditor m_editor;
    TGeneratorHeader *m_header = nullptr;
    TGrobCanvas *m_canvas = nullptr;
    QScrollArea *m_scroll = nullptr;
    QSpinBox *m_width = nullptr;
    QSpinBox *m_height = nullptr;
    QComboBox *m_zoom = nullptr;
    QLabel *m_widthLabel = nullptr;
    QLabel *m_heightLabel = nullptr;
    QLabel *m_zoomLabel = nullptr;
    QLabel *m_position = nullptr;
    QLabel *m_hint = nullptr;
    QStatusBar *m_status = nullptr;
    QHash<QString, QAction *> m_commands;
    QHash<QString, QString> m_texts; // messages of the extra commands
    QString m_baseTitle;
    std::function<int(QDialog *)> m_run;
};
