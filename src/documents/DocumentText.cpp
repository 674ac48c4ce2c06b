#include "documents/DocumentText.h"

#include "formats/HPUtils.h"

#include <QList>

namespace DocumentText {

LineEnd detectLineEnd(const QByteArray &bytes)
{
    const bool cr = bytes.contains('\r');
    const bool lf = bytes.contains('\n');
    if (cr && !lf)
        return LineEnd::Cr;
    if (lf && !cr)
        return LineEnd::Lf;
    return LineEnd::CrLf;
}

QByteArray lineEndBytes(LineEnd lineEnd)
{
    switch (lineEnd) {
    case LineEnd::Cr:
        return "\r";
    case LineEnd::Lf:
        return "\n";
    case LineEnd::CrLf:
        break;
    }
    return "\r\n";
}

QByteArray forSave(const QByteArray &text, LineEnd lineEnd, bool lfOnly)
{
    const QList<QByteArray> lines = SplitLines(text);
    QByteArray out = lines.join(lfOnly ? QByteArray("\n") : lineEndBytes(lineEnd));
    return lfOnly ? StripCarriageReturns(out) : out;
}

QByteArray withCrLf(const QByteArray &text)
{
    return SplitLines(text).join("\r\n");
}

bool isEmpty(const QByteArray &text)
{
    for (char c : text)
        if (c != '\r' && c != '\n')
            return false;
    return true;
}

} // namespace DocumentText
