#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "common/work_folders.h"
#include "server/core/texts.h"
#include "server/records/finished_round.h"

namespace quib::server {

// Whether `folder` may take rounds: an empty folder, or none yet. A folder
// with files in it could be another lab's, whose files of the same numbers
// would be overwritten.
bool CanTakeRounds(const std::filesystem::path& folder);

// Writes rounds that could not be written into the lab folder (a full disk)
// into another lab folder the experimenter chose, `folder`, so that the
// program can end without losing them. The files of their games and
// subjects are copied from the lab's log/ and log2/ first (where `folder`
// has none of that name yet), and the rounds are written onto the copies as
// they would have been onto the originals. The copies then hold the lab's
// files plus these rounds: copied back over the lab's own, whose files these
// rounds never changed, they make the lab's records whole again. Nothing in
// `lab` is changed. The rounds that could not be written there either (all
// of them when CanTakeRounds refuses `folder`) are given back, oldest
// first.
std::deque<FinishedRound> WriteRoundsElsewhere(std::deque<FinishedRound> rounds,
                                               const WorkFolders& lab,
                                               const std::filesystem::path& folder,
                                               const ServerTexts& texts,
                                               const std::function<void(const std::string&)>& log);

}  // namespace quib::server
