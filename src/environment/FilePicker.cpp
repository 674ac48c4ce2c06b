#include "environment/FilePicker.h"

#include "shell/AppDialogs.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

FilePicker::FilePicker(const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_button(new QToolButton(this))
{
    setObjectName(name);
    m_edit->setObjectName(name + "Edit");
    m_button->setObjectName(name + "Button");
    m_button->setText(QStringLiteral("..."));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_button);
    setFocusProxy(m_edit);
    connect(m_button, &QToolButton::clicked, this, &FilePicker::browse);
}

QString FilePicker::fileName() const
{
    return m_edit->text().trimmed();
}

void FilePicker::setFileName(const QString &path)
{
    m_edit->setText(QDir::toNativeSeparators(path));
    m_edit->setCursorPosition(0);
}

void FilePicker::browse()
{
    FileDialogOptions options;
    options.title = m_title;
    options.filter = m_filter;
    options.fileName = fileName();
    const FileDialogResult result = Dialogs().openFile(options);
    if (result.accepted && !result.path.isEmpty())
        setFileName(result.path);
}
