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
    EXPECT_EQ(ServerTexts::Default(0),
              "Hier kann man einen Kommentar \xFC"
              "ber den Probanten hinterlassen.");
    EXPECT_EQ(ServerTexts::Default(1), "Kann Verzeichniss nicht erstellen:");
    EXPECT_EQ(ServerTexts::Default(3), "Fehler!");
    EXPECT_EQ(ServerTexts::Default(11), "Tamoresk - Server - Programmiert von");
    EXPECT_EQ(ServerTexts::Default(23), "selbe Spieler ausgew\xE4hlt!");
    EXPECT_EQ(ServerTexts::Default(26), "Std.");
    EXPECT_EQ(ServerTexts::Default(27), "Min.");
    EXPECT_EQ(ServerTexts::Default(32),
              "Kann Server nicht initialisieren! (Ist der Port belegt?).");
    EXPECT_EQ(ServerTexts::Default(34),
              "Um neue Runde zu starten bitte Leertaste dr\xFC"
              "cken.");
    EXPECT_EQ(ServerTexts::Default(37), "Spiel l\xE4uft ...");
    EXPECT_EQ(ServerTexts::Default(64), "<- Selbe");
    EXPECT_EQ(ServerTexts::Default(91), "Spiel l\xE4uft noch, soll wirklich beendet werden?");
    EXPECT_EQ(ServerTexts::Default(95), "gr\xFCn");
    EXPECT_EQ(ServerTexts::Default(134), "Z\xFCge Spieler");
    EXPECT_EQ(ServerTexts::Default(144), "M\xF6gliche Zielstimuli");
    EXPECT_EQ(ServerTexts::Default(168), "N");
    EXPECT_EQ(ServerTexts::Default(169), "K");
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
    texts.Set(11, "Tamoresk - Server - Programmed by");
    texts.Set(200, "spare");
    EXPECT_EQ(texts[11], "Tamoresk - Server - Programmed by");
    EXPECT_EQ(texts[200], "spare");
    EXPECT_EQ(texts[10], ServerTexts::Default(10));
    EXPECT_EQ(texts[12], ServerTexts::Default(12));
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
