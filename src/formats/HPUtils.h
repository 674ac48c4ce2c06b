#pragma once

#include <QByteArray>
#include <QList>

// Text tests shared by the editor, the emulator bridge and the calculator
// link. All texts are bytes in the calculator's character set; documents hand
// them over with their lines joined by CR LF.

// True when line begins with "%%HP:" and its first ";" is the 19th character,
// the exact shape of "%%HP: T(0)A(D)F(.);". Other field widths are not headers.
bool IsTransferHeader(const QByteArray &line);

// The object source of a document: trimmed, without a leading transfer
// header and without the comment lines ("@...") that follow it.
QByteArray StripTransferHeader(const QByteArray &text);

// True when the stripped text (translated as its header asks) is longer than
// one character, starts with the program delimiter 0xAB and ends with 0xBB.
bool IsProgramText(const QByteArray &text);

// A document as a calculator receives it over a link: when its transfer
// header asks for translation (T(1) to T(3)), the backslash codes after the
// header (\<< \>> \-> \GS ...) become the calculator's characters and CR LF
// becomes LF. Any other text stays as it is.
QByteArray TranslateForTransfer(const QByteArray &text);
// What the editor hands the calculator as a command line: the document
// translated as its header asks, without the header, the leading comments
// and the CRs.
QByteArray CalculatorCommandLine(const QByteArray &documentText);

// Edit's conversion of a document between the calculators' ASCII transfer
// form and their characters; line ends stay as they are. Decoding turns every
// backslash code into its character; encoding writes every character 128 to
// 255 as its code and makes a T(0) transfer header T(3), so that a transfer
// (and F9, and Export) turns them back.
bool HasTransferCodes(const QByteArray &text);
QByteArray DecodeTransferCodes(const QByteArray &text);
QByteArray EncodeTransferCodes(const QByteArray &text);

// text without any CR byte; LF bytes stay.
QByteArray StripCarriageReturns(const QByteArray &text);

// The lines of a text that ends its lines with CR LF, LF or a lone CR, in any
// mix. A text that ends with a line end has an empty last line.
QList<QByteArray> SplitLines(const QByteArray &text);

// Trims characters of code 32 or less at both ends, as the calculators do.
QByteArray TrimCalc(const QByteArray &text);

// The "@ %NAME%=" and "@ %DIR%=" directives of a document's leading comments.
struct Directives
{
    QByteArray ObjectName;      // variable the object is stored in; empty: none
    QByteArray ObjectDirectory; // directory entered (created) first; empty: current
    bool found = false;         // at least one directive line was seen
};

// Scans the leading comment lines (blank lines and a transfer header are
// skipped; the first other line ends the scan). Only the first occurrence of
// each directive counts; values are trimmed and cut to 255 characters.
Directives ReadDirectives(const QByteArray &documentText);

// The 1-based entry of the file dialogs' filter list that save-as pre-selects
// for a document's text: 2 program, 3 directory, 4 list, 5 string, 6 array,
// 7 algebraic, 8 picture; current when no rule matches or the stripped text
// is not longer than one character.
int SaveFilterEntryFor(const QByteArray &documentText, int current);
