#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quib::client {

// Checks a server address as the player typed it into the options dialog.
//
// Accepted: exactly three "." and four fields that each read as a number
// from 0 to 255. A field reads like this: leading blanks and tabs skipped,
// an optional "+" or "-", then decimal digits, or hexadecimal digits after
// "$", or binary digits after "%", up to the first character that does not
// fit; a field without digits is 0 (so "1.2.3." is 1.2.3.0).
//
// Returns the four numbers in decimal without leading zeros, joined by "."
// ("010.0.0.1" gives "10.0.0.1"), or nothing when the dialog must ask again.
std::optional<std::string> NormaliseServerAddress(std::string_view typed);

}  // namespace quib::client
