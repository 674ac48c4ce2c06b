// The twelve C functions over one process-wide calculator session.
#include "calc/api/emu48dll.h"

#include "calc/api/CalcSession.h"
#include "calc/ui/CalculatorWindow.h"

#include <QApplication>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>

using namespace Calc;

namespace {

struct Library
{
    std::mutex mx; // guards session against the key thread's calls
    std::shared_ptr<CalcSession> session;
    QPointer<CalculatorWindow> window;
    std::atomic<Emu48CloseProc> close{nullptr};
    std::atomic<Emu48DebugNotifyProc> debug{nullptr};
    std::atomic<Emu48DocumentNotifyProc> document{nullptr};
};

Library &lib()
{
    static Library l;
    return l;
}

std::shared_ptr<CalcSession> session()
{
    std::lock_guard lk(lib().mx);
    return lib().session;
}

std::shared_ptr<Machine> machine()
{
    const auto s = session();
    return s ? s->machine() : nullptr;
}

bool haveWidgets()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr
           && QThread::currentThread() == QCoreApplication::instance()->thread();
}

QString &lastCreateError()
{
    static QString error;
    return error;
}

int32_t create(const char *stateFile, const char *portFile)
{
    if (session() || !stateFile)
        return 1;
    auto s = std::make_shared<CalcSession>();
    QString error;
    const QString port = portFile ? QString::fromUtf8(portFile) : QString();
    if (!s->create(QString::fromUtf8(stateFile), port, &error)) {
        lastCreateError() = error;
        return 2;
    }
    lastCreateError().clear();
    s->onClose = [] {
        if (Emu48CloseProc p = lib().close.load())
            p();
    };
    s->onDocument = [](const std::string &path) {
        if (Emu48DocumentNotifyProc p = lib().document.load())
            p(path.c_str());
    };
    s->onHalt = [](int reason) {
        if (Emu48DebugNotifyProc p = lib().debug.load())
            p(reason);
    };
    {
        std::lock_guard lk(lib().mx);
        lib().session = s;
    }
    if (haveWidgets()) {
        auto *w = new CalculatorWindow(*s);
        w->hide();
        lib().window = w;
    }
    return 0;
}

} // namespace

QString Calc::LastCreateError()
{
    return lastCreateError();
}

extern "C" {

EMU48_API int32_t EmuSetMemoryBudget(int32_t mebibytes)
{
    const int32_t mib = std::clamp<int32_t>(mebibytes, 1, 3072);
    Calc::setMemoryBudget(static_cast<size_t>(mib) << 20);
    return mib;
}

EMU48_API int32_t EmuCreate(const char *stateFile)
{
    return create(stateFile, nullptr);
}

EMU48_API int32_t EmuCreateEx(const char *stateFile, const char *portFile)
{
    return create(stateFile, portFile);
}

EMU48_API void EmuStop(void)
{
    if (const auto s = session())
        s->stop();
}

EMU48_API void EmuDestroy(void)
{
    std::shared_ptr<CalcSession> s;
    {
        std::lock_guard lk(lib().mx);
        s = std::move(lib().session);
    }
    if (CalculatorWindow *w = lib().window) {
        lib().window = nullptr;
        w->detach();
        w->hide();
        // may be inside the window's own close handling: let it finish first
        w->deleteLater();
    }
    if (s)
        s->stop();
    lib().close = nullptr;
    lib().debug = nullptr;
    lib().document = nullptr;
}

EMU48_API int32_t EmuLoadObject(const char *objectFile)
{
    const auto s = session();
    if (!s || !objectFile)
        return 1;
    return s->loadObject(QString::fromUtf8(objectFile), 5000) ? 0 : 2;
}

EMU48_API int32_t EmuSaveObject(const char *objectFile)
{
    const auto s = session();
    if (!s || !objectFile)
        return 1;
    return s->saveObject(QString::fromUtf8(objectFile), 5000) ? 0 : 2;
}

EMU48_API void EmuSimulateKey(int32_t pressed, int32_t outLine, int32_t inMask)
{
    const auto m = machine();
    if (!m)
        return;
    if (pressed)
        m->pressKey(outLine, inMask);
    else
        m->releaseKey(outLine, inMask);
}

EMU48_API uint32_t EmuGetRegister(int32_t registerNumber)
{
    if (registerNumber != EMU48_READY_REGISTER)
        return 0;
    const auto m = machine();
    return m && m->isReady() ? EMU48_READY_BIT : 0;
}

EMU48_API int32_t EmuCalculatorType(void)
{
    const auto m = machine();
    return m ? m->letter() : 0;
}

EMU48_API void EmuCallBackClose(Emu48CloseProc proc)
{
    lib().close = proc;
}

EMU48_API void EmuCallBackDebugNotify(Emu48DebugNotifyProc proc)
{
    lib().debug = proc;
}

EMU48_API void EmuCallBackDocumentNotify(Emu48DocumentNotifyProc proc)
{
    lib().document = proc;
}

} // extern "C"
