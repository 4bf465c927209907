// Helpers shared by the writers of the round, game, position and subject
// files.

#include "server/engine/protocol_text.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "common/file_io.h"
#include "server/engine/engine.h"
#include "server/records/csv_text.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

constexpr int kErrorTitle = 3;
constexpr int kCannotRead = 4;
constexpr int kCannotWrite = 5;
constexpr int kPlayerWord = 111;
constexpr int kNumberWord = 112;
constexpr int kFileWord = 109;

// The open partner view is "offen"; every other mode was covered when the
// round was played.
std::string_view DisplayWord(std::int32_t displayMode) {
    return displayMode == DisplayOpen ? "offen" : "verdeckt";
}

void Show(const Engine& engine, const std::string& text) {
    if (engine.messageBoxes != nullptr) {
        engine.messageBoxes->ShowMessage(engine.texts[kErrorTitle], text);
    }
}

}  // namespace

std::string SixDigitField(std::int32_t n) {
    std::string text = std::to_string(n);
    if (text.size() < 6) {
        text.insert(0, 6 - text.size(), '0');
    }
    text.resize(6);
    return text;
}

std::string DateField(const LocalTime& time) {
    return FormatDate(time);
}

std::string TimeField(const LocalTime& time) {
    return FormatHms(time);
}

std::string JoinFields(std::initializer_list<std::string_view> fields) {
    std::string line;
    bool first = true;
    for (const std::string_view field : fields) {
        if (!first) {
            line += ';';
        }
        first = false;
        line += field;
    }
    return line;
}

std::int32_t ElapsedMs(std::uint32_t later, std::uint32_t earlier) {
    return static_cast<std::int32_t>(later - earlier);
}

std::int32_t RoundDurationMs(const RoundRecord& round) {
    return ElapsedMs(round.endMs, round.startMs);
}

std::string PlayerLine(const Engine& engine, int seat) {
    const SubjectRecord& subject = engine.state.subjects[seat];
    return JoinFields({engine.texts[kPlayerWord] + " " + std::to_string(seat + 1) + ":",
                       subject.subjectName, engine.texts[kNumberWord],
                       SixDigitField(subject.subjectNumber), engine.texts[kFileWord],
                       FileNamePart(subject.subjectFile)});
}

std::string SettingsLines(const Engine& engine) {
    const ServerTexts& texts = engine.texts;
    const SeatRecord& first = engine.seats[0];
    const SeatRecord& second = engine.seats[1];
    const std::string& speed = engine.state.settings.speedText;
    const std::string lines[] = {
        JoinFields({texts[113], texts[kPlayerWord] + " 1", texts[kPlayerWord] + " 2"}),
        JoinFields({texts[114], std::to_string(first.level), std::to_string(second.level)}),
        JoinFields({texts[115], FileNamePart(first.pictureName), FileNamePart(second.pictureName)}),
        JoinFields({texts[116], DisplayWord(first.displayMode), DisplayWord(second.displayMode)}),
        JoinFields({texts[117], speed, speed}),
    };
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

std::string TrimmedLines(std::string_view text) {
    std::string result;
    for (const std::string_view line : SplitLines(text)) {
        result += TrimSpaces(line);
        result += '\n';
    }
    return result;
}

std::string ShownPath(const std::filesystem::path& folder, std::string_view fileName) {
    return (folder / "").generic_string() + std::string(fileName);
}

bool CanNameFile(const std::filesystem::path& folder, std::string_view fileName) {
    return !folder.empty() && !fileName.empty();
}

ExistingFile ReadExistingFile(const std::filesystem::path& file, std::string& text) {
    // lstat: a dangling link still names a file that must not be replaced
    // by a fresh one. Only a name that is certainly free (nothing of that
    // name, or its folder is no folder) starts a new file; when the system
    // cannot tell, the file is taken as unreadable and left alone.
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0) {
        const bool free = errno == ENOENT || errno == ENOTDIR;
        return free ? ExistingFile::Missing : ExistingFile::Unreadable;
    }
    const std::optional<std::string> content = ReadWholeFile(file);
    if (!content) {
        return ExistingFile::Unreadable;
    }
    text = TrimmedLines(*content);
    return ExistingFile::Read;
}

void ShowReadFailure(const Engine& engine, std::string_view shownPath) {
    Show(engine, engine.texts[kCannotRead] + ": " + std::string(shownPath));
}

void ShowWriteFailure(const Engine& engine, std::string_view shownPath) {
    Show(engine, engine.texts[kCannotWrite] + " " + std::string(shownPath));
}

bool ReplaceFile(const std::filesystem::path& file, std::string_view text) {
    if (!file.has_filename()) {
        return false;
    }
    return WriteFileAtomically(file, text, WriteMode::Replace) == WriteResult::Written;
}

}  // namespace quib::server
