#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quib::server {

inline constexpr int kServerTextCount = 171;  // txt0 .. txt170
inline constexpr int kServerTextSlots = 201;

// The server's language texts, addressed by key number (slot n holds key
// "txt<n>"). Every text the server shows or writes into its files comes from
// here. Windows-1252 throughout. Filled once at start-up, read-only after.
class ServerTexts {
  public:
    // All slots hold the built-in German defaults.
    ServerTexts();

    // The text of key n; an empty text for a slot without one.
    const std::string& operator[](int n) const;
    void Set(int n, std::string text);

    // The built-in German text of key n (Windows-1252); empty past txt170.
    static std::string_view Default(int n);

  private:
    std::array<std::string, kServerTextSlots> slots_;
};

}  // namespace quib::server
