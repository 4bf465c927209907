#include "tools/bot/bot_texts.h"

#include <system_error>

#include "server/core/settings.h"

namespace quib::tools {

std::optional<BotTexts> LoadBotTexts(const std::filesystem::path& languageFile,
                                     std::string* error) {
    std::error_code failure;
    if (!std::filesystem::is_regular_file(languageFile, failure)) {
        *error = "no language file " + languageFile.string();
        return std::nullopt;
    }
    // LoadTexts writes out a missing file; this one is known to be there.
    const std::filesystem::path folder =
        languageFile.has_parent_path() ? languageFile.parent_path() : ".";
    const server::ServerTexts texts = server::LoadTexts(folder, languageFile.filename().string());
    BotTexts result;
    result.pressToStart = texts[server::txt::kPressSpaceToStart];
    result.waitForPartner = texts[server::txt::kWaitForPartner];
    result.playing = texts[server::txt::kMoveWithArrows];
    result.lost = texts[server::txt::kLost];
    result.won = texts[server::txt::kWon];
    return result;
}

}  // namespace quib::tools
