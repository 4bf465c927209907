#include "protocol/receiver.h"

#include <algorithm>
#include <cstring>

#include "common/clock.h"

namespace quib::protocol {

namespace {

bool StartsLikeMagic(std::span<const std::uint8_t> bytes) {
    const std::size_t n = std::min<std::size_t>(bytes.size(), 4);
    return std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n),
                       [](std::uint8_t b) { return b == 0xFE; });
}

}  // namespace

std::span<std::uint8_t> FrameReceiver::FreeSpace() {
    if (status_ == Status::Complete || status_ == Status::Bad) {
        return {};
    }
    return std::span<std::uint8_t>(buffer_).subspan(length_);
}

FrameReceiver::Status FrameReceiver::Received(std::size_t count, std::uint32_t nowMs) {
    if (count == 0) {
        return status_;
    }
    if (status_ == Status::Complete || status_ == Status::Bad) {
        // Bytes beyond a finished frame: the frame was followed by more.
        status_ = Status::Bad;
        return status_;
    }
    count = SkipOwedBytes(count);
    if (count == 0) {
        return status_;
    }
    lastByteMs_ = nowMs;
    length_ = std::min(length_ + count, buffer_.size());
    status_ = Classify();
    return status_;
}

std::size_t FrameReceiver::SkipOwedBytes(std::size_t count) {
    // Owed bytes only ever come before a new frame, so the read went to the
    // start of the buffer.
    const std::size_t skipped = std::min(toSkip_, count);
    if (skipped == 0) {
        return count;
    }
    toSkip_ -= skipped;
    const std::size_t rest = count - skipped;
    std::memmove(buffer_.data(), buffer_.data() + skipped, rest);
    return rest;
}

FrameReceiver::Status FrameReceiver::Expire(std::uint32_t nowMs) {
    if (status_ != Status::Incomplete || ElapsedMs(nowMs, lastByteMs_) < kCompletionLimitMs) {
        return status_;
    }
    status_ = Status::Bad;
    // An unfinished frame past its header has a valid length field, larger
    // than what is in.
    if (length_ >= kHeaderSize) {
        toSkip_ = LoadU32(buffer_.data() + 4) - length_;
    }
    return status_;
}

int FrameReceiver::MsUntilExpiry(std::uint32_t nowMs) const {
    if (status_ != Status::Incomplete) {
        return -1;
    }
    const std::uint32_t elapsed = ElapsedMs(nowMs, lastByteMs_);
    return elapsed >= kCompletionLimitMs ? 0 : static_cast<int>(kCompletionLimitMs - elapsed);
}

FrameReceiver::Status FrameReceiver::Classify() const {
    const std::span<const std::uint8_t> frame = bytes();
    if (!StartsLikeMagic(frame)) {
        return Status::Bad;
    }
    if (length_ < kHeaderSize) {
        return Status::Incomplete;
    }
    const std::uint32_t declared = LoadU32(buffer_.data() + 4);
    if (declared < kMinFrameSize || declared > kBufferSize || length_ > declared) {
        return Status::Bad;
    }
    return length_ == declared ? Status::Complete : Status::Incomplete;
}

}  // namespace quib::protocol
