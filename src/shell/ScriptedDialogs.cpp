#include "shell/ScriptedDialogs.h"

#include <algorithm>

ScriptedDialogs::ScriptedDialogs()
{
    SetDialogService(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    SetDialogService(nullptr);
}

void ScriptedDialogs::chooseFile(const QString &path, int filterIndex)
{
    fileAnswers.append(FileDialogResult{true, path, filterIndex});
}

void ScriptedDialogs::cancelFile()
{
    fileAnswers.append(FileDialogResult{});
}

QMessageBox::StandardButton ScriptedDialogs::message(const QString &text,
                                                     QMessageBox::Icon icon,
                                                     QMessageBox::StandardButtons buttons)
{
    messages.append(Message{text, icon, buttons});
    ++m_messagesUp;
    mostMessagesUpAtOnce = std::max(mostMessagesUpAtOnce, m_messagesUp);
    if (whileMessageIsUp)
        whileMessageIsUp();
    --m_messagesUp;
    if (!answers.isEmpty())
        return answers.takeFirst();
    for (auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        if (buttons.testFlag(b))
            return b;
    return QMessageBox::NoButton;
}

FileDialogResult ScriptedDialogs::openFile(const FileDialogOptions &options)
{
    openRequests.append(options);
    return nextFile();
}

FileDialogResult ScriptedDialogs::saveFile(const FileDialogOptions &options)
{
    saveRequests.append(options);
    return nextFile();
}

FileDialogResult ScriptedDialogs::nextFile()
{
    return fileAnswers.isEmpty() ? FileDialogResult{} : fileAnswers.takeFirst();
}
