#pragma once

#include <QString>
#include <QStringList>

class QRandomGenerator;

// The tips of the day and the one shown: one tip per line of the tips file,
// empty lines included; navigation wraps around at both ends.
class TipList
{
public:
    // Lines split at CR LF, LF or CR; a line break at the very end makes no
    // extra empty tip. The file is UTF-8, or Latin-1 when it is not valid
    // UTF-8 (a file written by an older editor).
    static QStringList parseLines(const QByteArray &bytes);

    // Reads the whole file; false when it cannot be read (the list is then
    // empty).
    bool load(const QString &path);
    void setTips(const QStringList &tips);

    int count() const { return int(m_tips.size()); }
    // -1 while there is no tip.
    int index() const { return m_index; }
    void setIndex(int index);
    // The current tip, or nothing.
    QString current() const;
    // A random tip from the whole list.
    void startAtRandom(QRandomGenerator &random);
    // After the last comes the first, before the first the last; nothing
    // happens on an empty list.
    void next();
    void previous();

private:
    QStringList m_tips;
    int m_index = -1;
};

// The tips file for a language: "TIPS-<language>.TXT" in AppFolder when
// there is one, else the default "TIPS.TXT".
QString TipsFilePath(const QString &language);
