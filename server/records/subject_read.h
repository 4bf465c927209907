#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "server/core/subject_record.h"
#include "server/core/texts.h"

namespace quib::server {

struct SubjectReadResult {
    bool ok = false;
    SubjectRecord record;   // the empty record when not ok
    std::string errorText;  // box text when not ok: "Kann Datei nicht lesen"
};

// Reads the subject of a selector entry ("000042 - Name": the number is its
// first six characters) into a SubjectRecord. The partner counters sum the
// game rows played against the subject whose file `otherSeatSubjectFile`
// names (a full path or a bare file name; empty when the other seat has no
// subject, and then nothing is summed). Lines may end with CR LF or LF.
SubjectReadResult ReadSubjectFile(const std::filesystem::path& workDir, std::string_view entryText,
                                  std::string_view otherSeatSubjectFile, const ServerTexts& texts);

}  // namespace quib::server
