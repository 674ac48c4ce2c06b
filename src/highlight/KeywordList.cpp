#include "highlight/KeywordList.h"

#include <algorithm>

namespace {

unsigned char foldByte(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 'A';
    // Latin-1 small letters with accents, apart from the division sign and y
    // with diaeresis (whose capital is not in Latin-1).
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    return c;
}

} // namespace

QByteArray KeywordList::folded(QByteArrayView word)
{
    QByteArray out(word.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < word.size(); ++i)
        out[i] = static_cast<char>(foldByte(static_cast<unsigned char>(word[i])));
    return out;
}

bool KeywordList::add(const QByteArray &entry)
{
    const QByteArray key = folded(entry);
    auto it = std::lower_bound(m_foldedLines.begin(), m_foldedLines.end(), key);
    if (it != m_foldedLines.end() && *it == key)
        return false;
    const qsizetype at = it - m_foldedLines.begin();
    m_foldedLines.insert(at, key);
    m_lines.insert(at, entry);
    m_exact.insert(entry);
    ++m_revision;
    return true;
}

void KeywordList::addLines(const QByteArrayList &lines)
{
    for (const QByteArray &line : lines)
        add(line);
}

void KeywordList::setLines(const QByteArrayList &lines)
{
    clear();
    addLines(lines);
}

void KeywordList::clear()
{
    m_lines.clear();
    m_foldedLines.clear();
    m_exact.clear();
    ++m_revision;
}

bool KeywordList::contains(QByteArrayView word) const
{
    return m_exact.contains(QByteArray::fromRawData(word.data(), word.size()));
}
