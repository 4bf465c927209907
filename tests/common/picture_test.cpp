#include "common/picture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "testing/scratch_directory.h"

namespace quib {
namespace {

namespace fs = std::filesystem;

fs::path SuitePngDir() {
    return fs::path(QUIB_SHARED_DIR) / "pngsuite" / "png";
}
fs::path SuiteJsonDir() {
    return fs::path(QUIB_SHARED_DIR) / "pngsuite" / "json";
}

// Stands in for the image list when the suite folder is missing or empty, so
// the run fails instead of quietly testing nothing.
const std::string kNoSuiteImages = "NoSuiteImagesFound";

std::vector<std::string> ListSuiteImages(bool corrupt) {
    std::vector<std::string> names;
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(SuitePngDir(), code)) {
        const fs::path& path = entry.path();
        const std::string name = path.stem().string();
        if (path.extension() == ".png" && !name.empty() && (name.front() == 'x') == corrupt) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) {
        names.push_back(kNoSuiteImages);
    }
    return names;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// The reference files are flat arrays of non-negative integers: "[1, 2, 3]".
std::optional<std::vector<int>> ReadNumberArray(const fs::path& path) {
    std::ifstream stream(path);
    const std::string text{std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>()};
    const std::size_t open = text.find('[');
    if (open == std::string::npos) {
        return std::nullopt;
    }
    std::vector<int> numbers;
    int number = 0;
    bool in_number = false;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number = number * 10 + (c - '0');
            in_number = true;
            if (number > 65535) {
                return std::nullopt;  // no sample is wider than 16 bits
            }
            continue;
        }
        if (in_number) {
            numbers.push_back(number);
            number = 0;
            in_number = false;
        }
        if (c == ']') {
            return numbers;
        }
        if (c != ',' && std::isspace(static_cast<unsigned char>(c)) == 0) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Where the IHDR fields sit in a PNG file: after the signature, the chunk
// length and the chunk type.
constexpr std::size_t kWidthOffset = 16;
constexpr std::size_t kHeightOffset = 20;
constexpr std::size_t kBitDepthOffset = 24;

std::uint32_t BigEndian32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return std::uint32_t{bytes.at(offset)} << 24 | std::uint32_t{bytes.at(offset + 1)} << 16 |
           std::uint32_t{bytes.at(offset + 2)} << 8 | std::uint32_t{bytes.at(offset + 3)};
}

::testing::AssertionResult PixelsMatch(const std::vector<std::uint8_t>& decoded,
                                       const std::vector<int>& expected, int tolerance) {
    if (decoded.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "decoded " << decoded.size() << " bytes, reference has " << expected.size();
    }
    std::size_t mismatches = 0;
    std::size_t first = 0;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (std::abs(decoded[i] - expected[i]) > tolerance && mismatches++ == 0) {
            first = i;
        }
    }
    if (mismatches != 0) {
        return ::testing::AssertionFailure()
               << mismatches << " samples differ; first: pixel " << first / 4 << " channel "
               << first % 4 << " decoded " << int{decoded[first]} << ", expected "
               << expected[first];
    }
    return ::testing::AssertionSuccess();
}

// A picture left over from an earlier decode, to show a failure clears it.
RgbaImage StalePicture() {
    return RgbaImage{2, 1, std::vector<std::uint8_t>(8, 0x7F)};
}

::testing::AssertionResult FailedCleanly(bool decoded, const RgbaImage& picture,
                                         const std::string& error) {
    if (decoded) {
        return ::testing::AssertionFailure() << "reported success";
    }
    if (picture.width != 0 || picture.height != 0 || !picture.pixels.empty()) {
        return ::testing::AssertionFailure()
               << "left a " << picture.width << "x" << picture.height << " picture with "
               << picture.pixels.size() << " bytes";
    }
    if (error.empty()) {
        return ::testing::AssertionFailure() << "gave no reason";
    }
    return ::testing::AssertionSuccess();
}

std::string NameOf(const ::testing::TestParamInfo<std::string>& info) {
    return info.param;
}

class ValidSuiteImage : public ::testing::TestWithParam<std::string> {};

// The expected 8-bit RGBA samples of a suite image. 16-bit images come with
// 8-bit values in NAME_to8.json; where that file is missing, the 16-bit values
// of NAME.json are reduced here.
std::optional<std::vector<int>> ReferencePixels(const std::string& name, bool sixteen_bit) {
    const fs::path reduced = SuiteJsonDir() / (name + "_to8.json");
    if (!sixteen_bit || fs::exists(reduced)) {
        return ReadNumberArray(sixteen_bit ? reduced : SuiteJsonDir() / (name + ".json"));
    }
    std::optional<std::vector<int>> samples = ReadNumberArray(SuiteJsonDir() / (name + ".json"));
    if (samples) {
        for (int& sample : *samples) {
            sample = static_cast<int>(std::lround(sample * 255.0 / 65535.0));
        }
    }
    return samples;
}

TEST_P(ValidSuiteImage, DecodesToTheReferencePixels) {
    ASSERT_NE(GetParam(), kNoSuiteImages) << "no PngSuite images in " << SuitePngDir();
    const fs::path png = SuitePngDir() / (GetParam() + ".png");
    const std::vector<std::uint8_t> file = ReadBytes(png);
    ASSERT_GT(file.size(), kBitDepthOffset) << "cannot read " << png;
    const bool sixteen_bit = file[kBitDepthOffset] == 16;
    const std::optional<std::vector<int>> expected = ReferencePixels(GetParam(), sixteen_bit);
    ASSERT_TRUE(expected.has_value()) << "no readable reference pixels for " << GetParam();

    RgbaImage picture;
    std::string error;
    ASSERT_TRUE(LoadPngFile(png, &picture, &error)) << error;
    EXPECT_EQ(std::uint32_t(picture.width), BigEndian32(file, kWidthOffset));
    EXPECT_EQ(std::uint32_t(picture.height), BigEndian32(file, kHeightOffset));
    EXPECT_EQ(std::size_t(picture.width) * std::size_t(picture.height) * 4, expected->size());
    // Reducing 16 bits to 8 may round either way of the reference.
    EXPECT_TRUE(PixelsMatch(picture.pixels, *expected, sixteen_bit ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(PngSuite, ValidSuiteImage, ::testing::ValuesIn(ListSuiteImages(false)),
                         NameOf);

class CorruptSuiteImage : public ::testing::TestWithParam<std::string> {};

TEST_P(CorruptSuiteImage, IsRejectedCleanly) {
    ASSERT_NE(GetParam(), kNoSuiteImages) << "no corrupt PngSuite images in " << SuitePngDir();
    RgbaImage picture = StalePicture();
    std::string error;
    const bool decoded = LoadPngFile(SuitePngDir() / (GetParam() + ".png"), &picture, &error);
    EXPECT_TRUE(FailedCleanly(decoded, picture, error));
}

INSTANTIATE_TEST_SUITE_P(PngSuite, CorruptSuiteImage, ::testing::ValuesIn(ListSuiteImages(true)),
                         NameOf);

TEST(DecodePng, TruncatedFileFailsCleanly) {
    // Interlaced, so every pass is read before the cut shows.
    const std::vector<std::uint8_t> whole = ReadBytes(SuitePngDir() / "basi6a08.png");
    ASSERT_GT(whole.size(), 100u) << "cannot read the PngSuite image";
    RgbaImage uncut;
    std::string uncut_error;
    ASSERT_TRUE(DecodePng(whole, &uncut, &uncut_error)) << uncut_error;

    for (const std::size_t length : {std::size_t{0}, std::size_t{7}, std::size_t{8},
                                     std::size_t{33}, whole.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE("cut after " + std::to_string(length) + " bytes");
        // A buffer of exactly the cut length, so reading past it is caught.
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + length);
        RgbaImage picture = StalePicture();
        std::string error;
        const bool decoded = DecodePng(cut, &picture, &error);
        EXPECT_TRUE(FailedCleanly(decoded, picture, error));
    }
}

TEST(LoadPngFile, MissingFileOrFolderFailsCleanly) {
    const fs::path here = fs::current_path();
    for (const fs::path& path : {here / "no-such-folder" / "figure.png", here}) {
        SCOPED_TRACE(path.string());
        RgbaImage picture = StalePicture();
        std::string error;
        const bool decoded = LoadPngFile(path, &picture, &error);
        EXPECT_TRUE(FailedCleanly(decoded, picture, error));
    }
}

// A file far larger than any picture within the caller's side limit is
// refused from its size, before a byte of it is read. The file is sparse,
// so it costs no disk space.
TEST(LoadPngFile, FileTooLargeForTheSideLimitIsNotRead) {
    const quib::testing::ScratchDirectory dir;
    const fs::path file = dir.path() / "huge.png";
    std::ofstream(file, std::ios::binary).put('\0');
    constexpr int kSide = 2048;
    constexpr std::uintmax_t kUncompressed16BitRgba = std::uintmax_t{kSide} * kSide * 8;
    fs::resize_file(file, kUncompressed16BitRgba + (std::uintmax_t{64} << 20) + 1);
    RgbaImage picture = StalePicture();
    std::string error;
    const bool decoded = LoadPngFile(file, &picture, &error, kSide);
    EXPECT_TRUE(FailedCleanly(decoded, picture, error));
    EXPECT_EQ(error, "file too large for a picture");
}

// Both programs decode on their network threads at the same time; results
// must not leak between concurrent decodes.
TEST(DecodePng, ConcurrentDecodesKeepTheirOwnResults) {
    const std::vector<std::string> names = {"basn0g01", "basi3p02", "basn6a16", "xcsn0g01"};
    struct Outcome {
        bool decoded = false;
        RgbaImage picture;
        std::string error;
    };
    std::vector<std::vector<std::uint8_t>> files;
    std::vector<Outcome> alone(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        files.push_back(ReadBytes(SuitePngDir() / (names[i] + ".png")));
        ASSERT_FALSE(files.back().empty()) << "cannot read " << names[i];
        alone[i].decoded = DecodePng(files[i], &alone[i].picture, &alone[i].error);
    }

    constexpr int kRounds = 50;
    std::vector<int> mismatches(names.size(), 0);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < names.size(); ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; round < kRounds; ++round) {
                Outcome outcome;
                outcome.decoded = DecodePng(files[i], &outcome.picture, &outcome.error);
                if (outcome.decoded != alone[i].decoded || outcome.error != alone[i].error ||
                    outcome.picture.pixels != alone[i].picture.pixels) {
                    ++mismatches[i];
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(mismatches[i], 0) << names[i];
    }
}

void AppendBigEndian32(std::vector<std::uint8_t>* out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out->push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void AppendChunk(std::vector<std::uint8_t>* png, const char (&type)[5],
                 const std::vector<std::uint8_t>& data) {
    AppendBigEndian32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t checked_from = png->size();
    png->insert(png->end(), type, type + 4);
    png->insert(png->end(), data.begin(), data.end());
    const uLong crc = crc32(0, png->data() + checked_from, static_cast<uInt>(4 + data.size()));
    AppendBigEndian32(png, static_cast<std::uint32_t>(crc));
}

constexpr std::uint8_t kFillPixel[4] = {10, 20, 30, 40};

// An 8-bit RGBA PNG declaring the given sides, every pixel kFillPixel. The
// image data is complete where that stays small; huge declared sizes get a
// short stream, as a hostile file would.
std::vector<std::uint8_t> MakeRgbaPng(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    AppendBigEndian32(&header, width);
    AppendBigEndian32(&header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // depth, RGBA, deflate, filters, progressive
    AppendChunk(&png, "IHDR", header);

    const std::uint64_t row_bytes = 1 + std::uint64_t{width} * 4;
    const std::uint64_t raw_bytes = std::min<std::uint64_t>(row_bytes * height, 1 << 20);
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(raw_bytes));
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const std::uint64_t column = i % row_bytes;  // 0 is the row's filter byte: none
        raw[i] = column == 0 ? 0 : kFillPixel[(column - 1) % 4];
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> packed(packed_size);
    EXPECT_EQ(compress(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size())),
              Z_OK);
    packed.resize(packed_size);
    AppendChunk(&png, "IDAT", packed);
    AppendChunk(&png, "IEND", {});
    return png;
}

struct DeclaredSize {
    std::uint32_t width;
    std::uint32_t height;
    bool accepted;
};

class DeclaredSizeTest : public ::testing::TestWithParam<DeclaredSize> {};

std::string SizeName(const ::testing::TestParamInfo<DeclaredSize>& info) {
    return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

TEST_P(DeclaredSizeTest, IsHeldToTheSideLimit) {
    const DeclaredSize size = GetParam();
    const std::vector<std::uint8_t> png = MakeRgbaPng(size.width, size.height);
    RgbaImage picture = StalePicture();
    std::string error;
    const bool decoded = DecodePng(png, &picture, &error);

    if (!size.accepted) {
        // A size past the limit is refused from the header; were the pixels
        // allocated first, the sanitizer build would stop at the huge request.
        EXPECT_TRUE(FailedCleanly(decoded, picture, error));
        return;
    }
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(std::uint32_t(picture.width), size.width);
    EXPECT_EQ(std::uint32_t(picture.height), size.height);
    ASSERT_EQ(picture.pixels.size(), std::size_t{size.width} * size.height * 4);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        ASSERT_EQ(picture.pixels[i], kFillPixel[i % 4]) << "byte " << i;
    }
}

constexpr std::uint32_t kSide = kMaxPictureSide;

INSTANTIATE_TEST_SUITE_P(
    Crafted, DeclaredSizeTest,
    ::testing::Values(DeclaredSize{1, 1, true}, DeclaredSize{kSide, 1, true},
                      DeclaredSize{1, kSide, true}, DeclaredSize{kSide + 1, 1, false},
                      DeclaredSize{1, kSide + 1, false}, DeclaredSize{100000, 1, false},
                      DeclaredSize{1, 100000, false}, DeclaredSize{100000, 100000, false},
                      DeclaredSize{0, 1, false}, DeclaredSize{1, 0, false}),
    SizeName);

}  // namespace
}  // namespace quib
