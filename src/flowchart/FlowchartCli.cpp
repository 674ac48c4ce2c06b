#include "flowchart/FlowchartCli.h"

#include "flowchart/DiagramBuilder.h"
#include "flowchart/DiagramFile.h"
#include "flowchart/FlowchartCode.h"
#include "shell/Globals.h"
#include "shell/TextIds.h"
#include "shell/Language.h"
#include "shell/SettingsStore.h"

#include <QCoreApplication>
#include <QLocale>

#include <cstdio>
#include <cstring>

namespace {

void printError(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stderr);
    std::fputc('\n', stderr);
}

} // namespace

int FlowchartCodeCommand(int argc, char **argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--flowchart-code") != 0)
        return -1;
    QCoreApplication app(argc, argv);
    // The messages in the language the editor is set to.
    InstallBuiltInMessagesAndLabels();
    const QString language
        = SettingsStore().readText(QStringLiteral("Environment"), QStringLiteral("Language"),
                                   QStringLiteral("Spanish(1)"));
    LanguageFilePath = AppFolder() + QStringLiteral("Languages/") + language + QStringLiteral(".lng");
    TLanguageFile file(LanguageFilePath);
    if (file.exists()) {
        LoadMessages(file);
        LoadLabels(file);
    }

    if (argc != 3) {
        printError(QStringLiteral("usage: quorvane --flowchart-code FILE.adb"));
        return 1;
    }
    const QString path = QString::fromLocal8Bit(argv[2]);
    TDiagram diagram;
    QString detail;
    const DiagramFile::ReadStatus status = DiagramFile::Load(path, diagram, &detail);
    if (status != DiagramFile::ReadStatus::Ok) {
        if (status == DiagramFile::ReadStatus::BadSignature)
            printError(Message(MsgNotAFlowchart));
        printError(Message(MsgFlowchartOpenFailed) + QStringLiteral(" (") + path + QStringLiteral(": ") + detail
                   + QStringLiteral(")"));
        return 1;
    }
    const GeneratedCode code = GenerateUserRPL(diagram, QLocale().decimalPoint().at(0));
    if (!code.ok) {
        printError(code.detail.isEmpty() ? Message(code.message)
                                         : Message(code.message) + QStringLiteral(" (") + code.detail
                                               + QStringLiteral(")"));
        return 1;
    }
    // The program ends with "»|": the marker is where the editor's caret
    // would go, not part of the program.
    QByteArray bytes = code.bytes;
    const QByteArray end("\xBB|\r\n");
    if (bytes.endsWith(end))
        bytes.replace(bytes.size() - end.size(), end.size(), QByteArray("\xBB\r\n"));
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
