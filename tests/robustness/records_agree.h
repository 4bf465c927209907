#pragma once

// Whether the record files of a lab folder agree with each other, as the
// robustness tests check it after every fault.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "server/core/message_sink.h"
#include "server/records/csv_text.h"

namespace quib::testing {

// Counts the failure boxes instead of showing them.
struct CountingBoxes : server::MessageSink {
    int count = 0;
    void ShowMessage(const std::string&, const std::string&) override { ++count; }
};

struct RecordsSummary {
    int rounds = 0;                        // round files in log/
    std::vector<long long> subjectRounds;  // each subject file's total, by file name
};

inline std::vector<std::string> FileLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    const std::string text = ReadWholeFile(file).value_or("");
    for (const std::string_view line : server::SplitLines(text)) {
        lines.emplace_back(server::TrimSpaces(line));
    }
    return lines;
}

inline long long NumberField(const std::string& line, int n) {
    const std::string field(server::CsvField(line, n));
    return field.empty() ? -1 : std::stoll(field);
}

// With gtest expectations: no hidden file in log/ or log2/; every game file
// counts as many rounds as it has rows, each naming a round file that names
// the game, and its position file counts the same; every round file is
// named by a game row; every subject's totals are the sums of its rows.
inline RecordsSummary ExpectRecordsAgree(const std::filesystem::path& workDir) {
    namespace fs = std::filesystem;
    constexpr std::size_t kFirstRow = 19;
    RecordsSummary summary;
    std::map<std::string, int> roundNamed;
    std::vector<fs::path> subjects;
    for (const char* folder : {"log", "log2"}) {
        for (const auto& entry : fs::directory_iterator(workDir / folder)) {
            const std::string name = entry.path().filename().string();
            EXPECT_NE(name[0], '.') << folder << "/" << name << " is left";
            if (name[0] == 'r') {
                summary.rounds += 1;
                roundNamed.try_emplace(name, 0);
            } else if (name[0] == 'p') {
                subjects.push_back(entry.path());
            } else if (name[0] == 'g' && std::string(folder) == "log") {
                const std::vector<std::string> lines = FileLines(entry.path());
                const std::vector<std::string> positions = FileLines(workDir / "log2" / name);
                const long long rows =
                    static_cast<long long>(lines.size() - std::min(lines.size(), kFirstRow));
                EXPECT_EQ(lines.size() > 15 ? NumberField(lines[15], 2) : -1, rows) << name;
                EXPECT_EQ(positions.size() > 15 ? NumberField(positions[15], 2) : -1, rows)
                    << "log2/" << name;
                for (std::size_t i = kFirstRow; i < lines.size(); ++i) {
                    const std::string round(server::CsvField(lines[i], 6));
                    roundNamed[round] += 1;
                    const std::vector<std::string> roundLines = FileLines(workDir / "log" / round);
                    EXPECT_TRUE(roundLines.size() > 1 && server::CsvField(roundLines[1], 4) == name)
                        << round << " of " << name;
                }
            }
        }
    }
    for (const auto& [round, rows] : roundNamed) {
        EXPECT_EQ(rows, 1) << round << " is named by " << rows << " game rows";
    }
    std::sort(subjects.begin(), subjects.end());
    for (const fs::path& subject : subjects) {
        long long total = -1;
        long long sum = 0;
        for (const std::string& line : FileLines(subject)) {
            if (server::CsvField(line, 1) == "Runden") {
                total = NumberField(line, 2);
            } else if (line.starts_with("g") && line.size() > 11 && line[11] == ';') {
                sum += NumberField(line, 6);
            }
        }
        EXPECT_EQ(total, sum) << subject.filename();
        summary.subjectRounds.push_back(total);
    }
    return summary;
}

}  // namespace quib::testing
