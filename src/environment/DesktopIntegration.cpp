#include "environment/DesktopIntegration.h"

#include "formats/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

QString homeOr(const char *variable, const QString &fallback)
{
    const QString value = qEnvironmentVariable(variable);
    // The XDG rules ignore a relative value.
    return !value.isEmpty() && QDir::isAbsolutePath(value) ? QDir::cleanPath(value) : fallback;
}

// Runs a desktop tool when installed; it must not hold the window for long.
void runIfPresent(const QString &tool, const QStringList &arguments)
{
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        return;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(path, arguments);
    if (process.waitForStarted(3000) && !process.waitForFinished(15000))
        process.kill();
    process.waitForFinished(1000);
}

bool writeFile(const QString &path, const QByteArray &data, bool executable = false)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    if (!ReplaceFile(path, data))
        return false;
    if (executable) {
        QFile file(path);
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                            | QFileDevice::ExeOther | QFileDevice::ReadOwner);
    }
    return true;
}

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// A desktop entry's value: backslashes, line breaks and tabs escaped.
QString entryValue(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

QString shellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

} // namespace

DesktopPlaces DesktopPlaces::current()
{
    const QString home = QDir::homePath();
    DesktopPlaces places;
    places.dataHome = homeOr("XDG_DATA_HOME", home + "/.local/share");
    places.configHome = homeOr("XDG_CONFIG_HOME", home + "/.config");
    // xdg-user-dir knows the desktop's name in the user's language.
    QString desktop;
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-user-dir"));
    if (!tool.isEmpty()) {
        QProcess process;
        process.start(tool, {QStringLiteral("DESKTOP")});
        if (process.waitForFinished(3000) && process.exitCode() == 0)
            desktop = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    }
    // Without a desktop folder of its own, xdg-user-dir answers the home folder.
    if (desktop.isEmpty() || !QDir::isAbsolutePath(desktop) || QDir(desktop) == QDir(home))
        desktop = home + "/Desktop";
    places.desktop = QDir::cleanPath(desktop);
    return places;
}

QString DesktopPlaces::iconFolder(const QString &context) const
{
    return dataHome + "/icons/hicolor/scalable/" + context;
}

QStringList DesktopPlaces::sendToFolders() const
{
    return {dataHome + "/nautilus/scripts", dataHome + "/nemo/scripts", configHome + "/caja/scripts",
            dataHome + "/kio/servicemenus"};
}

const std::vector<DocumentKind> &DocumentKinds()
{
    static const std::vector<DocumentKind> kinds = {
        {".hpe", "HpQuorvaneFile", " HPQuorvane", "HPQuorvane document", "document"},
        {".hpprj", "HPQuorvaneProject", "Archivo de Proyecto de HPQuorvane 5", "HPQuorvane 5 project", "project"},
        {".hpprg", "HPQuorvaneProgram", "Archivo de Programa de HPQuorvane 5", "HPQuorvane 5 program", "program"},
        {".hpdir", "HPQuorvaneDirectory", "Archivo de Directorio de HPQuorvane 5", "HPQuorvane 5 directory", "directory"},
        {".hplst", "HPQuorvaneList", "Archivo de Lista de HPQuorvane 5", "HPQuorvane 5 list", "list"},
        {".hpstr", "HPQuorvaneString", "Archivo de Texto de HPQuorvane 5", "HPQuorvane 5 string", "string"},
        {".hparr", "HPQuorvaneArray", "Archivo de Arreglo de HPQuorvane 5", "HPQuorvane 5 array", "array"},
        {".hpalg", "HPQuorvaneAlgebraic", "Archivo de Ecuación de HPQuorvane 5", "HPQuorvane 5 equation", "algebraic"},
        {".hpgrb", "HPQuorvaneGraphic", "Archivo de gráfico de HPQuorvane 5", "HPQuorvane 5 graphic", "graphic"},
        {".hpobj", "HPQuorvaneObject", "Archivo de Objeto de HPQuorvane 5", "HPQuorvane 5 object", "object"},
    };
    return kinds;
}

QString MimeTypeOf(const DocumentKind &kind)
{
    return QStringLiteral("application/x-hpquorvane-") + QLatin1String(kind.name);
}

QString MimeIconName(const DocumentKind &kind)
{
    return MimeTypeOf(kind).replace(u'/', u'-');
}

QByteArray MimePackageXml()
{
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n");
    for (const DocumentKind &kind : DocumentKinds()) {
        // The documents are text in the calculators' character set.
        xml += QStringLiteral("  <mime-type type=\"%1\">\n").arg(MimeTypeOf(kind));
        xml += QStringLiteral("    <comment>%1</comment>\n")
                   .arg(xmlEscaped(QString::fromUtf8(kind.description).trimmed()));
        xml += QStringLiteral("    <comment xml:lang=\"en\">%1</comment>\n")
                   .arg(xmlEscaped(QString::fromUtf8(kind.englishDescription)));
        xml += QStringLiteral("    <sub-class-of type=\"text/plain\"/>\n");
        xml += QStringLiteral("    <icon name=\"%1\"/>\n").arg(MimeIconName(kind));
        xml += QStringLiteral("    <glob pattern=\"*%1\"/>\n").arg(QLatin1String(kind.extension));
        xml += QStringLiteral("  </mime-type>\n");
    }
    xml += QStringLiteral("</mime-info>\n");
    return xml.toUtf8();
}

QString DesktopExecArgument(const QString &program)
{
    // Inside double quotes the Exec key escapes ", `, $ and \ with a
    // backslash; a literal percent sign is written twice. The whole value is
    // then escaped once more as every desktop entry value is.
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

QByteArray DesktopEntry(const QString &program, bool withMimeTypes, bool hidden)
{
    // A bare name is the program on the PATH (the entry of an install);
    // a path is this very program, which runs in its own folder.
    const bool onPath = !program.contains(u'/');
    const QString folder = onPath ? QString() : QFileInfo(program).absolutePath();
    const QString icon = folder + "/icons/" + AppIconName + ".svg";
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n"
                                  "Name=HPQuorvane 5\n"
                                  "GenericName=UserRPL Development Environment\n"
                                  "GenericName[es]=Entorno de desarrollo UserRPL\n"
                                  "Comment=Write, run and debug programs for the HP 48, 49 and 50 calculators\n"
                                  "Comment[es]=Escribe, ejecuta y depura programas para las calculadoras HP 48, 49 y 50\n");
    text += "Exec=" + entryValue(DesktopExecArgument(program)) + " %f\n";
    text += "TryExec=" + entryValue(program) + "\n";
    if (!onPath)
        text += "Path=" + entryValue(folder) + "\n";
    const bool ownIcon = !onPath && QFileInfo::exists(icon);
    text += "Icon=" + entryValue(ownIcon ? icon : QString::fromLatin1(AppIconName)) + "\n";
    text += QStringLiteral("Terminal=false\n"
                           "Categories=Development;IDE;\n"
                           "Keywords=HP48;HP49;HP50;UserRPL;RPL;calculator;\n");
    if (withMimeTypes) {
        QStringList types;
        for (const DocumentKind &kind : DocumentKinds())
            types << MimeTypeOf(kind);
        text += "MimeType=" + types.join(u';') + ";\n";
    }
    if (hidden)
        text += QStringLiteral("NoDisplay=true\n");
    return text.toUtf8();
}

QByteArray SendToScript(const QString &program)
{
    return ("#!/bin/sh\n"
            "# HPQuorvane 5: opens the selected file in the editor.\n"
            "exec " + shellQuoted(program) + " \"$@\"\n").toUtf8();
}

QByteArray DolphinServiceMenu(const QString &program)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Service\n"
                                  "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
                                  "MimeType=application/octet-stream;text/plain;\n"
                                  "Actions=openInQuorvane;\n"
                                  "\n"
                                  "[Desktop Action openInQuorvane]\n"
                                  "Name=HPQuorvane 5\n");
    text += "Icon=" + QString::fromLatin1(AppIconName) + "\n";
    text += "Exec=" + entryValue(DesktopExecArgument(program)) + " %f\n";
    return text.toUtf8();
}

bool AssociateFileTypes(const DesktopPlaces &places, const QString &program, const QString &iconSource)
{
    bool ok = writeFile(places.mimePackages() + "/" + MimePackageName, MimePackageXml());

    // Icons: one per document kind and the program's own, when shipped.
    const QString documentIcon = iconSource + "/document.svg";
    for (const DocumentKind &kind : DocumentKinds()) {
        const QString own = iconSource + "/" + QLatin1String(kind.name) + ".svg";
        const QString source = QFileInfo::exists(own) ? own : documentIcon;
        if (!QFileInfo::exists(source))
            continue;
        const QString target = places.iconFolder("mimetypes") + "/" + MimeIconName(kind) + ".svg";
        ok = QDir().mkpath(QFileInfo(target).absolutePath()) && CopyFileSafely(source, target) && ok;
    }
    const QString appIcon = iconSource + "/" + AppIconName + ".svg";
    if (QFileInfo::exists(appIcon)) {
        const QString target = places.iconFolder("apps") + "/" + AppIconName + ".svg";
        ok = QDir().mkpath(QFileInfo(target).absolutePath()) && CopyFileSafely(appIcon, target) && ok;
    }

    ok = writeFile(places.applications() + "/" + DocumentsEntryName, DesktopEntry(program, true, true)) && ok;

    runIfPresent(QStringLiteral("update-mime-database"), {places.dataHome + "/mime"});
    runIfPresent(QStringLiteral("update-desktop-database"), {places.applications()});
    return ok;
}

QString DesktopLauncherPath(const DesktopPlaces &places)
{
    return places.desktop + "/" + LauncherName;
}

QString MenuLauncherPath(const DesktopPlaces &places)
{
    return places.applications() + "/" + LauncherName;
}

QStringList SendToPaths(const DesktopPlaces &places)
{
    QStringList paths;
    const QStringList folders = places.sendToFolders();
    for (int i = 0; i < folders.size(); ++i)
        paths << folders.at(i) + "/" + (i == 3 ? QString::fromLatin1(LauncherName) : QString::fromLatin1(SendToScriptName));
    return paths;
}

void ApplyShortcuts(const DesktopPlaces &places, const ShortcutChoice &choice, const QString &program)
{
    // On and missing: made; on and present: left alone; off: deleted.
    // Returns whether the file came or went.
    const auto apply = [](bool on, const QString &path, const QByteArray &content, bool mayCreate) {
        if (!on)
            return QFile::remove(path);
        if (QFileInfo::exists(path) || !mayCreate)
            return false;
        return writeFile(path, content, true);
    };
    apply(choice.desktop, DesktopLauncherPath(places), DesktopEntry(program, false, false),
          QFileInfo(places.desktop).isDir());
    const QStringList folders = places.sendToFolders();
    const QStringList paths = SendToPaths(places);
    for (int i = 0; i < paths.size(); ++i) {
        // Only the file managers the user has get an entry; Dolphin's
        // folder may still be missing while Dolphin is installed.
        const bool present = QFileInfo(folders.at(i)).isDir()
            || (i == 3 && !QStandardPaths::findExecutable(QStringLiteral("dolphin")).isEmpty());
        apply(choice.sendTo, paths.at(i), i == 3 ? DolphinServiceMenu(program) : SendToScript(program), present);
    }
    if (apply(choice.applicationsMenu, MenuLauncherPath(places), DesktopEntry(program, false, false), true))
        runIfPresent(QStringLiteral("update-desktop-database"), {places.applications()});
}
