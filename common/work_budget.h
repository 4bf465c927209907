#pragma once

// The pixel work one frame may cause.
//
// A frame of a few kilobytes can ask for hours of drawing (flood fills on
// the largest image, one after the other). The drawing charges each message
// the pixels it may write before it draws; once a frame has spent its
// budget, the message that would go beyond it fails and the frame is bad.
//
// Threads: used by the one thread that executes the frames.

#include <cstdint>
#include <optional>

namespace quib {

class WorkBudget {
  public:
    // limit: pixels per frame; nullopt charges nothing and never runs out.
    explicit WorkBudget(std::optional<std::int64_t> limit) : limit_(limit) {}

    // A new frame: nothing spent yet.
    void Reset() { spent_ = 0; }

    // Adds `pixels` to the frame's work; false, adding nothing, when that
    // would go beyond the limit.
    bool Charge(std::int64_t pixels);

    std::int64_t spent() const { return spent_; }
    std::optional<std::int64_t> limit() const { return limit_; }

  private:
    std::optional<std::int64_t> limit_;
    std::int64_t spent_ = 0;
};

}  // namespace quib
