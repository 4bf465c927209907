#pragma once

// The session file's start-up, once the record folders exist and a killed
// run's writes are finished: the lab's identity read (or made once), the
// session files of earlier runs repaired where a crash cut their last line
// short, and this run's file begun with its header. Each thing worth the
// experimenter's knowing goes to `log` as a line.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "server/core/texts.h"
#include "server/core/time_format.h"
#include "server/records/session_writer.h"

namespace quib::server {

using SessionLogLine = std::function<void(const std::string&)>;

// The writer of this run's session file, its header queued first; nothing
// when no session file can be made (the game runs without one, as the log
// line says). `randomBits` make the lab's identity if it has none yet.
// `log` must be safe to call from the writer's thread.
std::unique_ptr<SessionWriter> StartSession(const std::filesystem::path& workDir,
                                            unsigned long long randomBits, const LocalTime& now,
                                            const ServerTexts& texts, const SessionLogLine& log);

}  // namespace quib::server
