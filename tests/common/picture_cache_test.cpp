#include "common/picture_cache.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/picture_folder.h"
#include "testing/scratch_directory.h"
#include "tests/support/black_png.h"
#include "tests/support/case_name.h"

namespace quib {
namespace {

using quib::testing::ScratchDirectory;
using quib::testing::TransparentPng;
using quib::testing::WriteBytes;

void SaveSolid(const std::filesystem::path& file, int width, int height, QRgb colour) {
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(colour);
    ASSERT_TRUE(picture.save(QString::fromStdString(file.string()), "PNG"));
}

// Sets the file's modification time a whole second away from what it was,
// so the change shows on any file system's time resolution.
void ShiftModificationTime(const std::filesystem::path& file) {
    std::filesystem::last_write_time(
        file, std::filesystem::last_write_time(file) + std::chrono::seconds(1));
}

QRgb CentreOf(const QImage& image) {
    return image.pixel(image.width() / 2, image.height() / 2);
}

constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kRed = 0xFFFF0000;

// What happens to the picture file between two requests for it.
struct FileChange {
    std::string name;
    std::function<void(const std::filesystem::path& file)> change;
    bool decodedAgain;
    QRgb colourAfter;
};

void PrintTo(const FileChange& c, std::ostream* os) {
    *os << c.name;
}

const FileChange kFileChanges[] = {
    {"Unchanged", [](const std::filesystem::path&) {}, false, kBlue},
    {"RewrittenInPlace",
     [](const std::filesystem::path& file) {
         const auto before = std::filesystem::last_write_time(file);
         SaveSolid(file, 32, 32, kRed);
         std::filesystem::last_write_time(file, before + std::chrono::seconds(1));
     },
     true, kRed},
    {"TouchedOnly", ShiftModificationTime, true, kBlue},
    // A new inode, with the old file's size and time: only the identity of
    // the file itself tells the versions apart.
    {"ReplacedByAnother",
     [](const std::filesystem::path& file) {
         const std::filesystem::path other = file.parent_path() / "other.png";
         SaveSolid(other, 32, 32, kRed);
         std::filesystem::last_write_time(other, std::filesystem::last_write_time(file));
         std::filesystem::rename(other, file);
     },
     true, kRed},
};

class PictureCacheChangeTest : public ::testing::TestWithParam<FileChange> {};

// Asked for at both of the server mirror's sizes, the picture is decoded
// once; once the file changes it is decoded again and the new version shown.
TEST_P(PictureCacheChangeTest, DecodesEachVersionOfAFileOnce) {
    ScratchDirectory dir;
    const std::filesystem::path file = dir.path() / "figur0.png";
    SaveSolid(file, 32, 32, kBlue);
    PictureCache cache;
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(cache.Picture(file, 1.0f).size(), QSize(32, 32));
        EXPECT_EQ(cache.Picture(file, 0.5f).size(), QSize(16, 16));
    }
    ASSERT_EQ(cache.Decodes(), 1u);

    GetParam().change(file);
    const QImage full = cache.Picture(file, 1.0f);
    const QImage half = cache.Picture(file, 0.5f);
    EXPECT_EQ(cache.Decodes(), GetParam().decodedAgain ? 2u : 1u);
    EXPECT_EQ(CentreOf(full), GetParam().colourAfter);
    EXPECT_EQ(CentreOf(half), GetParam().colourAfter);
}

INSTANTIATE_TEST_SUITE_P(, PictureCacheChangeTest, ::testing::ValuesIn(kFileChanges),
                         quib::testing::CaseName());

// A picture beyond the figure side limit is refused from its header, and
// the refusal is kept: the file is not read again until it changes.
TEST(PictureCache, OversizedPictureIsRefusedOnceUntilItChanges) {
    ScratchDirectory dir;
    const std::filesystem::path file = dir.path() / "big.png";
    WriteBytes(file, TransparentPng(8192));
    PictureCache cache;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(cache.Picture(file, 1.0f).isNull());
    }
    EXPECT_EQ(cache.Decodes(), 1u);

    WriteBytes(file, TransparentPng(kMaxFigurePictureSide));
    ShiftModificationTime(file);
    const QImage atLimit = cache.Picture(file, 1.0f);
    EXPECT_EQ(atLimit.size(), QSize(kMaxFigurePictureSide, kMaxFigurePictureSide));
    EXPECT_EQ(qAlpha(CentreOf(atLimit)), 0);
    EXPECT_EQ(cache.Decodes(), 2u);
}

TEST(PictureCache, MissingFileIsNullAndDecodesNothing) {
    ScratchDirectory dir;
    PictureCache cache;
    EXPECT_TRUE(cache.Picture(dir.path() / "none.png", 1.0f).isNull());
    EXPECT_EQ(cache.Decodes(), 0u);
}

// The executor's check of the drawn size (image side, pixel budget) comes
// before the resize, and a refused size leaves the decoded picture cached.
TEST(PictureCache, RefusedDrawnSizeGivesNullWithoutDecodingAgain) {
    ScratchDirectory dir;
    const std::filesystem::path file = dir.path() / "p.png";
    SaveSolid(file, 40, 20, kBlue);
    PictureCache cache;
    QSize asked;
    EXPECT_TRUE(cache
                    .Picture(file, 2.0f,
                             [&](QSize size) {
                                 asked = size;
                                 return false;
                             })
                    .isNull());
    EXPECT_EQ(asked, QSize(80, 40));
    EXPECT_EQ(cache.Picture(file, 2.0f, [](QSize) { return true; }).size(), QSize(80, 40));
    EXPECT_EQ(cache.Decodes(), 1u);
}

// Threads asking at once for a picture no one has decoded yet wait for the
// one decode instead of each decoding the file, and share its pixels.
TEST(PictureCache, ConcurrentRequestsShareOneDecode) {
    ScratchDirectory dir;
    const std::filesystem::path file = dir.path() / "figur0.png";
    SaveSolid(file, 1024, 1024, kBlue);
    PictureCache cache;
    constexpr int kThreads = 8;
    std::vector<QImage> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] { results[t] = cache.Picture(file, t % 2 ? 0.5f : 1.0f); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(cache.Decodes(), 1u);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_FALSE(results[t].isNull());
        EXPECT_EQ(results[t].cacheKey(), results[t % 2].cacheKey()) << "thread " << t;
    }
}

// Over its byte bound the cache lets go of the picture used longest ago.
TEST(PictureCache, ByteBoundDropsTheLeastRecentlyUsed) {
    ScratchDirectory dir;
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        SaveSolid(dir.path() / name, 64, 64, kBlue);
    }
    constexpr std::int64_t kPictureBytes = 64 * 64 * 4;
    PictureCache cache(2 * kPictureBytes);
    auto ask = [&](const char* name) { return !cache.Picture(dir.path() / name, 1.0f).isNull(); };

    ASSERT_TRUE(ask("a.png") && ask("b.png") && ask("a.png") && ask("c.png"));
    EXPECT_EQ(cache.Decodes(), 3u);
    ASSERT_TRUE(ask("a.png") && ask("c.png"));
    EXPECT_EQ(cache.Decodes(), 3u) << "a and c stay";
    ASSERT_TRUE(ask("b.png"));
    EXPECT_EQ(cache.Decodes(), 4u) << "b was dropped";
}

}  // namespace
}  // namespace quib
