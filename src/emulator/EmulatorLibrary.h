#pragma once

#include "calc/api/emu48dll.h"

#include <QByteArray>

#include <cstdint>

// The calculator library's twelve functions behind one interface, so that the
// editor's bridge is written once against the library and tests can put a
// fake in its place (key timing, a calculator that never gets ready). The
// real binding forwards each call to the C function of the same name.
class EmulatorLibrary
{
public:
    virtual ~EmulatorLibrary() = default;

    virtual int32_t EmuCreate(const QByteArray &stateFile) = 0;
    virtual int32_t EmuCreateEx(const QByteArray &stateFile, const QByteArray &portFile) = 0;
    virtual void EmuStop() = 0;
    virtual void EmuDestroy() = 0;
    virtual int32_t EmuLoadObject(const QByteArray &objectFile) = 0;
    virtual int32_t EmuSaveObject(const QByteArray &objectFile) = 0;
    virtual void EmuSimulateKey(int32_t pressed, int32_t outLine, int32_t inMask) = 0;
    virtual uint32_t EmuGetRegister(int32_t registerNumber) = 0;
    virtual int32_t EmuCalculatorType() = 0;
    virtual void EmuCallBackClose(Emu48CloseProc proc) = 0;
    virtual void EmuCallBackDebugNotify(Emu48DebugNotifyProc proc) = 0;
    virtual void EmuCallBackDocumentNotify(Emu48DocumentNotifyProc proc) = 0;
    // The library's own, beyond the twelve; a fake keeps no budget.
    virtual int32_t EmuSetMemoryBudget(int32_t mebibytes) { return mebibytes; }
};

// The library in force: the real one unless a test installed another.
EmulatorLibrary &Emu48();
// Installs library (nullptr: back to the real one). The caller keeps it alive
// while it is installed.
void SetEmulatorLibrary(EmulatorLibrary *library);
