// Speed of the calculator on two classic UserRPL programs. Prints figures;
// run by hand: build/bin/bench_rpl [repeats]
#include "calc/core/Engine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Calc;

namespace {

// The classic N-Queens benchmark: backtracking over an 8-element list, with
// the step count S; leaves the solution and S.
const char *const NQueens =
    "\xAB 8 0 0 0 { } \x8D R S X Y A\n"
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

const char *const SumLoop = "\xAB 0 1 100000 FOR i i + NEXT \xBB";

double runMs(Engine &e, const Value &prog)
{
    e.stack().clear();
    const auto t0 = std::chrono::steady_clock::now();
    const Engine::Status s = e.evaluate(prog);
    const auto t1 = std::chrono::steady_clock::now();
    if (s != Engine::Status::Done) {
        std::printf("run failed: %s\n", e.lastError().message.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(t1 - t0).count();
}

void bench(const char *title, const char *text, int repeats)
{
    Engine e(Model::HP50G);
    e.enter(text);
    const Value prog = e.stack().back();
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i)
        times.push_back(runMs(e, prog));
    std::sort(times.begin(), times.end());
    std::string result;
    for (const Value &v : e.stack())
        result += e.toText(v) + "  ";
    std::printf("%-28s best %8.3f ms   median %8.3f ms   -> %s\n",
                title,
                times.front(),
                times[times.size() / 2],
                result.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    bench("N-Queens (8)", NQueens, repeats);
    bench("FOR 1 to 100000, adding", SumLoop, repeats);
    return 0;
}
