#pragma once

// The figures one lab run yields, and the table they are printed as.

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quib::bench {

struct PhaseFigures {
    double seconds = 0;
    double serverCpu = 0;  // percent of one core
    double clientCpu = 0;
    std::map<std::string, double> serverThreads;
    std::map<std::string, double> clientThreads;
    double measuringRate = 0;                   // frames per second the measuring player got
    double clientRate = 0;                      // replies per second the real player sent
    double gapP50 = 0, gapP99 = 0, gapMax = 0;  // between frames, ms
};

struct MemorySample {
    double second = 0;  // since the game started
    long serverRssKb = 0;
    long clientRssKb = 0;
};

// Arrows typed into the real player's window until its figure's pixels
// changed on the X server; all times in ms.
struct KeyToScreenFigures {
    int typed = 0;
    std::vector<double> screenMs;      // per press shown: key sent to the change seen
    std::vector<double> resolutionMs;  // the span the change is known to lie in
    std::vector<double> keyTakenMs;    // key sent until the X server had handled it
    std::vector<double> grabMs;        // one read of the figure's band
    int notShown = 0;
    int stayed = 0;     // the figure ended where it started
    int unsettled = 0;  // the view stood still with the figure between cells
    // The presses the wire showed whole, taken apart along the exchange.
    std::vector<double> keyToReplyMs, replyToFrameMs, frameToScreenMs;
    double exchangeMs = 0;   // median time between the real player's replies
    double pauseSpanMs = 0;  // the pauses before the presses: 0 .. this
    // The X server: putting a picture of the own view's size from shared
    // memory, and a request that does nothing (round trips included).
    std::optional<double> sharedPutMs;
    double xRoundTripMs = 0;
    std::string wireProblem;  // why the exchange was not watched, if it was not
};

struct LabFigures {
    double serverListenMs = 0;
    double clientWindowMs = 0;
    double roundTripMs = 0;  // loopback, median
    // The same after a 25 ms pause, as in the exchange: both sides wake from
    // rest, and the pause itself lasts longer than asked.
    double restedRoundTripMs = 0;
    double pauseOverrunMs = 0;
    PhaseFigures idle;
    PhaseFigures playing;
    std::vector<double> reactionMs;
    std::vector<int> reactionExchanges;
    int pressesNotShown = 0;
    int realPresses = 0;   // arrows typed into the real player's window
    int realJourneys = 0;  // its figure's journeys, seen by the partner
    std::size_t rhythmViolations = 0;
    long serverHwmKb = 0, clientHwmKb = 0;
    long serverRssStartKb = 0, serverRssEndKb = 0;
    long clientRssStartKb = 0, clientRssEndKb = 0;
    std::vector<MemorySample> rssDuringGame;
    KeyToScreenFigures keyToScreen;
};

// The value below which `share` of the values lie (nearest rank); 0 for none.
double Percentile(std::vector<double> values, double share);

void PrintFigures(const LabFigures& figures, std::ostream& out);

}  // namespace quib::bench
