#pragma once

// A lab on one machine: a private X server, the experimenter's program and
// two players' programs, each in a working folder of its own with the figure
// pictures and settings that skip every start-up question; and what a person
// does there: click and type into the server's window, press keys in a
// player's window, look at the screens.
//
// The methods report problems as gtest failures; call them through
// ASSERT_NO_FATAL_FAILURE.

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "testing/e2e/child_group.h"
#include "testing/e2e/screenshot.h"
#include "testing/e2e/window_layout.h"
#include "testing/e2e/x_input.h"
#include "testing/e2e/xvfb_display.h"

namespace quib::e2e {

inline constexpr auto kStepLimit = std::chrono::seconds(30);

class LabSession {
  public:
    // Everything of the run lives below `root`: the three working folders,
    // the programs' output and every screenshot taken.
    explicit LabSession(std::filesystem::path root);
    ~LabSession() { Stop(); }

    // Folders, X server, server (until it listens), then the players one
    // after the other (so that player 1 takes seat 0), all windows placed
    // side by side. With `players` 1 only player 1's program starts and
    // seat 1 is left to whoever connects next.
    // `prepare`, when given, runs once the folders are filled and before any
    // program starts: a test may take pictures away or add files.
    void Start(int players = 2, const std::function<void()>& prepare = {});
    void Stop();
    // A player's program killed outright (SIGKILL, as a crash or a pulled
    // plug ends it: no goodbye on its connection), and started again, which
    // waits until it is connected and its window placed as before.
    void KillPlayer(int seat);
    void RestartPlayer(int seat) { StartClient(seat); }

    const std::filesystem::path& serverDir() const { return serverDir_; }
    std::filesystem::path playerDir(int seat) const { return PlayerDir(seat); }
    // The private X server (":N") and a player's main window on it, for a
    // caller that talks to the X server itself.
    const std::string& displayName() const { return xvfb_.name(); }
    WindowId playerWindow(int seat) const { return clientWindows_[seat]; }
    pid_t serverPid() const { return server_.pid(); }
    pid_t playerPid(int seat) const { return clients_[seat].pid(); }
    bool ServerRunning() { return server_.Running(); }
    bool PlayerRunning(int seat) { return clients_[seat].Running(); }
    // From starting the program until the server listened on its port, and
    // until a player's window was on the screen.
    std::chrono::milliseconds serverListenTime() const { return serverListenTime_; }
    std::chrono::milliseconds playerWindowTime(int seat) const { return playerWindowTime_[seat]; }

    std::optional<Screenshot> ShotOfServer() { return Shot(serverWindow_, "server"); }
    std::optional<Screenshot> ShotOfPlayer(int seat) {
        return Shot(clientWindows_[seat], "client" + std::to_string(seat + 1));
    }
    // The file the last screenshot went to, for failure messages.
    const std::filesystem::path& lastShot() const { return lastShot_; }

    // Screenshots of the server window until `condition` holds of one.
    std::optional<Screenshot> AwaitServer(const std::function<bool(const Screenshot&)>& condition,
                                          std::chrono::milliseconds limit = kStepLimit);

    void ClickServer(Point at);
    // Chooses an entry of a drop-down list the way a person does: opens it
    // with a click, walks `downs` entries down with the arrow key, Return.
    void ChooseSetting(Point list, int downs);
    // "Neuen Probanten erstellen ..." in the seat's selector, then the name
    // into the input box; waits for the subject file.
    void CreateSubject(int seat, const std::string& name);
    // Gives a player's window the keyboard and checks that the X server
    // reports it as focused.
    void FocusPlayer(int seat);
    // A key typed into a player's window, which gets the keyboard first.
    void PressKey(int seat, const std::string& key);

  private:
    std::filesystem::path PlayerDir(int seat) const;
    std::map<std::string, std::string> ProgramEnvironment() const;
    void StartServer();
    void StartClient(int seat);
    void Place(WindowId window, Point at, int width, int height);
    void OpenList(Point list);
    std::optional<Screenshot> Shot(WindowId window, const std::string& name);

    std::filesystem::path root_;
    std::filesystem::path serverDir_;
    XvfbDisplay xvfb_;
    std::optional<XInput> x_;
    ChildGroup server_;
    ChildGroup clients_[2];
    WindowId serverWindow_ = 0;
    WindowId clientWindows_[2] = {0, 0};
    std::chrono::milliseconds serverListenTime_{0};
    std::chrono::milliseconds playerWindowTime_[2] = {};
    int shots_ = 0;
    std::filesystem::path lastShot_;
};

}  // namespace quib::e2e
