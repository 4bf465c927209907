// Two labs that ran the same game numbers and subject numbers, exported
// apart and pooled: the lab's identity keeps every key apart.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "testing/scratch_directory.h"
#include "tools/export/lab_export.h"
#include "tools/export/tidy_csv_reader.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;
using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

// The cells of `columns` of every row of a table, each row as one key.
std::vector<std::vector<std::string>> Keys(const fs::path& table,
                                           const std::vector<std::string>& columns) {
    std::ifstream in(table, std::ios::binary);
    TidyCsvReader reader(in, table.filename().string());
    EXPECT_TRUE(reader.ReadHeader()) << reader.Error();
    std::vector<std::size_t> at;
    for (const std::string& column : columns) {
        const std::optional<std::size_t> index = reader.ColumnIndex(column);
        EXPECT_TRUE(index.has_value()) << table << " lacks " << column;
        at.push_back(index.value_or(0));
    }
    std::vector<std::vector<std::string>> keys;
    std::vector<std::string> cells;
    while (reader.Next(cells)) {
        std::vector<std::string>& key = keys.emplace_back();
        for (const std::size_t index : at) {
            key.push_back(cells[index]);
        }
    }
    EXPECT_EQ(reader.Error(), "");
    return keys;
}

class PooledLabs : public ::testing::Test {
  protected:
    // The scripted game's folder as lab `name` with identity `id` (none
    // when empty), exported with `--lab given`.
    fs::path Exported(const std::string& name, const std::string& id, const std::string& given) {
        const fs::path lab = dir.path() / name;
        fs::copy(QUIB_SCRIPTED_GAME_DIR, lab, fs::copy_options::recursive);
        if (!id.empty()) {
            WriteBytes(lab / "lab_id.txt", id + "\n");
        }
        ExportOptions options;
        options.labFolder = lab;
        options.outFolder = dir.path() / (name + "_tables");
        options.labId = given;
        const ExportResult result = ExportLab(options);
        EXPECT_EQ(result.status, kExportClean) << result.message;
        EXPECT_EQ(result.labId, id.empty() ? given : id);
        return options.outFolder;
    }
    ScratchDirectory dir;
};

TEST_F(PooledLabs, TheSameGamesAndSubjectsOfTwoLabsKeepTheirKeysApart) {
    const fs::path north = Exported("north", "lab-north", "");
    // A folder from before the server kept an identity, named on the
    // command line.
    const fs::path south = Exported("south", "", "lab-south");
    const struct {
        const char* table;
        std::vector<std::string> key;
    } tables[] = {
        {"games.csv", {"game"}},
        {"rounds.csv", {"game", "round"}},
        {"subjects.csv", {"subject"}},
        {"positions.csv", {"game", "line"}},
    };
    for (const auto& [table, key] : tables) {
        std::vector<std::string> withLab = key;
        withLab.push_back("lab");
        const auto northKeys = Keys(north / table, withLab);
        const auto southKeys = Keys(south / table, withLab);
        ASSERT_FALSE(northKeys.empty()) << table;
        std::set<std::vector<std::string>> pooled(northKeys.begin(), northKeys.end());
        pooled.insert(southKeys.begin(), southKeys.end());
        EXPECT_EQ(pooled.size(), northKeys.size() + southKeys.size()) << table;
        // Without the lab the same keys would meet.
        std::set<std::vector<std::string>> withoutLab;
        for (const auto& rows : {northKeys, southKeys}) {
            for (std::vector<std::string> row : rows) {
                row.pop_back();
                withoutLab.insert(row);
            }
        }
        EXPECT_EQ(withoutLab.size(), northKeys.size()) << table;
    }
    EXPECT_EQ(Keys(north / "rounds.csv", {"lab"}).front().front(), "lab-north");
    EXPECT_EQ(Keys(south / "rounds.csv", {"lab"}).front().front(), "lab-south");
}

TEST_F(PooledLabs, TheFoldersOwnIdentityComesBeforeTheGivenOne) {
    const fs::path tables = Exported("east", "lab-east", "lab-other");
    EXPECT_EQ(Keys(tables / "games.csv", {"lab"}).front().front(), "lab-east");
}

}  // namespace
}  // namespace quib::exporter
