#include "emulator/Emu48Proc.h"

#include "emulator/EmulatorLibrary.h"
#include "emulator/KeyPressThread.h"
#include "formats/NibbleText.h"
#include "formats/ObjectFile.h"
#include "formats/SafeFile.h"
#include "shell/AppDialogs.h"
#include "shell/Globals.h"
#include "shell/Language.h"
#include "shell/Settings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QWidget>

namespace {

EmulatorSessionState g_session;

// The text the calculator compiles: the header and the leading comments go,
// except that a header asking for a decimal comma (F(,)) or another angle
// unit stays in front, so that the calculator reads the text in those modes.
QByteArray CalculatorText(const QByteArray &text)
{
    // T(1) to T(3): the backslash codes are translated here, as a transfer
    // would; a header kept in front then says T(0).
    const QByteArray body = CalculatorCommandLine(text);
    const qsizetype at = text.indexOf("%%HP:");
    if (at < 0 || !text.left(at).trimmed().isEmpty())
        return body;
    const QByteArray header = text.mid(at, 19);
    if (!IsTransferHeader(header) ||
        (!header.contains("F(,)") && !header.contains("A(R)") && !header.contains("A(G)")))
        return body;
    QByteArray kept = header;
    const qsizetype t = kept.indexOf("T(");
    if (t >= 0 && t + 3 < kept.size())
        kept[t + 2] = '0';
    return kept + "\n" + body;
}

constexpr int ShortWaitMs = 3500;
constexpr int LongWaitMs = 10000;
constexpr int FirstPauseMs = 100;
constexpr int AfterCompileMs = 1200;

// Busy cursor for as long as a wait runs; waits nest.
class BusyCursor
{
public:
    BusyCursor()
        : m_set(qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr)
    {
        if (m_set)
            QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~BusyCursor()
    {
        if (m_set)
            QApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    bool m_set;
};

// Paint events, timers and the library's own window events go on; the user's
// clicks and keys wait until the command is over.
void keepPainting()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool readyBit()
{
    return (Emu48().EmuGetRegister(EMU48_READY_REGISTER) & EMU48_READY_BIT) != 0;
}

// Polls the ready bit until it is set or limit ms have passed; a calculator
// closed meanwhile ends the wait. A millisecond's sleep between polls leaves
// the processor to the calculator's own thread.
bool pollReady(int limit)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (readyBit())
            return true;
        if (!g_session.EmulatorRunning || clock.elapsed() > limit)
            return false;
        keepPainting();
        QThread::msleep(1);
    }
}

QByteArray crLfLines(const QList<QByteArray> &lines)
{
    QByteArray out;
    for (const QByteArray &line : lines)
        out += line + "\r\n";
    return out;
}

} // namespace

EmulatorSessionState &EmuSession()
{
    return g_session;
}

void ResetEmulatorSession()
{
    g_session = EmulatorSessionState();
}

QString CurrentTempObjectFile()
{
    return g_session.TempObject.isEmpty() ? TempObjectFile() : g_session.TempObject;
}

bool StartEmulator()
{
    const EnvironmentSettings &env = Settings().environment;
    QString state;
    QString port;
    if (env.DefaultEmulator) {
        state = env.Emu48RamFilename;
        port = env.Emu48PortFilename;
        g_session.ObjectSignature = "HPHP48";
    } else {
        state = env.Emu49RamFilename;
        g_session.ObjectSignature = "HPHP49";
    }
    if (!g_session.EmulatorRunning)
        CreateEmulator(state, port);
    return g_session.EmulatorRunning;
}

void CreateEmulator(const QString &stateFile, const QString &portFile)
{
    g_session.StateFile = stateFile;
    g_session.PortFile = portFile;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(AppFolder() + "EMU");
    Emu48().EmuSetMemoryBudget(Settings().environment.CalculatorMemory);
    const int32_t result = portFile.isEmpty()
                               ? Emu48().EmuCreate(QFile::encodeName(stateFile))
                               : Emu48().EmuCreateEx(QFile::encodeName(stateFile), QFile::encodeName(portFile));
    g_session.EmulatorRunning = result == 0;
    ShowEmulatorWindow(false);
    if (QWidget *window = AppWindow()) {
        window->raise();
        window->activateWindow();
    }
    QDir::setCurrent(previous);
    if (g_session.EmulatorRunning) {
        Emu48().EmuCallBackClose(&EmuCloseProc);
        Emu48().EmuCallBackDebugNotify(nullptr);
        Emu48().EmuCallBackDocumentNotify(&EmuDocumentProc);
    } else {
        ShowAppMessage(Message(MsgEmulatorStartFailed), QMessageBox::Critical);
    }
}

void ShowEmulatorWindow(bool show)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() != QLatin1String("QEmu48"))
            continue;
        if (show) {
            window->setWindowState(window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
            window->show();
            window->raise();
            window->activateWindow();
        } else {
            window->hide();
        }
        return;
    }
}

bool WaitReadyShort()
{
    BusyCursor busy;
    return pollReady(ShortWaitMs);
}

void WaitEmulatorReady()
{
    BusyCursor busy;
    PaintedSleep(FirstPauseMs);
    pollReady(LongWaitMs);
    WaitReadyShort();
}

void PaintedSleep(int milliseconds)
{
    BusyCursor busy;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        keepPainting();
        QThread::msleep(ulong(qBound(qint64(1), qint64(milliseconds) - clock.elapsed(), qint64(10))));
    }
}

void RestartEmulator()
{
    if (!g_session.EmulatorRunning)
        return;
    CloseEmulator();
    StartEmulator();
}

void CloseEmulator()
{
    Emu48().EmuStop();
    Emu48().EmuDestroy();
    g_session.EmulatorRunning = false;
}

char CalculatorFamily()
{
    const char model = char(Emu48().EmuCalculatorType() & 0xFF);
    switch (model) {
    case '2':
    case 'P':
    case 'Q':
    case 'X':
        return 'X';
    default:
        return model;
    }
}

void DeleteTempObject()
{
    QString path = CurrentTempObjectFile();
    if (QFileInfo::exists(path) && !QFile::remove(path)) {
        path += '0';
        g_session.TempObject = path;
    }
}

void EmuCloseProc()
{
    g_session.EmulatorRunning = false;
    Emu48().EmuStop();
    Emu48().EmuDestroy();
}

void EmuDocumentProc(const char *stateFile)
{
    const QString path = QFile::decodeName(stateFile);
    const char family = CalculatorFamily();
    g_session.StateFile = path;
    EnvironmentSettings &env = Settings().environment;
    env.DefaultEmulator = family == 'G';
    QString &setting = env.DefaultEmulator ? env.Emu48RamFilename : env.Emu49RamFilename;
    const QString known = QFileInfo(setting).absoluteFilePath();
    const QString now = QFileInfo(path).absoluteFilePath();
    if (known.compare(now, Qt::CaseInsensitive) == 0)
        return;
    if (ShowAppMessage(FormatText(Message(MsgUseLoadedStateFile), {path}), QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes)
        setting = path;
}

// ---------------------------------------------------------------- sending

QByteArray CommandLineNibbles(const QByteArray &text, bool run, const QByteArray &signature)
{
    return CommandLineWrapper(text, run, signature == "HPHP48");
}

QByteArray CommandLineObjectFile(const QByteArray &text, bool run, const QByteArray &signature)
{
    return signature + "-C" + NibbleTextToBytes(CommandLineNibbles(text, run, signature));
}

QByteArray EvaluationKeys(const QByteArray &signature, int32_t calculatorType)
{
    if (signature == "HPHP48")
        return "O";
    const char model = char(calculatorType & 0xFF);
    if (model == '2' || model == 'Q')
        return "N";
    return QByteArray("\x13P");
}

bool FitsCommandLine(const QByteArray &text)
{
    // The wrapper holds the text as one string, whose size field has five
    // hexadecimal digits.
    if (text.size() <= MaxStringBytes)
        return true;
    g_session.SendFailure = FormatText(LanguageText("MainProgram", "CommandLineTooLarge"),
                                       {QString::number(text.size()), QString::number(MaxStringBytes)});
    return false;
}

bool SendCommandLine(const QByteArray &text, bool run)
{
    g_session.SendFailure.clear();
    if (g_session.EmulatorBusy)
        return false;
    if (!FitsCommandLine(text))
        return false;
    DeleteTempObject();
    g_session.EmulatorBusy = true;
    if (!StartEmulator()) {
        g_session.EmulatorBusy = false;
        return false;
    }
    WaitEmulatorReady();
    const QString temp = CurrentTempObjectFile();
    QString error;
    if (!WriteFileBytes(CommandLineObjectFile(text, run, g_session.ObjectSignature), temp, &error)) {
        g_session.SendFailure = FormatText(LanguageText("MainProgram", "SendFileFailure"), {temp, error});
        g_session.EmulatorBusy = false;
        return false;
    }
    if (!LoadObjectFile(temp)) {
        // Typing the evaluation key now would run whatever the stack holds.
        g_session.SendFailure = LanguageText("MainProgram", "SendLoadRefused");
        QFile::remove(temp);
        g_session.EmulatorBusy = false;
        return false;
    }
    WaitReadyShort();
    PressKeys(EvaluationKeys(g_session.ObjectSignature, Emu48().EmuCalculatorType()));
    WaitReadyShort();
    QFile::remove(temp);
    g_session.EmulatorBusy = false;
    return true;
}

bool LoadObjectFile(const QString &path)
{
    Emu48().EmuCallBackDebugNotify(nullptr);
    WaitEmulatorReady();
    const int32_t result = Emu48().EmuLoadObject(QFile::encodeName(path));
    Emu48().EmuCallBackDebugNotify(nullptr);
    return result == 0;
}

bool SaveObjectFile(const QString &path)
{
    Emu48().EmuCallBackDebugNotify(nullptr);
    WaitEmulatorReady();
    const int32_t result = Emu48().EmuSaveObject(QFile::encodeName(path));
    Emu48().EmuCallBackDebugNotify(nullptr);
    return result == 0;
}

QByteArray StoreText(const QByteArray &documentText, const Directives &directives, bool forStep)
{
    QByteArray text = crLfLines(SplitLines(documentText));
    const QByteArray &dir = directives.ObjectDirectory;
    const QByteArray &name = directives.ObjectName;
    // The name part always starts with a blank: the calculator reads
    // "END'NAME'" as one word and would refuse the whole command line.
    const QByteArray blank = forStep ? " " : "";
    if (!dir.isEmpty())
        text += blank + "IF PATH REVLIST HEAD '" + dir + "' SAME NOT THEN IF 15 TVARS '" + dir
                + "' POS NOT THEN '" + dir + "' CRDIR END " + dir + " END";
    if (!name.isEmpty())
        text += (forStep || !dir.isEmpty() ? " " : "") + QByteArray("'") + name + "' IFERR STO THEN END";
    return CalculatorText(text);
}

QByteArray InsertBreakpoint(const QByteArray &text, int breakpointLine)
{
    if (breakpointLine <= 0)
        return text;
    QList<QByteArray> lines = SplitLines(text);
    if (breakpointLine > lines.size())
        return text; // the mark lies past the text: nothing to halt at
    QByteArray &line = lines[breakpointLine - 1];
    const qsizetype open = line.indexOf(char(0xAB));
    if (open >= 0)
        line.insert(open + 1, " HALT ");
    else
        line.prepend("HALT ");
    return crLfLines(lines);
}

namespace {

// A send that failed because no calculator could be made ends a run: every
// later send would only try again and repeat the same error message.
// What the bridge types and sends into the calculator. Keys are characters
// of the key maps (KeyPressThread.h).
constexpr char RunAndDebugMenu[] = "41.01 TMENU"; // the soft menu of HALT, SST, KILL
constexpr char SingleStepKey[] = "A";             // its first soft key: SST
constexpr char DropKey[] = "\x02";                // backspace: drops level 1
constexpr char ToStringCommand[] = "\x8DSTR";     // →STR

bool sendOrGiveUp(const QByteArray &text, bool run)
{
    return SendCommandLine(text, run) || (g_session.EmulatorRunning && g_session.SendFailure.isEmpty());
}

} // namespace

bool RunProgram(const QByteArray &documentText, const QByteArray &parameters, int breakpointLine)
{
    g_session.SendFailure.clear();
    // Nothing is sent (not even the debug menu) for a program that cannot go.
    if (!FitsCommandLine(CalculatorText(documentText)))
        return false;
    // Translated first, so that the HALT finds the « of its line.
    QByteArray text = TranslateForTransfer(documentText);
    if (breakpointLine != 0) {
        text = InsertBreakpoint(text, breakpointLine);
        if (!sendOrGiveUp(RunAndDebugMenu, true))
            return g_session.SendFailure.isEmpty();
        WaitEmulatorReady();
    }
    if (!parameters.isEmpty()) {
        if (!sendOrGiveUp(parameters, true))
            return g_session.SendFailure.isEmpty();
        WaitEmulatorReady();
    }
    if (!sendOrGiveUp(CalculatorText(text), true))
        return g_session.SendFailure.isEmpty();
    ShowEmulatorWindow(true);
    return true;
}

bool StepProgram(const QByteArray &documentText, const QByteArray &parameters)
{
    g_session.SendFailure.clear();
    if (!FitsCommandLine(CalculatorText(documentText)))
        return false;
    if (!sendOrGiveUp(RunAndDebugMenu, true))
        return g_session.SendFailure.isEmpty();
    WaitEmulatorReady();
    if (!parameters.isEmpty()) {
        if (!sendOrGiveUp(parameters, true))
            return g_session.SendFailure.isEmpty();
        WaitEmulatorReady();
    }
    if (!sendOrGiveUp(CalculatorText(documentText), false))
        return g_session.SendFailure.isEmpty();
    WaitEmulatorReady();
    PaintedSleep(AfterCompileMs);
    PressKeys(SingleStepKey);
    ShowEmulatorWindow(true);
    return true;
}

bool TextToObjectFile(const QString &target, const QByteArray &text)
{
    DeleteTempObject();
    if (!SendCommandLine(CalculatorText(text), false))
        return false;
    PaintedSleep(AfterCompileMs);
    WaitEmulatorReady();
    const QString temp = CurrentTempObjectFile();
    bool result = false;
    // The object replaces the target only once it is whole: a failed
    // conversion never deletes the file that was there.
    if (SaveObjectFile(temp)) {
        result = CopyFileSafely(temp, target);
        QFile::remove(temp);
    }
    WaitEmulatorReady();
    PressKeys(DropKey);
    return result;
}

QByteArray ObjectFileToText(const QString &source)
{
    DeleteTempObject();
    if (!StartEmulator())
        return {};
    WaitEmulatorReady();
    if (!LoadObjectFile(source))
        return {};
    WaitEmulatorReady();
    if (!SendCommandLine(ToStringCommand, true))
        return {};
    PaintedSleep(AfterCompileMs);
    WaitEmulatorReady();
    const QString temp = CurrentTempObjectFile();
    if (!SaveObjectFile(temp))
        return {};
    PressKeys(DropKey);
    const QByteArray text = ReadStringObjectFile(temp, Settings().editor.MarginSize);
    QFile::remove(temp);
    return text;
}
