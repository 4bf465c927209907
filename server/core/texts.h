#pragma once

#include <string_view>

#include "common/language_texts.h"
#include "server/core/text_ids.h"

namespace quib::server {

inline constexpr int kServerTextCount = 194;  // txt0 .. txt193
inline constexpr int kServerTextSlots = 201;

// The server's language texts: slots txt0 .. txt200, of which txt0 ..
// txt188 have German texts. Every text the server shows or writes into its
// files comes from here. Filled once at start-up, read-only after.
class ServerTexts : public LanguageTexts {
  public:
    // Every text holds its built-in German default.
    ServerTexts();

    // The built-in German text of key n (Windows-1252); empty past txt188.
    static std::string_view Default(int n);
};

}  // namespace quib::server
