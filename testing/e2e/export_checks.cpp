#include "testing/e2e/export_checks.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "testing/e2e/record_checks.h"
#include "tools/export/tidy_csv_reader.h"

namespace quib::e2e {
namespace {

namespace fs = std::filesystem;

// Lines of a round file before its events, and of a game or position file
// before its rows.
constexpr std::size_t kRoundHeaderLines = 25;
constexpr std::size_t kGameHeaderLines = 19;
// Lines of a session file before its events.
constexpr std::size_t kSessionHeaderLines = 5;

struct Table {
    std::vector<std::string> header;
    std::vector<std::map<std::string, std::string>> rows;
};

Table ReadTable(const fs::path& file) {
    Table table;
    std::ifstream in(file, std::ios::binary);
    exporter::TidyCsvReader reader(in, file.filename().string());
    if (!reader.ReadHeader()) {
        ADD_FAILURE() << reader.Error();
        return table;
    }
    table.header = reader.Header();
    std::vector<std::string> cells;
    while (reader.Next(cells)) {
        std::map<std::string, std::string>& row = table.rows.emplace_back();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            row[table.header[i]] = cells[i];
        }
    }
    EXPECT_EQ(reader.Error(), "");
    return table;
}

std::string Field(const std::vector<std::string>& lines, std::size_t line, std::size_t field) {
    if (line >= lines.size()) {
        return {};
    }
    const std::vector<std::string> fields = SplitFields(lines[line]);
    return field < fields.size() ? fields[field] : std::string();
}

// "g000003.csv" -> "3".
std::string NumberOf(const std::string& fileName) {
    return fileName.size() == 11 ? std::to_string(std::stoi(fileName.substr(1, 6))) : "?";
}

std::vector<fs::path> Files(const fs::path& folder, char letter) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) {
        return files;
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 11 && name[0] == letter && name.ends_with(".csv")) {
            files.push_back(entry.path());
        }
    }
    return files;
}

using RoundRows =
    std::map<std::tuple<std::string, std::string>, std::map<std::string, std::string>>;

// The session files read on their own: connections.csv has a row per event
// line, each round's losses are the seat_lost lines naming it, and every
// table carries the lab folder's identity.
void CheckConnections(const fs::path& serverDir, const fs::path& outDir, const RoundRows& rounds) {
    const std::vector<std::string> labLines = ReadLines(serverDir / "lab_id.txt");
    ASSERT_EQ(labLines.size(), 1u) << "lab_id.txt";
    for (const char* table : {"games.csv", "rounds.csv", "events.csv", "positions.csv",
                              "subjects.csv", "connections.csv"}) {
        for (const auto& row : ReadTable(outDir / table).rows) {
            ASSERT_EQ(row.at("lab"), labLines[0]) << table;
        }
    }
    std::size_t eventLines = 0;
    std::map<std::tuple<std::string, std::string>, int> losses;
    for (const fs::path& file : Files(serverDir / "sessions", 's')) {
        const std::vector<std::string> lines = ReadLines(file);
        ASSERT_GE(lines.size(), kSessionHeaderLines) << file;
        EXPECT_EQ(Field(lines, 1, 1), labLines[0]) << file;
        eventLines += lines.size() - kSessionHeaderLines;
        for (std::size_t line = kSessionHeaderLines; line < lines.size(); ++line) {
            if (Field(lines, line, 1) == "seat_lost" && !Field(lines, line, 4).empty()) {
                ++losses[{Field(lines, line, 3), Field(lines, line, 4)}];
            }
        }
    }
    EXPECT_GT(eventLines, 0u) << "no session file in " << serverDir;
    EXPECT_EQ(ReadTable(outDir / "connections.csv").rows.size(), eventLines);
    for (const auto& [key, row] : rounds) {
        EXPECT_EQ(row.at("connection_losses"), std::to_string(losses[key]))
            << "game " << std::get<0>(key) << " round " << std::get<1>(key);
        EXPECT_EQ(row.at("connection_lost"), losses[key] > 0 ? "1" : "0");
    }
}

}  // namespace

std::vector<std::string> ExportedCells(const fs::path& table,
                                       const std::vector<std::string>& columns) {
    std::vector<std::string> rows;
    for (const auto& row : ReadTable(table).rows) {
        std::string cells;
        for (const std::string& column : columns) {
            const auto cell = row.find(column);
            cells += (cells.empty() ? "" : " ") + (cell == row.end() ? "?" : cell->second);
        }
        rows.push_back(cells);
    }
    return rows;
}

void CheckExport(const fs::path& serverDir, const fs::path& outDir) {
    const std::string command = std::string("'") + QUIB_EXPORT_PATH + "' '" + serverDir.string() +
                                "' '" + outDir.string() + "' >/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "quib_export on " << serverDir << " ended with " << status;
    const fs::path log = serverDir / "log";

    std::map<std::tuple<std::string, std::string>, std::map<std::string, std::string>> rounds;
    for (const auto& row : ReadTable(outDir / "rounds.csv").rows) {
        rounds[{row.at("game"), row.at("round")}] = row;
    }
    std::map<std::tuple<std::string, std::string>, std::size_t> events;
    for (const auto& row : ReadTable(outDir / "events.csv").rows) {
        ++events[{row.at("game"), row.at("round")}];
    }
    const std::vector<fs::path> roundFiles = Files(log, 'r');
    EXPECT_EQ(rounds.size(), roundFiles.size()) << "rounds.csv against the round files";
    for (const fs::path& file : roundFiles) {
        const std::vector<std::string> lines = ReadLines(file);
        const auto key = std::make_tuple(NumberOf(Field(lines, 1, 3)), Field(lines, 2, 1));
        const auto found = rounds.find(key);
        if (found == rounds.end()) {
            ADD_FAILURE() << file << " has no row in rounds.csv";
            continue;
        }
        const std::map<std::string, std::string>& row = found->second;
        EXPECT_EQ(row.at("round_file"), file.filename().string());
        EXPECT_EQ(row.at("duration_ms"), Field(lines, 7, 1)) << file;
        EXPECT_EQ(row.at("won"), Field(lines, 8, 1) == "Verloren" ? "0" : "1") << file;
        const std::size_t eventLines =
            lines.size() > kRoundHeaderLines ? lines.size() - kRoundHeaderLines : 0;
        EXPECT_EQ(events[key], eventLines) << file << ": rows of events.csv";
    }

    std::size_t positionLines = 0;
    for (const fs::path& file : Files(serverDir / "log2", 'g')) {
        const std::size_t lines = ReadLines(file).size();
        positionLines += lines > kGameHeaderLines ? lines - kGameHeaderLines : 0;
    }
    EXPECT_EQ(ReadTable(outDir / "positions.csv").rows.size(), positionLines);

    std::map<std::string, std::map<std::string, std::string>> games;
    for (const auto& row : ReadTable(outDir / "games.csv").rows) {
        games[row.at("game_file")] = row;
    }
    const std::vector<fs::path> gameFiles = Files(log, 'g');
    EXPECT_EQ(games.size(), gameFiles.size()) << "games.csv against the game files";
    for (const fs::path& file : gameFiles) {
        const std::vector<std::string> lines = ReadLines(file);
        const auto found = games.find(file.filename().string());
        if (found == games.end()) {
            ADD_FAILURE() << file << " has no row in games.csv";
            continue;
        }
        EXPECT_EQ(found->second.at("rounds"), Field(lines, 15, 1)) << file;
        EXPECT_EQ(found->second.at("points"), Field(lines, 14, 1)) << file;
        EXPECT_EQ(found->second.at("ending"), "complete") << file;
    }
    EXPECT_EQ(ReadTable(outDir / "subjects.csv").rows.size(), Files(log, 'p').size());
    EXPECT_TRUE(ReadTable(outDir / "problems.csv").rows.empty());
    CheckConnections(serverDir, outDir, rounds);
}

}  // namespace quib::e2e
