#include "client/key_state.h"

#include <QtCore/qnamespace.h>

#include <algorithm>
#include <cstddef>

namespace quib::client {
namespace {

bool IsKeyCode(int vk) {
    return vk >= 0 && vk < kKeyCodeCount;
}

// Windows virtual-key codes of keys whose code is not their character.
constexpr int kVkBack = 0x08;
constexpr int kVkTab = 0x09;
constexpr int kVkClear = 0x0C;
constexpr int kVkReturn = 0x0D;
constexpr int kVkShift = 0x10;
constexpr int kVkControl = 0x11;
constexpr int kVkMenu = 0x12;  // Alt
constexpr int kVkPause = 0x13;
constexpr int kVkCapital = 0x14;
constexpr int kVkEscape = 0x1B;
constexpr int kVkSpace = 0x20;
constexpr int kVkPrior = 0x21;
constexpr int kVkNext = 0x22;
constexpr int kVkEnd = 0x23;
constexpr int kVkHome = 0x24;
constexpr int kVkLeft = 0x25;
constexpr int kVkUp = 0x26;
constexpr int kVkRight = 0x27;
constexpr int kVkDown = 0x28;
constexpr int kVkSnapshot = 0x2C;
constexpr int kVkInsert = 0x2D;
constexpr int kVkDelete = 0x2E;
constexpr int kVkLeftWindows = 0x5B;
constexpr int kVkApps = 0x5D;
constexpr int kVkF1 = 0x70;
constexpr int kVkNumLock = 0x90;
constexpr int kVkScroll = 0x91;
constexpr int kVkOem1 = 0xBA;     // ;
constexpr int kVkOemPlus = 0xBB;  // =
constexpr int kVkOemComma = 0xBC;
constexpr int kVkOemMinus = 0xBD;
constexpr int kVkOemPeriod = 0xBE;
constexpr int kVkOem2 = 0xBF;  // /
constexpr int kVkOem3 = 0xC0;  // `
constexpr int kVkOem4 = 0xDB;  // [
constexpr int kVkOem5 = 0xDC;  // backslash
constexpr int kVkOem6 = 0xDD;  // ]
constexpr int kVkOem7 = 0xDE;  // '

}  // namespace

void KeyState::Press(int vk) {
    if (!IsKeyCode(vk)) {
        return;
    }
    const auto i = static_cast<std::size_t>(vk);
    down_[i].store(true);
    pressedSinceSample_[i].store(true);
}

void KeyState::Release(int vk) {
    if (!IsKeyCode(vk)) {
        return;
    }
    down_[static_cast<std::size_t>(vk)].store(false);
}

void KeyState::KeyDown(std::uint32_t scanCode, int vk) {
    if (scanCode != 0) {
        // A key already down has lost its release on the way: the code of
        // that earlier press goes up now.
        ReleaseHeldKey(scanCode);
        codeOfHeldKey_[scanCode] = vk;
    }
    if (vk != kNoKeyCode) {
        Press(vk);
    }
}

void KeyState::KeyUp(std::uint32_t scanCode, int vk) {
    if (scanCode == 0 || !ReleaseHeldKey(scanCode)) {
        Release(vk);
    }
}

bool KeyState::ReleaseHeldKey(std::uint32_t scanCode) {
    const auto held = codeOfHeldKey_.find(scanCode);
    if (held == codeOfHeldKey_.end()) {
        return false;
    }
    const int code = held->second;
    codeOfHeldKey_.erase(held);
    const bool stillHeld = std::any_of(codeOfHeldKey_.begin(), codeOfHeldKey_.end(),
                                       [code](const auto& other) { return other.second == code; });
    if (!stillHeld && code != kNoKeyCode) {
        Release(code);
    }
    return true;
}

void KeyState::ReleaseAll() {
    codeOfHeldKey_.clear();
    for (std::size_t i = 0; i < down_.size(); ++i) {
        down_[i].store(false);
        pressedSinceSample_[i].store(false);
    }
}

std::bitset<kKeyCodeCount> KeyState::Sample() {
    std::bitset<kKeyCodeCount> keys;
    for (std::size_t i = 0; i < down_.size(); ++i) {
        // Take the pending press first: a press and release that land
        // between the two reads is still reported through this flag.
        const bool pressed = pressedSinceSample_[i].exchange(false);
        if (pressed || down_[i].load()) {
            keys.set(i);
        }
    }
    return keys;
}

int VirtualKeyFromQt(int qtKey) {
    // Letters and digits share their codes with their upper-case characters.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return kVkF1 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
        case Qt::Key_Space:
            return kVkSpace;
        case Qt::Key_Left:
            return kVkLeft;
        case Qt::Key_Up:
            return kVkUp;
        case Qt::Key_Right:
            return kVkRight;
        case Qt::Key_Down:
            return kVkDown;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kVkReturn;
        case Qt::Key_Escape:
            return kVkEscape;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return kVkTab;  // Shift+Tab arrives as Backtab
        case Qt::Key_Backspace:
            return kVkBack;
        case Qt::Key_Shift:
            return kVkShift;
        case Qt::Key_Control:
            return kVkControl;
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
            return kVkMenu;
        case Qt::Key_Meta:
            return kVkLeftWindows;
        case Qt::Key_Menu:
            return kVkApps;
        case Qt::Key_Pause:
            return kVkPause;
        case Qt::Key_CapsLock:
            return kVkCapital;
        case Qt::Key_NumLock:
            return kVkNumLock;
        case Qt::Key_ScrollLock:
            return kVkScroll;
        case Qt::Key_Print:
            return kVkSnapshot;
        case Qt::Key_Clear:
            return kVkClear;
        case Qt::Key_Insert:
            return kVkInsert;
        case Qt::Key_Delete:
            return kVkDelete;
        case Qt::Key_Home:
            return kVkHome;
        case Qt::Key_End:
            return kVkEnd;
        case Qt::Key_PageUp:
            return kVkPrior;
        case Qt::Key_PageDown:
            return kVkNext;
        case Qt::Key_Semicolon:
            return kVkOem1;
        case Qt::Key_Equal:
            return kVkOemPlus;
        case Qt::Key_Comma:
            return kVkOemComma;
        case Qt::Key_Minus:
            return kVkOemMinus;
        case Qt::Key_Period:
            return kVkOemPeriod;
        case Qt::Key_Slash:
            return kVkOem2;
        case Qt::Key_QuoteLeft:
            return kVkOem3;
        case Qt::Key_BracketLeft:
            return kVkOem4;
        case Qt::Key_Backslash:
            return kVkOem5;
        case Qt::Key_BracketRight:
            return kVkOem6;
        case Qt::Key_Apostrophe:
            return kVkOem7;
        default:
            return kNoKeyCode;
    }
}

}  // namespace quib::client
