#pragma once

// One received frame in, one reply out: the player program's side of the
// exchange, without the socket.
//
// Each receive is taken as exactly one frame. A frame that fails a check, or
// whose messages cannot all be executed, is answered with the 14-byte
// bad-frame report; the messages executed before the failure keep their
// effect. A good frame is answered with message 30, the host name when the
// server has asked for it, and the keys down when the window has the
// keyboard.
//
// Threads: the session, the drawing executor it drives and the text callback
// all run on the client's network thread. The key state it samples is the
// one object shared with the GUI thread, through atomics (key_state.h).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "client/key_state.h"
#include "common/drawing.h"
#include "protocol/frame.h"
#include "protocol/messages.h"

namespace quib::client {

// The two text fields below the pictures.
enum class TextField { Left = 0, Right = 1 };

// Called for messages 33 (left field, the status line) and 32 (right field):
// the background colour (kNoColour: keep the current one) and the text,
// Windows-1252, cut at its first zero byte (so empty when the text starts
// with one). The view is valid during the call only.
using TextHandler =
    std::function<void(TextField field, protocol::Colour colour, std::string_view text)>;

// Called after a frame that loaded pictures or failed to: the name of a
// picture the frame could not load (Windows-1252, from the server), or an
// empty name once a frame has loaded its pictures. The view is valid during
// the call only.
using PictureHandler = std::function<void(std::string_view missingPicture)>;

// What the reply to a good frame draws on besides the frame itself.
struct ReplyInputs {
    // The local host name; the reply cuts it to 50 bytes.
    std::string_view hostName;
    // Whether the window is the one receiving the keyboard input.
    bool foreground = false;
    // Sampled only for the reply to a good frame in the foreground, so a tap
    // that falls on a bad frame or a background moment is not used up
    // without being reported. nullptr: no keys.
    KeyState* keys = nullptr;
};

class ClientSession {
  public:
    ClientSession(DrawingExecutor& drawing, TextHandler onText,
                  PictureHandler onPictures = nullptr);

    // Checks and executes `received` and builds its reply. The returned bytes
    // live in the session's send buffer and stay valid until the next call.
    // The frame's drawing is bounded by the executor's frame work. `stop` is
    // looked at before every message: once it is set, the rest of the frame
    // is left undone and the frame counts as bad, so a program that is
    // closing never waits for the end of a long frame.
    std::span<const std::uint8_t> HandleFrame(std::span<const std::uint8_t> received,
                                              const ReplyInputs& inputs,
                                              const std::atomic<bool>* stop = nullptr);

    // Set by message 35; cleared once a reply has carried the host name, and
    // kept across bad frames until then.
    bool hostNameRequested() const { return hostNameRequested_; }

  private:
    bool ExecuteMessage(std::uint8_t type, std::span<const std::uint8_t> body);
    template <typename TextMessage>
    bool ShowText(TextField field, std::span<const std::uint8_t> body);
    void ReportPictures();

    DrawingExecutor& drawing_;
    TextHandler onText_;
    PictureHandler onPictures_;
    bool hostNameRequested_ = false;
    // 64 KiB: on the heap, allocated once and reused for every reply.
    std::unique_ptr<protocol::SendBuffer> sendBuffer_;
};

}  // namespace quib::client
