#include "client/window/client_window.h"

#include <QColor>
#include <QCoreApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPalette>
#include <QRegion>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <bitset>
#include <cstddef>
#include <initializer_list>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "client/client_session.h"
#include "client/client_settings.h"
#include "client/key_state.h"
#include "common/drawing.h"
#include "common/image_change.h"
#include "protocol/frame.h"
#include "protocol/messages.h"
#include "tests/support/case_name.h"
#include "tests/support/qt_app.h"

namespace quib::client {
namespace {

// A Windows-1252 "ä" (0xE4), to see the conversion at the widget boundary.
constexpr char kCp1252Text[] = "Runde 2 \xE4";

class ClientWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { quib::testing::EnsureApplication(); }

    // Runs the queued calls posted so far.
    static void DeliverQueued() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    ClientSettings settings_;  // baseHight 450, baseFontSize 12
    KeyState keys_;
};

// Where a picture field shows its image, in window coordinates: inside the
// field's border.
QRect PictureArea(const ClientWindow& window, TextField field) {
    const PictureView* view = window.picture(field);
    const QRect contents = view->contentsRect();
    return QRect(view->mapTo(&window, contents.topLeft()), contents.size());
}

// The front image with a mark of its own colour on each edge row and column
// and grey inside.
QImage EdgeMarkedImage(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 128));
    for (int i = 0; i < side; ++i) {
        image.setPixelColor(i, 0, Qt::red);
        image.setPixelColor(i, side - 1, Qt::green);
        image.setPixelColor(0, i, Qt::blue);
        image.setPixelColor(side - 1, i, Qt::yellow);
    }
    return image;
}

TEST_F(ClientWindowTest, EveryPixelOfTheFrontImagesIsShownWhereItBelongs) {
    ClientWindow window(settings_, keys_, "Title");
    const QImage image = EdgeMarkedImage(360);
    window.ShowFrontImages(image, image);
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const auto& [field, x0] : {std::pair{TextField::Left, 16}, {TextField::Right, 392}}) {
        SCOPED_TRACE(x0);
        const int y0 = 15;
        for (int i = 1; i < 359; ++i) {
            ASSERT_EQ(shown.pixelColor(x0 + i, y0), QColor(Qt::red)) << "top row, " << i;
            ASSERT_EQ(shown.pixelColor(x0 + i, y0 + 359), QColor(Qt::green)) << "bottom row, " << i;
            ASSERT_EQ(shown.pixelColor(x0, y0 + i), QColor(Qt::blue)) << "left column, " << i;
            ASSERT_EQ(shown.pixelColor(x0 + 359, y0 + i), QColor(Qt::yellow))
                << "right column, " << i;
        }
        // The border lies outside the picture.
        EXPECT_NE(shown.pixelColor(x0 - 1, y0 + 100), QColor(Qt::blue));
        EXPECT_NE(shown.pixelColor(x0 + 360, y0 + 100), QColor(Qt::yellow));
    }
}

TEST_F(ClientWindowTest, FullScreenWindowKeepsItsMaximisedSize) {
    settings_.fullscreen = 1;
    ClientWindow window(settings_, keys_, "Title");
    window.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMaximized(); }, 2000));
    QCoreApplication::processEvents();
    const QSize maximised = window.size();
    EXPECT_EQ(window.minimumSize(), maximised);
    EXPECT_EQ(window.maximumSize(), maximised) << "no resizing";
    window.showNormal();
    QCoreApplication::processEvents();
    window.resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), maximised);
    // The fields are placed for the maximised window.
    const ScreenGeometry placed =
        ComputeScreenGeometry(450, 12, maximised.width(), maximised.height());
    EXPECT_EQ(PictureArea(window, TextField::Left).topLeft(),
              QPoint(placed.leftPicture.x, placed.leftPicture.y));
}

TEST_F(ClientWindowTest, PlacesTheFieldsForBaseHight450) {
    ClientWindow window(settings_, keys_, "Title");
    EXPECT_EQ(window.size(), QSize(768, 450));
    EXPECT_EQ(PictureArea(window, TextField::Left), QRect(16, 15, 360, 360));
    EXPECT_EQ(PictureArea(window, TextField::Right), QRect(392, 15, 360, 360));
    EXPECT_EQ(window.text(TextField::Left)->geometry().y(), 386);
    EXPECT_EQ(window.text(TextField::Left)->height(), 47);
    EXPECT_EQ(window.text(TextField::Right)->height(), 47);
}

TEST_F(ClientWindowTest, TextFieldsAreSunkenWrappingArial) {
    ClientWindow window(settings_, keys_, "Title");
    for (TextField field : {TextField::Left, TextField::Right}) {
        QLabel* label = window.text(field);
        EXPECT_EQ(label->frameShadow(), QFrame::Sunken);
        EXPECT_TRUE(label->wordWrap());
        EXPECT_EQ(label->font().family(), QStringLiteral("Arial"));
        EXPECT_EQ(label->font().pointSize(), 12);
        EXPECT_TRUE(label->text().isEmpty());
    }
}

TEST_F(ClientWindowTest, TitleIsConvertedFromWindows1252) {
    ClientWindow window(settings_, keys_, kCp1252Text);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Runde 2 \xC3\xA4"));
}

TEST_F(ClientWindowTest, QueuedTextFromAnotherThreadShowsBlankTextAndColour) {
    ClientWindow window(settings_, keys_, "Title");
    std::thread network([&window] {
        window.PostText(TextField::Right, 0x00FF9696, kCp1252Text);  // red 150, green 150, blue 255
    });
    network.join();
    // Queued, not yet shown: the posting thread touched no widget.
    EXPECT_TRUE(window.text(TextField::Right)->text().isEmpty());
    DeliverQueued();
    QLabel* label = window.text(TextField::Right);
    EXPECT_EQ(label->text(), QString::fromUtf8(" Runde 2 \xC3\xA4"));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(150, 150, 255));
    EXPECT_TRUE(window.text(TextField::Left)->text().isEmpty());
}

// The picture a computer lacks is named over the own view, as text even
// where the name looks like markup, and goes once the pictures load.
TEST_F(ClientWindowTest, AQueuedWarningLiesOverTheTopOfTheOwnViewUntilCleared) {
    ClientWindow window(settings_, keys_, "Title");
    std::thread network([&window] { window.PostWarning("Bild fehlt: grafik/<b>\xE4</b>.png"); });
    network.join();
    EXPECT_TRUE(window.warning()->isHidden()) << "shown by the posting thread";
    DeliverQueued();
    QLabel* warning = window.warning();
    EXPECT_FALSE(warning->isHidden());
    EXPECT_EQ(warning->textFormat(), Qt::PlainText);
    EXPECT_EQ(warning->text(), QString::fromUtf8("Bild fehlt: grafik/<b>\xC3\xA4</b>.png"));
    const QRect own = PictureArea(window, TextField::Left);
    EXPECT_EQ(warning->geometry().topLeft(), own.topLeft());
    EXPECT_EQ(warning->width(), own.width());
    EXPECT_GT(warning->height(), 0);
    EXPECT_LT(warning->height(), own.height() / 4);

    window.PostWarning("");
    DeliverQueued();
    EXPECT_TRUE(window.warning()->isHidden());
}

TEST_F(ClientWindowTest, NoColourKeepsTheBackground) {
    ClientWindow window(settings_, keys_, "Title");
    window.ShowText(TextField::Left, 0x00964BFF, "a");
    window.ShowText(TextField::Left, protocol::kNoColour, "b");
    EXPECT_EQ(window.text(TextField::Left)->text(), QStringLiteral(" b"));
    EXPECT_EQ(window.text(TextField::Left)->palette().color(QPalette::Window),
              QColor(255, 75, 150));
}

QImage Filled(QColor colour) {
    QImage image(360, 360, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The rectangles each picture field was asked to repaint.
class PaintedRegions : public QObject {
  public:
    explicit PaintedRegions(const ClientWindow& window) {
        for (const TextField side : {TextField::Left, TextField::Right}) {
            window.picture(side)->installEventFilter(this);
            fields_[static_cast<std::size_t>(side)] = window.picture(side);
        }
    }

    std::array<QRegion, 2> painted;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            for (std::size_t side = 0; side < 2; ++side) {
                if (watched == fields_[side]) {
                    painted[side] += static_cast<QPaintEvent*>(event)->region();
                }
            }
        }
        return false;
    }

  private:
    std::array<const QObject*, 2> fields_{};
};

TEST_F(ClientWindowTest, QueuedFrontChangesAreShownAndRepaintOnlyWhatChanged) {
    ClientWindow window(settings_, keys_, "Title");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    PaintedRegions regions(window);
    const QImage red = Filled(Qt::red);
    const QImage blue = Filled(Qt::blue);
    std::thread whole([&] {
        window.PostFrontChanges(TakeChange(red, red.rect()), TakeChange(blue, blue.rect()));
    });
    whole.join();
    DeliverQueued();
    EXPECT_EQ(window.picture(TextField::Left)->image().pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(window.picture(TextField::Right)->image().pixelColor(10, 10), QColor(Qt::blue));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !regions.painted[0].isEmpty() && !regions.painted[1].isEmpty(); }, 2000));
    regions.painted = {};

    const QRect mark(100, 50, 20, 10);
    const QImage green = Filled(Qt::green);
    std::thread part(
        [&] { window.PostFrontChanges(TakeChange(green, mark), TakeChange(blue, QRect())); });
    part.join();
    // Queued, not yet shown: the posting thread touched no widget.
    EXPECT_EQ(window.picture(TextField::Left)->image().pixelColor(mark.topLeft()), QColor(Qt::red));
    DeliverQueued();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !regions.painted[0].isEmpty(); }, 2000));

    const QImage& left = window.picture(TextField::Left)->image();
    int wrong = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            wrong += left.pixelColor(x, y) !=
                     (mark.contains(x, y) ? QColor(Qt::green) : QColor(Qt::red));
        }
    }
    EXPECT_EQ(wrong, 0) << "pixels of the left picture other than the change and red around it";
    const QPoint inside = window.picture(TextField::Left)->contentsRect().topLeft();
    EXPECT_EQ(regions.painted[0], QRegion(mark.translated(inside)));
    EXPECT_TRUE(regions.painted[1].isEmpty()) << "the right picture did not change";
    const QImage shown = window.grab().toImage();
    const QPoint onWindow = window.picture(TextField::Left)->mapTo(&window, inside);
    EXPECT_EQ(shown.pixelColor(onWindow + mark.topLeft()), QColor(Qt::green));
    EXPECT_EQ(shown.pixelColor(onWindow + mark.topLeft() - QPoint(1, 0)), QColor(Qt::red));
}

// The network thread's hand-over: a frame's presents reach the window only
// once the frame is answered, all of them in one go and as presented.
TEST_F(ClientWindowTest, PresentsReachTheWindowWhenHandedOverAsPresented) {
    ClientWindow window(settings_, keys_, "Title");
    DrawingExecutor drawing(DrawingConfig{360, 360, {}, 0.75f});
    window.ShowFrontImages(*drawing.Image(0), *drawing.Image(2));
    const QImage rightBefore = window.picture(TextField::Right)->image().copy();
    PresentHandOver handOver(drawing, window);
    ClientSession session(drawing, [](TextField, protocol::Colour, std::string_view) {});
    const ReplyInputs inputs{"test", false, nullptr};

    // Two presents in one frame, each with a box of its own, and after the
    // last one a box drawn but not presented.
    protocol::SendBuffer frame;
    frame.StartFrame();
    protocol::Append(frame, protocol::BeginDrawing{protocol::kOwnViewSlot});
    protocol::Append(frame, protocol::Box{0.1f, 0.1f, 0.2f, 0.2f, 0x0000FF});
    protocol::Append(frame, protocol::Present{});
    protocol::Append(frame, protocol::Box{0.6f, 0.5f, 0.2f, 0.3f, 0x00FF00});
    protocol::Append(frame, protocol::Present{});
    protocol::Append(frame, protocol::Box{0.4f, 0.8f, 0.1f, 0.1f, 0xFF0000});
    ASSERT_EQ(session.HandleFrame(frame.FinishFrame(), inputs).size(), 14u);
    const QImage presented = drawing.Image(0)->copy();
    DeliverQueued();
    EXPECT_EQ(window.picture(TextField::Left)->image().pixelColor(50, 50), QColor(Qt::black))
        << "nothing shown before the hand-over";

    handOver.HandOver();
    DeliverQueued();
    EXPECT_EQ(window.picture(TextField::Left)->image(), presented);
    EXPECT_EQ(window.picture(TextField::Left)->image().pixelColor(50, 50), QColor(Qt::red));
    EXPECT_EQ(window.picture(TextField::Left)->image().pixelColor(250, 220), QColor(Qt::green));
    EXPECT_EQ(window.picture(TextField::Right)->image(), rightBefore)
        << "the side no present changed stays as it was";

    handOver.HandOver();  // nothing presented since
    DeliverQueued();
    EXPECT_EQ(window.picture(TextField::Left)->image(), presented);
}

TEST_F(ClientWindowTest, KeyPressAndReleaseReachTheKeyState) {
    ClientWindow window(settings_, keys_, "Title");
    QTest::keyPress(&window, Qt::Key_Right);
    EXPECT_TRUE(keys_.Sample().test(39));
    EXPECT_TRUE(keys_.Sample().test(39));  // still held
    QTest::keyRelease(&window, Qt::Key_Right);
    EXPECT_FALSE(keys_.Sample().test(39));
}

TEST_F(ClientWindowTest, TapBetweenSamplesIsKeptAndAutoRepeatIgnored) {
    ClientWindow window(settings_, keys_, "Title");
    QTest::keyClick(&window, Qt::Key_Space);
    EXPECT_TRUE(keys_.Sample().test(32));
    EXPECT_TRUE(keys_.Sample().none());
    // An auto-repeated press alone is no new press.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(&window, &repeat);
    EXPECT_FALSE(keys_.Sample().test(38));
}

TEST_F(ClientWindowTest, TabIsAKeyNotAFocusMove) {
    ClientWindow window(settings_, keys_, "Title");
    QTest::keyPress(&window, Qt::Key_Tab);
    EXPECT_TRUE(keys_.Sample().test(9));
}

TEST_F(ClientWindowTest, ActivationSetsForegroundAndLosingItReleasesTheKeys) {
    ClientWindow window(settings_, keys_, "Title");
    EXPECT_FALSE(window.foreground().load());
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(window.foreground().load());
    QTest::keyPress(&window, Qt::Key_Left);
    ClientWindow other(settings_, keys_, "Other");
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(window.foreground().load());
    // The release never reaches the window; the key must not stay down.
    EXPECT_FALSE(keys_.Sample().test(37));
}

// Native scan codes of a PC keyboard as the X server numbers them.
constexpr quint32 kScanDigit1 = 10;
constexpr quint32 kScanLeftShift = 50;
constexpr quint32 kScanRightShift = 62;
constexpr quint32 kScanNumLock = 77;
constexpr quint32 kScanKeypad1 = 87;
constexpr quint32 kScanKeypad4 = 83;
constexpr quint32 kScanLeftArrow = 113;

constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kKeypad = Qt::KeypadModifier;
constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;

// One key event as Qt delivers it, and the codes a reply sampled right after
// it must carry.
struct KeyStep {
    QEvent::Type type;
    quint32 scanCode;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    std::vector<int> heldAfter;
};

struct KeySequenceCase {
    std::string name;
    std::vector<KeyStep> steps;
};

void PrintTo(const KeySequenceCase& row, std::ostream* os) {
    *os << row.name;
}

constexpr QEvent::Type kDown = QEvent::KeyPress;
constexpr QEvent::Type kUp = QEvent::KeyRelease;

std::bitset<kKeyCodeCount> Codes(const std::vector<int>& codes) {
    std::bitset<kKeyCodeCount> keys;
    for (const int code : codes) {
        keys.set(static_cast<std::size_t>(code));
    }
    return keys;
}

class ClientWindowKeySequenceTest : public ClientWindowTest,
                                    public ::testing::WithParamInterface<KeySequenceCase> {};

TEST_P(ClientWindowKeySequenceTest, EveryReleasedKeyIsReleased) {
    ClientWindow window(settings_, keys_, "Title");
    for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
        const KeyStep& step = GetParam().steps[i];
        QKeyEvent event(step.type, step.qtKey, step.modifiers, step.scanCode, 0, 0);
        QCoreApplication::sendEvent(&window, &event);
        EXPECT_EQ(keys_.Sample(), Codes(step.heldAfter)) << "after step " << i;
    }
}

// The events as Qt delivered them on an X server (keys sent with xdotool,
// recorded by a probe window): with NumLock on, keypad-4 is Key_4 and Shift
// turns it into the left arrow; Shift+1 is Key_Exclam, which has no Windows
// code; a Shift key's own events carry the modifier as Qt toggles it.
INSTANTIATE_TEST_SUITE_P(
    Sequences, ClientWindowKeySequenceTest,
    ::testing::Values(
        KeySequenceCase{"ShiftKeypad4WithNumLockShiftReleasedFirst",
                        {{kDown, kScanLeftShift, Qt::Key_Shift, kShift, {0x10}},
                         {kDown, kScanKeypad4, Qt::Key_Left, kShift | kKeypad, {0x10, 37}},
                         {kUp, kScanLeftShift, Qt::Key_Shift, kNone, {37}},
                         {kUp, kScanKeypad4, Qt::Key_4, kKeypad, {}}}},
        KeySequenceCase{"NumLockSwitchedOnWhileKeypad4Held",
                        {{kDown, kScanKeypad4, Qt::Key_Left, kKeypad, {37}},
                         {kDown, kScanNumLock, Qt::Key_NumLock, kNone, {37, 0x90}},
                         {kUp, kScanNumLock, Qt::Key_NumLock, kNone, {37}},
                         {kUp, kScanKeypad4, Qt::Key_4, kKeypad, {}}}},
        KeySequenceCase{"DigitThenShift",
                        {{kDown, kScanDigit1, Qt::Key_1, kNone, {0x31}},
                         {kDown, kScanLeftShift, Qt::Key_Shift, kShift, {0x31, 0x10}},
                         {kUp, kScanDigit1, Qt::Key_Exclam, kShift, {0x10}},
                         {kUp, kScanLeftShift, Qt::Key_Shift, kNone, {}}}},
        // The release of Shift+1 names Key_1 once Shift is up; it must not
        // free the 1 that keypad-1 still holds.
        KeySequenceCase{"ShiftDigitReleasedAfterShiftBesideHeldKeypad1",
                        {{kDown, kScanKeypad1, Qt::Key_1, kKeypad, {0x31}},
                         {kDown, kScanLeftShift, Qt::Key_Shift, kShift, {0x31, 0x10}},
                         {kDown, kScanDigit1, Qt::Key_Exclam, kShift, {0x31, 0x10}},
                         {kUp, kScanLeftShift, Qt::Key_Shift, kNone, {0x31}},
                         {kUp, kScanDigit1, Qt::Key_1, kNone, {0x31}},
                         {kUp, kScanKeypad1, Qt::Key_1, kKeypad, {}}}},
        KeySequenceCase{"OneShiftReleasedWhileTheOtherIsHeld",
                        {{kDown, kScanLeftShift, Qt::Key_Shift, kShift, {0x10}},
                         {kDown, kScanRightShift, Qt::Key_Shift, kNone, {0x10}},
                         {kUp, kScanLeftShift, Qt::Key_Shift, kNone, {0x10}},
                         {kUp, kScanRightShift, Qt::Key_Shift, kNone, {}}}},
        KeySequenceCase{"Keypad4WithoutNumLockTappedWhileTheArrowIsHeld",
                        {{kDown, kScanLeftArrow, Qt::Key_Left, kNone, {37}},
                         {kDown, kScanKeypad4, Qt::Key_Left, kKeypad, {37}},
                         {kUp, kScanKeypad4, Qt::Key_Left, kKeypad, {37}},
                         {kUp, kScanLeftArrow, Qt::Key_Left, kNone, {}}}},
        // A release lost on the way: the key's next press replaces the code.
        KeySequenceCase{"SecondPressOfAKeyWhoseReleaseWasLost",
                        {{kDown, kScanDigit1, Qt::Key_1, kNone, {0x31}},
                         {kDown, kScanLeftShift, Qt::Key_Shift, kShift, {0x31, 0x10}},
                         {kDown, kScanDigit1, Qt::Key_Exclam, kShift, {0x10}},
                         {kUp, kScanDigit1, Qt::Key_Exclam, kShift, {0x10}},
                         {kUp, kScanLeftShift, Qt::Key_Shift, kNone, {}}}}),
    quib::testing::CaseName());

}  // namespace
}  // namespace quib::client
