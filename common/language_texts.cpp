#include "common/language_texts.h"

#include <cstddef>
#include <utility>

namespace quib {

LanguageTexts::LanguageTexts(std::span<const char* const> defaults, int slots)
    : defaults_(defaults), slots_(static_cast<std::size_t>(slots)) {
    for (std::size_t n = 0; n < defaults_.size(); ++n) {
        slots_[n] = defaults_[n];
    }
}

const std::string& LanguageTexts::operator[](int n) const {
    static const std::string kEmpty;
    return n >= 0 && static_cast<std::size_t>(n) < slots_.size()
               ? slots_[static_cast<std::size_t>(n)]
               : kEmpty;
}

void LanguageTexts::Set(int n, std::string text) {
    if (n >= 0 && static_cast<std::size_t>(n) < slots_.size()) {
        slots_[static_cast<std::size_t>(n)] = std::move(text);
    }
}

std::string_view LanguageTexts::DefaultIn(std::span<const char* const> defaults, int n) {
    return n >= 0 && static_cast<std::size_t>(n) < defaults.size()
               ? std::string_view(defaults[static_cast<std::size_t>(n)])
               : std::string_view();
}

}  // namespace quib
