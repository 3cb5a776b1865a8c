// Start-up to the first painted main window, against a minimal Qt Widgets program built the
// same way, and the peak memory of both. A third program, the minimal one with a caption and a
// text field, shows how much of the difference is the font set-up that any text needs. The
// programs are started in turn, each timed from just before fork() to the byte it writes once its
// first window is painted.
// Runs on the X server of DISPLAY when there is one, else on the offscreen platform.
// Usage: bench_startup [RUNS]
// Under Xvfb start the server with -noreset: it otherwise resets whenever the last client leaves,
// and a program started during the reset cannot connect:
//     xvfb-run -a -s "-noreset -screen 0 1280x1024x24" build/bench/bench_startup 20
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Run {
    double milliseconds;
    long peakKilobytes;
};

// Starts the program with the write end of a pipe in PLW_FIRST_PAINT_FD and waits for its byte
// and its exit.
bool startOnce(const char *program, Run &run)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::close(fds[0]);
        ::setenv("PLW_FIRST_PAINT_FD", std::to_string(fds[1]).c_str(), 1);
        ::execl(program, program, static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    char painted = 0;
    const ssize_t got = ::read(fds[0], &painted, 1);
    const auto end = std::chrono::steady_clock::now();
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return false;
    if (got != 1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s: no first paint (status %d)\n", program, status);
        return false;
    }
    run.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    run.peakKilobytes = usage.ru_maxrss;
    return true;
}

template <typename T> T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Summary {
    double medianMs;
    double minMs;
    long medianKb;
    long maxKb;
};

Summary summarise(const std::vector<Run> &runs)
{
    std::vector<double> ms;
    std::vector<long> kb;
    for (const Run &run : runs) {
        ms.push_back(run.milliseconds);
        kb.push_back(run.peakKilobytes);
    }
    return {median(ms), *std::min_element(ms.begin(), ms.end()), median(kb), *std::max_element(kb.begin(), kb.end())};
}

} // namespace

int main(int argc, char *argv[])
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    if (runs < 1) {
        std::fprintf(stderr, "usage: bench_startup [RUNS]\n");
        return 2;
    }
    const char *display = std::getenv("DISPLAY");
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", display && *display ? "xcb" : "offscreen", 1);
    const char *programs[] = {PLW_STARTUP_APP, PLW_STARTUP_MINIMAL, PLW_STARTUP_TEXT};
    const char *names[] = {"plumewright", "minimal", "minimal text"};
    constexpr int count = 3;

    // One start of each first, so that all find the libraries in the page cache.
    Run warmup{};
    for (const char *program : programs) {
        if (!startOnce(program, warmup))
            return 1;
    }
    std::vector<Run> results[count];
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < count; ++p) {
            const int which = (i + p) % count;
            Run run{};
            if (!startOnce(programs[which], run))
                return 1;
            results[which].push_back(run);
        }
    }

    Summary summaries[count];
    for (int p = 0; p < count; ++p)
        summaries[p] = summarise(results[p]);
    std::printf("start-up to first painted window, %d runs each, platform %s\n", runs, std::getenv("QT_QPA_PLATFORM"));
    std::printf("%-13s %10s %10s %14s %14s\n", "program", "median ms", "min ms", "median RSS kB", "peak RSS kB");
    for (int p = 0; p < count; ++p)
        std::printf("%-13s %10.2f %10.2f %14ld %14ld\n", names[p], summaries[p].medianMs, summaries[p].minMs,
                    summaries[p].medianKb, summaries[p].maxKb);
    const Summary &app = summaries[0];
    for (int p = 1; p < count; ++p)
        std::printf("ratio plumewright / %s: start-up %.3f (median), peak memory %.3f (median)\n", names[p],
                    app.medianMs / summaries[p].medianMs, double(app.medianKb) / double(summaries[p].medianKb));
    return 0;
}
