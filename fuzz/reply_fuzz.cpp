// The server's side of one reply from a hostile player program: taken in by
// the seat's receiver and exchange step as the network thread does, its keys
// put into the key table and its host name into the seat's lines. Any memory
// fault or undefined behaviour is a finding, and so is a key table that
// keeps keys after a reply that is not a good frame.
//
// The first input byte chooses the seat and whether the rest is sealed into
// a frame that passes the checks (so that the messages are explored) or
// taken as it came.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "fuzz/sealed_frame.h"
#include "protocol/frame.h"
#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/engine/engine.h"

namespace {

using namespace quib;

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

bool NoKeys(const std::array<std::int32_t, server::kKeyCodes>& keys) {
    return std::all_of(keys.begin(), keys.end(), [](std::int32_t value) { return value == 0; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int seat = data[0] & 1;
    const bool sealed = (data[0] & 2) != 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    const std::vector<std::uint8_t> reply =
        sealed ? fuzz::SealedFrame(rest) : std::vector<std::uint8_t>(rest.begin(), rest.end());

    // One engine for all inputs (building one costs far more than a reply);
    // each input starts the seat over as just sent a frame, awaiting the
    // reply, with every key held, and owing nothing of an earlier input's
    // reply (a given-up reply leaves its rest to be skipped).
    static server::ServerState state;
    static const server::ServerTexts texts;
    static const auto engine = std::make_unique<server::Engine>(state, texts);
    std::uint32_t now = 1000;
    server::SeatLink& link = engine->links().links[seat];
    link.receiver.Reset();
    link.connectionState = server::LinkAwaitingReply;
    link.lastEventTime = now;
    engine->game().keyTable[seat].fill(1);

    const std::span<std::uint8_t> space = link.receiver.FreeSpace();
    const std::size_t count = std::min(reply.size(), space.size());
    std::copy_n(reply.begin(), count, space.begin());
    if (count > 0) {
        link.receiver.Received(count, now);
    }
    // An unfinished reply is given up at its limit.
    now += 10000;
    engine->links().ServiceSeat(seat, Moment::FromMs(now));

    Check(link.connectionState == server::LinkIdle || count == 0);
    if (count > 0 && protocol::CheckFrame({reply.data(), count}) != protocol::FrameCheck::Good) {
        Check(NoKeys(engine->game().keyTable[seat]));
    }
    return 0;
}
