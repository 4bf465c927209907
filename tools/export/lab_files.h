#pragma once

// The lab's record files read into values: round files, game files and
// position files by position (the server writes them alone; researchers'
// scripts read them by position too), subject files by their labels. Pure
// functions over a file's text; nothing here touches the disk.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "tools/export/vocabulary.h"

namespace quib::exporter {

// Why a file could not be read: its line (from 1; 0 for the whole file) and
// what was found there.
struct ParseError {
    std::size_t line = 0;
    std::string text;  // UTF-8
};

template <typename T>
using Parsed = std::variant<T, ParseError>;

// A local date and time as the files write it ("09.03.24" and "14:05:07"),
// as ISO 8601 ("2024-03-09T14:05:07"); years are 2000 + the two digits.
std::optional<std::string> IsoDateTime(std::string_view date, std::string_view time);

// A seat of a game or round file's header.
struct Player {
    std::string name;            // Windows-1252, as written
    std::optional<int> subject;  // nothing for a seat without subject
    std::string subjectFile;     // "p000012.csv"; empty without
    int level = 0;
    std::string figure;   // picture file name
    std::string display;  // "open", "covered"
};

enum class EventKind { Start, Key, Position };

struct RoundEvent {
    long long ms = 0;  // since the round's set-up
    int player = 0;    // 1 or 2; 0 for the start
    EventKind kind = EventKind::Start;
    Key key;       // key events
    int cell = 0;  // position events
};

struct RoundFile {
    std::string game;  // "g000000.csv"
    int gameNumber = 0;
    long long round = 0;
    std::array<Player, 2> players;
    std::string writtenAt;  // ISO 8601: when the round ended and was written
    long long durationMs = 0;
    bool won = false;
    std::string speed;  // Vocabulary::SpeedCode, or "other:" + the word (UTF-8)
    std::array<int, 2> startCells{};
    std::array<int, 2> endCells{};
    std::array<long long, 2> moves{};
    std::array<std::array<Stimulus, 4>, 2> stimuli;  // [player][cell]
    std::vector<RoundEvent> events;
};

Parsed<RoundFile> ParseRoundFile(std::string_view text, const Vocabularies& vocabularies);

// The header the game file (log/) and the position file (log2/) share.
struct GameHeader {
    int number = 0;
    std::string file;
    std::string firstWrittenAt;  // ISO 8601: the end of the game's first round
    std::array<Player, 2> players;
    std::string speed;  // as in RoundFile
    // Vocabulary::StartChoiceCode, or "other:" + the word (UTF-8)
    std::array<std::string, 2> startChoices;
    long long points = 0;
    long long best = 0;
    long long rounds = 0;
};

struct GameRow {
    std::size_t line = 0;    // from 1
    long long offsetMs = 0;  // from the game's start to the round's set-up
    long long durationMs = 0;
    long long round = 0;
    std::string roundFile;
    bool won = false;
    long long points = 0;
    long long series = 0;
};

struct GameFile {
    GameHeader header;
    std::vector<GameRow> rows;
};

Parsed<GameFile> ParseGameFile(std::string_view text, const Vocabularies& vocabularies);

struct PositionLine {
    std::size_t line = 0;  // from 1
    long long number = 0;  // the file's running number
    long long gameSeconds = 0;
    long long roundSeconds = 0;
    long long round = 0;
    bool previousWon = false;
    long long series = 0;
    std::array<int, 2> cells{};
    bool start = false;  // a start line, with the winning pairs
    std::vector<std::array<int, 2>> winningPairs;
};

struct PositionFile {
    GameHeader header;
    std::vector<PositionLine> lines;
};

Parsed<PositionFile> ParsePositionFile(std::string_view text, const Vocabularies& vocabularies);

struct SubjectFile {
    int number = 0;
    std::string name;     // Windows-1252
    std::string comment;  // decoded, Windows-1252
    // ISO 8601 ("2024-03-09T14:02:30", or to the minute where a spreadsheet
    // dropped the seconds); empty when the file has no creation line or its
    // date or time is in no form the reader knows (subject_content.h).
    std::string createdAt;
    long long points = 0;
    long long record = 0;
    long long rounds = 0;
    long long playMs = 0;
    long long games = 0;  // game rows
    // Per game row whose start is given to the second: the game file and
    // its start (ISO 8601).
    std::vector<std::pair<std::string, std::string>> gameStarts;
};

Parsed<SubjectFile> ParseSubjectFile(std::string_view text, const Vocabularies& vocabularies);

}  // namespace quib::exporter
