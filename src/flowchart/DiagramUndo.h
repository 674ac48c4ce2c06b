#pragma once

#include <QByteArray>
#include <QStringList>
#include <QUndoCommand>

#include <functional>

class QUndoStack;
class TDiagram;

// Undo and redo of canvas edits. Each edit keeps the whole drawing before and
// after it in the ".adb" form (every shape with its name, caption, bounds and
// links, in child order) plus the selection, so any edit, however many shapes
// and links it touches, goes back exactly; a flowchart is a few dozen shapes.
struct DiagramSnapshot
{
    QByteArray drawing;
    QStringList selected;

    bool operator==(const DiagramSnapshot &other) const = default;

    static DiagramSnapshot Take(const TDiagram &diagram);
    // Replaces the diagram's shapes by the snapshot's (the run State is none
    // afterwards). False when the bytes do not read back, which leaves the
    // diagram as it was.
    bool RestoreInto(TDiagram &diagram) const;
};

class DiagramEditCommand : public QUndoCommand
{
public:
    DiagramEditCommand(TDiagram &diagram, const QString &text, DiagramSnapshot before, DiagramSnapshot after);
    void undo() override;
    void redo() override;

private:
    TDiagram &m_diagram;
    DiagramSnapshot m_before, m_after;
    bool m_done = true; // the edit was made before the command was pushed
};

// Makes change on diagram as one undo step called text; nothing is recorded
// when the drawing did not change. Without a stack the change is simply made.
void RecordEdit(QUndoStack *stack, TDiagram &diagram, const QString &text, const std::function<void()> &change);
