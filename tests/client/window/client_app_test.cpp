#include "client/window/client_app.h"

#include <sys/socket.h>

#include <QCoreApplication>
#include <QLabel>

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>

#include "client/client_settings.h"
#include "client/client_texts.h"
#include "common/codepage.h"
#include "common/unique_fd.h"
#include "prefs/preferences.h"
#include "testing/scratch_directory.h"
#include "tests/client/window/scripted_prompts.h"
#include "tests/support/case_name.h"
#include "tests/support/loopback.h"
#include "tests/support/qt_app.h"
#include "tests/support/standard_buttons.h"

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

    const std::string title =
        Default(txt::kNoConnectionTo) + " 127.0.0.1:" + std::to_string(refusing.port);
    ASSERT_EQ(prompts_.questions.size(), 2u);
    for (const auto& [asked, text] : prompts_.questions) {
        EXPECT_EQ(asked, title);
        EXPECT_EQ(text, Default(txt::kRetryQuestion));
    }
    EXPECT_EQ(app.window().text(TextField::Left)->text().toStdString(),
              " " + Cp1252ToUtf8(Default(txt::kConnectFailed)));
    EXPECT_EQ(LoadClientSettings(dir_.path()).askOptions, 1);
}

TEST_F(ClientAppTest, WindowTitleCreditsTheAuthors) {
    WriteSettings(6832);
    ClientApp app(Config(false), prompts_, [this] { quitRequested_ = true; });
    app.Open();
    EXPECT_EQ(app.window().windowTitle().toStdString(),
              Cp1252ToUtf8(Default(txt::kProgramName) + " - " + Default(txt::kProgrammedBy) +
                           " dem quib-Team"));
    EXPECT_TRUE(app.window().isVisible());
}

TEST_F(ClientAppTest, WindowTitleCreditsTheAuthorsInTheLanguageOfTheTexts) {
    ClientSettings settings;
    settings.askOptions = 0;
    settings.language = "quib_client_en.lang";
    ASSERT_TRUE(SaveClientSettings(dir_.path(), settings));
    std::filesystem::copy_file(
        std::filesystem::path(QUIB_SOURCE_DIR) / "lang" / "quib_client_en.lang",
        dir_.path() / "quib_client_en.lang");
    ClientApp app(Config(false), prompts_, [this] { quitRequested_ = true; });
    ASSERT_TRUE(app.Open());
    EXPECT_EQ(app.window().windowTitle().toStdString(), "Tamoresk - Programmed by the quib team");
}

TEST_F(ClientAppTest, WindowOpensWhereTheCommandLineSays) {
    WriteSettings(6832);
    ClientAppConfig config = Config(false);
    config.windowPosition = QPoint(1360, 370);
    ClientApp app(std::move(config), prompts_, [this] { quitRequested_ = true; });
    ASSERT_TRUE(app.Open());
    EXPECT_EQ(app.window().pos(), QPoint(1360, 370));
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
              " " + Cp1252ToUtf8(Default(txt::kConnectionLost)));
    if (GetParam().boxShown) {
        ASSERT_EQ(prompts_.informations.size(), 1u);
        EXPECT_EQ(prompts_.informations[0].first, Default(txt::kConnectionLostTitle));
        EXPECT_EQ(prompts_.informations[0].second,
                  Default(txt::kConnectionToServer) + " (127.0.0.1:" +
                      std::to_string(listener.port) + ") " + Default(txt::kLostSuffix));
    } else {
        EXPECT_TRUE(prompts_.informations.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Loss, ClientAppLossTest,
                         ::testing::Values(LossCase{"WithBox", false, true},
                                           LossCase{"QuietWithSlashD", true, false}),
                         quib::testing::CaseName());

// A value in quib_client.prefs as a person may have typed it, and what the
// start makes of it.
struct SettingCase {
    std::string name;
    const char* group;
    const char* key;
    const char* value;
    // The box text for a refused value.
    const char* refusal = "";
};

void PrintTo(const SettingCase& row, std::ostream* os) {
    *os << row.name;
}

class ClientAppSettingTest : public ClientAppTest,
                             public ::testing::WithParamInterface<SettingCase> {
  protected:
    // The settings of WriteSettings with the row's key overwritten, text as
    // it stands in the file.
    void WriteRowSettings(int port) {
        WriteSettings(port);
        Preferences file;
        ASSERT_TRUE(file.Open(dir_.path() / kClientSettingsFile));
        file.SelectGroup(GetParam().group);
        file.WriteText(GetParam().key, GetParam().value);
        ASSERT_TRUE(file.Close());
    }
};

class ClientAppRefusedSettingTest : public ClientAppSettingTest {};

TEST_P(ClientAppRefusedSettingTest, StartEndsAfterABoxNamingTheKeyAndItsRange) {
    // Refusing, so that a start which went on would fail to connect and ask
    // the retry question (answered No) instead of running for ever.
    const quib::testing::LoopbackListener refusing =
        quib::testing::ListenOnLoopback("127.0.0.1", false);
    ASSERT_TRUE(refusing.fd);
    WriteRowSettings(refusing.port);

    EXPECT_EQ(RunClient(Config(false), prompts_), 0);

    ASSERT_EQ(prompts_.informations.size(), 1u);
    EXPECT_EQ(prompts_.informations[0].first, Default(txt::kErrorTitle));
    EXPECT_EQ(prompts_.informations[0].second, GetParam().refusal);
    EXPECT_TRUE(prompts_.questions.empty()) << "the start went on to connect";
}

INSTANTIATE_TEST_SUITE_P(
    Values, ClientAppRefusedSettingTest,
    ::testing::Values(SettingCase{"BaseHightIntMin", "Window", "baseHight", "-2147483648",
                                  "quib_client.prefs: baseHight = -2147483648 (240 ... 4320)"},
                      SettingCase{"BaseHightNegative", "Window", "baseHight", "-450",
                                  "quib_client.prefs: baseHight = -450 (240 ... 4320)"},
                      SettingCase{"BaseHightZero", "Window", "baseHight", "0",
                                  "quib_client.prefs: baseHight = 0 (240 ... 4320)"},
                      SettingCase{"BaseHightNotANumber", "Window", "baseHight", "gross",
                                  "quib_client.prefs: baseHight = 0 (240 ... 4320)"},
                      SettingCase{"BaseHightOne", "Window", "baseHight", "1",
                                  "quib_client.prefs: baseHight = 1 (240 ... 4320)"},
                      SettingCase{"BaseHightBelowLowest", "Window", "baseHight", "239",
                                  "quib_client.prefs: baseHight = 239 (240 ... 4320)"},
                      SettingCase{"BaseHightAboveHighest", "Window", "baseHight", "4321",
                                  "quib_client.prefs: baseHight = 4321 (240 ... 4320)"},
                      SettingCase{"BaseHight45000", "Window", "baseHight", "45000",
                                  "quib_client.prefs: baseHight = 45000 (240 ... 4320)"},
                      SettingCase{"BaseHight2000000000", "Window", "baseHight", "2000000000",
                                  "quib_client.prefs: baseHight = 2000000000 (240 ... 4320)"},
                      SettingCase{"BaseHightBeyondInt", "Window", "baseHight", "99999999999",
                                  "quib_client.prefs: baseHight = 2147483647 (240 ... 4320)"},
                      SettingCase{"BaseFontSizeIntMin", "Window", "baseFontSize", "-2147483648",
                                  "quib_client.prefs: baseFontSize = -2147483648 (6 ... 1080)"},
                      SettingCase{"BaseFontSizeZero", "Window", "baseFontSize", "0",
                                  "quib_client.prefs: baseFontSize = 0 (6 ... 1080)"},
                      SettingCase{"BaseFontSizeBelowLowest", "Window", "baseFontSize", "5",
                                  "quib_client.prefs: baseFontSize = 5 (6 ... 1080)"},
                      SettingCase{"BaseFontSizeAboveHighest", "Window", "baseFontSize", "1081",
                                  "quib_client.prefs: baseFontSize = 1081 (6 ... 1080)"},
                      SettingCase{"BaseFontSize2000000000", "Window", "baseFontSize", "2000000000",
                                  "quib_client.prefs: baseFontSize = 2000000000 (6 ... 1080)"},
                      SettingCase{"PortZero", "Network", "Port", "0",
                                  "quib_client.prefs: Port = 0 (1 ... 65535)"},
                      SettingCase{"PortNegative", "Network", "Port", "-1",
                                  "quib_client.prefs: Port = -1 (1 ... 65535)"},
                      SettingCase{"PortAboveHighest", "Network", "Port", "65536",
                                  "quib_client.prefs: Port = 65536 (1 ... 65535)"},
                      SettingCase{"PortIntMin", "Network", "Port", "-2147483648",
                                  "quib_client.prefs: Port = -2147483648 (1 ... 65535)"}),
    quib::testing::CaseName());

class ClientAppAcceptedSettingTest : public ClientAppSettingTest {};

TEST_P(ClientAppAcceptedSettingTest, WindowOpensWithItsTwoPictures) {
    WriteRowSettings(6832);
    ClientApp app(Config(false), prompts_, [this] { quitRequested_ = true; });
    ASSERT_TRUE(app.Open());
    EXPECT_TRUE(prompts_.informations.empty());
    EXPECT_TRUE(app.window().isVisible());
    const int unit = app.window().screenGeometry().unit;
    for (const TextField side : {TextField::Left, TextField::Right}) {
        EXPECT_EQ(app.window().picture(side)->image().size(), QSize(unit, unit));
    }
}

// The edges of each range; the window of the highest baseHight is far
// larger than the test's screen, which only a real player would notice.
INSTANTIATE_TEST_SUITE_P(
    Values, ClientAppAcceptedSettingTest,
    ::testing::Values(SettingCase{"BaseHightLowest", "Window", "baseHight", "240"},
                      SettingCase{"BaseHightHighest", "Window", "baseHight", "4320"},
                      SettingCase{"BaseFontSizeLowest", "Window", "baseFontSize", "6"},
                      SettingCase{"BaseFontSizeHighest", "Window", "baseFontSize", "1080"},
                      SettingCase{"PortLowest", "Network", "Port", "1"},
                      SettingCase{"PortHighest", "Network", "Port", "65535"}),
    quib::testing::CaseName());

TEST_F(ClientAppTest, BadSettingsAreAllNamedBeforeAnyOptionIsAsked) {
    ClientSettings settings;
    settings.baseHight = 45000;
    settings.port = 0;
    settings.askOptions = 1;
    ASSERT_TRUE(SaveClientSettings(dir_.path(), settings));

    ClientApp app(Config(false), prompts_, [this] { quitRequested_ = true; });
    EXPECT_FALSE(app.Open());

    EXPECT_TRUE(prompts_.offered.empty());
    EXPECT_TRUE(prompts_.questions.empty());
    ASSERT_EQ(prompts_.informations.size(), 1u);
    EXPECT_EQ(prompts_.informations[0].second,
              "quib_client.prefs: baseHight = 45000 (240 ... 4320)\n"
              "quib_client.prefs: Port = 0 (1 ... 65535)");
}

class ClientButtonLanguage
    : public ClientAppTest,
      public ::testing::WithParamInterface<quib::testing::ButtonLanguageCase> {};

// The retry question, the loss box and the options' questions are Qt boxes
// with standard buttons: these must read in the language of the texts.
TEST_P(ClientButtonLanguage, StandardButtonsSpeakTheLanguageOfTheTexts) {
    const std::string file = std::string("quib_client_") + GetParam().code + ".lang";
    ClientSettings settings;
    settings.askOptions = 0;
    settings.language = file;
    ASSERT_TRUE(SaveClientSettings(dir_.path(), settings));
    if (std::string(GetParam().code) != "de") {  // German is written by the program
        std::filesystem::copy_file(
            std::filesystem::path(QUIB_SOURCE_DIR) / "lang" / "quib_client_en.lang",
            dir_.path() / file);
    }
    const quib::testing::StandardButtonTexts before = quib::testing::CurrentStandardButtonTexts();
    {
        ClientApp app(Config(false), prompts_, [this] { quitRequested_ = true; });
        ASSERT_TRUE(app.Open());
        EXPECT_EQ(quib::testing::CurrentStandardButtonTexts(), GetParam().buttons);
    }
    EXPECT_EQ(quib::testing::CurrentStandardButtonTexts().yes, before.yes)
        << "the translation goes with the program";
}

INSTANTIATE_TEST_SUITE_P(Languages, ClientButtonLanguage,
                         ::testing::ValuesIn(quib::testing::kButtonLanguageCases),
                         quib::testing::CaseName());

// The options ask their questions in the language just chosen.
TEST_F(ClientAppTest, OptionsQuestionsHaveButtonsInTheChosenLanguage) {
    std::filesystem::copy_file(
        std::filesystem::path(QUIB_SOURCE_DIR) / "lang" / "quib_client_en.lang",
        dir_.path() / "quib_client_en.lang");
    ClientSettings settings;
    settings.askOptions = 1;
    ASSERT_TRUE(SaveClientSettings(dir_.path(), settings));
    std::vector<std::string> yesDuringQuestions;
    prompts_.onQuestion = [&] {
        yesDuringQuestions.push_back(quib::testing::CurrentStandardButtonTexts().yes);
    };
    prompts_.languageName = "English";
    prompts_.typed = {"127.0.0.1"};
    ClientApp app(Config(false), prompts_, [this] { quitRequested_ = true; });
    ASSERT_TRUE(app.Open());
    ASSERT_FALSE(yesDuringQuestions.empty());
    for (const std::string& yes : yesDuringQuestions) {
        EXPECT_EQ(yes, "&Yes");
    }
}

}  // namespace
}  // namespace quib::client
