#pragma once

// A server engine with a game of level 3 on both boards (two shapes per
// cell, the partner's board open), for the benchmarks of the frames it
// composes for seat 1 and of what drawing them costs the server's mirror and
// the player program.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "common/work_folders.h"
#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/engine/engine.h"

namespace quib::bench {

class SeatScreenGame {
  public:
    SeatScreenGame() {
        using namespace quib::server;
        for (int seat = 0; seat < kSeats; ++seat) {
            SeatRecord& r = engine->game().seats[seat];
            r.level = 3;
            r.boardColour = Rgb(225, 225, 225);
            for (int q = 0; q < kCells; ++q) {
                r.shapeA[q] = q;
                r.shapeB[q] = 3 - q;
                r.colourA[q] = Rgb(255, 100, 100);
                r.colourB[q] = Rgb(100, 100, 255);
                r.contact[q] = q % 2;
            }
            r.displayMode = DisplayOpen;
            r.statusTextSent = r.statusText;
            r.scoreTextSent = r.scoreText;
        }
        Update();  // the first update sends everything
    }

    // Composes seat 1's next frame, finishes it and has the mirror draw it;
    // returns the frame as sent.
    std::span<const std::uint8_t> Update() {
        engine->ComposeUpdateFrame(0, 0);
        const std::span<const std::uint8_t> frame = engine->links().links[0].sender.FinishFrame();
        engine->MirrorSentFrame(0);
        return frame;
    }

    // Both figures on the board, each with its picture already sent.
    std::span<const std::uint8_t> ShowFigures() {
        for (int seat = 0; seat < server::kSeats; ++seat) {
            server::SeatRecord& r = engine->game().seats[seat];
            r.ownFigureVisible = 1;
            r.partnerFigureVisible = 1;
            r.pictureName = "bauer0.png";
            r.partnerPictureName = "bauer1.png";
        }
        state.settings.speed = 1;
        return Update();
    }

    // One step of both figures walking back and forth across the board, at
    // the slowest speed (a cell in 25 steps): the own figure along the
    // upper row, the partner's down the left column.
    std::span<const std::uint8_t> MoveFigures() {
        server::SeatRecord& own = engine->game().seats[0];
        server::SeatRecord& partner = engine->game().seats[1];
        if (own.shownX == own.targetX) {
            own.targetX = own.targetX == 0.25f ? 0.75f : 0.25f;
        }
        partner.shownY = own.shownX;
        return Update();
    }

    server::ServerState state;
    server::ServerTexts texts;
    std::unique_ptr<server::Engine> engine =
        std::make_unique<server::Engine>(state, texts, WorkFolders{QUIB_GRAFIK_DIR, {}, {}});
};

using Frame = std::vector<std::uint8_t>;

// The frames a player program receives from the start of the game above:
// `setup` draws both boards and shows both figures, `moving` is one whole
// walk of the own figure there and back (50 frames), after which the screen
// is where the walk began, so the walk may be played again and again.
struct MovingFigureFrames {
    std::vector<Frame> setup;
    std::vector<Frame> moving;
};

inline MovingFigureFrames RecordMovingFigureFrames() {
    SeatScreenGame game;
    MovingFigureFrames frames;
    const auto keep = [](std::span<const std::uint8_t> frame) {
        return Frame(frame.begin(), frame.end());
    };
    // The first update of the constructor is not kept: compose it again.
    game.engine->game().seats[0].ownBoardDrawn = 0;
    game.engine->game().seats[0].partnerBoardDrawn = 0;
    frames.setup.push_back(keep(game.Update()));
    frames.setup.push_back(keep(game.ShowFigures()));
    // The walk begins at the left turn: the figure stands at 0.25.
    while (game.engine->game().seats[0].shownX != 0.25f ||
           game.engine->game().seats[0].targetX != 0.25f) {
        frames.setup.push_back(keep(game.MoveFigures()));
    }
    do {
        frames.moving.push_back(keep(game.MoveFigures()));
    } while (game.engine->game().seats[0].shownX != 0.25f);
    return frames;
}

}  // namespace quib::bench
