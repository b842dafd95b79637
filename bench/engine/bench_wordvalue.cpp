// SPDX-FileCopyrightText: The Ψηφόνομοι contributors
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Throughput of the word value over a large Greek text, in the three systems and
// both encodings, plus folding. The text is a UTF-8 word list (one word per
// line, the first line may be a count, "/flags" after a word are dropped),
// joined with spaces and repeated up to the requested size.
//
// Usage: bench_wordvalue WORDLIST.utf8 [MEGABYTES=128] [ROUNDS=7]
#include "Utf16.h"
#include "WordValue.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace psifonomoi;

namespace {

std::string LoadText(const char *path, std::size_t targetBytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string words, line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('/'));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.find_first_not_of("0123456789") == std::string::npos)
            continue;
        words += line;
        words += ' ';
    }
    if (words.empty())
        return {};
    std::string text;
    text.reserve(targetBytes + words.size());
    while (text.size() < targetBytes)
        text += words;
    // Cut on a character boundary so that the buffer stays well formed.
    std::size_t cut = std::min(targetBytes, text.size());
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
    return text;
}

struct Timing
{
    double best = 0; // seconds of wall time
    double median = 0;
    double cpuBest = 0; // seconds of this thread's CPU time
    WordValueInt result = 0;
};

// On a busy machine the thread is descheduled now and then; its CPU time
// leaves those pauses out.
double ThreadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

Timing Measure(int rounds, const std::function<WordValueInt()> &run)
{
    std::vector<double> times;
    Timing t;
    t.cpuBest = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const double cpuStart = ThreadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        t.result = run();
        const auto stop = std::chrono::steady_clock::now();
        t.cpuBest = std::min(t.cpuBest, ThreadCpuSeconds() - cpuStart);
        times.push_back(std::chrono::duration<double>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    t.best = times.front();
    t.median = times[times.size() / 2];
    return t;
}

void Report(const char *name, std::size_t bytes, const Timing &t)
{
    const double b = static_cast<double>(bytes);
    std::printf("%-24s %6.2f GB/s best %6.2f median %6.2f CPU-time best   value %lld\n", name,
                b / t.best / 1e9, b / t.median / 1e9, b / t.cpuBest / 1e9,
                static_cast<long long>(t.result));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WORDLIST.utf8 [MEGABYTES] [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 128;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 7;
    const std::string utf8 = LoadText(argv[1], megabytes << 20);
    if (utf8.empty() || rounds < 1) {
        std::fprintf(stderr, "no words read from %s\n", argv[1]);
        return 1;
    }
    const std::u16string utf16 = ToUtf16(utf8);
    const std::size_t utf16Bytes = utf16.size() * sizeof(char16_t);
    std::printf("text: %.1f MB UTF-8, %.1f MB UTF-16, %zu characters; %d rounds\n",
                static_cast<double>(utf8.size()) / 1e6, static_cast<double>(utf16Bytes) / 1e6,
                utf16.size(), rounds);

    const Timing c8 = Measure(rounds, [&] { return ClassicalValue(utf8); });
    const Timing p8 = Measure(rounds, [&] { return PositionalValue(utf8); });
    const Timing c16 = Measure(rounds, [&] { return ClassicalValue(utf16); });
    const Timing p16 = Measure(rounds, [&] { return PositionalValue(utf16); });
    const Timing m8 = Measure(rounds, [&] { return SystemValue(utf8, vsMilesian); });
    const Timing m16 = Measure(rounds, [&] { return SystemValue(utf16, vsMilesian); });
    const int foldRounds = std::max(1, rounds / 3);
    const Timing f8 = Measure(foldRounds, [&] {
        return static_cast<WordValueInt>(FoldText(std::string_view(utf8)).size());
    });
    const Timing f16 = Measure(foldRounds, [&] {
        return static_cast<WordValueInt>(FoldText(std::u16string_view(utf16)).size());
    });

    Report("classical UTF-8", utf8.size(), c8);
    Report("positional UTF-8", utf8.size(), p8);
    Report("classical UTF-16", utf16Bytes, c16);
    Report("positional UTF-16", utf16Bytes, p16);
    Report("milesian UTF-8", utf8.size(), m8);
    Report("milesian UTF-16", utf16Bytes, m16);
    Report("FoldText UTF-8 (size)", utf8.size(), f8);
    Report("FoldText UTF-16 (size)", utf16Bytes, f16);
    std::printf("UTF-16 per UTF-8 byte: classical %.2f GB/s, positional %.2f GB/s\n",
                static_cast<double>(utf8.size()) / c16.best / 1e9,
                static_cast<double>(utf8.size()) / p16.best / 1e9);

    if (c8.result != c16.result || p8.result != p16.result || m8.result != m16.result) {
        std::fprintf(stderr, "UTF-8 and UTF-16 values differ\n");
        return 1;
    }
    return 0;
}
