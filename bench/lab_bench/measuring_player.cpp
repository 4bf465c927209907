#include "bench/lab_bench/measuring_player.h"

#include "common/key_codes.h"
#include "tools/bot/bot_player.h"
#include "tools/bot/frame_news.h"

namespace quib::bench {
namespace {

// A figure counts as standing once two frames in a row left it in place;
// the server drops arrows that come while it travels.
constexpr std::size_t kRestFrames = 2;
// Pressing space again after this many frames, if the round still waits.
constexpr std::size_t kSpaceRepeatFrames = 20;

constexpr std::int8_t kPartnerFigureSlot = 3;
constexpr std::int8_t kNoTarget = 0x7F;  // outside a 200 ... 201 bracket

// Where the partner's figure was drawn onto the partner view, if it was.
std::optional<protocol::Point> PartnerFigure(std::span<const std::uint8_t> frame) {
    using protocol::ServerMessage;
    std::optional<protocol::Point> drawn;
    std::int8_t target = kNoTarget;
    protocol::ParseMessages(frame, [&](std::uint8_t type, std::span<const std::uint8_t> body) {
        if (type == static_cast<std::uint8_t>(ServerMessage::BeginDrawing)) {
            protocol::BeginDrawing begin;
            if (!protocol::Parse(body, &begin)) {
                return false;
            }
            target = begin.slot;
        } else if (type == static_cast<std::uint8_t>(ServerMessage::EndDrawing)) {
            target = kNoTarget;
        } else if (type == static_cast<std::uint8_t>(ServerMessage::DrawImage)) {
            protocol::DrawImage image;
            if (!protocol::Parse(body, &image)) {
                return false;
            }
            if (target == protocol::kPartnerViewSlot && image.slot == kPartnerFigureSlot) {
                drawn = protocol::Point{image.x, image.y};
            }
        }
        return true;
    });
    return drawn;
}

double Ms(MeasuringPlayer::Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

std::bitset<256> MeasuringPlayer::OnFrame(std::span<const std::uint8_t> frame) {
    const Clock::time_point at = now_();
    const tools::FrameNews news = tools::ReadFrameNews(frame);
    std::lock_guard lock(mutex_);
    const std::size_t index = frameIndex_++;
    ++record_.frames;
    if (lastArrival_) {
        record_.frameGapsMs.push_back(Ms(at - *lastArrival_));
    }
    lastArrival_ = at;
    if (news.status) {
        status_ = news.status->text;
    }
    NoteFigure(news.ownFigure, index, at);
    NotePartner(PartnerFigure(frame));
    return ChooseKeys(index, at);
}

void MeasuringPlayer::NoteFigure(const std::optional<protocol::Point>& drawn, std::size_t index,
                                 Clock::time_point at) {
    const bool moved = drawn && figure_ && (drawn->x != figure_->x || drawn->y != figure_->y);
    if (drawn) {
        if (moved || !figure_) {
            figureStillSince_ = index;
        }
        figure_ = drawn;
    }
    if (!pending_) {
        return;
    }
    if (moved) {
        record_.reactions.push_back(
            {static_cast<int>(index - pending_->frame), Ms(at - pending_->at)});
        pending_.reset();
    } else if (index - pending_->frame >= static_cast<std::size_t>(kShowLimit)) {
        ++record_.pressesNotShown;
        pending_.reset();
    }
}

// The partner's figure moves on the partner's exchanges, which are not in
// step with ours: a frame of ours may show it where the last one did in the
// middle of a journey. It counts as set off anew only after standing for
// kRestFrames + 1 of our frames.
void MeasuringPlayer::NotePartner(const std::optional<protocol::Point>& drawn) {
    if (!drawn) {
        return;
    }
    const bool moved = partner_ && (drawn->x != partner_->x || drawn->y != partner_->y);
    if (moved && partnerStillFrames_ > kRestFrames) {
        ++record_.partnerJourneys;
    }
    partnerStillFrames_ = moved ? 0 : partnerStillFrames_ + 1;
    partner_ = drawn;
}

std::bitset<256> MeasuringPlayer::ChooseKeys(std::size_t index, Clock::time_point at) {
    std::bitset<256> keys;
    if (keyHeld_) {
        keyHeld_ = false;  // a press is one reply with the key, then one without
        return keys;
    }
    const tools::BotTexts texts;
    if (StartsWith(status_, texts.pressToStart)) {
        if (!lastSpaceFrame_ || index - *lastSpaceFrame_ >= kSpaceRepeatFrames) {
            keys.set(kKeySpace);
            lastSpaceFrame_ = index;
            keyHeld_ = true;
        }
        return keys;
    }
    const bool standing = figure_ && index - figureStillSince_ >= kRestFrames;
    if (moving_ && StartsWith(status_, texts.playing) && standing && !pending_) {
        keys.set(nextRight_ ? kKeyRight : kKeyLeft);
        nextRight_ = !nextRight_;
        keyHeld_ = true;
        pending_ = Press{index, at, figure_};
    }
    return keys;
}

void MeasuringPlayer::SetMoving(bool moving) {
    std::lock_guard lock(mutex_);
    moving_ = moving;
}

PlayerPhase MeasuringPlayer::phase() const {
    std::lock_guard lock(mutex_);
    const tools::BotTexts texts;
    if (StartsWith(status_, texts.pressToStart)) {
        return PlayerPhase::PressToStart;
    }
    if (StartsWith(status_, texts.playing)) {
        return PlayerPhase::Playing;
    }
    if (StartsWith(status_, texts.waitForPartner)) {
        return PlayerPhase::WaitForPartner;
    }
    return PlayerPhase::Other;
}

std::string MeasuringPlayer::status() const {
    std::lock_guard lock(mutex_);
    return status_;
}

PlayerRecord MeasuringPlayer::TakeRecord() {
    std::lock_guard lock(mutex_);
    PlayerRecord taken = std::move(record_);
    record_ = {};
    return taken;
}

}  // namespace quib::bench
