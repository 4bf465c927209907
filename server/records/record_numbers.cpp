#include "server/records/record_numbers.h"

#include <sys/stat.h>

#include <set>
#include <string>
#include <system_error>

#include "common/file_io.h"
#include "server/records/csv_text.h"
#include "server/records/file_numbering.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

using Taken = std::set<std::int32_t>;

// Every number of `prefix` that `folder` holds a file of, or a temporary file
// of (a write cut short may still be completed under that name). False when
// the folder cannot be listed.
bool AddNumbersIn(const fs::path& folder, char prefix, Taken& taken) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) {
        return false;
    }
    for (const fs::directory_entry& entry : entries) {
        std::string name = entry.path().filename().string();
        std::string target;
        if (IsTemporaryFileName(name, &target)) {
            name = std::move(target);
        }
        if (const std::optional<std::int32_t> number = NumberInFileName(name, prefix)) {
            taken.insert(*number);
        }
    }
    return true;
}

// The games the subject files in `folder` have rows of: any line whose
// first field names a game file, whatever else the file holds.
void AddGamesOfSubjects(const fs::path& folder, Taken& taken) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (!NumberInFileName(entry.path().filename().string(), 'p')) {
            continue;
        }
        const std::string text = ReadWholeFile(entry.path()).value_or("");
        for (const std::string_view line : SplitLines(text)) {
            if (const auto game = NumberInFileName(TrimSpaces(CsvField(line, 1)), 'g')) {
                taken.insert(*game);
            }
        }
    }
}

bool IsFree(const fs::path& file) {
    struct stat status {};
    return ::lstat(file.c_str(), &status) != 0;
}

template <typename HeldInMemory>
std::int32_t SmallestFree(const Taken& taken, HeldInMemory held) {
    for (std::int32_t n = 0; n <= kLargestFileNumber; ++n) {
        if (!taken.contains(n) && !held(n)) {
            return n;
        }
    }
    return -1;
}

}  // namespace

std::int32_t FolderRecordNumbers::NextGameNumber() {
    Taken taken;
    const bool listed =
        AddNumbersIn(folders_.log, 'g', taken) && AddNumbersIn(folders_.log2, 'g', taken);
    AddGamesOfSubjects(folders_.log, taken);
    return SmallestFree(taken, [&](std::int32_t n) {
        const std::string name = NumberedFileName('g', n);
        // A folder that cannot be listed may still tell about single names;
        // a number offered wrongly only makes the game's writes fail.
        return inMemory_.HoldsGameNumber(n) ||
               (!listed && (!IsFree(folders_.log / name) || !IsFree(folders_.log2 / name)));
    });
}

std::int32_t FolderRecordNumbers::NextRoundNumber() {
    Taken taken;
    const bool listed = AddNumbersIn(folders_.log, 'r', taken);
    return SmallestFree(taken, [&](std::int32_t n) {
        return inMemory_.HoldsRoundNumber(n) ||
               (!listed && !IsFree(folders_.log / NumberedFileName('r', n)));
    });
}

}  // namespace quib::server
