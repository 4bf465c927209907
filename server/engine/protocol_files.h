#pragma once

#include <cstdint>

namespace quib::server {

class Engine;

// The files a finished round leaves, written on the network thread at the
// round end. Failures are shown through engine.messageBoxes and never stop
// the game.

// Writes log/<round file name>: the round's header, both boards and every
// event line. False, after showing the failure, when the file cannot be
// written (then nothing of it exists).
bool WriteRoundProtocol(Engine& engine, std::uint32_t now);

// Brings the game protocol (log/), the position protocol (log2/) and both
// subjects' files up to date with the round just recorded, and posts the
// report line to the log view.
void WriteGameProtocols(Engine& engine, std::uint32_t now);

}  // namespace quib::server
