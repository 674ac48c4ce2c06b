#include "calc/service/SaveStateOnExit.h"

#include "calc/machine/Keyboard.h"
#include "calc/machine/Machine.h"
#include "calc/ui/CalculatorWindow.h"

namespace Calc {

bool SaveStateOnExit(CalculatorHost &host, bool interruptProgram, QString *error)
{
    const std::shared_ptr<Machine> m = host.machine();
    if (interruptProgram && m && !m->waitReady(1000)) {
        for (const KeyDef &k : keyboardOf(m->model()).keys) {
            if (k.label == "ON") {
                m->pressKey(k.out, 1 << k.bit);
                m->releaseKey(k.out, 1 << k.bit);
                break;
            }
        }
        m->waitReady(2000);
    }
    return host.saveState(error);
}

} // namespace Calc
