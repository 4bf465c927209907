#pragma once

// The Windows virtual-key codes: the player's program reports its keys with
// them (a reply's key table is indexed by them), and the server's game acts
// on the space bar and the arrow keys. Letters and digits have the codes of
// their upper-case characters and need no names.

namespace quib {

inline constexpr int kKeyBackspace = 0x08;  // VK_BACK
inline constexpr int kKeyTab = 0x09;
inline constexpr int kKeyClear = 0x0C;
inline constexpr int kKeyReturn = 0x0D;
inline constexpr int kKeyShift = 0x10;
inline constexpr int kKeyControl = 0x11;
inline constexpr int kKeyAlt = 0x12;  // VK_MENU
inline constexpr int kKeyPause = 0x13;
inline constexpr int kKeyCapsLock = 0x14;  // VK_CAPITAL
inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeySpace = 0x20;     // 32
inline constexpr int kKeyPageUp = 0x21;    // VK_PRIOR
inline constexpr int kKeyPageDown = 0x22;  // VK_NEXT
inline constexpr int kKeyEnd = 0x23;
inline constexpr int kKeyHome = 0x24;
inline constexpr int kKeyLeft = 0x25;         // 37
inline constexpr int kKeyUp = 0x26;           // 38
inline constexpr int kKeyRight = 0x27;        // 39
inline constexpr int kKeyDown = 0x28;         // 40
inline constexpr int kKeyPrintScreen = 0x2C;  // VK_SNAPSHOT
inline constexpr int kKeyInsert = 0x2D;
inline constexpr int kKeyDelete = 0x2E;
inline constexpr int kKeyLeftWindows = 0x5B;
inline constexpr int kKeyApps = 0x5D;  // the context menu key
inline constexpr int kKeyF1 = 0x70;    // F2 .. F24 follow in order
inline constexpr int kKeyNumLock = 0x90;
inline constexpr int kKeyScrollLock = 0x91;  // VK_SCROLL
inline constexpr int kKeyOem1 = 0xBA;        // ;
inline constexpr int kKeyOemPlus = 0xBB;     // =
inline constexpr int kKeyOemComma = 0xBC;
inline constexpr int kKeyOemMinus = 0xBD;
inline constexpr int kKeyOemPeriod = 0xBE;
inline constexpr int kKeyOem2 = 0xBF;  // /
inline constexpr int kKeyOem3 = 0xC0;  // `
inline constexpr int kKeyOem4 = 0xDB;  // [
inline constexpr int kKeyOem5 = 0xDC;  // backslash
inline constexpr int kKeyOem6 = 0xDD;  // ]
inline constexpr int kKeyOem7 = 0xDE;  // '

// Left, up, right and down: the four codes the game moves a figure with.
inline constexpr bool IsArrowKey(int code) {
    return code >= kKeyLeft && code <= kKeyDown;
}

}  // namespace quib
