// How long a long program takes to become a PDF, as File > Export as PDF and
// quorvane --export-pdf make it (the user's page settings, header and footer,
// the editor's colours), and how much memory that takes.
//
//   build/bin/bench_print [lines]      (default 5000)
//
// Runs on the offscreen platform unless told otherwise; prints its figures.

#include "printing/PdfExport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;

    QTemporaryDir dir;
    const QString source = dir.filePath("long.hpprg");
    QByteArray text = "%%HP: T(3)A(R)F(.);\r\n";
    for (int i = 0; text.count('\n') < lines; ++i)
        text += "\xAB \x8D A B @ block " + QByteArray::number(i) + "\r\n  IF A B > THEN A ELSE B END\r\n"
                "  1 10 FOR i i SQ NEXT \"text\" { 1 2 } + \xBB\r\n";
    QFile f(source);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return 1;
    f.close();

    const QString pdf = dir.filePath("long.pdf");
    QElapsedTimer wall;
    wall.start();
    const std::clock_t cpu = std::clock();
    QString error;
    if (!ExportDocumentAsPdf(source, pdf, &error)) {
        std::fprintf(stderr, "export failed: %s\n", qPrintable(error));
        return 1;
    }
    const double seconds = double(wall.elapsed()) / 1000.0;
    const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%d lines -> PDF of %lld KiB in %.2f s (%.2f s of processor time), peak memory %ld MiB\n",
                lines, QFileInfo(pdf).size() / 1024, seconds, cpuSeconds, usage.ru_maxrss / 1024);
    return 0;
}
