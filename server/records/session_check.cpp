#include "server/records/session_check.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "common/file_io.h"
#include "server/records/file_numbering.h"
#include "server/records/session_file.h"

namespace quib::server {

namespace fs = std::filesystem;

namespace {

std::string SessionPath(std::string_view name) {
    return std::string(kSessionFolderName) + "/" + std::string(name);
}

void CheckLabId(const fs::path& workDir, std::vector<RecordProblem>& problems) {
    const fs::path file = workDir / kLabIdFileName;
    if (!NameTaken(file)) {
        return;
    }
    const std::optional<std::string> text = ReadWholeFile(file, LinkRule::Refuse);
    if (!text || !LabIdFromFileText(*text)) {
        problems.push_back({ProblemKind::LabId, kLabIdFileName, text ? 1U : 0U,
                            text ? "no valid lab identity on the first line"
                                 : "cannot be read (or is no regular file)"});
    }
}

// A round R in progress means that rounds 1 .. R-1 of its game were
// recorded: its game file must have their rows. Reported once per game and
// file, at the first line that shows it.
void CheckAgainstGames(const std::string& file, const SessionFile& session,
                       const std::map<int, long long>& roundsOfGame,
                       std::vector<RecordProblem>& problems) {
    std::set<int> reported;
    for (const auto& [line, event] : session.events) {
        if (!event.game || !event.round || reported.count(*event.game) != 0) {
            continue;
        }
        const auto game = roundsOfGame.find(*event.game);
        const long long rows = game == roundsOfGame.end() ? 0 : game->second;
        if (rows >= *event.round - 1) {
            continue;
        }
        reported.insert(*event.game);
        const std::string gameFile = NumberedFileName('g', *event.game);
        problems.push_back(
            {ProblemKind::SessionAgainstGames, file, line,
             "round " + std::to_string(*event.round) + " of game " + std::to_string(*event.game) +
                 ", but " +
                 (game == roundsOfGame.end()
                      ? "log/" + gameFile + " is missing"
                      : "log/" + gameFile + " has " + std::to_string(rows) + " round rows")});
    }
}

void CheckSessionFile(const fs::path& path, const std::string& file,
                      const std::map<int, long long>& roundsOfGame,
                      std::vector<RecordProblem>& problems) {
    const std::optional<std::string> text = ReadWholeFile(path, LinkRule::Refuse);
    if (!text) {
        problems.push_back({ProblemKind::UnreadableFile, file, 0, "cannot be read"});
        return;
    }
    const SessionFile session = ParseSessionFile(*text);
    for (const SessionLineProblem& problem : session.problems) {
        problems.push_back({ProblemKind::SessionLine, file, problem.line, problem.text});
    }
    CheckAgainstGames(file, session, roundsOfGame, problems);
}

}  // namespace

void CheckSessionFiles(const fs::path& workDir, const std::map<int, long long>& roundsOfGame,
                       std::vector<RecordProblem>& problems) {
    CheckLabId(workDir, problems);
    const fs::path dir = workDir / kSessionFolderName;
    if (!NameTaken(dir)) {
        return;
    }
    std::error_code error;
    std::vector<std::string> names;
    fs::directory_iterator it(dir, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        names.push_back(it->path().filename().string());
    }
    if (error) {
        problems.push_back({ProblemKind::UnreadableFile, std::string(kSessionFolderName) + "/", 0,
                            "is no folder that can be listed"});
        return;
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (IsNumberedFileName(name, kSessionFileLetter)) {
            CheckSessionFile(dir / name, SessionPath(name), roundsOfGame, problems);
        } else if (IsTemporaryFileName(name)) {
            problems.push_back({ProblemKind::UnfinishedWrite, SessionPath(name), 0,
                                "the temporary file of a repair cut short (the file itself is "
                                "whole); start the server once to remove it"});
        }
    }
}

}  // namespace quib::server
