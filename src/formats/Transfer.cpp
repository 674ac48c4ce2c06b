#include "formats/Transfer.h"

#include <algorithm>
#include <cstring>

namespace Calc {

namespace {

// The calculators' mnemonic codes for the characters 128 to 255; the others
// travel as "\" and three decimal digits.
struct Code
{
    unsigned char c;
    const char *code;
};

const Code codes[] = {
    {128, "<)"}, {129, "x-"}, {130, ".V"}, {131, "v/"}, {132, ".S"}, {133, "GS"},
    {134, "|>"}, {135, "pi"}, {136, ".d"}, {137, "<="}, {138, ">="}, {139, "=/"},
    {140, "Ga"}, {141, "->"}, {142, "<-"}, {143, "|v"}, {144, "|^"}, {145, "Gg"},
    {146, "Gd"}, {147, "Ge"}, {148, "Gn"}, {149, "Gh"}, {150, "Gl"}, {151, "Gr"},
    {152, "Gs"}, {153, "Gt"}, {154, "Gw"}, {155, "GD"}, {156, "PI"}, {157, "GW"},
    {158, "[]"}, {159, "oo"}, {161, "^!"}, {162, "c/"}, {163, "L-"}, {164, "xo"},
    {165, "Y="}, {166, "|:"}, {167, "SS"}, {168, "\""}, {169, "cO"}, {170, "a_"},
    {171, "<<"}, {172, "NO"}, {173, "-"},  {174, "RO"}, {175, "^-"}, {176, "^o"},
    {177, "+-"}, {178, "^2"}, {179, "^3"}, {180, "'"},  {181, "Gm"}, {182, "P|"},
    {183, ".^"}, {184, ","},  {185, "^1"}, {186, "o_"}, {187, ">>"}, {188, "1/4"},
    {189, "1/2"}, {190, "3/4"}, {191, "?^"}, {192, "A`"}, {193, "A'"}, {194, "A^"},
    {195, "A~"}, {196, "A\""}, {197, "A*"}, {198, "AE"}, {199, "C,"}, {200, "E`"},
    {201, "E'"}, {202, "E^"}, {203, "E\""}, {204, "I`"}, {205, "I'"}, {206, "I^"},
    {207, "I\""}, {208, "D-"}, {209, "N~"}, {210, "O`"}, {211, "O'"}, {212, "O^"},
    {213, "O~"}, {214, "O\""}, {215, ".x"}, {216, "O/"}, {217, "U`"}, {218, "U'"},
    {219, "U^"}, {220, "U\""}, {221, "Y'"}, {222, "TH"}, {223, "Gb"}, {224, "a`"},
    {225, "a'"}, {226, "a^"}, {227, "a~"}, {228, "a\""}, {229, "a*"}, {230, "ae"},
    {231, "c,"}, {232, "e`"}, {233, "e'"}, {234, "e^"}, {235, "e\""}, {236, "i`"},
    {237, "i'"}, {238, "i^"}, {239, "i\""}, {240, "d-"}, {241, "n~"}, {242, "o`"},
    {243, "o'"}, {244, "o^"}, {245, "o~"}, {246, "o\""}, {247, ":-"}, {248, "o/"},
    {249, "u`"}, {250, "u'"}, {251, "u^"}, {252, "u\""}, {253, "y'"}, {254, "th"},
    {255, "y\""},
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The code that rest (the text after a backslash) begins with: its length,
// 0 when none, and the character it stands for.
size_t codeAt(std::string_view rest, char &translated)
{
    if (rest.empty())
        return 0;
    if (rest.size() >= 3 && isDigit(rest[0]) && isDigit(rest[1]) && isDigit(rest[2])) {
        const int v = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
        if (v <= 255) {
            translated = static_cast<char>(v);
            return 3;
        }
    }
    if (rest[0] == '\\') {
        translated = '\\';
        return 1;
    }
    // the longest code that matches (\1/4 before \1...)
    const Code *best = nullptr;
    size_t bestLen = 0;
    for (const Code &k : codes) {
        const size_t n = std::strlen(k.code);
        if (n > bestLen && rest.substr(0, n) == k.code) {
            best = &k;
            bestLen = n;
        }
    }
    if (!best)
        return 0;
    translated = static_cast<char>(best->c);
    return bestLen;
}

} // namespace

std::string_view transferCode(unsigned char c)
{
    for (const Code &k : codes)
        if (k.c == c)
            return k.code;
    return {};
}

std::string toTransferCodes(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 128) {
            const std::string_view code = transferCode(c);
            out.push_back('\\');
            if (!code.empty()) {
                out.append(code);
            } else {
                out.push_back(static_cast<char>('0' + c / 100));
                out.push_back(static_cast<char>('0' + c / 10 % 10));
                out.push_back(static_cast<char>('0' + c % 10));
            }
            continue;
        }
        // a backslash that would start a code is doubled; a lone one stays
        char ignored = 0;
        if (c == '\\' && codeAt(s.substr(i + 1), ignored) > 0) {
            out.append("\\\\");
            continue;
        }
        out.push_back(static_cast<char>(c));
    }
    return out;
}

std::string translateReceived(std::string_view s, int mode)
{
    if (mode <= 0)
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n')
            continue;
        char translated = 0;
        const size_t length = c == '\\' ? codeAt(s.substr(i + 1), translated) : 0;
        if (length == 0) {
            out.push_back(c);
            continue;
        }
        out.push_back(translated);
        i += length;
    }
    return out;
}

TransferHeader readTransferHeader(std::string_view s, size_t *end)
{
    TransferHeader h;
    *end = 0;
    size_t p = 0;
    while (p < s.size() && (s[p] == ' ' || s[p] == '\t' || s[p] == '\r' || s[p] == '\n'))
        ++p;
    if (s.substr(p, 5) != "%%HP:")
        return h;
    // the header ends at its ";", or at the end of its line without one
    const size_t eol = std::min(s.find_first_of("\r\n", p), s.size());
    size_t semi = s.find(';', p);
    if (semi == std::string_view::npos || semi > eol)
        semi = eol;
    h.present = true;
    *end = std::min(semi + 1, s.size());
    const std::string_view fields = s.substr(p + 5, semi - p - 5);
    for (size_t i = 0; i + 3 < fields.size(); ++i) {
        if (fields[i + 1] != '(' || fields[i + 3] != ')')
            continue;
        const char v = fields[i + 2];
        switch (fields[i]) {
        case 'T':
            if (v >= '0' && v <= '3')
                h.translation = v - '0';
            break;
        case 'A':
            if (v == 'D' || v == 'R' || v == 'G')
                h.angle = v;
            break;
        case 'F':
            if (v == '.' || v == ',')
                h.fraction = v;
            break;
        default:
            break;
        }
    }
    return h;
}

std::string receivedCommandLine(std::string_view s, bool *commaMark)
{
    size_t end = 0;
    const TransferHeader h = readTransferHeader(s, &end);
    if (commaMark)
        *commaMark = h.present && h.fraction == ',';
    std::string text = translateReceived(s.substr(end), h.present ? h.translation : 0);
    // comment lines in front of the object
    size_t pos = 0;
    for (;;) {
        size_t p = pos;
        while (p < text.size() && (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' ||
                                   text[p] == '\n'))
            ++p;
        if (p < text.size() && text[p] == '@') {
            const size_t e = text.find('\n', p);
            pos = e == std::string::npos ? text.size() : e + 1;
            continue;
        }
        pos = p;
        break;
    }
    return text.substr(pos);
}

} // namespace Calc
