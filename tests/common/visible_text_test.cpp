#include "common/visible_text.h"

#include <gtest/gtest.h>
#include <QChar>
#include <QString>

#include <string>

#include "common/codepage.h"
#include "tests/support/case_name.h"

namespace quib {
namespace {

// Judged by what the widgets receive: the character the byte becomes at the
// widget boundary, and whether Qt counts it as a control.
TEST(VisibleTextTest, ExactlyTheBytesThatReachTheWidgetsAsControlsBecomeBlanks) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string text = std::string("a") + static_cast<char>(byte) + "z";
        const QString shown = QString::fromStdString(Cp1252ToUtf8(text));
        ASSERT_EQ(shown.size(), 3) << byte;
        const bool control = shown[1].category() == QChar::Other_Control;
        EXPECT_EQ(BlankControls(text), control ? std::string("a z") : text) << "byte " << byte;
    }
}

struct HostCase {
    const char* name;
    std::string received;
    std::string shown;
};

class BlankControlsTest : public ::testing::TestWithParam<HostCase> {};

TEST_P(BlankControlsTest, GivesTheOneLineText) {
    EXPECT_EQ(BlankControls(GetParam().received), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    HostNames, BlankControlsTest,
    ::testing::Values(HostCase{"LineBreaks", "labor\r\n07\n", "labor  07 "},
                      HostCase{"TabAndEscape", "\tlab\x1B[2J", " lab [2J"},
                      HostCase{"ZeroInside", std::string("lab\0or", 6), "lab or"},
                      HostCase{"MarkupStaysAsTyped", "<img src=\"/dev/zero\">",
                               "<img src=\"/dev/zero\">"},
                      HostCase{"UmlautsAndEuroStay", "B\xFCro-\x80", "B\xFCro-\x80"},
                      HostCase{"Empty", "", ""}),
    quib::testing::CaseName());

}  // namespace
}  // namespace quib
