// The figure list's entries: which pictures a game can show, and why not.

#include "server/core/window/figure_icons.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QString>

#include <string>
#include <vector>

#include "protocol/messages.h"
#include "testing/scratch_directory.h"

namespace quib::server {
namespace {

using quib::testing::ScratchDirectory;
using quib::testing::WriteBytes;

void WritePicture(const std::filesystem::path& file) {
    QImage picture(8, 8, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "PNG"));
}

// A figure name of `bytes` bytes: "<letter>" repeated, then "0.png".
std::string NameOfLength(char letter, std::size_t bytes) {
    return std::string(bytes - 5, letter) + "0.png";
}

// The wire carries picture names of up to 100 bytes: a name of exactly
// that many is sent whole and usable, one byte more would reach the players
// cut and is listed as unusable, as is a picture that does not load.
TEST(ListFigurePictures, MarksWhatNoGameCanShowWithItsReason) {
    ASSERT_EQ(protocol::kMaxPictureName, 100u);
    ScratchDirectory dir;
    const std::string longest = NameOfLength('a', 100);
    const std::string tooLong = NameOfLength('b', 101);
    ASSERT_NO_FATAL_FAILURE(WritePicture(dir.path() / longest));
    ASSERT_NO_FATAL_FAILURE(WritePicture(dir.path() / tooLong));
    WriteBytes(dir.path() / "c0.png", "not a picture");

    PictureCache pictures;
    const std::vector<FigureEntry> figures = ListFigurePictures(dir.path(), pictures);

    ASSERT_EQ(figures.size(), 3u);
    EXPECT_EQ(figures[0].fileName, longest);
    EXPECT_TRUE(figures[0].usable);
    EXPECT_EQ(figures[0].problem, FigureProblem::None);
    EXPECT_EQ(figures[1].fileName, tooLong);
    EXPECT_FALSE(figures[1].usable);
    EXPECT_EQ(figures[1].problem, FigureProblem::NameTooLong);
    EXPECT_EQ(figures[2].fileName, "c0.png");
    EXPECT_FALSE(figures[2].usable);
    EXPECT_EQ(figures[2].problem, FigureProblem::NotLoadable);
}

}  // namespace
}  // namespace quib::server
