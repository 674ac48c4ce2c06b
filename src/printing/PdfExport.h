#pragma once

#include <QString>

#include <optional>

// The PDF export from a terminal, for a folder of programs turned into
// handouts:
//
//     quorvane --export-pdf OUT.pdf FILE
//
// writes FILE as a PDF with the user's page settings, editor font and
// colours, and exits: no window is shown, nothing is handed over to a
// running editor. Exit code 0 on success; on failure a message on standard
// error and 1 (2 for a command line it does not understand).

// The program entry calls this first of all: nothing when the command line
// is not an export, else the exit code once the export ran. Without a
// platform of its own choosing the export runs on the offscreen one, so that
// it works where there is no display.
std::optional<int> RunCommandLineExport(int &argc, char **argv);

// The export itself, inside a running application: reads the settings and
// the document, writes the PDF. False with the reason on failure.
bool ExportDocumentAsPdf(const QString &documentPath, const QString &pdfPath, QString *error);
