#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "server/core/texts.h"

namespace quib::server {

struct SubjectListProblem {
    std::string file;     // full path, "/" separators
    std::string boxText;  // "Kann Datei nicht lesen"
};

struct SubjectList {
    std::vector<std::string> entries;  // "000042 - Name", for both selectors
    std::vector<SubjectListProblem> problems;
};

// One entry per regular file log/p<six digits>.csv, in file name order. The
// name is field 2 of the file's name line (found by its label, see
// FindSubjectLayout), trimmed; a file whose layout is not recognised shows
// txt3 ("Fehler!") as its name. A file that cannot be read is listed
// all the same, also named txt3, and reported as a problem. A missing or
// unlistable log folder gives an empty list.
SubjectList ListSubjects(const std::filesystem::path& workDir, const ServerTexts& texts);

}  // namespace quib::server
