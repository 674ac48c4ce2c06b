#include "shell/Globals.h"

#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QPointer>
#include <QWidget>

namespace {

QString g_appFolder;
QString g_messages[MessageCount + 1];
QString g_labels[LabelCount + 1];
const QString g_empty;
QPointer<QWidget> g_appWindow;

QString withTrailingSlash(const QString &folder)
{
    return folder.endsWith('/') ? folder : folder + '/';
}

} // namespace

QString LanguageFilePath;

QString AppFolder()
{
    if (g_appFolder.isEmpty())
        g_appFolder = withTrailingSlash(QCoreApplication::applicationDirPath());
    return g_appFolder;
}

void SetAppFolder(const QString &folder)
{
    g_appFolder = withTrailingSlash(folder);
}

QString TempObjectFile()
{
    return QDir::tempPath() + "/QVTEMP.TMP";
}

const QString &Message(int n)
{
    return n >= 1 && n <= MessageCount ? g_messages[n] : g_empty;
}

const QString &Label(int n)
{
    return n >= 1 && n <= LabelCount ? g_labels[n] : g_empty;
}

void SetMessage(int n, const QString &text)
{
    if (n >= 1 && n <= MessageCount)
        g_messages[n] = text;
}

void SetLabel(int n, const QString &text)
{
    if (n >= 1 && n <= LabelCount)
        g_labels[n] = text;
}

void ClearMessagesAndLabels()
{
    for (auto &m : g_messages)
        m.clear();
    for (auto &l : g_labels)
        l.clear();
}

QString FormatText(const QString &pattern, std::initializer_list<QVariant> args)
{
    QString out;
    out.reserve(pattern.size() + 16);
    auto arg = args.begin();
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        const QChar d = pattern[i + 1];
        if (d == '%') {
            out += '%';
            ++i;
        } else if ((d == 's' || d == 'd') && arg != args.end()) {
            out += d == 'd' ? QString::number(arg->toLongLong()) : arg->toString();
            ++arg;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QWidget *AppWindow()
{
    return g_appWindow;
}

void SetAppWindow(QWidget *window)
{
    g_appWindow = window;
}

void InstallFontSubstitutions()
{
    const QString mono = QStringLiteral("DejaVu Sans Mono");
    const QString sans = QStringLiteral("DejaVu Sans");
    for (const char *name : {"_CAS_HP48x-49x-50x_01", "_CAS_HP48x-49x-50x_8x7pxl-f01", "HP48"})
        QFont::insertSubstitution(QString::fromLatin1(name), mono);
    for (const char *name : {"Tahoma", "Small Fonts", "Symbol", "Arial", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(name), sans);
}
