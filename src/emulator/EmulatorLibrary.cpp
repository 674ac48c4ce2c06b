#include "emulator/EmulatorLibrary.h"

#include <atomic>

// Bound weakly: while the shared library is built without its calculator
// part, the editor still links and runs, and every creation fails as it does
// with a missing state file (the user sees the "cannot start" message).
#pragma weak EmuCreate
#pragma weak EmuCreateEx
#pragma weak EmuStop
#pragma weak EmuDestroy
#pragma weak EmuLoadObject
#pragma weak EmuSaveObject
#pragma weak EmuSimulateKey
#pragma weak EmuGetRegister
#pragma weak EmuCalculatorType
#pragma weak EmuCallBackClose
#pragma weak EmuCallBackDebugNotify
#pragma weak EmuCallBackDocumentNotify

namespace {

// Forwards to the shared library's C functions. Paths go over as the 8-bit
// strings the library expects (UTF-8 file names).
class RealEmulatorLibrary final : public EmulatorLibrary
{
public:
    int32_t EmuCreate(const QByteArray &stateFile) override { return ::EmuCreate ? ::EmuCreate(stateFile.constData()) : -1; }
    int32_t EmuCreateEx(const QByteArray &stateFile, const QByteArray &portFile) override
    {
        return ::EmuCreateEx ? ::EmuCreateEx(stateFile.constData(), portFile.constData()) : -1;
    }
    void EmuStop() override { if (::EmuStop) ::EmuStop(); }
    void EmuDestroy() override { if (::EmuDestroy) ::EmuDestroy(); }
    int32_t EmuLoadObject(const QByteArray &objectFile) override { return ::EmuLoadObject ? ::EmuLoadObject(objectFile.constData()) : -1; }
    int32_t EmuSaveObject(const QByteArray &objectFile) override { return ::EmuSaveObject ? ::EmuSaveObject(objectFile.constData()) : -1; }
    void EmuSimulateKey(int32_t pressed, int32_t outLine, int32_t inMask) override
    {
        if (::EmuSimulateKey)
            ::EmuSimulateKey(pressed, outLine, inMask);
    }
    uint32_t EmuGetRegister(int32_t registerNumber) override { return ::EmuGetRegister ? ::EmuGetRegister(registerNumber) : 0; }
    int32_t EmuCalculatorType() override { return ::EmuCalculatorType ? ::EmuCalculatorType() : 0; }
    void EmuCallBackClose(Emu48CloseProc proc) override { if (::EmuCallBackClose) ::EmuCallBackClose(proc); }
    void EmuCallBackDebugNotify(Emu48DebugNotifyProc proc) override { if (::EmuCallBackDebugNotify) ::EmuCallBackDebugNotify(proc); }
    void EmuCallBackDocumentNotify(Emu48DocumentNotifyProc proc) override { if (::EmuCallBackDocumentNotify) ::EmuCallBackDocumentNotify(proc); }
};

RealEmulatorLibrary g_real;
// Read by the key press thread too.
std::atomic<EmulatorLibrary *> g_library{nullptr};

} // namespace

EmulatorLibrary &Emu48()
{
    EmulatorLibrary *library = g_library.load();
    return library ? *library : g_real;
}

void SetEmulatorLibrary(EmulatorLibrary *library)
{
    g_library.store(library);
}
