#include "client/key_state.h"

#include <QtCore/qnamespace.h>
#include <gtest/gtest.h>

#include <bitset>
#include <ostream>
#include <string>

#include "tests/support/case_name.h"

namespace quib::client {
namespace {

std::bitset<kKeyCodeCount> Keys(std::initializer_list<int> codes) {
    std::bitset<kKeyCodeCount> keys;
    for (const int code : codes) {
        keys.set(static_cast<std::size_t>(code));
    }
    return keys;
}

TEST(KeyState, NothingPressedSamplesNothing) {
    KeyState state;
    EXPECT_EQ(state.Sample(), Keys({}));
}

TEST(KeyState, AHeldKeyIsInEverySampleUntilReleased) {
    KeyState state;
    state.Press(39);
    EXPECT_EQ(state.Sample(), Keys({39}));
    EXPECT_EQ(state.Sample(), Keys({39}));
    EXPECT_EQ(state.Sample(), Keys({39}));
    state.Release(39);
    // Released after it was sampled: no pending press is left over.
    EXPECT_EQ(state.Sample(), Keys({}));
}

TEST(KeyState, AKeyTappedBetweenTwoSamplesIsReportedOnce) {
    KeyState state;
    state.Press(32);
    state.Release(32);
    state.Press(37);
    state.Release(37);
    state.Press(37);  // tapped twice: still one report
    state.Release(37);
    EXPECT_EQ(state.Sample(), Keys({32, 37}));
    EXPECT_EQ(state.Sample(), Keys({}));
}

TEST(KeyState, HeldAndTappedKeysAreReportedTogether) {
    KeyState state;
    state.Press(40);
    EXPECT_EQ(state.Sample(), Keys({40}));
    state.Press(38);
    state.Release(38);
    EXPECT_EQ(state.Sample(), Keys({38, 40}));
    EXPECT_EQ(state.Sample(), Keys({40}));
}

TEST(KeyState, ReleaseAllForgetsHeldAndPendingKeys) {
    KeyState state;
    state.Press(39);
    state.Press(65);
    state.Release(65);
    state.ReleaseAll();
    EXPECT_EQ(state.Sample(), Keys({}));
}

TEST(KeyState, CodesOutsideTheTableAreIgnoredAndTheEdgesWork) {
    KeyState state;
    state.Press(-1);
    state.Press(256);
    state.Press(0);
    state.Press(255);
    EXPECT_EQ(state.Sample(), Keys({0, 255}));
    state.Release(-1);
    state.Release(256);
    state.Release(0);
    state.Release(255);
    EXPECT_EQ(state.Sample(), Keys({}));
}

struct MappingCase {
    std::string name;
    int qtKey;
    int vk;
};

void PrintTo(const MappingCase& row, std::ostream* os) {
    *os << row.name;
}

class VirtualKeyFromQtTest : public ::testing::TestWithParam<MappingCase> {};

TEST_P(VirtualKeyFromQtTest, MapsToTheWindowsCode) {
    EXPECT_EQ(VirtualKeyFromQt(GetParam().qtKey), GetParam().vk);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, VirtualKeyFromQtTest,
    ::testing::Values(
        MappingCase{"Space", Qt::Key_Space, 32}, MappingCase{"Left", Qt::Key_Left, 37},
        MappingCase{"Up", Qt::Key_Up, 38}, MappingCase{"Right", Qt::Key_Right, 39},
        MappingCase{"Down", Qt::Key_Down, 40}, MappingCase{"A", Qt::Key_A, 65},
        MappingCase{"Z", Qt::Key_Z, 90}, MappingCase{"Digit0", Qt::Key_0, 48},
        MappingCase{"Digit9", Qt::Key_9, 57}, MappingCase{"F1", Qt::Key_F1, 0x70},
        MappingCase{"F12", Qt::Key_F12, 0x7B}, MappingCase{"F24", Qt::Key_F24, 0x87},
        MappingCase{"Return", Qt::Key_Return, 0x0D},
        MappingCase{"KeypadEnter", Qt::Key_Enter, 0x0D},
        MappingCase{"Escape", Qt::Key_Escape, 0x1B}, MappingCase{"Tab", Qt::Key_Tab, 0x09},
        MappingCase{"ShiftTab", Qt::Key_Backtab, 0x09},
        MappingCase{"Backspace", Qt::Key_Backspace, 0x08},
        MappingCase{"Shift", Qt::Key_Shift, 0x10}, MappingCase{"Control", Qt::Key_Control, 0x11},
        MappingCase{"Alt", Qt::Key_Alt, 0x12}, MappingCase{"Insert", Qt::Key_Insert, 0x2D},
        MappingCase{"Delete", Qt::Key_Delete, 0x2E}, MappingCase{"Home", Qt::Key_Home, 0x24},
        MappingCase{"End", Qt::Key_End, 0x23}, MappingCase{"PageUp", Qt::Key_PageUp, 0x21},
        MappingCase{"PageDown", Qt::Key_PageDown, 0x22}, MappingCase{"Comma", Qt::Key_Comma, 0xBC},
        MappingCase{"Minus", Qt::Key_Minus, 0xBD},
        // Keys with no Windows code, and a lower-case letter,
        // which Qt never sends as a key.
        MappingCase{"VolumeUpHasNone", Qt::Key_VolumeUp, 0},
        MappingCase{"UnknownHasNone", Qt::Key_unknown, 0},
        MappingCase{"LowerCaseAHasNone", 'a', 0}),
    testing::CaseName());

}  // namespace
}  // namespace quib::client
