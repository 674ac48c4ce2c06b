#include "documents/ReferenceSource.h"

#include "formats/CalcCharset.h"

#include <QFile>
#include <QSet>

namespace ReferenceSource {
namespace {

const QChar kArrow(0x2192);

QString lineError(int line, const QString &what)
{
    return QStringLiteral("line %1: %2").arg(line).arg(what);
}

// Items are separated by blanks, so a string, algebraic or array item written
// with a blank inside would be shown split over several stack levels.
QString checkItems(const QString &side)
{
    int braces = 0;
    QString item;
    QStringList items;
    for (QChar c : side) {
        if (c == u'{')
            ++braces;
        else if (c == u'}')
            --braces;
        if (c == u' ' && braces == 0) {
            if (!item.isEmpty())
                items << item;
            item.clear();
        } else {
            item += c;
        }
    }
    if (!item.isEmpty())
        items << item;
    if (braces != 0)
        return QStringLiteral("unbalanced braces");
    for (const QString &it : items) {
        if (it.startsWith(u'{'))
            continue;
        if (it.count(u'"') % 2 != 0 || it.count(u'\'') % 2 != 0)
            return QStringLiteral("item %1 is cut at a blank").arg(it);
        if (it.count(u'[') != it.count(u']'))
            return QStringLiteral("item %1 is cut at a blank").arg(it);
    }
    return {};
}

QString checkForm(const QString &text)
{
    int depth = 0;
    for (QChar c : text) {
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth < 0)
            return QStringLiteral("a parenthesis closes the diagram early");
    }
    if (depth != 0)
        return QStringLiteral("unbalanced parentheses");
    const int arrows = text.count(kArrow);
    if (arrows == 0)
        return {}; // shown as plain text
    if (arrows > 1)
        return QStringLiteral("more than one arrow");
    const int at = text.indexOf(kArrow);
    const bool blankBefore = at == 0 || text.at(at - 1) == u' ';
    const bool blankAfter = at == text.size() - 1 || text.at(at + 1) == u' ';
    if (!blankBefore || !blankAfter)
        return QStringLiteral("the arrow needs a blank on each side");
    QString problem = checkItems(text.left(at));
    if (problem.isEmpty())
        problem = checkItems(text.mid(at + 1));
    return problem;
}

QByteArray encodeLine(const QString &line, int lineNumber, QStringList *errors)
{
    bool ok = true;
    int bad = -1;
    QByteArray bytes = CalcCharset::encode(line, &ok, &bad);
    if (!ok && errors)
        *errors << lineError(lineNumber,
                             QStringLiteral("character %1 has no calculator byte").arg(line.at(bad)));
    return bytes;
}

QString readText(const QString &path, QStringList *errors)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *errors << QStringLiteral("%1: cannot be read").arg(path);
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

} // namespace

Commands parseCommands(const QString &text)
{
    Commands result;
    QSet<QString> seen;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        if (!line.at(0).isSpace()) {
            const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
            Command command;
            command.name = words.first();
            command.line = lineNumber;
            for (qsizetype w = 1; w < words.size(); ++w) {
                if (words.at(w) == u"48")
                    command.on48 = true;
                else if (words.at(w) == u"49")
                    command.on49 = true;
                else
                    result.errors << lineError(lineNumber,
                                               QStringLiteral("unknown model %1").arg(words.at(w)));
            }
            if (!command.on48 && !command.on49)
                result.errors << lineError(lineNumber, QStringLiteral("no model given"));
            if (seen.contains(command.name))
                result.errors << lineError(lineNumber,
                                           QStringLiteral("%1 is listed twice").arg(command.name));
            seen.insert(command.name);
            result.commands << command;
            continue;
        }
        if (result.commands.isEmpty()) {
            result.errors << lineError(lineNumber, QStringLiteral("a diagram before any command"));
            continue;
        }
        Command &command = result.commands.last();
        QString form = line.trimmed();
        DiagramForm diagram;
        diagram.line = lineNumber;
        if (form.startsWith(u"48:") || form.startsWith(u"49:")) {
            diagram.on48 = form.startsWith(u"48:");
            diagram.on49 = !diagram.on48;
            form = form.mid(3).trimmed();
        }
        if (!form.startsWith(u'(') || !form.endsWith(u')')) {
            result.errors << lineError(lineNumber, QStringLiteral("a diagram must be ( ... )"));
            continue;
        }
        diagram.text = form.mid(1, form.size() - 2).trimmed();
        if (diagram.text.isEmpty()) {
            result.errors << lineError(lineNumber, QStringLiteral("an empty diagram"));
            continue;
        }
        const QString problem = checkForm(diagram.text);
        if (!problem.isEmpty())
            result.errors << lineError(lineNumber, problem);
        if ((diagram.on48 && !command.on48) || (diagram.on49 && !command.on49)) {
            diagram.on48 = diagram.on48 && command.on48;
            diagram.on49 = diagram.on49 && command.on49;
            if (!diagram.on48 && !diagram.on49)
                result.errors << lineError(lineNumber,
                                           QStringLiteral("a form for a model that lacks the command"));
        }
        command.forms << diagram;
    }
    return result;
}

QByteArray commandList(const QList<Command> &commands, QStringList *errors)
{
    QByteArray out = "@ UserRPL commands and functions of the HP 49G, 49g+, 48gII and 50g\n"
                     "@ One name per line, in the calculator's character set\n";
    for (const Command &command : commands) {
        if (!command.on49)
            continue;
        out += encodeLine(command.name, command.line, errors);
        out += '\n';
    }
    return out;
}

QByteArray stackDiagrams(const QList<Command> &commands, Model model, QStringList *errors)
{
    const bool for48 = model == Model::Hp48;
    QByteArray out = for48 ? "%% Stack diagrams of the HP 48G series' UserRPL commands\n"
                           : "%% Stack diagrams of the HP 49G, 49g+, 48gII and 50g UserRPL commands\n";
    out += "%% NAME ( arguments \x8D results ), further forms on lines that start with a blank\n";
    for (const Command &command : commands) {
        if (for48 ? !command.on48 : !command.on49)
            continue;
        bool first = true;
        for (const DiagramForm &form : command.forms) {
            if (for48 ? !form.on48 : !form.on49)
                continue;
            if (first)
                out += encodeLine(command.name, command.line, errors);
            out += " ( ";
            out += encodeLine(form.text, form.line, errors);
            out += " )\n";
            first = false;
        }
        if (first && errors)
            *errors << lineError(command.line,
                                 QStringLiteral("%1 has no stack diagram for the %2")
                                     .arg(command.name, for48 ? u"HP 48"_qs : u"HP 49"_qs));
    }
    return out;
}

QByteArray plainFile(const QString &text, QStringList *errors)
{
    QByteArray out;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        while (!line.isEmpty() && line.back().isSpace())
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        out += encodeLine(line, i + 1, errors);
        out += '\n';
    }
    return out;
}

QList<Output> generateAll(const QString &sourceDir, QStringList *errors)
{
    QList<Output> outputs;
    auto prefixed = [errors](const QString &file, QStringList local) {
        for (const QString &e : local)
            *errors << file + QStringLiteral(": ") + e;
    };

    const QString commandsPath = sourceDir + QStringLiteral("/commands.txt");
    QStringList local;
    const Commands commands = parseCommands(readText(commandsPath, errors));
    local = commands.errors;
    outputs << Output{u"CmdsAndFunctsHP49x-50x.ehc"_qs, commandList(commands.commands, &local)};
    outputs << Output{u"UserRPL48.stk"_qs, stackDiagrams(commands.commands, Model::Hp48, &local)};
    outputs << Output{u"UserRPL49.stk"_qs, stackDiagrams(commands.commands, Model::Hp49, &local)};
    prefixed(u"commands.txt"_qs, local);

    const struct {
        const char16_t *source;
        const char16_t *target;
    } plain[] = {
        {u"menus49.txt", u"MenusHP49x-50x.mtv"},
        {u"reserved.txt", u"SystemReserved.ehc"},
        {u"symbols.txt", u"SystemSymbols.ehc"},
        {u"variables.txt", u"SystemVariables.ehc"},
    };
    for (const auto &p : plain) {
        const QString source = QString::fromUtf16(p.source);
        local.clear();
        const QString text = readText(sourceDir + u'/' + source, &local);
        outputs << Output{QString::fromUtf16(p.target), plainFile(text, &local)};
        prefixed(source, local);
    }
    return outputs;
}

} // namespace ReferenceSource
