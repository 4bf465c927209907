// The game protocol log/g??????.csv (one line per round) and the position
// protocol log2/g??????.csv (the game's position log), both rewritten after
// every round, and the subject files brought up to date in the same step.

#include <string>

#include "server/engine/engine.h"
#include "server/engine/protocol_files.h"
#include "server/engine/protocol_text.h"
#include "server/engine/stimulus.h"
#include "server/engine/subject_update.h"
#include "server/records/csv_text.h"

namespace quib::server {
namespace {

constexpr const char* kBoardColumns = "A;B;C;D;a;b;c;d";

// One of the game's two files: where it lies, its first line and its column
// titles.
struct ProtocolKind {
    const std::filesystem::path& folder;
    std::string title;
    std::string columns;
};

std::string GameColumns(const ServerTexts& texts) {
    return JoinFields({texts[123], texts[124], texts[125], texts[126], texts[127], texts[128],
                       texts[129], texts[130], texts[131], kBoardColumns, texts[132] + " 1",
                       texts[132] + " 2", texts[133] + " 1", texts[133] + " 2", texts[134] + " 1",
                       texts[134] + " 2"});
}

std::string PositionColumns(const ServerTexts& texts) {
    return JoinFields({texts[139], texts[124], texts[140], texts[127], texts[141], texts[142],
                       kBoardColumns, texts[143] + " 1", texts[143] + " 2", texts[144]});
}

std::string GameClock(const Engine& engine, std::uint32_t now) {
    return FormatClock(ElapsedMs(now, engine.gameRecord.startMs) / 1000);
}

std::string ActiveClock(const Engine& engine) {
    return FormatClock(engine.gameRecord.activeMs / 1000);
}

// Lines 1 to 19 of a new file, with the game's totals as they stand now.
std::string GameHeader(const Engine& engine, std::uint32_t now, const ProtocolKind& kind) {
    const ServerTexts& texts = engine.texts;
    const GameRecord& game = engine.gameRecord;
    const GameSettings& settings = engine.state.settings;
    const LocalTime writtenAt = engine.localClock();
    std::string text = kind.title + "\n";
    text += JoinFields({texts[108], SixDigitField(game.number), texts[109], game.fileName}) + "\n";
    text += JoinFields({texts[110], DateField(writtenAt), TimeField(writtenAt)}) + "\n";
    text += PlayerLine(engine, 0) + "\n";
    text += PlayerLine(engine, 1) + "\n";
    text += "\n";
    text += SettingsLines(engine);
    text += "\n";
    text += JoinFields({texts[118], settings.startText[0], settings.startText[1]}) + "\n";
    text += "\n";
    text += JoinFields({texts[119], std::to_string(game.points), texts[154] + ":",
                        std::to_string(game.best)}) +
            "\n";
    text += JoinFields({texts[120], std::to_string(game.rounds)}) + "\n";
    text +=
        JoinFields({texts[121], GameClock(engine, now), texts[122], ActiveClock(engine)}) + "\n";
    text += "\n";
    text += kind.columns + "\n";
    return text;
}

// The totals of an existing file: lines 15 to 17.
std::string UpdateTotals(const Engine& engine, std::uint32_t now, std::string text) {
    const GameRecord& game = engine.gameRecord;
    text = SetCsvField(text, 15, 2, std::to_string(game.points));
    text = SetCsvField(text, 15, 4, std::to_string(game.best));
    text = SetCsvField(text, 16, 2, std::to_string(game.rounds));
    text = SetCsvField(text, 17, 2, GameClock(engine, now));
    return SetCsvField(text, 17, 4, ActiveClock(engine));
}

// The file's text so far: a new header, or the existing file read back with
// its totals brought up to date. False, after showing the box, when the file
// exists but cannot be read (it is then left as it is) or cannot be named.
bool BeginProtocolText(const Engine& engine, std::uint32_t now, const ProtocolKind& kind,
                       std::string& text, bool& newFile) {
    const std::string& name = engine.gameRecord.fileName;
    if (!CanNameFile(kind.folder, name)) {
        ShowWriteFailure(engine, ShownPath(kind.folder, name));
        return false;
    }
    switch (ReadExistingFile(kind.folder / name, text)) {
        case ExistingFile::Missing:
            text = GameHeader(engine, now, kind);
            newFile = true;
            return true;
        case ExistingFile::Read:
            text = UpdateTotals(engine, now, std::move(text));
            return true;
        case ExistingFile::Unreadable:
            break;
    }
    ShowReadFailure(engine, ShownPath(kind.folder, name));
    return false;
}

bool WriteProtocol(Engine& engine, std::uint32_t now, const ProtocolKind& kind,
                   std::string_view appended, bool& newFile) {
    std::string text;
    if (!BeginProtocolText(engine, now, kind, text, newFile)) {
        return false;
    }
    text += appended;
    const std::string& name = engine.gameRecord.fileName;
    if (!ReplaceFile(kind.folder / name, text)) {
        ShowWriteFailure(engine, ShownPath(kind.folder, name));
        return false;
    }
    return true;
}

// The round's line in the game protocol, 23 fields.
std::string RoundLine(const Engine& engine) {
    const GameRecord& game = engine.gameRecord;
    const RoundRecord& round = engine.roundRecord;
    const ServerTexts& texts = engine.texts;
    const std::int32_t sinceGameStart = ElapsedMs(round.startMs, game.startMs);
    const std::int32_t durationMs = RoundDurationMs(round);
    const SeatRecord& first = engine.seats[0];
    const SeatRecord& second = engine.seats[1];
    std::string line =
        JoinFields({std::to_string(sinceGameStart), FormatClock(sinceGameStart / 1000),
                    std::to_string(durationMs), FormatClock(durationMs / 1000),
                    std::to_string(game.rounds), round.fileName, std::to_string(round.won),
                    std::to_string(game.points), std::to_string(game.streak)});
    for (int seat = 0; seat < kSeats; ++seat) {
        for (int cell = 0; cell < kCells; ++cell) {
            line += ";" + engine.DescribeStimulus(seat, cell);
        }
    }
    line += ";" + JoinFields({CellLetter(texts, 0, first.startCellX + 2 * first.startCellY),
                              CellLetter(texts, 1, second.startCellX + 2 * second.startCellY),
                              CellLetter(texts, 0, CellIndex(first)),
                              CellLetter(texts, 1, CellIndex(second)),
                              std::to_string(round.moves[0]), std::to_string(round.moves[1])});
    return line + "\n";
}

bool WriteGameFile(Engine& engine, std::uint32_t now, bool& newFile) {
    const ProtocolKind kind{engine.logDir, engine.texts[106] + " " + engine.texts[107],
                            GameColumns(engine.texts)};
    return WriteProtocol(engine, now, kind, RoundLine(engine), newFile);
}

// The position lines leave the engine only once they are safely in the
// file: lines that could not be written go out with the next round.
bool WritePositionFile(Engine& engine, std::uint32_t now, bool& newFile) {
    const ProtocolKind kind{engine.log2Dir, engine.texts[106], PositionColumns(engine.texts)};
    if (!WriteProtocol(engine, now, kind, engine.positionLogText, newFile)) {
        return false;
    }
    engine.positionLogText.clear();
    return true;
}

// Both seats are handled even when the first fails.
bool UpdateSubjectFiles(Engine& engine) {
    const bool first = UpdateSubjectFile(engine, 0);
    const bool second = UpdateSubjectFile(engine, 1);
    return first && second;
}

std::string ReportLine(const Engine& engine, bool saved, bool newFile) {
    const ServerTexts& texts = engine.texts;
    const std::string& name = engine.gameRecord.fileName;
    if (!saved) {
        return texts[9] + " " + name;
    }
    return texts[6] + " " + name + " " + (newFile ? texts[7] : texts[8]) + " / " +
           engine.roundRecord.fileName;
}

}  // namespace

void WriteGameProtocols(Engine& engine, std::uint32_t now) {
    bool newFile = false;
    const bool saved = WriteGameFile(engine, now, newFile) &&
                       WritePositionFile(engine, now, newFile) && UpdateSubjectFiles(engine);
    PostLogMessage(engine.state, ReportLine(engine, saved, newFile), engine.localClock());
}

}  // namespace quib::server
