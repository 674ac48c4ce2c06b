#include "formats/HPUtils.h"

#include "formats/Transfer.h"


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

namespace {

std::string_view view(const QByteArray &bytes)
{
    return std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QByteArray bytesOf(const std::string &s)
{
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// Applies f to each line of text without its line end; the ends stay.
template <typename F> QByteArray eachLine(const QByteArray &text, F f)
{
    QByteArray out;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = text.size();
        qsizetype bodyEnd = end;
        if (bodyEnd > start && text.at(bodyEnd - 1) == '\r')
            --bodyEnd;
        out += f(text.mid(start, bodyEnd - start)) + text.mid(bodyEnd, end - bodyEnd);
        if (last)
            break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

} // namespace

QByteArray TranslateForTransfer(const QByteArray &text)
{
    size_t end = 0;
    const Calc::TransferHeader header = Calc::readTransferHeader(view(text), &end);
    if (!header.present || header.translation == 0 || !IsTransferHeader(TrimCalc(text)))
        return text;
    // The header then says T(0): translating again changes nothing.
    QByteArray head = text.left(static_cast<qsizetype>(end));
    const qsizetype t = head.indexOf("T(");
    if (t >= 0 && t + 3 < head.size())
        head[t + 2] = '0';
    return head + bytesOf(Calc::translateReceived(view(text).substr(end), header.translation));
}

QByteArray CalculatorCommandLine(const QByteArray &documentText)
{
    return StripCarriageReturns(StripTransferHeader(TranslateForTransfer(documentText)));
}

bool HasTransferCodes(const QByteArray &text)
{
    return DecodeTransferCodes(text) != text;
}

QByteArray DecodeTransferCodes(const QByteArray &text)
{
    return eachLine(text, [](const QByteArray &line) { return bytesOf(Calc::translateReceived(view(line), 3)); });
}

QByteArray EncodeTransferCodes(const QByteArray &text)
{
    QByteArray out = eachLine(text, [](const QByteArray &line) { return bytesOf(Calc::toTransferCodes(view(line))); });
    // The header asks for the translation that turns the codes back.
    const qsizetype at = out.indexOf("%%HP:");
    if (at >= 0 && IsTransferHeader(TrimCalc(out)) && out.mid(at, 19).contains("T(0)"))
        out.replace(out.indexOf("T(0)", at), 4, "T(3)");
    return out;
}

bool IsProgramText(const QByteArray &text)
{
    const QByteArray t = StripTransferHeader(TranslateForTransfer(text));
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
