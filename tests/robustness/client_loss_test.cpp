// The real player program (ClientApp with its window and network thread)
// playing against the real server engine, which then goes away in the
// middle of the exchange: the program shows the loss and ends, whichever
// way the connection ended.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QLabel>

#include <sys/socket.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "client/client_settings.h"
#include "client/client_texts.h"
#include "client/window/client_app.h"
#include "common/codepage.h"
#include "tests/client/window/scripted_prompts.h"
#include "tests/support/case_name.h"
#include "tests/support/live_game.h"
#include "tests/support/qt_app.h"

namespace quib::client {
namespace {

std::string Default(int n) {
    return std::string(ClientTexts::Default(n));
}

// Columns of the connection graph that stand for a reply taken in.
int RepliesInGraph(const QImage& graph) {
    const int bottom = graph.height() - 1;
    int replies = 0;
    for (int x = 0; x < graph.width(); ++x) {
        const QRgb pixel = graph.pixel(x, bottom);
        replies += pixel == qRgb(0, 255, 0) || pixel == qRgb(255, 255, 0) ? 1 : 0;
    }
    return replies;
}

struct LossCase {
    std::string name;
    // Ends the connection from the server's side.
    std::function<void(quib::testing::LiveGame&)> cut;
};

void PrintTo(const LossCase& c, std::ostream* os) {
    *os << c.name;
}

class ClientLoss : public quib::testing::LiveGame, public ::testing::WithParamInterface<LossCase> {
  protected:
    void SetUp() override {
        quib::testing::EnsureApplication();
        LiveGame::SetUp();
        std::filesystem::create_directories(clientDir.path() / "grafik");
        std::filesystem::copy_file(dir.path() / "grafik/figur0.png",
                                   clientDir.path() / "grafik/figur0.png");
        ClientSettings settings;
        settings.ip = "127.0.0.1";
        settings.port = port();
        settings.askOptions = 0;
        ASSERT_TRUE(SaveClientSettings(clientDir.path(), settings));
    }

  public:
    // The server's side of the connection is cut as a failing network does.
    void CutSeat0() {
        std::lock_guard guard(state.lock);
        ::shutdown(engine->links().links[0].connection, SHUT_RDWR);
    }
    void StopServer() { network.reset(); }

  protected:
    quib::testing::ScratchDirectory clientDir;
    testing::ScriptedPrompts prompts;
    bool quitRequested = false;
};

TEST_P(ClientLoss, ThePlayerProgramShowsTheLossAndEnds) {
    ClientApp app(ClientAppConfig{clientDir.path(), false, "player-host"}, prompts,
                  [this] { quitRequested = true; });
    app.Open();
    ASSERT_TRUE(app.Connect());
    app.StartNetwork();
    // The server has taken in the host name and a run of replies after it.
    ASSERT_TRUE(quib::testing::ProcessEventsUntil(
        [&] {
            return Locked([&] {
                return state.seatLines[0].hostLine == "Host: player-host" &&
                       RepliesInGraph(engine->links().graphs[0].image()) >= 5;
            });
        },
        kDeadline));

    const std::string serverPort = std::to_string(port());  // gone once the server stops
    GetParam().cut(*this);

    ASSERT_TRUE(quib::testing::ProcessEventsUntil([&] { return quitRequested; }, kDeadline));
    EXPECT_EQ(app.window().text(TextField::Left)->text().toStdString(),
              " " + Cp1252ToUtf8(Default(txt::kConnectionLost)));
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_EQ(prompts.informations[0].first, Default(txt::kConnectionLostTitle));
    EXPECT_EQ(prompts.informations[0].second, Default(txt::kConnectionToServer) + " (127.0.0.1:" +
                                                  serverPort + ") " + Default(txt::kLostSuffix));
}

INSTANTIATE_TEST_SUITE_P(, ClientLoss,
                         ::testing::Values(LossCase{"ServerStops",
                                                    [](quib::testing::LiveGame& g) {
                                                        static_cast<ClientLoss&>(g).StopServer();
                                                    }},
                                           LossCase{"ConnectionCut",
                                                    [](quib::testing::LiveGame& g) {
                                                        static_cast<ClientLoss&>(g).CutSeat0();
                                                    }}),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::client
