#pragma once

#include <cstdint>

namespace quib::protocol {

// The TCP port the server listens on and the player's program connects to
// unless its settings name another. Fixed, so that a lab opens one port in
// its firewall and every player's settings file starts out right.
inline constexpr std::uint16_t kServerPort = 6832;

}  // namespace quib::protocol
