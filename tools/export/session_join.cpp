#include "tools/export/session_join.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "common/codepage.h"
#include "common/file_io.h"
#include "server/records/file_numbering.h"
#include "server/records/session_file.h"
#include "tools/export/tidy_csv_writer.h"

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;
using server::SessionEvent;
using server::SessionEventKind;

std::vector<std::string> SessionFileNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (const fs::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (server::IsNumberedFileName(name, server::kSessionFileLetter)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

template <typename T>
std::string Optional(const std::optional<T>& value) {
    return value ? std::to_string(*value) : std::string();
}

// "2026-12-11T17:05:01.250" as the tables write times: ".000" is left
// off, as everywhere else in them.
std::string TableTime(const std::string& time) {
    return time.ends_with(".000") ? time.substr(0, time.size() - 4) : time;
}

void Count(const SessionEvent& event, SessionFacts& facts) {
    if (event.kind == SessionEventKind::GameStarted && event.game && event.seat) {
        facts.gameSeats[*event.game][static_cast<std::size_t>(*event.seat - 1)] = {
            event.address, Cp1252ToUtf8(event.host)};
    }
    if (!event.game || !event.round) {
        return;  // not while a round ran
    }
    if (event.kind == SessionEventKind::SeatLost) {
        ++facts.rounds[{*event.game, *event.round}].losses;
    } else if (event.kind == SessionEventKind::BadFrames) {
        facts.rounds[{*event.game, *event.round}].badFrames += event.count.value_or(0);
    }
}

}  // namespace

RoundConnections SessionFacts::Round(int game, long long round) const {
    const auto found = rounds.find({game, round});
    return found == rounds.end() ? RoundConnections{} : found->second;
}

SessionFacts ReadSessionFacts(const fs::path& labFolder, const std::string& fallbackLabId,
                              TableFile* connections) {
    SessionFacts facts;
    if (const std::optional<std::string> text = ReadWholeFile(labFolder / server::kLabIdFileName)) {
        facts.labId = server::LabIdFromFileText(*text).value_or("");
    }
    const fs::path folder = labFolder / server::kSessionFolderName;
    std::vector<server::SessionFile> files;
    const std::vector<std::string> names = SessionFileNames(folder);
    for (const std::string& name : names) {
        const std::optional<std::string> text = ReadWholeFile(folder / name);
        if (!text) {
            continue;  // the records check names it
        }
        files.push_back(server::ParseSessionFile(*text));
        if (facts.labId.empty() && files.back().headerRead) {
            facts.labId = files.back().header.labId;
        }
        files.back().header.file = name;
    }
    if (facts.labId.empty()) {
        facts.labId = fallbackLabId;
    }
    for (const server::SessionFile& file : files) {
        ++facts.sessionFiles;
        for (const auto& [line, event] : file.events) {
            Count(event, facts);
            if (connections != nullptr) {
                connections->Row({facts.labId, file.header.file, std::to_string(line),
                                  TableTime(event.time),
                                  std::string(server::SessionEventCode(event.kind)),
                                  Optional(event.seat), Optional(event.game), Optional(event.round),
                                  event.address, Cp1252ToUtf8(event.host), Optional(event.count)});
            }
        }
    }
    return facts;
}

}  // namespace quib::exporter
