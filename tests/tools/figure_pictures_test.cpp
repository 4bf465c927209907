#include "tools/figure_pictures/figure_pictures.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "common/picture.h"
#include "testing/scratch_directory.h"
#include "tests/support/pixel_compare.h"

namespace quib::tools {
namespace {

namespace fs = std::filesystem;
using quib::testing::ComparePixels;
using quib::testing::SameRendering;
using quib::testing::ScratchDirectory;

const fs::path kCommittedFolder = fs::path(QUIB_SOURCE_DIR) / "grafik";

RgbaImage Load(const fs::path& file) {
    RgbaImage picture;
    std::string error;
    EXPECT_TRUE(LoadPngFile(file, &picture, &error)) << file << ": " << error;
    return picture;
}

std::vector<std::string> PngNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const std::string& name : quib::testing::NamesIn(folder)) {
        if (name.ends_with(".png")) {
            names.push_back(name);
        }
    }
    return names;
}

// Both programs pair pictures by the character before the extension: "1"
// marks the partner variant of the picture named with any other character.
bool IsPartnerVariant(const std::string& name) {
    return name.size() >= 5 && name[name.size() - 5] == '1';
}

std::string PartnerVariantOf(const std::string& name) {
    return name.substr(0, name.size() - 5) + "1" + name.substr(name.size() - 4);
}

std::uint8_t AlphaAt(const RgbaImage& picture, int x, int y) {
    return picture.pixels[static_cast<std::size_t>((y * picture.width + x) * 4 + 3)];
}

// Share of pixels in which some channel differs by more than a trace.
double ShareOfDifferentPixels(const RgbaImage& a, const RgbaImage& b) {
    std::size_t different = 0;
    for (std::size_t i = 0; i + 3 < a.pixels.size(); i += 4) {
        for (std::size_t c = 0; c < 4; ++c) {
            if (std::abs(a.pixels[i + c] - b.pixels[i + c]) > 32) {
                ++different;
                break;
            }
        }
    }
    return static_cast<double>(different) / static_cast<double>(a.pixels.size() / 4);
}

TEST(FigurePicturesTest, CommittedPicturesAreWhatTheGeneratorDrawsNow) {
    ScratchDirectory dir;
    std::string error;
    ASSERT_TRUE(WriteFigurePictures(dir.path() / "grafik", &error)) << error;

    const std::vector<std::string> generated = PngNames(dir.path() / "grafik");
    ASSERT_EQ(PngNames(kCommittedFolder), generated)
        << "regenerate grafik/ with quib_figure_pictures";
    for (const std::string& name : generated) {
        const RgbaImage committed = Load(kCommittedFolder / name);
        const RgbaImage fresh = Load(dir.path() / "grafik" / name);
        EXPECT_EQ(committed.width, fresh.width) << name;
        EXPECT_EQ(committed.height, fresh.height) << name;
        // Anti-aliased edges may come out a trace apart on another processor.
        const auto difference = ComparePixels(committed.pixels, fresh.pixels, 4);
        EXPECT_TRUE(SameRendering(difference))
            << name << " differs from the generator's: channels up to "
            << difference.largestChannelDifference << " apart in "
            << difference.shareOfDifferentPixels * 100 << " % of the pixels";
    }
}

// The tolerance above must still see a drawing that changed, however little.
RgbaImage ShiftedRight(const RgbaImage& picture) {
    RgbaImage shifted = picture;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = picture.width - 1; x > 0; --x) {
            for (int c = 0; c < 4; ++c) {
                shifted.pixels[static_cast<std::size_t>((y * picture.width + x) * 4 + c)] =
                    picture.pixels[static_cast<std::size_t>((y * picture.width + x - 1) * 4 + c)];
            }
        }
    }
    return shifted;
}

RgbaImage WithCentreTinted(const RgbaImage& picture, int by) {
    RgbaImage tinted = picture;
    const std::size_t centre =
        static_cast<std::size_t>((picture.height / 2 * picture.width + picture.width / 2) * 4);
    tinted.pixels[centre] = static_cast<std::uint8_t>(tinted.pixels[centre] ^ by);
    return tinted;
}

TEST(FigurePicturesTest, ComparisonToleratesProcessorRoundingButNotAChangedDrawing) {
    const RgbaImage picture = Load(kCommittedFolder / "stern0.png");
    ASSERT_GT(picture.width, 2);
    EXPECT_TRUE(SameRendering(ComparePixels(picture.pixels, picture.pixels, 4)));
    EXPECT_TRUE(
        SameRendering(ComparePixels(picture.pixels, WithCentreTinted(picture, 1).pixels, 4)))
        << "one channel one step apart";
    EXPECT_FALSE(
        SameRendering(ComparePixels(picture.pixels, WithCentreTinted(picture, 8).pixels, 4)))
        << "one pixel of another colour";
    EXPECT_FALSE(SameRendering(ComparePixels(picture.pixels, ShiftedRight(picture).pixels, 4)))
        << "the figure one pixel to the right";
}

TEST(FigurePicturesTest, EveryFigureHasADistinctPartnerVariantOfTheSameSize) {
    std::size_t figures = 0;
    for (const std::string& name : PngNames(kCommittedFolder)) {
        if (IsPartnerVariant(name)) {
            // A variant without its figure would never be offered.
            EXPECT_TRUE(fs::exists(kCommittedFolder / (name.substr(0, name.size() - 5) + "0.png")))
                << name << " has no figure";
            continue;
        }
        ++figures;
        const RgbaImage own = Load(kCommittedFolder / name);
        const RgbaImage partner = Load(kCommittedFolder / PartnerVariantOf(name));
        ASSERT_EQ(partner.width, own.width) << name;
        ASSERT_EQ(partner.height, own.height) << name;
        EXPECT_GT(ShareOfDifferentPixels(own, partner), 0.1)
            << name << " and its partner variant look alike";
    }
    EXPECT_GE(figures, 4u);
}

TEST(FigurePicturesTest, PicturesAreFigureSizedSquaresStandingFreeOnTheCell) {
    const std::vector<std::string> names = PngNames(kCommittedFolder);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) {
        const RgbaImage picture = Load(kCommittedFolder / name);
        ASSERT_EQ(picture.width, picture.height) << name;
        EXPECT_GE(picture.width, 100) << name;
        EXPECT_LE(picture.width, 130) << name;
        const int last = picture.width - 1;
        for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) {
            EXPECT_EQ(AlphaAt(picture, x, y), 0) << name << " corner " << x << "," << y;
        }
        EXPECT_EQ(AlphaAt(picture, picture.width / 2, picture.height / 2), 255) << name;
    }
}

TEST(FigurePicturesTest, FolderThatCannotBeMadeFailsWithTheReason) {
    ScratchDirectory dir;
    quib::testing::WriteBytes(dir.path() / "grafik", "a file, not a folder");
    std::string error;
    EXPECT_FALSE(WriteFigurePictures(dir.path() / "grafik" / "sub", &error));
    EXPECT_NE(error.find("grafik"), std::string::npos) << error;
    EXPECT_EQ(quib::testing::ReadBytes(dir.path() / "grafik"), "a file, not a folder");
}

}  // namespace
}  // namespace quib::tools
