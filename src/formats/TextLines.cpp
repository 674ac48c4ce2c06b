#include "formats/TextLines.h"

QByteArray trimmedBytes(const QByteArray &bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && static_cast<unsigned char>(bytes.at(begin)) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(bytes.at(end - 1)) <= ' ')
        --end;
    return bytes.mid(begin, end - begin);
}

QByteArrayList splitTextLines(const QByteArray &bytes)
{
    QByteArrayList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c != '\n' && c != '\r')
            continue;
        lines << bytes.mid(start, i - start);
        if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines << bytes.mid(start);
    return lines;
}
