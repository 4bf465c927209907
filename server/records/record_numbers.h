#pragma once

#include <cstdint>
#include <filesystem>

#include "common/work_folders.h"

namespace quib::server {

// Where games and rounds get their file numbers from. The game asks when a
// game starts and when a round is set up; -1 means no number is free.
class RecordNumbers {
  public:
    virtual ~RecordNumbers() = default;
    virtual std::int32_t NextGameNumber() = 0;
    virtual std::int32_t NextRoundNumber() = 0;
};

// Numbers that rounds still held in memory name: a round whose files could
// not be written yet keeps its own number and its game's until they are.
class NumbersInUse {
  public:
    virtual ~NumbersInUse() = default;
    virtual bool HoldsGameNumber(std::int32_t number) const = 0;
    virtual bool HoldsRoundNumber(std::int32_t number) const = 0;
};

// The numbers a lab's folders leave free. A number is never given again
// while anything names it, since a reused number mixes two games in the
// files that researchers join on it:
// - a game number is free when neither log/ nor log2/ holds its game file
//   (nor a temporary file of it) and no subject file in log/ has a row of it,
//   so archiving a game's files cannot hand its number to a new game whose
//   rows would then replace the old game's in the subjects' files;
// - a round number is free when log/ holds neither its round file nor a
//   temporary file of it;
// and neither is named by a round still waiting in memory to be written.
// The smallest free number is taken, so gaps left by files that nothing
// names are filled again.
class FolderRecordNumbers final : public RecordNumbers {
  public:
    FolderRecordNumbers(WorkFolders folders, const NumbersInUse& inMemory)
        : folders_(std::move(folders)), inMemory_(inMemory) {}
    std::int32_t NextGameNumber() override;
    std::int32_t NextRoundNumber() override;

  private:
    WorkFolders folders_;
    const NumbersInUse& inMemory_;
};

}  // namespace quib::server
