// How fast a big UserRPL document opens coloured, and how little work one
// keystroke costs afterwards.
//
//   build/bin/bench_highlight [lines]      (default 100000)
//
// Runs on the offscreen platform unless told otherwise; prints its figures.

#include "highlight/QuorvaneLexer.h"
#include "highlight/SynHighlighterQuorvane.h"

#include "formats/CalcCharset.h"

#include <QApplication>
#include <QElapsedTimer>
#include <Qsci/qsciscintilla.h>
#include <algorithm>
#include <cstdio>
#include <ctime>

using Sci = QsciScintillaBase;

namespace {

// A document that looks like a library of programs: nested programs, local
// variables, control structures, strings over two lines, algebraics,
// comments, binary integers, complex numbers and angles.
QByteArray generateDocument(int lines)
{
    const QByteArrayList block = {
        "@ %NAME%=PROGn @",
        "\xAB \x8D A B C",
        "  \xAB '(A+B+C)/2' EVAL DUP",
        "    IF 5 > THEN NEG \"large",
        "value\" ELSE 2 * END",
        "    #1F2Ah #77o + B\x8DR (1.5,-2) (3,\x80"
        "45) 1.5E-3 @ mixed @",
        "    { 1 2 3 } \x8DSTR 'X^2-\x87' `Y` $tmp EQ STO",
        "    1 10 FOR i i SQ NEXT PPAR PURGE",
        "  \xBB",
        "\xBB",
    };
    QByteArray out;
    out.reserve(lines * 36);
    for (int i = 0; i < lines; ++i) {
        out += block[i % block.size()];
        out += "\r\n";
    }
    return out;
}

void fillLists(TSynQuorvaneSyn &syn)
{
    // About as many commands as the calculator has, so lookups cost what
    // they cost in real use.
    QByteArrayList commands = {"EVAL", "DUP", "NEG", "STO", "PURGE", "SQ", "B\x8DR", "\x8DSTR"};
    for (int i = 0; i < 2500; ++i)
        commands << "CMD" + QByteArray::number(i);
    syn.setKeyWords(commands);
    syn.setBranchWords({"IF",
                        "THEN",
                        "ELSE",
                        "END",
                        "FOR",
                        "NEXT",
                        "START",
                        "STEP",
                        "CASE",
                        "DO",
                        "UNTIL",
                        "WHILE",
                        "REPEAT",
                        "IFERR"});
    syn.setSpecialSymbols({"\xAB", "\xBB", "\x8D", "{", "}", "+", "*", ">"});
    syn.setVariableWords({"EQ",
                          "PPAR",
                          "\x85"
                          "DAT",
                          "CST"});
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(10, atoi(argv[1])) : 100000;

    TSynQuorvaneSyn syn;
    syn.setStartupColors();
    fillLists(syn);
    const QByteArray bytes = generateDocument(lines);

    QsciScintilla ed;
    ed.setUtf8(true);
    ed.resize(800, 600);
    auto *lexer = new QuorvaneLexer(&syn, &ed);
    ed.setLexer(lexer);

    QElapsedTimer timer;
    const std::clock_t cpuStart = std::clock();
    timer.start();
    const QString text = CalcCharset::decode(bytes);
    ed.setText(text);
    const qint64 loaded = timer.nsecsElapsed();
    ed.SendScintilla(Sci::SCI_COLOURISE, 0ul, -1l);
    const qint64 coloured = timer.nsecsElapsed();
    // Processor time too, so that figures from a busy machine still compare.
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    std::printf("document: %d lines, %lld bytes (%lld bytes of UTF-8 in the widget)\n",
                lines,
                static_cast<long long>(bytes.size()),
                static_cast<long long>(ed.SendScintilla(Sci::SCI_GETLENGTH)));
    std::printf("open and fully colour:       %8.1f ms  (%.1f ms of processor time; text into"
                " widget %.1f ms, colour %.1f ms, %lld lines scanned)\n",
                ms(coloured),
                cpuMs,
                ms(loaded),
                ms(coloured - loaded),
                static_cast<long long>(lexer->linesScanned()));

    // One keystroke in the middle, then the styling the widget asks for up
    // to the end of the document (the most it could ask for). The widget's
    // own cost of taking the character is measured apart from the colouring.
    struct Stroke
    {
        qint64 insertNs;
        qint64 colourNs;
        qint64 scanned;
    };
    auto keystroke = [&](int line, const char *typed) {
        const long pos = ed.SendScintilla(Sci::SCI_POSITIONFROMLINE, line) + 2;
        lexer->resetLinesScanned();
        QElapsedTimer t;
        t.start();
        ed.SendScintilla(Sci::SCI_INSERTTEXT, static_cast<unsigned long>(pos), typed);
        const qint64 inserted = t.nsecsElapsed();
        const long endStyled = ed.SendScintilla(Sci::SCI_GETENDSTYLED);
        ed.SendScintilla(Sci::SCI_COLOURISE, static_cast<unsigned long>(endStyled), -1l);
        return Stroke{inserted, t.nsecsElapsed() - inserted, lexer->linesScanned()};
    };
    auto report = [](const char *what, std::vector<Stroke> strokes) {
        auto median = [&](auto field) {
            std::vector<qint64> v;
            for (const Stroke &s : strokes)
                v.push_back(s.*field);
            std::sort(v.begin(), v.end());
            return std::pair(v[v.size() / 2], v.back());
        };
        const auto [colour, colourWorst] = median(&Stroke::colourNs);
        const auto [insert, insertWorst] = median(&Stroke::insertNs);
        const auto [scanned, scannedWorst] = median(&Stroke::scanned);
        std::printf("%-28s re-colour %7.3f ms median, %7.3f ms worst; %lld line(s) scanned"
                    " (worst %lld); the widget's own insert %6.3f ms median\n",
                    what,
                    ms(colour),
                    ms(colourWorst),
                    static_cast<long long>(scanned),
                    static_cast<long long>(scannedWorst),
                    ms(insert));
        (void)insertWorst;
    };

    std::vector<Stroke> letters;
    for (int k = 0; k < 200; ++k)
        letters.push_back(keystroke(lines / 2 + (k % 10), "x"));
    report("letter in the middle:", letters);

    std::vector<Stroke> newLines;
    for (int k = 0; k < 50; ++k)
        newLines.push_back(keystroke(lines / 2 + (k % 10), "\r\n"));
    report("new line in the middle:", newLines);

    // A quote changes the range of the lines below it until the next quote
    // brings them back in step.
    std::vector<Stroke> quotes;
    for (int k = 0; k < 50; ++k)
        quotes.push_back(keystroke(lines / 2 + 10 * k + 7, "\""));
    report("quote in the middle:", quotes);

    // The worst case: a quote that nothing below closes, so every following
    // line changes (a widget asks only for the lines it shows; this colours
    // the whole rest of the file).
    ed.SendScintilla(Sci::SCI_SETTEXT,
                     0ul,
                     QString(CalcCharset::decode(generateDocument(lines)))
                         .replace(QLatin1Char('"'), QLatin1Char('x'))
                         .toUtf8()
                         .constData());
    ed.SendScintilla(Sci::SCI_COLOURISE, 0ul, -1l);
    report("unclosed quote, all below:", {keystroke(lines / 2 + 7, "\"")});
    return 0;
}
