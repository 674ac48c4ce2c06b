#include "flowchart/BuilderDialogs.h"

#include "shell/Language.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

QFont BuilderEditFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    if (!QFontInfo(font).fixedPitch())
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(13);
    return font;
}

namespace {

QDialogButtonBox *okCancel(QDialog *dialog, QPushButton *&ok, QPushButton *&cancel)
{
    auto *buttons = new QDialogButtonBox(dialog);
    ok = buttons->addButton(QStringLiteral("Aceptar"), QDialogButtonBox::AcceptRole);
    cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

TEditorForm::TEditorForm(QWidget *parent)
    : QDialog(parent)
    , m_label(new QLabel(QStringLiteral("Instrucción:"), this))
    , m_edit(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Editar"));
    m_edit->setFont(BuilderEditFont());
    m_edit->setMinimumWidth(360);
    m_label->setBuddy(m_edit);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_edit);
    layout->addWidget(okCancel(this, m_ok, m_cancel));
    loadWindowTexts(this, "BuilderEditDialog",
                    {
                        {"DlgBuilderEditTitle", this, TextRole::Title},
                        {"DlgBuilderEditLabel", m_label},
                        {"DlgBuilderEditOk", m_ok},
                        {"DlgBuilderEditCancel", m_cancel},
                    });
}

QString TEditorForm::Text() const
{
    return m_edit->text();
}

void TEditorForm::SetText(const QString &text)
{
    m_edit->setText(text);
    m_edit->selectAll();
}

TInputForm::TInputForm(QWidget *parent)
    : QDialog(parent)
    , m_prompt(new QLabel(this))
    , m_edit(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Datos"));
    m_prompt->setTextFormat(Qt::RichText);
    m_edit->setFont(BuilderEditFont());
    m_edit->setMinimumWidth(300);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_edit);
    layout->addWidget(okCancel(this, m_ok, m_cancel));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    loadWindowTexts(this, "BuilderInputDialog",
                    {
                        {"DlgBuilderInputTitle", this, TextRole::Title},
                        {"DlgBuilderInputOk", m_ok},
                        {"DlgBuilderInputCancel", m_cancel},
                    });
}

void TInputForm::SetPrompt(const QString &richText)
{
    m_prompt->setText(richText);
}

QString TInputForm::Prompt() const
{
    return m_prompt->text();
}

QString TInputForm::Answer() const
{
    return m_edit->text();
}
