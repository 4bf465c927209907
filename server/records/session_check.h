#pragma once

// The records check's part for the session files (sessions/*.csv) and the
// lab's identity (lab_id.txt): lines not as the server writes them, and
// events naming rounds the game files do not have. Both are optional: a
// lab folder from before the session files has neither.

#include <filesystem>
#include <map>
#include <vector>

#include "server/records/records_check.h"

namespace quib::server {

// `roundsOfGame`: per game number, the rows its game file has (a game with
// no game file is missing). Appends to `problems`, unordered.
void CheckSessionFiles(const std::filesystem::path& workDir,
                       const std::map<int, long long>& roundsOfGame,
                       std::vector<RecordProblem>& problems);

}  // namespace quib::server
