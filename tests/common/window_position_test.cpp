#include "common/window_position.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/case_name.h"

namespace quib {
namespace {

struct PositionCase {
    const char* name;
    const char* geometry;
    std::optional<QPoint> position;
};

const PositionCase kPositionCases[] = {
    {"OffsetsOnly", "+1360+370", QPoint(1360, 370)},
    {"SizeIsIgnored", "512x300+10+20", QPoint(10, 20)},
    {"Origin", "+0+0", QPoint(0, 0)},
    {"FromTheRightEdge", "-10+20", std::nullopt},
    {"OneOffset", "+10", std::nullopt},
    {"SizeWithoutOffsets", "512x300", std::nullopt},
    {"TrailingText", "+1+2x", std::nullopt},
    {"BrokenSize", "x300+1+2", std::nullopt},
    {"NotANumber", "+a+2", std::nullopt},
    {"Empty", "", std::nullopt},
};

class WindowPositionTest : public ::testing::TestWithParam<PositionCase> {};

TEST_P(WindowPositionTest, IsReadFromTheGeometry) {
    EXPECT_EQ(ParseWindowPosition(GetParam().geometry), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(Geometries, WindowPositionTest, ::testing::ValuesIn(kPositionCases),
                         quib::testing::CaseName());

// Qt must not see the option, or it would place whatever window comes first.
TEST(TakeWindowPosition, RemovesTheOptionAndKeepsTheOtherArguments) {
    std::vector<std::string> words = {"quib_client", "/d",     "-geometry", "+1+2",
                                      "-style",      "fusion", "-geometry", "+30+40"};
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    int argc = static_cast<int>(words.size());
    EXPECT_EQ(TakeWindowPosition(argc, argv.data()), QPoint(30, 40)) << "the last one counts";
    ASSERT_EQ(argc, 4);
    EXPECT_STREQ(argv[1], "/d");
    EXPECT_STREQ(argv[2], "-style");
    EXPECT_STREQ(argv[3], "fusion");
    EXPECT_EQ(argv[4], nullptr);
}

TEST(TakeWindowPosition, WithoutTheOptionChangesNothing) {
    std::string name = "quib_server";
    std::string geometryLast = "-geometry";  // no value follows: left to Qt
    std::vector<char*> argv = {name.data(), geometryLast.data(), nullptr};
    int argc = 2;
    EXPECT_EQ(TakeWindowPosition(argc, argv.data()), std::nullopt);
    EXPECT_EQ(argc, 2);
}

}  // namespace
}  // namespace quib
