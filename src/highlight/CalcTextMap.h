#pragma once

#include <QByteArray>
#include <vector>

// Maps a piece of the editor widget's UTF-8 text to the calculator's bytes
// and back. The widget shows each calculator byte as one code point (see
// CalcCharset), so one calculator byte is one to four UTF-8 bytes; the map
// keeps where each calculator byte starts in the UTF-8 text.
//
// A code point with no calculator byte (it should never reach a document, the
// editor refuses such input) and malformed UTF-8 each become one StandIn
// byte, so that scanning never stops on them and positions stay in step.
class CalcTextMap
{
public:
    static constexpr char StandIn = '?';

    void setUtf8(const char *utf8, int length);
    void setUtf8(const QByteArray &utf8) { setUtf8(utf8.constData(), int(utf8.size())); }

    const QByteArray &calcBytes() const { return m_calc; }
    int calcLength() const { return int(m_calc.size()); }
    int utf8Length() const { return m_offsets.back(); }

    // Where calculator byte i (0 to calcLength()) starts in the UTF-8 text.
    int utf8Offset(int calcIndex) const { return m_offsets[calcIndex]; }
    // The calculator byte that covers UTF-8 offset off (0 to utf8Length());
    // an offset inside a multi-byte character gives that character.
    int calcIndex(int utf8Offset) const;

private:
    QByteArray m_calc;
    std::vector<int> m_offsets{0};
};
