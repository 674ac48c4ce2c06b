#pragma once

#include "documents/SearchState.h"

#include <QObject>

class CommandHost;

// The Edit, Search and Insert commands and the commands that open a new
// object of a given kind. Each one acts on the active document's editor; the
// text rules live in EditorOperations, Snippets and TextSearch.
class EditingCommands : public QObject
{
    Q_OBJECT
public:
    // Connects the actions; every untitled document the host's panel makes
    // from now on starts with the header template.
    explicit EditingCommands(CommandHost &host);

    // What the find and replace windows remember during this run; its search
    // text enables Find Next and Find Previous.
    SearchState &Search() { return m_search; }
    const SearchState &Search() const { return m_search; }

    void FileNewObjectExecute(const QString &action);
    void SearchWindowExecute(bool replace);
    void SearchAgainExecute(bool backwards);
    void SearchGoToExecute();

private:
    void RunSearch(bool replace, bool backwards);

    CommandHost &m_host;
    SearchState m_search;
};
