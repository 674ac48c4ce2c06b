#include "generators/DlgGrob.h"

#include "generators/DlgImageImport.h"
#include "generators/GeneratorHeader.h"
#include "generators/PictureImage.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"
#include "shell/TextIds.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

struct Zoom
{
    const char *text;
    int cell;
};
constexpr Zoom Zooms[] = {{"100 %", 1}, {"200 %", 2}, {"400 %", 4}, {"800 %", 8}, {"1600 %", 16}, {"3200 %", 32}};
constexpr int StartZoom = 2; // 400 %

QColor gridLineColour()
{
    return TGrobCanvas::ScreenColour().darker(125);
}

// Tool bar pictures for the shape tools, drawn rather than taken from an
// icon theme that may not have them.
QIcon shapeIcon(GrobModel::Shape shape)
{
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 2));
    switch (shape) {
    case GrobModel::Shape::Line:
        p.drawLine(4, 20, 20, 4);
        break;
    case GrobModel::Shape::Rectangle:
        p.drawRect(4, 6, 16, 12);
        break;
    case GrobModel::Shape::Circle:
        p.drawEllipse(QPointF(12, 12), 8, 8);
        break;
    case GrobModel::Shape::None:
        break;
    }
    return QIcon(pm);
}

} // namespace

// ---------------------------------------------------------------------------

TGrobCanvas::TGrobCanvas(GrobEditor *editor, QWidget *parent)
    : QWidget(parent)
    , m_editor(editor)
{
    setObjectName(QStringLiteral("Grob"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(editor, &GrobEditor::pictureChanged, this, qOverload<>(&QWidget::update));
    connect(editor, &GrobEditor::previewChanged, this, qOverload<>(&QWidget::update));
    connect(editor, &GrobEditor::sizeChanged, this, &TGrobCanvas::sizeChanged);
    sizeChanged();
}

void TGrobCanvas::sizeChanged()
{
    setFixedSize(sizeHint());
    m_selected = QPoint(std::min(m_selected.x(), m_editor->width() - 1), std::min(m_selected.y(), m_editor->height() - 1));
    update();
}

QSize TGrobCanvas::sizeHint() const
{
    const int g = m_grid ? 1 : 0;
    return QSize(m_editor->width() * pitch() + g, m_editor->height() * pitch() + g);
}

void TGrobCanvas::setCellSize(int size)
{
    m_cell = std::clamp(size, 1, 32);
    sizeChanged();
}

void TGrobCanvas::setGridLines(bool on)
{
    m_grid = on;
    sizeChanged();
}

void TGrobCanvas::setSelected(QPoint cell)
{
    if (!m_editor->contains(cell))
        return;
    update(cellRect(m_selected).adjusted(-1, -1, 1, 1));
    m_selected = cell;
    update(cellRect(m_selected).adjusted(-1, -1, 1, 1));
    emit cellShown(cell);
}

QPoint TGrobCanvas::cellAt(QPoint pos) const
{
    const int g = m_grid ? 1 : 0;
    return QPoint(int(std::floor(double(pos.x() - g) / pitch())), int(std::floor(double(pos.y() - g) / pitch())));
}

QRect TGrobCanvas::cellRect(QPoint cell) const
{
    const int g = m_grid ? 1 : 0;
    return QRect(cell.x() * pitch() + g, cell.y() * pitch() + g, m_cell, m_cell);
}

void TGrobCanvas::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect area = event->rect();
    p.fillRect(area, m_grid ? gridLineColour() : ScreenColour());
    const QPoint first = cellAt(area.topLeft());
    const QPoint last = cellAt(area.bottomRight());
    const int x0 = std::max(0, first.x()), y0 = std::max(0, first.y());
    const int x1 = std::min(m_editor->width() - 1, last.x()), y1 = std::min(m_editor->height() - 1, last.y());
    const TGrob &picture = m_editor->picture();
    if (x0 <= x1 && y0 <= y1) {
        // One image pixel per cell, enlarged in one call: a large picture at
        // 100 % has hundreds of thousands of cells on screen.
        QImage cells(x1 - x0 + 1, y1 - y0 + 1, QImage::Format_RGB32);
        const QRgb dark = qRgb(0, 0, 0), clear = ScreenColour().rgb();
        for (int y = y0; y <= y1; ++y) {
            auto *line = reinterpret_cast<QRgb *>(cells.scanLine(y - y0));
            for (int x = x0; x <= x1; ++x)
                line[x - x0] = picture.pixel(x, y) ? dark : clear;
        }
        const int g = m_grid ? 1 : 0;
        p.drawImage(QRect(x0 * pitch() + g, y0 * pitch() + g, cells.width() * pitch(), cells.height() * pitch()),
                    cells);
        if (m_grid) {
            // The lines go over the cells' last row and column of pixels.
            p.setPen(gridLineColour());
            const int right = (x1 + 1) * pitch(), bottom = (y1 + 1) * pitch();
            for (int x = x0; x <= x1 + 1; ++x)
                p.drawLine(x * pitch(), y0 * pitch(), x * pitch(), bottom);
            for (int y = y0; y <= y1 + 1; ++y)
                p.drawLine(x0 * pitch(), y * pitch(), right, y * pitch());
        }
    }
    for (const QPoint &cell : m_editor->preview())
        if (m_editor->contains(cell))
            p.fillRect(cellRect(cell), PreviewColour());
    if (hasFocus() && m_cell >= 4) {
        p.setPen(QPen(Qt::white, 1, Qt::DotLine));
        p.drawRect(cellRect(m_selected).adjusted(0, 0, -1, -1));
    }
}

void TGrobCanvas::mousePressEvent(QMouseEvent *event)
{
    const QPoint cell = cellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        setSelected(cell);
    m_editor->press(cell, event->button());
}

void TGrobCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint cell = cellAt(event->position().toPoint());
    emit cellShown(cell);
    if (event->buttons() & Qt::LeftButton)
        m_editor->move(cell);
}

void TGrobCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    m_editor->release(event->button());
}

void TGrobCanvas::enterEvent(QEnterEvent *event)
{
    emit cellShown(cellAt(event->position().toPoint()));
}

void TGrobCanvas::keyPressEvent(QKeyEvent *event)
{
    QPoint step;
    switch (event->key()) {
    case Qt::Key_Space:
        m_editor->toggle(m_selected);
        return;
    case Qt::Key_Escape:
        // Esc leaves the shape tool; with no tool on it is the window's.
        if (m_editor->shapeMode()) {
            m_editor->escape();
            return;
        }
        event->ignore();
        return;
    case Qt::Key_Left:
        step = QPoint(-1, 0);
        break;
    case Qt::Key_Right:
        step = QPoint(1, 0);
        break;
    case Qt::Key_Up:
        step = QPoint(0, -1);
        break;
    case Qt::Key_Down:
        step = QPoint(0, 1);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    setSelected(m_selected + step);
}

// ---------------------------------------------------------------------------

TGrobDialog::TGrobDialog(QWidget *parent)
    : QDialog(parent)
    , m_run([](QDialog *dialog) { return dialog->exec(); })
{
    setObjectName(QStringLiteral("PictureDialog"));
    m_baseTitle = QStringLiteral("Editor de gráficos");

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_header = new TGeneratorHeader(this);
    m_header->setGradientTop(QColor(0, 128, 192));
    m_header->setTitle(QStringLiteral("Editor de Gráficos"));
    m_header->setDescription(
        QStringLiteral("Dibuje el gráfico punto a punto o con las herramientas de línea, rectángulo y círculo."));
    layout->addWidget(m_header);

    auto *tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("ToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->setIconSize(QSize(24, 24));
    layout->addWidget(tools);
    auto *tools2 = new QToolBar(this);
    tools2->setObjectName(QStringLiteral("ToolBar2"));
    tools2->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout->addWidget(tools2);

    const auto bind = [&](QAction *a, void (TGrobDialog::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    QAction *a = addCommand("GrobNew", QStringLiteral("Nuevo"), QStringLiteral("Nuevo gráfico|Crea un nuevo objeto gráfico"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("document-new")));
    a->setShortcut(QKeySequence::New);
    bind(a, &TGrobDialog::GrobNewExecute);
    tools->addAction(a);
    a = addCommand("GrobOpen", QStringLiteral("Abrir"), QStringLiteral("Abrir gráfico|Abre un objeto gráfico existente"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("document-open")));
    a->setShortcut(QKeySequence::Open);
    bind(a, &TGrobDialog::GrobOpenExecute);
    tools->addAction(a);
    a = addCommand("GrobSave", QStringLiteral("Guardar"), QStringLiteral("Guardar gráfico|Guarda el objeto gráfico actual"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("document-save")));
    a->setShortcut(QKeySequence::Save);
    connect(a, &QAction::triggered, this, [this] { GrobSaveExecute(); });
    tools->addAction(a);
    tools->addSeparator();

    a = addCommand("GrobUndo", QStringLiteral("Deshacer"), QStringLiteral("Deshacer|Deshace el último trazo o cambio"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("edit-undo")));
    a->setShortcut(QKeySequence::Undo);
    a->setEnabled(false);
    connect(a, &QAction::triggered, m_editor.undoStack(), &QUndoStack::undo);
    connect(m_editor.undoStack(), &QUndoStack::canUndoChanged, a, &QAction::setEnabled);
    tools->addAction(a);
    a = addCommand("GrobRedo", QStringLiteral("Rehacer"), QStringLiteral("Rehacer|Rehace el último cambio deshecho"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("edit-redo")));
    a->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence::Redo});
    a->setEnabled(false);
    connect(a, &QAction::triggered, m_editor.undoStack(), &QUndoStack::redo);
    connect(m_editor.undoStack(), &QUndoStack::canRedoChanged, a, &QAction::setEnabled);
    tools->addAction(a);
    tools->addSeparator();

    const auto shape = [&](const char *name, const QString &caption, const QString &hint, GrobModel::Shape kind) {
        QAction *s = addCommand(name, caption, hint);
        s->setCheckable(true);
        s->setIcon(shapeIcon(kind));
        // The editor owns the check marks: a click flips them its own way.
        connect(s, &QAction::triggered, this, [this, kind] { m_editor.shapeCommand(kind); });
        tools->addAction(s);
    };
    shape("GrobLine", QStringLiteral("Línea"), QStringLiteral("Línea|Dibuja una línea con las coordenadas especificadas"),
          GrobModel::Shape::Line);
    shape("GrobRect", QStringLiteral("Rectángulo"),
          QStringLiteral("Rectángulo|Dibuja un rectángulo con las coordenadas especificadas"), GrobModel::Shape::Rectangle);
    shape("GrobCircle", QStringLiteral("Círculo"), QStringLiteral("Círculo|Dibuja un círculo con las coordenadas especificadas"),
          GrobModel::Shape::Circle);
    connect(&m_editor, &GrobEditor::checksChanged, this, [this] {
        m_commands["GrobLine"]->setChecked(m_editor.isChecked(GrobModel::Shape::Line));
        m_commands["GrobRect"]->setChecked(m_editor.isChecked(GrobModel::Shape::Rectangle));
        m_commands["GrobCircle"]->setChecked(m_editor.isChecked(GrobModel::Shape::Circle));
    });
    tools->addSeparator();

    a = addCommand("GrobInsert", QStringLiteral("Insertar"),
                   QStringLiteral("Insertar gráfico|Inserta el objeto gráfico actual en la ventana de edición"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("dialog-ok")));
    bind(a, &TGrobDialog::GrobInsertExecute);
    tools->addAction(a);
    a = addCommand("GrobCancel", QStringLiteral("Cancelar"), QStringLiteral("Cancelar edición|Cancela la edición del objeto gráfico"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("dialog-cancel")));
    bind(a, &TGrobDialog::GrobCancelExecute);
    tools->addAction(a);

    // Second row: the sizes, the view, and the image file commands.
    m_widthLabel = new QLabel(QStringLiteral("Ancho"), this);
    m_width = new QSpinBox(this);
    m_width->setObjectName(QStringLiteral("spnWidth"));
    m_heightLabel = new QLabel(QStringLiteral("Alto"), this);
    m_height = new QSpinBox(this);
    m_height->setObjectName(QStringLiteral("spnHeight"));
    for (QSpinBox *box : {m_width, m_height}) {
        box->setRange(GrobModel::MinSize, GrobModel::MaxSize);
        box->setAccelerated(true);
    }
    m_width->setValue(m_editor.width());
    m_height->setValue(m_editor.height());
    tools2->addWidget(m_widthLabel);
    m_commands.insert(QStringLiteral("GrobWidth"), tools2->addWidget(m_width));
    tools2->addSeparator();
    tools2->addWidget(m_heightLabel);
    m_commands.insert(QStringLiteral("GrobHeight"), tools2->addWidget(m_height));
    const auto sizeTyped = [this] { m_editor.resize(m_width->value(), m_height->value()); };
    connect(m_width, &QSpinBox::valueChanged, this, sizeTyped);
    connect(m_height, &QSpinBox::valueChanged, this, sizeTyped);
    tools2->addSeparator();

    m_zoomLabel = new QLabel(QStringLiteral("Zoom"), this);
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("cmbZoom"));
    for (const Zoom &z : Zooms)
        m_zoom->addItem(QString::fromLatin1(z.text), z.cell);
    m_zoom->setCurrentIndex(StartZoom);
    tools2->addWidget(m_zoomLabel);
    m_commands.insert(QStringLiteral("GrobZoom"), tools2->addWidget(m_zoom));
    a = addCommand("GrobGrid", QStringLiteral("Cuadrícula"),
                   QStringLiteral("Mostrar cuadrícula|Muestra u oculta la cuadrícula de dibujo"));
    a->setObjectName(QStringLiteral("chkGrid"));
    m_commands.insert(QStringLiteral("GrobGrid"), a);
    a->setCheckable(true);
    a->setChecked(true);
    tools2->addAction(a);
    tools2->addSeparator();
    a = addCommand("GrobImport", QStringLiteral("Importar imagen"),
                   QStringLiteral("Importar imagen|Convierte una imagen (PNG, BMP, JPEG, GIF) en el gráfico"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("insert-image")));
    bind(a, &TGrobDialog::GrobImportExecute);
    tools2->addAction(a);
    a = addCommand("GrobExport", QStringLiteral("Exportar PNG"),
                   QStringLiteral("Exportar PNG|Guarda el gráfico como una imagen PNG"));
    a->setIcon(QIcon::fromTheme(QStringLiteral("image-x-generic")));
    bind(a, &TGrobDialog::GrobExportExecute);
    tools2->addAction(a);

    m_canvas = new TGrobCanvas(&m_editor, this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("GrobScroll"));
    m_scroll->setWidget(m_canvas);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    layout->addWidget(m_scroll, 1);
    connect(m_zoom, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_canvas->setCellSize(m_zoom->itemData(i).toInt());
    });
    connect(m_commands["GrobGrid"], &QAction::toggled, m_canvas, &TGrobCanvas::setGridLines);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar"));
    m_position = new QLabel(this);
    m_position->setObjectName(QStringLiteral("PositionPanel"));
    m_position->setFixedWidth(100);
    m_position->setAlignment(Qt::AlignCenter);
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("HintPanel"));
    m_status->addWidget(m_position);
    m_status->addWidget(m_hint, 1);
    layout->addWidget(m_status);
    connect(m_canvas, &TGrobCanvas::cellShown, this, [this](QPoint cell) {
        m_position->setText(QStringLiteral("X: %1   Y: %2").arg(cell.x()).arg(cell.y()));
    });

    connect(&m_editor, &GrobEditor::sizeChanged, this, &TGrobDialog::sizeFollowsPicture);
    connect(&m_editor, &GrobEditor::modifiedChanged, this, &TGrobDialog::updateTitle);
    for (QAction *command : std::as_const(m_commands))
        command->setShortcutContext(Qt::WidgetWithChildrenShortcut);

    loadTexts();
    GrobNewExecute();
    m_canvas->setFocus();
    resize(800, 640);
}

QAction *TGrobDialog::addCommand(const char *name, const QString &caption, const QString &hint)
{
    auto *action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    ApplyText(action, TextRole::Hint, hint);
    addAction(action);
    m_commands.insert(QString::fromLatin1(name), action);
    return action;
}

void TGrobDialog::loadTexts()
{
    const auto keep = [this](const char *key) {
        return [this, key](const QString &t) { m_texts.insert(QString::fromLatin1(key), t); };
    };
    // Built-in texts of the extra commands' messages.
    m_texts.insert(QStringLiteral("DlgGrobImageTooLarge"),
                   QStringLiteral("La imagen mide %s píxeles; solo se importan imágenes de hasta 4096 x 4096."));
    m_texts.insert(QStringLiteral("DlgGrobImageUnreadable"), QStringLiteral("No se puede leer la imagen: %s"));
    m_texts.insert(QStringLiteral("DlgGrobExportFilter"), QStringLiteral("Imágenes PNG|*.png"));
    loadWindowTexts(this, "PictureDialog", {
        {"DlgGrobTitle", [this](const QString &t) { m_baseTitle = t; updateTitle(); }},
        {"DlgGrobHeaderTitle", [this](const QString &t) { m_header->setTitle(t); }},
        {"DlgGrobHeaderDescription", [this](const QString &t) { m_header->setDescription(t); }},
        {"DlgGrobNew", m_commands["GrobNew"]},
        {"DlgGrobNewHint", m_commands["GrobNew"], TextRole::Hint},
        {"DlgGrobOpen", m_commands["GrobOpen"]},
        {"DlgGrobOpenHint", m_commands["GrobOpen"], TextRole::Hint},
        {"DlgGrobSave", m_commands["GrobSave"]},
        {"DlgGrobSaveHint", m_commands["GrobSave"], TextRole::Hint},
        {"DlgGrobWidth", m_widthLabel},
        {"DlgGrobWidthHint", m_width, TextRole::Hint},
        {"DlgGrobHeight", m_heightLabel},
        {"DlgGrobHeightHint", m_height, TextRole::Hint},
        {"DlgGrobZoom", m_zoomLabel},
        {"DlgGrobZoomHint", m_zoom, TextRole::Hint},
        {"DlgGrobGrid", m_commands["GrobGrid"]},
        {"DlgGrobGridHint", m_commands["GrobGrid"], TextRole::Hint},
        {"DlgGrobLine", m_commands["GrobLine"]},
        {"DlgGrobLineHint", m_commands["GrobLine"], TextRole::Hint},
        {"DlgGrobRect", m_commands["GrobRect"]},
        {"DlgGrobRectHint", m_commands["GrobRect"], TextRole::Hint},
        {"DlgGrobCircle", m_commands["GrobCircle"]},
        {"DlgGrobCircleHint", m_commands["GrobCircle"], TextRole::Hint},
        {"DlgGrobInsert", m_commands["GrobInsert"]},
        {"DlgGrobInsertHint", m_commands["GrobInsert"], TextRole::Hint},
        {"DlgGrobCancel", m_commands["GrobCancel"]},
        {"DlgGrobCancelHint", m_commands["GrobCancel"], TextRole::Hint},
        {"DlgGrobUndo", m_commands["GrobUndo"]},
        {"DlgGrobUndoHint", m_commands["GrobUndo"], TextRole::Hint},
        {"DlgGrobRedo", m_commands["GrobRedo"]},
        {"DlgGrobRedoHint", m_commands["GrobRedo"], TextRole::Hint},
        {"DlgGrobImport", m_commands["GrobImport"]},
        {"DlgGrobImportHint", m_commands["GrobImport"], TextRole::Hint},
        {"DlgGrobExport", m_commands["GrobExport"]},
        {"DlgGrobExportHint", m_commands["GrobExport"], TextRole::Hint},
        {"DlgGrobImageTooLarge", keep("DlgGrobImageTooLarge")},
        {"DlgGrobImageUnreadable", keep("DlgGrobImageUnreadable")},
        {"DlgGrobExportFilter", keep("DlgGrobExportFilter")},
    });
}

QString TGrobDialog::PositionText() const
{
    return m_position->text();
}

QString TGrobDialog::HintText() const
{
    return m_hint->text();
}

void TGrobDialog::updateTitle()
{
    const QString name = m_editor.isUntitled() ? m_editor.fileName() : QFileInfo(m_editor.fileName()).fileName();
    setWindowTitle(QStringLiteral("%1 - %2%3").arg(m_baseTitle, name, m_editor.isModified() ? QStringLiteral(" *") : QString()));
}

void TGrobDialog::sizeFollowsPicture()
{
    const QSignalBlocker w(m_width), h(m_height);
    m_width->setValue(m_editor.width());
    m_height->setValue(m_editor.height());
}

bool TGrobDialog::MayDiscardChanges()
{
    if (!m_editor.isModified())
        return true;
    const QString name = m_editor.isUntitled() ? m_editor.fileName() : QFileInfo(m_editor.fileName()).fileName();
    switch (ShowAppMessage(FormatText(Message(MsgPictureUnsaved), {name}), QMessageBox::Warning,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        // A save that was cancelled or failed would lose the picture.
        return GrobSaveExecute();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void TGrobDialog::GrobNewExecute()
{
    if (!MayDiscardChanges())
        return;
    m_editor.newPicture();
    sizeFollowsPicture();
    m_canvas->setSelected(QPoint(0, 0));
    updateTitle();
}

void TGrobDialog::GrobOpenExecute()
{
    FileDialogOptions options;
    options.title = Label(LblOpenTitle);
    options.filter = Label(LblFilterPictures);
    options.defaultExtension = QStringLiteral("grb");
    const FileDialogResult chosen = Dialogs().openFile(options);
    if (!chosen.accepted)
        return;
    TGrob picture;
    QString error;
    switch (GrobModel::readPicture(chosen.path, picture, &error)) {
    case GrobModel::ReadStatus::Unreadable:
        ShowAppMessage(error, QMessageBox::Critical);
        return;
    case GrobModel::ReadStatus::NotAPicture:
        ShowAppMessage(Message(MsgNotAPicture), QMessageBox::Critical);
        return;
    case GrobModel::ReadStatus::Ok:
        break;
    }
    if (!MayDiscardChanges())
        return;
    m_editor.openPicture(picture, chosen.path);
    sizeFollowsPicture();
    m_canvas->setSelected(QPoint(0, 0));
    updateTitle();
}

bool TGrobDialog::GrobSaveExecute()
{
    QString path = m_editor.fileName();
    if (m_editor.isUntitled()) {
        FileDialogOptions options;
        options.title = Label(LblSaveAsTitle);
        options.filter = Label(LblFilterPictures);
        options.fileName = GrobEditor::untitledName();
        options.defaultExtension = QStringLiteral("grb");
        const FileDialogResult chosen = Dialogs().saveFile(options);
        if (!chosen.accepted)
            return false;
        path = chosen.path;
    }
    QString error;
    if (!WriteGrobFile(m_editor.picture(), path, Settings().environment.DefaultEmulator, &error)) {
        ShowAppMessage(error, QMessageBox::Critical);
        return false;
    }
    m_editor.markSaved(path);
    updateTitle();
    return true;
}

void TGrobDialog::GrobInsertExecute()
{
    Result.bytes = GrobModel::insertText(m_editor.picture());
    Result.bytes.chop(1); // the caret marker, kept as a position instead
    Result.appendCaret();
    accept();
}

void TGrobDialog::GrobCancelExecute()
{
    reject();
}

void TGrobDialog::GrobImportExecute()
{
    FileDialogOptions options;
    options.title = Label(LblOpenTitle);
    options.filter = m_commands["GrobImport"]->text().remove(QLatin1Char('&'))
                     + QStringLiteral("|*.png;*.bmp;*.jpg;*.jpeg;*.gif|") + Label(LblFilterAll) + QStringLiteral("|*");
    const FileDialogResult chosen = Dialogs().openFile(options);
    if (!chosen.accepted)
        return;
    QString error;
    const QSize size = PictureImage::probe(chosen.path, &error);
    if (!size.isValid()) {
        const bool tooLarge = error.contains(QLatin1String(" x "));
        ShowAppMessage(FormatText(m_texts.value(tooLarge ? QStringLiteral("DlgGrobImageTooLarge")
                                                         : QStringLiteral("DlgGrobImageUnreadable")),
                                  {error}),
                       QMessageBox::Warning);
        return;
    }
    const QImage image = PictureImage::load(chosen.path, &error);
    if (image.isNull()) {
        ShowAppMessage(FormatText(m_texts.value(QStringLiteral("DlgGrobImageUnreadable")), {error}), QMessageBox::Warning);
        return;
    }
    TImageImportDialog dialog(image, QSize(m_editor.width(), m_editor.height()), this);
    if (m_run(&dialog) != QDialog::Accepted)
        return;
    m_editor.replacePicture(dialog.Picture());
    updateTitle();
}

void TGrobDialog::GrobExportExecute()
{
    FileDialogOptions options;
    options.title = Label(LblSaveAsTitle);
    options.filter = m_texts.value(QStringLiteral("DlgGrobExportFilter"));
    options.fileName = QFileInfo(m_editor.fileName()).completeBaseName() + QStringLiteral(".png");
    options.defaultExtension = QStringLiteral("png");
    const FileDialogResult chosen = Dialogs().saveFile(options);
    if (!chosen.accepted)
        return;
    QString error;
    if (!PictureImage::exportPng(m_editor.picture(), chosen.path, &error))
        ShowAppMessage(error, QMessageBox::Critical);
}

void TGrobDialog::done(int result)
{
    // Every way of closing asks first; Cancel there keeps the window open.
    if (!MayDiscardChanges())
        return;
    QDialog::done(Result.bytes.isEmpty() ? result : int(QDialog::Accepted));
}

bool TGrobDialog::event(QEvent *event)
{
    // The long hint of the command under the mouse, in the second panel.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent *>(event)->tip();
        m_hint->setText(tip.isEmpty() ? QString() : QLatin1Char(' ') + tip);
        return true;
    }
    return QDialog::event(event);
}
