// Speed of the calculator on classic UserRPL programs, and on programs that
// build data (lists and strings one element at a time, list arithmetic).
// Prints figures; run by hand: build/bin/bench_rpl [repeats]
#include "calc/core/Engine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>
#include <vector>

using namespace Calc;

// Counts heap allocations of the whole process (the library's included), to
// show what a run allocates.
static std::atomic<long> g_allocations{0};

void *operator new(size_t n)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void *p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, size_t) noexcept
{
    std::free(p);
}

namespace {

// CPU time of this thread: steadier than wall time on a shared machine.
double cpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The classic N-Queens benchmark: backtracking over an 8-element list, with
// the step count S; leaves the solution and S.
const char *const NQueens = "\xAB 8 0 0 0 { } \x8D R S X Y A\n"
                            "  \xAB 1 R START 0 NEXT R \x8DLIST 'A' STO\n"
                            "    DO\n"
                            "      'A' 'X' INCR R PUT\n"
                            "      DO\n"
                            "        'S' INCR DROP\n"
                            "        X 'Y' STO\n"
                            "        WHILE Y 1 > REPEAT\n"
                            "          A X GET A 'Y' DECR GET - \n"
                            "          IF DUP 0 == SWAP ABS X Y - == OR THEN\n"
                            "            0 'Y' STO\n"
                            "            'A' X A X GET 1 - PUT\n"
                            "            WHILE A X GET 0 == REPEAT\n"
                            "              'A' 'X' DECR A X GET 1 - PUT\n"
                            "            END\n"
                            "          END\n"
                            "        END\n"
                            "      UNTIL Y 1 == END\n"
                            "    UNTIL X R == END\n"
                            "    A S\n"
                            "  \xBB\n"
                            "\xBB";

// 1,000 conversions of a speed between compound units.
const char *const UnitLoop = "\xAB 1 1000 START 100_km/h 1_m/s CONVERT DROP NEXT \xBB";

// A linear regression over 1,000 points (the data matrix is built first).
const char *const LinearFit = "\xAB 1 1000 FOR I I I 2 * 1 + NEXT { 1000 2 } \x8D""ARRY "
                              "STO\x85 LR \xBB";

// A 201-digit factorial in exact mode (121 is made exact inside the program,
// which was read in approximate mode).
const char *const BigFactorial = "\xAB EXACT 121 R\x8DI ! \xBB";

const char *const SumLoop = "\xAB 0 1 100000 FOR i i + NEXT \xBB";

long g_lastAllocations = 0;

double runMs(Engine &e, const Value &prog)
{
    e.stack().clear();
    const long a0 = g_allocations.load();
    const double t0 = cpuMs();
    const Engine::Status s = e.evaluate(prog);
    const double t1 = cpuMs();
    g_lastAllocations = g_allocations.load() - a0;
    if (s != Engine::Status::Done) {
        std::printf("run failed: %s\n", e.lastError().message.c_str());
        std::exit(1);
    }
    return t1 - t0;
}

// The programs were written for the 48 series: they run on a 50g in
// approximate mode, where the integers typed are reals, unless exact says
// otherwise (the 50g's own reset mode, where they stay exact integers).
void bench(const char *title, const char *text, int repeats, const char *setup = nullptr,
           bool exact = false)
{
    Engine e(Model::HP50G);
    e.setFlag(-105, !exact);
    if (setup && e.enter(setup) != Engine::Status::Done) {
        std::printf("setup failed: %s\n", e.lastError().message.c_str());
        std::exit(1);
    }
    e.stack().clear();
    e.enter(text);
    const Value prog = e.stack().back();
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i)
        times.push_back(runMs(e, prog));
    std::sort(times.begin(), times.end());
    std::string result;
    for (const Value &v : e.stack())
        result += e.toText(v) + "  ";
    std::printf("%-28s best %8.3f ms   median %8.3f ms   %7ld allocations   -> %s\n",
                title,
                times.front(),
                times[times.size() / 2],
                g_lastAllocations,
                result.c_str());
}

// What the loop's arithmetic alone costs: the same 200,000 additions and
// 100,000 comparisons on reals, without the evaluator.
void arithmeticShare(int repeats)
{
    std::vector<double> times;
    Real sink;
    for (int r = 0; r < repeats; ++r) {
        const double t0 = cpuMs();
        RealCondition c = RealCondition::Ok;
        Real sum;
        Real i = Real::fromInt(1);
        const Real one = Real::fromInt(1);
        const Real end = Real::fromInt(100000);
        while (compare(i, end) <= 0) {
            sum = add(sum, i, c);
            i = add(i, one, c);
        }
        times.push_back(cpuMs() - t0);
        sink = sum;
    }
    std::sort(times.begin(), times.end());
    std::printf("%-28s best %8.3f ms   (%s)\n",
                "  of which arithmetic",
                times.front(),
                formatRealExact(sink).c_str());
}

} // namespace

int main(int argc, char **argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    bench("N-Queens (8)", NQueens, repeats);
    bench("FOR 1 to 100000, adding", SumLoop, repeats);
    arithmeticShare(repeats);
    bench("same, exact integers", SumLoop, repeats, nullptr, true);
    bench("same loop, no arithmetic", "\xAB 0 1 100000 FOR i i DROP NEXT \xBB", repeats);
    bench("1000 unit conversions", UnitLoop, repeats);
    bench("LR of 1000 points", LinearFit, repeats);
    bench("121! exactly (201 digits)", BigFactorial, repeats);
    // Programs that build data: 10,000 appends to a list and to a string
    // (each result's size is shown), and arithmetic over 10,000-element lists.
    bench("list: 10000 appends", "\xAB { } 1 10000 FOR I I + NEXT SIZE \xBB", repeats);
    bench("string: 10000 appends", "\xAB \"\" 1 10000 START \"a\" + NEXT SIZE \xBB", repeats);
    bench("list arithmetic, 10000",
          "\xAB L 2 * L - 3 ^ SIZE \xBB",
          repeats,
          "1 10000 FOR i i NEXT 10000 \x8DLIST 'L' STO");
    return 0;
}
