#include "tools/export/report.h"
#include "tools/export/lab_export.h"
#include "tools/export/report_charts.h"
#include "tools/export/report_data.h"
#include "tools/export/report_tallies.h"
#include "tools/export/tables.h"

#include "testing/scratch_directory.h"
#include "tests/support/qt_app.h"

#include "tests/tools/export/report_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace quib::exporter {
namespace {

using quib::testing::CopyReportFixture;
using quib::testing::CountOf;
using quib::testing::ReadBytes;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

constexpr const char* kMadeAt = "2026-12-11 10:00";

class ReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        quib::testing::EnsureApplication();
        CopyReportFixture(scratch_.path());
    }

    std::filesystem::path Folder() const { return scratch_.path(); }
    std::filesystem::path PageFile() const { return scratch_.path() / "report.html"; }

    // The page drawn from the tables in the scratch folder.
    std::string Page() {
        const ReportResult result = WriteReport(Folder(), PageFile(), kMadeAt);
        EXPECT_TRUE(result.written) << result.message;
        return ReadBytes(PageFile());
    }

    // Replaces line `line` (from 1) of `table` in the scratch folder.
    void ReplaceLine(const char* table, int line, const std::string& text) {
        std::string content = ReadBytes(Folder() / table);
        std::size_t begin = 0;
        for (int i = 1; i < line; ++i) {
            begin = content.find('\n', begin) + 1;
        }
        const std::size_t end = content.find('\n', begin);
        content.replace(begin, end - begin, text);
        WriteBytes(Folder() / table, content);
    }

    ScratchDirectory scratch_;
};

// The text of each cell of the table row `<tr id="...">`, tags left out.
std::vector<std::string> CellsOfRow(const std::string& html, const std::string& rowStart) {
    std::vector<std::string> cells;
    const std::size_t row = html.find(rowStart);
    if (row == std::string::npos) {
        return cells;
    }
    const std::string text = html.substr(row, html.find("</tr>", row) - row);
    static const std::regex cell(R"(<t[dh][^>]*>([\s\S]*?)</t[dh]>)");
    static const std::regex tag("<[^>]*>");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), cell);
         it != std::sregex_iterator(); ++it) {
        cells.push_back(std::regex_replace((*it)[1].str(), tag, ""));
    }
    return cells;
}

// Every row of the first table of class `table` after `from`, as cells.
std::vector<std::vector<std::string>> RowsOfTable(const std::string& html, const std::string& from,
                                                  const std::string& table) {
    std::vector<std::vector<std::string>> rows;
    const std::size_t start = html.find("<table class=\"" + table + "\"", html.find(from));
    const std::size_t body = html.find("<tbody>", start);
    const std::size_t end = html.find("</tbody>", body);
    for (std::size_t at = html.find("<tr", body); at < end; at = html.find("<tr", at + 1)) {
        rows.push_back(CellsOfRow(html.substr(at, end - at), "<tr"));
    }
    return rows;
}

// Every tag of the page: the text between < and >. Text from the files is
// escaped, so a < in the page always opens a tag.
std::vector<std::string> Tags(const std::string& html) {
    std::vector<std::string> tags;
    for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
        tags.push_back(html.substr(at, html.find('>', at) - at + 1));
    }
    return tags;
}

constexpr const char* kNotKnown = "\xE2\x80\x93";  // an en dash

// The lines drawn in `colour` in `html`, legends left out. Qt writes a
// group of elements for each change of the pen; the legend's swatch is a
// level line at y = 12.
std::size_t LinesIn(const std::string& html, const std::string& colour) {
    std::size_t lines = 0;
    const std::string group = "<g fill=\"none\" stroke=\"" + colour + "\"";
    for (std::size_t at = html.find(group); at != std::string::npos;
         at = html.find(group, at + 1)) {
        const std::string inside = html.substr(at, html.find("</g>", at) - at);
        static const std::regex polyline("<polyline[^>]*points=\"([^\"]*)\"");
        for (auto it = std::sregex_iterator(inside.begin(), inside.end(), polyline);
             it != std::sregex_iterator(); ++it) {
            static const std::regex swatch(R"([\d.]+,12 [\d.]+,12 )");
            lines += std::regex_match((*it)[1].str(), swatch) ? 0 : 1;
        }
    }
    return lines;
}

TEST_F(ReportTest, PageIsSelfContainedWithOneSvgPerChart) {
    const std::string html = Page();
    // Three pairs (1 and 2, 3 and 4, no subjects): a learning curve, a
    // results chart, durations and moves each; four games: a learning
    // curve, durations and moves each.
    EXPECT_EQ(CountOf(html, "<svg"), 3u * 4 + 4u * 3);
    EXPECT_EQ(CountOf(html, "</svg>"), CountOf(html, "<svg"));
    for (const std::string_view forbidden :
         {"<script", "<link", "<iframe", "<object", "<embed", "<img", "<image", "http://",
          "https://", "url(", "@import", "<?xml", "xmlns", "mm\""}) {
        EXPECT_EQ(html.find(forbidden), std::string::npos) << forbidden;
    }
    static const std::regex reference(R"(\s(src|href|xlink:href|action)\s*=\s*"([^"]*)\")",
                                      std::regex::icase);
    std::size_t links = 0;
    for (const std::string& tag : Tags(html)) {
        for (auto it = std::sregex_iterator(tag.begin(), tag.end(), reference);
             it != std::sregex_iterator(); ++it) {
            EXPECT_EQ((*it)[1].str(), "href") << tag;
            EXPECT_EQ((*it)[2].str().substr(0, 1), "#") << tag;
            ++links;
        }
        // Every chart is sized in CSS pixels.
        if (tag.starts_with("<svg")) {
            EXPECT_TRUE(std::regex_search(
                tag, std::regex(R"(^<svg[^>]* width="\d+" height="\d+" viewBox="0 0 \d+ \d+")")))
                << tag;
        }
    }
    EXPECT_GT(links, 0u);  // the contents and the games table link within the page
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(html.find("Made 2026-12-11 10:00 from the tables in "), std::string::npos);
}

TEST_F(ReportTest, GamesTableShowsTheTablesNumbers) {
    const std::string html = Page();
    const std::string hostile = "2 &lt;img src=x onerror=alert(1)&gt;";
    EXPECT_EQ(CellsOfRow(html, "<tr id=\"game-0\""),
              (std::vector<std::string>{"0", "2026-12-10 14:03:12", "1 Anna", hostile, "1 / 1",
                                        "open / open", "fast &amp; &quot;slow&quot;",
                                        "fig&#39;&lt;b&gt;0.png / star0.png", "12", "12", "8", "3",
                                        "00:01:35", "complete"}));
    EXPECT_EQ(
        CellsOfRow(html, "<tr id=\"game-1\""),
        (std::vector<std::string>{"1", "2026-12-10 14:20:05", hostile, "1 Anna", "2 / 3",
                                  "covered / open", "normal", "star0.png / fig&#39;&lt;b&gt;0.png",
                                  "5", "4", "2", "1", "00:00:41", "rounds missing"}));
    EXPECT_EQ(CellsOfRow(html, "<tr id=\"game-2\""),
              (std::vector<std::string>{"2", "2026-12-11 09:00:00",
                                        "3 Chris, &quot;the&quot;\ntester", "4 Dana", "3 / 4",
                                        "covered / covered", "slow", "ball0.png / ball0.png", "4",
                                        "4", "3", "2", "01:02:03", "complete"}));
    EXPECT_EQ(CellsOfRow(html, "<tr id=\"game-3\""),
              (std::vector<std::string>{"3", kNotKnown, "no subject", "no subject", "1 / 1",
                                        "open / covered", "normal", "ball0.png / star0.png", "3",
                                        "3", "1", "1", "00:00:12", "complete"}));
    // 14 of the 22 rounds with a result were won; round 3 of game 1 is
    // missing; 3,871,650 ms of play: 3871 whole seconds, cut as the game
    // files cut them (rounding would give 01:04:32).
    EXPECT_NE(html.find("<p class=\"summary\">4 games, 23 rounds (1 missing), 3 pairs of "
                        "subjects; 14 of 22 rounds with a result won (63.6\xC2\xA0%); play time "
                        "01:04:31 (h:min:s).</p>"),
              std::string::npos);
    EXPECT_NE(html.find("<th class=\"n\">Play time (h:min:s)</th>"), std::string::npos);
}

TEST_F(ReportTest, ResultsPerLevelAndDisplayFollowTheSubjectsAcrossSeats) {
    const std::string html = Page();
    // Subjects 1 and 2 played game 0 at levels 1/1 (rounds 1-8: 6 of 8 won)
    // and 2/1 (rounds 9-12: 2 of the 3 with a result), and game 1 with
    // subject 2 in seat 1 at level 2, covered, and subject 1 in seat 2 at
    // level 3, open: as subject 1 / subject 2 that is 3 / 2, open / covered,
    // 2 of 4 won.
    EXPECT_EQ(RowsOfTable(html, "id=\"pair-1\"", "levels"),
              (std::vector<std::vector<std::string>>{
                  {"1 / 1", "open / open", "8", "8", "6", "75.0\xC2\xA0%"},
                  {"2 / 1", "open / open", "4", "3", "2", "66.7\xC2\xA0%"},
                  {"3 / 2", "open / covered", "4", "4", "2", "50.0\xC2\xA0%"}}));
    EXPECT_NE(html.find("Levels and displays as 1 Anna / 2 &lt;img src=x onerror=alert(1)&gt;"),
              std::string::npos);
    EXPECT_EQ(RowsOfTable(html, "id=\"pair-2\"", "levels"),
              (std::vector<std::vector<std::string>>{
                  {"3 / 4", "covered / covered", "4", "4", "3", "75.0\xC2\xA0%"}}));
    EXPECT_EQ(RowsOfTable(html, "id=\"pair-3\"", "levels"),
              (std::vector<std::vector<std::string>>{
                  {"1 / 1", "open / covered", "3", "3", "1", "33.3\xC2\xA0%"}}));
    EXPECT_NE(html.find("<h3>Games without subjects</h3>"), std::string::npos);
    // The pair's summary and the bars' values.
    EXPECT_NE(html.find("2 games, 16 rounds; 10 of 15 with a result won (66.7\xC2\xA0%); play time "
                        "00:02:16 (h:min:s)."),
              std::string::npos);
    EXPECT_NE(html.find(">75.0\xC2\xA0% of 8</text>"), std::string::npos);
}

TEST_F(ReportTest, TextFromTheFilesStaysText) {
    const std::string html = Page();
    for (const std::string_view raw : {"<img", "<b>0.png", "\"slow\"", "fig'", "Chris, \"the\""}) {
        EXPECT_EQ(html.find(raw), std::string::npos) << raw;
    }
    // As character references in headings, captions and the charts' titles.
    EXPECT_NE(html.find("<h3>Subject 1 (Anna) and subject 2 (&lt;img src=x onerror=alert(1)&gt;)"
                        "</h3>"),
              std::string::npos);
    EXPECT_NE(
        html.find("by player 1, subject 2 (&lt;img src=x onerror=alert(1)&gt;), and player 2, "
                  "subject 1 (Anna)."),
        std::string::npos);
    EXPECT_NE(html.find("aria-label=\"Learning curve of 1 Anna and 2 &lt;img src=x "
                        "onerror=alert(1)&gt;\""),
              std::string::npos);
}

TEST_F(ReportTest, MissingRoundsAreMarkedAndBreakTheLines) {
    const std::string html = Page();
    const std::size_t game1 = html.find("id=\"charts-1\"");
    ASSERT_NE(game1, std::string::npos);
    const std::string section = html.substr(game1, html.find("</section>", game1) - game1);
    EXPECT_NE(section.find("4 rounds of 5."), std::string::npos);
    // Durations and moves of rounds 1-2 and 4-5: two lines each, not one
    // through the missing round 3; player 1's moves in round 5 are not
    // known, which leaves round 4 a dot of its own.
    EXPECT_EQ(LinesIn(section, "#cc79a7"), 2u);  // durations
    EXPECT_EQ(LinesIn(section, "#56b4e9"), 1u);  // player 1's moves
    EXPECT_EQ(LinesIn(section, "#d55e00"), 2u);  // player 2's moves
    EXPECT_NE(section.find(">missing</text>"), std::string::npos);
}

TEST_F(ReportTest, PairChartsFollowEachSubjectAcrossSeats) {
    const std::string html = Page();
    const std::size_t from = html.find("<h4>Round durations and moves</h4>");
    const std::string block = html.substr(from, html.find("<section class=\"game\"", from) - from);
    // Subject 1 sat in seat 1 in game 0 (moves of rounds 1-12 known) and in
    // seat 2 in game 1 (rounds 1-2 and 4-5); subject 2 in seat 2 in game 0
    // (rounds 1-11) and in seat 1 in game 1 (rounds 1-2 and 4).
    EXPECT_EQ(LinesIn(block, "#56b4e9"), 3u);  // subject 1
    EXPECT_EQ(LinesIn(block, "#d55e00"), 2u);  // subject 2
    EXPECT_EQ(LinesIn(block, "#cc79a7"), 3u);  // durations: game 0, game 1 around round 3
    EXPECT_NE(block.find(">subject 1</text>"), std::string::npos);
    EXPECT_NE(
        block.find("Arrow moves carried out per round by subject 1 (Anna) (wide sky blue) and "
                   "subject 2 (&lt;img src=x onerror=alert(1)&gt;) (narrow dashed vermilion)"),
        std::string::npos);
}

TEST_F(ReportTest, RoundsOfAGameTheGamesTableLacksAreShown) {
    WriteBytes(Folder() / "rounds.csv",
               ReadBytes(Folder() / "rounds.csv") + ",2,9,1,5000,1,1,1,1,open,open,normal\n");
    const std::string html = Page();
    EXPECT_EQ(CellsOfRow(html, "<tr id=\"game-9\""),
              (std::vector<std::string>{"9", kNotKnown, "no subject", "no subject",
                                        std::string(kNotKnown) + " / " + kNotKnown,
                                        std::string(kNotKnown) + " / " + kNotKnown, kNotKnown,
                                        std::string(kNotKnown) + " / " + kNotKnown, kNotKnown, "1",
                                        kNotKnown, kNotKnown, kNotKnown, "not in games.csv"}));
    // With game 3 among the games without subjects: round 1 of game 9 is
    // missing.
    EXPECT_NE(html.find("5 games, 24 rounds (2 missing)"), std::string::npos);
    EXPECT_NE(html.find("2 games, 4 rounds; 2 of 4 with a result won (50.0\xC2\xA0%)"),
              std::string::npos);
}

TEST_F(ReportTest, TablesWithoutRowsGiveAPageWithoutCharts) {
    for (const char* table : {"games.csv", "rounds.csv"}) {
        const std::string text = ReadBytes(Folder() / table);
        WriteBytes(Folder() / table, text.substr(0, text.find('\n') + 1));
    }
    const std::string html = Page();
    EXPECT_EQ(CountOf(html, "<svg"), 0u);
    EXPECT_NE(
        html.find("<p class=\"summary\">0 games, 0 rounds, 0 pairs of subjects; 0 of 0 rounds "
                  "with a result won (\xE2\x80\x93); play time 00:00:00 (h:min:s).</p>"),
        std::string::npos);
    EXPECT_NE(html.find("No games."), std::string::npos);
}

TEST_F(ReportTest, AddedColumnsChangeNothing) {
    const std::string before = Page();
    std::string games = ReadBytes(Folder() / "games.csv");
    std::string widened;
    std::size_t line = 0;
    for (std::size_t at = 0; at < games.size();) {
        const std::size_t end = games.find('\n', at);
        std::string row = games.substr(at, end - at);
        // Line 4 ends inside a quoted cell: line 5 goes on with that row.
        widened += (line == 0   ? std::string("new_first,")
                    : line == 4 ? ""
                                : "\"x,y\",") +
                   row +
                   (line == 3   ? ""
                    : line == 0 ? ",new_last"
                                : ",7") +
                   "\n";
        ++line;
        at = end + 1;
    }
    WriteBytes(Folder() / "games.csv", widened);
    EXPECT_EQ(Page(), before);
}

// The tables quib_export writes of a lab made by the server's own game and
// record functions (four games of four subjects, a round file lost).
TEST_F(ReportTest, TheExportOfALabGivesItsPage) {
    ExportOptions options;
    options.labFolder = std::filesystem::path(QUIB_TEST_DATA_DIR) / "study_lab";
    options.outFolder = Folder() / "tables";
    options.allowProblems = true;
    const ExportResult exported = ExportLab(options);
    ASSERT_EQ(exported.status, kExportProblems) << exported.message;
    const ReportResult result = WriteReport(options.outFolder, PageFile(), kMadeAt);
    ASSERT_TRUE(result.written) << result.message;
    const std::string html = ReadBytes(PageFile());
    EXPECT_EQ(CountOf(html, "<svg"), 3u * 4 + 4u * 3);
    EXPECT_EQ(
        CellsOfRow(html, "<tr id=\"game-1\""),
        (std::vector<std::string>{"1", "2026-01-05 08:44:41", "2 Chlo\xC3\xA9", "3 Dieter", "1 / 1",
                                  "covered / covered", "fast", "gesicht0.png / gesicht0.png", "4",
                                  "3", "2", "2", "00:00:17", "last round missing"}));
    EXPECT_NE(html.find("<p class=\"summary\">4 games, 23 rounds (1 missing), 3 pairs of "
                        "subjects; 15 of 23 rounds with a result won (65.2\xC2\xA0%); play time "
                        "00:02:02 (h:min:s).</p>"),
              std::string::npos);
    EXPECT_NE(html.find("<h3>Subject 0 (Anna) and subject 1 (B\xC3\xA4rbel)</h3>"),
              std::string::npos);
}

// The cells of one row of rounds.csv as the test reads them itself: commas
// outside quotes separate, doubled quotes inside stand for one.
std::vector<std::string> SplitCsvRow(const std::string& line) {
    std::vector<std::string> cells(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"') {
            cells.back() += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

// Rounds, won and share for the pooled table, counted from rounds.csv's
// rows by the test: each round under its seats' level ("1" to "6",
// "differ", "unknown") and display ("open", "covered", "differ",
// "unknown").
struct Expected {
    long long rounds = 0;
    long long withResult = 0;
    long long won = 0;
};
std::map<std::pair<std::string, std::string>, Expected> CountRounds(const std::string& csv) {
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = SplitCsvRow(line);
    const auto column = [&](const char* name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) -
                                        header.begin());
    };
    std::map<std::pair<std::string, std::string>, Expected> counts;
    while (std::getline(in, line)) {
        const std::vector<std::string> row = SplitCsvRow(line);
        const std::string l1 = row[column("p1_level")];
        const std::string l2 = row[column("p2_level")];
        const std::string d1 = row[column("p1_display")];
        const std::string d2 = row[column("p2_display")];
        const auto level = [](const std::string& text) {
            return text.size() == 1 && text[0] >= '1' && text[0] <= '6';
        };
        const auto display = [](const std::string& text) {
            return text == "open" || text == "covered";
        };
        const std::string levelKey = !level(l1) || !level(l2) ? "unknown"
                                     : l1 != l2               ? "differ"
                                                              : l1;
        const std::string displayKey = !display(d1) || !display(d2) ? "unknown"
                                       : d1 != d2                   ? "differ"
                                                                    : d1;
        for (const std::string& l : {levelKey, std::string("all")}) {
            for (const std::string& d : {displayKey, std::string("all")}) {
                Expected& cell = counts[{l, d}];
                ++cell.rounds;
                const std::string& won = row[column("won")];
                cell.withResult += won.empty() ? 0 : 1;
                cell.won += won == "1" ? 1 : 0;
            }
        }
    }
    return counts;
}

std::string ShareText(const Expected& cell) {
    if (cell.withResult == 0) {
        return kNotKnown;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f\xC2\xA0%%",
                  100.0 * static_cast<double>(cell.won) / static_cast<double>(cell.withResult));
    return text;
}

TEST_F(ReportTest, PooledTableCountsEveryRoundOnceByLevelAndDisplay) {
    // The fixture's games, and one more game with rounds at levels 3 and 6,
    // covered, a level not known and a display no session has.
    WriteBytes(Folder() / "rounds.csv", ReadBytes(Folder() / "rounds.csv") +
                                            ",1,7,1,5000,1,1,6,6,covered,covered,normal\n"
                                            ",2,7,0,5000,1,1,6,6,covered,covered,normal\n"
                                            ",3,7,1,5000,1,1,3,3,covered,covered,normal\n"
                                            ",4,7,,5000,1,1,3,3,covered,covered,normal\n"
                                            ",5,7,1,5000,1,1,,3,open,open,normal\n"
                                            ",6,7,0,5000,1,1,2,2,open,ajar,normal\n");
    const std::string html = Page();
    const auto counts = CountRounds(ReadBytes(Folder() / "rounds.csv"));
    const std::vector<std::string> displays = {"open", "covered", "differ", "unknown", "all"};
    const std::vector<std::pair<std::string, std::string>> rows = {{"1", "1"},
                                                                   {"2", "2"},
                                                                   {"3", "3"},
                                                                   {"4", "4"},
                                                                   {"5", "5"},
                                                                   {"6", "6"},
                                                                   {"differ", "seats differ"},
                                                                   {"unknown", "not known"},
                                                                   {"total", "all levels"}};
    for (const auto& [id, title] : rows) {
        std::vector<std::string> expected = {title};
        for (const std::string& display : displays) {
            const auto at = counts.find({id == "total" ? "all" : id, display});
            const Expected cell = at == counts.end() ? Expected{} : at->second;
            expected.insert(expected.end(), {std::to_string(cell.rounds), std::to_string(cell.won),
                                             ShareText(cell)});
        }
        EXPECT_EQ(CellsOfRow(html, "<tr id=\"pooled-" + id + "\""), expected) << id;
    }
    // Not a round left out: every round of rounds.csv is in the total.
    EXPECT_EQ(counts.at({"all", "all"}).rounds, 29);
}

TEST_F(ReportTest, PooledTableShowsSeatsThatDifferOnlyWhenThereAreSuch) {
    WriteBytes(Folder() / "rounds.csv",
               "game,round,duration_ms,won,p1_level,p2_level,p1_display,p2_display,p1_moves,"
               "p2_moves\n0,1,5000,1,2,2,open,open,1,1\n0,2,5000,0,2,2,open,open,1,1\n");
    const std::string html = Page();
    EXPECT_EQ(CellsOfRow(html, "<tr id=\"pooled-2\""),
              (std::vector<std::string>{"2", "2", "1", "50.0\xC2\xA0%", "0", "0", kNotKnown, "2",
                                        "1", "50.0\xC2\xA0%"}));
    EXPECT_EQ(html.find("<tr id=\"pooled-differ\""), std::string::npos);
    EXPECT_EQ(html.find("seats differ</th>"), std::string::npos);
}

struct CheckCase {
    const char* name;
    std::optional<std::string> problems;  // problems.csv; nullopt: none written
    std::vector<std::string> said;        // parts of the page's records check
};

TEST_F(ReportTest, RecordsCheckResultIsReadFromProblemsCsv) {
    const std::string header = "file,line,kind,problem\n";
    std::string seven = header;
    for (int i = 1; i <= 7; ++i) {
        seven += "log/r00000" + std::to_string(i) + ".csv," + std::to_string(i) +
                 ",round_missing,\"the round, in words\"\n";
    }
    const std::vector<CheckCase> cases = {
        {"no problems.csv",
         std::nullopt,
         {"<b>Records check:</b> result unknown: there is no "
          "problems.csv beside the tables"}},
        {"no problems", header, {"<b>Records check:</b> none found"}},
        {"two problems",
         header + "log/g000001.csv,,game_file_missing,x\nlog2/<b>.csv,4,position_count,y\n",
         {"<b>Records check:</b> 2 problems found",
          "game_file_missing in log/g000001.csv; "
          "position_count in log2/&lt;b&gt;.csv line 4. "
          "All of them, in words, in problems.csv."}},
        {"seven problems",
         seven,
         {"7 problems found", "The first: round_missing in log/r000001.csv line 1; ",
          "round_missing in log/r000005.csv line 5. All"}},
        {"problems.csv unreadable",
         header + "a,1,kind\n",
         {"<b>Records check:</b> result unknown: problems.csv line 2: 3 cells where the header "
          "has 4."}},
        {"a byte order mark",
         "\xEF\xBB\xBF" + header + "log/g000001.csv,,game_file_missing,x\n",
         {"1 problem found: "}},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(Folder() / "problems.csv");
        if (c.problems) {
            WriteBytes(Folder() / "problems.csv", *c.problems);
        }
        const std::string html = Page();
        const std::size_t at = html.find("<p class=\"check\">");
        ASSERT_NE(at, std::string::npos);
        const std::string check = html.substr(at, html.find("</p>", at) - at);
        for (const std::string& part : c.said) {
            EXPECT_NE(check.find(part), std::string::npos) << part << "\nin: " << check;
        }
        EXPECT_EQ(check.find("r000006"), std::string::npos) << "five named at most";
    }
}

// Tables saved with a byte order mark (as spreadsheet programs save UTF-8)
// give the page of the same tables without one.
TEST_F(ReportTest, ByteOrderMarksChangeNothing) {
    const std::string before = Page();
    for (const char* table : {"games.csv", "rounds.csv"}) {
        WriteBytes(Folder() / table, "\xEF\xBB\xBF" + ReadBytes(Folder() / table));
    }
    EXPECT_EQ(Page(), before);
}

TEST_F(ReportTest, GameMarkersNameTheGamesCondition) {
    const std::string html = Page();
    const std::size_t from = html.find("id=\"pair-1\"");
    const std::string pair = html.substr(from, html.find("<h4>Results", from) - from);
    // Subject 1 sat in seat 2 in game 1, at level 3 with the board open;
    // subject 2 in seat 1 at level 2, covered: in the pair's order 3/2.
    EXPECT_NE(pair.find(">game 0: level 1, open</text>"), std::string::npos);
    EXPECT_NE(pair.find(">game 1: levels 3/2, open/covered</text>"), std::string::npos);
    EXPECT_NE(pair.find("game 0 from round 1 (level 1, open); game 1 from round 13 (levels 3/2, "
                        "open/covered)."),
              std::string::npos);
}

TEST_F(ReportTest, MeansAndMediansStandBesideTheCharts) {
    const std::string html = Page();
    const std::size_t from = html.find("<h4>Round durations and moves</h4>");
    const std::string block = html.substr(from, html.find("<section class=\"game\"", from) - from);
    // Pair 1: the 16 durations of games 0 and 1 (sum 136,650 ms; sorted,
    // the 8th and 9th are 8,250 and 8,400). Subject 1's moves: game 0's
    // player 1 (12 rounds, 19 moves) and game 1's player 2 (rounds 1, 2, 4
    // and 5: 2 + 1 + 3 + 2), 16 rounds, 27 moves, median 2; subject 2's:
    // game 0's player 2 (11 rounds, 20 moves) and game 1's player 1 (3 + 2
    // + 1), 14 rounds, 26 moves, median 2.
    EXPECT_NE(block.find("Duration: mean 8.5\xC2\xA0s, median 8.3\xC2\xA0s (16 rounds)."),
              std::string::npos);
    EXPECT_NE(block.find("Moves per round: subject 1 mean 1.7, median 2 (16 rounds); subject 2 "
                         "mean 1.9, median 2 (14 rounds)."),
              std::string::npos);
}

TEST(ReportTallies, CentreOfValues) {
    struct Case {
        std::vector<double> values;
        double mean;
        double median;
    };
    for (const Case& c : {Case{{3}, 3, 3}, Case{{5, 1, 4}, 10.0 / 3, 4},
                          Case{{8, 1, 2, 4}, 15.0 / 4, 3}, Case{{2, 2, 9, 2}, 15.0 / 4, 2}}) {
        const std::optional<Centre> centre = CentreOf(c.values);
        ASSERT_TRUE(centre);
        EXPECT_DOUBLE_EQ(centre->mean, c.mean);
        EXPECT_DOUBLE_EQ(centre->median, c.median);
        EXPECT_EQ(centre->count, c.values.size());
    }
    EXPECT_FALSE(CentreOf({}));
}

// Two series on the same points (the two learning curves early on, two
// players who moved alike): the first is drawn wide and solid, the second
// narrow and dashed on top, so both show.
TEST_F(ReportTest, EqualSeriesStayVisible) {
    const std::vector<std::vector<ChartPoint>> same = {{{1, 2}, {2, 3}, {3, 1}}};
    LineChart chart;
    chart.xMin = 0.5;
    chart.xMax = 3.5;
    chart.yMax = 4;
    chart.series = {{"first", QColor(0x56, 0xB4, 0xE9), Qt::SolidLine, 4.5, same, false},
                    {"second", QColor(0xD5, 0x5E, 0x00), Qt::DashLine, 1.75, same, false}};
    const std::string svg = DrawLineChart(chart);
    const std::size_t wide = svg.find("<g fill=\"none\" stroke=\"#56b4e9\" stroke-width=\"4.5\"");
    const std::size_t dashed =
        svg.find("<g fill=\"none\" stroke=\"#d55e00\" stroke-dasharray=\"7,3.5\"");
    ASSERT_NE(wide, std::string::npos) << svg;
    ASSERT_NE(dashed, std::string::npos) << svg;
    EXPECT_LT(wide, dashed) << "the narrow line is drawn on top";
    EXPECT_NE(svg.find("stroke-width=\"1.75\"", dashed), std::string::npos);
    EXPECT_EQ(LinesIn(svg, "#56b4e9"), 1u);
    EXPECT_EQ(LinesIn(svg, "#d55e00"), 1u);

    // In the page: game 3's players moved alike in rounds 1 and 2.
    const std::string html = Page();
    const std::size_t game3 = html.find("id=\"charts-3\"");
    const std::string section = html.substr(game3, html.find("</section>", game3) - game3);
    EXPECT_NE(section.find("<g fill=\"none\" stroke=\"#56b4e9\" stroke-width=\"4.5\""),
              std::string::npos);
    EXPECT_NE(section.find("<g fill=\"none\" stroke=\"#d55e00\" stroke-dasharray"),
              std::string::npos);
}

TEST_F(ReportTest, WithAResultIsDefinedOnThePage) {
    const std::string html = Page();
    EXPECT_NE(html.find("A round <dfn>with a result</dfn> is one whose row in rounds.csv has won 1 "
                        "(won) or 0 (lost)"),
              std::string::npos);
}

TEST(ReportColumns, TheReportReadsColumnsTheTablesHave) {
    for (const auto& [file, names] :
         {std::pair{"games.csv", GameColumnsRead()}, std::pair{"rounds.csv", RoundColumnsRead()}}) {
        const Table& table = TableNamed(file);
        for (const std::string_view name : names) {
            EXPECT_TRUE(std::any_of(table.columns.begin(), table.columns.end(),
                                    [&](const Column& column) { return column.name == name; }))
                << file << ": " << name;
        }
    }
}

struct ErrorCase {
    const char* name;
    const char* table;  // the table changed
    int line;           // its line replaced; 0: the table removed
    std::string text;
    std::string message;  // after the folder's path, when it ends with one
};

TEST_F(ReportTest, TablesThatCannotBeReadAreNamedWithTheirLine) {
    const std::string gamesHeader =
        "game,game_file,start,p1_subject,p1_name,p2_subject,p2_name,p1_level,p2_level,speed,"
        "p1_display,p2_display,p1_figure,p2_figure,p1_start_choice,p2_start_choice,rounds,"
        "rounds_present,highscore,play_ms,ending";  // without points
    const std::vector<ErrorCase> cases = {
        {"games.csv missing", "games.csv", 0, "", "games.csv is missing in "},
        {"rounds.csv missing", "rounds.csv", 0, "", "rounds.csv is missing in "},
        {"column missing", "games.csv", 1, gamesHeader,
         "games.csv line 1: the column \"points\" is missing"},
        {"won missing", "rounds.csv", 1,
         "note,round,game,duration_ms,p2_moves,p1_moves,p1_level,p2_level,p1_display,p2_display",
         "rounds.csv line 1: the column \"won\" is missing"},
        // Line 6, after the row of game 2 that spans lines 4 and 5.
        {"a cell too many", "games.csv", 6,
         "3,g000003.csv,,,,,,1,1,normal,open,covered,ball0.png,star0.png,random,random,3,3,1,1,"
         "12000,complete,extra",
         "games.csv line 6: 23 cells where the header has 22"},
        {"a quote not closed", "games.csv", 6,
         "3,g000003.csv,,,,,,1,1,\"normal,open,covered,ball0.png,star0.png,random,random,3,3,1,1,"
         "12000,complete",
         "games.csv line 6: a quoted cell is not closed"},
        {"game twice", "games.csv", 6,
         "0,g000003.csv,,,,,,1,1,normal,open,covered,ball0.png,star0.png,random,random,3,3,1,1,"
         "12000,complete",
         "games.csv line 6: game 0 is also on line 2"},
        {"no game number", "games.csv", 3,
         ",g000001.csv,2026-12-10T14:20:05,2,x,1,Anna,2,3,normal,covered,open,star0.png,a.png,"
         "random,random,5,4,2,1,41250,rounds_missing",
         "games.csv line 3: game is \"\", but every game has a number"},
        {"a word for a number", "rounds.csv", 5, ",4,0,yes,6500,0,2,1,1,open,open,x",
         "rounds.csv line 5: won is \"yes\", not a whole number"},
        {"won neither 0 nor 1", "rounds.csv", 5, ",4,0,2,6500,0,2,1,1,open,open,x",
         "rounds.csv line 5: won is \"2\", out of range (0 to 1)"},
        {"a number too large", "rounds.csv", 24, ",3,3,1,99999999999,1,2,1,1,open,covered,normal",
         "rounds.csv line 24: duration_ms is \"99999999999\", out of range (0 to 2147483647)"},
        {"a round number beyond any session", "rounds.csv", 24,
         ",1000001,3,1,4000,1,2,1,1,open,covered,normal",
         "rounds.csv line 24: round is \"1000001\", out of range (1 to 1000000)"},
        {"not UTF-8", "rounds.csv", 24, ",3,3,1,4000,1,2,1,1,open,covered,M\xFC",
         "rounds.csv line 24: not UTF-8"},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.name);
        CopyReportFixture(Folder());
        std::filesystem::remove(PageFile());
        if (c.line == 0) {
            std::filesystem::remove(Folder() / c.table);
        } else {
            ReplaceLine(c.table, c.line, c.text);
        }
        const ReportResult result = WriteReport(Folder(), PageFile(), kMadeAt);
        EXPECT_FALSE(result.written);
        EXPECT_TRUE(result.tablesUnreadable);
        if (c.message.ends_with("in ")) {
            EXPECT_EQ(result.message, c.message + Folder().string());
        } else {
            EXPECT_EQ(result.message, c.message);
        }
        EXPECT_FALSE(std::filesystem::exists(PageFile()));
    }
}

TEST_F(ReportTest, APageThatCannotBeWrittenIsNamed) {
    const std::filesystem::path file = Folder() / "no such folder" / "report.html";
    const ReportResult result = WriteReport(Folder(), file, kMadeAt);
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.tablesUnreadable);
    EXPECT_TRUE(result.message.starts_with("cannot write " + file.string())) << result.message;
}

// Many games and a long one: the limits keep the page small, and say so.
TEST_F(ReportTest, ManyAndLongGamesGiveAPageOfBoundedSize) {
    std::string games =
        "game,start,p1_subject,p1_name,p2_subject,p2_name,p1_level,p2_level,speed,p1_display,"
        "p2_display,p1_figure,p2_figure,rounds,rounds_present,points,highscore,play_ms,ending\n";
    std::string rounds =
        "game,round,duration_ms,won,p1_level,p2_level,p1_display,p2_display,p1_moves,p2_moves\n";
    // Games 0 to 119: 40 pairs of three games (pair k: games k, k + 40 and
    // k + 80); games 120 to 149: 30 more pairs of one game. Game 0 is long.
    constexpr int kGames = 150;
    constexpr int kPairs = 70;
    constexpr int kLongGame = 5000;
    for (int game = 0; game < kGames; ++game) {
        const int count = game == 0 ? kLongGame : 20;
        const int pair = game < 120 ? game % 40 : game - 80;
        const std::string number = std::to_string(game);
        games += number + ",2026-12-10T10:00:00," + std::to_string(2 * pair) + ",A," +
                 std::to_string(2 * pair + 1) + ",B,1,1,normal,open,open,a.png,b.png," +
                 std::to_string(count) + "," + std::to_string(count) + ",0,0,0,complete\n";
        for (int round = 1; round <= count; ++round) {
            rounds += number + "," + std::to_string(round) + "," +
                      std::to_string(5000 + round % 7 * 100) + "," + std::to_string(round % 3 % 2) +
                      ",1,1,open,open," + std::to_string(round % 5) + "," +
                      std::to_string(round % 4) + "\n";
        }
    }
    WriteBytes(Folder() / "games.csv", games);
    WriteBytes(Folder() / "rounds.csv", rounds);
    const std::string html = Page();

    // Every game in the table, every pair with its results; charts for the
    // first 60 pairs (the 40 of three games, 20 of one) and the first 60
    // games (those of the first 20 pairs).
    EXPECT_EQ(CountOf(html, "<tr id=\"game-"), static_cast<std::size_t>(kGames));
    EXPECT_EQ(CountOf(html, "<section class=\"pair\""), static_cast<std::size_t>(kPairs));
    EXPECT_EQ(CountOf(html, "<table class=\"levels\""), static_cast<std::size_t>(kPairs));
    EXPECT_EQ(CountOf(html, "<h4>Learning curve</h4>"), 60u);
    EXPECT_EQ(CountOf(html, "<section class=\"game\""), 60u);
    EXPECT_EQ(CountOf(html, "<svg"), 60u * 4 + 60u * 3);
    EXPECT_NE(html.find("<details><summary>70 pairs of subjects</summary>"), std::string::npos);
    EXPECT_EQ(CountOf(html, "No charts for this pair: the page draws them for its first 60 pairs"),
              static_cast<std::size_t>(kPairs) - 60);
    EXPECT_NE(html.find("No charts of their own for games 20, 60, 100: the page draws them for its "
                        "first 60 games only"),
              std::string::npos);
    // The 5000 rounds of game 0 in lines of at most one point per pixel
    // column: its own charts' plots are 326 pixels wide, its pair's curve's
    // 926.
    static const std::regex points("points=\"([^\"]*)\"");
    std::size_t most = 0;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), points);
         it != std::sregex_iterator(); ++it) {
        most = std::max(most, CountOf((*it)[1].str(), ","));
    }
    EXPECT_GE(most, 800u);
    EXPECT_LE(most, 927u);
    EXPECT_NE(html.find("Each point is the mean of 16 rounds."), std::string::npos);  // 5000 / 326
    EXPECT_NE(html.find("Drawn at every 6th round."), std::string::npos);             // 5000 / 926
    EXPECT_LT(html.size(), 8u * 1024 * 1024);
}

}  // namespace
}  // namespace quib::exporter
