#include "server/records/subject_list.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <variant>

#include "common/file_io.h"
#include "common/work_folders.h"
#include "server/records/file_numbering.h"
#include "server/records/subject_content.h"
#include "server/records/subject_format.h"

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

// The name is found by its label; a file the reader of subject files refuses
// shows txt3 ("Fehler!") until it is mended.
std::string NameIn(std::string_view bytes, const ServerTexts& texts) {
    std::variant<SubjectContent, SubjectRefusal> read = ReadSubjectContent(bytes, texts);
    const SubjectContent* content = std::get_if<SubjectContent>(&read);
    return content != nullptr ? content->name : texts[txt::kErrorTitle];
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
