#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "server/core/settings.h"
#include "server/core/texts.h"
#include "testing/scratch_directory.h"
#include "tests/support/language_file.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

constexpr const char* kFileName = "quib_server_en.lang";

std::string EnglishFile() {
    return ReadBytes(fs::path(QUIB_SOURCE_DIR) / "lang" / kFileName);
}

TEST(EnglishServerLanguageTest, FileHoldsEveryTextInTheLayoutTheServerWrites) {
    ScratchDirectory dir;
    LoadTexts(dir.path(), "quib_server_de.lang");  // writes the German file
    ASSERT_TRUE(quib::testing::IsLanguageFileAsWritten(
        ReadBytes(dir.path() / "quib_server_de.lang"), "Deutsch", kServerTextCount));

    EXPECT_TRUE(quib::testing::IsLanguageFileAsWritten(EnglishFile(), "English", kServerTextCount));
}

TEST(EnglishServerLanguageTest, LoadTextsTakesEveryTextFromTheFileAndLeavesItAlone) {
    const std::string bytes = EnglishFile();
    ScratchDirectory dir;
    WriteBytes(dir.path() / kFileName, bytes);

    const ServerTexts texts = LoadTexts(dir.path(), kFileName);

    for (int n = 0; n < kServerTextCount; ++n) {
        EXPECT_EQ(texts[n], quib::testing::TextOfKey(bytes, n)) << "txt" << n;
    }
    EXPECT_EQ(texts[txt::kErrorTitle], "Error!");
    EXPECT_EQ(ReadBytes(dir.path() / kFileName), bytes);
    EXPECT_EQ(quib::testing::NamesIn(dir.path()), std::vector<std::string>{kFileName});
}

// Texts are glued to numbers, paths and each other, and many end up as CSV
// fields and column titles.
TEST(EnglishServerLanguageTest, TextsJoinAndSplitLikeTheGermanOnes) {
    const std::string bytes = EnglishFile();
    for (int n = 0; n < kServerTextCount; ++n) {
        const std::string text = quib::testing::TextOfKey(bytes, n);
        EXPECT_TRUE(quib::testing::EndsLike(text, ServerTexts::Default(n))) << "txt" << n;
        EXPECT_EQ(text.find(';'), std::string::npos) << "txt" << n << " would split a CSV field";
    }
}

TEST(EnglishServerLanguageTest, LanguageDialogOffersEnglish) {
    ScratchDirectory dir;
    WriteBytes(dir.path() / kFileName, EnglishFile());

    const std::vector<LanguageChoice> choices = ListLanguages(dir.path(), "quib_server_de.lang");

    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[1].displayName, "English");
    EXPECT_EQ(choices[1].fileName, kFileName);
}

}  // namespace
}  // namespace quib::server
