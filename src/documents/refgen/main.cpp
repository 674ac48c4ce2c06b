// qv_refgen: regenerates the reference data under data/Templates from the
// readable sources under scripts/refdata.
//
//   qv_refgen <sources folder> <Templates folder>
//
// Every file is written even when some source line is wrong, so that the
// result can be inspected; the exit status tells whether all was clean.

#include "documents/ReferenceSource.h"
#include "formats/SafeFile.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        err << "usage: qv_refgen <sources folder> <Templates folder>\n";
        return 2;
    }
    QStringList errors;
    const auto outputs = ReferenceSource::generateAll(args.at(1), &errors);
    for (const auto &output : outputs) {
        const QString path = args.at(2) + u'/' + output.fileName;
        QString why;
        if (!ReplaceFile(path, output.bytes, &why)) {
            err << path << ": cannot be written: " << why << '\n';
            return 1;
        }
    }
    for (const QString &e : errors)
        err << e << '\n';
    err << outputs.size() << " files written, " << errors.size() << " problems\n";
    return errors.isEmpty() ? 0 : 1;
}
