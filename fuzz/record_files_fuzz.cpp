// Feeds arbitrary bytes to quib_export's readers of the record files (round,
// game, position and subject files), which take files a lab may have edited
// or damaged. Whatever the bytes, a reader either names the line it could
// not read or gives values that are the fixed names the tables use.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <variant>

#include "server/records/subject_read.h"
#include "tools/export/lab_files.h"
#include "tools/export/vocabulary.h"

namespace {

using namespace quib::exporter;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool OneOf(const std::string& value, std::initializer_list<std::string_view> names) {
    for (const std::string_view name : names) {
        if (value == name) {
            return true;
        }
    }
    return false;
}

bool IsColour(const std::string& value) {
    return value.empty() || OneOf(value, {"red", "yellow", "green", "blue", "none"}) ||
           (value.size() == 7 && value[0] == '#');
}

bool IsShape(const std::string& value) {
    return value.empty() || OneOf(value, {"circle", "triangle", "square", "pentagon"});
}

void CheckStimulus(const Stimulus& stimulus) {
    Check(IsColour(stimulus.colour) && IsColour(stimulus.secondColour));
    Check(IsShape(stimulus.shape) && IsShape(stimulus.secondShape));
    Check(stimulus.relation.empty() || OneOf(stimulus.relation, {"apart", "touching"}));
}

template <typename T>
const T* Value(const Parsed<T>& parsed, std::size_t lines) {
    if (const ParseError* error = std::get_if<ParseError>(&parsed)) {
        // A line of the file, or a header line the file ends before (a round
        // file's header is the longest, 25 lines).
        Check(!error->text.empty() && error->line <= std::max<std::size_t>(lines + 1, 25));
        return nullptr;
    }
    return &std::get<T>(parsed);
}

const Vocabularies& Words() {
    // No lab folder: the built-in German and English texts.
    static const Vocabularies words = *Vocabularies::ForLab("/nonexistent-quib-lab", std::nullopt);
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    const Parsed<RoundFile> parsedRound = ParseRoundFile(text, Words());
    if (const RoundFile* round = Value(parsedRound, lines)) {
        for (const auto& board : round->stimuli) {
            for (const Stimulus& stimulus : board) {
                CheckStimulus(stimulus);
            }
        }
        for (const RoundEvent& event : round->events) {
            Check(event.player >= 0 && event.player <= 2);
            Check(event.kind != EventKind::Key ||
                  OneOf(event.key.name, {"space", "left", "up", "right", "down", "other"}));
        }
        Check(round->writtenAt.size() == 19);
    }
    const Parsed<GameFile> parsedGame = ParseGameFile(text, Words());
    if (const GameFile* game = Value(parsedGame, lines)) {
        for (const GameRow& row : game->rows) {
            Check(row.line > 19 && row.line <= lines + 1);
        }
    }
    const Parsed<PositionFile> parsedPositions = ParsePositionFile(text, Words());
    if (const PositionFile* positions = Value(parsedPositions, lines)) {
        for (const PositionLine& line : positions->lines) {
            Check(line.start == !line.winningPairs.empty());
        }
    }
    const Parsed<SubjectFile> parsedSubject = ParseSubjectFile(text, Words());
    if (const SubjectFile* subject = Value(parsedSubject, lines)) {
        // To the second, or to the minute where a spreadsheet dropped it.
        Check(subject->createdAt.empty() || subject->createdAt.size() == 19 ||
              subject->createdAt.size() == 16);
    }
    // The server takes exactly the subject files the export takes.
    Check(quib::server::ReadSubjectText(text, "", Words().SubjectTexts()).has_value() ==
          std::holds_alternative<SubjectFile>(parsedSubject));
    return 0;
}
