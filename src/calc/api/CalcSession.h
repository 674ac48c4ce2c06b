#pragma once

#include "calc/machine/Machine.h"
#include "calc/ui/CalculatorWindow.h"

#include <QString>

#include <memory>
#include <mutex>
#include <string>

namespace Calc {

// Why the last EmuCreate or EmuCreateEx of this process failed (a state file
// cut short, a wrong check sum, not a state file at all...), in the words of
// the file reader; empty after one that succeeded. The C functions only give
// a number, and a person at the window should be told the reason.
__attribute__((visibility("default"))) QString LastCreateError();

// The one calculator the library keeps: its machine, the state file it came
// from (and goes back to), the port-1 card of a 48GX, and the notifications
// the owner asked for. The C functions of emu48dll.h are thin calls into it;
// the window uses it as its host.
class CalcSession : public CalculatorHost
{
public:
    CalcSession() = default;
    ~CalcSession() override;

    // Reads the state file (and the port file, for a 48GX; empty for none)
    // and starts the machine. Relative names are taken against the current
    // working directory. False with error when a file is missing or damaged.
    bool create(const QString &stateFile, const QString &portFile, QString *error);

    std::shared_ptr<Machine> machine() const override;
    QString stateFile() const override;
    QString portFile() const;
    char modelLetter() const;

    bool openStateFile(const QString &path, QString *error) override;
    bool saveState(QString *error) override;
    bool saveStateAs(const QString &path, QString *error) override;
    void windowClosed() override;

    // An object file onto stack level 1, and level 1 into an object file.
    // Both wait (up to limitMs) for the calculator to be idle.
    bool loadObject(const QString &path, int limitMs, QString *error = nullptr);
    bool saveObject(const QString &path, int limitMs, QString *error = nullptr);

    void stop();

    std::function<void()> onClose;
    std::function<void(const std::string &)> onDocument;
    std::function<void(int)> onHalt;

private:
    struct Loaded
    {
        std::shared_ptr<Machine> machine;
        QString statePath;
        QString portPath;
        std::string portBytes;
    };
    static bool read(const QString &statePath, const QString &portPath, Loaded &out,
                     QString *error);
    bool writeState(const QString &path, QString *error);
    void take(Loaded &&l);

    mutable std::mutex m_mx; // guards the pointer against the key thread
    std::shared_ptr<Machine> m_machine;
    QString m_statePath;
    QString m_portPath;
    std::string m_portBytes;
};

} // namespace Calc
