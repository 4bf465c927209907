#include "client/window/client_app.h"

#include <sys/socket.h>

#include <QCoreApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "client/client_settings.h"
#include "client/client_texts.h"
#include "common/codepage.h"
#include "common/unique_fd.h"
#include "tests/client/window/scripted_prompts.h"
#include "tests/support/case_name.h"
#include "tests/support/loopback.h"
#include "tests/support/qt_app.h"
#include "tests/support/scratch_directory.h"

namespace quib::client {
namespace {

using quib::client::testing::ScriptedPrompts;
using quib::testing::ScratchDirectory;

std::string Default(int n) {
    return std::string(ClientTexts::Default(n));
}

class ClientAppTest : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }

    // A settings file that skips the options and points at `port` here.
    void WriteSettings(int port) {
        ClientSettings settings;
        settings.ip = "127.0.0.1";
        settings.port = port;
        settings.askOptions = 0;
        ASSERT_TRUE(SaveClientSettings(dir_.path(), settings));
    }

    ClientAppConfig Config(bool quietOnLoss) const {
        return ClientAppConfig{dir_.path(), quietOnLoss, "player-host"};
    }

    // Runs the GUI thread's events until the app asked to quit.
    bool AwaitQuit() {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!quitRequested_ && std::chrono::steady_clock::now() < end) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return quitRequested_;
    }

    ScratchDirectory dir_;
    ScriptedPrompts prompts_;
    bool quitRequested_ = false;
};

TEST_F(ClientAppTest, RetryQuestionNamesTheServerAndNoAsksForTheOptionsNextTime) {
    const quib::testing::LoopbackListener refusing =
        quib::testing::ListenOnLoopback("127.0.0.1", false);
    ASSERT_TRUE(refusing.fd);
    WriteSettings(refusing.port);
    prompts_.yesNo = {true, false};

    ClientApp app(Config(false), prompts_, [this] { quitRequested_ = true; });
    app.Open();
    EXPECT_FALSE(app.Connect());

    const std::string title = Default(12) + " 127.0.0.1:" + std::to_string(refusing.port);
    ASSERT_EQ(prompts_.questions.size(), 2u);
    for (const auto& [asked, text] : prompts_.questions) {
        EXPECT_EQ(asked, title);
        EXPECT_EQ(text, Default(13));
    }
    EXPECT_EQ(app.window().text(TextField::Left)->text().toStdString(),
              " " + Cp1252ToUtf8(Default(11)));
    EXPECT_EQ(LoadClientSettings(dir_.path()).askOptions, 1);
}

TEST_F(ClientAppTest, WindowTitleCreditsTheAuthors) {
    WriteSettings(6832);
    ClientApp app(Config(false), prompts_, [this] { quitRequested_ = true; });
    app.Open();
    EXPECT_EQ(app.window().windowTitle().toStdString(),
              Cp1252ToUtf8(Default(0) + " - " + Default(1) + " dem quib-Team"));
    EXPECT_TRUE(app.window().isVisible());
}

struct LossCase {
    const char* name;
    bool quietOnLoss;
    bool boxShown;
};

class ClientAppLossTest : public ClientAppTest, public ::testing::WithParamInterface<LossCase> {};

TEST_P(ClientAppLossTest, ServerClosingTheConnectionEndsTheProgram) {
    const quib::testing::LoopbackListener listener = quib::testing::ListenOnLoopback();
    ASSERT_TRUE(listener.fd);
    WriteSettings(listener.port);

    ClientApp app(Config(GetParam().quietOnLoss), prompts_, [this] { quitRequested_ = true; });
    app.Open();
    ASSERT_TRUE(app.Connect());
    EXPECT_TRUE(prompts_.questions.empty());
    UniqueFd server(::accept(listener.fd.get(), nullptr, nullptr));
    ASSERT_TRUE(server);
    app.StartNetwork();
    server = UniqueFd();

    ASSERT_TRUE(AwaitQuit());
    EXPECT_EQ(app.window().text(TextField::Left)->text().toStdString(),
              " " + Cp1252ToUtf8(Default(15)));
    if (GetParam().boxShown) {
        ASSERT_EQ(prompts_.informations.size(), 1u);
        EXPECT_EQ(prompts_.informations[0].first, Default(16));
        EXPECT_EQ(
            prompts_.informations[0].second,
            Default(17) + " (127.0.0.1:" + std::to_string(listener.port) + ") " + Default(18));
    } else {
        EXPECT_TRUE(prompts_.informations.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Loss, ClientAppLossTest,
                         ::testing::Values(LossCase{"WithBox", false, true},
                                           LossCase{"QuietWithSlashD", true, false}),
                         quib::testing::CaseName());

}  // namespace
}  // namespace quib::client
