#include "link/TransferDialog.h"

#include "link/SerialChannel.h"
#include "link/YModem.h"
#include "shell/Language.h"
#include "shell/Settings.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

QString TransferObjectName(const QString &path, const TransferOptions &options)
{
    QString name = QFileInfo(path).fileName();
    if (options.ObjectNameCap)
        name = name.toUpper();
    if (options.ObjectNameExt) {
        const auto dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot > 0)
            name.truncate(dot);
    }
    return name;
}

int TransferPercent(qint64 done, qint64 total)
{
    return total > 0 ? int(done * 100 / total) : 0;
}

namespace {

constexpr int ClientWidth = 393;
constexpr int ClientHeight = 225;

QLabel *makePanel(QWidget *parent, const QRect &bounds, const char *name)
{
    auto *panel = new QLabel(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panel->setTextFormat(Qt::PlainText);
    panel->setIndent(4);
    panel->setGeometry(bounds);
    return panel;
}

QLabel *makeLabel(QWidget *parent, const QString &text, const QPoint &at, const char *name)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(at);
    return label;
}

// Shows a long path by its end, where the file name is.
void setElided(QLabel *panel, const QString &text)
{
    panel->setText(panel->fontMetrics().elidedText(text, Qt::ElideLeft, panel->width() - 10));
    panel->setToolTip(text);
}

} // namespace

TTransferDialog::TTransferDialog(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("TransferDialog");
    setWindowTitle(QStringLiteral("Enviando"));
    setFixedSize(ClientWidth, ClientHeight);
    // The main window waits for the send; this window stays usable (Cancel).
    setWindowModality(Qt::ApplicationModal);

    LabelFileName = makeLabel(this, QStringLiteral("Nombre de archivo:"), {16, 46}, "LabelFileName");
    FileName = makePanel(this, QRect(112, 40, 265, 25), "FileName");
    LabelObjectName = makeLabel(this, QStringLiteral("Nombre de objeto:"), {16, 78}, "LabelObjectName");
    ObjectName = makePanel(this, QRect(112, 72, 105, 25), "ObjectName");
    LabelStatus = makeLabel(this, QStringLiteral("Estado:"), {232, 78}, "LabelStatus");
    StatusPanel = makePanel(this, QRect(272, 72, 105, 25), "StatusPanel");
    QFont bold = StatusPanel->font();
    bold.setBold(true);
    StatusPanel->setFont(bold);
    StatusPanel->setText(LinkText::Connecting);

    GroupTransfer = new QGroupBox(QStringLiteral("Transferencia"), this);
    GroupTransfer->setObjectName("GroupTransfer");
    GroupTransfer->setGeometry(16, 104, 361, 81);
    ProgressBar = new QProgressBar(GroupTransfer);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setGeometry(16, 24, 329, 16);
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    Percent = makePanel(GroupTransfer, QRect(16, 48, 65, 17), "Percent");
    Percent->setFrameStyle(QFrame::NoFrame);
    Percent->setText(QStringLiteral("0%"));
    LabelPacket = makeLabel(GroupTransfer, QStringLiteral("Paquetes enviados:"), {184, 50}, "LabelPacket");
    Packets = makePanel(GroupTransfer, QRect(280, 48, 65, 17), "Packets");
    Packets->setFrameStyle(QFrame::NoFrame);
    Packets->setText(QStringLiteral("0"));

    Cancel = new QPushButton(QStringLiteral("Cancelar"), this);
    Cancel->setObjectName("Cancel");
    Cancel->setGeometry(152, 192, 97, 25);
    connect(Cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        m_session.StopTransfer();
    });

    loadWindowTexts(this, "TransferDialog",
                    {{"DlgTransferTitle", this, TextRole::Title},
                     {"DlgTransferFileName", LabelFileName},
                     {"DlgTransferObjectName", LabelObjectName},
                     {"DlgTransferStatus", LabelStatus},
                     {"DlgTransferTransferStatus", GroupTransfer},
                     {"DlgTransferSendPackets", LabelPacket},
                     {"DlgTransferConnecting", StatusPanel},
                     {"DlgTransferCancel", Cancel}});
    fitTexts();
    m_connectingText = StatusPanel->text();

    connect(&m_session, &TXModemServer::statusChanged, this, &TTransferDialog::setStatus);
    // The panel keeps the transfer's last word ("... sent at ...") when the
    // session clears its "Copying" text.
    connect(&m_session, &TXModemServer::panelText, this, [this](const QString &text) {
        if (!text.isEmpty())
            setStatus(text);
    });
    connect(&m_session, &TXModemServer::transferReport, this, &TTransferDialog::ThreadReport);
    connect(&m_session, &TXModemServer::connectedChanged, this, [this](bool on) { m_connected = on; });
    SetConnectionErrorHook([this] { m_connected = false; });
}

TTransferDialog::~TTransferDialog()
{
    SetConnectionErrorHook({});
}

void TTransferDialog::fitTexts()
{
    // The panels start where their labels end, as long as the texts of the
    // language need; the window keeps its size.
    for (QLabel *label : {LabelFileName, LabelObjectName, LabelStatus, LabelPacket})
        label->adjustSize();
    const int left = std::max({112, LabelFileName->geometry().right() + 8, LabelObjectName->geometry().right() + 8});
    FileName->setGeometry(left, 40, 377 - left, 25);
    // Object names are short; the status panel gets the room, since the
    // progress ("123/300 Kbytes") is read there.
    ObjectName->setGeometry(left, 72, std::max(60, 197 - left), 25);
    LabelStatus->move(ObjectName->geometry().right() + 10, 78);
    const int status = LabelStatus->geometry().right() + 5;
    StatusPanel->setGeometry(status, 72, 377 - status, 25);
    const int packets = std::max(280, LabelPacket->geometry().right() + 8);
    Packets->setGeometry(packets, 48, 345 - packets, 17);
}

void TTransferDialog::showStatus(const QString &text)
{
    // A status of several lines (the progress) shows its first, cut with
    // an ellipsis where the panel ends; the whole text is its tool tip.
    const QString line = text.section(QLatin1Char('\r'), 0, 0).trimmed();
    StatusPanel->setText(StatusPanel->fontMetrics().elidedText(line, Qt::ElideRight, StatusPanel->width() - 10));
    StatusPanel->setToolTip(text);
}

void TTransferDialog::setStatus(const QString &text)
{
    // the line's own "Conectando..." in the window's language
    showStatus(text == LinkText::Connecting ? m_connectingText : text);
    // The session's steps block this thread; the window shows each one.
    if (isVisible())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TTransferDialog::ThreadReport(const QString &text, int kind, qint64 total, qint64 done)
{
    if (!isVisible())
        return;
    if (kind == ReportEnded) {
        emit transferEnded();
        return;
    }
    // Reports arrive through the event loop, which paints them; letting it
    // run from here would apply an older report over a newer one.
    showStatus(text);
    if (kind == ReportProgress && total > 0) {
        // Each report but the last comes just before a block goes out.
        if (done < total)
            Packets->setText(QString::number(++m_packets));
        ProgressBar->setMaximum(int(std::min<qint64>(total, INT_MAX)));
        ProgressBar->setValue(int(std::min<qint64>(done, INT_MAX)));
        Percent->setText(QString::number(TransferPercent(done, total)) + QLatin1Char('%'));
    }
}

bool TTransferDialog::Send(const QString &target)
{
    m_cancelled = false;
    m_packets = 0;
    setElided(FileName, target);
    ObjectName->setText(TransferObjectName(target, RunTimeTransferOptions()));
    const EnvironmentSettings &env = Settings().environment;
    m_session.SetSpeed(SerialSpeeds().contains(env.SerialSpeed) ? env.SerialSpeed : DefaultSerialSpeed);
    if (!m_connected) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_connected = false;
        try {
            m_session.Connect(env.SerialPort);
        } catch (...) {
            m_connected = m_session.IsConnected();
            QApplication::restoreOverrideCursor();
            throw;
        }
        m_connected = m_session.IsConnected();
        if (m_connected)
            repaint();
        QApplication::restoreOverrideCursor();
    }
    // The handshake fetched the calculator's version as a file of its own;
    // what the window counts from here is the user's object.
    m_packets = 0;
    Packets->setText(QStringLiteral("0"));
    ProgressBar->setValue(0);
    Percent->setText(QStringLiteral("0%"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    bool sent = false;
    try {
        sent = m_session.Put(TXModemServer::TempVariable, target);
        if (m_cancelled) {
            // The user chose to stop: the calculator is only told to end
            // its server, and a line that no longer answers is no news.
            try {
                m_session.Quit();
            } catch (const LinkError &) {
            }
            m_connected = false;
            QApplication::restoreOverrideCursor();
            return false;
        }
        // also after a failed put: a variable left from an earlier try is
        // cleared away the same way
        m_session.Execute("'" + TXModemServer::TempVariable + "' DUP RCL SWAP PURGE");
        m_session.Quit();
        m_connected = false;
    } catch (...) {
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    return sent;
}

void TTransferDialog::showEvent(QShowEvent *event)
{
    if (QWidget *owner = parentWidget())
        move(owner->frameGeometry().center() - rect().center());
    QWidget::showEvent(event);
}

void TTransferDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        Cancel->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TTransferDialog::paintEvent(QPaintEvent *)
{
    // Painted like the import and export status window: a raised edge and a
    // caption bar drawn as an active window's.
    QPainter painter(this);
    const QPalette pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Window));
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, 0, 0, height() - 1);
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
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
