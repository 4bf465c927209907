#include "tools/bot/bot_player.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace quib::tools {
namespace {

constexpr protocol::Colour Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | (g << 8) | (b << 16);
}

// The backgrounds the server gives the status line in each state of the game.
constexpr protocol::Colour kIdleColour = Rgb(150, 150, 255);
constexpr protocol::Colour kNotReadyColour = Rgb(255, 200, 200);  // also: lost
constexpr protocol::Colour kReadyColour = Rgb(200, 255, 200);     // also: won
constexpr protocol::Colour kPlayingColour = Rgb(230, 230, 230);

// A figure travels at least 0.02 of the board per frame; anything smaller
// is the same place.
constexpr float kSamePlace = 1e-4f;

// The figure picture's corner lies half a picture left of and above the
// figure's cell centre (0.25 or 0.75). Any picture narrower than the board
// leaves the corner of the far column right of 0.25 and that of the near
// column at or left of it; the margin allows for rounding.
constexpr float kFarSideFrom = 0.26f;

struct KeyName {
    BotKey key;
    const char* name;
};
constexpr KeyName kKeyNames[] = {{BotKey::Space, "SPACE"},
                                 {BotKey::Left, "LEFT"},
                                 {BotKey::Up, "UP"},
                                 {BotKey::Right, "RIGHT"},
                                 {BotKey::Down, "DOWN"}};

bool StartsWith(const std::string& text, const std::string& prefix) {
    return !prefix.empty() && text.compare(0, prefix.size(), prefix) == 0;
}

bool SamePlace(const protocol::Point& a, const protocol::Point& b) {
    return std::fabs(a.x - b.x) < kSamePlace && std::fabs(a.y - b.y) < kSamePlace;
}

}  // namespace

std::optional<int> SeriesOfScore(const std::string& score) {
    std::size_t at = score.find(':');
    if (at == std::string::npos) {
        return std::nullopt;
    }
    at = score.find_first_not_of(' ', at + 1);
    int series = 0;
    int digits = 0;
    // Nine digits at most: more would overflow, and no session plays a
    // billion rounds in a row.
    for (; at < score.size() && std::isdigit(static_cast<unsigned char>(score[at])) && digits < 9;
         ++at, ++digits) {
        series = series * 10 + (score[at] - '0');
    }
    return digits > 0 ? std::optional<int>(series) : std::nullopt;
}

const char* BotKeyName(BotKey key) {
    for (const KeyName& entry : kKeyNames) {
        if (entry.key == key) {
            return entry.name;
        }
    }
    return "?";
}

std::optional<BotKey> BotKeyFromName(const std::string& name) {
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const KeyName& entry : kKeyNames) {
        if (upper == entry.name) {
            return entry.key;
        }
    }
    return std::nullopt;
}

BotPlayer::BotPlayer(BotPlan plan, BotTexts texts)
    : plan_(std::move(plan)), texts_(std::move(texts)), random_(plan_.seed) {}

std::bitset<256> BotPlayer::OnFrame(const FrameNews& news, std::uint32_t nowMs) {
    // The score first: a round's end changes it in the same frame as the
    // status line, which may need it to tell the result.
    TakeScore(news);
    if (news.status) {
        TakeStatus(*news.status, news.partnerViewCreated);
    }
    TakeFigure(news);
    if (releaseDue_) {
        releaseDue_ = false;
        return {};
    }
    if (Done() || !PaceAllows(nowMs)) {
        return {};
    }
    switch (phase_) {
        case BotPhase::PressToStart:
        case BotPhase::Result:
            return Press(BotKey::Space, nowMs);
        case BotPhase::Playing: {
            if (figureMoving_) {
                return {};
            }
            const BotKey key = NextKeyWhilePlaying();
            roundKeys_.push_back(key);
            return Press(key, nowMs);
        }
        default:
            return {};
    }
}

void BotPlayer::ConnectionLost() {
    phase_ = BotPhase::Unknown;
    releaseDue_ = false;
    figure_.reset();
    figureMoving_ = false;
}

std::vector<RoundReport> BotPlayer::TakeReports() {
    return std::exchange(reports_, {});
}

// Texts first, as they say exactly where the game stands; a language file
// may have changed them, so the colours decide what the texts do not. The
// not-ready colour in a running round can only be the lost result. The ready
// colour there is the won result or this player's "wait for your partner";
// only the result comes with the partner's board opened, in the same frame.
BotPhase BotPlayer::Classify(const StatusLine& status, bool partnerViewCreated) const {
    const std::string& text = status.text;
    if (status.colour == kPlayingColour || text == texts_.playing) {
        return BotPhase::Playing;
    }
    if (text == texts_.waitForPartner) {
        return BotPhase::WaitForPartner;
    }
    if (StartsWith(text, texts_.won + "!") || StartsWith(text, texts_.lost + "!")) {
        return BotPhase::Result;
    }
    if (text == texts_.pressToStart) {
        return BotPhase::PressToStart;
    }
    switch (status.colour) {
        case kIdleColour:
            return BotPhase::Idle;
        case kNotReadyColour:
            return roundOpen_ ? BotPhase::Result : BotPhase::PressToStart;
        case kReadyColour:
            return roundOpen_ && partnerViewCreated ? BotPhase::Result : BotPhase::WaitForPartner;
        default:
            return BotPhase::Unknown;
    }
}

void BotPlayer::TakeStatus(const StatusLine& status, bool partnerViewCreated) {
    const BotPhase next = Classify(status, partnerViewCreated);
    if (next == BotPhase::PressToStart && roundOpen_) {
        // Back at a round's start without having seen the last one's result
        // (the connection was away meanwhile): that round was still played.
        FinishRound("");
    }
    if (next == BotPhase::Playing && !roundOpen_) {
        BeginRound();
    }
    if (next == BotPhase::Result && roundOpen_) {
        FinishRound(status.text);
    }
    if (next == BotPhase::Idle && roundOpen_ && GameEndedWithTheRound(status, partnerViewCreated)) {
        FinishRound(ResultFromSeries(), true);
    }
    phase_ = next;
}

void BotPlayer::TakeScore(const FrameNews& news) {
    if (news.score) {
        if (const std::optional<int> series = SeriesOfScore(*news.score)) {
            series_ = series;
        }
    }
}

// When the experimenter has released the start toggle, the server ends the
// game in the step after it judged the round, which is mostly before the
// next frame: that frame shows the idle colour where the result was to be,
// together with the partner's board opened by the judgement. An aborted
// round keeps its colour (only its text turns to "please wait"), and a bot
// that was away (phase unknown) cannot tell a judged round from an aborted
// one, so both stay open.
bool BotPlayer::GameEndedWithTheRound(const StatusLine& status, bool partnerViewCreated) const {
    return status.colour == kIdleColour && partnerViewCreated &&
           (phase_ == BotPhase::Playing || phase_ == BotPhase::WaitForPartner);
}

// The round's result as the points in series tell it: a won round leaves
// them at 1 or more, a lost one at 0 (and the experimenter's resets, too,
// only ever set them to 0). The server sends the score line only when it
// changes, so one not sent with the round's end still holds: a loss that
// found the series at 0. Unknown only when no score line came at all.
std::string BotPlayer::ResultFromSeries() const {
    if (!series_) {
        return {};
    }
    return *series_ > 0 ? texts_.won + "!" : texts_.lost + "!";
}

void BotPlayer::TakeFigure(const FrameNews& news) {
    if (!news.ownFigure) {
        // The server redraws the own view whenever the figure moved.
        figureMoving_ = false;
        return;
    }
    figureMoving_ = figure_ && !SamePlace(*figure_, *news.ownFigure);
    figure_ = news.ownFigure;
}

void BotPlayer::BeginRound() {
    roundOpen_ = true;
    roundKeys_.clear();
    movesSent_ = 0;
    figure_.reset();
    figureMoving_ = false;
}

void BotPlayer::FinishRound(const std::string& result, bool fromSeries) {
    roundOpen_ = false;
    ++roundsPlayed_;
    reports_.push_back(RoundReport{roundsPlayed_, std::exchange(roundKeys_, {}), result,
                                   fromSeries && !result.empty()});
}

bool BotPlayer::PaceAllows(std::uint32_t nowMs) const {
    return !lastPressMs_ || nowMs - *lastPressMs_ >= plan_.paceMs;
}

// The planned arrows, then the space bar, again each time while the round
// still runs (a press the server did not take is simply repeated).
BotKey BotPlayer::NextKeyWhilePlaying() {
    const std::size_t planned = plan_.script.empty()
                                    ? static_cast<std::size_t>(std::max(plan_.randomMoves, 0))
                                    : plan_.script.size();
    if (movesSent_ >= planned) {
        return BotKey::Space;
    }
    const std::size_t index = movesSent_++;
    return plan_.script.empty() ? RandomArrow() : plan_.script[index];
}

// One of the two arrows that lead to another cell from where the figure was
// last drawn; any of the four while that is unknown.
BotKey BotPlayer::RandomArrow() {
    if (!figure_) {
        constexpr BotKey kAll[] = {BotKey::Left, BotKey::Up, BotKey::Right, BotKey::Down};
        return kAll[random_() % 4];
    }
    const BotKey across = figure_->x > kFarSideFrom ? BotKey::Left : BotKey::Right;
    const BotKey along = figure_->y > kFarSideFrom ? BotKey::Up : BotKey::Down;
    return random_() % 2 == 0 ? across : along;
}

std::bitset<256> BotPlayer::Press(BotKey key, std::uint32_t nowMs) {
    releaseDue_ = true;
    lastPressMs_ = nowMs;
    std::bitset<256> keys;
    keys.set(static_cast<std::size_t>(key));
    return keys;
}

}  // namespace quib::tools
