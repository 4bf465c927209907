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

constexpr long kFlatMemoryKb = 1024;

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

// "median / 95th percentile / worst" of `values`, in ms.
std::string Spread(const std::vector<double>& values) {
    return Format("%.1f", Percentile(values, 0.5)) + Format(" / %.1f", Percentile(values, 0.95)) +
           Format(" / %.1f ms", Percentile(values, 1.0));
}

void KeyToScreenRows(const LabFigures& f, std::ostream& out) {
    const KeyToScreenFigures& k = f.keyToScreen;
    if (k.typed == 0) {
        return;
    }
    const double exchange = k.exchangeMs > 0 ? k.exchangeMs : kTickMs + f.roundTripMs;
    const auto row = [&](const std::string& what, double share, double target) {
        const double ms = Percentile(k.screenMs, share);
        Row(out, what, Format("%.1f ms", ms) + Format(" = %.2f exch.", ms / exchange),
            target > 0 ? Format("<= %.1f exch.", target) : "-",
            target > 0 ? Verdict(!k.screenMs.empty() && ms <= target * exchange) : "-");
    };
    row("key to screen, median (" + std::to_string(k.screenMs.size()) + " presses)", 0.5, 1.5);
    row("key to screen, 95th percentile", 0.95, 0);
    row("key to screen, worst", 1.0, 2.5);
    Row(out, "key to screen: typed / not shown / stayed",
        std::to_string(k.typed) + " / " + std::to_string(k.notShown) + " / " +
            std::to_string(k.stayed),
        "- / 0 / 0", Verdict(k.notShown == 0 && k.stayed == 0));
}

void KeyToScreenParts(const LabFigures& f, std::ostream& out) {
    const KeyToScreenFigures& k = f.keyToScreen;
    if (k.typed == 0) {
        return;
    }
    out << "\nkey to screen: " << k.typed << " arrows typed, " << k.screenMs.size()
        << " seen on the screen, " << k.notShown << " not within 500 ms, " << k.stayed
        << " left the figure where it was, " << k.unsettled
        << " times the view stood still between two cells; exchange of the real player "
        << Format("%.2f ms", k.exchangeMs) << ", pauses before the presses 0 .. "
        << Format("%.1f ms", k.pauseSpanMs) << "\n";
    out << "  median / 95th percentile / worst:\n";
    out << "  key sent -> figure's pixels changed:      " << Spread(k.screenMs) << "\n";
    if (!k.wireProblem.empty()) {
        out << "  the exchange was not watched: " << k.wireProblem << "\n";
    } else {
        std::vector<double> rhythm;
        for (std::size_t i = 0; i < k.keyToReplyMs.size(); ++i) {
            rhythm.push_back(k.keyToReplyMs[i] + k.replyToFrameMs[i]);
        }
        out << "  taken apart on the wire (" << k.keyToReplyMs.size() << " presses):\n";
        out << "    key sent -> reply reporting it left:    " << Spread(k.keyToReplyMs) << "\n";
        out << "    reply -> frame with the move arrived:   " << Spread(k.replyToFrameMs) << "\n";
        out << "    exchange rhythm (the two together):     " << Spread(rhythm) << "\n";
        out << "    frame arrived -> pixels seen changed:   " << Spread(k.frameToScreenMs) << "\n";
    }
    out << "  change known to within (polling):         " << Spread(k.resolutionMs) << "\n";
    out << "  X server had handled the key (XSync):     " << Spread(k.keyTakenMs) << "\n";
    out << "  one read of the figure's band:            " << Spread(k.grabMs) << "\n";
    out << "  X server, a request that does nothing:    " << Format("%.3f ms", k.xRoundTripMs)
        << "\n";
    out << "  X server, putting a view-sized picture:   "
        << (k.sharedPutMs ? Format("%.3f ms", *k.sharedPutMs) : std::string("no MIT-SHM")) << "\n";
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
    // Waiting, the exchange is the protocol's rhythm and little else; with
    // the figures moving the real player program draws every frame before it
    // answers, and the bar is the one it is measured against.
    const auto rateRow = [&](const std::string& what, double rate, double share) {
        Row(out, what, Format("%.2f/s", rate) + Format(" = %.1f %% of limit", 100 * rate / limit),
            Format(">= %.0f %%", 100 * share), Verdict(rate >= share * limit));
    };
    out << "loopback round trip " << Format("%.3f ms", f.roundTripMs) << ", exchange limit "
        << Format("%.2f frames/s", limit) << "; idle " << Format("%.0f s", f.idle.seconds)
        << ", playing " << Format("%.0f s", f.playing.seconds) << "\n";
    // What this machine's wake-ups leave of the limit: in the exchange the
    // server wakes from its 25 ms pause and both sides from rest.
    const double rested = 1000.0 / (kTickMs + f.pauseOverrunMs + f.restedRoundTripMs);
    out << "from rest: a 25 ms pause overruns by " << Format("%.3f ms", f.pauseOverrunMs)
        << ", the round trip after it takes " << Format("%.3f ms", f.restedRoundTripMs)
        << "; exchanges can reach at most " << Format("%.2f frames/s", rested)
        << Format(" = %.1f %% of the limit", 100 * rested / limit) << "\n\n";
    Row(out, "what", "measured", "target", "result");
    out << "|----------------------------------------------|----------------------------|"
           "----------------|--------|\n";
    rateRow("exchange rate, seat 1 (real client), idle", f.idle.clientRate, 0.97);
    rateRow("exchange rate, seat 2 (measuring), idle", f.idle.measuringRate, 0.97);
    rateRow("exchange rate, seat 1 (real client), playing", f.playing.clientRate, 0.99);
    rateRow("exchange rate, seat 2 (measuring), playing", f.playing.measuringRate, 0.97);
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
    KeyToScreenRows(f, out);
    Row(out, "quib_server CPU, idle", Format("%.2f %%", f.idle.serverCpu), "< 2 %",
        Verdict(f.idle.serverCpu < 2));
    Row(out, "quib_server CPU, both figures moving", Format("%.2f %%", f.playing.serverCpu),
        "< 2 %", Verdict(f.playing.serverCpu < 2));
    Row(out, "quib_client CPU, waiting", Format("%.2f %%", f.idle.clientCpu), "< 2 %",
        Verdict(f.idle.clientCpu < 2));
    Row(out, "quib_client CPU, figures moving", Format("%.2f %%", f.playing.clientCpu), "< 1.5 %",
        Verdict(f.playing.clientCpu < 1.5));
    Row(out, "quib_server peak RSS (VmHWM)", std::to_string(f.serverHwmKb) + " kB", "-", "-");
    Row(out, "quib_client peak RSS (VmHWM)", std::to_string(f.clientHwmKb) + " kB", "-", "-");
    // Flat: the allocator may keep a few more pages than at the start, but a
    // kilobyte kept per frame would be 14 MB over the game's three minutes.
    const auto flat = [](long start, long end) { return end - start <= kFlatMemoryKb; };
    Row(out, "quib_server RSS start -> end of game",
        std::to_string(f.serverRssStartKb) + " -> " + std::to_string(f.serverRssEndKb) + " kB",
        "< +1 MB", Verdict(flat(f.serverRssStartKb, f.serverRssEndKb)));
    Row(out, "quib_client RSS start -> end of game",
        std::to_string(f.clientRssStartKb) + " -> " + std::to_string(f.clientRssEndKb) + " kB",
        "< +1 MB", Verdict(flat(f.clientRssStartKb, f.clientRssEndKb)));
    Row(out, "server listening after start", Format("%.0f ms", f.serverListenMs), "-", "-");
    Row(out, "client window shown after start", Format("%.0f ms", f.clientWindowMs), "-", "-");
    out << "\nresident size during the game (s: server kB, client kB):";
    for (const MemorySample& sample : f.rssDuringGame) {
        out << Format(" %.0f:", sample.second) << " " << sample.serverRssKb << " "
            << sample.clientRssKb << ",";
    }
    out << "\n";
    KeyToScreenParts(f, out);
    out << "\nper thread, idle:\n";
    Threads(out, "quib_server", f.idle.serverThreads);
    Threads(out, "quib_client", f.idle.clientThreads);
    out << "per thread, playing:\n";
    Threads(out, "quib_server", f.playing.serverThreads);
    Threads(out, "quib_client", f.playing.clientThreads);
}

}  // namespace quib::bench
