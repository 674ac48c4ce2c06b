// qvcalc: the calculator window on its own, through the library's C
// functions, as the editor uses it.
//
//   qvcalc [--serial DEVICE | --serial-pty] [--service NAME] [--memory MB]
//          [STATEFILE [PORTFILE]]
//
// Without a state file it opens the user's own calculator,
// "$XDG_DATA_HOME/HPQuorvane/qvcalc 50G.e49", made from the "EMU/default
// 50G.e49" beside the program the first time: the shipped file is never
// written to, and each user keeps their own memory.
// Keys typed with -k after the state are sent before the window shows, e.g.
// -k "1 ENTER 2 +" (the names of the keys' unshifted functions).
//
// It serves its stack to kobrix as the local-socket service NAME ("Emu48"
// unless --service names another, so that two calculators can run side by
// side), and writes its memory back to the state file when its window
// closes or when it is told to stop (SIGTERM, SIGINT, SIGHUP).
//
// With --serial DEVICE it also runs the calculator's XModem server on that
// serial device (what right shift, right arrow starts on a 50g), and with
// --serial-pty on a pseudo-terminal whose name it prints: give that name to
// the editor as its port, and File > Send to calculator reaches this
// calculator without a cable.
//
// --memory MB sets the calculator's memory (256 MiB unless given): a program
// that grows past it stops with "Insufficient Memory".
#include "calc/api/CalcSession.h"
#include "calc/api/emu48dll.h"
#include "calc/machine/Machine.h"
#include "calc/service/LinkServer.h"
#include "calc/service/SaveStateOnExit.h"
#include "calc/service/ServiceFolder.h"
#include "calc/service/StackService.h"
#include "calc/service/StopSignals.h"
#include "calc/ui/CalculatorWindow.h"
#include "formats/SafeFile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

QPointer<Calc::CalculatorWindow> g_window;
bool g_ending = false;
int g_exitCode = 0;

void quitApp()
{
    if (g_ending)
        return;
    g_ending = true;
    EmuStop();
    EmuDestroy();
    QCoreApplication::quit();
}

// The user closed the window: keep the memory, or say why it cannot be kept
// and let the user choose.
void windowClosed()
{
    QString error;
    if (!g_ending && g_window && g_window->host()
        && !Calc::SaveStateOnExit(*g_window->host(), false, &error)) {
        const auto answer = QMessageBox::warning(
            nullptr, g_window->windowTitle(),
            QCoreApplication::translate("qvcalc", "The state cannot be saved.\n%1\n\nThe state file "
                                                  "is as it was. Close the calculator anyway?")
                .arg(error),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (g_ending)
            return;
        if (answer != QMessageBox::Yes) {
            // after the close that is still under way has hidden the window
            QTimer::singleShot(0, g_window, [] {
                g_window->show();
                g_window->raise();
            });
            return;
        }
    }
    quitApp();
}

void stopRequested()
{
    QString error;
    if (!g_ending && g_window && g_window->host()
        && !Calc::SaveStateOnExit(*g_window->host(), true, &error)) {
        std::fprintf(stderr, "qvcalc: the state cannot be saved (the state file is as it was): %s\n",
                     qPrintable(error));
        g_exitCode = 1;
    }
    quitApp();
}

} // namespace

namespace {

// The user's own calculator memory, copied from the shipped default when it
// does not exist yet; empty (and said why) when it cannot be made.
QString userStateFile()
{
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/HPQuorvane");
    const QString mine = folder + QStringLiteral("/qvcalc 50G.e49");
    if (QFileInfo::exists(mine))
        return mine;
    const QString shipped = QDir(QCoreApplication::applicationDirPath()).filePath("EMU/default 50G.e49");
    QString why;
    if (QDir().mkpath(folder) && CopyFileSafely(shipped, mine, &why))
        return mine;
    std::fprintf(stderr, "qvcalc: cannot make %s from %s: %s\n", qPrintable(mine), qPrintable(shipped),
                 qPrintable(why.isEmpty() ? QStringLiteral("the folder cannot be made") : why));
    return {};
}

} // namespace

int main(int argc, char **argv)
{
    // Past a file size limit a write is refused and reported, not fatal.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // it ends when its window closes (or it is told to stop), not when the
    // last message box does
    QApplication::setQuitOnLastWindowClosed(false);
    Calc::StopSignals stopSignals;
    QObject::connect(&stopSignals, &Calc::StopSignals::stopRequested, &app, stopRequested);
    QStringList args = app.arguments().mid(1);
    QString keys;
    const int k = static_cast<int>(args.indexOf("-k"));
    if (k >= 0 && k + 1 < args.size()) {
        keys = args.at(k + 1);
        args.remove(k, 2);
    }
    QString serviceName = QStringLiteral("Emu48");
    const int s = static_cast<int>(args.indexOf("--service"));
    if (s >= 0) {
        serviceName = args.value(s + 1);
        args.remove(s, qMin(2, static_cast<int>(args.size()) - s));
        if (!Calc::ServiceFolder::IsValidServiceName(serviceName)) {
            std::fprintf(stderr, "qvcalc: --service needs a name without \"/\" or \"..\"\n"
                                 "usage: qvcalc [--service NAME] [STATEFILE [PORTFILE]]\n");
            return 2;
        }
    }
    if (const int m = static_cast<int>(args.indexOf("--memory")); m >= 0) {
        bool ok = false;
        const int mb = args.value(m + 1).toInt(&ok);
        args.remove(m, qMin(2, static_cast<int>(args.size()) - m));
        if (!ok || mb < 1 || mb > 3072) {
            std::fprintf(stderr, "qvcalc: --memory takes a size in MiB from 1 to 3072\n");
            return 2;
        }
        EmuSetMemoryBudget(mb);
    }
    QString serialDevice;
    bool serialPty = false;
    if (const int p = static_cast<int>(args.indexOf("--serial-pty")); p >= 0) {
        serialPty = true;
        args.remove(p);
    }
    if (const int d = static_cast<int>(args.indexOf("--serial")); d >= 0) {
        serialDevice = args.value(d + 1);
        args.remove(d, qMin(2, static_cast<int>(args.size()) - d));
        if (serialDevice.isEmpty()) {
            std::fprintf(stderr, "qvcalc: --serial needs a device\n"
                                 "usage: qvcalc [--serial DEVICE | --serial-pty] [--service NAME] "
                                 "[STATEFILE [PORTFILE]]\n");
            return 2;
        }
    }
    QString state = args.value(0);
    if (state.isEmpty()) {
        state = userStateFile();
        if (state.isEmpty())
            return 1;
    }
    const QString port = args.value(1);
    const int rc = port.isEmpty() ? EmuCreate(state.toUtf8().constData())
                                  : EmuCreateEx(state.toUtf8().constData(), port.toUtf8().constData());
    if (rc != 0) {
        // Said in a box too: qvcalc is often started from a menu, with no
        // terminal to read. The file is left as it is.
        const QString why = Calc::LastCreateError();
        const QString text = why.isEmpty() ? QStringLiteral("The calculator cannot be started from %1.").arg(state)
                                           : QStringLiteral("The calculator cannot be started from %1: %2.")
                                                 .arg(state, why);
        std::fprintf(stderr, "qvcalc: %s\n", qPrintable(text));
        std::fflush(stderr);
        QMessageBox box(QMessageBox::Critical, QStringLiteral("qvcalc"), text, QMessageBox::Ok);
        box.exec();
        return 1;
    }
    EmuCallBackClose(windowClosed);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *calc = qobject_cast<Calc::CalculatorWindow *>(w);
        if (!calc)
            continue;
        g_window = calc;
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

    Calc::StackService service(
        [] { return g_window && g_window->host() ? g_window->host()->machine() : nullptr; });
    service.setCalculatorWindow(g_window);
    QObject::connect(&service, &Calc::StackService::refused, [](const QString &why) {
        std::fprintf(stderr, "qvcalc: refused: %s\n", qPrintable(why));
    });
    QString error;
    if (!service.start(serviceName, &error)) {
        std::fprintf(stderr, "qvcalc: %s\n", qPrintable(error));
        auto *box = new QMessageBox(QMessageBox::Information, g_window ? g_window->windowTitle() : "qvcalc",
                                    error, QMessageBox::Ok, g_window);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    }
    // The XModem server, on a thread of its own; its work on the calculator
    // waits until the calculator is idle, as the real server does.
    std::unique_ptr<Calc::FdLine> serialLine;
    std::unique_ptr<Calc::EngineLinkCalculator> linkCalculator;
    std::unique_ptr<Calc::LinkServer> linkServer;
    if (serialPty || !serialDevice.isEmpty()) {
        std::string name, why;
        const int fd = serialPty ? Calc::OpenPseudoTerminal(&name, &why)
                                 : Calc::OpenSerialDevice(serialDevice.toStdString(), 115200, &why);
        if (fd < 0) {
            std::fprintf(stderr, "qvcalc: %s\n", why.c_str());
            EmuStop();
            EmuDestroy();
            return 1;
        }
        serialLine = std::make_unique<Calc::FdLine>(fd);
        linkCalculator = std::make_unique<Calc::EngineLinkCalculator>(
            [](const std::function<bool(Calc::Engine &)> &task) {
                const auto machine = g_window && g_window->host() ? g_window->host()->machine() : nullptr;
                return machine && machine->runWhenIdle(task, 30000);
            });
        linkServer = std::make_unique<Calc::LinkServer>(*serialLine, *linkCalculator);
        linkServer->setLog([](const std::string &text) {
            std::fprintf(stderr, "qvcalc: link: %s\n", text.c_str());
        });
        linkServer->start();
        std::printf("qvcalc: XModem server on %s\n", serialPty ? name.c_str() : qPrintable(serialDevice));
        std::fflush(stdout);
    }
    const int code = app.exec();
    if (linkServer)
        linkServer->stop();
    service.stop();
    return code ? code : g_exitCode;
}
