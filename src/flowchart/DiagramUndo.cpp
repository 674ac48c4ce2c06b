#include "flowchart/DiagramUndo.h"

#include "flowchart/DiagramBuilder.h"
#include "flowchart/DiagramFile.h"

#include <QUndoStack>

DiagramSnapshot DiagramSnapshot::Take(const TDiagram &diagram)
{
    DiagramSnapshot s;
    s.drawing = DiagramFile::Write(diagram);
    for (const TShapeCustomControl *shape : diagram.SelectedShapes())
        s.selected << shape->Name;
    return s;
}

bool DiagramSnapshot::RestoreInto(TDiagram &diagram) const
{
    TDiagram read;
    if (DiagramFile::Read(drawing, read) != DiagramFile::ReadStatus::Ok)
        return false;
    diagram.Clear();
    diagram.Adopt(read);
    diagram.SetState(nullptr);
    for (TShapeCustomControl *shape : diagram.Shapes())
        shape->SetSelected(selected.contains(shape->Name));
    diagram.NotifyChanged();
    return true;
}

DiagramEditCommand::DiagramEditCommand(TDiagram &diagram, const QString &text, DiagramSnapshot before,
                                       DiagramSnapshot after)
    : QUndoCommand(text)
    , m_diagram(diagram)
    , m_before(std::move(before))
    , m_after(std::move(after))
{
}

void DiagramEditCommand::undo()
{
    m_before.RestoreInto(m_diagram);
}

void DiagramEditCommand::redo()
{
    // The first redo is the push: the edit is already there.
    if (m_done) {
        m_done = false;
        return;
    }
    m_after.RestoreInto(m_diagram);
}

void RecordEdit(QUndoStack *stack, TDiagram &diagram, const QString &text, const std::function<void()> &change)
{
    if (!stack) {
        change();
        return;
    }
    DiagramSnapshot before = DiagramSnapshot::Take(diagram);
    change();
    DiagramSnapshot after = DiagramSnapshot::Take(diagram);
    if (after.drawing != before.drawing)
        stack->push(new DiagramEditCommand(diagram, text, std::move(before), std::move(after)));
}
