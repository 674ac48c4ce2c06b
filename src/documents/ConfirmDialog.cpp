#include "documents/ConfirmDialog.h"

#include "shell/Globals.h"
#include "shell/Language.h"

#include <QFileInfo>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TConfirmDialog::TConfirmDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName("ConfirmDialog");
    setWindowTitle(QStringLiteral("Confirmar reemplazo"));

    auto *icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(size));
    LabelConfirmation = new QLabel(this);
    LabelConfirmation->setWordWrap(true);
    LabelConfirmation->setMinimumWidth(260);

    Replace = new QPushButton(QStringLiteral("&Si"), this);
    Skip = new QPushButton(QStringLiteral("No"), this);
    Cancel = new QPushButton(QStringLiteral("&Cancelar"), this);
    ReplaceAll = new QPushButton(QStringLiteral("Si a &todo"), this);
    Replace->setDefault(true);
    const auto answerWith = [this](QPushButton *button, TextSearch::Answer answer) {
        connect(button, &QPushButton::clicked, this, [this, answer] {
            m_answer = answer;
            done(QDialog::Accepted);
        });
    };
    answerWith(Replace, TextSearch::Answer::Replace);
    answerWith(Skip, TextSearch::Answer::Skip);
    answerWith(ReplaceAll, TextSearch::Answer::ReplaceAll);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *question = new QHBoxLayout;
    question->addWidget(icon, 0, Qt::AlignTop);
    question->addWidget(LabelConfirmation, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton *button : {Replace, Skip, Cancel, ReplaceAll})
        buttons->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(question);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // It opens from the replace window, which has reported a missing file.
    if (QFileInfo::exists(LanguageFilePath)) {
        loadWindowTexts(this,
                        "ConfirmDialog",
                        {
                            {"DlgConfirmTitle", this, TextRole::Title},
                            {"DlgConfirmReplace", Replace},
                            {"DlgConfirmSkip", Skip},
                            {"DlgConfirmCancel", Cancel},
                            {"DlgConfirmReplaceAll", ReplaceAll},
                        });
    }
}

TextSearch::Answer TConfirmDialog::ask(const QString &question)
{
    LabelConfirmation->setText(question);
    adjustSize();
    m_answer = TextSearch::Answer::Cancel;
    Replace->setFocus();
    if (exec() != QDialog::Accepted)
        return TextSearch::Answer::Cancel;
    return m_answer;
}
