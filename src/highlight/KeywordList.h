#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QSet>

// One of the highlighter's word lists, in the calculator's bytes.
//
// The list is kept sorted without regard to letter case and refuses an entry
// that equals one it already holds when case is ignored (the first one added
// stays). Membership, on the other hand, is exact: with "DUP" in the list,
// "dup" is not a member. Case is folded for ASCII and Latin-1 letters only;
// the calculator's own glyphs (bytes 128-159) have no case.
class KeywordList
{
public:
    // Adds one entry, taken whole (blanks included). Returns false when an
    // entry equal to it without regard to case is already present.
    bool add(const QByteArray &entry);
    void addLines(const QByteArrayList &lines);
    // Replaces the contents with lines, keeping the same duplicate rule.
    void setLines(const QByteArrayList &lines);
    void clear();

    bool contains(QByteArrayView word) const;
    const QByteArrayList &lines() const { return m_lines; }
    qsizetype count() const { return m_lines.size(); }

    // Grows on every change, so that users of the list can tell when a cache
    // built from it has gone stale.
    quint64 revision() const { return m_revision; }

    static QByteArray folded(QByteArrayView word);

private:
    QByteArrayList m_lines;
    QByteArrayList m_foldedLines; // parallel to m_lines, the sort key
    QSet<QByteArray> m_exact;
    quint64 m_revision = 0;
};
