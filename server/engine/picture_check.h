#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quib::server {

// The picture names the load-picture messages (211) of a finished frame ask
// for, each once, in the order of the frame. Its check value is not looked at: the
// frame is one this program built, and the names are wanted for every frame
// sent, where a second pass over its bytes for the check would be wasted.
std::vector<std::string> LoadedPictureNames(std::span<const std::uint8_t> frame);

// Whether a seat's player program could show the pictures it was sent.
//
// A player's program reports nothing but "bad frame" when it cannot load a
// picture (its grafik/ folder lacks the file a lab copied only onto the
// experimenter's computer), and no frame is ever sent again: without this
// the participant would play a whole session without a figure while the
// experimenter's mirror shows one. So the names a frame loads are kept until
// its reply: a bad-frame report to a frame that loads pictures marks them
// missing, and they stay missing until a later frame that loads pictures is
// answered normally.
//
// Network thread only, like the seat links it follows.
class PictureCheck {
  public:
    enum class Change {
        None,
        Missing,  // missing() names pictures it did not name before
        Found,    // missing() has become empty
    };

    // A frame has gone out to the seat.
    void FrameSent(std::span<const std::uint8_t> frame);
    // The reply to that frame was taken in.
    Change ReplyTaken(bool badFrameReported);
    // The player's program left the seat: nothing is known of the next one.
    Change Forget();

    const std::vector<std::string>& missing() const { return missing_; }

  private:
    std::vector<std::string> inFlight_;
    std::vector<std::string> missing_;
};

// "a.png, a1.png": the names as one line of text.
std::string JoinPictureNames(const std::vector<std::string>& names);

}  // namespace quib::server
