#include "protocol/messages.h"

#include <algorithm>
#include <cstring>

namespace quib::protocol {

void BodyWriter::PutByte(std::uint8_t v) {
    if (size_ < bytes_.size()) {
        bytes_[size_++] = v;
    }
}

void BodyWriter::Put(std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        PutByte(static_cast<std::uint8_t>(v >> shift));
    }
}

void BodyWriter::Put(float v) {
    Put(std::bit_cast<std::uint32_t>(v));
}

void BodyWriter::PutText(std::string_view text, std::size_t maxBytes) {
    const std::size_t n = std::min({text.size(), maxBytes, bytes_.size() - size_});
    std::memcpy(bytes_.data() + size_, text.data(), n);
    size_ += n;
}

const std::uint8_t* BodyReader::Take(std::size_t n) {
    if (!ok_ || body_.size() - position_ < n) {
        ok_ = false;
        return nullptr;
    }
    const std::uint8_t* p = body_.data() + position_;
    position_ += n;
    return p;
}

void BodyReader::Get(std::uint8_t& v) {
    const std::uint8_t* p = Take(1);
    v = p ? *p : 0;
}

void BodyReader::Get(std::int8_t& v) {
    const std::uint8_t* p = Take(1);
    v = p ? static_cast<std::int8_t>(*p) : 0;
}

void BodyReader::Get(std::uint32_t& v) {
    const std::uint8_t* p = Take(4);
    v = p ? LoadU32(p) : 0;
}

void BodyReader::Get(std::int32_t& v) {
    const std::uint8_t* p = Take(4);
    v = p ? static_cast<std::int32_t>(LoadU32(p)) : 0;
}

void BodyReader::Get(float& v) {
    const std::uint8_t* p = Take(4);
    v = p ? LoadF32(p) : 0.0f;
}

std::string_view BodyReader::TakeText(std::size_t minBytes) {
    const std::size_t rest = remaining();
    if (rest < minBytes) {
        ok_ = false;
        return {};
    }
    const char* text = reinterpret_cast<const char*>(Take(rest));
    if (text == nullptr) {
        return {};
    }
    return {text, strnlen(text, rest)};
}

bool Append(SendBuffer& buffer, const Polygon& message) {
    if (message.count < 1 || message.count > kMaxPolygonPoints) {
        return false;
    }
    BodyWriter writer;
    writer.Put(message.pen);
    writer.Put(message.brush);
    for (std::size_t i = 0; i < message.count; ++i) {
        writer.Put(message.points[i]);
    }
    return buffer.Append(static_cast<std::uint8_t>(Polygon::kType), writer.bytes());
}

bool Parse(std::span<const std::uint8_t> body, Polygon* message) {
    constexpr std::size_t kPointSize = 8;
    BodyReader reader(body);
    reader.Get(message->pen);
    reader.Get(message->brush);
    const std::size_t pointBytes = reader.remaining();
    if (!reader.ok() || pointBytes % kPointSize != 0) {
        return false;
    }
    message->count = pointBytes / kPointSize;
    if (message->count < 1 || message->count > kMaxPolygonPoints) {
        message->count = 0;
        return false;
    }
    for (std::size_t i = 0; i < message->count; ++i) {
        reader.Get(message->points[i].x);
        reader.Get(message->points[i].y);
    }
    return reader.ok();
}

}  // namespace quib::protocol
