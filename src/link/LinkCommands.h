#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class CommandHost;
class TTransferDialog;

// File > Send to calculator: the active document becomes an object file
// beside it (the emulator compiles it) and goes onto the stack of a real
// calculator through its XModem server, while the transfer window shows
// how it goes.
class LinkCommands : public QObject
{
    Q_OBJECT
public:
    explicit LinkCommands(CommandHost &host);

    void FileSendToHPExecute();

    // Called with every transfer window before its send (tests watch it).
    static void SetTransferWatcher(std::function<void(TTransferDialog &)> watcher);

private:
    CommandHost &m_host;
    bool m_busy = false;
};
