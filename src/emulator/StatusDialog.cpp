#include "emulator/StatusDialog.h"

#include "shell/Language.h"

#include <QApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int ClientWidth = 337;
constexpr int ClientHeight = 114;

QLabel *makePanel(QWidget *parent, const QRect &bounds)
{
    auto *panel = new QLabel(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setGeometry(bounds);
    panel->setIndent(4);
    // A long path shows its end, where the file name is.
    panel->setTextFormat(Qt::PlainText);
    return panel;
}

} // namespace

TStatusDialog::TStatusDialog(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("StatusDialog");
    setFixedSize(ClientWidth, ClientHeight);
    setAttribute(Qt::WA_ShowWithoutActivating);
    FileSource = makePanel(this, QRect(16, 40, 305, 25));
    FileSource->setObjectName("FileSource");
    LabelAs = new QLabel(QStringLiteral("Como:"), this);
    LabelAs->setObjectName("LabelAs");
    LabelAs->move(16, 78);
    FileTarget = makePanel(this, QRect(56, 72, 265, 25));
    FileTarget->setObjectName("FileTarget");

    loadWindowTexts(this, "StatusDialog", {{"DlgStatusLabelAs", LabelAs}});
    LabelAs->adjustSize();
}

void TStatusDialog::SetStatus(const QString &caption, const QString &source, const QString &target)
{
    setWindowTitle(caption);
    const auto elided = [](QLabel *panel, const QString &text) {
        panel->setText(panel->fontMetrics().elidedText(text, Qt::ElideLeft, panel->width() - 12));
        panel->setToolTip(text);
    };
    elided(FileSource, source);
    elided(FileTarget, target);
    repaint();
}

void TStatusDialog::showEvent(QShowEvent *event)
{
    // Centred on the window it belongs to.
    if (QWidget *owner = parentWidget())
        move(owner->frameGeometry().center() - rect().center());
    QWidget::showEvent(event);
}

void TStatusDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Window));
    // Raised edge round the client area.
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    // A caption bar drawn as an active window's, with its gradient.
    const int barHeight = qMax(18, style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const QRect bar(2, 2, width() - 4, barHeight);
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    gradient.setColorAt(0, QColor(0x0A, 0x24, 0x6A));
    gradient.setColorAt(1, QColor(0xA6, 0xCA, 0xF0));
    painter.fillRect(bar, gradient);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::white);
    painter.drawText(bar.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
}
