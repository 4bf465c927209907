#pragma once

#include <cstdint>
#include <string>

namespace quib::server {

// The subject sitting in one seat, as read from the subject's file and kept
// up to date by the game protocol. Empty: number -1, empty texts, counters 0.
// Owned by the main thread (selecting subjects); the network thread updates
// the counters after a round, under stateLock.
struct SubjectRecord {
    std::int32_t subjectNumber = -1;
    std::string subjectName;  // Windows-1252
    std::string subjectFile;  // full path of log/p??????.csv
    std::string comment;      // decoded, Windows-1252, CR LF line ends
    std::int32_t totalPoints = 0;
    std::int32_t record = 0;
    std::int32_t totalRounds = 0;
    std::int32_t totalPlayMs = 0;
    std::int32_t roundsWithPartner = 0;
    std::int32_t msWithPartner = 0;
};

}  // namespace quib::server
