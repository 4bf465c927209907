#include "server/core/log_queue.h"

#include <algorithm>

namespace quib::server {

void LogQueue::Post(std::string_view localTimeHms, std::string_view text) {
    if (count_ == kSlots) {
        std::move(lines_.begin() + 1, lines_.end(), lines_.begin());
        --count_;
    }
    std::string& line = lines_[count_++];
    line.assign(localTimeHms);
    line.append(" | ");
    line.append(text);
}

std::vector<std::string> LogQueue::TakeNewestFirst() {
    std::vector<std::string> lines;
    lines.reserve(count_);
    while (count_ > 0) {
        lines.push_back(std::move(lines_[--count_]));
    }
    return lines;
}

}  // namespace quib::server
