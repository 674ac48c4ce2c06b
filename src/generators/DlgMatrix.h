#pragma once

#include "generators/GeneratedText.h"
#include "generators/MatrixModel.h"

#include <QDialog>
#include <QTableWidget>
#include <QUndoStack>

#include <functional>

class QAction;
class QLabel;
class QRadioButton;
class QStatusBar;
class TGeneratorHeader;

// The matrix writer's grid: 100 x 100 cells under numbered headings that stay
// in place while the cells scroll, with the matrix's size in the corner.
// Enter after typing into a cell moves on as the window's advance choice says.
class TMatrixGrid : public QTableWidget
{
    Q_OBJECT
public:
    explicit TMatrixGrid(QWidget *parent = nullptr);

    QLabel *Corner() const { return m_corner; }
    // Ends an edit still open in a cell, keeping what was typed (a tool bar
    // click does not take the focus from the cell).
    void commitOpenEdit();
    // Asked where Enter goes from a cell (row and column from 0).
    std::function<QModelIndex(const QModelIndex &)> nextCell;

protected:
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void updateGeometries() override;

private:
    QLabel *m_corner;
};

// The matrix writer: the user types the elements of a matrix, a vector or a
// list into the grid, and Insert turns them into UserRPL text.
class TMatrixDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TMatrixDialog(QWidget *parent = nullptr);
    ~TMatrixDialog() override;

    // The generated text (calculator bytes, the caret after it); empty until
    // Insert is pressed.
    GeneratedText Result;

    const MatrixModel &Model() const { return m_model; }
    MatrixModel::Type Type() const;
    MatrixModel::Advance Advance() const;
    int ColumnWidth() const { return m_columnWidth; }
    static constexpr int MinColumnWidth = 16;
    static constexpr int MaxColumnWidth = 400;

    TMatrixGrid *Writer() const { return m_grid; }
    QAction *Command(const QString &name) const;
    QUndoStack *UndoStack() { return &m_undo; }

    // The commands of the tool bar.
    void WidthDecExecute();
    void WidthIncExecute();
    void InsertRowExecute();
    void DeleteRowExecute();
    void InsertColExecute();
    void DeleteColExecute();
    void InsertMatExecute();
    void CancelDlgExecute();
    void PasteExecute();

protected:
    bool event(QEvent *event) override;

private:
    // Applies an edit of the model as one undo step and shows the result.
    void edit(const std::function<bool(MatrixModel &)> &change);
    void setModel(const MatrixModel &model);
    void showModel();
    void cellTyped(int row, int col);
    void setColumnWidth(int width);
    QAction *addCommand(const char *name, const QString &caption, const QString &hint, const QString &icon);
    void loadTexts();
    // The selected cell, 1-based; {0, 0} when none.
    MatrixModel::Cell selectedCell() const;

    MatrixModel m_model;
    QUndoStack m_undo;
    TGeneratorHeader *m_header = nullptr;
    TMatrixGrid *m_grid = nullptr;
    QStatusBar *m_status = nullptr;
    QRadioButton *m_typeMatrix = nullptr;
    QRadioButton *m_typeVector = nullptr;
    QRadioButton *m_typeList = nullptr;
    QRadioButton *m_goRight = nullptr;
    QRadioButton *m_goDown = nullptr;
    QWidget *m_typeGroup = nullptr;
    QWidget *m_goGroup = nullptr;
    QHash<QString, QAction *> m_commands;
    int m_columnWidth = 64;
    bool m_showing = false;
    bool m_typing = false;
    QString m_pasteCutText;

    friend class MatrixStep;
};
