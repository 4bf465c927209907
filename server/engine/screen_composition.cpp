#include "server/engine/screen_composition.h"

#include "server/game/game.h"

namespace quib::server {

namespace {

using protocol::BeginDrawing;
using protocol::Box;
using protocol::CreateImage;
using protocol::DrawingMode;
using protocol::EndDrawing;
using protocol::LoadPicture;

constexpr std::int8_t kOwnBoardSlot = 0;
constexpr std::int8_t kPartnerBackgroundSlot = 1;
constexpr std::int8_t kOwnFigureSlot = 2;
constexpr std::int8_t kPartnerFigureSlot = 3;

void DrawCross(ScreenWriter& out) {
    out.Send(protocol::Line{0.5f, 0.0f, 0.5f, 1.0f, kCrossColour});
    out.Send(protocol::Line{0.0f, 0.5f, 1.0f, 0.5f, kCrossColour});
}

protocol::Polygon PolygonOf(Colour colour, std::initializer_list<protocol::Point> points) {
    protocol::Polygon polygon;
    polygon.pen = kOutlineColour;
    polygon.brush = colour;
    for (const protocol::Point& point : points) {
        polygon.points[polygon.count++] = point;
    }
    return polygon;
}

float CellLeft(int cell) {
    return 0.5f * static_cast<float>(cell % 2);
}
float CellTop(int cell) {
    return 0.5f * static_cast<float>(cell / 2);
}

// One animation step along one axis toward the target; true on arrival.
bool StepTowards(float target, float& shown, float step) {
    if (target > shown) {
        shown += step;
        if (target < shown) {
            shown = target;
            return true;
        }
    }
    return false;
}

bool StepBackTowards(float target, float& shown, float step) {
    if (target < shown) {
        shown -= step;
        if (target > shown) {
            shown = target;
            return true;
        }
    }
    return false;
}

}  // namespace

float ContactOffset(std::int32_t a, std::int32_t b) {
    float d = 0.0f;
    switch (a) {
        case Circle:
            d += 0.0215f;
            break;
        case Triangle:
            d += 0.0625f;
            break;
        case Square:
            d += 0.03375f;
            break;
        case Pentagon:
            d += 0.0315f;
            d -= b == Triangle ? 0.002f : b == Square ? 0.004f : b == Pentagon ? 0.002f : 0.0f;
            break;
        default:
            break;
    }
    switch (b) {
        case Circle:
            d += 0.0215f;
            break;
        case Triangle:
            d += 0.005f;
            break;
        case Square:
            d += 0.03375f;
            break;
        case Pentagon:
            d += 0.0225f - (a == Circle ? 0.003f : 0.005f);
            break;
        default:
            break;
    }
    return d;
}

void DrawShape(ScreenWriter& out, float x, float y, float w, float h, std::int32_t shape,
               Colour colour) {
    switch (shape) {
        case Circle:
            out.Send(protocol::Circle{x + w / 2, y + h / 2, w / 2, colour});
            out.Send(DrawingMode{protocol::kModeOutline});
            out.Send(protocol::Circle{x + w / 2, y + h / 2, w / 2, kOutlineColour});
            out.Send(DrawingMode{protocol::kModeFilled});
            break;
        case Triangle:
            out.Send(PolygonOf(colour, {{x, y}, {x, y + h}, {x + w, y + h}}));
            break;
        case Square:
            out.Send(PolygonOf(
                colour, {{x + w / 2, y}, {x + w, y + h / 2}, {x + w / 2, y + h}, {x, y + h / 2}}));
            break;
        case Pentagon:
            out.Send(PolygonOf(colour, {{x + w / 2, y},
                                        {x + w, y + 0.4f * h},
                                        {x + 0.78f * w, y + h},
                                        {x + 0.22f * w, y + h},
                                        {x, y + 0.4f * h}}));
            break;
        default:
            break;
    }
}

void DrawBoard(ScreenWriter& out, const SeatRecord& board) {
    out.Send(DrawingMode{protocol::kModeFilled});
    out.Send(Box{0.0f, 0.0f, 1.0f, 1.0f, board.boardColour});
    switch (board.level) {
        case 0:
            return;
        case 1:
            for (int q = 0; q < kCells; ++q) {
                out.Send(Box{CellLeft(q), CellTop(q), 0.5f, 0.5f, board.colourA[q]});
            }
            break;
        case 2:
        case 4:
            for (int q = 0; q < kCells; ++q) {
                DrawShape(out, 0.05f + CellLeft(q), 0.05f + CellTop(q), 0.4f, 0.4f, board.shapeA[q],
                          board.colourA[q]);
            }
            break;
        default:  // 3, 5, 6: two shapes per cell, touching or apart
            for (int q = 0; q < kCells; ++q) {
                const float ox = CellLeft(q);
                const float oy = CellTop(q);
                const float d =
                    board.contact[q] == 1 ? ContactOffset(board.shapeA[q], board.shapeB[q]) : 0.01f;
                DrawShape(out, ox + 0.01f + d, oy + 0.26f - d, 0.23f, 0.23f, board.shapeA[q],
                          board.colourA[q]);
                DrawShape(out, ox + 0.26f - d, oy + 0.01f + d, 0.23f, 0.23f, board.shapeB[q],
                          board.colourB[q]);
            }
            break;
    }
    DrawCross(out);
}

namespace {

bool SendTexts(ScreenWriter& out, SeatRecord& r) {
    if (r.statusText != r.statusTextSent) {
        out.Send(protocol::LeftText{r.statusColour, {r.statusText}});
        r.statusTextSent = r.statusText;
    }
    if (r.scoreText != r.scoreTextSent) {
        out.Send(protocol::RightText{r.scoreColour, {r.scoreText}});
        r.scoreTextSent = r.scoreText;
    }
    return false;  // text changes alone present nothing
}

bool SendOwnBoard(ScreenWriter& out, SeatRecord& r) {
    if (r.ownBoardDrawn != 0) {
        return false;
    }
    out.Send(CreateImage{kOwnBoardSlot, 1.0f, 1.0f});
    out.Send(BeginDrawing{kOwnBoardSlot});
    DrawBoard(out, r);
    out.Send(EndDrawing{});
    r.ownBoardDrawn = 1;
    return true;
}

bool SendPartnerBackground(ScreenWriter& out, SeatRecord& r, const SeatRecord& p) {
    if (r.partnerBoardDrawn != 0) {
        return false;
    }
    if (r.displayMode != DisplayUnchosen) {
        out.Send(CreateImage{kPartnerBackgroundSlot, 1.0f, 1.0f});
        out.Send(BeginDrawing{kPartnerBackgroundSlot});
        out.Send(DrawingMode{protocol::kModeFilled});
        out.Send(Box{0.0f, 0.0f, 1.0f, 1.0f, r.partnerBoardColour});
        if (r.displayMode == DisplayOpen) {
            DrawBoard(out, p);
        } else if (r.displayMode == DisplayCovered) {
            DrawCross(out);
        }
        out.Send(EndDrawing{});
    }
    r.partnerBoardDrawn = 1;
    return true;
}

bool MoveOwnFigure(Game& game, ScreenWriter& out, SeatRecord& r, int seat, std::uint32_t now) {
    if (r.ownFigureVisible != 1) {
        return false;
    }
    bool changed = false;
    if (r.pictureSent == 0) {
        out.Send(LoadPicture{kOwnFigureSlot, {r.pictureName}});
        r.pictureSent = 1;
        changed = true;
    }
    const float step = static_cast<float>(game.state.settings.speed) * kSpeedStep;
    bool arrived = StepTowards(r.targetX, r.shownX, step);
    arrived = StepTowards(r.targetY, r.shownY, step) || arrived;
    arrived = StepBackTowards(r.targetX, r.shownX, step) || arrived;
    arrived = StepBackTowards(r.targetY, r.shownY, step) || arrived;
    if (arrived) {
        game.LogRoundEvent(PositionEvent, r.cellX + 2 * r.cellY, seat, now);
    }
    if (r.shownX != r.sentX || r.shownY != r.sentY) {
        r.sentX = r.shownX;
        r.sentY = r.shownY;
        changed = true;
    }
    return changed;
}

bool FollowPartnerFigure(ScreenWriter& out, SeatRecord& r, const SeatRecord& p) {
    if (r.partnerFigureVisible != 1) {
        return false;
    }
    bool changed = false;
    if (r.partnerPictureSent == 0) {
        out.Send(LoadPicture{kPartnerFigureSlot, {r.partnerPictureName}});
        r.partnerPictureSent = 1;
        changed = true;
    }
    if (r.partnerSentX != p.shownX) {
        r.partnerSentX = p.shownX;
        changed = true;
    }
    if (r.partnerSentY != p.shownY) {
        r.partnerSentY = p.shownY;
        changed = true;
    }
    return changed;
}

void ComposeAndPresent(const Game& game, ScreenWriter& out, const SeatRecord& r,
                       const SeatRecord& p) {
    out.Send(BeginDrawing{protocol::kOwnViewSlot});
    out.Send(protocol::DrawImage{kOwnBoardSlot, 0.0f, 0.0f});
    if (r.ownFigureVisible == 1) {
        out.SendCentredImage(kOwnFigureSlot, r.shownX, r.shownY);
    }
    out.Send(EndDrawing{});
    out.Send(BeginDrawing{protocol::kPartnerViewSlot});
    out.Send(protocol::DrawImage{kPartnerBackgroundSlot, 0.0f, 0.0f});
    if (r.partnerFigureVisible != 0) {
        out.SendCentredImage(kPartnerFigureSlot, p.shownX, p.shownY);
    }
    if (game.state.gameState == Running && p.readyState == 1) {
        out.Send(Box{0.0f, 0.0f, 0.025f, 1.0f, kFinishedFrameColour});
        out.Send(Box{0.975f, 0.0f, 0.025f, 1.0f, kFinishedFrameColour});
        out.Send(Box{0.0f, 0.0f, 1.0f, 0.025f, kFinishedFrameColour});
        out.Send(Box{0.0f, 0.975f, 1.0f, 0.025f, kFinishedFrameColour});
    }
    out.Send(EndDrawing{});
    out.Send(protocol::Present{});
}

}  // namespace

void UpdateSeatScreen(Game& game, int seat, ScreenWriter& out, std::uint32_t now) {
    SeatRecord& r = game.seats[seat];
    const SeatRecord& p = game.seats[1 - seat];
    out.StartFrame();
    out.Send(protocol::FrameStart{});
    bool changed = false;
    if (game.partnerFinished[seat] == 1) {
        game.partnerFinished[seat] = 0;
        changed = true;
    }
    SendTexts(out, r);
    changed = SendOwnBoard(out, r) || changed;
    changed = SendPartnerBackground(out, r, p) || changed;
    changed = MoveOwnFigure(game, out, r, seat, now) || changed;
    changed = FollowPartnerFigure(out, r, p) || changed;
    if (changed) {
        ComposeAndPresent(game, out, r, p);
    }
}

}  // namespace quib::server
