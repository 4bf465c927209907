#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "server/core/texts.h"
#include "server/records/finished_round.h"

namespace quib::server {

// A game's two files, both named after the game and rewritten after each of
// its rounds: the game file log/g??????.csv with one row per round, and the
// position file log2/g??????.csv with one line per round start and per
// figure arrival. They share a 19-line header whose totals (lines 15 to 17)
// follow the game.
enum class GameFileKind { Game, Positions };

// The file's new text after `round`: a new file (`existing` empty) gets the
// header with the game's totals as they stand now; an existing one, given
// as TrimmedLines reads it, keeps its lines with the totals brought up to
// date. Then the game file gets the round's row, the position file the
// round's position lines.
std::string GameFileText(GameFileKind kind, const std::optional<std::string>& existing,
                         const FinishedRound& round, const ServerTexts& texts);

// The round's row in the game file, 23 fields, ended by LF.
std::string GameFileRow(const FinishedRound& round, const ServerTexts& texts);

}  // namespace quib::server
