#pragma once

#include "formats/ObjectFile.h"
#include "generators/GrobModel.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>
#include <QUndoStack>

#include <array>

// The picture editor's state and rules, without the window: the picture, the
// freehand pen, the shape tools with their preview, the file name and the
// modified flag, and undo. The window turns mouse and key events on its grid
// into the calls below and paints what they leave.
//
// Every change of the picture is one undo step: a freehand stroke from press
// to release, a shape, a Space toggle, a resize (a run of resizes in a row is
// one step), an imported image. Undo steps hold the picture before and after
// the change: the largest picture is 250 KB of nibble text, and a snapshot
// cannot drift from the picture the way replayed pixel lists could.
class GrobEditor : public QObject
{
    Q_OBJECT
public:
    using Shape = GrobModel::Shape;

    explicit GrobEditor(QObject *parent = nullptr);
    ~GrobEditor() override;

    const TGrob &picture() const { return m_picture; }
    int width() const { return m_picture.Width; }
    int height() const { return m_picture.Height; }
    bool contains(QPoint cell) const;

    // The name a picture never saved or opened has ("Sin nombre").
    static QString untitledName();
    const QString &fileName() const { return m_fileName; }
    bool isUntitled() const { return m_fileName == untitledName(); }
    // Changed since it was made, opened or saved (undoing back to that
    // point counts as unchanged).
    bool isModified() const;
    // After a save under path.
    void markSaved(const QString &path);

    // A new clear 131 x 80 picture, untitled, unchanged, no undo history.
    void newPicture();
    // An opened picture; false and nothing changed when it is not one the
    // editor can hold (GrobModel::isEditable).
    bool openPicture(const TGrob &grob, const QString &path);
    // Replaces the whole picture as one undo step (an imported image).
    void replacePicture(const TGrob &grob, const QString &undoText = QString());

    // Width and height as the spin boxes set them. A run of resizes works
    // from the picture as it was before the run, so typing 50 over 131
    // (through 5) keeps the pixels of columns 5 to 49.
    void resize(int width, int height);

    // The pointer on the grid, in cells. press and release take the button;
    // move is only called while a button is down.
    void press(QPoint cell, Qt::MouseButton button);
    void move(QPoint cell);
    void release(Qt::MouseButton button);
    bool isMouseDown() const { return m_mouseDown; }

    // Space on the selected cell, and Esc.
    void toggle(QPoint cell);
    void escape();

    // The Line, Rectangle and Circle commands: each flips its own check mark
    // and the shared shape mode, and makes its shape the current one.
    void shapeCommand(Shape shape);
    bool isChecked(Shape shape) const;
    bool shapeMode() const { return m_shapeMode; }
    Shape currentShape() const { return m_shape; }
    // The green cells of the shape being drawn, in drawing order.
    const QList<QPoint> &preview() const { return m_preview; }

    QUndoStack *undoStack() { return &m_undo; }

    // Used by the undo steps.
    void setPicture(const TGrob &grob);

signals:
    // The picture's pixels changed (and maybe its size).
    void pictureChanged();
    void sizeChanged(int width, int height);
    void previewChanged();
    void checksChanged();
    void modifiedChanged(bool modified);

private:
    void setPixelChecked(QPoint cell, bool dark);
    void finishChange(const TGrob &before, const QString &text, int mergeId = -1);
    void emitModified();

    TGrob m_picture;
    QString m_fileName;
    QUndoStack m_undo;
    bool m_lastModified = false;

    bool m_mouseDown = false;
    bool m_shapeMode = false;
    Shape m_shape = Shape::None;
    std::array<bool, 4> m_checked{};
    QPoint m_start;
    QPoint m_end;
    QPoint m_lastToggled{-1, -1};
    QList<QPoint> m_preview;
    TGrob m_resizeBase;   // the picture before the current run of resizes
    bool m_resizing = false;
    TGrob m_strokeBefore; // the picture when the stroke began
    bool m_stroking = false;
};
