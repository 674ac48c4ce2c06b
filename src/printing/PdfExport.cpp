#include "printing/PdfExport.h"

#include "documents/DocumentEditor.h"
#include "highlight/KeywordLists.h"
#include "highlight/QuorvaneLexer.h"
#include "highlight/SynHighlighterQuorvane.h"
#include "printing/PrintEngine.h"
#include "shell/Globals.h"
#include "shell/Settings.h"
#include "shell/SettingsStore.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {

const char ExportOption[] = "--export-pdf";

void complain(const QString &text)
{
    std::fprintf(stderr, "quorvane: %s\n", text.toLocal8Bit().constData());
}

} // namespace

bool ExportDocumentAsPdf(const QString &documentPath, const QString &pdfPath, QString *error)
{
    QFile file(documentPath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = documentPath + QStringLiteral(": ") + file.errorString();
        return false;
    }
    const QByteArray bytes = file.readAll();

    // The same settings, font substitutions and colours as the editor's.
    InstallFontSubstitutions();
    SettingsStore store;
    ReadSettings(store, Settings());
    TSynQuorvaneSyn highlighter;
    highlighter.setStartupColors();
    highlighter.loadFromStore(store);
    LoadKeywordLists(highlighter, Settings().environment.CommandsFilename, AppFolder());

    DocumentEditor editor;
    editor.applySettings(Settings().editor);
    editor.setDocumentBytes(bytes);
    SetEditorHighlighter(&editor, Settings().editor.UseHighlight ? &highlighter : nullptr);

    PrintEngine engine;
    engine.setSettings(PrintSettings::fromStored(Settings().printing));
    engine.setDocument(PrintDocument::fromEditor(&editor, documentPath));
    QString reason;
    if (!engine.ExportPdf(pdfPath, &reason)) {
        if (error)
            *error = pdfPath + QStringLiteral(": ") + reason;
        return false;
    }
    return true;
}

std::optional<int> RunCommandLineExport(int &argc, char **argv)
{
    if (argc < 2 || qstrcmp(argv[1], ExportOption) != 0)
        return std::nullopt;
    if (argc != 4) {
        std::fprintf(stderr, "usage: quorvane --export-pdf OUT.pdf FILE\n");
        return 2;
    }
    // No window is shown: a display is not needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QApplication>(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("HPQuorvane"));
    QApplication::setApplicationName(QStringLiteral("HPQuorvane"));
    const QString pdf = QString::fromLocal8Bit(argv[2]);
    const QString document = QString::fromLocal8Bit(argv[3]);
    QString error;
    if (!ExportDocumentAsPdf(document, pdf, &error)) {
        complain(error);
        return 1;
    }
    return 0;
}
