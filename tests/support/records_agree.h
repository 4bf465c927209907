#pragma once

// The records check of "quib_server --check-records" on a folder a test
// leaves behind. Builds on quib_server_records.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "server/core/texts.h"
#include "server/records/records_check.h"

namespace quib::testing {

// Every problem the check finds below `workDir`, one line each as the
// command prints them; a folder it cannot check at all is one problem too.
inline std::vector<std::string> RecordProblems(const std::filesystem::path& workDir) {
    const server::RecordsCheck check = server::CheckRecords(workDir, server::ServerTexts());
    if (!check.unusable.empty()) {
        return {check.unusable};
    }
    std::vector<std::string> problems;
    for (const server::RecordProblem& problem : check.problems) {
        problems.push_back(server::ProblemLine(problem));
    }
    return problems;
}

// Each problem is a test failure.
inline void ExpectRecordsAgree(const std::filesystem::path& workDir) {
    for (const std::string& problem : RecordProblems(workDir)) {
        ADD_FAILURE() << "records of " << workDir << " disagree: " << problem;
    }
}

}  // namespace quib::testing
