#include "server/engine/picture_check.h"

#include <algorithm>
#include <utility>

#include "protocol/frame.h"
#include "protocol/messages.h"

namespace quib::server {

std::vector<std::string> LoadedPictureNames(std::span<const std::uint8_t> frame) {
    std::vector<std::string> names;
    protocol::ParseMessages(frame, [&names](std::uint8_t type, std::span<const std::uint8_t> body) {
        protocol::LoadPicture load;
        if (type == static_cast<std::uint8_t>(protocol::ServerMessage::LoadPicture) &&
            protocol::Parse(body, &load) &&
            std::find(names.begin(), names.end(), load.fileName.value) == names.end()) {
            names.emplace_back(load.fileName.value);
        }
        return true;
    });
    return names;
}

void PictureCheck::FrameSent(std::span<const std::uint8_t> frame) {
    inFlight_ = LoadedPictureNames(frame);
}

PictureCheck::Change PictureCheck::ReplyTaken(bool badFrameReported) {
    std::vector<std::string> asked = std::exchange(inFlight_, {});
    // A frame without pictures says nothing about them, whatever its reply.
    if (asked.empty()) {
        return Change::None;
    }
    if (!badFrameReported) {
        return Forget();
    }
    if (asked == missing_) {
        return Change::None;
    }
    missing_ = std::move(asked);
    return Change::Missing;
}

PictureCheck::Change PictureCheck::Forget() {
    inFlight_.clear();
    if (missing_.empty()) {
        return Change::None;
    }
    missing_.clear();
    return Change::Found;
}

std::string JoinPictureNames(const std::vector<std::string>& names) {
    std::string line;
    for (const std::string& name : names) {
        line += (line.empty() ? "" : ", ") + name;
    }
    return line;
}

}  // namespace quib::server
