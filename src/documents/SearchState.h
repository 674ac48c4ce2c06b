#pragma once

#include "documents/TextSearch.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// What the find and replace windows remember between searches. It lives for
// the run only: empty at start and never saved.
struct SearchState
{
    // Earlier texts kept in each history, newest first.
    static constexpr int HistorySize = 10;

    QString searchText; // an empty one disables find next and find previous
    QStringList searchHistory;
    QString replaceText;
    QStringList replaceHistory;
    bool backwards = false;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool fromCursor = false;
    bool selectedOnly = false;
    // Once a search has run from a window, find next and find previous go on
    // from the caret instead of searching the whole text again.
    bool continueFromCaret = false;

    bool canFindAgain() const { return !searchText.isEmpty(); }

    // The options a search run takes from this state, in direction `backwards`.
    TextSearch::Options options(bool backwards) const;
};

// Moves `text` to the top of a combo box list: inserted there when new, moved
// there when already present. An empty text leaves the list alone.
void moveToTop(QStringList &list, const QString &text);

// The first SearchState::HistorySize entries of a combo box list.
QStringList historyOf(const QStringList &list);

// Where the replace confirmation window goes so that it does not hide the
// match: `client` is the main window's client area and `matchTopLeft` the
// match's top-left corner, both in screen coordinates. Returns the window's
// top-left corner.
QPoint confirmWindowPosition(const QRect &client,
                             const QSize &window,
                             const QPoint &matchTopLeft,
                             int lineHeight);
