#include "emulator/EmulatorLibrary.h"

#include <atomic>

namespace {

// Forwards to the shared library's C functions. Paths go over as the 8-bit
// strings the library expects (UTF-8 file names).
class RealEmulatorLibrary final : public EmulatorLibrary
{
public:
    int32_t EmuCreate(const QByteArray &stateFile) override { return ::EmuCreate(stateFile.constData()); }
    int32_t EmuCreateEx(const QByteArray &stateFile, const QByteArray &portFile) override
    {
        return ::EmuCreateEx(stateFile.constData(), portFile.constData());
    }
    void EmuStop() override { ::EmuStop(); }
    void EmuDestroy() override { ::EmuDestroy(); }
    int32_t EmuLoadObject(const QByteArray &objectFile) override { return ::EmuLoadObject(objectFile.constData()); }
    int32_t EmuSaveObject(const QByteArray &objectFile) override { return ::EmuSaveObject(objectFile.constData()); }
    void EmuSimulateKey(int32_t pressed, int32_t outLine, int32_t inMask) override
    {
        ::EmuSimulateKey(pressed, outLine, inMask);
    }
    uint32_t EmuGetRegister(int32_t registerNumber) override { return ::EmuGetRegister(registerNumber); }
    int32_t EmuCalculatorType() override { return ::EmuCalculatorType(); }
    void EmuCallBackClose(Emu48CloseProc proc) override { ::EmuCallBackClose(proc); }
    void EmuCallBackDebugNotify(Emu48DebugNotifyProc proc) override { ::EmuCallBackDebugNotify(proc); }
    void EmuCallBackDocumentNotify(Emu48DocumentNotifyProc proc) override { ::EmuCallBackDocumentNotify(proc); }
    int32_t EmuSetMemoryBudget(int32_t mebibytes) override { return ::EmuSetMemoryBudget(mebibytes); }
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
