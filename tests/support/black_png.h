#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quib::testing {

// A valid PNG of side x side black pixels of the given alpha: one bit per
// pixel through a one-entry palette. A few kilobytes on disk even at
// 8192 x 8192, where decoding it to 32-bit pixels costs 256 MB: the picture
// a careless lab may drop into grafik/.
inline std::string BlackPng(std::uint32_t side, std::uint8_t alpha) {
    auto be32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 8), static_cast<char>(v)};
    };
    auto chunk = [&](const std::string& type, const std::string& data) {
        const std::string body = type + data;
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
        return be32(static_cast<std::uint32_t>(data.size())) + body + be32(crc);
    };
    // Each row: filter byte 0, then side bits of palette index 0.
    const std::size_t rowBytes = 1 + (side + 7) / 8;
    const std::vector<Bytef> raw(rowBytes * side, 0);
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<Bytef> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_SPEED) != Z_OK) {
        return {};
    }
    const std::string header = be32(side) + be32(side) + std::string("\x01\x03\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
           chunk("PLTE", std::string(3, '\0')) +
           chunk("tRNS", std::string(1, static_cast<char>(alpha))) +
           chunk("IDAT", std::string(packed.begin(), packed.begin() + packedSize)) +
           chunk("IEND", "");
}

}  // namespace quib::testing

namespace quib::testing {

// Fully transparent, as such pictures usually are.
inline std::string TransparentPng(std::uint32_t side) {
    return BlackPng(side, 0);
}

}  // namespace quib::testing
