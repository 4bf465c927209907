#include "bench/lab_bench/proc_stats.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace quib::bench {
namespace {

namespace fs = std::filesystem;

double NowSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

long TicksPerSecond() {
    return ::sysconf(_SC_CLK_TCK);
}

std::optional<long> CpuTicks(const std::string& statFile) {
    const std::string text = ReadAll(statFile);
    // The name in parentheses may hold spaces; the fields follow the last ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text.substr(close + 1));
    std::vector<std::string> values;
    for (std::string value; fields >> value;) {
        values.push_back(value);
    }
    // values[0] is field 3 (state); utime and stime are fields 14 and 15.
    if (values.size() < 13) {
        return std::nullopt;
    }
    return std::stol(values[11]) + std::stol(values[12]);
}

std::optional<long> ProcessTicks(pid_t pid) {
    return CpuTicks("/proc/" + std::to_string(pid) + "/stat");
}

std::map<std::string, long> ThreadTicks(pid_t pid) {
    std::map<std::string, long> threads;
    std::error_code error;
    for (const auto& task :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::string name = ReadAll(task.path() / "comm");
        while (!name.empty() && name.back() == '\n') {
            name.pop_back();
        }
        if (const auto ticks = CpuTicks(task.path() / "stat")) {
            threads[name + "[" + task.path().filename().string() + "]"] = *ticks;
        }
    }
    return threads;
}

std::optional<long> StatusKb(pid_t pid, const std::string& key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, key.size() + 1, key + ":") == 0) {
            return std::stol(line.substr(key.size() + 1));
        }
    }
    return std::nullopt;
}

CpuWindow::CpuWindow(pid_t pid)
    : pid_(pid),
      startTicks_(ProcessTicks(pid).value_or(0)),
      startThreads_(ThreadTicks(pid)),
      startSeconds_(NowSeconds()) {}

double CpuWindow::Seconds() const {
    return NowSeconds() - startSeconds_;
}

double CpuWindow::Percent() const {
    const long ticks = ProcessTicks(pid_).value_or(startTicks_) - startTicks_;
    return 100.0 * static_cast<double>(ticks) / static_cast<double>(TicksPerSecond()) / Seconds();
}

std::map<std::string, double> CpuWindow::ThreadPercent() const {
    std::map<std::string, double> shares;
    const double seconds = Seconds();
    for (const auto& [name, ticks] : ThreadTicks(pid_)) {
        const auto start = startThreads_.find(name);
        const long used = ticks - (start == startThreads_.end() ? 0 : start->second);
        shares[name] =
            100.0 * static_cast<double>(used) / static_cast<double>(TicksPerSecond()) / seconds;
    }
    return shares;
}

}  // namespace quib::bench
