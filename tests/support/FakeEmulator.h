#pragma once

// A stand-in for the calculator library that records what the editor asks
// of it, in order, as readable lines:
//   "create <state file>", "create <state> port <port>", "stop", "destroy",
//   "line <text>" / "run <text>" for a command line loaded (with or without
//   the run flag), "load <file>" for any other object file, "save <file>",
//   "key <out>,<mask>" for each press, "pause <ms>" for the key thread's waits.

#include "emulator/EmulatorLibrary.h"
#include "emulator/KeyPressThread.h"
#include "formats/NibbleText.h"
#include "formats/ObjectFile.h"

#include <QFile>
#include <QMutex>
#include <QStringList>

#include <functional>

class FakeEmulator : public EmulatorLibrary
{
public:
    FakeEmulator()
    {
        instance() = this;
        SetEmulatorLibrary(this);
        TKeyPressThread::SetPause(&recordPause);
    }
    ~FakeEmulator() override
    {
        SetEmulatorLibrary(nullptr);
        TKeyPressThread::SetPause(nullptr);
        instance() = nullptr;
    }

    // What the calculator is.
    int32_t model = 'Q';
    bool createSucceeds = true;
    bool loadSucceeds = true; // false: every load is refused (recorded first)
    bool ready = true;
    // What a save writes (nibble text of an object); empty: the save fails.
    QByteArray savedObject;
    bool created = false;
    Emu48CloseProc closeProc = nullptr;
    Emu48DocumentNotifyProc documentProc = nullptr;

    QStringList log() const
    {
        QMutexLocker lock(&m_mutex);
        return m_log;
    }
    QStringList lines(const QString &prefix) const
    {
        QStringList out;
        for (const QString &entry : log())
            if (entry.startsWith(prefix))
                out << entry;
        return out;
    }
    void clearLog()
    {
        QMutexLocker lock(&m_mutex);
        m_log.clear();
    }
    void record(const QString &entry)
    {
        QMutexLocker lock(&m_mutex);
        m_log << entry;
    }
    int registerReads = 0;

    int32_t EmuCreate(const QByteArray &stateFile) override
    {
        record("create " + QString::fromUtf8(stateFile));
        created = createSucceeds;
        return createSucceeds ? 0 : 1;
    }
    int32_t EmuCreateEx(const QByteArray &stateFile, const QByteArray &portFile) override
    {
        record("create " + QString::fromUtf8(stateFile) + " port " + QString::fromUtf8(portFile));
        created = createSucceeds;
        return createSucceeds ? 0 : 1;
    }
    void EmuStop() override { record("stop"); }
    void EmuDestroy() override
    {
        record("destroy");
        created = false;
        closeProc = nullptr;
        documentProc = nullptr;
    }
    int32_t EmuLoadObject(const QByteArray &objectFile) override
    {
        if (!created)
            return 1;
        const QByteArray bytes = ReadFileBytes(QString::fromUtf8(objectFile));
        const QByteArray nibbles = ObjectFileNibbles(bytes);
        if (bytes.mid(6, 2) == "-C" && nibbles.startsWith("D9D20C2A20")) {
            const qint64 size = ReadNibbleField(nibbles, 10);
            const QByteArray text = NibbleTextToBytes(nibbles.mid(15, size - 5));
            // 25 + 2n nibbles (26 once packed) without the run call, 30 + 2n with it.
            const bool run = nibbles.size() - (size - 5) >= 30;
            record(QString(run ? "run " : "line ") + QString::fromLatin1(text));
        } else {
            record("load " + QString::fromUtf8(objectFile));
        }
        return loadSucceeds ? 0 : 1;
    }
    // Runs as a save begins (to look at the editor while it converts).
    std::function<void()> onSave;

    int32_t EmuSaveObject(const QByteArray &objectFile) override
    {
        record("save");
        if (onSave)
            onSave();
        if (!created || savedObject.isEmpty())
            return 1;
        return WriteFileBytes(MakeObjectFile(savedObject, model == 'G'), QString::fromUtf8(objectFile)) ? 0 : 1;
    }
    void EmuSimulateKey(int32_t pressed, int32_t outLine, int32_t inMask) override
    {
        if (pressed)
            record(QStringLiteral("key %1,%2").arg(outLine).arg(inMask));
    }
    uint32_t EmuGetRegister(int32_t registerNumber) override
    {
        ++registerReads;
        return created && ready && registerNumber == EMU48_READY_REGISTER ? EMU48_READY_BIT : 0;
    }
    int32_t EmuCalculatorType() override { return created ? model : 0; }
    void EmuCallBackClose(Emu48CloseProc proc) override { closeProc = proc; }
    void EmuCallBackDebugNotify(Emu48DebugNotifyProc proc) override
    {
        Q_ASSERT(proc == nullptr); // the editor never installs one
    }
    void EmuCallBackDocumentNotify(Emu48DocumentNotifyProc proc) override { documentProc = proc; }
    int32_t EmuSetMemoryBudget(int32_t mebibytes) override
    {
        memoryBudget = mebibytes;
        return mebibytes;
    }
    int32_t memoryBudget = 0; // MiB, as the editor last set it

    static FakeEmulator *&instance()
    {
        static FakeEmulator *current = nullptr;
        return current;
    }
    static void recordPause(int ms)
    {
        if (instance())
            instance()->record(QStringLiteral("pause %1").arg(ms));
    }

private:
    mutable QMutex m_mutex;
    QStringList m_log;
};
