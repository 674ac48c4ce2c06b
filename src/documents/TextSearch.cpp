#include "documents/TextSearch.h"

#include "formats/CalcCharset.h"

#include <QChar>

#include <algorithm>
#include <array>

namespace TextSearch {

namespace {

// Letters of either case compare equal once folded; folding keeps every
// offset, so matches found in the folded copy stand for the real text.
char foldByte(char c)
{
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z')
        return char(b + 32);
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) // Latin-1 capitals, not the multiplication sign
        return char(b + 32);
    return c;
}

QByteArray fold(QByteArrayView text)
{
    QByteArray folded(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), folded.begin(), foldByte);
    return folded;
}

bool isWholeWord(QByteArrayView text, qsizetype start, qsizetype end)
{
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(text[i]); };
    if (start > 0 && isWordByte(at(start - 1)))
        return false;
    if (end < text.size() && isWordByte(at(end)))
        return false;
    return true;
}

// find() on a haystack and needle already folded as the options want.
std::optional<Range> findIn(QByteArrayView hay,
                            QByteArrayView needle,
                            const Options &options,
                            qsizetype from,
                            qsizetype scopeStart,
                            qsizetype scopeEnd)
{
    const qsizetype length = needle.size();
    scopeStart = std::clamp<qsizetype>(scopeStart, 0, hay.size());
    scopeEnd = std::clamp<qsizetype>(scopeEnd, scopeStart, hay.size());
    if (length == 0 || scopeEnd - scopeStart < length)
        return std::nullopt;
    from = std::clamp(from, scopeStart, scopeEnd);

    if (!options.backwards) {
        for (qsizetype at = hay.indexOf(needle, from); at >= 0 && at + length <= scopeEnd;
             at = hay.indexOf(needle, at + 1)) {
            if (!options.wholeWords || isWholeWord(hay, at, at + length))
                return Range{at, length};
        }
    } else {
        for (qsizetype start = from - length; start >= scopeStart;) {
            const qsizetype at = hay.lastIndexOf(needle, start);
            if (at < scopeStart)
                break;
            if (!options.wholeWords || isWholeWord(hay, at, at + length))
                return Range{at, length};
            start = at - 1;
        }
    }
    return std::nullopt;
}

} // namespace

bool isWordByte(unsigned char b)
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const char32_t cp = CalcCharset::toUnicode(static_cast<unsigned char>(i));
            t[i] = i == '_' || QChar::isLetterOrNumber(cp);
        }
        return t;
    }();
    return table[b];
}

std::optional<Range> find(QByteArrayView text,
                          QByteArrayView what,
                          const Options &options,
                          qsizetype from,
                          qsizetype scopeStart,
                          qsizetype scopeEnd)
{
    if (options.caseSensitive)
        return findIn(text, what, options, from, scopeStart, scopeEnd);
    return findIn(fold(text), fold(what), options, from, scopeStart, scopeEnd);
}

Outcome run(Target &target, const Request &request, const Confirm &confirm)
{
    Outcome outcome;
    if (request.what.isEmpty())
        return outcome;
    const Options &options = request.options;
    const bool backwards = options.backwards;

    QByteArray hay = target.text();
    if (!options.caseSensitive)
        hay = fold(hay);
    const QByteArray needle = options.caseSensitive ? request.what : fold(request.what);
    const QByteArray foldedWith = options.caseSensitive ? request.with : fold(request.with);

    const Range selection = target.selection();
    qsizetype scopeStart = 0;
    qsizetype scopeEnd = hay.size();
    qsizetype from = 0;
    if (options.selectedOnly && selection.length > 0) {
        scopeStart = selection.start;
        scopeEnd = selection.end();
        from = backwards ? scopeEnd : scopeStart;
    } else if (options.entireScope) {
        from = backwards ? scopeEnd : scopeStart;
    } else {
        // Going on from the caret skips the current selection, which is
        // usually the match found last time.
        from = backwards ? selection.start : selection.end();
    }

    bool replaceAll = false;
    std::optional<qsizetype> caretAfterReplace;
    while (const std::optional<Range> match =
               findIn(hay, needle, options, from, scopeStart, scopeEnd)) {
        ++outcome.found;
        if (!request.replace) {
            target.select(*match, backwards);
            return outcome;
        }

        Answer answer = Answer::Replace;
        if (request.what == request.with) {
            answer = Answer::Skip;
        } else if (!replaceAll) {
            target.select(*match, backwards);
            answer = confirm ? confirm(*match) : Answer::ReplaceAll;
        }
        if (answer == Answer::Cancel) {
            outcome.cancelled = true;
            break;
        }
        if (answer == Answer::ReplaceAll) {
            replaceAll = true;
            answer = Answer::Replace;
        }
        if (answer == Answer::Replace) {
            target.replace(*match, request.with);
            hay.replace(match->start, match->length, foldedWith);
            scopeEnd += request.with.size() - match->length;
            ++outcome.replaced;
            from = backwards ? match->start : match->start + request.with.size();
            caretAfterReplace = from;
        } else {
            from = backwards ? match->start : match->end();
        }
    }

    if (outcome.found == 0) {
        const qsizetype caret = backwards ? selection.start : selection.end();
        target.select(Range{caret, 0}, true);
    } else if (caretAfterReplace && !outcome.cancelled) {
        target.select(Range{*caretAfterReplace, 0}, true);
    }
    return outcome;
}

} // namespace TextSearch
