#pragma once

// The message catalogue: every message of both directions as a plain struct,
// one Append (builder) and one Parse per message.
//
// Body encodings, all little-endian and packed without padding:
//   i8 slot, u8 key, i32 mode, u32 colour (0x00BBGGRR, 0xFFFFFFFF = none),
//   f32 coordinates as fractions of a square picture field,
//   text: Windows-1252 bytes filling the rest of the message, no terminator.
//
//   example, message 226 (box), length byte 22:
//     E2 16 | x f32 | y f32 | width f32 | height f32 | colour u32
//
// Builders append to a SendBuffer and cut texts to their limits (240 bytes
// for the text lines, 100 for picture file names, 50 for the host name);
// the length byte follows from what was copied. Parsers check that the body
// holds every fixed field before reading any, so nothing is ever read past
// the message; a text ends at the end of its body or at its first zero byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "protocol/frame.h"

namespace quib::protocol {

using Colour = std::uint32_t;
inline constexpr Colour kNoColour = 0xFFFFFFFF;

// Type codes of the server's frames.
enum class ServerMessage : std::uint8_t {
    FrameStart = 30,
    RightText = 32,
    LeftText = 33,
    HostNameRequest = 35,
    BeginDrawing = 200,
    EndDrawing = 201,
    CreateImage = 210,
    LoadPicture = 211,
    FreeImage = 219,
    DrawImage = 220,
    FrontColour = 221,
    BackColour = 222,
    DrawingMode = 223,
    Plot = 224,
    Line = 225,
    Box = 226,
    Circle = 227,
    Ellipse = 228,
    Fill = 229,
    Polygon = 230,
    Present = 254,
};

// Type codes of the player program's replies.
enum class ClientMessage : std::uint8_t {
    ReplyStart = 30,
    HostName = 35,
    KeyDown = 50,
    BadFrameReport = 254,
};

inline constexpr std::size_t kMaxLineText = 240;
inline constexpr std::size_t kMaxPictureName = 100;
inline constexpr std::size_t kMaxHostName = 50;
inline constexpr std::size_t kMaxPolygonPoints = 30;

// Picture slots: -1 and -2 are the two back buffers (own view, partner view),
// 0 .. 127 the picture images.
inline constexpr std::int8_t kOwnViewSlot = -1;
inline constexpr std::int8_t kPartnerViewSlot = -2;

// Drawing modes of message 223.
inline constexpr std::int32_t kModeFilled = 0;
inline constexpr std::int32_t kModeXor = 2;
inline constexpr std::int32_t kModeOutline = 4;

// A text field with the most bytes a builder copies and the fewest a parser
// accepts.
template <std::size_t MaxBytes, std::size_t MinBytes = 0>
struct Text {
    static constexpr std::size_t kMax = MaxBytes;
    static constexpr std::size_t kMin = MinBytes;
    std::string_view value;
};

struct Point {
    float x = 0;
    float y = 0;
};

// --- server to player ------------------------------------------------------

struct FrameStart {
    static constexpr auto kType = ServerMessage::FrameStart;
};
// The player program needs at least one byte of text in a line message.
struct RightText {
    static constexpr auto kType = ServerMessage::RightText;
    Colour colour = kNoColour;
    Text<kMaxLineText, 1> text;
};
struct LeftText {
    static constexpr auto kType = ServerMessage::LeftText;
    Colour colour = kNoColour;
    Text<kMaxLineText, 1> text;
};
struct HostNameRequest {
    static constexpr auto kType = ServerMessage::HostNameRequest;
};
struct BeginDrawing {
    static constexpr auto kType = ServerMessage::BeginDrawing;
    std::int8_t slot = 0;
};
struct EndDrawing {
    static constexpr auto kType = ServerMessage::EndDrawing;
};
struct CreateImage {
    static constexpr auto kType = ServerMessage::CreateImage;
    std::int8_t slot = 0;
    float width = 0;
    float height = 0;
};
struct LoadPicture {
    static constexpr auto kType = ServerMessage::LoadPicture;
    std::int8_t slot = 0;
    Text<kMaxPictureName> fileName;
};
struct FreeImage {
    static constexpr auto kType = ServerMessage::FreeImage;
    std::int8_t slot = 0;
};
struct DrawImage {
    static constexpr auto kType = ServerMessage::DrawImage;
    std::int8_t slot = 0;
    float x = 0;
    float y = 0;
};
struct FrontColour {
    static constexpr auto kType = ServerMessage::FrontColour;
    Colour colour = 0;
};
struct BackColour {
    static constexpr auto kType = ServerMessage::BackColour;
    Colour colour = 0;
};
struct DrawingMode {
    static constexpr auto kType = ServerMessage::DrawingMode;
    std::int32_t mode = kModeFilled;
};
struct Plot {
    static constexpr auto kType = ServerMessage::Plot;
    float x = 0;
    float y = 0;
    Colour colour = 0;
};
struct Line {
    static constexpr auto kType = ServerMessage::Line;
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;
    Colour colour = 0;
};
struct Box {
    static constexpr auto kType = ServerMessage::Box;
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    Colour colour = 0;
};
struct Circle {
    static constexpr auto kType = ServerMessage::Circle;
    float x = 0;
    float y = 0;
    float radius = 0;
    Colour colour = 0;
};
struct Ellipse {
    static constexpr auto kType = ServerMessage::Ellipse;
    float x = 0;
    float y = 0;
    float radiusX = 0;
    float radiusY = 0;
    Colour colour = 0;
};
// borderColour kNoColour: fill the area that has the colour of the start pixel.
struct Fill {
    static constexpr auto kType = ServerMessage::Fill;
    float x = 0;
    float y = 0;
    Colour borderColour = kNoColour;
    Colour colour = 0;
};
// 1 to 30 points; n = (length byte - 10) / 8.
struct Polygon {
    static constexpr auto kType = ServerMessage::Polygon;
    Colour pen = 0;
    Colour brush = 0;
    std::array<Point, kMaxPolygonPoints> points{};
    std::size_t count = 0;
};
struct Present {
    static constexpr auto kType = ServerMessage::Present;
};

// --- player to server ------------------------------------------------------

struct ReplyStart {
    static constexpr auto kType = ClientMessage::ReplyStart;
};
struct HostName {
    static constexpr auto kType = ClientMessage::HostName;
    Text<kMaxHostName> name;
};
struct KeyDown {
    static constexpr auto kType = ClientMessage::KeyDown;
    std::uint8_t key = 0;
    std::uint8_t value = 1;
};
struct BadFrameReport {
    static constexpr auto kType = ClientMessage::BadFrameReport;
};

// The fields of each fixed-layout message in wire order. One list serves
// both the builder and the parser, so the two cannot drift apart.
template <typename M, typename T>
concept MessageOf = std::same_as<std::remove_const_t<M>, T>;

template <typename M>
requires MessageOf<M, FrameStart> || MessageOf<M, HostNameRequest> || MessageOf<M, EndDrawing> ||
    MessageOf<M, Present> || MessageOf<M, ReplyStart> || MessageOf<M, BadFrameReport>
auto Fields(M&) {
    return std::tuple<>();
}
template <typename M>
requires MessageOf<M, RightText> || MessageOf<M, LeftText>
auto Fields(M& m) {
    return std::tie(m.colour, m.text);
}
template <typename M>
requires MessageOf<M, BeginDrawing> || MessageOf<M, FreeImage>
auto Fields(M& m) {
    return std::tie(m.slot);
}
template <MessageOf<CreateImage> M>
auto Fields(M& m) {
    return std::tie(m.slot, m.width, m.height);
}
template <MessageOf<LoadPicture> M>
auto Fields(M& m) {
    return std::tie(m.slot, m.fileName);
}
template <MessageOf<DrawImage> M>
auto Fields(M& m) {
    return std::tie(m.slot, m.x, m.y);
}
template <typename M>
requires MessageOf<M, FrontColour> || MessageOf<M, BackColour>
auto Fields(M& m) {
    return std::tie(m.colour);
}
template <MessageOf<DrawingMode> M>
auto Fields(M& m) {
    return std::tie(m.mode);
}
template <MessageOf<Plot> M>
auto Fields(M& m) {
    return std::tie(m.x, m.y, m.colour);
}
template <MessageOf<Line> M>
auto Fields(M& m) {
    return std::tie(m.x1, m.y1, m.x2, m.y2, m.colour);
}
template <MessageOf<Box> M>
auto Fields(M& m) {
    return std::tie(m.x, m.y, m.width, m.height, m.colour);
}
template <MessageOf<Circle> M>
auto Fields(M& m) {
    return std::tie(m.x, m.y, m.radius, m.colour);
}
template <MessageOf<Ellipse> M>
auto Fields(M& m) {
    return std::tie(m.x, m.y, m.radiusX, m.radiusY, m.colour);
}
template <MessageOf<Fill> M>
auto Fields(M& m) {
    return std::tie(m.x, m.y, m.borderColour, m.colour);
}
template <MessageOf<HostName> M>
auto Fields(M& m) {
    return std::tie(m.name);
}
template <MessageOf<KeyDown> M>
auto Fields(M& m) {
    return std::tie(m.key, m.value);
}

template <typename M>
concept FixedMessage = requires(M& m) {
    Fields(m);
};

// Writes a message body field by field into a stack buffer of the largest
// body size; no allocation.
class BodyWriter {
  public:
    void Put(std::uint8_t v) { PutByte(v); }
    void Put(std::int8_t v) { PutByte(static_cast<std::uint8_t>(v)); }
    void Put(std::uint32_t v);
    void Put(std::int32_t v) { Put(static_cast<std::uint32_t>(v)); }
    void Put(float v);
    template <std::size_t Max, std::size_t Min>
    void Put(const Text<Max, Min>& text) {
        PutText(text.value, Max);
    }
    void Put(const Point& p) {
        Put(p.x);
        Put(p.y);
    }
    std::span<const std::uint8_t> bytes() const { return {bytes_.data(), size_}; }

  private:
    void PutByte(std::uint8_t v);
    void PutText(std::string_view text, std::size_t maxBytes);

    std::array<std::uint8_t, kMaxBodySize> bytes_{};
    std::size_t size_ = 0;
};

// Reads a body field by field; the first field that does not fit turns ok()
// false and every later read yields zero.
class BodyReader {
  public:
    explicit BodyReader(std::span<const std::uint8_t> body) : body_(body) {}
    void Get(std::uint8_t& v);
    void Get(std::int8_t& v);
    void Get(std::uint32_t& v);
    void Get(std::int32_t& v);
    void Get(float& v);
    template <std::size_t Max, std::size_t Min>
    void Get(Text<Max, Min>& text) {
        text.value = TakeText(Min);
    }
    std::size_t remaining() const { return ok_ ? body_.size() - position_ : 0; }
    bool ok() const { return ok_; }

  private:
    const std::uint8_t* Take(std::size_t n);
    std::string_view TakeText(std::size_t minBytes);

    std::span<const std::uint8_t> body_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

// Appends one message; false when it does not fit (see SendBuffer::Append).
template <FixedMessage M>
bool Append(SendBuffer& buffer, const M& message) {
    BodyWriter writer;
    std::apply([&writer](const auto&... field) { (writer.Put(field), ...); }, Fields(message));
    return buffer.Append(static_cast<std::uint8_t>(M::kType), writer.bytes());
}
// Polygons with no point or more than 30 are refused.
bool Append(SendBuffer& buffer, const Polygon& message);

// Decodes one body; false when a fixed field is missing, a text is shorter
// than its message allows, or (polygon) the points are not 1 to 30 whole
// 8-byte points. Bytes after the last fixed field are ignored.
template <FixedMessage M>
bool Parse(std::span<const std::uint8_t> body, M* message) {
    BodyReader reader(body);
    std::apply([&reader](auto&... field) { (reader.Get(field), ...); }, Fields(*message));
    return reader.ok();
}
bool Parse(std::span<const std::uint8_t> body, Polygon* message);

}  // namespace quib::protocol
