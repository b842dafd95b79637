// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Starts each program given on the command line in turn, many times, and
// reports the median time from starting it to its first paint and the median
// peak resident memory at that moment. Usage: startup_driver RUNS PROGRAM...
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

long long NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct Sample
{
    double Ms;
    long RssKiB;
};

// One run: -1 ms on failure.
Sample RunOnce(const char *program)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {-1, 0};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    char *argv[] = {const_cast<char *>(program), nullptr};
    pid_t pid = 0;
    const long long start = NowNs();
    const int failed = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (failed) {
        close(fds[0]);
        return {-1, 0};
    }
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        out.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    long long painted = 0;
    long rss = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(out.c_str(), "%lld %ld", &painted, &rss) != 2)
        return {-1, 0};
    return {static_cast<double>(painted - start) / 1e6, rss};
}

template <typename T> T Median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const int programs = argc - 2;
    std::vector<std::vector<double>> ms(static_cast<size_t>(programs));
    std::vector<std::vector<long>> rss(static_cast<size_t>(programs));
    // Interleaved, so that a slow patch of the machine hits all alike.
    for (int r = 0; r < runs + 1; ++r) {
        for (int p = 0; p < programs; ++p) {
            const Sample s = RunOnce(argv[p + 2]);
            if (s.Ms < 0) {
                std::fprintf(stderr, "%s failed\n", argv[p + 2]);
                return 1;
            }
            if (r > 0) { // the first round only warms the file cache
                ms[static_cast<size_t>(p)].push_back(s.Ms);
                rss[static_cast<size_t>(p)].push_back(s.RssKiB);
            }
        }
    }
    std::printf("%-40s %12s %12s %14s\n", "program", "median ms", "min ms", "peak RSS KiB");
    for (int p = 0; p < programs; ++p) {
        const auto &m = ms[static_cast<size_t>(p)];
        std::printf("%-40s %12.1f %12.1f %14ld\n", argv[p + 2], Median(m),
                    *std::min_element(m.begin(), m.end()), Median(rss[static_cast<size_t>(p)]));
    }
    if (programs == 2) {
        std::printf("ratio first/second: time %.2f, memory %.2f\n", Median(ms[0]) / Median(ms[1]),
                    static_cast<double>(Median(rss[0])) / static_cast<double>(Median(rss[1])));
    }
    return 0;
}
