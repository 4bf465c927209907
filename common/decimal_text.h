#pragma once

#include <cstdint>
#include <string_view>

namespace quib {

// The decimal number at the start of `text`, as the settings, language and
// record files hold numbers: leading spaces and tabs, an optional sign, then
// digits up to the first non-digit. No digits read 0, and values beyond the
// int32 range stop at its nearest end, so that a damaged or edited file can
// never make a counter wrap.
std::int32_t ParseDecimal(std::string_view text);

}  // namespace quib
