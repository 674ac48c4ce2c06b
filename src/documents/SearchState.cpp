#include "documents/SearchState.h"

TextSearch::Options SearchState::options(bool searchBackwards) const
{
    TextSearch::Options o;
    o.backwards = searchBackwards;
    o.caseSensitive = caseSensitive;
    o.wholeWords = wholeWords;
    o.entireScope = !continueFromCaret;
    o.selectedOnly = selectedOnly;
    return o;
}

void moveToTop(QStringList &list, const QString &text)
{
    if (text.isEmpty())
        return;
    list.removeAll(text);
    list.prepend(text);
}

QStringList historyOf(const QStringList &list)
{
    return list.mid(0, SearchState::HistorySize);
}

QPoint confirmWindowPosition(const QRect &client,
                             const QSize &window,
                             const QPoint &matchTopLeft,
                             int lineHeight)
{
    const int x = matchTopLeft.x();
    const int y = matchTopLeft.y();
    const int lineBottom = y + lineHeight;

    int left = x;
    if (window.width() >= client.width())
        left = client.left() + (client.width() - window.width()) / 2;
    else if (x + window.width() > client.left() + client.width())
        left = client.left() + client.width() - window.width();

    // In the lower third of the window the match would be covered from
    // below, so the window goes above the match line there.
    int top = lineBottom + 4;
    if (client.top() + client.height() * 2 / 3 < lineBottom)
        top = y - 4 - window.height();
    return {left, top};
}
