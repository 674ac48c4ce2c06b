#include "generators/GeneratorDialog.h"

#include "formats/CalcCharset.h"
#include "generators/CalcScreen.h"
#include "generators/GeneratorHeader.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

TCalcScreenView::TCalcScreenView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PaintBox"));
    setFixedSize(CalcScreen::Size);
}

QImage TCalcScreenView::grabDrawing() const
{
    QImage image(CalcScreen::Size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    if (m_painter)
        m_painter(p);
    return image;
}

void TCalcScreenView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_painter)
        m_painter(p);
}

TGeneratorDialog::TGeneratorDialog(QWidget *parent)
    : QDialog(parent)
{
    // Window-modal: the calculator's own window stays usable for "Try it".
    setWindowModality(Qt::WindowModal);

    Header = new TGeneratorHeader(this);
    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("Body"));

    PaintBox = new TCalcScreenView(this);
    PaintBox->setPainter([this](QPainter &p) { PaintScreen(p); });
    Warning = new QLabel(this);
    Warning->setObjectName(QStringLiteral("Warning"));
    Warning->setWordWrap(true);
    Warning->setFixedWidth(CalcScreen::Size.width());
    Warning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Warning->setTextFormat(Qt::PlainText);
    QPalette warningColours = Warning->palette();
    warningColours.setColor(QPalette::WindowText, QColor(176, 0, 0));
    Warning->setPalette(warningColours);
    TryIt = new QPushButton(QStringLiteral("Probar en la calculadora"), this);
    TryIt->setObjectName(QStringLiteral("TryIt"));
    TryIt->setAutoDefault(false);

    Ok = new QPushButton(QStringLiteral("Insertar código"), this);
    Ok->setObjectName(QStringLiteral("Ok"));
    Ok->setDefault(true);
    Cancel = new QPushButton(QStringLiteral("Cancelar"), this);
    Cancel->setObjectName(QStringLiteral("Cancel"));
    Cancel->setAutoDefault(false);
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(TryIt, &QPushButton::clicked, this, [this] { emit tryRequested(Generate().bytes); });

    auto *screen = new QVBoxLayout;
    screen->addWidget(PaintBox);
    screen->addWidget(Warning);
    screen->addWidget(TryIt, 0, Qt::AlignLeft);
    screen->addStretch(1);

    auto *middle = new QHBoxLayout;
    middle->addWidget(m_body, 1);
    middle->addLayout(screen);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Ok);
    buttons->addWidget(Cancel);

    auto *whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 8);
    whole->addWidget(Header);
    auto *inner = new QVBoxLayout;
    inner->setContentsMargins(10, 4, 10, 0);
    inner->addLayout(middle, 1);
    inner->addLayout(buttons);
    whole->addLayout(inner, 1);

    m_checkTimer = new QTimer(this);
    m_checkTimer->setSingleShot(true);
    m_checkTimer->setInterval(200);
    connect(m_checkTimer, &QTimer::timeout, this, &TGeneratorDialog::check);
}

void TGeneratorDialog::loadSharedTexts()
{
    TryIt->setText(LanguageText("GeneratorWindows", "TryIt"));
    const QString hint = LanguageText("GeneratorWindows", "TryItTip");
    TryIt->setToolTip(ShortHint(hint));
    TryIt->setStatusTip(LongHint(hint));
    TryIt->setWhatsThis(LongHint(hint));
    m_willNotCompile = LanguageText("GeneratorWindows", "WillNotCompile");
    m_charactersLacking = LanguageText("GeneratorWindows", "CharactersLacking");
}

bool TGeneratorDialog::is49() const
{
    return !Settings().environment.DefaultEmulator;
}

void TGeneratorDialog::FieldsChanged()
{
    PaintBox->update();
    m_checkTimer->start();
}

void TGeneratorDialog::flushChanges()
{
    m_checkTimer->stop();
    check();
    PaintBox->update();
}

QString TGeneratorDialog::WarningText()
{
    if (m_checkTimer->isActive())
        flushChanges();
    return Warning->text();
}

void TGeneratorDialog::check()
{
    QStringList problems;
    QString lacking;
    for (const QString &typed : TypedTexts()) {
        for (const QChar c : typed) {
            if (c != QLatin1Char('\n') && c != QLatin1Char('\r') && !CalcCharset::canEncode(QString(c))
                && !lacking.contains(c))
                lacking += c;
        }
    }
    if (!lacking.isEmpty())
        problems << FormatText(m_charactersLacking, {lacking});
    const QString compile = GeneratorText::CompileProblem(Generate().bytes, is49());
    if (!compile.isEmpty())
        problems << FormatText(m_willNotCompile, {compile});
    Warning->setText(problems.join(QLatin1Char('\n')));
}

void TGeneratorDialog::accept()
{
    Result = Generate();
    Code = Result.withCaretMarker();
    QDialog::accept();
}

QString TableCellText(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->text() : QString();
}

bool MoveTableRow(QTableWidget *table, int by)
{
    const int row = table->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= table->rowCount())
        return false;
    const int column = std::max(0, table->currentColumn());
    {
        // One change to the rows, reported by the caller, not one per cell.
        QSignalBlocker quiet(table);
        for (int c = 0; c < table->columnCount(); ++c) {
            const QString moving = TableCellText(table, row, c);
            table->setItem(row, c, new QTableWidgetItem(TableCellText(table, to, c)));
            table->setItem(to, c, new QTableWidgetItem(moving));
        }
    }
    table->setCurrentCell(to, column);
    return true;
}

QToolButton *MoveRowButton(QWidget *parent, const char *name, Qt::ArrowType arrow)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setArrowType(arrow);
    return button;
}

void AddRowKeys(QTableWidget *table, QObject *context, std::function<void()> add, std::function<void()> remove,
                std::function<void(int)> move)
{
    const auto key = [&](QKeySequence sequence, std::function<void()> action) {
        auto *shortcut = new QShortcut(sequence, table, nullptr, nullptr, Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, context, std::move(action));
    };
    key(QKeySequence(Qt::Key_Insert), std::move(add));
    key(QKeySequence(Qt::Key_Delete), std::move(remove));
    key(QKeySequence(Qt::ALT | Qt::Key_Up), [move] { move(-1); });
    key(QKeySequence(Qt::ALT | Qt::Key_Down), [move] { move(1); });
}

namespace {

class EnterAsTab : public QObject
{
public:
    explicit EnterAsTab(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!widget || widget->window() != m_window || widget != QApplication::focusWidget())
            return false;
        if (qobject_cast<QPushButton *>(widget))
            return false;
        // A table and its cell editors keep Enter: it ends the edit.
        for (QWidget *w = widget; w && w != m_window; w = w->parentWidget()) {
            if (qobject_cast<QAbstractItemView *>(w))
                return false;
        }
        // The next control that Tab would reach.
        for (QWidget *next = widget->nextInFocusChain(); next && next != widget; next = next->nextInFocusChain()) {
            if (next->window() == m_window && next->isVisibleTo(m_window) && next->isEnabled()
                && (next->focusPolicy() & Qt::TabFocus) && !next->focusProxy()) {
                next->setFocus(Qt::TabFocusReason);
                break;
            }
        }
        return true;
    }

private:
    QWidget *m_window;
};

} // namespace

void EnterMovesToNextControl(QWidget *window)
{
    new EnterAsTab(window);
}
