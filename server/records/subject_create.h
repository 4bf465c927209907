#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "server/core/texts.h"
#include "server/core/time_format.h"

namespace quib::server {

// Creating a subject takes two steps around the experimenter's answer:
// PlanNewSubject finds the number and the title of the name box, then
// CreateSubjectFile writes the file for that number and the typed name.

struct NewSubjectPlan {
    std::int32_t number = -1;  // -1: no number left
    std::string boxTitle;      // "Neuen Probanten anlegen: (000042)"
    std::string errorText;     // box text when there is no number left, else empty
};

NewSubjectPlan PlanNewSubject(const std::filesystem::path& workDir, const ServerTexts& texts);

// txt85 + " (" + six digits + ")".
std::string NewSubjectBoxTitle(const ServerTexts& texts, std::int32_t number);

enum class CreateSubjectStatus {
    Created,
    NoName,  // empty or cancelled answer: nothing written, nothing to show
    Failed,  // errorText holds the box text
};

struct CreateSubjectResult {
    CreateSubjectStatus status = CreateSubjectStatus::NoName;
    std::int32_t number = -1;
    std::string entry;      // "000042 - Name", for both selectors
    std::string errorText;  // "Kann Datei nicht schreiben: /work/log/p000042.csv"
};

// Writes the new subject file for `number` (from PlanNewSubject) with the
// typed name trimmed of spaces and the creation stamp `now`. A file that has
// appeared under that name meanwhile is never replaced: that is a failure.
// A failed write leaves no file behind.
CreateSubjectResult CreateSubjectFile(const std::filesystem::path& workDir,
                                      const ServerTexts& texts, std::int32_t number,
                                      std::string_view typedName, const LocalTime& now);

}  // namespace quib::server
