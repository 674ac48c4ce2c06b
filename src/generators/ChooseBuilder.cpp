#include "generators/ChooseBuilder.h"

using namespace GeneratorText;

GeneratedText GenerateChoose(const ChooseFields &f)
{
    GeneratedText out;
    if (f.minifont)
        out << "-90 SF " << CRLF;
    out << "\"" << CrLfLines(f.title) << "\"" << CRLF << "{" << CRLF;
    for (const ChooseRow &row : f.rows) {
        if (!row.value.isEmpty()) {
            out << "{ \"" << CrLfLines(row.label) << "\" " << QByteArrayView(&ProgramStart, 1)
                << CrLfLines(row.value) << QByteArrayView(&ProgramEnd, 1) << " }" << CRLF;
        } else {
            out << CrLfLines(row.label) << CRLF;
        }
    }
    out << "}" << CRLF << QByteArray::number(f.position) << CRLF << "CHOOSE";
    if (f.condition) {
        out << CRLF << "IF" << CRLF << "THEN" << CRLF << "  EVAL ";
        out.appendCaret();
        out << CRLF << "END";
    } else {
        out << " ";
        out.appendCaret();
    }
    return out;
}

QByteArray ChooseShownLabel(const QByteArray &label)
{
    QByteArray shown = label;
    if (shown.startsWith('"'))
        shown.remove(0, 1);
    if (shown.endsWith('"'))
        shown.chop(1);
    return shown;
}
