#include "highlight/KeywordLists.h"

#include "formats/TextLines.h"
#include "highlight/SynHighlighterQuorvane.h"

#include <QFile>

namespace {

std::optional<QByteArrayList> readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return splitTextLines(file.readAll());
}

} // namespace

KeywordLists readKeywordLists(const QString &commandsFile, const QString &appFolder)
{
    KeywordLists lists;
    lists.commands = readLines(commandsFile);
    if (lists.commands)
        lists.commands->removeIf([](const QByteArray &line) { return line.startsWith('@'); });
    const QString templates = appFolder + QStringLiteral("Templates/");
    lists.reserved = readLines(templates + QStringLiteral("SystemReserved.ehc"));
    lists.symbols = readLines(templates + QStringLiteral("SystemSymbols.ehc"));
    lists.variables = readLines(templates + QStringLiteral("SystemVariables.ehc"));
    return lists;
}

void applyKeywordLists(const KeywordLists &lists, TSynQuorvaneSyn &highlighter)
{
    if (lists.commands)
        highlighter.setKeyWords(*lists.commands);
    if (lists.reserved)
        highlighter.setBranchWords(*lists.reserved);
    if (lists.symbols)
        highlighter.setSpecialSymbols(*lists.symbols);
    if (lists.variables)
        highlighter.setVariableWords(*lists.variables);
}

KeywordLists LoadKeywordLists(TSynQuorvaneSyn &highlighter, const QString &commandsFile,
                              const QString &appFolder)
{
    KeywordLists lists = readKeywordLists(commandsFile, appFolder);
    applyKeywordLists(lists, highlighter);
    return lists;
}
