#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace quib {

// A decoded picture: 8-bit red, green, blue and alpha per pixel, not
// premultiplied, row by row from the top left, no padding between rows.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 4 bytes
};

// Largest side any PNG may have (screenshots included). Figure pictures have
// a tighter limit of their own (kMaxFigurePictureSide in picture_folder.h);
// this one only keeps a hostile or broken file from costing gigabytes.
inline constexpr int kMaxPictureSide = 8192;

// Decodes a PNG of any colour type, bit depth and interlacing. Palette and
// grey are expanded, tRNS becomes alpha, 16-bit samples are reduced to 8 bits
// (rounded), no gamma correction is applied. Returns false, with a short
// reason in *error when error is not null, for anything that is not a
// complete, valid PNG with both sides within maxSide (at most
// kMaxPictureSide); *out is then left empty. A side beyond the limit is
// refused from the header, before any pixel memory is taken.
bool DecodePng(std::span<const std::uint8_t> bytes, RgbaImage* out, std::string* error = nullptr,
               int maxSide = kMaxPictureSide);

// Reads the whole file and decodes it; a missing or unreadable file fails the
// same way as a corrupt one.
bool LoadPngFile(const std::filesystem::path& path, RgbaImage* out, std::string* error = nullptr,
                 int maxSide = kMaxPictureSide);

}  // namespace quib
