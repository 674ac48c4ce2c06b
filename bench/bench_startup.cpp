// Start-up of the console calculator as scripts and CI see it: qvrpl -e ""
// run many times as a whole process, with its wall time (median and best)
// and its largest resident memory. Prints figures; run by hand:
//   build/bin/bench_startup [runs] [path/to/qvrpl]
// (qvrpl beside this program by default).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::string qvrpl;
    if (argc > 2) {
        qvrpl = argv[2];
    } else {
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n <= 0) {
            std::fprintf(stderr, "bench_startup: cannot find its own folder; give qvrpl's path\n");
            return 2;
        }
        self[n] = '\0';
        qvrpl = std::string(self);
        qvrpl = qvrpl.substr(0, qvrpl.rfind('/') + 1) + "qvrpl";
    }

    std::vector<double> ms;
    long maxRssKiB = 0;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            // the program's own output is not part of what is measured
            if (!std::freopen("/dev/null", "w", stdout))
                _exit(126);
            execl(qvrpl.c_str(), qvrpl.c_str(), "-e", "", static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench_startup: %s -e \"\" did not run (exit %d)\n", qvrpl.c_str(),
                         WIFEXITED(status) ? WEXITSTATUS(status) : -1);
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                         .count());
        maxRssKiB = std::max(maxRssKiB, usage.ru_maxrss);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("qvrpl -e \"\" x%d: median %.2f ms, best %.2f ms, max RSS %.1f MiB\n", runs,
                ms[ms.size() / 2], ms.front(), static_cast<double>(maxRssKiB) / 1024.0);
    return 0;
}
