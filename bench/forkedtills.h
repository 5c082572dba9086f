#pragma once
// Tills selling at the same time for a fixed time: each a process of its own, forked once the shop is
// ready, with its own connection, as the shop's computers are. They start together, sell until the
// time is up and hand back how many sales went through and how long each confirm took.
#include <QElapsedTimer>
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tills {

enum class Outcome { Saved, StockShort, Failed };
// One sale; what it came to.
using Sell = std::function<Outcome()>;
struct Till {
    Sell sell;         // empty when the till could not connect
    int serverPid = 0; // the server process that serves the till's connection, when on a server
};
// Run in the till's process: its connection made, its sale function.
using OpenTill = std::function<Till(int till)>;

// CPU seconds (user and system) used so far by this process, or by process `pid` (0 when unknown).
inline double cpuSeconds(int pid = 0) {
    if (pid == 0) {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i == 14 || i == 15) ticks += std::stod(field); // utime, stime
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Result {
    std::int64_t saved = 0, stockShort = 0, failed = 0;
    double clientCpu = 0, serverCpu = 0; // seconds, all tills together
    double seconds = 0;                  // from the common start to the last till done
    std::vector<float> saleMs;           // each saved sale's confirm time
    double percentileMs(double p) const {
        if (saleMs.empty()) return 0;
        std::vector<float> sorted = saleMs;
        const auto at = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1));
        std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(at), sorted.end());
        return sorted[at];
    }
};

// One till selling for `seconds`, in this process.
inline Result sellFor(double seconds, const Sell &sell) {
    Result result;
    QElapsedTimer whole, one;
    whole.start();
    while (whole.nsecsElapsed() < static_cast<qint64>(seconds * 1e9)) {
        one.start();
        const Outcome outcome = sell();
        const auto ms = static_cast<float>(static_cast<double>(one.nsecsElapsed()) / 1e6);
        if (outcome == Outcome::Saved) {
            ++result.saved;
            result.saleMs.push_back(ms);
        } else if (outcome == Outcome::StockShort) {
            ++result.stockShort;
        } else {
            ++result.failed;
        }
    }
    result.seconds = static_cast<double>(whole.nsecsElapsed()) / 1e9;
    return result;
}

namespace detail {
inline bool readAll(int fd, void *to, std::size_t size) {
    auto *bytes = static_cast<char *>(to);
    while (size > 0) {
        const ssize_t got = ::read(fd, bytes, size);
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}
inline void writeAll(int fd, const void *from, std::size_t size) {
    const auto *bytes = static_cast<const char *>(from);
    while (size > 0) {
        const ssize_t put = ::write(fd, bytes, size);
        if (put <= 0) _exit(7);
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
}

// The till's process: connect, say so, wait for the start, sell, report, and leave without running
// anything of the parent's (its connections and windows are not the till's).
[[noreturn]] inline void tillProcess(int till, double seconds, const OpenTill &open, int report, int go) {
    const Till opened = open(till);
    const char ready = opened.sell ? 'r' : 'x';
    writeAll(report, &ready, 1);
    char start = 0;
    if (!opened.sell || ::read(go, &start, 1) != 1) _exit(3);
    const double clientBefore = cpuSeconds(),
                 serverBefore = opened.serverPid ? cpuSeconds(opened.serverPid) : 0;
    const Result result = sellFor(seconds, opened.sell);
    const double cpu[] = {cpuSeconds() - clientBefore,
                          opened.serverPid ? cpuSeconds(opened.serverPid) - serverBefore : 0};
    const std::int64_t header[] = {result.saved, result.stockShort, result.failed,
                                   static_cast<std::int64_t>(result.saleMs.size())};
    writeAll(report, header, sizeof header);
    writeAll(report, cpu, sizeof cpu);
    writeAll(report, result.saleMs.data(), result.saleMs.size() * sizeof(float));
    _exit(0);
}
} // namespace detail

// `count` tills started together; false when one could not connect or did not report.
inline bool run(int count, double seconds, const OpenTill &open, Result &total) {
    int go[2];
    if (pipe(go) != 0) return false;
    std::vector<int> reports;
    std::vector<pid_t> children;
    for (int till = 0; till < count; ++till) {
        int report[2];
        if (pipe(report) != 0) break;
        const pid_t child = fork();
        if (child == 0) {
            ::close(report[0]);
            ::close(go[1]);
            detail::tillProcess(till, seconds, open, report[1], go[0]);
        }
        ::close(report[1]);
        if (child < 0) {
            ::close(report[0]);
            break;
        }
        reports.push_back(report[0]);
        children.push_back(child);
    }
    bool ok = static_cast<int>(children.size()) == count;
    for (const int fd : reports) {
        char ready = 0;
        ok = detail::readAll(fd, &ready, 1) && ready == 'r' && ok;
    }
    QElapsedTimer wall;
    wall.start();
    if (ok) {
        const std::vector<char> starts(children.size(), 'g');
        ok = ::write(go[1], starts.data(), starts.size()) == static_cast<ssize_t>(starts.size());
    }
    ::close(go[1]); // a till still waiting reads the end and leaves
    ::close(go[0]);
    for (const int fd : reports) {
        std::int64_t header[4] = {};
        double cpu[2] = {};
        if (ok && detail::readAll(fd, header, sizeof header) && detail::readAll(fd, cpu, sizeof cpu)) {
            total.clientCpu += cpu[0];
            total.serverCpu += cpu[1];
            total.saved += header[0];
            total.stockShort += header[1];
            total.failed += header[2];
            const std::size_t before = total.saleMs.size();
            total.saleMs.resize(before + static_cast<std::size_t>(header[3]));
            ok = detail::readAll(fd, total.saleMs.data() + before,
                                 static_cast<std::size_t>(header[3]) * sizeof(float));
        } else {
            ok = false;
        }
        ::close(fd);
    }
    total.seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    for (const pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return ok;
}

} // namespace tills
