#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "server/core/subject_record.h"
#include "server/core/texts.h"
#include "server/records/subject_content.h"

namespace quib::server {

struct SubjectReadResult {
    bool ok = false;
    SubjectRecord record;   // the empty record when not ok
    std::string errorText;  // box text when not ok: "Kann Datei nicht lesen"
    // A line for the log view when not ok, or empty: a file whose layout is
    // not recognised is named there as well as in the box.
    std::string logText;
};

// Reads the subject of a selector entry ("000042 - Name": the number is its
// first six characters) into a SubjectRecord. The partner counters sum the
// game rows played against the subject whose file `otherSeatSubjectFile`
// names (a full path or a bare file name; empty when the other seat has no
// subject, and then nothing is summed). Lines may end with CR LF or LF. A
// file the reader of subject files refuses (ReadSubjectContent: its layout
// not recognised, or a line it cannot read) cannot be used until it is
// mended: it is not ok, with RefusedFileText as the box and log text.
SubjectReadResult ReadSubjectFile(const std::filesystem::path& workDir, std::string_view entryText,
                                  std::string_view otherSeatSubjectFile, const ServerTexts& texts);

// What a subject file's bytes say (ReadSubjectContent): the name, the
// decoded comment, the totals and the partner counters as ReadSubjectFile
// reads them. Number and file are left as in the empty record. Nothing when
// the file is refused, and then `refusal` says where and why.
std::optional<SubjectRecord> ReadSubjectText(std::string_view text,
                                             std::string_view otherSeatSubjectFile,
                                             const ServerTexts& texts,
                                             SubjectRefusal* refusal = nullptr);

// How the server reports a subject file it refuses, in the box and the log:
// txt171 ("Aufbau der Datei nicht erkannt, Datei bleibt unverändert:"), the
// path, and for a line that cannot be read ":" and the line (from 1), then
// the reason in parentheses: "... log/p000003.csv:4 (a quoted field ...)".
std::string RefusedFileText(std::string_view path, const SubjectRefusal& refusal,
                            const ServerTexts& texts);

}  // namespace quib::server
