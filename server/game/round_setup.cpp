// The round set-up: a new pair of boards drawn at random from the
// experimenter's choices, with at least one stimulus on both boards.

#include <filesystem>
#include <system_error>

#include "server/game/game.h"
#include "server/game/status_colours.h"
#include "server/game/stimulus.h"

namespace quib::server {
namespace {

constexpr Colour kBoardColour = Rgb(225, 225, 225);
constexpr float kNearCentre = 0.25f;
constexpr float kFarCentre = 0.75f;

Colour RandomColour(RandomSource& random) {
    return kColourTable[random.Random(kHighestRandomColour)];
}

// Draws one cell. Every level draws its colours and shapes in the same order
// and the colourless levels paint them grey afterwards, so each level uses
// the same number of draws per cell.
void DrawCell(SeatRecord& seat, int q, RandomSource& random) {
    const std::int32_t level = seat.level;
    seat.colourA[q] = RandomColour(random);
    seat.shapeA[q] = level > 1 ? random.Random(kHighestShape) : 0;
    if (level > 2) {
        seat.colourB[q] = RandomColour(random);
        seat.shapeB[q] = random.Random(kHighestShape);
        seat.contact[q] = random.Random(1);
    } else {
        seat.colourB[q] = 0;
        seat.shapeB[q] = 0;
        seat.contact[q] = 0;
    }
    if (level > 3) {
        seat.colourA[q] = kColourTable[kGreyColour];
        seat.colourB[q] = kColourTable[kGreyColour];
        if (level < 5) {
            seat.shapeB[q] = 0;
            seat.contact[q] = 0;
        }
        if (level == 5) {
            seat.shapeA[q] = 0;
            seat.shapeB[q] = 0;
        }
    }
}

float RandomCentre(RandomSource& random) {
    return static_cast<float>(random.Random(1)) * 0.5f + kNearCentre;
}

// Start choice k: 0 the position of seat 0 (its own old one, or for seat 1
// "<- Selbe" the one seat 0 has just been given), 1 a random cell, 2 to 5 a
// fixed cell; anything else keeps the seat where it stood.
void ChooseStart(SeatRecord& seat, int k, const SeatRecord& first, RandomSource& random) {
    switch (k) {
        case 0:
            seat.targetX = first.targetX;
            seat.targetY = first.targetY;
            break;
        case 1:
            seat.targetX = RandomCentre(random);
            seat.targetY = RandomCentre(random);
            break;
        case 2:
            seat.targetX = kNearCentre;
            seat.targetY = kNearCentre;
            break;
        case 3:
            seat.targetX = kFarCentre;
            seat.targetY = kNearCentre;
            break;
        case 4:
            seat.targetX = kNearCentre;
            seat.targetY = kFarCentre;
            break;
        case 5:
            seat.targetX = kFarCentre;
            seat.targetY = kFarCentre;
            break;
        default:
            break;
    }
}

// The figure stands on its start cell, nothing of it sent yet.
void PlaceFigure(SeatRecord& seat) {
    seat.shownX = seat.targetX;
    seat.shownY = seat.targetY;
    seat.sentX = 0;
    seat.sentY = 0;
    seat.cellX = seat.targetX > 0.5f ? 1 : 0;
    seat.cellY = seat.targetY > 0.5f ? 1 : 0;
    seat.startCellX = seat.cellX;
    seat.startCellY = seat.cellY;
}

bool NonEmptyFile(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    return !error && size > 0;
}

// The picture the partner's figure is drawn with on this player's screen:
// the "1" variant of the own picture (figur0.png -> figur1.png) when a
// non-empty file of that name exists, else the own picture. A name too short
// to hold a one-character number and a four-character extension has no
// variant.
std::string PartnerPicture(const std::filesystem::path& grafikDir, const std::string& own) {
    if (own.size() < 5) {
        return own;
    }
    const std::string variant = own.substr(0, own.size() - 5) + "1" + own.substr(own.size() - 4);
    return NonEmptyFile(grafikDir / variant) ? variant : own;
}

void PrepareSeat(Game& game, int s) {
    const GameSettings& settings = game.state.settings;
    SeatRecord& seat = game.seats[s];
    RandomSource& random = *game.randomSource;

    seat.statusText = game.texts[txt::kPressSpaceToStart];
    seat.statusColour = kNotReadyColour;
    seat.level = settings.level;
    seat.boardColour = kBoardColour;
    for (int q = 0; q < kCells; ++q) {
        DrawCell(seat, q, random);
    }
    seat.ownBoardDrawn = 0;
    seat.ownFigureVisible = 0;

    // Player 2's start list has "<- Selbe" where player 1's has "Zufall", so
    // its entries stand one further down for the same choice.
    const int k = s == 0 ? settings.start[0] : settings.start[1] - 1;
    ChooseStart(seat, k, game.seats[0], random);
    PlaceFigure(seat);

    seat.pictureSent = 0;
    seat.displayMode = 3 - settings.display;
    seat.playedDisplayMode = seat.displayMode;
    seat.partnerBoardColour = 0;
    seat.partnerBoardDrawn = 0;
    seat.partnerFigureVisible = 0;
    seat.partnerPictureName = PartnerPicture(game.grafikDir, seat.pictureName);
    seat.partnerPictureSent = 0;
    seat.partnerSentX = 0;
    seat.partnerSentY = 0;
}

// Player 2's entries 0 (its prompt) and 1 ("<- Selbe") both mean player 1's
// picture.
void ChoosePictures(Game& game) {
    const GameSettings& settings = game.state.settings;
    game.seats[0].pictureName = settings.figureText[0];
    game.seats[1].pictureName =
        settings.figure[1] <= 1 ? settings.figureText[0] : settings.figureText[1];
}

// One cell of seat 0's board is copied into one of seat 1's, so that the
// players always have at least one stimulus to agree on.
void ShareOneStimulus(Game& game) {
    RandomSource& random = *game.randomSource;
    const int a = random.Random(kCells - 1);
    const int b = random.Random(kCells - 1);
    const SeatRecord& from = game.seats[0];
    SeatRecord& to = game.seats[1];
    to.colourA[b] = from.colourA[a];
    to.colourB[b] = from.colourB[a];
    to.shapeA[b] = from.shapeA[a];
    to.shapeB[b] = from.shapeB[a];
    to.contact[b] = from.contact[a];
}

}  // namespace

void Game::SetUpRound(std::uint32_t now) {
    randomSource->Reseed(now);
    ChoosePictures(*this);
    for (int s = 0; s < kSeats; ++s) {
        PrepareSeat(*this, s);
    }
    ShareOneStimulus(*this);
    BeginRoundRecord(now);
    roundStartMs = roundRecord.startMs;
    PostLogMessage(state, texts[txt::kGameSetUp]);
    state.gameState = WaitStart;
}

}  // namespace quib::server
