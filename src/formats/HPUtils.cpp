#include "formats/HPUtils.h"


namespace {

constexpr char ProgramStart = char(0xAB);
constexpr char ProgramEnd = char(0xBB);
constexpr int MaxDirectiveLength = 255;

bool isBlank(char c)
{
    return uchar(c) <= 32;
}

// Position of the first line end. Documents join lines with CR LF, but a text
// with LF-only line ends must not lose everything after its first comment.
qsizetype firstLineEnd(const QByteArray &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == '\r' || text[i] == '\n')
            return i;
    return -1;
}

} // namespace

QList<QByteArray> SplitLines(const QByteArray &text)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.append(text.mid(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    lines.append(text.mid(start));
    return lines;
}

namespace {

QByteArray valueAfterFirstEquals(const QByteArray &line)
{
    const qsizetype eq = line.indexOf('=');
    return TrimCalc(line.mid(eq + 1)).left(MaxDirectiveLength);
}

} // namespace

QByteArray TrimCalc(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool IsTransferHeader(const QByteArray &line)
{
    return line.startsWith("%%HP:") && line.indexOf(';') == 18;
}

QByteArray StripTransferHeader(const QByteArray &text)
{
    QByteArray t = TrimCalc(text);
    if (IsTransferHeader(t))
        t = TrimCalc(t.mid(19));
    while (t.startsWith('@')) {
        const qsizetype end = firstLineEnd(t);
        t = end < 0 ? QByteArray() : TrimCalc(t.mid(end));
    }
    return t;
}

bool IsProgramText(const QByteArray &text)
{
    const QByteArray t = StripTransferHeader(text);
    return t.size() > 1 && t.front() == ProgramStart && t.back() == ProgramEnd;
}

QByteArray StripCarriageReturns(const QByteArray &text)
{
    QByteArray out = text;
    out.replace("\r", "");
    return out;
}

Directives ReadDirectives(const QByteArray &documentText)
{
    Directives d;
    bool haveName = false;
    bool haveDirectory = false;
    for (const QByteArray &raw : SplitLines(documentText)) {
        const QByteArray line = TrimCalc(raw);
        if (line.isEmpty() || IsTransferHeader(line))
            continue;
        if (!line.startsWith('@'))
            break;
        if (!haveName && line.contains("%NAME%=")) {
            d.ObjectName = valueAfterFirstEquals(line);
            haveName = d.found = true;
        }
        if (!haveDirectory && line.contains("%DIR%=")) {
            d.ObjectDirectory = valueAfterFirstEquals(line);
            haveDirectory = d.found = true;
        }
    }
    return d;
}

int SaveFilterEntryFor(const QByteArray &documentText, int current)
{
    const QByteArray t = StripTransferHeader(documentText);
    if (t.size() <= 1)
        return current;
    auto wraps = [&t](const char *open, const char *close) {
        return t.startsWith(open) && t.endsWith(close);
    };
    if (t.front() == ProgramStart && t.back() == ProgramEnd)
        return 2;
    if (wraps("DIR", "END"))
        return 3;
    if (wraps("{", "}"))
        return 4;
    if (wraps("\"", "\""))
        return 5;
    if (wraps("[", "]"))
        return 6;
    if (wraps("'", "'") || wraps("`", "`"))
        return 7;
    if (t.startsWith("GROB"))
        return 8;
    return current;
}
