#include "server/records/rounds_elsewhere.h"

#include <system_error>
#include <utility>

#include "server/records/record_writer.h"

namespace quib::server {
namespace {

namespace fs = std::filesystem;

// A copy of `source` named `target`, unless `target` exists already (an
// earlier round of the same game or subject brought it) or `source` does
// not (the game's first round makes the file). True when `target` is a
// file to write on, or may be made new.
bool CopyOnce(const fs::path& source, const fs::path& target) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(target, error))) {
        return fs::is_regular_file(fs::symlink_status(target, error));
    }
    if (!fs::exists(fs::symlink_status(source, error))) {
        return true;
    }
    return fs::copy_file(source, target, error) && !error;
}

// The round as it is to be written in `elsewhere`: its subjects' files are
// the copies there.
bool MoveOnto(FinishedRound& round, const WorkFolders& lab, const WorkFolders& elsewhere) {
    const std::string& game = round.game.fileName;
    bool copied = CopyOnce(lab.log / game, elsewhere.log / game) &&
                  CopyOnce(lab.log2 / game, elsewhere.log2 / game);
    for (RecordedSeat& seat : round.seats) {
        std::string& file = seat.subject.subjectFile;
        if (file.empty()) {
            continue;
        }
        const fs::path copy = elsewhere.log / fs::path(file).filename();
        copied = CopyOnce(file, copy) && copied;
        file = copy.string();
    }
    return copied;
}

}  // namespace

bool CanTakeRounds(const fs::path& folder) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (!fs::exists(status)) {
        return !folder.empty();
    }
    return fs::is_directory(status) && fs::is_empty(folder, error) && !error;
}

std::deque<FinishedRound> WriteRoundsElsewhere(std::deque<FinishedRound> rounds,
                                               const WorkFolders& lab, const fs::path& folder,
                                               const ServerTexts& texts,
                                               const std::function<void(const std::string&)>& log) {
    if (!CanTakeRounds(folder)) {
        return rounds;
    }
    const WorkFolders elsewhere = WorkFolders::In(folder);
    std::error_code error;
    fs::create_directories(elsewhere.log, error);
    fs::create_directories(elsewhere.log2, error);
    RecordWriter writer(texts, elsewhere, nullptr, log);
    std::deque<FinishedRound> original = rounds;
    for (FinishedRound& round : rounds) {
        if (MoveOnto(round, lab, elsewhere)) {
            writer.Write(round);
        } else {
            log(texts[txt::kRoundAndGameNotSaved] + " " + round.fileName);
        }
    }
    // What is still not written is given back as it was, naming the lab's
    // own subject files, so that it can still be written there.
    std::deque<FinishedRound> left;
    for (const FinishedRound& round : original) {
        const bool written = fs::is_regular_file(elsewhere.log / round.fileName, error);
        if (!written) {
            left.push_back(round);
        }
    }
    return left;
}

}  // namespace quib::server
