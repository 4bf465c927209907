#pragma once

// The keyboard as the replies report it.
//
// Each reply carries every key that is down at the moment of sampling or was
// pressed since the previous sample, so a tap shorter than the time between
// two frames still reaches the server once. The platform offers no
// asynchronous key state, so the window keeps it from its key events.
//
// Threads: Press, Release and ReleaseAll run on the GUI thread (the window's
// key events); Sample runs on the client's network thread while it builds a
// reply. The two share nothing but the atomic flags below. The window leaves
// out auto-repeated presses; repeating a press changes nothing here anyway.

#include <array>
#include <atomic>
#include <bitset>

namespace quib::client {

inline constexpr int kKeyCodeCount = 256;

class KeyState {
  public:
    // vk: Windows virtual-key code; codes outside 0 .. 255 are ignored.
    void Press(int vk);
    void Release(int vk);

    // Every key up, nothing pending: for the window losing the keyboard
    // focus, after which it no longer sees the releases.
    void ReleaseAll();

    // The keys down now or pressed since the last sample; clears the
    // "pressed since" flags.
    std::bitset<kKeyCodeCount> Sample();

  private:
    std::array<std::atomic<bool>, kKeyCodeCount> down_{};
    std::array<std::atomic<bool>, kKeyCodeCount> pressedSinceSample_{};
};

// The Windows virtual-key code for a Qt::Key value, 0 when the key has none.
// Letters, digits, space, the arrows, F1 .. F24, the editing, navigation and
// modifier keys, and the punctuation keys of a US layout are mapped.
int VirtualKeyFromQt(int qtKey);

}  // namespace quib::client
