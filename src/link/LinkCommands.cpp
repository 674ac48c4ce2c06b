#include "link/LinkCommands.h"

#include "documents/DocumentEditor.h"
#include "documents/DocumentPanel.h"
#include "emulator/Emu48Proc.h"
#include "emulator/StatusDialog.h"
#include "link/TransferDialog.h"
#include "shell/AppDialogs.h"
#include "shell/CommandHost.h"
#include "shell/Globals.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
std::function<void(TTransferDialog &)> &watcher()
{
    static std::function<void(TTransferDialog &)> w;
    return w;
}
} // namespace

void LinkCommands::SetTransferWatcher(std::function<void(TTransferDialog &)> w)
{
    watcher() = std::move(w);
}

LinkCommands::LinkCommands(CommandHost &host)
    : QObject(host.Window()), m_host(host)
{
    connect(host.Action("FileSendToHP"), &QAction::triggered, this, &LinkCommands::FileSendToHPExecute);
}

void LinkCommands::FileSendToHPExecute()
{
    DocumentPanel *documents = m_host.Documents();
    DocumentEditor *editor = documents ? documents->ActiveEditor() : nullptr;
    if (!editor || m_busy)
        return;
    const int index = documents->ActiveDocument();
    const QString path = documents->fileName(index);
    // The object is made from the file as saved, and lands beside it.
    if (editor->isModified() || documents->isUntitled(index) || !QFile::exists(path)) {
        ShowAppMessage(Message(MsgSaveBeforeSending), QMessageBox::Information);
        return;
    }
    const QFileInfo info(path);
    QString target = info.dir().filePath(info.completeBaseName() + QStringLiteral(".HP"));
    // A source already called PROG.HP must not be replaced by its own object.
    if (QFileInfo(target) == info)
        target = path + QStringLiteral(".HP");
    m_busy = true;
    bool made = false;
    {
        // The emulated calculator compiles the text; that takes a moment.
        TStatusDialog status(m_host.Window());
        status.SetStatus(Label(LblExporting), path, target);
        status.show();
        status.repaint();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        made = TextToObjectFile(target, editor->textWithCrLf());
        QApplication::restoreOverrideCursor();
    }
    if (!made) {
        m_busy = false;
        const QString &reason = EmuSession().SendFailure;
        ShowAppMessage(reason.isEmpty() ? Message(MsgNoCalculatorObject)
                                        : Message(MsgNoCalculatorObject) + QStringLiteral("\n\n") + reason,
                       QMessageBox::Critical);
        return;
    }
    QString error;
    {
        TTransferDialog window(m_host.Window());
        window.show();
        if (watcher())
            watcher()(window);
        try {
            window.Send(target);
        } catch (const LinkError &e) {
            error = e.text();
        }
    }
    m_busy = false;
    if (!error.isEmpty())
        ShowAppMessage(error, QMessageBox::Critical);
}
