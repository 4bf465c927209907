#pragma once

// What the programs answer on their command line before anything else:
// --help, --version and options they do not know.
//
// The window programs must answer these before QApplication exists, which
// would insist on a display and, given one, open the first-start dialogs; so
// they read their arguments here first and leave the rest to Qt. Qt's own
// options (-platform, -style, -display, ...) keep their single dash and pass
// untouched; a word starting with "--" that the program does not know is
// refused instead of being ignored while windows open, so that a mistyped
// option is noticed at once.

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quib {

// The version of quib: PROJECT_VERSION of the top CMakeLists.txt.
std::string_view Version();

// The first line of every program's --version: "NAME (quib) VERSION", the
// form help2man reads the name, package and version from.
std::string VersionLine(std::string_view program);

// The name the program was started by (the last part of argv[0]), so that
// the usage names the command as typed; `fallback` when argv[0] is missing
// or empty.
std::string ProgramName(const char* argv0, std::string_view fallback);

enum class EarlyRequest { kNone, kHelp, kVersion, kUnknownOption };

struct EarlyCommand {
    EarlyRequest request = EarlyRequest::kNone;
    std::string option;  // the unknown option, for the message
};

// Reads the arguments after the program name: "--help" or "-h" anywhere
// asks for the usage, "--version" for the version (the first of them wins);
// any other argument starting with "--" is unknown (the server's
// "--check-records" counts only as the first argument and is taken before
// this). The value after "-geometry" and "-qwindowgeometry" is a value,
// never an option.
EarlyCommand ReadEarlyCommand(std::span<const char* const> arguments);

// Answers `command`: the usage or the version line on `out` (exit status 0),
// or a message naming the unknown option on `err` (exit status 2). Nothing
// for kNone: the program goes on.
std::optional<int> AnswerEarlyCommand(const EarlyCommand& command, std::string_view program,
                                      std::string_view usage, std::ostream& out, std::ostream& err);

}  // namespace quib
