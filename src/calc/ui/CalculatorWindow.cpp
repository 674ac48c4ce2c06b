// The calculator window draws the machine's screen and keyboard and sends
// keys; everything it shows comes from Machine::currentScreen().
#include "calc/ui/CalculatorWindow.h"

#include "formats/CalcCharset.h"

#include <QClipboard>

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace Calc {

namespace {

constexpr int Margin = 18;
constexpr int Bezel = 8;
constexpr int AnnunciatorHeight = 16;
constexpr int ShiftLine = 13; // room above a key for its shifted labels
constexpr int RowGap = 5;

struct Palette
{
    QColor body;
    QColor bodyEdge;
    QColor key;
    QColor keyText;
    QColor left;
    QColor right;
    QColor alpha;
    QColor lcd;
    QColor dot;
};

Palette paletteOf(Model m)
{
    switch (m) {
    case Model::HP48GX:
        return {QColor(0x34, 0x34, 0x3a), QColor(0x1e, 0x1e, 0x22), QColor(0x4a, 0x4a, 0x52),
                Qt::white, QColor(0xc8, 0x8c, 0xe0), QColor(0x5c, 0xc8, 0xb4),
                QColor(0xe8, 0xe8, 0xe8), QColor(0xb9, 0xc6, 0xaa), QColor(0x1c, 0x26, 0x1a)};
    case Model::HP49G:
        return {QColor(0x2c, 0x44, 0x70), QColor(0x18, 0x26, 0x42), QColor(0xd6, 0xdc, 0xe6),
                QColor(0x10, 0x18, 0x30), QColor(0x6e, 0xe0, 0x9a), QColor(0xff, 0x8a, 0x80),
                QColor(0xff, 0xe0, 0x80), QColor(0xc4, 0xcc, 0xb4), QColor(0x18, 0x1e, 0x28)};
    case Model::HP50G:
        break;
    }
    return {QColor(0x22, 0x22, 0x24), QColor(0x0e, 0x0e, 0x10), QColor(0x3c, 0x3c, 0x40),
            Qt::white, QColor(0xf2, 0xf2, 0xf2), QColor(0xff, 0x8c, 0x2a),
            QColor(0xff, 0xd4, 0x40), QColor(0xc0, 0xc8, 0xb6), QColor(0x16, 0x1c, 0x18)};
}

QString keyText(const std::string &utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

int rowHeight(const KeyboardLayout &l, int row)
{
    for (const KeyDef &k : l.keys)
        if (k.row == row)
            return k.small ? 24 : 30;
    return 30;
}

class ScreenNotifier : public QObject
{
    Q_OBJECT
signals:
    void changed();

public:
    void emitChanged() { emit changed(); }
};

} // namespace

// ---- the face --------------------------------------------------------------------

CalculatorFace::CalculatorFace(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // the largest integer zoom whose face fits the screen
    if (const QScreen *s = QGuiApplication::primaryScreen()) {
        const int h = s->availableGeometry().height();
        m_zoom = h >= 1000 ? 3 : 2;
    }
}

void CalculatorFace::setMachine(std::shared_ptr<Machine> machine)
{
    if (m_machine)
        m_machine->setScreenListener(nullptr);
    m_machine = std::move(machine);
    m_pressed = nullptr;
    if (m_machine) {
        // The listener runs on the calculator's thread: it only posts a
        // signal, which reaches this widget through its own event loop.
        std::shared_ptr<ScreenNotifier> notifier(new ScreenNotifier, [](ScreenNotifier *n) {
            n->deleteLater();
        });
        connect(notifier.get(), &ScreenNotifier::changed, this, [this] {
            update();
            emit screenChanged();
        }, Qt::QueuedConnection);
        m_machine->setScreenListener([notifier] { notifier->emitChanged(); });
    }
    updateGeometry();
    update();
}

QRect CalculatorFace::lcdRect() const
{
    const int w = m_machine ? m_machine->lcdWidth() : 131;
    const int h = m_machine ? m_machine->lcdHeight() : 64;
    return QRect(Margin + Bezel, Margin + AnnunciatorHeight + Bezel, w * m_zoom, h * m_zoom);
}

QSize CalculatorFace::sizeHint() const
{
    const QRect lcd = lcdRect();
    int height = lcd.bottom() + Bezel + 18;
    if (m_machine) {
        const KeyboardLayout &l = keyboardOf(m_machine->model());
        for (int r = 0; r < l.rows; ++r)
            height += ShiftLine + rowHeight(l, r) + RowGap;
    }
    return QSize(lcd.width() + 2 * (Margin + Bezel), height + Margin);
}

QRect CalculatorFace::keyRect(const KeyDef &k) const
{
    const KeyboardLayout &l = keyboardOf(m_machine->model());
    const QRect lcd = lcdRect();
    const int left = Margin;
    const double unit = (width() > 0 ? std::max(width(), sizeHint().width()) : sizeHint().width())
                        - 2 * Margin;
    const double u = unit / 30.0;
    int y = lcd.bottom() + Bezel + 18;
    for (int r = 0; r < k.row; ++r)
        y += ShiftLine + rowHeight(l, r) + RowGap;
    y += ShiftLine;
    const int gap = 5;
    const int x0 = left + static_cast<int>(k.col * u) + gap / 2;
    const int x1 = left + static_cast<int>((k.col + k.span) * u) - gap / 2;
    return QRect(x0, y, x1 - x0, rowHeight(l, k.row));
}

const KeyDef *CalculatorFace::keyAtPoint(const QPoint &p) const
{
    if (!m_machine)
        return nullptr;
    for (const KeyDef &k : keyboardOf(m_machine->model()).keys)
        if (keyRect(k).adjusted(-2, -2, 2, 2).contains(p))
            return &k;
    return nullptr;
}

const KeyDef *CalculatorFace::keyByAction(const std::string &action) const
{
    for (const KeyDef &k : keyboardOf(m_machine->model()).keys)
        if (k.action == action)
            return &k;
    return nullptr;
}

const KeyDef *CalculatorFace::keyByAlpha(char letter) const
{
    for (const KeyDef &k : keyboardOf(m_machine->model()).keys)
        if (k.alpha == letter)
            return &k;
    return nullptr;
}

void CalculatorFace::press(const KeyDef &k)
{
    m_pressed = &k;
    m_machine->pressKey(k.out, 1 << k.bit);
    update();
}

void CalculatorFace::release()
{
    if (m_pressed && m_machine)
        m_machine->releaseKey(m_pressed->out, 1 << m_pressed->bit);
    m_pressed = nullptr;
    update();
}

void CalculatorFace::clickKey(const KeyDef &k)
{
    if (!m_machine)
        return;
    press(k);
    release();
}

bool CalculatorFace::typeKey(int qtKey, const QString &text)
{
    if (!m_machine)
        return false;
    std::string action;
    switch (qtKey) {
    case Qt::Key_Escape:
        action = "#ON";
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        action = "#ENTER";
        break;
    case Qt::Key_Backspace:
        action = "#BKSP";
        break;
    case Qt::Key_Delete:
        action = "#DEL";
        break;
    case Qt::Key_Left:
        action = "#LEFT";
        break;
    case Qt::Key_Right:
        action = "#RIGHT";
        break;
    case Qt::Key_Up:
        action = "#UP";
        break;
    case Qt::Key_Down:
        action = "#DOWN";
        break;
    default:
        if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F6)
            action = "#F" + std::to_string(qtKey - Qt::Key_F1 + 1);
        break;
    }
    if (action.empty() && text.size() == 1) {
        const QChar c = text.at(0);
        if (c.isDigit())
            action = std::string("=") + c.toLatin1();
        else if (c == '.' || c == ' ')
            action = std::string("=") + c.toLatin1();
        else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^')
            action = std::string(1, c.toLatin1());
        else if (c.isLetter() && c.unicode() < 0x7F) {
            const char upper = static_cast<char>(c.toUpper().toLatin1());
            const KeyDef *letterKey = keyByAlpha(upper);
            if (!letterKey)
                return false;
            // letters are typed in alpha mode; lower case with the left shift
            if (!m_machine->currentScreen().alpha)
                if (const KeyDef *a = keyByAction("#ALPHA"))
                    clickKey(*a);
            if (c.isLower())
                if (const KeyDef *ls = keyByAction("#LS"))
                    clickKey(*ls);
            clickKey(*letterKey);
            return true;
        }
    }
    if (action.empty() && !text.isEmpty() && text.at(0).isPrint()) {
        // « » { } ' " and the other characters with no key of their own: what
        // the calculator's shifted keys type (pairs, stepping over a closing
        // one).
        const QByteArray bytes = CalcCharset::encode(text);
        if (bytes.isEmpty())
            return false;
        m_machine->typeCharacters(bytes.toStdString());
        return true;
    }
    if (action.empty())
        return false;
    const KeyDef *k = keyByAction(action);
    if (!k)
        return false;
    clickKey(*k);
    return true;
}

void CalculatorFace::pasteText(const QString &text)
{
    if (!m_machine)
        return;
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray bytes = CalcCharset::encode(line);
    if (!bytes.isEmpty())
        m_machine->typeCharacters(bytes.toStdString(), true);
}

void CalculatorFace::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (const KeyDef *k = keyAtPoint(e->position().toPoint()))
        press(*k);
}

void CalculatorFace::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        release();
}

void CalculatorFace::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const Model model = m_machine ? m_machine->model() : Model::HP50G;
    const Palette pal = paletteOf(model);

    // body
    QLinearGradient body(0, 0, width(), height());
    body.setColorAt(0, pal.body.lighter(118));
    body.setColorAt(1, pal.body);
    p.fillRect(rect(), pal.bodyEdge);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(rect()).adjusted(3, 3, -3, -3), 22, 22);
    if (!m_machine)
        return;
    const Screen s = m_machine->currentScreen();

    // screen with its bezel
    const QRect lcd = lcdRect();
    const QRect frame = lcd.adjusted(-Bezel, -Bezel - AnnunciatorHeight, Bezel, Bezel);
    p.setBrush(pal.bodyEdge);
    p.drawRoundedRect(frame.adjusted(-3, -3, 3, 3), 10, 10);
    p.setBrush(pal.lcd);
    p.drawRoundedRect(frame, 6, 6);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int z = m_zoom;
    const int dotSize = z >= 3 ? z - 0 : z;
    QColor faint = pal.lcd.darker(106);
    for (int y = 0; y < s.lcd.height(); ++y)
        for (int x = 0; x < s.lcd.width(); ++x)
            if (s.lcd.dot(x, y))
                p.fillRect(lcd.x() + x * z, lcd.y() + y * z, dotSize, dotSize, pal.dot);
            else if (z >= 3)
                p.fillRect(lcd.x() + x * z + z - 1, lcd.y() + y * z + z - 1, 1, 1, faint);

    // annunciators above the dots
    p.setRenderHint(QPainter::Antialiasing);
    QFont af("DejaVu Sans", 8, QFont::Bold);
    p.setFont(af);
    const int ay = lcd.y() - AnnunciatorHeight - 2;
    auto ann = [&](int slot, bool on, const QString &t) {
        if (!on)
            return;
        p.setPen(pal.dot);
        p.drawText(QRect(lcd.x() + slot * lcd.width() / 6, ay, lcd.width() / 6, AnnunciatorHeight),
                   Qt::AlignCenter, t);
    };
    ann(0, s.leftShift, QStringLiteral("\u2B11"));
    ann(1, s.rightShift, QStringLiteral("\u2B0F"));
    ann(2, s.alpha, QStringLiteral("\u03B1"));
    ann(4, s.busy, QStringLiteral("\u231B"));
    // A halted program is told by the screen's own header line ("HALT").

    // keys
    const KeyboardLayout &l = keyboardOf(model);
    QFont keyFont("DejaVu Sans", 9, QFont::Bold);
    QFont smallFont("DejaVu Sans", 7, QFont::Bold);
    QFont shiftFont("DejaVu Sans Condensed", 7, QFont::Bold);
    for (const KeyDef &k : l.keys) {
        const QRect r = keyRect(k);
        QColor face = pal.key;
        QColor text = pal.keyText;
        if (k.action == "#LS") {
            face = pal.left;
            text = pal.bodyEdge;
        } else if (k.action == "#RS") {
            face = pal.right;
            text = pal.bodyEdge;
        } else if (k.action == "#ALPHA") {
            face = pal.alpha.darker(105);
            text = pal.bodyEdge;
        } else if (k.action == "#ENTER" || k.action == "#ON") {
            face = pal.key.lighter(125);
        } else if (k.row == 0) {
            face = pal.key.lighter(150);
            text = pal.bodyEdge;
        }
        if (&k == m_pressed)
            face = face.darker(140);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, face.lighter(115));
        g.setColorAt(1, face.darker(115));
        p.setPen(QPen(pal.bodyEdge, 1.2));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(r), 5, 5);
        p.setPen(text);
        QString label = keyText(k.label);
        if (k.action == "#LS")
            label = QStringLiteral("\u21B0");
        else if (k.action == "#RS")
            label = QStringLiteral("\u21B1");
        p.setFont(label.size() > 3 || k.small ? smallFont : keyFont);
        if (label.size() == 1 && !k.small && k.action != "#LS" && k.action != "#RS")
            p.setFont(QFont("DejaVu Sans", 11, QFont::Bold));
        p.drawText(r, Qt::AlignCenter, label);
        // shifted functions above, in the shifts' colours; a pair shares
        // the key's width (and a little of the gap) and shrinks
        // until both fit
        const QRect above(r.x() - 1, r.y() - ShiftLine, r.width() + 2, ShiftLine);
        const QString ll = keyText(k.leftLabel);
        const QString rl = keyText(k.rightLabel);
        QFont sf = shiftFont;
        for (int pt = 7; pt >= 5; --pt) {
            sf.setPointSizeF(pt);
            const QFontMetrics fm(sf);
            if (fm.horizontalAdvance(ll) + fm.horizontalAdvance(rl) + 4 <= above.width())
                break;
        }
        p.setFont(sf);
        const QFontMetrics fm(sf);
        if (!ll.isEmpty() && !rl.isEmpty()) {
            // a short label leaves its room to the long one; only a pair too
            // wide even at the smallest size is cut, each by its share
            const int lw = fm.horizontalAdvance(ll), rw = fm.horizontalAdvance(rl);
            const int room = above.width() - 4;
            const int lroom = lw + rw <= room ? lw + 1 : room * lw / (lw + rw);
            const int rroom = lw + rw <= room ? rw + 1 : room - lroom;
            p.setPen(pal.left);
            p.drawText(above, Qt::AlignLeft | Qt::AlignVCenter,
                       fm.elidedText(ll, Qt::ElideRight, lroom));
            p.setPen(pal.right);
            p.drawText(above, Qt::AlignRight | Qt::AlignVCenter,
                       fm.elidedText(rl, Qt::ElideRight, rroom));
        } else if (!ll.isEmpty()) {
            p.setPen(pal.left);
            p.drawText(above, Qt::AlignCenter, ll);
        } else if (!rl.isEmpty()) {
            p.setPen(pal.right);
            p.drawText(above, Qt::AlignCenter, rl);
        }
        if (k.alpha && k.row > 0) {
            p.setPen(pal.alpha);
            p.setFont(shiftFont);
            p.drawText(QRect(r.right() - 9, r.bottom() - 11, 10, 12), Qt::AlignCenter,
                       QString(QChar(k.alpha)));
        }
    }
}

// ---- the window -------------------------------------------------------------------

CalculatorWindow::CalculatorWindow(CalculatorHost &host, QWidget *parent)
    : QMainWindow(parent)
    , m_host(&host)
{
    setObjectName(QStringLiteral("QEmu48"));
    setAttribute(Qt::WA_QuitOnClose, false);
    m_face = new CalculatorFace(this);
    setCentralWidget(m_face);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    QMenu *menu = menuBar()->addMenu(tr("&Calculator"));
    QAction *open = menu->addAction(tr("&Open state file..."));
    open->setObjectName("OpenStateFile");
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, [this] {
        if (!m_host)
            return;
        const QString path = QFileDialog::getOpenFileName(
            this, tr("Open state file"), QFileInfo(m_host->stateFile()).absolutePath(),
            tr("Calculator state files (*.e48 *.e49);;All files (*)"));
        if (!path.isEmpty())
            openStateFile(path);
    });
    QAction *save = menu->addAction(tr("&Save state"));
    save->setObjectName("SaveState");
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, [this] { saveState(); });
    QAction *saveAs = menu->addAction(tr("Save state &as..."));
    saveAs->setObjectName("SaveStateAs");
    connect(saveAs, &QAction::triggered, this, [this] {
        if (!m_host)
            return;
        const bool g = m_host->machine() && m_host->machine()->model() == Model::HP48GX;
        const QString path = QFileDialog::getSaveFileName(
            this, tr("Save state as"), m_host->stateFile(),
            g ? tr("HP 48 state files (*.e48)") : tr("HP 49/50 state files (*.e49)"));
        if (!path.isEmpty())
            saveStateAs(path);
    });
    menu->addSeparator();
    QAction *close = menu->addAction(tr("&Close"));
    close->setObjectName("Close");
    connect(close, &QAction::triggered, this, &QWidget::close);
    attachMachine();
}

CalculatorWindow::~CalculatorWindow()
{
    m_face->setMachine(nullptr);
}

void CalculatorWindow::detach()
{
    m_host = nullptr;
    m_face->setMachine(nullptr);
}

void CalculatorWindow::attachMachine()
{
    if (!m_host)
        return;
    m_face->setMachine(m_host->machine());
    updateTitle();
    adjustSize();
}

void CalculatorWindow::updateTitle()
{
    if (!m_host)
        return;
    const QString file = QFileInfo(m_host->stateFile()).fileName();
    setWindowTitle(file.isEmpty() ? QStringLiteral("QEmu48") : QStringLiteral("QEmu48 - ") + file);
}

void CalculatorWindow::showFailure(const QString &what, const QString &error)
{
    QMessageBox::warning(this, windowTitle(), what + "\n" + error);
}

bool CalculatorWindow::openStateFile(const QString &path)
{
    if (!m_host)
        return false;
    QString error;
    if (!m_host->openStateFile(path, &error)) {
        showFailure(tr("The state file cannot be opened."), error);
        return false;
    }
    attachMachine();
    return true;
}

bool CalculatorWindow::saveState()
{
    if (!m_host)
        return false;
    QString error;
    if (!m_host->saveState(&error)) {
        showFailure(tr("The state cannot be saved."), error);
        return false;
    }
    return true;
}

bool CalculatorWindow::saveStateAs(const QString &path)
{
    if (!m_host)
        return false;
    QString error;
    if (!m_host->saveStateAs(path, &error)) {
        showFailure(tr("The state cannot be saved."), error);
        return false;
    }
    updateTitle();
    return true;
}

void CalculatorWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    hide();
    if (m_host)
        m_host->windowClosed();
}

void CalculatorWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        m_face->pasteText(QGuiApplication::clipboard()->text());
        return;
    }
    // AltGr arrives as Ctrl+Alt on some systems: a printable character counts
    // as typed whatever the modifiers.
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint();
    if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !printable) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    if (!m_face->typeKey(event->key(), text))
        QMainWindow::keyPressEvent(event);
}

void CalculatorWindow::keyReleaseEvent(QKeyEvent *event)
{
    QMainWindow::keyReleaseEvent(event);
}

} // namespace Calc

#include "CalculatorWindow.moc"
