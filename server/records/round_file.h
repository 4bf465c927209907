#pragma once

#include <string>

#include "server/core/texts.h"
#include "server/records/finished_round.h"

namespace quib::server {

// The round file log/r??????.csv: a header describing the game, the players,
// the settings, the result and both boards, then the round's event lines.
// Every line ends with LF.
std::string RoundFileText(const FinishedRound& round, const ServerTexts& texts);

}  // namespace quib::server
