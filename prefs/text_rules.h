#pragma once

#include <algorithm>
#include <string_view>

// The small text rules every part of the preferences format shares: only
// blanks and tabs count as white space, and names compare without regard to
// the case of ASCII letters (the bytes above 127 are compared as they are,
// since their case depends on the code page).
namespace quib::prefs_text {

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

constexpr std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

constexpr std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

constexpr std::string_view TrimBlanks(std::string_view text) {
    return TrimTrailingBlanks(SkipBlanks(text));
}

constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

constexpr bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace quib::prefs_text
