#include "bench/lab_bench/lab_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quib::bench {
namespace {

constexpr double kTickMs = 25.0;  // the server's pause after each reply

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Verdict(bool met) {
    return met ? "met" : "MISSED";
}

void Row(std::ostream& out, const std::string& what, const std::string& figure,
         const std::string& target, const std::string& verdict) {
    char line[256];
    std::snprintf(line, sizeof line, "| %-44s | %-26s | %-14s | %-6s |\n", what.c_str(),
                  figure.c_str(), target.c_str(), verdict.c_str());
    out << line;
}

void Threads(std::ostream& out, const char* program, const std::map<std::string, double>& shares) {
    for (const auto& [name, share] : shares) {
        if (share >= 0.05) {
            out << "    " << program << " thread " << name << ": " << Format("%.2f", share)
                << " %\n";
        }
    }
}

}  // namespace

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto rank =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::min(values.size() - 1, rank == 0 ? 0 : rank - 1)];
}

void PrintFigures(const LabFigures& f, std::ostream& out) {
    const double limit = 1000.0 / (kTickMs + f.roundTripMs);
    std::vector<double> exchanges(f.reactionExchanges.begin(), f.reactionExchanges.end());
    const double worstExchanges = exchanges.empty() ? 0 : Percentile(exchanges, 1.0);
    const auto rateRow = [&](const std::string& what, double rate) {
        Row(out, what, Format("%.2f/s", rate) + Format(" = %.1f %% of limit", 100 * rate / limit),
            ">= 97 %", Verdict(rate >= 0.97 * limit));
    };
    out << "loopback round trip " << Format("%.3f ms", f.roundTripMs) << ", exchange limit "
        << Format("%.2f frames/s", limit) << "; idle " << Format("%.0f s", f.idle.seconds)
        << ", playing " << Format("%.0f s", f.playing.seconds) << "\n\n";
    Row(out, "what", "measured", "target", "result");
    out << "|----------------------------------------------|----------------------------|"
           "----------------|--------|\n";
    rateRow("exchange rate, seat 1 (real client), idle", f.idle.clientRate);
    rateRow("exchange rate, seat 2 (measuring), idle", f.idle.measuringRate);
    rateRow("exchange rate, seat 1 (real client), playing", f.playing.clientRate);
    rateRow("exchange rate, seat 2 (measuring), playing", f.playing.measuringRate);
    Row(out, "frame gap p50 / p99 / max, playing",
        Format("%.1f", f.playing.gapP50) + Format(" / %.1f", f.playing.gapP99) +
            Format(" / %.1f ms", f.playing.gapMax),
        "-", "-");
    Row(out, "reaction, median (" + std::to_string(f.reactionMs.size()) + " presses)",
        Format("%.1f ms", Percentile(f.reactionMs, 0.5)) +
            Format(", %.0f exch.", exchanges.empty() ? 0 : Percentile(exchanges, 0.5)),
        "<= 1 exchange", Verdict(!exchanges.empty() && Percentile(exchanges, 0.5) <= 1));
    Row(out, "reaction, worst",
        Format("%.1f ms", Percentile(f.reactionMs, 1.0)) + Format(", %.0f exch.", worstExchanges),
        "<= 1 exchange", Verdict(!exchanges.empty() && worstExchanges <= 1));
    Row(out, "presses not shown within 10 frames", std::to_string(f.pressesNotShown), "0",
        Verdict(f.pressesNotShown == 0));
    Row(out, "real player: arrows typed / figure journeys",
        std::to_string(f.realPresses) + " / " + std::to_string(f.realJourneys), "-", "-");
    Row(out, "frames before the reply (rhythm)", std::to_string(f.rhythmViolations), "0",
        Verdict(f.rhythmViolations == 0));
    Row(out, "quib_server CPU, idle", Format("%.2f %%", f.idle.serverCpu), "< 2 %",
        Verdict(f.idle.serverCpu < 2));
    Row(out, "quib_server CPU, both figures moving", Format("%.2f %%", f.playing.serverCpu),
        "< 5 %", Verdict(f.playing.serverCpu < 5));
    Row(out, "quib_client CPU, waiting", Format("%.2f %%", f.idle.clientCpu), "< 2 %",
        Verdict(f.idle.clientCpu < 2));
    Row(out, "quib_client CPU, figures moving", Format("%.2f %%", f.playing.clientCpu), "< 5 %",
        Verdict(f.playing.clientCpu < 5));
    Row(out, "quib_server peak RSS (VmHWM)", std::to_string(f.serverHwmKb) + " kB", "-", "-");
    Row(out, "quib_client peak RSS (VmHWM)", std::to_string(f.clientHwmKb) + " kB", "-", "-");
    Row(out, "quib_server RSS start -> end of game",
        std::to_string(f.serverRssStartKb) + " -> " + std::to_string(f.serverRssEndKb) + " kB",
        "no growth", "-");
    Row(out, "quib_client RSS start -> end of game",
        std::to_string(f.clientRssStartKb) + " -> " + std::to_string(f.clientRssEndKb) + " kB",
        "no growth", "-");
    Row(out, "server listening after start", Format("%.0f ms", f.serverListenMs), "-", "-");
    Row(out, "client window shown after start", Format("%.0f ms", f.clientWindowMs), "-", "-");
    out << "\nresident size during the game (s: server kB, client kB):";
    for (const MemorySample& sample : f.rssDuringGame) {
        out << Format(" %.0f:", sample.second) << " " << sample.serverRssKb << " "
            << sample.clientRssKb << ",";
    }
    out << "\n\nper thread, idle:\n";
    Threads(out, "quib_server", f.idle.serverThreads);
    Threads(out, "quib_client", f.idle.clientThreads);
    out << "per thread, playing:\n";
    Threads(out, "quib_server", f.playing.serverThreads);
    Threads(out, "quib_client", f.playing.clientThreads);
}

}  // namespace quib::bench
