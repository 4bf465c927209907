#include "client/window/options_flow.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "client/client_settings.h"
#include "client/client_texts.h"
#include "testing/scratch_directory.h"
#include "tests/client/window/scripted_prompts.h"

namespace quib::client {
namespace {

using quib::client::testing::ScriptedPrompts;

using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

TEST(OptionsFlowTest, FirstStartAsksInOrderAndSavesEverySetting) {
    ScratchDirectory dir;
    ClientSettings settings;
    ScriptedPrompts prompts;
    prompts.yesNo = {true, false};
    prompts.typed = {std::string("10.0.0.007")};
    const ClientTexts texts = RunOptions(dir.path(), settings, prompts);

    ASSERT_EQ(prompts.offered.size(), 1u);
    ASSERT_EQ(prompts.offered[0].size(), 1u);
    EXPECT_EQ(prompts.offered[0][0].displayName, "Deutsch");
    ASSERT_EQ(prompts.questions.size(), 2u);
    EXPECT_EQ(prompts.questions[0].first, "Optionen: Fullscreen");
    EXPECT_EQ(prompts.questions[1].first, "Optionen: Immer Fragen?");
    EXPECT_EQ(prompts.inputTitles, std::vector<std::string>{"Optionen: IP-Adresse"});
    EXPECT_EQ(prompts.prefills, std::vector<std::string>{"127.000.000.001"});
    EXPECT_TRUE(prompts.informations.empty());
    EXPECT_EQ(texts[txt::kProgramName], ClientTexts::Default(txt::kProgramName));

    EXPECT_EQ(settings.fullscreen, 1);
    EXPECT_EQ(settings.ip, "10.0.0.7");
    EXPECT_EQ(settings.askOptions, 0);
    // What was saved reads back the same.
    const ClientSettings saved = LoadClientSettings(dir.path());
    EXPECT_EQ(saved.fullscreen, 1);
    EXPECT_EQ(saved.ip, "10.0.0.7");
    EXPECT_EQ(saved.askOptions, 0);
    EXPECT_EQ(saved.language, kDefaultClientLanguageFile);
}

TEST(OptionsFlowTest, AddressQuestionComesBackUntilTheAnswerIsValid) {
    ScratchDirectory dir;
    ClientSettings settings;
    ScriptedPrompts prompts;
    prompts.typed = {std::nullopt, std::string("1.2.3"), std::string("1.2.3.256"),
                     std::string("192.168.0.1")};
    RunOptions(dir.path(), settings, prompts);
    EXPECT_EQ(prompts.inputTitles.size(), 4u);
    EXPECT_EQ(settings.ip, "192.168.0.1");
}

TEST(OptionsFlowTest, ChosenLanguageAsksTheLaterQuestionsInIt) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / "quib_client_en.lang",
               "[Allgemein]\nLanguage = English\n[Text]\ntxt2 = Options: full screen\n");
    ClientSettings settings;
    ScriptedPrompts prompts;
    prompts.languageAnswer = 1;
    prompts.typed = {std::string("127.0.0.1")};
    const ClientTexts texts = RunOptions(dir.path(), settings, prompts);
    ASSERT_EQ(prompts.offered[0].size(), 2u);
    EXPECT_EQ(prompts.offered[0][1].displayName, "English");
    EXPECT_EQ(settings.language, "quib_client_en.lang");
    EXPECT_EQ(prompts.questions.at(0).first, "Options: full screen");
    EXPECT_EQ(texts[txt::kFullscreenTitle], "Options: full screen");
    EXPECT_EQ(LoadClientSettings(dir.path()).language, "quib_client_en.lang");
}

TEST(OptionsFlowTest, SettingsThatCannotBeSavedAreReportedAndStayInForce) {
    ScratchDirectory dir;
    // A folder where the settings file belongs cannot be replaced by a file.
    std::filesystem::create_directory(dir.path() / kClientSettingsFile);
    ClientSettings settings;
    ScriptedPrompts prompts;
    prompts.yesNo = {true, true};
    prompts.typed = {std::string("10.1.1.1")};
    RunOptions(dir.path(), settings, prompts);
    ASSERT_EQ(prompts.informations.size(), 1u);
    EXPECT_EQ(prompts.informations[0].first, "Fehler!");
    EXPECT_EQ(prompts.informations[0].second, "Konnte Einstellungen nicht speichern!");
    EXPECT_EQ(settings.ip, "10.1.1.1");
    EXPECT_EQ(settings.askOptions, 1);
}

}  // namespace
}  // namespace quib::client
