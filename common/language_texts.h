#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quib {

// A program's language texts, addressed by key number: entry n holds key
// "txt<n>" of the language files. Windows-1252 throughout. Each program
// names its built-in German texts (in key order) and how many key numbers it
// keeps; the numbers past its German texts start out empty.
class LanguageTexts {
  public:
    // `defaults` must outlive the table (the programs pass static arrays);
    // `slots` is at least defaults.size().
    LanguageTexts(std::span<const char* const> defaults, int slots);

    // The text of key n; an empty text outside 0 .. slots-1.
    const std::string& operator[](int n) const;
    // Ignored outside 0 .. slots-1.
    void Set(int n, std::string text);

    // How many keys have a German text: txt0 .. txt<count-1>.
    int defaultCount() const { return static_cast<int>(defaults_.size()); }
    // The built-in German text of key n; empty outside 0 .. defaultCount-1.
    std::string_view DefaultText(int n) const { return DefaultIn(defaults_, n); }

    // Entry n of `defaults`; empty outside it.
    static std::string_view DefaultIn(std::span<const char* const> defaults, int n);

  private:
    std::span<const char* const> defaults_;
    std::vector<std::string> slots_;
};

}  // namespace quib
