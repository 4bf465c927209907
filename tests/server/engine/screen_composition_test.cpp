#include "server/engine/screen_composition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "common/drawing_values.h"
#include "common/picture_cache.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/server/engine/game_fixture.h"
#include "tests/support/case_name.h"

namespace quib::server {
namespace {

using Message = std::pair<std::uint8_t, std::vector<std::uint8_t>>;

constexpr Colour kRed = Rgb(255, 100, 100);
constexpr Colour kYellow = Rgb(255, 255, 100);
constexpr Colour kGreen = Rgb(100, 255, 100);
constexpr Colour kBlue = Rgb(100, 100, 255);

template <typename M>
M Decoded(const Message& message) {
    M decoded{};
    EXPECT_TRUE(protocol::Parse(message.second, &decoded));
    return decoded;
}

std::vector<std::uint8_t> TypesOf(const std::vector<Message>& messages) {
    std::vector<std::uint8_t> types;
    for (const Message& m : messages) {
        types.push_back(m.first);
    }
    return types;
}

class ScreenComposition : public quib::testing::GameFixture {
  protected:
    // Builds the seat's update frame and returns its messages.
    std::vector<Message> Update(int seat) {
        engine->ComposeUpdateFrame(seat, now);
        frame = ToBytes(engine->links().links[seat].sender.FinishFrame());
        engine->MirrorSentFrame(seat);
        std::vector<Message> messages;
        EXPECT_EQ(protocol::CheckFrame(frame), protocol::FrameCheck::Good);
        protocol::ParseMessages(frame, [&](std::uint8_t type, auto body) {
            messages.emplace_back(type, std::vector<std::uint8_t>(body.begin(), body.end()));
            return true;
        });
        return messages;
    }

    static std::vector<std::uint8_t> ToBytes(std::span<const std::uint8_t> bytes) {
        return {bytes.begin(), bytes.end()};
    }

    // A seat whose screen has been sent completely, so that the next update
    // sends only what the test changes.
    SeatRecord& SentSeat(int seat) {
        SeatRecord& r = engine->game().seats[seat];
        r.statusTextSent = r.statusText;
        r.scoreTextSent = r.scoreText;
        r.ownBoardDrawn = 1;
        r.partnerBoardDrawn = 1;
        r.pictureSent = 1;
        r.partnerPictureSent = 1;
        return r;
    }

    void LevelOneBoard(int seat, std::array<Colour, 4> colours) {
        SeatRecord& r = engine->game().seats[seat];
        r.level = 1;
        r.boardColour = Rgb(225, 225, 225);
        r.colourA = colours;
    }

    // Messages of the given type, in frame order.
    static std::vector<Message> OfType(const std::vector<Message>& messages, std::uint8_t type) {
        std::vector<Message> found;
        for (const Message& m : messages) {
            if (m.first == type) {
                found.push_back(m);
            }
        }
        return found;
    }

    std::vector<std::uint8_t> frame;
};

TEST_F(ScreenComposition, LevelOneBoardIsFourCellBoxesAndTheGreyCross) {
    SeatRecord& r = SentSeat(0);
    LevelOneBoard(0, {kRed, kYellow, kGreen, kBlue});
    r.ownBoardDrawn = 0;
    const auto messages = Update(0);
    EXPECT_EQ(TypesOf(messages),
              (std::vector<std::uint8_t>{30, 210, 200, 223, 226, 226, 226, 226, 226, 225, 225, 201,
                                         200, 220, 201, 200, 220, 201, 254}));
    const auto boxes = OfType(messages, 226);
    const float corners[4][2] = {{0, 0}, {0.5f, 0}, {0, 0.5f}, {0.5f, 0.5f}};
    const Colour colours[4] = {kRed, kYellow, kGreen, kBlue};
    for (int q = 0; q < 4; ++q) {
        const auto box = Decoded<protocol::Box>(boxes[static_cast<std::size_t>(q) + 1]);
        EXPECT_EQ(box.x, corners[q][0]);
        EXPECT_EQ(box.y, corners[q][1]);
        EXPECT_EQ(box.width, 0.5f);
        EXPECT_EQ(box.colour, colours[q]);
    }
    const auto cross = Decoded<protocol::Line>(OfType(messages, 225)[0]);
    EXPECT_EQ(cross.colour, Rgb(150, 150, 150));
    EXPECT_EQ(cross.x1, 0.5f);
    EXPECT_EQ(cross.y2, 1.0f);
}

TEST_F(ScreenComposition, LevelTwoShapesSitInBoxesOf04AtTheCellCorners) {
    SeatRecord& r = SentSeat(0);
    r.level = 2;
    r.shapeA = {Circle, Circle, Circle, Circle};
    r.colourA = {kRed, kRed, kRed, kRed};
    r.ownBoardDrawn = 0;
    const auto circles = OfType(Update(0), 227);
    ASSERT_EQ(circles.size(), 8u) << "each circle is filled, then outlined";
    const float centres[4][2] = {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.75f}, {0.75f, 0.75f}};
    for (int q = 0; q < 4; ++q) {
        const auto fill = Decoded<protocol::Circle>(circles[static_cast<std::size_t>(2 * q)]);
        const auto outline =
            Decoded<protocol::Circle>(circles[static_cast<std::size_t>(2 * q + 1)]);
        EXPECT_FLOAT_EQ(fill.x, centres[q][0]);
        EXPECT_FLOAT_EQ(fill.y, centres[q][1]);
        EXPECT_FLOAT_EQ(fill.radius, 0.2f);
        EXPECT_EQ(fill.colour, kRed);
        EXPECT_EQ(outline.colour, Rgb(0, 0, 0));
    }
}

struct ContactCase {
    const char* name;
    std::int32_t contact;
    float ax, ay, bx, by;  // top left corners of the two shape boxes in cell 0
};

const ContactCase kContacts[] = {
    {"Apart", 0, 0.02f, 0.25f, 0.25f, 0.02f},
    {"Touching", 1, 0.053f, 0.217f, 0.217f, 0.053f},
};

class LevelFiveCircles : public ScreenComposition,
                         public ::testing::WithParamInterface<ContactCase> {};

TEST_P(LevelFiveCircles, StandApartOrTouchAlongTheCellDiagonal) {
    SeatRecord& r = SentSeat(0);
    r.level = 5;
    r.contact[0] = GetParam().contact;
    r.ownBoardDrawn = 0;
    const auto circles = OfType(Update(0), 227);
    const auto a = Decoded<protocol::Circle>(circles[0]);
    const auto b = Decoded<protocol::Circle>(circles[2]);
    EXPECT_NEAR(a.x - a.radius, GetParam().ax, 1e-6);
    EXPECT_NEAR(a.y - a.radius, GetParam().ay, 1e-6);
    EXPECT_NEAR(b.x - b.radius, GetParam().bx, 1e-6);
    EXPECT_NEAR(b.y - b.radius, GetParam().by, 1e-6);
    EXPECT_NEAR(2 * a.radius, 0.23f, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Screen, LevelFiveCircles, ::testing::ValuesIn(kContacts),
                         quib::testing::CaseName());

struct OffsetCase {
    const char* name;
    std::int32_t a;
    std::int32_t b;
    float offset;
};

const OffsetCase kOffsets[] = {
    {"TwoCircles", Circle, Circle, 0.043f},
    {"CircleAndTriangle", Circle, Triangle, 0.0265f},
    {"TwoTriangles", Triangle, Triangle, 0.0675f},
    {"TwoPentagons", Pentagon, Pentagon, 0.047f},
    {"PentagonAndSquare", Pentagon, Square, 0.0315f - 0.004f + 0.03375f},
    {"SquareAndPentagon", Square, Pentagon, 0.03375f + 0.0225f - 0.005f},
    {"CircleAndPentagon", Circle, Pentagon, 0.0215f + 0.0225f - 0.003f},
};

class ContactOffsetCase : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(ContactOffsetCase, MakesTheShapesTouch) {
    EXPECT_NEAR(ContactOffset(GetParam().a, GetParam().b), GetParam().offset, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Screen, ContactOffsetCase, ::testing::ValuesIn(kOffsets),
                         quib::testing::CaseName());

TEST_F(ScreenComposition, CoveredPartnerViewIsBlackWithTheGreyCross) {
    SeatRecord& r = SentSeat(1);
    r.displayMode = DisplayCovered;
    r.partnerBoardColour = 0;
    r.partnerBoardDrawn = 0;
    const auto messages = Update(1);
    EXPECT_EQ(TypesOf(messages), (std::vector<std::uint8_t>{30, 210, 200, 223, 226, 225, 225, 201,
                                                            200, 220, 201, 200, 220, 201, 254}));
    EXPECT_EQ(Decoded<protocol::CreateImage>(messages[1]).slot, 1);
    EXPECT_EQ(Decoded<protocol::Box>(messages[4]).colour, 0u);
}

TEST_F(ScreenComposition, PartnerWhoEndedTheRoundGetsTheGreenFrame) {
    SeatRecord& r = SentSeat(0);
    r.partnerFigureVisible = 1;
    engine->game().seats[1].readyState = 1;
    engine->game().partnerFinished[0] = 1;
    state.gameState = Running;
    const auto messages = Update(0);
    const auto boxes = OfType(messages, 226);
    ASSERT_EQ(boxes.size(), 4u);
    const float expected[4][4] = {
        {0, 0, 0.025f, 1}, {0.975f, 0, 0.025f, 1}, {0, 0, 1, 0.025f}, {0, 0.975f, 1, 0.025f}};
    for (int i = 0; i < 4; ++i) {
        const auto box = Decoded<protocol::Box>(boxes[static_cast<std::size_t>(i)]);
        EXPECT_EQ(box.x, expected[i][0]);
        EXPECT_EQ(box.y, expected[i][1]);
        EXPECT_EQ(box.width, expected[i][2]);
        EXPECT_EQ(box.height, expected[i][3]);
        EXPECT_EQ(box.colour, Rgb(120, 255, 120));
    }
    EXPECT_EQ(engine->game().partnerFinished[0], 0);
    EXPECT_EQ(messages.back().first, 254);
}

TEST_F(ScreenComposition, NothingChangedSendsTheFourteenByteFrame) {
    SentSeat(0);
    Update(0);
    EXPECT_EQ(frame, quib::testing::kFrameStartOnly);
}

TEST_F(ScreenComposition, ChangedTextsGoOutWithoutAPresentAndReachTheStatusSlots) {
    SeatRecord& r = SentSeat(0);
    r.statusText = "Bitte warten ...";
    r.statusColour = Rgb(150, 150, 255);
    r.scoreText = "Punkte in Serie: 0 Highscore: 0";
    const auto messages = Update(0);
    EXPECT_EQ(TypesOf(messages), (std::vector<std::uint8_t>{30, 33, 32}));
    EXPECT_EQ(state.statusSlots[0].text, " Bitte warten ...");
    EXPECT_EQ(state.statusSlots[0].colour, static_cast<std::int32_t>(Rgb(150, 150, 255)));
    EXPECT_EQ(state.statusSlots[2].text, " Punkte in Serie: 0 Highscore: 0");
    EXPECT_EQ(state.statusSlots[2].dirty, 1);
    EXPECT_TRUE(Update(0).size() == 1) << "sent texts are not sent again";
}

struct SpeedCase {
    const char* name;
    std::int32_t speed;
    bool arrives;
};

const SpeedCase kSpeeds[] = {
    {"Slow", 1, true},
    {"Fast", 3, true},
    {"Instant", 4, true},
    {"NoSpeedChosen", 0, false},
};

class FigureAnimation : public ScreenComposition,
                        public ::testing::WithParamInterface<SpeedCase> {};

// Each update moves the figure one speed step (0.02 of the board per entry of
// the speed list); the update that would carry it past the target puts it
// exactly on the target and logs the arrival once.
TEST_P(FigureAnimation, MovesBySpeedStepsAndStopsExactlyOnTheTarget) {
    state.settings.speed = GetParam().speed;
    const float step = 0.02f * static_cast<float>(GetParam().speed);
    engine->game().BeginRoundRecord(now);
    SeatRecord& r = SentSeat(1);
    r.ownFigureVisible = 1;
    r.shownX = r.sentX = 0.25f;
    r.shownY = r.sentY = 0.25f;
    r.targetX = 0.75f;
    r.targetY = 0.25f;
    r.cellX = 1;
    bool arrived = false;
    for (int update = 1; update <= 60 && !arrived; ++update) {
        const float before = r.shownX;
        Update(1);
        if (before + step < 0.75f) {
            ASSERT_EQ(r.shownX, before + step) << "update " << update;
        } else {
            ASSERT_EQ(r.shownX, 0.75f) << "update " << update;
            arrived = true;
        }
        EXPECT_EQ(r.shownY, 0.25f);
    }
    EXPECT_EQ(arrived, GetParam().arrives);
    Update(1);  // standing still: no further arrival
    int arrivals = 0;
    for (const std::string& line : engine->game().roundRecord.events) {
        arrivals += line.find(";2;Position;b") != std::string::npos;
    }
    EXPECT_EQ(arrivals, GetParam().arrives ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Screen, FigureAnimation, ::testing::ValuesIn(kSpeeds),
                         quib::testing::CaseName());

TEST_F(ScreenComposition, MirrorShowsWhatThePlayerIsToldToDraw) {
    SentSeat(0);
    LevelOneBoard(0, {kRed, kYellow, kGreen, kBlue});
    LevelOneBoard(1, {kBlue, kGreen, kYellow, kRed});
    engine->game().seats[0].ownBoardDrawn = 0;
    engine->game().seats[0].displayMode = DisplayOpen;
    engine->game().seats[0].partnerBoardDrawn = 0;
    Update(0);
    ASSERT_EQ(state.refreshBoard[0], 1);
    const QImage& screen = engine->mirrors().Screen(0);
    ASSERT_EQ(screen.size(), QSize(480, 480));
    EXPECT_EQ(screen.pixelColor(120, 120), WireColour(kRed));
    EXPECT_EQ(screen.pixelColor(360, 120), WireColour(kYellow));
    EXPECT_EQ(screen.pixelColor(120, 360), WireColour(kGreen));
    EXPECT_EQ(screen.pixelColor(360, 360), WireColour(kBlue));
    EXPECT_EQ(screen.pixelColor(240, 60), QColor(150, 150, 150)) << "the vertical cross line";
    EXPECT_EQ(screen.pixelColor(60, 240), QColor(150, 150, 150)) << "the horizontal cross line";
    const QImage& partner = engine->mirrors().PartnerView(0);
    ASSERT_EQ(partner.size(), QSize(170, 170));
    EXPECT_EQ(partner.pixelColor(40, 40), WireColour(kBlue)) << "the partner's board, reduced";
    EXPECT_EQ(partner.pixelColor(130, 130), WireColour(kRed));
}

TEST_F(ScreenComposition, FrameWithoutChangesLeavesTheMirrorAlone) {
    SentSeat(0);
    Update(0);
    const qint64 backBuffer = engine->mirrors().Mirror(0).screen.Image(1)->cacheKey();
    const qint64 shown = engine->mirrors().Screen(0).cacheKey();
    Update(0);
    EXPECT_EQ(state.refreshBoard[0], 0);
    EXPECT_EQ(engine->mirrors().Mirror(0).screen.Image(1)->cacheKey(), backBuffer)
        << "no pixel was touched";
    EXPECT_EQ(engine->mirrors().Screen(0).cacheKey(), shown);
}

// The player is sent the frame before the server draws its own copy of it;
// until then the mirror shows the screen before.
TEST_F(ScreenComposition, MirrorDrawsTheFrameOnlyOnceItIsSent) {
    SentSeat(0);
    LevelOneBoard(0, {kRed, kYellow, kGreen, kBlue});
    engine->game().seats[0].ownBoardDrawn = 0;
    const QImage before = engine->mirrors().Screen(0).copy();
    engine->ComposeUpdateFrame(0, now);
    engine->links().links[0].sender.FinishFrame();
    EXPECT_EQ(state.refreshBoard[0], 0);
    EXPECT_TRUE(engine->mirrors().Screen(0) == before);
    engine->MirrorSentFrame(0);
    EXPECT_EQ(state.refreshBoard[0], 1);
    EXPECT_EQ(engine->mirrors().Screen(0).pixelColor(120, 120), QColor(255, 100, 100));
}

// The figure's picture arrives in the same frame that first places it: its
// position must already account for the picture's size.
TEST_F(ScreenComposition, FigureLoadedInTheSameFrameIsCentredByItsSize) {
    QImage picture(60, 40, QImage::Format_ARGB32);
    picture.fill(QColor(200, 40, 160));
    ASSERT_TRUE(picture.save(QString::fromStdString((grafikDir() / "figur0.png").string()), "PNG"));
    SeatRecord& r = SentSeat(0);
    r.ownFigureVisible = 1;
    r.pictureName = "figur0.png";
    r.pictureSent = 0;
    r.shownX = r.targetX = 0.25f;
    r.shownY = r.targetY = 0.75f;
    const auto messages = Update(0);
    ASSERT_EQ(OfType(messages, 211).size(), 1u);
    const auto draws = OfType(messages, 220);
    ASSERT_EQ(draws.size(), 3u) << "own board, own figure, partner background";
    const auto figure = Decoded<protocol::DrawImage>(draws[1]);
    EXPECT_EQ(figure.slot, 2) << "the own figure's slot";
    EXPECT_FLOAT_EQ(figure.x, 0.25f - 30.0f / 480.0f);
    EXPECT_FLOAT_EQ(figure.y, 0.75f - 20.0f / 480.0f);
    EXPECT_EQ(engine->mirrors().Screen(0).pixelColor(120, 360), QColor(200, 40, 160))
        << "the mirror shows the figure at the same place";
}

// A figure picture with a see-through rim, so that it blends into the board.
void SaveFigure(const std::filesystem::path& file, QColor colour) {
    QImage picture(72, 64, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const int d = (x - 36) * (x - 36) + (y - 32) * (y - 32);
            if (d < 900) {
                colour.setAlpha(d < 600 ? 255 : 100);
                picture.setPixelColor(x, y, colour);
            }
        }
    }
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "PNG"));
}

// Draws the frames on the mirror.
void Execute(SeatMirror& mirror, std::span<const std::uint8_t> frame) {
    ASSERT_TRUE(protocol::ExecuteFrame(frame, [&mirror](std::uint8_t type, auto body) {
        return type < 200 || mirror.Execute(type, body);
    }));
}

// Every frame of both figures walking (the partner's finished frame coming
// and going, a figure jumping) is drawn over what the frame before left on
// the mirror, touching only what moved. The mirror must show what a mirror
// drawing the whole views afresh shows, and the window's copies, which take
// the changes only every other frame, what the mirror shows.
TEST_F(ScreenComposition, MovingFiguresLeaveTheMirrorAsAWholeRedrawWould) {
    SaveFigure(grafikDir() / "figur0.png", QColor(200, 40, 160));
    SaveFigure(grafikDir() / "figur1.png", QColor(40, 160, 200));
    engine->game().BeginRoundRecord(now);
    state.gameState = Running;
    state.settings.speed = 2;
    for (int s = 0; s < kSeats; ++s) {
        SeatRecord& r = SentSeat(s);
        r.level = 3;
        r.boardColour = Rgb(225, 225, 225);
        for (int q = 0; q < kCells; ++q) {
            r.shapeA[q] = q;
            r.shapeB[q] = 3 - q;
            r.colourA[q] = kRed;
            r.colourB[q] = kBlue;
            r.contact[q] = q % 2;
        }
        r.displayMode = DisplayOpen;
        r.ownBoardDrawn = 0;
        r.partnerBoardDrawn = 0;
        r.ownFigureVisible = 1;
        r.partnerFigureVisible = 1;
        r.pictureName = "figur0.png";
        r.partnerPictureName = "figur1.png";
        r.pictureSent = 0;
        r.partnerPictureSent = 0;
    }
    SeatRecord& own = seat(0);
    SeatRecord& partner = seat(1);
    Update(0);
    const std::vector<std::uint8_t> first = frame;
    QImage shownScreen;
    QImage shownPartnerView;
    const auto takeChanges = [&] {
        engine->mirrors().CopyChangeOnto(0, Mirrors::View::Screen, shownScreen);
        engine->mirrors().CopyChangeOnto(0, Mirrors::View::PartnerView, shownPartnerView);
    };
    takeChanges();

    for (int step = 0; step < 90; ++step) {
        SCOPED_TRACE(::testing::Message() << "step " << step);
        if (own.shownX == own.targetX) {
            own.targetX = own.targetX == 0.25f ? 0.75f : 0.25f;
        }
        partner.shownX = 1.0f - own.shownX;
        partner.shownY = own.shownX;
        partner.readyState = step >= 30 && step < 50 ? 1 : 0;
        if (step == 60) {
            own.shownY = own.targetY = 0.75f;  // a jump to the lower row
        }
        Update(0);
        ASSERT_EQ(state.refreshBoard[0], 1);

        SeatMirror afresh(grafikDir(), std::make_shared<PictureCache>());
        ASSERT_NO_FATAL_FAILURE(Execute(afresh, first));
        // Both views painted over whole: the frame's drawing starts from
        // nothing it left itself.
        auto blackout = std::make_unique<protocol::SendBuffer>();
        blackout->StartFrame();
        for (const std::int8_t view : {protocol::kOwnViewSlot, protocol::kPartnerViewSlot}) {
            protocol::Append(*blackout, protocol::BeginDrawing{view});
            protocol::Append(*blackout, protocol::Box{0.0f, 0.0f, 1.0f, 1.0f, 0});
        }
        ASSERT_NO_FATAL_FAILURE(Execute(afresh, blackout->FinishFrame()));
        ASSERT_NO_FATAL_FAILURE(Execute(afresh, frame));
        ASSERT_TRUE(engine->mirrors().Screen(0) == afresh.OwnView());
        ASSERT_TRUE(engine->mirrors().PartnerView(0) == afresh.PartnerView());

        if (step % 2 == 1) {
            takeChanges();
            ASSERT_TRUE(shownScreen == engine->mirrors().Screen(0));
            ASSERT_TRUE(shownPartnerView == engine->mirrors().PartnerView(0));
        }
    }
}

}  // namespace
}  // namespace quib::server
