#pragma once

#include "formats/HPUtils.h"

#include <QByteArray>
#include <QString>

// The emulator session: at most one calculator for the editor's whole run,
// created the first time a command needs it, and everything that travels
// into and out of it. Process-wide state, used from the user-interface
// thread only (the key press thread reads the model, nothing else).

struct EmulatorSessionState
{
    bool EmulatorRunning = false; // created, and not closed since
    bool EmulatorBusy = false;    // a command line is being sent
    QByteArray ObjectSignature = "HPHP49";
    QString StateFile;
    QString PortFile;
    // The scratch object file; grows by "0" when the old one cannot be
    // deleted (DeleteTempObject). Empty: TempObjectFile() of the globals.
    QString TempObject;
    // Why the last command line did not reach the calculator although one
    // runs (too large, the scratch file, the load refused); empty otherwise.
    QString SendFailure;
};

EmulatorSessionState &EmuSession();
// Forgets the session (tests); the calculator itself is not touched.
void ResetEmulatorSession();
// The scratch object file in use now.
QString CurrentTempObjectFile();

// Chooses the files and the object signature from the settings, creates the
// calculator when none runs, and returns whether one runs now.
bool StartEmulator();
// Creates the calculator (relative names resolve in AppFolder + "EMU"; the
// working folder is the same afterwards). A failure shows Message12.
void CreateEmulator(const QString &stateFile, const QString &portFile);
// Shows (normal state, on top) or hides the calculator's window "QEmu48".
void ShowEmulatorWindow(bool show);
// The two waits for the calculator's ready bit: WaitReadyShort gives up
// after 3.5 s; WaitEmulatorReady waits 100 ms, then up to 10 s, then a short
// wait. A time-out is silent and the caller goes on. The window keeps
// painting and shows a busy cursor meanwhile; the user's input waits. A
// calculator closed during a wait ends it at once.
void WaitEmulatorReady();
bool WaitReadyShort();
// Sleeps on the user-interface thread with the window still painting.
void PaintedSleep(int milliseconds);
// After the environment options: a running calculator is made again from the
// settings as they are now.
void RestartEmulator();
// Stops and destroys the calculator, and the session knows it is no longer
// running; harmless when none was made.
void CloseEmulator();
// 'G' for the 48 series, 'X' for the whole 49 family, else the raw letter.
char CalculatorFamily();
void DeleteTempObject();

// The notifications given to the library.
void EmuCloseProc();
void EmuDocumentProc(const char *stateFile);

// ---------------------------------------------------------------- sending

// The nibbles of the small program that makes the calculator take text as
// a command line: program prolog, the text as a string, the compile call,
// the run call when run is set, end marker.
QByteArray CommandLineNibbles(const QByteArray &text, bool run, const QByteArray &signature);
// The whole object file: signature, "-C", the packed nibbles.
QByteArray CommandLineObjectFile(const QByteArray &text, bool run, const QByteArray &signature);
// What to type after loading an object so that the calculator evaluates it.
QByteArray EvaluationKeys(const QByteArray &signature, int32_t calculatorType);

// Wraps text as a command line, loads it into the calculator and evaluates
// it. False when a send is under way, no calculator can be made, or the text
// never reached it (EmuSession().SendFailure says why; nothing is typed then,
// so no unrelated calculator error follows).
bool SendCommandLine(const QByteArray &text, bool run);
// True when text fits the command-line wrapper; else false with
// EmuSession().SendFailure saying so.
bool FitsCommandLine(const QByteArray &text);
bool LoadObjectFile(const QString &path);
bool SaveObjectFile(const QString &path);

// The document's text followed by the commands that enter (or create) the
// directory and store the object under its name, stripped of the transfer
// header, leading comments and CRs. forStep puts a blank before each part.
QByteArray StoreText(const QByteArray &documentText, const Directives &directives, bool forStep = false);
// The text with HALT written into its 1-based line breakpointLine (0: none).
QByteArray InsertBreakpoint(const QByteArray &text, int breakpointLine);

// Runs a program: the debug menu first when a breakpoint is set, then the
// parameters, then the program with its HALT. When no calculator can be made
// the first send reports it and the rest are not tried; false when a text
// did not reach the calculator (EmuSession().SendFailure).
bool RunProgram(const QByteArray &documentText, const QByteArray &parameters, int breakpointLine);
// Starts a program under the calculator's single-step debugger; false as
// RunProgram.
bool StepProgram(const QByteArray &documentText, const QByteArray &parameters);
// Has the calculator turn text into an object and writes it to target.
bool TextToObjectFile(const QString &target, const QByteArray &text);
// Has the calculator turn an object file into its text; empty on failure.
QByteArray ObjectFileToText(const QString &source);
