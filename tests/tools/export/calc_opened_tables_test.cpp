// The tables opened in a real spreadsheet (headless LibreOffice Calc, from
// Debian's packages; scripts/install-deps installs it): the byte order mark
// at their start must not end up in the first cell, and umlauts and the euro
// sign must come through.
//
// Calc's text import dialog reads a file that begins with a UTF-8 byte order
// mark as UTF-8; that is what the mark is written for. A headless Calc shows
// no dialog, and without import options it reads every text file as
// Windows-1252 whatever mark it begins with, so the test gives it the
// options the dialog takes for such a file: UTF-8, comma, double quotes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tools/export/lab_export.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;

bool HaveSoffice() {
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

// Opens `table` in Calc as UTF-8 and saves it as a flat OpenDocument
// spreadsheet (one XML file) under `outDir`. A private profile keeps the
// user's own away; the timeout ends a Calc that hangs.
bool OpenInCalc(const fs::path& table, const fs::path& outDir, const fs::path& profile) {
    const std::string command = "timeout 180 soffice -env:UserInstallation=file://" +
                                profile.string() +
                                " --headless --infilter=CSV:44,34,76 --convert-to fods --outdir '" +
                                outDir.string() + "' '" + table.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// The texts of the cells that hold plain text, in reading order.
std::vector<std::string> CellTexts(const std::string& fods) {
    static const std::regex kCell("<text:p>([^<]*)</text:p>");
    std::vector<std::string> texts;
    for (std::sregex_iterator it(fods.begin(), fods.end(), kCell), end; it != end; ++it) {
        std::string text = (*it)[1];
        for (const auto& [entity, character] : {std::pair{"&lt;", "<"},
                                                {"&gt;", ">"},
                                                {"&quot;", "\""},
                                                {"&apos;", "'"},
                                                {"&amp;", "&"}}) {
            for (std::size_t at = text.find(entity); at != std::string::npos;
                 at = text.find(entity, at + 1)) {
                text.replace(at, std::string(entity).size(), character);
            }
        }
        texts.push_back(std::move(text));
    }
    return texts;
}

TEST(CalcOpenedTables, ShowTheFirstColumnNameUmlautsAndTheEuroSignIntact) {
    if (!HaveSoffice()) {
        GTEST_SKIP() << "soffice is not installed (scripts/install-deps installs it)";
    }
    ScratchDirectory dir;
    ExportOptions options;
    options.labFolder = fs::path(QUIB_TEST_DATA_DIR) / "measures_lab";
    options.outFolder = dir.path() / "tables";
    options.allowProblems = true;
    ExportLab(options);
    ASSERT_TRUE(ReadBytes(options.outFolder / "subjects.csv").starts_with("\xEF\xBB\xBF"));

    ASSERT_TRUE(OpenInCalc(options.outFolder / "subjects.csv", dir.path() / "calc",
                           dir.path() / "profile"));
    const std::vector<std::string> cells = CellTexts(ReadBytes(dir.path() / "calc/subjects.fods"));
    ASSERT_FALSE(cells.empty());
    EXPECT_EQ(cells.front(), "subject");
    for (const char* text : {"B\xC3\xA4rbel", "J\xC3\xB6rg", "Kaffee 2 \xE2\x82\xAC"}) {
        EXPECT_NE(std::find(cells.begin(), cells.end(), text), cells.end()) << text;
    }
}

}  // namespace
}  // namespace quib::exporter
