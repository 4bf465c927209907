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

std::string FindLabId(const fs::path& labFolder) {
    if (const std::optional<std::string> text = ReadWholeFile(labFolder / server::kLabIdFileName)) {
        if (std::optional<std::string> id = server::LabIdFromFileText(*text)) {
            return *id;
        }
    }
    const fs::path folder = labFolder / server::kSessionFolderName;
    for (const std::string& name : SessionFileNames(folder)) {
        if (const std::optional<std::string> text = ReadWholeFile(folder / name)) {
            const server::SessionFile file = server::ParseSessionFile(*text);
            if (file.headerRead && !file.header.labId.empty()) {
                return file.header.labId;
            }
        }
    }
    return {};
}

SessionFacts ReadSessionFacts(const fs::path& labFolder, TableFile* connections) {
    SessionFacts facts;
    const fs::path folder = labFolder / server::kSessionFolderName;
    for (const std::string& name : SessionFileNames(folder)) {
        const std::optional<std::string> text = ReadWholeFile(folder / name);
        if (!text) {
            continue;  // the records check names it
        }
        ++facts.sessionFiles;
        for (const auto& [line, event] : server::ParseSessionFile(*text).events) {
            Count(event, facts);
            if (connections != nullptr) {
                connections->Row({name, std::to_string(line), TableTime(event.time),
                                  std::string(server::SessionEventCode(event.kind)),
                                  Optional(event.seat), Optional(event.game), Optional(event.round),
                                  event.address, Cp1252ToUtf8(event.host), Optional(event.count)});
            }
        }
    }
    return facts;
}

}  // namespace quib::exporter
