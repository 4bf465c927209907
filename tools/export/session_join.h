#pragma once

// What the lab's session files add to the tables: the lab folder's
// identity, the computer on each seat of every game, and per round how
// often a seat lost its connection or a player's program could not draw
// what it was sent. The session files are read once, line by line into
// connections.csv, keeping only these sums.

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace quib::exporter {

class TableFile;

struct SeatComputer {
    std::string address;  // dotted IPv4
    std::string host;     // UTF-8
};

// What happened to the connections while a round ran.
struct RoundConnections {
    long long losses = 0;     // seat_lost lines
    long long badFrames = 0;  // bad-frame reports
};

struct SessionFacts {
    // Games that a session file saw start, with each seat's computer then.
    std::map<int, std::array<SeatComputer, 2>> gameSeats;
    // Rounds of those games that had losses or bad frames; rounds of such a
    // game not listed had none.
    std::map<std::pair<int, long long>, RoundConnections> rounds;
    std::size_t sessionFiles = 0;

    // Whether a session file saw `game` start: only then are its rounds'
    // connection counts known.
    bool Knows(int game) const { return gameSeats.contains(game); }
    RoundConnections Round(int game, long long round) const;
};

// The lab folder's identity: lab_id.txt, else the first session file's
// header that names one; empty when neither does.
std::string FindLabId(const std::filesystem::path& labFolder);

// Reads sessions/s*.csv below `labFolder`, writing one row per event line
// into `connections` (nullptr: none). Lines the records check reports as
// unreadable are left out here.
SessionFacts ReadSessionFacts(const std::filesystem::path& labFolder, TableFile* connections);

}  // namespace quib::exporter
