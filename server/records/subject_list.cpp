#include "server/records/subject_list.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "common/file_io.h"
#include "common/work_folders.h"
#include "server/records/csv_text.h"
#include "server/records/file_numbering.h"
#include "server/records/subject_format.h"
#include "server/records/subject_layout.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

// "p" + six digits + ".csv"; the number text is characters 2 to 7.
bool IsSubjectFileName(const std::string& name) {
    return IsNumberedFileName(name, 'p');
}

std::vector<fs::path> SubjectFiles(const fs::path& directory) {
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code statusError;
        if (IsSubjectFileName(it->path().filename().string()) && it->is_regular_file(statusError)) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The name is found by its label; a file whose layout is not recognised
// shows txt3 ("Fehler!") until it is mended.
std::string NameIn(std::string_view text, const ServerTexts& texts) {
    const std::vector<std::string_view> lines = SplitLines(text);
    const std::optional<SubjectLayout> layout = FindSubjectLayout(lines, texts);
    if (!layout) {
        return texts[txt::kErrorTitle];
    }
    return std::string(TrimSpaces(CsvField(TrimSpaces(lines[layout->nameLine]), 2)));
}

}  // namespace

SubjectList ListSubjects(const fs::path& workDir, const ServerTexts& texts) {
    SubjectList list;
    for (const fs::path& file : SubjectFiles(WorkFolders::In(workDir).log)) {
        const std::string numberText = file.filename().string().substr(1, 6);
        const std::optional<std::string> bytes = ReadWholeFile(file);
        if (!bytes) {
            list.problems.push_back({file.generic_string(), texts[txt::kCannotReadFile]});
        }
        const std::string name = bytes ? NameIn(*bytes, texts) : texts[txt::kErrorTitle];
        list.entries.push_back(SubjectEntry(numberText, name));
    }
    return list;
}

}  // namespace quib::server
