#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "tools/bot/bot_player.h"

namespace quib::tools {

// The texts of a server language file (group "Text"), where it has them,
// else the built-in ones. nullopt with `error` set when the file is not
// there; the file is only read, never created.
std::optional<BotTexts> LoadBotTexts(const std::filesystem::path& languageFile, std::string* error);

}  // namespace quib::tools
