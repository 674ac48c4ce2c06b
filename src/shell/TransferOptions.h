#pragma once

#include <QString>

// Options of the calculator link that live for the run only (they are not
// stored): the environment options window edits them and the transfer
// window reads them.
struct TransferOptions
{
    bool ObjectNameCap = false; // object names in capitals
    bool ObjectNameExt = false; // names lose their extension
    int SendPortIndex = 0;      // entry of the port list; 0 is "Auto"
    QString SendPort = QStringLiteral("Auto");

    bool operator==(const TransferOptions &) const = default;
};

// The values in force for this run.
inline TransferOptions &RunTimeTransferOptions()
{
    static TransferOptions options;
    return options;
}
