#pragma once

// Where the main window opens, when the command line says so.
//
// Both programs centre their main window on the screen. With the usual X11
// option "-geometry +X+Y" (also "-geometry WxH+X+Y", whose size is ignored:
// the windows have the size their settings give them) the main window opens
// at that position instead, which lets a lab or a demo lay out several
// windows side by side. Qt would apply the option to whatever window is
// shown first, which may be the language dialog; so the programs take it out
// of the arguments before Qt sees them and place the main window themselves.

#include <QPoint>

#include <optional>
#include <string_view>

namespace quib {

// The position of a geometry "+X+Y" or "WxH+X+Y"; nullopt for anything
// else (offsets from the right or bottom edge, "-X", are not supported).
std::optional<QPoint> ParseWindowPosition(std::string_view geometry);

// Removes every "-geometry GEOMETRY" and "-qwindowgeometry GEOMETRY" from argv
// (argc and argv are updated, argv[argc] stays null) and returns the
// position of the last valid one.
std::optional<QPoint> TakeWindowPosition(int& argc, char** argv);

}  // namespace quib
