#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quib::server {

// Log lines posted by either thread and not yet shown in the log view.
// Not synchronised itself: every access happens under stateLock.
class LogQueue {
  public:
    static constexpr std::size_t kSlots = 51;

    // Appends "HH:MM:SS | text". When every slot is taken, the oldest pending
    // line is dropped so that the newest events are never lost.
    void Post(std::string_view localTimeHms, std::string_view text);

    // Hands the pending lines over in the order the log view appends them:
    // the newest first. Empties the queue.
    std::vector<std::string> TakeNewestFirst();

    std::size_t size() const { return count_; }

  private:
    std::array<std::string, kSlots> lines_;
    std::size_t count_ = 0;
};

}  // namespace quib::server
