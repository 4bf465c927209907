#include "server/core/texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "common/codepage.h"

namespace quib::server {
namespace {

TEST(ServerTextsTest, DefaultsCoverEveryKeyAndNothingMore) {
    for (int n = 0; n < kServerTextCount; ++n) {
        EXPECT_FALSE(ServerTexts::Default(n).empty()) << "txt" << n;
    }
    EXPECT_TRUE(ServerTexts::Default(-1).empty());
    EXPECT_TRUE(ServerTexts::Default(kServerTextCount).empty());
    EXPECT_TRUE(ServerTexts::Default(kServerTextSlots).empty());
}

TEST(ServerTextsTest, DefaultsAreWindows1252) {
    EXPECT_EQ(ServerTexts::Default(txt::kCommentPlaceholder),
              "Hier kann man einen Kommentar \xFC"
              "ber den Probanten hinterlassen.");
    EXPECT_EQ(ServerTexts::Default(txt::kCannotCreateFolder), "Kann Verzeichniss nicht erstellen:");
    EXPECT_EQ(ServerTexts::Default(txt::kErrorTitle), "Fehler!");
    EXPECT_EQ(ServerTexts::Default(txt::kTitleProgrammedBy),
              "Tamoresk - Server - Programmiert von");
    EXPECT_EQ(ServerTexts::Default(txt::kSameSubjectTwiceEnd), "selbe Spieler ausgew\xE4hlt!");
    EXPECT_EQ(ServerTexts::Default(txt::kHoursUnit), "Std.");
    EXPECT_EQ(ServerTexts::Default(txt::kMinutesUnit), "Min.");
    EXPECT_EQ(ServerTexts::Default(txt::kCannotStartServer),
              "Kann Server nicht initialisieren! (Ist der Port belegt?).");
    EXPECT_EQ(ServerTexts::Default(txt::kPressSpaceToStart),
              "Um neue Runde zu starten bitte Leertaste dr\xFC"
              "cken.");
    EXPECT_EQ(ServerTexts::Default(txt::kGameRunning), "Spiel l\xE4uft ...");
    EXPECT_EQ(ServerTexts::Default(txt::kSameAsPlayer1), "<- Selbe");
    EXPECT_EQ(ServerTexts::Default(txt::kQuitWhileRunning),
              "Spiel l\xE4uft noch, soll wirklich beendet werden?");
    EXPECT_EQ(ServerTexts::Default(txt::kGreen), "gr\xFCn");
    EXPECT_EQ(ServerTexts::Default(txt::kMovesPlayerColumn), "Z\xFCge Spieler");
    EXPECT_EQ(ServerTexts::Default(txt::kPossibleTargetsColumn), "M\xF6gliche Zielstimuli");
    EXPECT_EQ(ServerTexts::Default(txt::kApartMark), "N");
    EXPECT_EQ(ServerTexts::Default(txt::kTouchingMark), "K");
}

TEST(ServerTextsTest, NewTableHoldsTheDefaultsAndEmptySpareSlots) {
    const ServerTexts texts;
    for (int n = 0; n < kServerTextCount; ++n) {
        EXPECT_EQ(texts[n], ServerTexts::Default(n)) << "txt" << n;
    }
    for (int n = kServerTextCount; n < kServerTextSlots; ++n) {
        EXPECT_TRUE(texts[n].empty()) << "slot " << n;
    }
}

TEST(ServerTextsTest, SetReplacesOneSlot) {
    ServerTexts texts;
    texts.Set(txt::kTitleProgrammedBy, "Tamoresk - Server - Programmed by");
    texts.Set(200, "spare");
    EXPECT_EQ(texts[txt::kTitleProgrammedBy], "Tamoresk - Server - Programmed by");
    EXPECT_EQ(texts[200], "spare");
    EXPECT_EQ(texts[txt::kRoundAndGameNotSaved], ServerTexts::Default(txt::kRoundAndGameNotSaved));
    EXPECT_EQ(texts[txt::kPleaseWait], ServerTexts::Default(txt::kPleaseWait));
}

TEST(ServerTextsTest, SlotsOutsideTheTableAreEmptyAndIgnoreWrites) {
    ServerTexts texts;
    texts.Set(-1, "x");
    texts.Set(kServerTextSlots, "x");
    EXPECT_TRUE(texts[-1].empty());
    EXPECT_TRUE(texts[kServerTextSlots].empty());
}

}  // namespace
}  // namespace quib::server
