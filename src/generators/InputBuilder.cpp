#include "generators/InputBuilder.h"

using namespace GeneratorText;

GeneratedText GenerateInput(const InputFields &f)
{
    GeneratedText out;
    if (f.minifont)
        out << "{ -72 -73 } SF" << CRLF;
    out << "\"" << CrLfLines(f.prompt) << "\"" << CRLF;
    if (f.format) {
        out << "{ \"" << CrLfLines(f.commandLine) << "\" { " << QByteArray::number(f.row) << " "
            << QByteArray::number(f.column) << " }";
        if (f.algebraic)
            out << " ALG";
        if (f.alpha)
            out << " " << QByteArrayView(&Alpha, 1);
        if (f.syntaxCheck)
            out << " V";
        out << " }" << CRLF;
    } else {
        out << "\"" << CrLfLines(f.commandLine) << "\"" << CRLF;
    }
    out << "INPUT";
    if (f.evaluate)
        out << " OBJ" << QByteArrayView(&RightArrow, 1) << " ";
    out.appendCaret();
    return out;
}

int InputRowMaximum(const QByteArray &commandLine)
{
    return int(Lines(commandLine).size());
}

int InputColumnMaximum(const QByteArray &commandLine)
{
    qsizetype longest = 0;
    for (const QByteArray &line : Lines(commandLine))
        longest = std::max(longest, line.size());
    return int(longest);
}
