#pragma once

#include <string>
#include <string_view>

// Text as the calculators receive it over a link: the %%HP: header's fields
// and the character translation that its T field asks for. The calculator
// and the editor (F9 and Export of a document in the ASCII form, Edit's
// conversion) share it.
namespace Calc {

struct TransferHeader
{
    bool present = false;
    int translation = 3; // T(0) none; T(1) to T(3): backslash codes and line ends
    char angle = 'D';    // A(D), A(R), A(G)
    char fraction = '.'; // F(.) or F(,)
};

// Reads a "%%HP:" header at the start of text (after blanks); *end is set
// to the first byte after its ";" (0 when there is none). Fields may come in
// any order; a field it does not know is skipped.
TransferHeader readTransferHeader(std::string_view text, size_t *end);

// What a calculator makes of received text in translation mode 1 to 3: CR LF
// becomes LF, and the backslash codes become the calculator's characters:
// "\" and three decimal digits (000 to 255) any code, "\\" a backslash, and
// the mnemonic codes of the calculators' table (\<< \>> \-> \GS \pi \oo ...).
// A backslash that starts no code stays as it is. Mode 0 changes nothing.
std::string translateReceived(std::string_view text, int mode);

// The mnemonic code of a calculator character (without the backslash), or
// empty when it has none.
std::string_view transferCode(unsigned char c);

// The calculators' ASCII form of calculator bytes, what translateReceived in
// mode 3 turns back: each character 128 to 255 as "\" and its mnemonic code
// (or three decimal digits when it has none), a backslash that would start a
// code as "\\". Everything else stays.
std::string toTransferCodes(std::string_view calcBytes);

// A received text file's command line: the header and the "@" comment lines
// in front are skipped and the text is translated as its header asks (mode 0
// without a header); commaMark tells whether F(,) was given.
std::string receivedCommandLine(std::string_view fileBytes, bool *commaMark = nullptr);

} // namespace Calc
