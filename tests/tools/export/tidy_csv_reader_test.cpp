#include "tools/export/tidy_csv_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace quib::exporter {
namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Read {
    std::vector<std::string> header;
    Rows rows;
    std::vector<int> lines;
    std::string error;
};

Read ReadAll(const std::string& text) {
    std::istringstream in(text);
    TidyCsvReader reader(in, "t.csv");
    Read read;
    if (!reader.ReadHeader()) {
        read.error = reader.Error();
        return read;
    }
    read.header = reader.Header();
    std::vector<std::string> cells;
    while (reader.Next(cells)) {
        read.rows.push_back(cells);
        read.lines.push_back(reader.RowLine());
    }
    read.error = reader.Error();
    return read;
}

struct GoodCase {
    const char* name;
    std::string text;
    Rows rows;
    std::vector<int> lines;
};

TEST(TidyCsvReader, ReadsQuotedCellsAndCountsLinesInsideThem) {
    const std::vector<GoodCase> cases = {
        {"plain", "a,b\n1,2\n3,4\n", {{"1", "2"}, {"3", "4"}}, {2, 3}},
        {"empty cells", "a,b,c\n,,\n1,,x\n", {{"", "", ""}, {"1", "", "x"}}, {2, 3}},
        {"no line end after the last row", "a,b\n1,2", {{"1", "2"}}, {2}},
        {"comma, quote and line break quoted",
         "a,b\n\"x,y\",\"say \"\"hi\"\"\"\n\"two\nlines\",z\nlast,row\n",
         {{"x,y", "say \"hi\""}, {"two\nlines", "z"}, {"last", "row"}},
         {2, 3, 5}},
        {"quoted empty cell", "a,b\n\"\",1\n", {{"", "1"}}, {2}},
        {"CR LF line ends", "a,b\r\n1,2\r\n", {{"1", "2"}}, {2}},
        {"byte order mark",
         "\xEF\xBB\xBF"
         "a,b\n1,2\n",
         {{"1", "2"}},
         {2}},
        {"byte order mark before a quoted name", "\xEF\xBB\xBF\"a\",b\n1,2\n", {{"1", "2"}}, {2}},
        {"UTF-8 text",
         "a,b\nM\xC3\xBCller,\xE2\x82\xAC\n",
         {{"M\xC3\xBCller", "\xE2\x82\xAC"}},
         {2}},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Read read = ReadAll(c.text);
        EXPECT_EQ(read.error, "");
        ASSERT_FALSE(read.header.empty());
        EXPECT_EQ(read.header[0], "a");
        EXPECT_EQ(read.rows, c.rows);
        EXPECT_EQ(read.lines, c.lines);
    }
}

TEST(TidyCsvReader, FindsColumnsByName) {
    std::istringstream in("game,round,won\n");
    TidyCsvReader reader(in, "t.csv");
    ASSERT_TRUE(reader.ReadHeader());
    EXPECT_EQ(reader.ColumnIndex("won"), 2u);
    EXPECT_EQ(reader.ColumnIndex("game"), 0u);
    EXPECT_EQ(reader.ColumnIndex("points"), std::nullopt);
}

TEST(TidyCsvReader, NamesTheLineOfARowItCannotRead) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "t.csv line 1: no header row"},
        {"a,b\n1,2\n\"open,3\n4,5\n", "t.csv line 3: a quoted cell is not closed"},
        {"a,b\n\"x\ny\",1\n1,2,3\n", "t.csv line 4: 3 cells where the header has 2"},
        {"a,b\n1\n", "t.csv line 2: 1 cell where the header has 2"},
        {"a,b\n1,2\n\n", "t.csv line 3: 1 cell where the header has 2"},
        {"a,b\n1,x\"y\"\n", "t.csv line 2: a quote inside a cell that is not quoted"},
        {"a,b\n1,\"x\"y\n", "t.csv line 2: text after the closing quote of a cell"},
        {"a,b\n1,x\ry\n", "t.csv line 2: a carriage return outside quotes"},
        {"a,b\n1,M\xFCller\n", "t.csv line 2: not UTF-8"},
        {"a,b\n1,\xC0\xAF\n", "t.csv line 2: not UTF-8"},      // overlong "/"
        {"a,b\n1,\xED\xA0\x80\n", "t.csv line 2: not UTF-8"},  // a surrogate
        {"a,b\n1,\xE2\x82\n", "t.csv line 2: not UTF-8"},      // cut short
        {"a,\xFF\n", "t.csv line 1: not UTF-8"},
    };
    for (const auto& [text, error] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ReadAll(text).error, error);
    }
}

TEST(TidyCsvReader, StopsAfterAnError) {
    std::istringstream in("a,b\n1\n3,4\n");
    TidyCsvReader reader(in, "t.csv");
    ASSERT_TRUE(reader.ReadHeader());
    std::vector<std::string> cells;
    EXPECT_FALSE(reader.Next(cells));
    EXPECT_FALSE(reader.Next(cells));
    EXPECT_EQ(reader.Error(), "t.csv line 2: 1 cell where the header has 2");
}

}  // namespace
}  // namespace quib::exporter
