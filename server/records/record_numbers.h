#pragma once

#include <cstdint>
#include <filesystem>

namespace quib::server {

// Where games and rounds get their file numbers from. The game asks when a
// game starts and when a round is set up; -1 means no number is free.
class RecordNumbers {
  public:
    virtual ~RecordNumbers() = default;
    virtual std::int32_t NextGameNumber() = 0;
    virtual std::int32_t NextRoundNumber() = 0;
};

// The numbers a lab's log folder leaves free: the smallest number whose game
// file (g......csv) or round file (r......csv) does not exist there.
class FolderRecordNumbers final : public RecordNumbers {
  public:
    explicit FolderRecordNumbers(std::filesystem::path logDir) : logDir_(std::move(logDir)) {}
    std::int32_t NextGameNumber() override;
    std::int32_t NextRoundNumber() override;

  private:
    std::filesystem::path logDir_;
};

}  // namespace quib::server
