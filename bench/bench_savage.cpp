// The Savage benchmark on the calculator: 2500 rounds of 1 + √ SQ LN EXP
// ATAN TAN in radians, a classic test of speed and of the accuracy of the
// transcendental functions (a perfect machine ends at exactly 2500).
// Prints figures; run by hand: build/bin/bench_savage [repeats]
#include "calc/core/Engine.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

using namespace Calc;

namespace {

// CPU time of this thread: steadier than wall time on a shared machine.
double cpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

const char *const Savage = "\xAB RAD 0 1 2500 START 1 + \x83 SQ LN EXP ATAN TAN NEXT \xBB";

} // namespace

int main(int argc, char **argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    Engine e(Model::HP50G);
    if (e.enter(Savage) != Engine::Status::Done) {
        std::printf("compile failed: %s\n", e.lastError().message.c_str());
        return 1;
    }
    const Value prog = e.stack().back();
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        e.stack().clear();
        const double t0 = cpuMs();
        const Engine::Status s = e.evaluate(prog);
        times.push_back(cpuMs() - t0);
        if (s != Engine::Status::Done) {
            std::printf("run failed: %s\n", e.lastError().message.c_str());
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("Savage (2500 rounds)         best %8.3f ms   median %8.3f ms   -> %s"
                "   (the HP 50g: about 65 s)\n",
                times.front(),
                times[times.size() / 2],
                e.toText(e.stack().back()).c_str());
    return 0;
}
