// The words of the record files turned into fixed names, in German and in
// English: every level's stimulus text, keys, cells, speeds and start
// choices.

#include "tools/export/vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/case_name.h"
#include "tools/export/tables.h"

namespace quib::exporter {
namespace {

struct StimulusCase {
    const char* name;
    bool english;
    int level;
    const char* text;  // Windows-1252, as the server writes it
    Stimulus expected;
};

const StimulusCase kStimuli[] = {
    {"Level1", false, 1, "gr\xFCn", {"green", "", "", "", ""}},
    {"Level1Rgb", false, 1, "RGB(255,0,16)", {"#ff0010", "", "", "", ""}},
    {"Level2", false, 2, "rot K", {"red", "circle", "", "", ""}},
    {"Level3", false, 3, "rot K N blau Q", {"red", "circle", "apart", "blue", "square"}},
    {"Level3Touching",
     false,
     3,
     "nix P K gelb D",
     {"none", "pentagon", "touching", "yellow", "triangle"}},
    {"Level4", false, 4, " D", {"", "triangle", "", "", ""}},
    // "K" is both the circle and the contact mark; the place tells them apart.
    {"Level5", false, 5, " K KK", {"", "circle", "touching", "", "circle"}},
    {"Level6", false, 6, " Q NP", {"", "square", "apart", "", "pentagon"}},
    {"EnglishLevel3", true, 3, "blue C C red S", {"blue", "circle", "touching", "red", "square"}},
    {"EnglishLevel5", true, 5, " C CC", {"", "circle", "touching", "", "circle"}},
};

class StimulusText : public ::testing::TestWithParam<StimulusCase> {};

TEST_P(StimulusText, IsTakenApartIntoItsParts) {
    const StimulusCase& c = GetParam();
    const Vocabulary words(c.english ? "English" : "German",
                           c.english ? EnglishTexts() : server::ServerTexts());
    const std::optional<Stimulus> parsed = words.ParseStimulus(c.text, c.level);
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(*parsed, c.expected);
}

INSTANTIATE_TEST_SUITE_P(, StimulusText, ::testing::ValuesIn(kStimuli), quib::testing::CaseName());

TEST(StimulusWords, TextsOfAnotherLevelOrLanguageAreRefused) {
    const Vocabulary german("German", server::ServerTexts());
    for (const auto& [text, level] : std::vector<std::pair<const char*, int>>{{"rot K", 1},
                                                                              {"rot", 2},
                                                                              {" K KK", 3},
                                                                              {" C CC", 5},
                                                                              {"rot ", 1},
                                                                              {"RGB(1,2)", 1},
                                                                              {"RGB(1,2,300)", 1},
                                                                              {"lila", 1},
                                                                              {"rot", 7}}) {
        EXPECT_FALSE(german.ParseStimulus(text, level).has_value()) << text << " level " << level;
    }
}

TEST(Words, KeysAndCellsHaveFixedNames) {
    const Vocabulary german("German", server::ServerTexts());
    const Vocabulary english("English", EnglishTexts());
    EXPECT_EQ(german.ParseKey("Leertaste")->code, 32);
    EXPECT_EQ(german.ParseKey("Runter")->name, "down");
    EXPECT_EQ(english.ParseKey("Up")->code, 38);
    EXPECT_EQ(german.ParseKey("65")->name, "other");
    EXPECT_FALSE(german.ParseKey("Up").has_value());
    EXPECT_EQ(german.ParseCell("C", 0), 2);
    EXPECT_EQ(german.ParseCell("d", 1), 3);
    EXPECT_FALSE(german.ParseCell("d", 0).has_value());
    EXPECT_EQ(german.ParseCell("unbekannt(7)", 0), 7);
    EXPECT_EQ(CellName(2), "bottom_left");
    EXPECT_EQ(CellName(7), "cell_7");
    EXPECT_EQ(german.ParseResult("Gewonnen"), true);
    EXPECT_EQ(english.ParseResult("Verloren"), false);
    EXPECT_FALSE(english.ParseResult("Gewonnen").has_value());
}

// The speed and start lists' entries as the game files name them. A seat's
// word is looked up in its own list: "<- Selbe" is only in player 2's.
struct ListEntryCase {
    const char* name;
    bool english;
    const char* list;  // "speed", "p1_start_choice" or "p2_start_choice"
    const char* word;  // Windows-1252
    const char* code;  // nullptr: no entry of the list
};

const ListEntryCase kListEntries[] = {
    {"Slow", false, "speed", "langsam", "slow"},
    {"Fast", false, "speed", "schnell", "fast"},
    {"EnglishInstant", true, "speed", "instant", "instant"},
    {"SpeedPrompt", false, "speed", "Geschwindigkeit ausw\xE4hlen ...", "not_chosen"},
    {"GermanWordInEnglish", true, "speed", "schnell", nullptr},
    {"Random", false, "p1_start_choice", "Zufall", "random"},
    {"TopRight", false, "p1_start_choice", "Rechts Oben", "top_right"},
    {"EnglishBottomLeft", true, "p2_start_choice", "Bottom left", "bottom_left"},
    {"Same", false, "p2_start_choice", "<- Selbe", "same_as_partner"},
    {"SameForPlayer1", false, "p1_start_choice", "<- Selbe", nullptr},
    {"Player1Prompt", false, "p1_start_choice", "Spieler 1", "previous_cell"},
    {"Player2Prompt", true, "p2_start_choice", "Player 2", "previous_cell"},
    {"Player2PromptForPlayer1", false, "p1_start_choice", "Spieler 2", nullptr},
};

class ListEntry : public ::testing::TestWithParam<ListEntryCase> {};

TEST_P(ListEntry, HasAFixedCodeTheCodebookLists) {
    const ListEntryCase& c = GetParam();
    const Vocabulary words(c.english ? "English" : "German",
                           c.english ? EnglishTexts() : server::ServerTexts());
    const std::string list = c.list;
    const std::optional<std::string> code =
        list == "speed" ? words.SpeedCode(c.word)
                        : words.StartChoiceCode(c.word, list == "p1_start_choice" ? 0 : 1);
    if (c.code == nullptr) {
        EXPECT_FALSE(code.has_value()) << *code;
        return;
    }
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(*code, c.code);
    const auto columns = TableNamed("games.csv").columns;
    const auto column = std::find_if(columns.begin(), columns.end(),
                                     [&](const Column& each) { return each.name == list; });
    ASSERT_NE(column, columns.end());
    EXPECT_NE(column->allowed.find(*code), std::string::npos) << column->allowed;
}

INSTANTIATE_TEST_SUITE_P(, ListEntry, ::testing::ValuesIn(kListEntries), quib::testing::CaseName());

}  // namespace
}  // namespace quib::exporter
