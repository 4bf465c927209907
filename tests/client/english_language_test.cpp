#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "client/client_texts.h"
#include "testing/scratch_directory.h"
#include "tests/support/language_file.h"

namespace quib::client {
namespace {

namespace fs = std::filesystem;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

constexpr const char* kFileName = "quib_client_en.lang";

std::string EnglishFile() {
    return ReadBytes(fs::path(QUIB_SOURCE_DIR) / "lang" / kFileName);
}

TEST(EnglishClientLanguageTest, FileHoldsEveryTextInTheLayoutTheClientWrites) {
    ScratchDirectory dir;
    LoadClientTexts(dir.path(), "quib_client_de.lang");  // writes the German file
    ASSERT_TRUE(quib::testing::IsLanguageFileAsWritten(
        ReadBytes(dir.path() / "quib_client_de.lang"), "Deutsch", kClientTextCount));

    EXPECT_TRUE(quib::testing::IsLanguageFileAsWritten(EnglishFile(), "English", kClientTextCount));
}

TEST(EnglishClientLanguageTest, LoadClientTextsTakesEveryTextFromTheFileAndLeavesItAlone) {
    const std::string bytes = EnglishFile();
    ScratchDirectory dir;
    WriteBytes(dir.path() / kFileName, bytes);

    const ClientTexts texts = LoadClientTexts(dir.path(), kFileName);

    for (int n = 0; n < kClientTextCount; ++n) {
        EXPECT_EQ(texts[n], quib::testing::TextOfKey(bytes, n)) << "txt" << n;
        // Titles and messages are built from texts joined with addresses.
        EXPECT_TRUE(quib::testing::EndsLike(texts[n], ClientTexts::Default(n))) << "txt" << n;
    }
    EXPECT_EQ(texts[txt::kErrorTitle], "Error!");
    EXPECT_EQ(ReadBytes(dir.path() / kFileName), bytes);
    EXPECT_EQ(quib::testing::NamesIn(dir.path()), std::vector<std::string>{kFileName});
}

TEST(EnglishClientLanguageTest, LanguageChooserOffersEnglish) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / kFileName, EnglishFile());

    const std::vector<LanguageChoice> choices =
        ListClientLanguages(dir.path(), "quib_client_de.lang");

    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[1].displayName, "English");
    EXPECT_EQ(choices[1].fileName, kFileName);
}

}  // namespace
}  // namespace quib::client
