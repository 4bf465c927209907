#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "protocol/messages.h"

namespace quib::tools {

// A player's status line as the server sets it (message 33): the background
// colour (0x00BBGGRR, kNoColour to keep it) and the text, Windows-1252.
struct StatusLine {
    protocol::Colour colour = protocol::kNoColour;
    std::string text;
};

// What one server frame tells a player about the game, read from the
// messages a person would see the effect of: the status line, the score
// line, and where the own figure was drawn on the own view.
struct FrameNews {
    std::optional<StatusLine> status;
    std::optional<std::string> score;
    // The top-left corner at which the own figure picture (slot 2) was drawn
    // onto the own view (slot -1), in board fractions. The server places the
    // picture's centre on the figure's position, so the corner is that
    // position moved by half the picture's size, the same offset for the
    // whole round.
    std::optional<protocol::Point> ownFigure;
    // The partner view's background (slot 1) was created anew: a new round,
    // a rebuilt screen, or the round's end, which opens the partner's board.
    bool partnerViewCreated = false;
};

// Reads a frame that has passed its checks. Messages after one that cannot
// be read are ignored, as the player program stops there too.
FrameNews ReadFrameNews(std::span<const std::uint8_t> frame);

}  // namespace quib::tools
