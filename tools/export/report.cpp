#include "tools/export/report.h"

#include "tools/export/report_charts.h"
#include "tools/export/report_data.h"
#include "tools/export/report_tallies.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quib::exporter {
namespace {

// Rounds in the moving window of the learning curves: few enough to show a
// change within a game of some dozens of rounds, enough that one round moves
// the share by no more than a tenth.
constexpr int kWindow = 10;

// Pairs and games that get charts of their own, in the order the page
// lists them. A pair's four charts take up to 60 kB of the page, a game's
// three up to 30 kB; 60 of each keep the page at a few megabytes (about
// 6 MB for 300 games of 1000 rounds), which a browser opens at once, while
// hundreds would make it slow to open (16 MB for the same games in 240
// pairs) and too long to read.
// Every game is still in the games table and, up to the 60th pair, in its
// pair's charts; every pair keeps its summary and its table of results.
constexpr std::size_t kPairsCharted = 60;
constexpr std::size_t kGamesCharted = 60;

// Bars of one results chart: 40 rows of 22 pixels already fill a screen. A
// pair that played more combinations of levels and displays has all of them
// in the table beside the chart.
constexpr std::size_t kMostBars = 40;

// Series of at most this many rounds get a dot at each round: with more,
// the dots would run into each other on a chart 400 pixels wide.
constexpr std::size_t kMostDotted = 40;

// Pairs the contents list unfolded: a dozen links fill a few lines.
constexpr std::size_t kPairsListed = 12;

// Problems of the records check named on the page: enough to see what kind
// of trouble there is and where; problems.csv has them all.
constexpr std::size_t kProblemsNamed = 5;

// Line widths. Of two series that may lie on each other (the two learning
// curves, the two players' moves), the first is drawn wide and solid and
// the second narrow and dashed on top of it, so that both still show where
// they are equal: the wide line on either side of the narrow one, and in
// its gaps.
constexpr double kWideLine = 4.5;
constexpr double kNarrowLine = 1.75;

// Colours from the Okabe-Ito palette, which readers with any kind of colour
// blindness still tell apart.
const QColor kMovingColour(0x00, 0x72, 0xB2);      // blue
const QColor kCumulativeColour(0xE6, 0x9F, 0x00);  // orange
const QColor kBarColour(0x00, 0x9E, 0x73);         // bluish green
const QColor kDurationColour(0xCC, 0x79, 0xA7);    // reddish purple
const QColor kPlayer1Colour(0x56, 0xB4, 0xE9);     // sky blue
const QColor kPlayer2Colour(0xD5, 0x5E, 0x00);     // vermilion

constexpr std::string_view kNotKnown = "\xE2\x80\x93";  // an en dash

// What the page means by a round "with a result", said once near its top.
constexpr std::string_view kWithAResult =
    "A round <dfn>with a result</dfn> is one whose row in rounds.csv has won 1 (won) or 0 "
    "(lost); shares of rounds won are of these rounds. quib_export writes one for every round "
    "file it reads, so only a row whose cell is empty (a table edited by hand, or made "
    "elsewhere) has none: it counts among the rounds played, not in the shares.";

constexpr std::string_view kStyle = R"(
body { font-family: "Liberation Sans", Arial, Helvetica, sans-serif; font-size: 14px;
  color: #222; max-width: 1240px; margin: 24px auto; padding: 0 16px; line-height: 1.4; }
h1 { font-size: 24px; margin: 0 0 4px; }
h2 { font-size: 20px; margin: 36px 0 8px; padding-bottom: 4px; border-bottom: 2px solid #ddd; }
h3 { font-size: 17px; margin: 32px 0 6px; }
h4 { font-size: 15px; margin: 20px 0 6px; }
p { margin: 4px 0 8px; }
.made, .note, figcaption { color: #555; }
.summary { font-size: 15px; }
nav ul { margin: 4px 0; padding-left: 20px; columns: 3; }
summary { cursor: pointer; color: #555; }
.scroll { overflow-x: auto; }
table { border-collapse: collapse; font-size: 13px; }
th, td { padding: 3px 8px; border-bottom: 1px solid #e4e4e4; text-align: left; vertical-align: top; }
thead th { background: #f2f2f2; border-bottom: 1px solid #ccc; }
.n { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
.nowrap { white-space: nowrap; }
figure { margin: 8px 0 16px; max-width: 100%; }
figcaption { font-size: 12px; max-width: 1000px; }
svg.chart { display: block; max-width: 100%; height: auto; }
.multiples { display: flex; flex-wrap: wrap; gap: 8px 16px; }
.multiples figure { margin: 0; }
.results { display: flex; flex-wrap: wrap; gap: 16px 32px; align-items: flex-start; }
.results figure { margin: 0; }
section.game { border-top: 1px solid #eee; margin-top: 16px; }
table.pooled th[colspan] { text-align: center; border-left: 1px solid #ccc; }
table.pooled .first { border-left: 1px solid #ccc; }
table.pooled tr.total td, table.pooled tr.total th { border-top: 2px solid #ccc; font-weight: bold; }
figcaption .centre { color: #222; }
.check { font-size: 15px; }
)";

std::string E(std::string_view text) {
    return EscapeHtml(text);
}

std::string Known(std::string_view text) {
    return text.empty() ? std::string(kNotKnown) : E(text);
}

template <typename Number>
std::string Known(const std::optional<Number>& value) {
    return value ? std::to_string(*value) : std::string(kNotKnown);
}

std::string Percent(long long part, long long whole) {
    if (whole <= 0) {
        return std::string(kNotKnown);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f\xC2\xA0%%",
                  100.0 * static_cast<double>(part) / static_cast<double>(whole));
    return text;
}

// Play time as the game and subject files write it: whole seconds cut off
// (not rounded), as hours, minutes and seconds of two digits each
// ("00:01:35"), so that the page and the files show the same time. Unlike
// the files, hours beyond 99 keep all their digits.
std::string Clock(long long ms) {
    const long long seconds = ms / 1000;
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

// The unit beside every play time.
constexpr std::string_view kClockUnit = "(h:min:s)";

std::string StartText(std::string start) {
    if (start.size() > 10 && start[10] == 'T') {
        start[10] = ' ';
    }
    return Known(start);
}

std::string EndingText(const std::string& ending) {
    if (ending == "complete") {
        return "complete";
    }
    if (ending == "last_round_missing") {
        return "last round missing";
    }
    if (ending == "rounds_missing") {
        return "rounds missing";
    }
    return Known(ending);
}

// "1st", "2nd", "3rd", "4th", "11th", "22nd".
std::string Ordinal(std::size_t number) {
    const std::size_t lastTwo = number % 100;
    const std::size_t last = number % 10;
    const char* suffix = (lastTwo >= 11 && lastTwo <= 13) ? "th"
                         : last == 1                      ? "st"
                         : last == 2                      ? "nd"
                         : last == 3                      ? "rd"
                                                          : "th";
    return std::to_string(number) + suffix;
}

std::string Plural(long long count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// ---- Pairs of subjects ----------------------------------------------------

// An unordered pair of subject numbers, the smaller first; a seat without a
// subject counts after every number.
struct PairKey {
    std::optional<long long> first;
    std::optional<long long> second;

    static PairKey Of(const ReportGame& game) {
        PairKey key{game.p1Subject, game.p2Subject};
        if (Before(key.second, key.first)) {
            std::swap(key.first, key.second);
        }
        return key;
    }
    static bool Before(const std::optional<long long>& a, const std::optional<long long>& b) {
        return a && (!b || *a < *b);
    }
    bool operator<(const PairKey& other) const {
        if (first != other.first) {
            return Before(first, other.first);
        }
        return Before(second, other.second);
    }
};

struct Pair {
    PairKey key;
    std::vector<const ReportGame*> games;  // in the order they were played
};

// When a game began, for ordering: a game whose start is not known sorts
// by its number after those that have one.
bool PlayedBefore(const ReportGame* a, const ReportGame* b) {
    if (a->start.empty() != b->start.empty()) {
        return !a->start.empty();
    }
    if (a->start != b->start) {
        return a->start < b->start;
    }
    return a->game < b->game;
}

// Whether the pair's first subject sat in seat 2 in `game`: then the game's
// player 2 values are the pair's first ones.
bool Swapped(const ReportGame& game, const PairKey& key) {
    return key.first && game.p1Subject != key.first;
}

// What a game was played at, as its seats had it, in the pair's order
// (`swapped` as for the pair): "level 2, open", or with seats that differ
// "levels 3/2, open/covered". A game only rounds.csv names has the levels
// and displays of its first round.
std::string GameCondition(const ReportGame& game, bool swapped) {
    const auto level = [](const std::optional<int>& value) {
        return value ? std::to_string(*value) : std::string("?");
    };
    const auto display = [](const std::string& text) {
        return text.empty() ? std::string("?") : text;
    };
    const bool fromRound = game.line == 0 && !game.roundRows.empty();
    const ReportRound* first = fromRound ? &game.roundRows.front() : nullptr;
    std::string l1 = level(first ? first->p1Level : game.p1Level);
    std::string l2 = level(first ? first->p2Level : game.p2Level);
    std::string d1 = display(first ? first->p1Display : game.p1Display);
    std::string d2 = display(first ? first->p2Display : game.p2Display);
    if (swapped) {
        std::swap(l1, l2);
        std::swap(d1, d2);
    }
    return (l1 == l2 ? "level " + l1 : "levels " + l1 + "/" + l2) + ", " +
           (d1 == d2 ? d1 : d1 + "/" + d2);
}

class Names {
  public:
    explicit Names(const ReportData& data) {
        for (const ReportGame& game : data.games) {
            Add(game.p1Subject, game.p1Name);
            Add(game.p2Subject, game.p2Name);
        }
    }
    // "subject 3 (Anna)"; escaped.
    std::string Subject(const std::optional<long long>& subject) const {
        if (!subject) {
            return "no subject";
        }
        std::string text = "subject " + std::to_string(*subject);
        const auto at = names_.find(*subject);
        if (at != names_.end() && !at->second.empty()) {
            text += " (" + E(at->second) + ")";
        }
        return text;
    }
    // "3 Anna", not escaped, on one line: for the charts, which escape it.
    std::string Plain(const std::optional<long long>& subject) const {
        if (!subject) {
            return "no subject";
        }
        std::string text = std::to_string(*subject);
        const auto at = names_.find(*subject);
        if (at != names_.end() && !at->second.empty()) {
            text += " " + at->second;
        }
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; },
            ' ');
        return text;
    }

  private:
    void Add(const std::optional<long long>& subject, const std::string& name) {
        if (subject && !name.empty()) {
            names_.emplace(*subject, name);  // the name of the first game that has one
        }
    }
    std::map<long long, std::string> names_;
};

std::string PairTitle(const PairKey& key, const Names& names) {
    if (!key.first && !key.second) {
        return "Games without subjects";
    }
    std::string title = names.Subject(key.first);
    title[0] = 'S';
    if (!key.second) {
        return title + " with no subject beside";
    }
    return title + " and " + names.Subject(key.second);
}

// ---- Series ---------------------------------------------------------------

// Points of one line: one per pixel column of the plot. A longer series is
// thinned (a curve drawn at every k-th round, per-round values averaged over
// k rounds), and the caption says so.
std::size_t MostPoints(const LineChart& chart) {
    return static_cast<std::size_t>(PlotWidth(chart));
}

// Every k-th point of `points` and the last, so that at most `most` remain;
// k, 1 when nothing was left out.
std::size_t Pick(std::vector<ChartPoint>& points, std::size_t most) {
    if (points.size() <= most) {
        return 1;
    }
    const std::size_t step = (points.size() + most - 1) / most;
    std::vector<ChartPoint> kept;
    kept.reserve(most + 1);
    for (std::size_t i = 0; i < points.size(); i += step) {
        kept.push_back(points[i]);
    }
    if (kept.back().x != points.back().x) {
        kept.push_back(points.back());
    }
    points = std::move(kept);
    return step;
}

// The means of k points each, so that at most `most` remain; the gaps
// between runs are lost, being narrower than a pixel by then. k, or 1.
std::size_t Average(std::vector<std::vector<ChartPoint>>& runs, std::size_t most) {
    std::size_t total = 0;
    for (const auto& run : runs) {
        total += run.size();
    }
    if (total <= most) {
        return 1;
    }
    const std::size_t step = (total + most - 1) / most;
    std::vector<ChartPoint> means;
    ChartPoint sum;
    std::size_t count = 0;
    for (const auto& run : runs) {
        for (const ChartPoint& point : run) {
            sum.x += point.x;
            sum.y += point.y;
            if (++count == step) {
                means.push_back(
                    {sum.x / static_cast<double>(count), sum.y / static_cast<double>(count)});
                sum = {};
                count = 0;
            }
        }
    }
    if (count > 0) {
        means.push_back({sum.x / static_cast<double>(count), sum.y / static_cast<double>(count)});
    }
    runs = {std::move(means)};
    return step;
}

struct Outcome {
    double x = 0;
    int won = 0;
};

// The learning curve's two lines over `outcomes` (rounds with a result, in
// order); how many rounds each drawn point stands for.
std::size_t LearningSeries(const std::vector<Outcome>& outcomes, LineChart& chart) {
    LineSeries moving{"last " + std::to_string(kWindow) + " rounds",
                      kMovingColour,
                      Qt::SolidLine,
                      kWideLine,
                      {},
                      false};
    LineSeries cumulative{
        "all rounds so far", kCumulativeColour, Qt::DashLine, kNarrowLine, {}, false};
    std::vector<ChartPoint> movingPoints;
    std::vector<ChartPoint> cumulativePoints;
    std::vector<int> wonBefore(outcomes.size() + 1, 0);
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
        wonBefore[i + 1] = wonBefore[i] + outcomes[i].won;
        const double x = outcomes[i].x;
        cumulativePoints.push_back({x, wonBefore[i + 1] / static_cast<double>(i + 1)});
        if (i + 1 >= static_cast<std::size_t>(kWindow)) {
            const int inWindow = wonBefore[i + 1] - wonBefore[i + 1 - kWindow];
            movingPoints.push_back({x, inWindow / static_cast<double>(kWindow)});
        }
    }
    const std::size_t step =
        std::max(Pick(movingPoints, MostPoints(chart)), Pick(cumulativePoints, MostPoints(chart)));
    const bool dots = outcomes.size() <= kMostDotted;
    moving.dots = dots;
    cumulative.dots = false;
    moving.runs = {std::move(movingPoints)};
    cumulative.runs = {std::move(cumulativePoints)};
    chart.series = {std::move(moving), std::move(cumulative)};
    chart.yMin = 0;
    chart.yMax = 1;
    chart.yPercent = true;
    chart.yLabel = "rounds won";
    return step;
}

std::string LearningCaption(std::size_t step, std::size_t outcomes) {
    std::string caption = "Share of rounds won, over the last " + std::to_string(kWindow) +
                          " rounds with a result (wide solid blue, from the " + Ordinal(kWindow) +
                          " such round on) and over all rounds so far (narrow dashed orange).";
    if (outcomes < static_cast<std::size_t>(kWindow)) {
        caption +=
            " Fewer than " + std::to_string(kWindow) + " rounds with a result: no moving share.";
    }
    if (step > 1) {
        caption += " Drawn at every " + Ordinal(step) + " round.";
    }
    return caption;
}

// The last round number of a game: the rounds it counts, or its last round
// present when that is later.
int LastRound(const ReportGame& game) {
    int last = game.rounds.value_or(0);
    if (!game.roundRows.empty()) {
        last = std::max(last, game.roundRows.back().round);
    }
    return last;
}

std::vector<double> MissingRounds(const ReportGame& game, double offset) {
    std::vector<double> missing;
    std::size_t next = 0;
    for (int round = 1; round <= LastRound(game); ++round) {
        while (next < game.roundRows.size() && game.roundRows[next].round < round) {
            ++next;
        }
        if (next == game.roundRows.size() || game.roundRows[next].round != round) {
            missing.push_back(offset + round);
        }
    }
    return missing;
}

// A game's rounds as drawn along a chart's x axis: at `offset` plus the
// round number; `swapped` when the pair's first subject sat in seat 2.
struct Span {
    const ReportGame* game = nullptr;
    double offset = 0;
    bool swapped = false;
};

// Runs of a per-round value: broken where a round is missing, the value is
// not known or a game ends.
template <typename Value>
std::vector<std::vector<ChartPoint>> RoundRuns(const std::vector<Span>& spans, Value value,
                                               double& highest) {
    std::vector<std::vector<ChartPoint>> runs;
    for (const Span& span : spans) {
        int previous = -1;
        for (const ReportRound& round : span.game->roundRows) {
            const std::optional<double> y = value(round, span.swapped);
            if (!y) {
                previous = -1;
                continue;
            }
            if (previous < 0 || round.round != previous + 1) {
                runs.emplace_back();
            }
            runs.back().push_back({span.offset + round.round, *y});
            highest = std::max(highest, *y);
            previous = round.round;
        }
    }
    return runs;
}

std::size_t RoundsIn(const std::vector<Span>& spans) {
    std::size_t rounds = 0;
    for (const Span& span : spans) {
        rounds += span.game->roundRows.size();
    }
    return rounds;
}

// The values of a chart's runs, before any thinning.
std::vector<double> ValuesOf(const std::vector<std::vector<ChartPoint>>& runs) {
    std::vector<double> values;
    for (const auto& run : runs) {
        for (const ChartPoint& point : run) {
            values.push_back(point.y);
        }
    }
    return values;
}

// "1.5", "2": one decimal, left out when it is 0.
std::string Decimal(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string out = text;
    if (out.ends_with(".0")) {
        out.resize(out.size() - 2);
    }
    return out;
}

// "mean 8.3 s, median 8 s (16 rounds)", or that no round has the value.
std::string CentreText(const std::vector<double>& values, std::string_view unit) {
    const std::optional<Centre> centre = CentreOf(values);
    if (!centre) {
        return "no round known";
    }
    return "mean " + Decimal(centre->mean) + std::string(unit) + ", median " +
           Decimal(centre->median) + std::string(unit) + " (" +
           Plural(static_cast<long long>(centre->count), "round", "rounds") + ")";
}

std::string ThinnedNote(std::size_t step) {
    return step > 1 ? " Each point is the mean of " + std::to_string(step) + " rounds." : "";
}

// A chart with its caption below, which wraps at the chart's width.
std::string Figure(int width, const std::string& svg, const std::string& caption) {
    return "<figure style=\"width: " + std::to_string(width) + "px\">" + svg + "<figcaption>" +
           caption + "</figcaption></figure>\n";
}

// ---- Page -----------------------------------------------------------------

class Page {
  public:
    Page(const ReportData& data, const Names& names) : data_(data), names_(names) {}

    std::string Build(const std::filesystem::path& folder, const std::string& madeAt);

  private:
    std::string Summary() const;
    std::string RecordsCheckText() const;
    std::string ConditionsTable() const;
    std::string GamesTable() const;
    std::string PairSection(const Pair& pair, std::size_t number);
    std::string PairCurve(const Pair& pair) const;
    std::string Results(const Pair& pair, bool withChart) const;
    std::string PairRounds(const Pair& pair) const;
    std::string GameSection(const ReportGame& game) const;
    // Charts' axes and marks: of one game's rounds, and of a pair's games
    // one after the other (with `spans` telling where each game is).
    LineChart GameFrame(const ReportGame& game) const;
    LineChart PairFrame(const Pair& pair, std::vector<Span>& spans) const;
    std::string DurationsFigure(LineChart chart, const std::vector<Span>& spans) const;
    std::string MovesFigure(LineChart chart, const std::vector<Span>& spans,
                            const std::string& first, const std::string& second,
                            const std::string& caption) const;

    const ReportData& data_;
    const Names& names_;
    std::size_t pairsCharted_ = 0;
    std::size_t gamesCharted_ = 0;
    std::set<long long> charted_;
};

std::string Page::Summary() const {
    long long present = 0;
    long long missing = 0;
    long long known = 0;
    long long won = 0;
    long long playMs = 0;
    std::set<PairKey> pairs;
    for (const ReportGame& game : data_.games) {
        present += static_cast<long long>(game.roundRows.size());
        missing += std::max(0LL, LastRound(game) - static_cast<long long>(game.roundRows.size()));
        for (const ReportRound& round : game.roundRows) {
            known += round.won ? 1 : 0;
            won += round.won.value_or(0);
        }
        playMs += game.playMs.value_or(0);
        pairs.insert(PairKey::Of(game));
    }
    std::string text = Plural(static_cast<long long>(data_.games.size()), "game", "games") + ", " +
                       Plural(present, "round", "rounds");
    if (missing > 0) {
        text += " (" + std::to_string(missing) + " missing)";
    }
    text += ", " + Plural(static_cast<long long>(pairs.size()), "pair", "pairs") +
            " of subjects; " + std::to_string(won) + " of " + Plural(known, "round", "rounds") +
            " with a result won (" + Percent(won, known) + "); play time " + Clock(playMs) + " " +
            std::string(kClockUnit) + ".";
    return text;
}

std::string Page::RecordsCheckText() const {
    const RecordsCheck& check = data_.check;
    std::string text = "<b>Records check:</b> ";
    switch (check.state) {
        case RecordsCheck::State::Unknown:
            return text +
                   "result unknown: there is no problems.csv beside the tables, which every "
                   "export writes.";
        case RecordsCheck::State::Unreadable:
            return text + "result unknown: " + E(check.error) + ".";
        case RecordsCheck::State::Read:
            break;
    }
    if (check.problems == 0) {
        return text + "none found; the lab's files agree with each other (problems.csv).";
    }
    text += Plural(check.problems, "problem", "problems") +
            " found: the tables were written in spite of them, and what the files disagree on "
            "may be missing or wrong in them. ";
    text += check.problems > static_cast<long long>(check.first.size()) ? "The first: " : "";
    for (std::size_t i = 0; i < check.first.size(); ++i) {
        const RecordsCheck::Problem& problem = check.first[i];
        text += (i == 0 ? "" : "; ") + Known(problem.kind) + " in " + Known(problem.file) +
                (problem.line.empty() ? "" : " line " + E(problem.line));
    }
    return text + ". All of them, in words, in problems.csv.";
}

// The design's central result: rounds won per level and display, over all
// games; see ConditionTable for where a round counts.
std::string Page::ConditionsTable() const {
    const ConditionTable table = TallyConditions(data_);
    struct Column {
        std::size_t index;
        std::string title;
    };
    std::vector<Column> columns;
    for (std::size_t d = 0; d < kDisplays.size(); ++d) {
        columns.push_back({d, std::string(kDisplays[d])});
    }
    // The columns and rows no session of one level and display fills are
    // shown only when some round is in them.
    if (table.Column(ConditionTable::kDifferColumn).rounds > 0) {
        columns.push_back({ConditionTable::kDifferColumn, "seats differ"});
    }
    if (table.Column(ConditionTable::kUnknownColumn).rounds > 0) {
        columns.push_back({ConditionTable::kUnknownColumn, "not known"});
    }
    const auto cells = [](const RoundTally& tally) {
        return "<td class=\"n first\">" + std::to_string(tally.rounds) + "</td><td class=\"n\">" +
               std::to_string(tally.won) + "</td><td class=\"n\">" +
               Percent(tally.won, tally.withResult) + "</td>";
    };
    std::string html =
        "<p class=\"note\">All games pooled. A round counts for a level when both its seats "
        "played that level, and for a display when both seats had it; a round whose seats differ "
        "counts under \xE2\x80\x9Cseats differ\xE2\x80\x9D, one whose level or display is not "
        "known under "
        "\xE2\x80\x9Cnot known\xE2\x80\x9D, so that every round is counted once. Shares won are of "
        "the "
        "rounds with a result.</p>\n<div class=\"scroll\"><table class=\"pooled\">\n<thead><tr>"
        "<th rowspan=\"2\">Level</th>";
    for (const Column& column : columns) {
        html += "<th colspan=\"3\">" + column.title + "</th>";
    }
    html += "<th colspan=\"3\">all displays</th></tr>\n<tr>";
    for (std::size_t i = 0; i <= columns.size(); ++i) {
        html +=
            "<th class=\"n first\">Rounds</th><th class=\"n\">Won</th><th class=\"n\">Share "
            "won</th>";
    }
    html += "</tr></thead>\n<tbody>\n";
    const auto row = [&](std::size_t index, const std::string& id, const std::string& title) {
        std::string line = "<tr id=\"pooled-" + id + "\"><th>" + title + "</th>";
        for (const Column& column : columns) {
            line += cells(table.cells[index][column.index]);
        }
        return line + cells(table.Row(index)) + "</tr>\n";
    };
    for (int level = 1; level <= kLevels; ++level) {
        html +=
            row(static_cast<std::size_t>(level - 1), std::to_string(level), std::to_string(level));
    }
    if (table.Row(ConditionTable::kDifferRow).rounds > 0) {
        html += row(ConditionTable::kDifferRow, "differ", "seats differ");
    }
    if (table.Row(ConditionTable::kUnknownRow).rounds > 0) {
        html += row(ConditionTable::kUnknownRow, "unknown", "not known");
    }
    html += "<tr id=\"pooled-total\" class=\"total\"><th>all levels</th>";
    for (const Column& column : columns) {
        html += cells(table.Column(column.index));
    }
    html += cells(table.Total()) + "</tr>\n</tbody></table></div>\n";
    return html;
}

std::string Page::GamesTable() const {
    std::string html =
        "<div class=\"scroll\"><table class=\"games\">\n<thead><tr><th class=\"n\">Game</th>"
        "<th>Start</th><th>Player 1</th><th>Player 2</th><th>Levels</th><th>Displays</th>"
        "<th>Speed</th><th>Figures</th><th class=\"n\">Rounds</th><th class=\"n\">Present</th>"
        "<th class=\"n\">Points</th><th class=\"n\">Highscore</th><th class=\"n\">Play time "
        "(h:min:s)</th>"
        "<th>Ending</th></tr></thead>\n<tbody>\n";
    const auto player = [](const std::optional<long long>& subject, const std::string& name) {
        std::string cell = subject ? "<b>" + std::to_string(*subject) + "</b>" : "no subject";
        if (!name.empty()) {
            cell += " " + E(name);
        }
        return cell;
    };
    for (const ReportGame& game : data_.games) {
        const std::string number = std::to_string(game.game);
        html +=
            "<tr id=\"game-" + number + "\"><td class=\"n\">" +
            (charted_.contains(game.game) ? "<a href=\"#charts-" + number + "\">" + number + "</a>"
                                          : number) +
            "</td><td class=\"nowrap\">" + StartText(game.start) + "</td><td>" +
            player(game.p1Subject, game.p1Name) + "</td><td>" +
            player(game.p2Subject, game.p2Name) + "</td><td class=\"nowrap\">" +
            Known(game.p1Level) + " / " + Known(game.p2Level) + "</td><td class=\"nowrap\">" +
            Known(game.p1Display) + " / " + Known(game.p2Display) + "</td><td>" +
            Known(game.speed) + "</td><td>" + Known(game.p1Figure) + " / " + Known(game.p2Figure) +
            "</td><td class=\"n\">" + Known(game.rounds) + "</td><td class=\"n\">" +
            // A game only rounds.csv names has its rows as its rounds present.
            (game.line == 0 ? std::to_string(game.roundRows.size()) : Known(game.roundsPresent)) +
            "</td><td class=\"n\">" + Known(game.points) + "</td><td class=\"n\">" +
            Known(game.highscore) + "</td><td class=\"n\">" +
            (game.playMs ? Clock(*game.playMs) : std::string(kNotKnown)) + "</td><td>" +
            (game.line == 0 ? std::string("not in games.csv") : EndingText(game.ending)) +
            "</td></tr>\n";
    }
    html += "</tbody></table></div>\n";
    return html;
}

std::string Page::PairCurve(const Pair& pair) const {
    std::vector<Span> spans;
    LineChart chart = PairFrame(pair, spans);
    chart.description = "Learning curve of " + names_.Plain(pair.key.first) + " and " +
                        names_.Plain(pair.key.second);
    chart.width = 1000;
    chart.height = 280;
    std::vector<Outcome> outcomes;
    for (const Span& span : spans) {
        for (const ReportRound& round : span.game->roundRows) {
            if (round.won) {
                outcomes.push_back({span.offset + round.round, *round.won});
            }
        }
    }
    const std::size_t step = LearningSeries(outcomes, chart);
    // The markers' labels are left out where they would overlap: the
    // caption names every game's condition too.
    std::string games;
    for (const Span& span : spans) {
        games += std::string(games.empty() ? "" : "; ") + "game " +
                 std::to_string(span.game->game) + " from round " +
                 std::to_string(static_cast<long long>(span.offset) + 1) + " (" +
                 E(GameCondition(*span.game, span.swapped)) + ")";
    }
    const bool subjects = pair.key.first || pair.key.second;
    return Figure(
        chart.width, DrawLineChart(chart),
        LearningCaption(step, outcomes.size()) +
            " The window runs on from one game into the next; dotted lines mark where "
            "a game begins, labelled with its level and display (as " +
            (subjects ? E(names_.Plain(pair.key.first)) + " / " + E(names_.Plain(pair.key.second))
                      : std::string("player 1 / player 2")) +
            " where the seats differ): " + games + ".");
}

std::string Page::Results(const Pair& pair, bool withChart) const {
    struct Tally {
        long long rounds = 0;
        long long known = 0;
        long long won = 0;
    };
    // Levels and displays of the pair's first and second subject (or of
    // seat 1 and 2 without subjects); a level not known sorts last.
    using Key = std::tuple<int, int, std::string, std::string>;
    std::map<Key, Tally> tallies;
    for (const ReportGame* game : pair.games) {
        const bool swapped = Swapped(*game, pair.key);
        for (const ReportRound& round : game->roundRows) {
            const int l1 = round.p1Level.value_or(1000);
            const int l2 = round.p2Level.value_or(1000);
            Key key = swapped ? Key{l2, l1, round.p2Display, round.p1Display}
                              : Key{l1, l2, round.p1Display, round.p2Display};
            Tally& tally = tallies[key];
            ++tally.rounds;
            tally.known += round.won ? 1 : 0;
            tally.won += round.won.value_or(0);
        }
    }
    if (tallies.empty()) {
        return "<p class=\"note\">No rounds.</p>\n";
    }
    const auto level = [](int value) {
        return value == 1000 ? std::string(kNotKnown) : std::to_string(value);
    };
    const bool subjects = pair.key.first || pair.key.second;
    const std::string whose =
        subjects ? E(names_.Plain(pair.key.first)) + " / " + E(names_.Plain(pair.key.second))
                 : std::string("player 1 / player 2");
    std::string table =
        "<table class=\"levels\">\n<thead><tr><th>Levels</th><th>Displays</th>"
        "<th class=\"n\">Rounds</th><th class=\"n\">With a result</th>"
        "<th class=\"n\">Won</th><th class=\"n\">Share won</th></tr></thead>\n"
        "<tbody>\n";
    BarChart chart;
    chart.description = "Share of rounds won per level and display";
    chart.width = 560;
    chart.xLabel = "rounds won";
    chart.xPercent = true;
    chart.colour = kBarColour;
    for (const auto& [key, tally] : tallies) {
        const auto& [l1, l2, d1, d2] = key;
        const std::string levels = level(l1) + " / " + level(l2);
        const std::string displays = Known(d1) + " / " + Known(d2);
        table += "<tr><td class=\"nowrap\">" + levels + "</td><td class=\"nowrap\">" + displays +
                 "</td><td class=\"n\">" + std::to_string(tally.rounds) + "</td><td class=\"n\">" +
                 std::to_string(tally.known) + "</td><td class=\"n\">" + std::to_string(tally.won) +
                 "</td><td class=\"n\">" + Percent(tally.won, tally.known) + "</td></tr>\n";
        if (chart.bars.size() < kMostBars && tally.known > 0) {
            const std::string share = Percent(tally.won, tally.known);
            chart.bars.push_back({"level " + level(l1) + " / " + level(l2) + ", " +
                                      (d1.empty() ? std::string("?") : d1) + " / " +
                                      (d2.empty() ? std::string("?") : d2),
                                  static_cast<double>(tally.won) / static_cast<double>(tally.known),
                                  share + " of " + std::to_string(tally.known)});
        }
    }
    table += "</tbody></table>\n";
    std::string html = "<p class=\"note\">Levels and displays as " + whose +
                       "; shares of the rounds with a result.</p>\n<div class=\"results\">" + table;
    if (withChart && !chart.bars.empty()) {
        std::string caption = "Share of rounds won per levels and displays.";
        if (tallies.size() > kMostBars) {
            caption += " The first " + std::to_string(kMostBars) + " rows of the table only.";
        }
        html += Figure(chart.width, DrawBarChart(chart), caption);
    }
    html += "</div>\n";
    return html;
}

LineChart Page::GameFrame(const ReportGame& game) const {
    LineChart chart;
    chart.width = 400;
    chart.height = 230;
    chart.xLabel = "round";
    chart.xMin = 0.5;
    chart.xMax = std::max(LastRound(game), 1) + 0.5;
    chart.marks = MissingRounds(game, 0);
    chart.markLabel = "missing";
    return chart;
}

LineChart Page::PairFrame(const Pair& pair, std::vector<Span>& spans) const {
    LineChart chart;
    chart.xLabel = "rounds of the pair's games, in order";
    chart.markLabel = "missing round";
    spans.clear();
    double offset = 0;
    for (const ReportGame* game : pair.games) {
        chart.separators.push_back(offset + 0.5);
        chart.separatorLabels.push_back("game " + std::to_string(game->game) + ": " +
                                        GameCondition(*game, Swapped(*game, pair.key)));
        const std::vector<double> missing = MissingRounds(*game, offset);
        chart.marks.insert(chart.marks.end(), missing.begin(), missing.end());
        spans.push_back({game, offset, Swapped(*game, pair.key)});
        offset += LastRound(*game);
    }
    chart.xMin = 0.5;
    chart.xMax = std::max(offset, 1.0) + 0.5;
    return chart;
}

std::string Page::DurationsFigure(LineChart chart, const std::vector<Span>& spans) const {
    chart.yLabel = "duration (s)";
    double longest = 0;
    LineSeries duration{"duration",
                        kDurationColour,
                        Qt::SolidLine,
                        2,
                        RoundRuns(
                            spans,
                            [](const ReportRound& round, bool) -> std::optional<double> {
                                if (!round.durationMs) {
                                    return std::nullopt;
                                }
                                return *round.durationMs / 1000.0;
                            },
                            longest),
                        RoundsIn(spans) <= kMostDotted};
    const std::string centre =
        "<span class=\"centre\">Duration: " + CentreText(ValuesOf(duration.runs), "\xC2\xA0s") +
        ".</span> ";
    const std::size_t step = Average(duration.runs, MostPoints(chart));
    chart.yMax = AxisTop(longest, 5, false);
    chart.series = {std::move(duration)};
    return Figure(chart.width, DrawLineChart(chart),
                  centre + "Duration of each round in seconds, from its set-up to its end." +
                      ThinnedNote(step));
}

std::string Page::MovesFigure(LineChart chart, const std::vector<Span>& spans,
                              const std::string& first, const std::string& second,
                              const std::string& caption) const {
    chart.yLabel = "moves";
    chart.yWhole = true;
    double most = 0;
    const bool dots = RoundsIn(spans) <= kMostDotted;
    LineSeries a{first,
                 kPlayer1Colour,
                 Qt::SolidLine,
                 kWideLine,
                 RoundRuns(
                     spans,
                     [](const ReportRound& round, bool swapped) -> std::optional<double> {
                         const std::optional<int>& moves = swapped ? round.p2Moves : round.p1Moves;
                         return moves ? std::optional<double>(*moves) : std::nullopt;
                     },
                     most),
                 dots};
    LineSeries b{second,
                 kPlayer2Colour,
                 Qt::DashLine,
                 kNarrowLine,
                 RoundRuns(
                     spans,
                     [](const ReportRound& round, bool swapped) -> std::optional<double> {
                         const std::optional<int>& moves = swapped ? round.p1Moves : round.p2Moves;
                         return moves ? std::optional<double>(*moves) : std::nullopt;
                     },
                     most),
                 dots};
    const std::string centre = "<span class=\"centre\">Moves per round: " + E(first) + " " +
                               CentreText(ValuesOf(a.runs), "") + "; " + E(second) + " " +
                               CentreText(ValuesOf(b.runs), "") + ".</span> ";
    const std::size_t step =
        std::max(Average(a.runs, MostPoints(chart)), Average(b.runs, MostPoints(chart)));
    chart.yMax = AxisTop(std::max(most, 1.0), 5, true);
    chart.series = {std::move(a), std::move(b)};
    return Figure(chart.width, DrawLineChart(chart), centre + caption + ThinnedNote(step));
}

std::string Page::GameSection(const ReportGame& game) const {
    const std::string number = std::to_string(game.game);
    std::string html = "<section class=\"game\" id=\"charts-" + number + "\"><h4>Game " + number +
                       "</h4>\n<p>" + StartText(game.start) +
                       "; player 1: " + names_.Subject(game.p1Subject) +
                       ", player 2: " + names_.Subject(game.p2Subject) + "; levels " +
                       Known(game.p1Level) + " / " + Known(game.p2Level) + ", displays " +
                       Known(game.p1Display) + " / " + Known(game.p2Display) + "; " +
                       Plural(static_cast<long long>(game.roundRows.size()), "round", "rounds");
    const int last = LastRound(game);
    if (last > static_cast<int>(game.roundRows.size())) {
        html += " of " + std::to_string(last);
    }
    html += ".</p>\n<div class=\"multiples\">\n";

    LineChart curve = GameFrame(game);
    curve.description = "Learning curve of game " + number;
    std::vector<Outcome> outcomes;
    for (const ReportRound& round : game.roundRows) {
        if (round.won) {
            outcomes.push_back({static_cast<double>(round.round), *round.won});
        }
    }
    const std::size_t curveStep = LearningSeries(outcomes, curve);
    curve.series[0].label = "last " + std::to_string(kWindow);
    curve.series[1].label = "all so far";
    html += Figure(curve.width, DrawLineChart(curve), LearningCaption(curveStep, outcomes.size()));

    const std::vector<Span> spans = {{&game, 0, false}};
    LineChart durations = GameFrame(game);
    durations.description = "Round durations of game " + number;
    html += DurationsFigure(std::move(durations), spans);

    LineChart moves = GameFrame(game);
    moves.description = "Moves per round of game " + number;
    moves.marks.clear();
    html += MovesFigure(std::move(moves), spans, "player 1", "player 2",
                        "Arrow moves carried out per round by player 1, " +
                            names_.Subject(game.p1Subject) + ", and player 2, " +
                            names_.Subject(game.p2Subject) + ".");
    html += "</div></section>\n";
    return html;
}

std::string Page::PairRounds(const Pair& pair) const {
    std::vector<Span> spans;
    LineChart durations = PairFrame(pair, spans);
    durations.width = 610;
    durations.height = 240;
    durations.description = "Round durations of " + names_.Plain(pair.key.first) + " and " +
                            names_.Plain(pair.key.second);
    LineChart moves = PairFrame(pair, spans);
    moves.width = 610;
    moves.height = 240;
    moves.description = "Moves per round of " + names_.Plain(pair.key.first) + " and " +
                        names_.Plain(pair.key.second);
    moves.marks.clear();
    const bool subjects = pair.key.first || pair.key.second;
    const auto label = [](const std::optional<long long>& subject) {
        return subject ? "subject " + std::to_string(*subject) : std::string("no subject");
    };
    std::string html = "<div class=\"multiples\">\n" + DurationsFigure(std::move(durations), spans);
    if (subjects) {
        html +=
            MovesFigure(std::move(moves), spans, label(pair.key.first), label(pair.key.second),
                        "Arrow moves carried out per round by " + names_.Subject(pair.key.first) +
                            " (wide sky blue) and " + names_.Subject(pair.key.second) +
                            " (narrow dashed vermilion), in whichever seat they sat.");
    } else {
        html += MovesFigure(std::move(moves), spans, "player 1", "player 2",
                            "Arrow moves carried out per round by player 1 (wide sky blue) and "
                            "player 2 (narrow dashed vermilion).");
    }
    html += "</div>\n";
    return html;
}

std::string Page::PairSection(const Pair& pair, std::size_t number) {
    long long present = 0;
    long long known = 0;
    long long won = 0;
    long long playMs = 0;
    for (const ReportGame* game : pair.games) {
        present += static_cast<long long>(game->roundRows.size());
        for (const ReportRound& round : game->roundRows) {
            known += round.won ? 1 : 0;
            won += round.won.value_or(0);
        }
        playMs += game->playMs.value_or(0);
    }
    std::string html = "<section class=\"pair\" id=\"pair-" + std::to_string(number) + "\"><h3>" +
                       PairTitle(pair.key, names_) + "</h3>\n<p>" +
                       Plural(static_cast<long long>(pair.games.size()), "game", "games") + ", " +
                       Plural(present, "round", "rounds") + "; " + std::to_string(won) + " of " +
                       std::to_string(known) + " with a result won (" + Percent(won, known) +
                       "); play time " + Clock(playMs) + " " + std::string(kClockUnit) + ".</p>\n";
    const bool charts = pairsCharted_ < kPairsCharted;
    if (!charts) {
        html += "<h4>Results per level and display</h4>\n" + Results(pair, false);
        html += "<p class=\"note\">No charts for this pair: the page draws them for its first " +
                std::to_string(kPairsCharted) + " pairs only, to stay quick to open.</p>\n";
        return html + "</section>\n";
    }
    ++pairsCharted_;
    html += "<h4>Learning curve</h4>\n" + PairCurve(pair);
    html += "<h4>Results per level and display</h4>\n" + Results(pair, true);
    html += "<h4>Round durations and moves</h4>\n" + PairRounds(pair);
    std::vector<long long> left;
    for (const ReportGame* game : pair.games) {
        if (gamesCharted_ < kGamesCharted) {
            ++gamesCharted_;
            charted_.insert(game->game);
            html += GameSection(*game);
        } else {
            left.push_back(game->game);
        }
    }
    if (!left.empty()) {
        std::string list;
        for (const long long game : left) {
            list += (list.empty() ? "" : ", ") + std::to_string(game);
        }
        html += "<p class=\"note\">No charts of their own for " +
                std::string(left.size() == 1 ? "game " : "games ") + list +
                ": the page draws them for its first " + std::to_string(kGamesCharted) +
                " games only, to stay quick to open. These games are in the games table and in "
                "the pair's charts above.</p>\n";
    }
    html += "</section>\n";
    return html;
}

std::string Page::Build(const std::filesystem::path& folder, const std::string& madeAt) {
    std::map<PairKey, Pair> byKey;
    for (const ReportGame& game : data_.games) {
        Pair& pair = byKey[PairKey::Of(game)];
        pair.key = PairKey::Of(game);
        pair.games.push_back(&game);
    }
    std::vector<Pair> pairs;
    for (auto& [key, pair] : byKey) {
        std::sort(pair.games.begin(), pair.games.end(), PlayedBefore);
        pairs.push_back(std::move(pair));
    }

    // The pairs' sections first, so that the games table can link to the
    // games that got charts.
    std::string sections;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        sections += PairSection(pairs[i], i + 1);
    }

    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>quib session report</title>\n<style>";
    html += kStyle;
    html += "</style>\n</head>\n<body>\n<h1>quib session report</h1>\n";
    html += "<p class=\"made\">Made " + E(madeAt) + " from the tables in " + E(folder.string()) +
            ".</p>\n";
    html += "<p class=\"summary\">" + Summary() + "</p>\n";
    html += "<p class=\"check\">" + RecordsCheckText() + "</p>\n";
    html += "<p class=\"note\">" + std::string(kWithAResult) + "</p>\n";
    // The contents: the games and each pair. A long list of pairs starts
    // folded (a <details> element, which needs no script) so that the games
    // table stays near the top.
    std::string pairLinks;
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        pairLinks += "<li><a href=\"#pair-" + std::to_string(i + 1) + "\">" +
                     PairTitle(pairs[i].key, names_) + "</a></li>";
    }
    html +=
        "<nav><p><a href=\"#conditions\">Rounds won per level and display</a> \xC2\xB7 <a "
        "href=\"#games\">Games</a> \xC2\xB7 <a href=\"#pairs\">Pairs of subjects</a></p>\n";
    if (pairs.size() > kPairsListed) {
        html += "<details><summary>" + std::to_string(pairs.size()) +
                " pairs of subjects</summary><ul>" + pairLinks + "</ul></details>";
    } else {
        html += "<ul>" + pairLinks + "</ul>";
    }
    html += "</nav>\n";
    html += "<h2 id=\"conditions\">Rounds won per level and display</h2>\n" + ConditionsTable();
    html += "<h2 id=\"games\">Games</h2>\n" + GamesTable();
    html += "<h2 id=\"pairs\">Pairs of subjects</h2>\n";
    if (pairs.empty()) {
        html += "<p class=\"note\">No games.</p>\n";
    }
    html += sections;
    html += "</body>\n</html>\n";
    return html;
}

}  // namespace

ReportResult WriteReport(const std::filesystem::path& tablesFolder,
                         const std::filesystem::path& reportFile) {
    return WriteReport(
        tablesFolder, reportFile,
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString());
}

ReportResult WriteReport(const std::filesystem::path& tablesFolder,
                         const std::filesystem::path& reportFile, const std::string& madeAt) {
    ReportResult result;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        result.message = "the report needs a QGuiApplication to draw its charts";
        return result;
    }
    ReportData data;
    if (!ReadReportData(tablesFolder, data, result.message)) {
        result.tablesUnreadable = true;
        return result;
    }
    data.check = ReadRecordsCheck(tablesFolder, kProblemsNamed);
    const Names names(data);
    Page page(data, names);
    const std::string html = page.Build(tablesFolder, madeAt);
    QSaveFile out(QString::fromStdString(reportFile.string()));
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(html.data(), static_cast<qint64>(html.size())) !=
            static_cast<qint64>(html.size()) ||
        !out.commit()) {
        result.message =
            "cannot write " + reportFile.string() + ": " + out.errorString().toStdString();
        return result;
    }
    result.written = true;
    return result;
}

}  // namespace quib::exporter
