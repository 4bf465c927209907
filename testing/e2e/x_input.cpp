#include "testing/e2e/x_input.h"

#include <sstream>

#include "testing/e2e/child_group.h"

namespace quib::e2e {
namespace {

constexpr const char* kXdotool = "/usr/bin/xdotool";

std::vector<WindowId> ParseIds(const std::string& text) {
    std::vector<WindowId> ids;
    std::istringstream lines(text);
    WindowId id = 0;
    while (lines >> id) {
        ids.push_back(id);
    }
    return ids;
}

// The value after "key=" in xdotool's --shell output.
std::optional<int> ShellValue(const std::string& text, const std::string& key) {
    const std::string prefix = key + "=";
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(prefix, 0) == 0) {
            try {
                return std::stoi(line.substr(prefix.size()));
            } catch (const std::exception&) {
                return std::nullopt;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

bool XInput::Run(std::vector<std::string> args, std::string* output) const {
    args.insert(args.begin(), kXdotool);
    const ToolResult result = RunTool(args, {{"DISPLAY", display_}});
    if (output != nullptr) {
        *output = result.output;
    }
    return result.exitCode == 0;
}

std::vector<WindowId> XInput::Windows(pid_t pid, const std::string& title) const {
    std::string output;
    // --all: every condition must hold; xdotool's default is any of them.
    std::vector<std::string> args = {"search", "--all", "--onlyvisible", "--pid",
                                     std::to_string(pid)};
    if (!title.empty()) {
        args.insert(args.end(), {"--name", title});
    }
    Run(args, &output);  // exit code 1 only means "none found"
    return ParseIds(output);
}

std::vector<WindowId> XInput::WindowsOfClass(const std::string& name) const {
    std::string output;
    Run({"search", "--onlyvisible", "--classname", "^" + name + "$"}, &output);
    return ParseIds(output);
}

std::optional<WindowGeometry> XInput::Geometry(WindowId window) const {
    std::string output;
    if (!Run({"getwindowgeometry", "--shell", std::to_string(window)}, &output)) {
        return std::nullopt;
    }
    const auto x = ShellValue(output, "X");
    const auto y = ShellValue(output, "Y");
    const auto width = ShellValue(output, "WIDTH");
    const auto height = ShellValue(output, "HEIGHT");
    if (!x || !y || !width || !height) {
        return std::nullopt;
    }
    return WindowGeometry{*x, *y, *width, *height};
}

bool XInput::Move(WindowId window, int x, int y) const {
    return Run(
        {"windowmove", "--sync", std::to_string(window), std::to_string(x), std::to_string(y)});
}

bool XInput::Focus(WindowId window) const {
    return Run({"windowraise", std::to_string(window)}) &&
           Run({"windowfocus", "--sync", std::to_string(window)});
}

std::optional<WindowId> XInput::FocusedWindow() const {
    std::string output;
    if (!Run({"getwindowfocus", "-f"}, &output)) {
        return std::nullopt;
    }
    const std::vector<WindowId> ids = ParseIds(output);
    if (ids.size() != 1) {
        return std::nullopt;
    }
    return ids[0];
}

bool XInput::Click(WindowId window, int x, int y) const {
    // No --sync: it waits for the pointer to move, for ever when it already
    // stands there. The X server takes the move before the click anyway.
    return Run({"mousemove", "--window", std::to_string(window), std::to_string(x),
                std::to_string(y), "click", "1"});
}

bool XInput::Keys(const std::vector<std::string>& names) const {
    std::vector<std::string> args = {"key", "--delay", "60"};
    args.insert(args.end(), names.begin(), names.end());
    return Run(args);
}

bool XInput::Type(const std::string& text) const {
    return Run({"type", "--delay", "60", text});
}

}  // namespace quib::e2e
