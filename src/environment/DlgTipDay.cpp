#include "environment/DlgTipDay.h"

#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"
#include "shell/TextIds.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStyle>
#include <QVBoxLayout>

TTipDialog::TTipDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TipDialog"));
    setWindowTitle(QStringLiteral("Sugerencia del día"));
    setModal(true);

    m_welcome = new QLabel(QStringLiteral("Bienvenido a HPQuorvane 5"), this);
    m_welcome->setObjectName(QStringLiteral("Welcome"));
    QFont welcomeFont(QStringLiteral("Times New Roman"));
    welcomeFont.setPixelSize(24);
    welcomeFont.setBold(true);
    m_welcome->setFont(welcomeFont);

    // The tip sits on a panel in the tooltip colours, beside an icon.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("TipPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    panel->setPalette(pal);
    auto *icon = new QLabel(panel);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(40, 40));
    icon->setAlignment(Qt::AlignTop);
    m_title = new QLabel(QStringLiteral("Sabías que..."), panel);
    m_title->setObjectName(QStringLiteral("Title"));
    QFont titleFont(QStringLiteral("Times New Roman"));
    titleFont.setPixelSize(19);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    m_tip = new QLabel(panel);
    m_tip->setObjectName(QStringLiteral("Tip"));
    m_tip->setWordWrap(true);
    m_tip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_tip->setMinimumSize(233, 89);
    m_tip->setTextFormat(Qt::PlainText);
    m_tip->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont tipFont = m_tip->font();
    tipFont.setPointSizeF(tipFont.pointSizeF() * 1.15);
    m_tip->setFont(tipFont);
    auto *text = new QVBoxLayout;
    text->addWidget(m_title);
    text->addWidget(m_tip, 1);
    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(icon);
    panelLayout->addLayout(text, 1);

    m_showCheck = new QCheckBox(QStringLiteral("Mostrar sugerencias al inicio del programa"), this);
    m_showCheck->setObjectName(QStringLiteral("ShowCheck"));
    m_previous = new QPushButton(QStringLiteral("Anterior"), this);
    m_previous->setObjectName(QStringLiteral("PrevTip"));
    m_next = new QPushButton(QStringLiteral("Siguiente"), this);
    m_next->setObjectName(QStringLiteral("NextTip"));
    m_close = new QPushButton(QStringLiteral("Cerrar"), this);
    m_close->setObjectName(QStringLiteral("CloseTip"));
    m_next->setDefault(true);
    connect(m_next, &QPushButton::clicked, this, &TTipDialog::NextTipClick);
    connect(m_previous, &QPushButton::clicked, this, &TTipDialog::PrevTipClick);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_showCheck, &QCheckBox::toggled, this, [](bool on) { Settings().environment.ShowTipDay = on; });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_showCheck, 1);
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_welcome);
    layout->addWidget(panel, 1);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(480, 260)));

    m_showCheck->setChecked(Settings().environment.ShowTipDay);
    const QString path = TipsFilePath(Settings().environment.Language);
    if (QFileInfo::exists(path) && m_tips.load(path)) {
        m_tips.startAtRandom(*QRandomGenerator::global());
    } else {
        ShowAppMessage(FormatText(Message(MsgFileNotFound), {path}), QMessageBox::Critical);
        m_next->setEnabled(false);
        m_previous->setEnabled(false);
    }
    showCurrent();

    loadWindowTexts(this, "TipDayDialog",
                    {
                        {"DlgTipDayTitle", this, TextRole::Title},
                        {"DlgTipDayWelcome", m_welcome},
                        {"DlgTipDayDescription", m_title},
                        {"DlgTipDayShowTip", m_showCheck},
                        {"DlgTipDayNext", m_next},
                        {"DlgTipDayPrevious", m_previous},
                        {"DlgTipDayClose", m_close},
                    });
}

void TTipDialog::showCurrent()
{
    m_tip->setText(m_tips.current());
}

void TTipDialog::NextTipClick()
{
    m_tips.next();
    showCurrent();
}

void TTipDialog::PrevTipClick()
{
    m_tips.previous();
    showCurrent();
}
