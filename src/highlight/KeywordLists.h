#pragma once

#include <QByteArrayList>
#include <QString>

#include <optional>

class TSynQuorvaneSyn;

// The four word lists of the highlighter, as read from their ".ehc" files.
// A file that does not exist leaves its list unset (the highlighter keeps
// what it has); no message is shown for it.
struct KeywordLists {
    std::optional<QByteArrayList> commands;  // "@" comment lines removed
    std::optional<QByteArrayList> reserved;  // Templates/SystemReserved.ehc
    std::optional<QByteArrayList> symbols;   // Templates/SystemSymbols.ehc
    std::optional<QByteArrayList> variables; // Templates/SystemVariables.ehc
};

// commandsFile is the "CommandsFilename" setting; appFolder ends with a
// separator, as AppFolder does.
KeywordLists readKeywordLists(const QString &commandsFile, const QString &appFolder);

// Hands the lists that were read to the highlighter, each replacing the
// list it feeds (which makes the editors colour again).
void applyKeywordLists(const KeywordLists &lists, TSynQuorvaneSyn &highlighter);

// Both steps, as the settings loader runs them at start.
KeywordLists LoadKeywordLists(TSynQuorvaneSyn &highlighter, const QString &commandsFile,
                              const QString &appFolder);
