#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <optional>

// Plain-text find and replace over a document's calculator bytes. Positions
// are offsets into the whole text (one byte is one character); the editor
// adapter turns them into lines and columns.
namespace TextSearch {

struct Options
{
    bool backwards = false;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool entireScope = true; // start at the scope's edge rather than at the caret
    bool selectedOnly = false;
};

struct Range
{
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
    bool operator==(const Range &) const = default;
};

// The match nearest to `from` in the search direction that lies wholly inside
// [scopeStart, scopeEnd): searching forwards the first one that starts at or
// after `from`, backwards the last one that ends at or before it. Without case
// sensitivity ASCII and Latin-1 letters match either case. A whole word is
// bounded by characters that are not letters, digits or "_".
std::optional<Range> find(QByteArrayView text,
                          QByteArrayView what,
                          const Options &options,
                          qsizetype from,
                          qsizetype scopeStart,
                          qsizetype scopeEnd);

// True when calculator byte b belongs to a word.
bool isWordByte(unsigned char b);

// What the user answers for one match while replacing.
enum class Answer { Replace, Skip, ReplaceAll, Cancel };

// The document a search runs on, usually the active editor.
class Target
{
public:
    virtual ~Target() = default;
    virtual QByteArray text() const = 0;
    // The selection; an empty one starts at the caret.
    virtual Range selection() const = 0;
    // Selects `range` and scrolls it into view; the caret goes to its start
    // when `caretAtStart`, else to its end.
    virtual void select(Range range, bool caretAtStart) = 0;
    virtual void replace(Range range, const QByteArray &with) = 0;
};

struct Request
{
    QByteArray what;
    QByteArray with;
    bool replace = false; // replace every match, asking before each one
    Options options;
};

struct Outcome
{
    int found = 0; // matches met, replaced or not
    int replaced = 0;
    bool cancelled = false;
};

// Asked for each match before it is replaced; the match is selected then.
using Confirm = std::function<Answer(Range match)>;

// Runs one search on `target`. Finding selects the nearest match. Replacing
// walks every match from the start point to the scope's edge and asks
// `confirm` before each, except when the search and replacement texts are the
// same, which leaves every match alone without asking. When nothing is found
// the selection collapses toward the search direction.
Outcome run(Target &target, const Request &request, const Confirm &confirm);

} // namespace TextSearch
