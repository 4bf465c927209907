#include "tools/export/lab_files.h"

#include <algorithm>
#include <utility>
#include <variant>

#include "common/codepage.h"
#include "server/records/csv_text.h"
#include "server/records/file_numbering.h"
#include "server/records/subject_content.h"

namespace quib::exporter {
namespace {

using server::CsvField;
using server::SplitLines;
using server::StrictNumber;
using server::TrimSpaces;
using Lines = std::vector<std::string_view>;

// Thrown while reading a file, caught where the file's reading began.
struct Failure {
    std::size_t line;  // from 0
    std::string text;  // Windows-1252
};

[[noreturn]] void Fail(std::size_t line, std::string text) {
    throw Failure{line, std::move(text)};
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t at = line.find(';'); at != std::string_view::npos;
         at = line.find(';', start)) {
        fields.push_back(line.substr(start, at - start));
        start = at + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

std::string_view Line(const Lines& lines, std::size_t line) {
    if (line >= lines.size()) {
        Fail(line, "missing: the file ends after " + std::to_string(lines.size()) + " lines");
    }
    return lines[line];
}

std::string_view Field(const Lines& lines, std::size_t line, int n) {
    return CsvField(Line(lines, line), n);
}

long long NumberAt(std::size_t line, std::string_view text, std::string_view what) {
    const std::optional<long long> value = StrictNumber(text);
    if (!value) {
        Fail(line, std::string(what) + " \"" + std::string(text) + "\" is no number");
    }
    return *value;
}

long long NumberField(const Lines& lines, std::size_t line, int n, std::string_view what) {
    return NumberAt(line, Field(lines, line, n), what);
}

// "01:02:05" as seconds.
long long ClockSeconds(std::size_t line, std::string_view text) {
    long long seconds = 0;
    int parts = 0;
    for (std::string_view rest = text; parts < 3; ++parts) {
        const std::size_t colon = rest.find(':');
        const std::optional<long long> part = StrictNumber(rest.substr(0, colon));
        if (!part || *part < 0 || (parts == 2) != (colon == std::string_view::npos)) {
            Fail(line, "time \"" + std::string(text) + "\" is no hh:mm:ss");
        }
        seconds = seconds * 60 + *part;
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    return seconds;
}

std::string DateTimeAt(std::size_t line, std::string_view date, std::string_view time) {
    std::optional<std::string> iso = IsoDateTime(date, time);
    if (!iso) {
        Fail(line, "\"" + std::string(date) + " " + std::string(time) + "\" is no date and time");
    }
    return *iso;
}

int Cell(const Vocabulary& words, std::size_t line, std::string_view text, int seat) {
    const std::optional<int> cell = words.ParseCell(text, seat);
    if (!cell) {
        Fail(line,
             "\"" + std::string(text) + "\" is no cell of player " + std::to_string(seat + 1));
    }
    return *cell;
}

Stimulus StimulusAt(const Vocabulary& words, std::size_t line, std::string_view text, int level) {
    std::optional<Stimulus> stimulus = words.ParseStimulus(text, level);
    if (!stimulus) {
        Fail(line, "\"" + std::string(text) + "\" is no stimulus of level " +
                       std::to_string(level) + " in " + words.name());
    }
    return *stimulus;
}

std::string Display(std::size_t line, std::string_view word) {
    std::optional<std::string> display = DisplayName(word);
    if (!display) {
        Fail(line, "\"" + std::string(word) + "\" is neither offen nor verdeckt");
    }
    return *display;
}

// "Spieler 1:;Anna;Nummer:;000012;Datei:;p000012.csv": read from the end, so
// that a name with ";" in it stays whole.
void ReadPlayerLine(std::string_view text, std::size_t line, Player& player) {
    const std::vector<std::string_view> fields = Fields(text);
    if (fields.size() < 6) {
        Fail(line, "is no player line");
    }
    const std::size_t n = fields.size();
    const std::string_view nameEnd = fields[n - 5];
    const std::string_view nameStart = fields[1];
    player.name = std::string(nameStart.data(), nameEnd.data() + nameEnd.size());
    const std::string_view number = fields[n - 3];
    player.subjectFile = fields[n - 1];
    if (player.subjectFile.empty()) {
        player.subject.reset();  // a seat without a subject: "0000-1"
    } else {
        player.subject = static_cast<int>(NumberAt(line, number, "Nummer"));
    }
}

// A list entry's word as its code. A word that is no entry in the file's
// language keeps its place as "other:" and the word: nothing else in the
// file depends on it, so the file is still read, and the word stays there
// to be seen.
std::string CodeOrOther(const std::optional<std::string>& code, std::string_view word) {
    return code ? *code : "other:" + Cp1252ToUtf8(word);
}

// The settings block both headers share: level, figure, display and speed.
void ReadSettings(const Vocabulary& words, const Lines& lines, std::size_t levelLine,
                  std::array<Player, 2>& players, std::string& speed) {
    for (int seat = 0; seat < 2; ++seat) {
        Player& player = players[static_cast<std::size_t>(seat)];
        const long long level = NumberField(lines, levelLine, seat + 2, "Level");
        if (level < 1 || level > 6) {
            Fail(levelLine, "level " + std::to_string(level) + " is none of 1 to 6");
        }
        player.level = static_cast<int>(level);
        player.figure = Field(lines, levelLine + 1, seat + 2);
        player.display = Display(levelLine + 2, Field(lines, levelLine + 2, seat + 2));
    }
    const std::string_view speedWord = Field(lines, levelLine + 3, 2);
    speed = CodeOrOther(words.SpeedCode(speedWord), speedWord);
}

template <typename T, typename Read>
Parsed<T> Reading(Read read) {
    try {
        return read();
    } catch (const Failure& failure) {
        return ParseError{failure.line + 1, Cp1252ToUtf8(failure.text)};
    }
}

// Round file lines, from 0.
constexpr std::size_t kRoundGame = 1;
constexpr std::size_t kRoundNumber = 2;
constexpr std::size_t kRoundPlayers = 3;
constexpr std::size_t kRoundWritten = 6;
constexpr std::size_t kRoundDuration = 7;
constexpr std::size_t kRoundResult = 8;
constexpr std::size_t kRoundLevels = 11;
constexpr std::size_t kRoundStart = 16;
constexpr std::size_t kRoundEnd = 17;
constexpr std::size_t kRoundMoves = 18;
constexpr std::size_t kRoundBoardTop = 21;
constexpr std::size_t kRoundFirstEvent = 25;
constexpr std::string_view kKeyWord = "Taste";
constexpr std::string_view kArrivalWord = "Position";

// Game and position file lines, from 0.
constexpr std::size_t kGameName = 1;
constexpr std::size_t kGameWritten = 2;
constexpr std::size_t kGamePlayers = 3;
constexpr std::size_t kGameLevels = 7;
constexpr std::size_t kGameStartChoices = 12;
constexpr std::size_t kGamePoints = 14;
constexpr std::size_t kGameRounds = 15;
constexpr std::size_t kGameFirstRow = 19;
constexpr std::size_t kGameRowFields = 23;
constexpr std::size_t kPositionFields = 17;

int GameNumber(std::size_t line, std::string_view file) {
    const std::optional<int> number = server::NumberInFileName(file, 'g');
    if (!number) {
        Fail(line, "\"" + std::string(file) + "\" is no game file name");
    }
    return *number;
}

GameHeader ReadGameHeader(const Vocabulary& words, const Lines& lines) {
    GameHeader header;
    header.file = Field(lines, kGameName, 4);
    header.number = GameNumber(kGameName, header.file);
    header.firstWrittenAt =
        DateTimeAt(kGameWritten, Field(lines, kGameWritten, 2), Field(lines, kGameWritten, 3));
    for (std::size_t seat = 0; seat < 2; ++seat) {
        ReadPlayerLine(Line(lines, kGamePlayers + seat), kGamePlayers + seat, header.players[seat]);
    }
    ReadSettings(words, lines, kGameLevels, header.players, header.speed);
    for (int seat = 0; seat < 2; ++seat) {
        const std::string_view word = Field(lines, kGameStartChoices, seat + 2);
        header.startChoices[static_cast<std::size_t>(seat)] =
            CodeOrOther(words.StartChoiceCode(word, seat), word);
    }
    header.points = NumberField(lines, kGamePoints, 2, "Punkte");
    header.best = NumberField(lines, kGamePoints, 4, "Highscore");
    header.rounds = NumberField(lines, kGameRounds, 2, "Runden");
    Line(lines, kGameFirstRow - 1);  // the column titles
    return header;
}

}  // namespace

std::optional<std::string> IsoDateTime(std::string_view date, std::string_view time) {
    const auto twoDigits = [](std::string_view text, std::size_t at) {
        return text.size() > at + 1 && text[at] >= '0' && text[at] <= '9' && text[at + 1] >= '0' &&
               text[at + 1] <= '9';
    };
    if (date.size() != 8 || time.size() != 8 || date[2] != '.' || date[5] != '.' ||
        time[2] != ':' || time[5] != ':') {
        return std::nullopt;
    }
    for (const std::size_t at : {0u, 3u, 6u}) {
        if (!twoDigits(date, at) || !twoDigits(time, at)) {
            return std::nullopt;
        }
    }
    return "20" + std::string(date.substr(6, 2)) + "-" + std::string(date.substr(3, 2)) + "-" +
           std::string(date.substr(0, 2)) + "T" + std::string(time);
}

Parsed<RoundFile> ParseRoundFile(std::string_view text, const Vocabularies& vocabularies) {
    return Reading<RoundFile>([&] {
        const Lines lines = SplitLines(text);
        const Vocabulary* words = vocabularies.ForRoundFile(Line(lines, 0));
        if (words == nullptr) {
            Fail(0, "\"" + std::string(lines[0]) +
                        "\" is the title of a round file in no known language (give the lab's "
                        "language file with --lang)");
        }
        RoundFile round;
        round.game = Field(lines, kRoundGame, 4);
        round.gameNumber = GameNumber(kRoundGame, round.game);
        round.round = NumberField(lines, kRoundNumber, 2, "Runde");
        for (std::size_t seat = 0; seat < 2; ++seat) {
            ReadPlayerLine(Line(lines, kRoundPlayers + seat), kRoundPlayers + seat,
                           round.players[seat]);
        }
        round.writtenAt = DateTimeAt(kRoundWritten, Field(lines, kRoundWritten, 2),
                                     Field(lines, kRoundWritten, 3));
        round.durationMs = NumberField(lines, kRoundDuration, 2, "Spieldauer");
        const std::optional<bool> won = words->ParseResult(Field(lines, kRoundResult, 2));
        if (!won) {
            Fail(kRoundResult, "\"" + std::string(Field(lines, kRoundResult, 2)) +
                                   "\" is neither the won word nor Verloren");
        }
        round.won = *won;
        ReadSettings(*words, lines, kRoundLevels, round.players, round.speed);
        for (int seat = 0; seat < 2; ++seat) {
            const std::size_t s = static_cast<std::size_t>(seat);
            round.startCells[s] =
                Cell(*words, kRoundStart, Field(lines, kRoundStart, seat + 2), seat);
            round.endCells[s] = Cell(*words, kRoundEnd, Field(lines, kRoundEnd, seat + 2), seat);
            round.moves[s] = NumberField(lines, kRoundMoves, seat + 2, "moves");
            // "A/B;A;B;a/b;a;b", then the same for C and D.
            for (std::size_t row = 0; row < 2; ++row) {
                for (std::size_t column = 0; column < 2; ++column) {
                    const std::size_t line = kRoundBoardTop + row;
                    const int field = 2 + 3 * seat + static_cast<int>(column);
                    round.stimuli[s][row * 2 + column] =
                        StimulusAt(*words, line, Field(lines, line, field), round.players[s].level);
                }
            }
        }
        Line(lines, kRoundFirstEvent - 1);  // the column titles
        for (std::size_t i = kRoundFirstEvent; i < lines.size(); ++i) {
            RoundEvent event;
            event.ms = NumberField(lines, i, 1, "Rundenzeit");
            event.player = static_cast<int>(NumberField(lines, i, 3, "Spieler"));
            const std::string_view kind = Field(lines, i, 4);
            const std::string_view information = Field(lines, i, 5);
            if (event.player == 0 && kind == words->texts()[138]) {
                event.kind = EventKind::Start;
            } else if ((event.player == 1 || event.player == 2) && kind == kKeyWord) {
                event.kind = EventKind::Key;
                const std::optional<Key> key = words->ParseKey(information);
                if (!key) {
                    Fail(i, "\"" + std::string(information) + "\" is no key");
                }
                event.key = *key;
            } else if ((event.player == 1 || event.player == 2) && kind == kArrivalWord) {
                event.kind = EventKind::Position;
                event.cell = Cell(*words, i, information, event.player - 1);
            } else {
                Fail(i, "is no event line");
            }
            round.events.push_back(std::move(event));
        }
        return round;
    });
}

Parsed<GameFile> ParseGameFile(std::string_view text, const Vocabularies& vocabularies) {
    return Reading<GameFile>([&] {
        const Lines lines = SplitLines(text);
        const Vocabulary* words = vocabularies.ForGameFile(Line(lines, 0));
        if (words == nullptr) {
            Fail(0, "\"" + std::string(lines[0]) +
                        "\" is the title of a game file in no known language (give the lab's "
                        "language file with --lang)");
        }
        GameFile game;
        game.header = ReadGameHeader(*words, lines);
        for (std::size_t i = kGameFirstRow; i < lines.size(); ++i) {
            if (Fields(lines[i]).size() != kGameRowFields) {
                Fail(i, "is no round row (" + std::to_string(kGameRowFields) + " fields)");
            }
            GameRow row;
            row.line = i + 1;
            row.offsetMs = NumberField(lines, i, 1, "Zeit (ms)");
            row.durationMs = NumberField(lines, i, 3, "Dauer (ms)");
            row.round = NumberField(lines, i, 5, "Runde");
            row.roundFile = Field(lines, i, 6);
            const long long won = NumberField(lines, i, 7, "Gewonnen");
            if (won != 0 && won != 1) {
                Fail(i, "Gewonnen " + std::to_string(won) + " is neither 0 nor 1");
            }
            row.won = won == 1;
            row.points = NumberField(lines, i, 8, "Punkte");
            row.series = NumberField(lines, i, 9, "Serie");
            game.rows.push_back(std::move(row));
        }
        return game;
    });
}

Parsed<PositionFile> ParsePositionFile(std::string_view text, const Vocabularies& vocabularies) {
    return Reading<PositionFile>([&] {
        const Lines lines = SplitLines(text);
        const Vocabulary* words = vocabularies.ForPositionFile(Line(lines, 0));
        if (words == nullptr) {
            Fail(0, "\"" + std::string(lines[0]) +
                        "\" is the title of a position file in no known language (give the "
                        "lab's language file with --lang)");
        }
        PositionFile positions;
        positions.header = ReadGameHeader(*words, lines);
        for (std::size_t i = kGameFirstRow; i < lines.size(); ++i) {
            const std::vector<std::string_view> fields = Fields(lines[i]);
            if (fields.size() != kPositionFields) {
                Fail(i, "is no position line (" + std::to_string(kPositionFields) + " fields)");
            }
            PositionLine line;
            line.line = i + 1;
            line.number = NumberAt(i, fields[0], "Zug");
            line.gameSeconds = ClockSeconds(i, fields[1]);
            line.roundSeconds = ClockSeconds(i, fields[2]);
            line.round = NumberAt(i, fields[3], "Runde");
            line.previousWon = NumberAt(i, fields[4], "vorherige Runde erfolgreich?") == 1;
            line.series = NumberAt(i, fields[5], "Punkte in Folge");
            line.cells = {Cell(*words, i, fields[14], 0), Cell(*words, i, fields[15], 1)};
            const std::string_view pairs = fields[16];
            line.start = !pairs.empty();
            for (std::size_t at = 0; at < pairs.size(); at += 3) {
                if (at + 2 > pairs.size() || (at + 2 < pairs.size() && pairs[at + 2] != ',')) {
                    Fail(i, "\"" + std::string(pairs) + "\" is no list of cell pairs");
                }
                line.winningPairs.push_back({Cell(*words, i, pairs.substr(at, 1), 0),
                                             Cell(*words, i, pairs.substr(at + 1, 1), 1)});
            }
            positions.lines.push_back(std::move(line));
        }
        return positions;
    });
}

Parsed<SubjectFile> ParseSubjectFile(std::string_view text, const Vocabularies& vocabularies) {
    // The server's own reader: a file the server takes, as a spreadsheet may
    // have saved it, is exported with the values the server reads from it.
    std::variant<server::SubjectContent, server::SubjectRefusal> read =
        server::ReadSubjectContent(text, vocabularies.SubjectTexts());
    if (const server::SubjectRefusal* refusal = std::get_if<server::SubjectRefusal>(&read)) {
        // Line 0 for the file as a whole, as a Failure without a line gives.
        return ParseError{refusal->line ? *refusal->line + 1 : 0, Cp1252ToUtf8(refusal->reason)};
    }
    server::SubjectContent& content = std::get<server::SubjectContent>(read);
    SubjectFile subject;
    subject.number = static_cast<int>(content.number);
    subject.name = std::move(content.name);
    subject.comment = std::move(content.comment);
    if (content.created) {
        subject.createdAt = content.created->Iso();
    }
    subject.points = content.points;
    subject.record = content.record;
    subject.rounds = content.rounds;
    subject.playMs = content.playMs;
    subject.games = static_cast<long long>(content.rows.size());
    for (server::SubjectGameRow& row : content.rows) {
        // A start without its seconds (a spreadsheet's "12.11.26 12:28") is
        // left to the game file, which gives it to the second.
        if (row.start && row.start->second) {
            subject.gameStarts.emplace_back(std::move(row.game), row.start->Iso());
        }
    }
    return subject;
}

}  // namespace quib::exporter
