#pragma once

// What a person does at the X server, done through xdotool: find windows,
// move them apart, give one the keyboard, click and type. There is no window
// manager, so the keyboard focus is set directly (XSetInputFocus), which is
// what makes a Qt window the active one.

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace quib::e2e {

using WindowId = unsigned long;

struct WindowGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class XInput {
  public:
    explicit XInput(std::string display) : display_(std::move(display)) {}

    // The mapped windows of process `pid` whose title matches the regular
    // expression `title` (empty: any title).
    std::vector<WindowId> Windows(pid_t pid, const std::string& title) const;
    // The mapped windows whose class name (a Qt program's name) is `name`:
    // popups and dialogs too, which carry no process id.
    std::vector<WindowId> WindowsOfClass(const std::string& name) const;

    std::optional<WindowGeometry> Geometry(WindowId window) const;
    bool Move(WindowId window, int x, int y) const;

    // Gives `window` the keyboard focus and waits until the X server has it.
    bool Focus(WindowId window) const;
    std::optional<WindowId> FocusedWindow() const;

    // A left click at (x, y) inside `window`.
    bool Click(WindowId window, int x, int y) const;
    // Key names as xdotool knows them: "space", "Right", "Down", "Return".
    // Each is pressed and released; they go to the focused window.
    bool Keys(const std::vector<std::string>& names) const;
    bool Type(const std::string& text) const;

    const std::string& display() const { return display_; }

  private:
    bool Run(std::vector<std::string> args, std::string* output = nullptr) const;

    std::string display_;
};

}  // namespace quib::e2e
