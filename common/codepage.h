#pragma once

#include <string>
#include <string_view>

namespace quib {

// Both programs keep every text in Windows-1252, the single-byte code page of
// the German texts, inside the program and in their files. UTF-8 appears only
// at the edges: preferences files that start with a byte order mark, and the
// widgets. These two functions are the whole crossing.

// Windows-1252 -> UTF-8. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control of the same number, so
// that no byte is lost on a round trip.
std::string Cp1252ToUtf8(std::string_view cp1252);

// UTF-8 -> Windows-1252. A character that Windows-1252 cannot hold, and every
// byte of an invalid UTF-8 sequence, becomes '?'.
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace quib
