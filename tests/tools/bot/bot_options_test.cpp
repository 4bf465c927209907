// The command line of quib_bot: what each option sets, and a clear error
// for each kind of wrong input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/case_name.h"
#include "tools/bot/bot_options.h"

namespace quib::tools {
namespace {

TEST(BotOptions, DefaultsJoinTheLocalServer) {
    const ParsedBotOptions parsed = ParseBotOptions({});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->host, "127.0.0.1");
    EXPECT_EQ(parsed.options->port, 6832);
    EXPECT_EQ(parsed.options->plan.rounds, 0);
    EXPECT_FALSE(parsed.options->reconnect);
    EXPECT_FALSE(parsed.options->seedGiven);
}

TEST(BotOptions, EveryOptionTakesEffect) {
    const std::vector<std::string> args = {
        "--host",   "lab-07",     "--port",      "7000",
        "--name",   "bot-a",      "--pace",      "250",
        "--seed",   "4294967295", "--script",    " right , Down,SPACE",
        "--rounds", "3",          "--reconnect", "--attempts",
        "5",        "--quiet",    "--lang",      "quib_server_en.lang"};
    const ParsedBotOptions parsed = ParseBotOptions(args);
    ASSERT_TRUE(parsed.options) << parsed.error;
    const BotOptions& o = *parsed.options;
    EXPECT_EQ(o.host, "lab-07");
    EXPECT_EQ(o.port, 7000);
    EXPECT_EQ(o.name, "bot-a");
    EXPECT_EQ(o.plan.paceMs, 250u);
    EXPECT_EQ(o.plan.seed, 4294967295u);
    EXPECT_TRUE(o.seedGiven);
    EXPECT_EQ(o.plan.script, (std::vector<BotKey>{BotKey::Right, BotKey::Down}));
    EXPECT_EQ(o.plan.rounds, 3);
    EXPECT_TRUE(o.reconnect);
    EXPECT_EQ(o.attempts, 5);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.languageFile, "quib_server_en.lang");
}

struct BadLine {
    std::string name;
    std::vector<std::string> args;
    std::string error;  // part of the message
};

class BotOptionErrors : public ::testing::TestWithParam<BadLine> {};

TEST_P(BotOptionErrors, AreRefusedWithAReason) {
    const ParsedBotOptions parsed = ParseBotOptions(GetParam().args);
    EXPECT_FALSE(parsed.options);
    EXPECT_NE(parsed.error.find(GetParam().error), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BotOptionErrors,
    ::testing::Values(
        BadLine{"UnknownOption", {"--fast"}, "unknown option \"--fast\""},
        BadLine{"MissingValue", {"--rounds"}, "--rounds: missing value"},
        BadLine{"PortOutOfRange", {"--port", "70000"}, "--port: expected a whole number"},
        BadLine{"NegativePace", {"--pace", "-5"}, "--pace: expected"},
        BadLine{"NumberWithTrailingText", {"--moves", "3x"}, "--moves: expected"},
        BadLine{"UnknownScriptKey", {"--script", "RIGHT,JUMP"}, "unknown key \"JUMP\""},
        BadLine{"EmptyScriptEntry", {"--script", "RIGHT,,DOWN"}, "unknown key \"\""},
        BadLine{"SpaceBeforeTheEnd", {"--script", "SPACE,RIGHT"}, "can only come last"},
        BadLine{"MovesAndScript", {"--moves", "2", "--script", "UP"}, "exclude each other"},
        BadLine{"EmptyHost", {"--host", ""}, "--host: empty"}),
    quib::testing::CaseName());

}  // namespace
}  // namespace quib::tools
