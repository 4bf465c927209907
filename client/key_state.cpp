#include "client/key_state.h"

#include <QtCore/qnamespace.h>

#include <algorithm>
#include <cstddef>

#include "common/key_codes.h"

namespace quib::client {
namespace {

bool IsKeyCode(int vk) {
    return vk >= 0 && vk < kKeyCodeCount;
}

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
        return kKeyF1 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
        case Qt::Key_Space:
            return kKeySpace;
        case Qt::Key_Left:
            return kKeyLeft;
        case Qt::Key_Up:
            return kKeyUp;
        case Qt::Key_Right:
            return kKeyRight;
        case Qt::Key_Down:
            return kKeyDown;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyReturn;
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return kKeyTab;  // Shift+Tab arrives as Backtab
        case Qt::Key_Backspace:
            return kKeyBackspace;
        case Qt::Key_Shift:
            return kKeyShift;
        case Qt::Key_Control:
            return kKeyControl;
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
            return kKeyAlt;
        case Qt::Key_Meta:
            return kKeyLeftWindows;
        case Qt::Key_Menu:
            return kKeyApps;
        case Qt::Key_Pause:
            return kKeyPause;
        case Qt::Key_CapsLock:
            return kKeyCapsLock;
        case Qt::Key_NumLock:
            return kKeyNumLock;
        case Qt::Key_ScrollLock:
            return kKeyScrollLock;
        case Qt::Key_Print:
            return kKeyPrintScreen;
        case Qt::Key_Clear:
            return kKeyClear;
        case Qt::Key_Insert:
            return kKeyInsert;
        case Qt::Key_Delete:
            return kKeyDelete;
        case Qt::Key_Home:
            return kKeyHome;
        case Qt::Key_End:
            return kKeyEnd;
        case Qt::Key_PageUp:
            return kKeyPageUp;
        case Qt::Key_PageDown:
            return kKeyPageDown;
        case Qt::Key_Semicolon:
            return kKeyOem1;
        case Qt::Key_Equal:
            return kKeyOemPlus;
        case Qt::Key_Comma:
            return kKeyOemComma;
        case Qt::Key_Minus:
            return kKeyOemMinus;
        case Qt::Key_Period:
            return kKeyOemPeriod;
        case Qt::Key_Slash:
            return kKeyOem2;
        case Qt::Key_QuoteLeft:
            return kKeyOem3;
        case Qt::Key_BracketLeft:
            return kKeyOem4;
        case Qt::Key_Backslash:
            return kKeyOem5;
        case Qt::Key_BracketRight:
            return kKeyOem6;
        case Qt::Key_Apostrophe:
            return kKeyOem7;
        default:
            return kNoKeyCode;
    }
}

}  // namespace quib::client
