#include "server/engine/game_record.h"

#include "common/work_folders.h"
#include "server/engine/engine.h"
#include "server/records/file_numbering.h"

namespace quib::server {

void BeginGameRecord(Engine& engine, const std::filesystem::path& workDir, std::uint32_t nowMs,
                     const LocalTime& now) {
    GameRecord& game = engine.gameRecord;
    game = GameRecord{};
    game.number = NextFreeNumber(WorkFolders(workDir).log, 'g');
    // With every number taken the game gets no file name, so that writing its
    // protocols fails with a message instead of replacing another game's.
    game.fileName = game.number >= 0 ? NumberedFileName('g', game.number) : std::string();
    game.startDate = now;
    game.startMs = nowMs;
    engine.positionLogText.clear();
    engine.positionLogCount = 0;
}

}  // namespace quib::server
