// qv_desktopfiles OUTDIR PROGRAM ICONS: writes the files a system-wide
// install puts on the desktop, from the same tables the environment window
// uses for the user's own association:
//   OUTDIR/quorvane.xml          the MIME package
//   OUTDIR/quorvane.desktop      the applications-menu entry and file handler
//   OUTDIR/icons/apps/...        the program's icon
//   OUTDIR/icons/mimetypes/...   one icon per document kind, named by type

#include "environment/DesktopIntegration.h"
#include "formats/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

static bool write(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString why;
    if (ReplaceFile(path, data, &why))
        return true;
    std::fprintf(stderr, "qv_desktopfiles: %s: %s\n", qPrintable(path), qPrintable(why));
    return false;
}

static bool copy(const QString &from, const QString &to)
{
    QFile source(from);
    return source.open(QIODevice::ReadOnly) && write(to, source.readAll());
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: qv_desktopfiles OUTDIR PROGRAM ICONS\n");
        return 2;
    }
    const QString out = args.at(1), program = args.at(2), icons = args.at(3);
    bool ok = write(out + "/" + MimePackageName, MimePackageXml());
    ok = write(out + "/quorvane.desktop", DesktopEntry(program, true, false)) && ok;
    ok = copy(icons + "/" + AppIconName + ".svg", out + "/icons/apps/" + AppIconName + ".svg") && ok;
    for (const DocumentKind &kind : DocumentKinds()) {
        QString source = icons + "/" + QLatin1String(kind.name) + ".svg";
        if (!QFileInfo::exists(source))
            source = icons + "/document.svg";
        ok = copy(source, out + "/icons/mimetypes/" + MimeIconName(kind) + ".svg") && ok;
    }
    if (!ok)
        std::fprintf(stderr, "qv_desktopfiles: could not write the files under %s\n", qPrintable(out));
    return ok ? 0 : 1;
}
