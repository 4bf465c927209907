#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quib::server {

using Colour = std::uint32_t;  // 0x00BBGGRR

constexpr Colour Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | g << 8 | b << 16;
}

inline constexpr int kSeats = 2;
inline constexpr int kCells = 4;  // 0 top left, 1 top right, 2 bottom left, 3 bottom right

// What the partner view of a player shows.
enum DisplayMode : std::int32_t {
    DisplayBlank = 0,
    DisplayOpen = 1,     // the partner's board ("offen")
    DisplayCovered = 2,  // covered ("verdeckt")
    DisplayUnchosen = 3,
};

// The game record of one seat (seat 0 "Spieler 1", seat 1 "Spieler 2"):
// its texts, its board, its figure and the markers that say which parts of
// the player's screen still have to be sent. Part of the Game; see
// docs/threads.md. Texts are Windows-1252.
struct SeatRecord {
    std::string scoreText;
    std::string scoreTextSent;
    Colour scoreColour = 0;
    std::string statusText;
    std::string statusTextSent;
    Colour statusColour = 0;
    std::int32_t readyState = 0;  // -1, 0, 1

    std::int32_t level = 0;
    Colour boardColour = 0;
    std::array<Colour, kCells> colourA{};
    std::array<Colour, kCells> colourB{};
    std::array<std::int32_t, kCells> shapeA{};
    std::array<std::int32_t, kCells> shapeB{};
    std::array<std::int32_t, kCells> contact{};
    std::int32_t ownBoardDrawn = 0;
    std::int32_t ownFigureVisible = 0;
    std::string pictureName;
    std::int32_t pictureSent = 0;
    float targetX = 0.25f;
    float targetY = 0.25f;
    float shownX = 0.25f;
    float shownY = 0.25f;
    float sentX = 0;
    float sentY = 0;
    std::int32_t cellX = 0;
    std::int32_t cellY = 0;
    std::int32_t startCellX = 0;
    std::int32_t startCellY = 0;

    std::int32_t displayMode = DisplayBlank;
    // The display the round was set up with. The round end opens the
    // partner's board on screen, but the records must name the condition
    // the round was played in.
    std::int32_t playedDisplayMode = DisplayBlank;
    Colour partnerBoardColour = 0;
    std::int32_t partnerBoardDrawn = 0;
    std::int32_t partnerFigureVisible = 0;
    std::string partnerPictureName;
    std::int32_t partnerPictureSent = 0;
    float partnerSentX = 0;
    float partnerSentY = 0;
};

// Marks every part of a player's screen as unsent, so that the next update
// frames rebuild it from scratch (at start, after a reconnection). A text
// marker of "X" differs from any text the engine sends.
inline void MarkScreenUnsent(SeatRecord& seat) {
    seat.scoreTextSent = "X";
    seat.statusTextSent = "X";
    seat.ownBoardDrawn = 0;
    seat.partnerBoardDrawn = 0;
    seat.pictureSent = 0;
    seat.partnerPictureSent = 0;
    seat.sentX = 0;
    seat.sentY = 0;
    seat.partnerSentX = 0;
    seat.partnerSentY = 0;
}

// Empties a player's screen: no board, no partner view, no figures. The
// sent markers make the next update send the blank screen.
inline void ClearScreen(SeatRecord& seat) {
    seat.boardColour = 0;
    seat.level = 0;
    seat.ownBoardDrawn = 0;
    seat.ownFigureVisible = 0;
    seat.partnerBoardColour = 0;
    seat.displayMode = DisplayBlank;
    seat.partnerBoardDrawn = 0;
    seat.partnerFigureVisible = 0;
}

}  // namespace quib::server
