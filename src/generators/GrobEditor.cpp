#include "generators/GrobEditor.h"

#include <QUndoCommand>

namespace {

constexpr int ResizeMergeId = 1;
// Snapshots of the largest pictures are 500 KB a step.
constexpr int UndoLimit = 64;

class PictureStep : public QUndoCommand
{
public:
    PictureStep(GrobEditor *editor, TGrob before, TGrob after, const QString &text, int id)
        : QUndoCommand(text)
        , m_editor(editor)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_id(id)
    {
    }
    void undo() override { m_editor->setPicture(m_before); }
    void redo() override { m_editor->setPicture(m_after); }
    int id() const override { return m_id; }
    bool mergeWith(const QUndoCommand *other) override
    {
        if (other->id() != m_id)
            return false;
        m_after = static_cast<const PictureStep *>(other)->m_after;
        // Resizing back to where the run started is no step at all.
        setObsolete(m_after == m_before);
        return true;
    }

private:
    GrobEditor *m_editor;
    TGrob m_before;
    TGrob m_after;
    int m_id;
};

} // namespace

GrobEditor::GrobEditor(QObject *parent)
    : QObject(parent)
    , m_fileName(untitledName())
{
    m_undo.setUndoLimit(UndoLimit);
    connect(&m_undo, &QUndoStack::cleanChanged, this, &GrobEditor::emitModified);
    m_picture = TGrob::blank(GrobModel::NewWidth, GrobModel::NewHeight);
}

GrobEditor::~GrobEditor() = default;

QString GrobEditor::untitledName()
{
    return QStringLiteral("Sin nombre");
}

bool GrobEditor::contains(QPoint cell) const
{
    return cell.x() >= 0 && cell.y() >= 0 && cell.x() < width() && cell.y() < height();
}

bool GrobEditor::isModified() const
{
    return !m_undo.isClean() || (m_stroking && m_picture != m_strokeBefore);
}

void GrobEditor::emitModified()
{
    const bool now = isModified();
    if (now != m_lastModified) {
        m_lastModified = now;
        emit modifiedChanged(now);
    }
}

void GrobEditor::markSaved(const QString &path)
{
    m_fileName = path;
    m_undo.setClean();
    emitModified();
}

void GrobEditor::setPicture(const TGrob &grob)
{
    const bool resized = grob.Width != m_picture.Width || grob.Height != m_picture.Height;
    m_picture = grob;
    m_resizing = false;
    if (resized)
        emit sizeChanged(grob.Width, grob.Height);
    emit pictureChanged();
}

void GrobEditor::newPicture()
{
    m_mouseDown = false;
    m_stroking = false;
    m_preview.clear();
    m_lastToggled = QPoint(-1, -1);
    m_fileName = untitledName();
    m_undo.clear();
    setPicture(TGrob::blank(GrobModel::NewWidth, GrobModel::NewHeight));
    emit previewChanged();
    emitModified();
}

bool GrobEditor::openPicture(const TGrob &grob, const QString &path)
{
    if (!GrobModel::isEditable(grob))
        return false;
    newPicture();
    m_fileName = path;
    setPicture(grob);
    return true;
}

void GrobEditor::finishChange(const TGrob &before, const QString &text, int mergeId)
{
    if (m_picture == before)
        return;
    m_undo.push(new PictureStep(this, before, m_picture, text, mergeId));
    emitModified();
}

void GrobEditor::replacePicture(const TGrob &grob, const QString &undoText)
{
    if (!GrobModel::isEditable(grob))
        return;
    const TGrob before = m_picture;
    setPicture(grob);
    finishChange(before, undoText);
}

void GrobEditor::resize(int width, int height)
{
    if (width == this->width() && height == this->height())
        return;
    if (!m_resizing)
        m_resizeBase = m_picture;
    const TGrob before = m_picture;
    const TGrob base = m_resizeBase;
    setPicture(GrobModel::resized(base, width, height));
    finishChange(before, QString(), ResizeMergeId);
    m_resizeBase = base;
    m_resizing = true;
}

void GrobEditor::setPixelChecked(QPoint cell, bool dark)
{
    if (contains(cell))
        m_picture.setPixel(cell.x(), cell.y(), dark);
}

void GrobEditor::press(QPoint cell, Qt::MouseButton button)
{
    if (button != Qt::LeftButton)
        return;
    m_mouseDown = true;
    if (m_shapeMode) {
        // A click without a drag draws the shape of one cell.
        m_start = m_end = cell;
        m_preview = GrobModel::shapePoints(m_shape, m_start, m_end, width(), height());
        emit previewChanged();
        return;
    }
    if (!contains(cell))
        return;
    m_strokeBefore = m_picture;
    m_stroking = true;
    setPixelChecked(cell, !m_picture.pixel(cell.x(), cell.y()));
    m_lastToggled = cell;
    emit pictureChanged();
    emitModified();
}

void GrobEditor::move(QPoint cell)
{
    if (!m_mouseDown)
        return;
    if (m_shapeMode) {
        if (cell == m_end && !m_preview.isEmpty())
            return;
        m_end = cell;
        m_preview = GrobModel::shapePoints(m_shape, m_start, m_end, width(), height());
        emit previewChanged();
        return;
    }
    if (!m_stroking || cell == m_lastToggled || !contains(cell))
        return;
    setPixelChecked(cell, !m_picture.pixel(cell.x(), cell.y()));
    m_lastToggled = cell;
    emit pictureChanged();
    emitModified();
}

void GrobEditor::release(Qt::MouseButton button)
{
    m_mouseDown = false;
    if (m_stroking) {
        m_stroking = false;
        finishChange(m_strokeBefore, QString());
        m_strokeBefore = {};
    }
    const int kind = int(m_shape);
    if (m_checked[size_t(kind)]) {
        m_checked[size_t(kind)] = false;
        emit checksChanged();
    }
    if (m_shapeMode) {
        m_shapeMode = false;
        if (button == Qt::LeftButton && !m_preview.isEmpty()) {
            const TGrob before = m_picture;
            for (const QPoint &p : std::as_const(m_preview))
                setPixelChecked(p, true);
            emit pictureChanged();
            finishChange(before, QString());
        }
        emit checksChanged();
    }
    if (!m_preview.isEmpty()) {
        m_preview.clear();
        emit previewChanged();
    }
    m_shape = Shape::None;
}

void GrobEditor::toggle(QPoint cell)
{
    if (!contains(cell) || m_mouseDown)
        return;
    const TGrob before = m_picture;
    setPixelChecked(cell, !m_picture.pixel(cell.x(), cell.y()));
    emit pictureChanged();
    finishChange(before, QString());
}

void GrobEditor::escape()
{
    m_shapeMode = false;
    // A shape being dragged goes with the mode.
    if (!m_preview.isEmpty()) {
        m_preview.clear();
        emit previewChanged();
    }
    emit checksChanged();
}

void GrobEditor::shapeCommand(Shape shape)
{
    if (shape == Shape::None)
        return;
    bool &checked = m_checked[size_t(shape)];
    checked = !checked;
    m_shapeMode = !m_shapeMode;
    m_shape = shape;
    emit checksChanged();
}

bool GrobEditor::isChecked(Shape shape) const
{
    return m_checked[size_t(shape)];
}
