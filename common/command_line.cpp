#include "common/command_line.h"

#include <ostream>

namespace quib {
namespace {

bool TakesValue(std::string_view argument) {
    return argument == "-geometry" || argument == "-qwindowgeometry";
}

EarlyRequest RequestOf(std::string_view argument) {
    if (argument == "--help" || argument == "-h") {
        return EarlyRequest::kHelp;
    }
    if (argument == "--version") {
        return EarlyRequest::kVersion;
    }
    if (argument.starts_with("--")) {
        return EarlyRequest::kUnknownOption;
    }
    return EarlyRequest::kNone;
}

}  // namespace

std::string VersionLine(std::string_view program) {
    return std::string(program) + " (quib) " + std::string(Version());
}

std::string ProgramName(const char* argv0, std::string_view fallback) {
    const std::string_view path = argv0 != nullptr ? argv0 : "";
    const std::string_view name = path.substr(path.find_last_of('/') + 1);
    return std::string(name.empty() ? fallback : name);
}

EarlyCommand ReadEarlyCommand(std::span<const char* const> arguments) {
    EarlyCommand unknown;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i] != nullptr ? arguments[i] : "";
        if (TakesValue(argument)) {
            ++i;
            continue;
        }
        const EarlyRequest request = RequestOf(argument);
        if (request == EarlyRequest::kHelp || request == EarlyRequest::kVersion) {
            // Asked for help, a mistyped option beside it does not matter.
            return {request, {}};
        }
        if (request == EarlyRequest::kUnknownOption && unknown.option.empty()) {
            unknown = {request, std::string(argument)};
        }
    }
    return unknown;
}

std::optional<int> AnswerEarlyCommand(const EarlyCommand& command, std::string_view program,
                                      std::string_view usage, std::ostream& out,
                                      std::ostream& err) {
    switch (command.request) {
        case EarlyRequest::kNone:
            return std::nullopt;
        case EarlyRequest::kHelp:
            out << usage;
            return 0;
        case EarlyRequest::kVersion:
            out << VersionLine(program) << "\n";
            return 0;
        case EarlyRequest::kUnknownOption:
            err << program << ": unknown option \"" << command.option << "\"\n(" << program
                << " --help shows the usage)\n";
            return 2;
    }
    return std::nullopt;
}

}  // namespace quib
