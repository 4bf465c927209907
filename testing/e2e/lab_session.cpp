#include "testing/e2e/lab_session.h"

#include <csignal>

#include <gtest/gtest.h>

#include "protocol/server_port.h"
#include "testing/e2e/figure_pictures.h"
#include "testing/e2e/private_network.h"
#include "testing/e2e/wait_for.h"
#include "testing/scratch_directory.h"

namespace quib::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Room for the server window above both players' windows: without a window
// manager nothing keeps them apart, and a click or a screenshot must meet
// only the intended one.
constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 1200;
constexpr Point kServerPlace{0, 0};
constexpr Point kClientPlace[2] = {{0, 730}, {800, 730}};
constexpr auto kStartLimit = 60s;

constexpr const char* kClientSettings =
    "[Window]\r\nFullscreen = 0\r\nbaseHight = 450\r\nbaseFontSize = 12\r\n"
    "[Network]\r\nIP = 127.0.0.1\r\nPort = 6832\r\n"
    "[Sonstiges]\r\naskOptions = 0\r\nLanguage = quib_client_de.lang\r\n";
constexpr const char* kServerSettings = "[Sonstiges]\r\naskOptions = 0\r\n";
// Every window a Qt program opens, popups included, carries its name as
// class; only some carry the process id.
constexpr const char* kServerClass = "quib_server";

// The first window `find` returns, once there is one.
bool AwaitWindow(const std::function<std::vector<WindowId>()>& find, WindowId* window,
                 std::chrono::milliseconds limit,
                 std::chrono::milliseconds step = std::chrono::milliseconds(100)) {
    return WaitFor(
        [&] {
            const std::vector<WindowId> found = find();
            *window = found.empty() ? 0 : found[0];
            return *window != 0;
        },
        limit, step);
}

std::chrono::milliseconds SinceMs(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

}  // namespace

LabSession::LabSession(fs::path root) : root_(std::move(root)), serverDir_(root_ / "server") {}

fs::path LabSession::PlayerDir(int seat) const {
    return root_ / ("player" + std::to_string(seat + 1));
}

std::map<std::string, std::string> LabSession::ProgramEnvironment() const {
    return {{"DISPLAY", xvfb_.name()}, {"QT_QPA_PLATFORM", "xcb"}};
}

void LabSession::Start(int players, const std::function<void()>& prepare) {
    for (const char* tool : {"/usr/bin/Xvfb", "/usr/bin/xdotool", "/usr/bin/import"}) {
        ASSERT_TRUE(fs::exists(tool)) << tool << " is missing; scripts/install-deps installs it";
    }
    std::string why;
    if (!EnterPrivateNetwork(&why)) {
        // Shared network: the fixed port must at least be free.
        ASSERT_FALSE(Listening(protocol::kServerPort))
            << "port " << protocol::kServerPort << " is taken and " << why;
    }
    for (const fs::path& dir : {serverDir_, PlayerDir(0), PlayerDir(1)}) {
        ASSERT_TRUE(PutFigurePictures(fs::path(QUIB_SOURCE_DIR) / "grafik", dir / "grafik"));
    }
    fs::create_directories(root_ / "shots");
    quib::testing::WriteBytes(serverDir_ / "quib_server.prefs", kServerSettings);
    for (int seat = 0; seat < 2; ++seat) {
        quib::testing::WriteBytes(PlayerDir(seat) / "quib_client.prefs", kClientSettings);
    }
    if (prepare) {
        prepare();
    }
    std::string error;
    ASSERT_TRUE(xvfb_.Start(kScreenWidth, kScreenHeight, root_ / "xvfb.log", &error)) << error;
    x_.emplace(xvfb_.name());
    ASSERT_NO_FATAL_FAILURE(StartServer());
    for (int seat = 0; seat < players; ++seat) {
        ASSERT_NO_FATAL_FAILURE(StartClient(seat));
    }
}

void LabSession::Stop() {
    for (ChildGroup& client : clients_) {
        client.Stop();
    }
    server_.Stop();
    xvfb_.Stop();
}

void LabSession::KillPlayer(int seat) {
    ASSERT_EQ(::kill(clients_[seat].pid(), SIGKILL), 0);
    ASSERT_TRUE(WaitFor([&] { return !clients_[seat].Running(); }, kStartLimit))
        << "player " << seat + 1 << " did not end";
    clientWindows_[seat] = 0;
}

void LabSession::StartServer() {
    std::string error;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(server_.Spawn(
        {{QUIB_SERVER_PATH}, serverDir_, ProgramEnvironment(), root_ / "server.out", {}}, &error))
        << error;
    ASSERT_TRUE(WaitFor([&] { return Listening(protocol::kServerPort) || !server_.Running(); },
                        kStartLimit, 5ms));
    serverListenTime_ = SinceMs(started);
    ASSERT_TRUE(server_.Running()) << "the server ended; see server.out";
    ASSERT_TRUE(AwaitWindow([&] { return x_->Windows(server_.pid(), "Server"); }, &serverWindow_,
                            kStartLimit))
        << "no server window";
    ASSERT_NO_FATAL_FAILURE(Place(serverWindow_, kServerPlace, kServerWidth, kServerHeight));
}

void LabSession::StartClient(int seat) {
    std::string error;
    const fs::path out = root_ / ("client" + std::to_string(seat + 1) + ".out");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(clients_[seat].Spawn(
        {{QUIB_CLIENT_PATH, "/d"}, PlayerDir(seat), ProgramEnvironment(), out, {}}, &error))
        << error;
    // The server seats the players in the order they connect.
    ASSERT_TRUE(AwaitWindow([&] { return x_->Windows(clients_[seat].pid(), "Tamoresk"); },
                            &clientWindows_[seat], kStartLimit, 5ms))
        << "no window of player " << seat + 1;
    playerWindowTime_[seat] = SinceMs(started);
    ASSERT_TRUE(
        WaitFor([&] { return EstablishedTo(protocol::kServerPort) == seat + 1; }, kStartLimit))
        << "player " << seat + 1 << " did not connect";
    ASSERT_NO_FATAL_FAILURE(
        Place(clientWindows_[seat], kClientPlace[seat], kClientWidth, kClientHeight));
}

void LabSession::Place(WindowId window, Point at, int width, int height) {
    ASSERT_TRUE(x_->Move(window, at.x, at.y));
    const auto geometry = x_->Geometry(window);
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->x, at.x);
    EXPECT_EQ(geometry->y, at.y);
    ASSERT_EQ(geometry->width, width);
    ASSERT_EQ(geometry->height, height);
}

std::optional<Screenshot> LabSession::Shot(WindowId window, const std::string& name) {
    lastShot_ = root_ / "shots" / (std::to_string(++shots_) + "-" + name + ".png");
    return Capture(xvfb_.name(), window, lastShot_);
}

std::optional<Screenshot> LabSession::AwaitServer(
    const std::function<bool(const Screenshot&)>& condition, std::chrono::milliseconds limit) {
    std::optional<Screenshot> met;
    WaitFor(
        [&] {
            auto shot = ShotOfServer();
            if (shot && condition(*shot)) {
                met = std::move(shot);
            }
            return met.has_value();
        },
        limit, 50ms);
    return met;
}

void LabSession::ClickServer(Point at) {
    ASSERT_TRUE(x_->Click(serverWindow_, at.x, at.y));
}

void LabSession::OpenList(Point list) {
    const std::size_t windows = x_->WindowsOfClass(kServerClass).size();
    ASSERT_TRUE(x_->Click(serverWindow_, list.x, list.y));
    ASSERT_TRUE(
        WaitFor([&] { return x_->WindowsOfClass(kServerClass).size() > windows; }, kStepLimit))
        << "the list did not open";
}

void LabSession::ChooseSetting(Point list, int downs) {
    const std::size_t windows = x_->WindowsOfClass(kServerClass).size();
    ASSERT_NO_FATAL_FAILURE(OpenList(list));
    std::vector<std::string> keys(static_cast<std::size_t>(downs), "Down");
    keys.push_back("Return");
    ASSERT_TRUE(x_->Keys(keys));
    ASSERT_TRUE(
        WaitFor([&] { return x_->WindowsOfClass(kServerClass).size() == windows; }, kStepLimit))
        << "the list did not close";
}

void LabSession::CreateSubject(int seat, const std::string& name) {
    ASSERT_NO_FATAL_FAILURE(OpenList(kSubjectSelector[seat]));
    ASSERT_TRUE(x_->Keys({"Down", "Return"}));  // "Neuen Probanten erstellen ..."
    WindowId dialog = 0;
    ASSERT_TRUE(
        AwaitWindow([&] { return x_->Windows(server_.pid(), "Probanten"); }, &dialog, kStepLimit))
        << "no input box for the subject's name";
    ASSERT_TRUE(x_->Focus(dialog));
    ASSERT_TRUE(x_->Type(name));
    ASSERT_TRUE(x_->Keys({"Return"}));
    const fs::path file = serverDir_ / "log" / ("p00000" + std::to_string(seat) + ".csv");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(file); }, kStepLimit)) << file;
    ASSERT_TRUE(
        WaitFor([&] { return x_->Windows(server_.pid(), "Probanten").empty(); }, kStepLimit));
}

// There is no window manager: the test gives the window the keyboard focus
// itself, which is what makes it the active window for Qt, and the player
// program reports keys only while its window is the active one.
void LabSession::FocusPlayer(int seat) {
    ASSERT_TRUE(x_->Focus(clientWindows_[seat]));
    ASSERT_EQ(x_->FocusedWindow(), std::optional<WindowId>(clientWindows_[seat]))
        << "player " << seat + 1 << "'s window did not get the keyboard";
}

void LabSession::PressKey(int seat, const std::string& key) {
    ASSERT_NO_FATAL_FAILURE(FocusPlayer(seat));
    ASSERT_TRUE(x_->Keys({key}));
}

}  // namespace quib::e2e
