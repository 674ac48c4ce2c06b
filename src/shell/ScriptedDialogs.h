#pragma once

#include "shell/AppDialogs.h"

#include <QList>

#include <functional>

// A DialogService for tests: installs itself for its lifetime, records every
// question and answers from queues. With an empty queue a message box answers
// with its first button of Ok, Yes, No, Cancel that it offers, and a file
// dialog is cancelled.
class ScriptedDialogs : public DialogService
{
public:
    struct Message
    {
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    QList<QMessageBox::StandardButton> answers;
    QList<FileDialogResult> fileAnswers;

    QList<Message> messages;
    QList<FileDialogOptions> openRequests;
    QList<FileDialogOptions> saveRequests;

    // Runs while a message box is "up", standing in for the event loop that a
    // real message box runs (other events arrive, the caller may be deleted).
    std::function<void()> whileMessageIsUp;
    // The most message boxes that were up at the same time.
    int mostMessagesUpAtOnce = 0;

    // Queues an accepted file dialog answer.
    void chooseFile(const QString &path, int filterIndex = 1);
    void cancelFile();

    QMessageBox::StandardButton message(const QString &text,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) override;
    FileDialogResult openFile(const FileDialogOptions &options) override;
    FileDialogResult saveFile(const FileDialogOptions &options) override;

private:
    FileDialogResult nextFile();

    int m_messagesUp = 0;
};
