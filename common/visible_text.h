#pragma once

#include <string>
#include <string_view>

namespace quib {

// A Windows-1252 text that a peer names itself with, made fit for one line
// of a window and of the log: every control character (C0, DEL, and the five
// bytes Windows-1252 leaves undefined, which the widgets receive as C1
// controls) becomes a blank. A line break would push the rest of the text
// out of a one-line label, and other controls show as nothing or as boxes
// depending on the font. The length stays the same.
std::string BlankControls(std::string_view cp1252);

}  // namespace quib
