#include "generators/InformBuilder.h"

using namespace GeneratorText;

namespace {

// The reset or initial values: "{ }" when none is given, else every field's
// value, NOVAL standing in for the ones left empty.
void appendValues(GeneratedText &out, const QList<InformField> &fields, QByteArray InformField::*cell)
{
    const bool any = std::any_of(fields.begin(), fields.end(), [cell](const InformField &f) {
        return !(f.*cell).isEmpty();
    });
    if (!any) {
        out << "{ }" << CRLF;
        return;
    }
    out << "{ ";
    for (const InformField &f : fields) {
        if ((f.*cell).isEmpty())
            out << "NOVAL ";
        else
            out << CrLfLines(f.*cell) << " ";
    }
    out << "}" << CRLF;
}

} // namespace

GeneratedText GenerateInform(const InformFields &f)
{
    GeneratedText out;
    out << "\"" << CrLfLines(f.title) << "\"" << CRLF << "{" << CRLF;
    for (const InformField &field : f.fields) {
        if (!field.help.isEmpty()) {
            out << "{ \"" << CrLfLines(field.name) << "\" \"" << CrLfLines(field.help) << "\" "
                << CrLfLines(field.types) << " }" << CRLF;
        } else {
            out << "\"" << CrLfLines(field.name) << "\"" << CRLF;
        }
    }
    out << "}" << CRLF;
    // Without a label width the column count still goes in a list: INFORM
    // takes its format only as a list, and a bare number stops the program
    // with "Bad Argument Type".
    if (f.offsetCheck)
        out << "{ " << QByteArray::number(f.columns) << " " << QByteArray::number(f.offset) << " }" << CRLF;
    else
        out << "{ " << QByteArray::number(f.columns) << " }" << CRLF;
    appendValues(out, f.fields, &InformField::reset);
    appendValues(out, f.fields, &InformField::initial);
    out << "INFORM";
    if (f.condition) {
        out << CRLF << "IF" << CRLF << "THEN" << CRLF << "  ";
        out.appendCaret();
        out << CRLF << "ELSE" << CRLF << "END";
    } else {
        out.appendCaret();
    }
    return out;
}

bool InformCanAddField(int selected, int fieldCount, int columns)
{
    // fieldCount + 1 counts the heading row, as the grid does.
    return selected == fieldCount - 1 && fieldCount + 1 < 4 * columns;
}

bool InformCanDeleteField(int selected, const QList<InformField> &fields)
{
    return selected > 0 && selected < fields.size() && fields[selected].isEmpty();
}

int InformDeleteField(QList<InformField> &fields, int selected)
{
    if (!InformCanDeleteField(selected, fields))
        return selected;
    fields.removeAt(selected);
    return selected - 1;
}
