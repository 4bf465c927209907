#include "tools/export/tidy_csv_writer.h"

#include <gtest/gtest.h>

#include "testing/scratch_directory.h"

namespace quib::exporter {
namespace {

TEST(QuoteField, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(QuoteField("J\xC3\xBCrgen"), "J\xC3\xBCrgen");
    EXPECT_EQ(QuoteField(""), "");
    EXPECT_EQ(QuoteField("a,b"), "\"a,b\"");
    EXPECT_EQ(QuoteField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(QuoteField("two\r\nlines"), "\"two\r\nlines\"");
}

TEST(TableFile, TakesItsNameOnlyWhenFinished) {
    quib::testing::ScratchDirectory dir;
    const Table& table = TableNamed("problems.csv");
    {
        TableFile unfinished(dir.path(), table);
        unfinished.Row({"log/g000000.csv", "3", "game_total", "a, \"b\""});
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "an abandoned table was left behind";
    // The lab's identity ends every row.
    TableFile file(dir.path(), table, "lab-north");
    file.Row({"log/g000000.csv", "3", "game_total", "a, \"b\""});
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "problems.csv"));
    ASSERT_TRUE(file.Finish());
    EXPECT_EQ(
        quib::testing::ReadBytes(dir.path() / "problems.csv"),
        "\xEF\xBB\xBF"
        "file,line,kind,problem,lab\nlog/g000000.csv,3,game_total,\"a, \"\"b\"\"\",lab-north\n");
}

}  // namespace
}  // namespace quib::exporter
