#pragma once

// The keyboard as the replies report it.
//
// Each reply carries every key that is down at the moment of sampling or was
// pressed since the previous sample, so a tap shorter than the time between
// two frames still reaches the server once. The platform offers no
// asynchronous key state, so the window keeps it from its key events.
//
// The code of a key event follows Shift and NumLock (Shift+keypad-4 is the
// left arrow, Shift+1 another character), so the release of a physical key
// may name another code than its press did. KeyDown and KeyUp therefore
// remember the code each physical key's press produced, by its native scan
// code, and the release frees that code.
//
// Threads: Press, Release, KeyDown, KeyUp and ReleaseAll run on the GUI
// thread (the window's key events); Sample runs on the client's network
// thread while it builds a reply. The two share nothing but the atomic flags
// below; the scan code table belongs to the GUI thread. The window leaves
// out auto-repeated presses; repeating a press changes nothing here anyway.

#include <array>
#include <atomic>
#include <bitset>
#include <cstdint>
#include <unordered_map>

namespace quib::client {

inline constexpr int kKeyCodeCount = 256;
// What VirtualKeyFromQt gives for a key without a Windows code.
inline constexpr int kNoKeyCode = 0;

class KeyState {
  public:
    // vk: Windows virtual-key code; codes outside 0 .. 255 are ignored.
    void Press(int vk);
    void Release(int vk);

    // A physical key went down or up. `scanCode` is the platform's native
    // scan code (0 when the event has none, as synthetic events); `vk` the
    // code of the key the event names now, kNoKeyCode for a key without one
    // (which is remembered but reports nothing). A release frees the code its
    // key's press produced, and a code stays down while another physical
    // key that produced it (the other Shift, keypad-4 without NumLock beside
    // the left arrow) is still held. Without a scan code, or for a key
    // pressed before the table knew it, the release frees `vk`.
    void KeyDown(std::uint32_t scanCode, int vk);
    void KeyUp(std::uint32_t scanCode, int vk);

    // Every key up, nothing pending: for the window losing the keyboard
    // focus, after which it no longer sees the releases.
    void ReleaseAll();

    // The keys down now or pressed since the last sample; clears the
    // "pressed since" flags.
    std::bitset<kKeyCodeCount> Sample();

  private:
    // Forgets the physical key and frees the code its press produced unless
    // another held key produced it too. False when the key was not known.
    bool ReleaseHeldKey(std::uint32_t scanCode);

    std::array<std::atomic<bool>, kKeyCodeCount> down_{};
    std::array<std::atomic<bool>, kKeyCodeCount> pressedSinceSample_{};
    // GUI thread only: the code each held physical key's press produced.
    std::unordered_map<std::uint32_t, int> codeOfHeldKey_;
};

// The Windows virtual-key code for a Qt::Key value, kNoKeyCode when the key
// has none.
// Letters, digits, space, the arrows, F1 .. F24, the editing, navigation and
// modifier keys, and the punctuation keys of a US layout are mapped.
int VirtualKeyFromQt(int qtKey);

}  // namespace quib::client
