// qvcalc: the calculator window on its own, through the library's C
// functions, as the editor uses it.
//
//   qvcalc [STATEFILE [PORTFILE]]
//
// Without a state file it opens "EMU/default 50G.e49" beside the program.
// Keys typed with -k after the state are sent before the window shows, e.g.
// -k "1 ENTER 2 +" (the names of the keys' unshifted functions).
#include "calc/api/emu48dll.h"
#include "calc/ui/CalculatorWindow.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

namespace {

void quitApp()
{
    EmuStop();
    EmuDestroy();
    QCoreApplication::quit();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString keys;
    const int k = static_cast<int>(args.indexOf("-k"));
    if (k >= 0 && k + 1 < args.size()) {
        keys = args.at(k + 1);
        args.remove(k, 2);
    }
    const QString state = args.value(0, QDir(QCoreApplication::applicationDirPath()).filePath("EMU/default 50G.e49"));
    const QString port = args.value(1);
    const int rc = port.isEmpty() ? EmuCreate(state.toUtf8().constData())
                                  : EmuCreateEx(state.toUtf8().constData(), port.toUtf8().constData());
    if (rc != 0) {
        std::fprintf(stderr, "qvcalc: cannot start the calculator from %s\n", qPrintable(state));
        return 1;
    }
    EmuCallBackClose(quitApp);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *calc = qobject_cast<Calc::CalculatorWindow *>(w);
        if (!calc)
            continue;
        for (const QString &name : keys.split(' ', Qt::SkipEmptyParts)) {
            const auto machine = calc->face()->machine();
            for (const Calc::KeyDef &key : Calc::keyboardOf(machine->model()).keys) {
                const QString action = QString::fromLatin1(key.action.c_str());
                if (action == name || action == "#" + name || action == "=" + name) {
                    EmuSimulateKey(EMU48_KEY_PRESSED, key.out, 1 << key.bit);
                    EmuSimulateKey(EMU48_KEY_RELEASED, key.out, 1 << key.bit);
                    break;
                }
            }
        }
        calc->show();
        calc->raise();
    }
    return app.exec();
}
