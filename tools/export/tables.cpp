#include "tools/export/tables.h"

#include <array>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

namespace quib::exporter {
namespace {

using enum ColumnType;

constexpr std::string_view kCells = "top_left, top_right, bottom_left, bottom_right";
constexpr std::string_view kColours = "red, yellow, green, blue, none, or #rrggbb";
constexpr std::string_view kShapes = "circle, triangle, square, pentagon";
constexpr std::string_view kRelations = "apart, touching";
constexpr std::string_view kDisplays = "open, covered";
constexpr std::string_view kWon = "1 won, 0 lost";
constexpr std::string_view kPlayers = "1, 2";
constexpr std::string_view kYesNo = "1 yes, 0 no";
constexpr std::string_view kPairMeaning =
    "The two seats' subjects as an unordered pair: their numbers joined by \"-\", the smaller "
    "first (\"3-7\" whichever seat each took), to group a pair's games and rounds. A seat without "
    "subject is \"none\" and stands last (\"3-none\", \"none-none\"): such a value may stand for "
    "different people.";
constexpr std::string_view kSpeeds =
    "slow, medium, fast, instant (the speed list's entries: the figure moves 0.02, 0.04, 0.06 or "
    "0.08 of the board's side per screen update), not_chosen (the list's prompt: the figures do "
    "not move), or other:<word> for a word that is no entry of the list in the file's language";
constexpr std::string_view kStartChoices =
    "random, top_left, top_right, bottom_left, bottom_right, same_as_partner (player 2 only: "
    "player 1's new start cell), previous_cell (the list's prompt: the cell the figure stood on "
    "at the end of the round before), or other:<word> for a word that is no entry of the list "
    "in the file's language";

constexpr std::array kGameColumns = {
    Column{"game", Integer, "", "Game number; joins the other tables.", ">= 0"},
    Column{"game_file", Text, "", "The game's file in log/ (and log2/).", "g + six digits + .csv"},
    Column{"start", DateTime, "",
           "When the experimenter started the game (to the second, as the files keep it).", ""},
    Column{"p1_subject", Integer, "",
           "Subject number of player 1; empty when no subject was chosen.", ">= 0"},
    Column{"p1_name", Text, "", "Name or synonym of player 1 as the game file has it.", ""},
    Column{"p2_subject", Integer, "",
           "Subject number of player 2; empty when no subject was chosen.", ">= 0"},
    Column{"p2_name", Text, "", "Name or synonym of player 2 as the game file has it.", ""},
    Column{"p1_level", Integer, "", "Level of player 1 at the game's first round.", "1 to 6"},
    Column{"p2_level", Integer, "", "Level of player 2 at the game's first round.", "1 to 6"},
    Column{"speed", Text, "", "The speed entry chosen, as a fixed code.", kSpeeds},
    Column{"p1_display", Text, "", "Whether player 1 saw the partner's board.", kDisplays},
    Column{"p2_display", Text, "", "Whether player 2 saw the partner's board.", kDisplays},
    Column{"p1_figure", Text, "", "Picture file of player 1's figure.", ""},
    Column{"p2_figure", Text, "", "Picture file of player 2's figure.", ""},
    Column{"p1_start_choice", Text, "",
           "How player 1's start cell was chosen: the start list's entry, as a fixed code.",
           kStartChoices},
    Column{"p2_start_choice", Text, "",
           "How player 2's start cell was chosen: the start list's entry, as a fixed code.",
           kStartChoices},
    Column{"rounds", Integer, "rounds", "Rounds the game file counts.", ">= 1"},
    Column{"rounds_present", Integer, "rounds", "Of those, rounds with a row and a round file.",
           ">= 0"},
    Column{"points", Integer, "rounds", "Rounds won in the game.", ">= 0"},
    Column{"highscore", Integer, "rounds", "Longest series of won rounds in the game.", ">= 0"},
    Column{"play_ms", Integer, "ms", "Sum of the durations of the game's rounds.", ">= 0"},
    Column{"ending", Text, "", "How the game ended, as far as the files tell.",
           "complete (every round present), last_round_missing (all but the last), "
           "rounds_missing (others missing)"},
    Column{"pair", Text, "", kPairMeaning, "number-number, number-none, none-none"},
};

constexpr std::array kRoundColumns = {
    Column{"game", Integer, "", "Game number; joins games.csv.", ">= 0"},
    Column{"round", Integer, "", "Round number within the game, from 1.", ">= 1"},
    Column{"round_file", Text, "", "The round's file in log/.", "r + six digits + .csv"},
    Column{"start", DateTime, "", "When the round was set up (to the second).", ""},
    Column{"duration_ms", Integer, "ms", "From the round's set-up to its end.", ">= 0"},
    Column{"won", Integer, "", "Whether the players met on matching cells.", kWon},
    Column{"points_after", Integer, "rounds", "Rounds won in the game up to this one.", ">= 0"},
    Column{"series_after", Integer, "rounds", "Won rounds in a row up to this one.", ">= 0"},
    Column{"p1_subject", Integer, "", "Subject number of player 1; empty for none.", ">= 0"},
    Column{"p2_subject", Integer, "", "Subject number of player 2; empty for none.", ">= 0"},
    Column{"p1_level", Integer, "", "Level of player 1 in this round.", "1 to 6"},
    Column{"p2_level", Integer, "", "Level of player 2 in this round.", "1 to 6"},
    Column{"p1_display", Text, "", "Whether player 1 saw the partner's board.", kDisplays},
    Column{"p2_display", Text, "", "Whether player 2 saw the partner's board.", kDisplays},
    Column{"speed", Text, "", "The speed entry, as a fixed code.", kSpeeds},
    Column{"p1_figure", Text, "", "Picture file of player 1's figure.", ""},
    Column{"p2_figure", Text, "", "Picture file of player 2's figure.", ""},
    Column{"p1_start_cell", Text, "", "Player 1's cell at the start.", kCells},
    Column{"p2_start_cell", Text, "", "Player 2's cell at the start.", kCells},
    Column{"p1_end_cell", Text, "", "Player 1's cell at the end.", kCells},
    Column{"p2_end_cell", Text, "", "Player 2's cell at the end.", kCells},
    Column{"p1_moves", Integer, "moves", "Arrow moves of player 1 that were carried out.", ">= 0"},
    Column{"p2_moves", Integer, "moves", "Arrow moves of player 2 that were carried out.", ">= 0"},
};

// Worked out of the round file by the server's rules (round_measures.h);
// after the stimulus columns, so that the columns before keep their places.
constexpr std::array kRoundMeasureColumns = {
    Column{"p1_first_move_ms", Integer, "ms",
           "From the round's start (its start event: both players had pressed the space bar) to "
           "player 1's first key that moved the figure (see from_cell in events.csv); empty when "
           "player 1 did not move in the round.",
           ">= 0"},
    Column{"p2_first_move_ms", Integer, "ms", "As p1_first_move_ms, for player 2.", ">= 0"},
    Column{"p1_end_on_shared", Integer, "",
           "Whether player 1's end cell holds a stimulus that player 2's board holds too, by the "
           "rule the round is judged by (both figures equal, in the same or in swapped order, and "
           "equal contact). A won round has 1 for both players; 1 for both may still be lost when "
           "the boards share more than one stimulus. Empty when the end cell is unknown.",
           kYesNo},
    Column{"p2_end_on_shared", Integer, "",
           "As p1_end_on_shared, for player 2's end cell and player 1's board.", kYesNo},
    Column{"winning_pair_count", Integer, "pairs",
           "Of the 16 pairs of a player 1 cell and a player 2 cell, those whose stimuli are the "
           "same by the rule the round is judged by: the pairs the players could have won on, as "
           "listed on the round's start line in positions.csv. The server always deals at least "
           "one.",
           "0 to 16"},
    Column{"pair", Text, "", kPairMeaning, "number-number, number-none, none-none"},
};

constexpr std::array kEventColumns = {
    Column{"game", Integer, "", "Game number.", ">= 0"},
    Column{"round", Integer, "", "Round number; with game joins rounds.csv.", ">= 1"},
    Column{"round_ms", Integer, "ms", "Since the round's set-up.", ""},
    Column{"time", DateTime, "",
           "Clock time with milliseconds: the game's start plus the round's offset in the game "
           "file plus round_ms. The game's start is kept to the second, so all times of a game "
           "may be early by up to 1 s (2 s where it is worked back from when the game file was "
           "first written, for a game without subject files); their order and the gaps between "
           "them are exact, across rounds too. Without the game's start or the round's row in "
           "the game file: the time the round file was written (to the second, so up to 1 s "
           "early) less the round's length plus round_ms.",
           ""},
    Column{"player", Integer, "", "Whose event; empty for the round's start.", kPlayers},
    Column{"kind", Text, "", "What happened.",
           "start (the round began), key (a key was taken), position (a figure arrived)"},
    Column{"key", Text, "", "The key of a key event.", "space, left, up, right, down, other"},
    Column{"key_code", Integer, "", "Windows virtual-key code of a key event.",
           "32 space, 37 left, 38 up, 39 right, 40 down"},
    Column{"cell", Text, "", "The cell a figure reached (position events).", kCells},
    Column{"from_cell", Text, "",
           "For a key that moved the player's figure: the cell it left. A key moves the figure "
           "when it is an arrow the server took, and the server writes no other arrow into the "
           "round file: it takes an arrow only when the figure stands on its cell, the player "
           "has not ended the round, and the arrow leads to a cell of the board. The space bar "
           "and other keys move nothing. Empty for every other line.",
           kCells},
    Column{"to_cell", Text, "",
           "For a key that moved the player's figure: the cell it made for, one cell in the "
           "arrow's direction; the player's next position event is its arrival there. Empty for "
           "every other line.",
           kCells},
};

constexpr std::array kPositionColumns = {
    Column{"game", Integer, "", "Game number.", ">= 0"},
    Column{"round", Integer, "", "Round number.", ">= 1"},
    Column{"line", Integer, "", "Running number of the position line in the game, from 0.", ">= 0"},
    Column{"game_ms", Integer, "ms",
           "Since the game's start. The position file keeps whole seconds only, so this is "
           "rebuilt from the round file: the round's offset in the game file plus round_ms. "
           "Empty when the round file or the round's row is missing.",
           ">= 0"},
    Column{"round_ms", Integer, "ms",
           "Since the round's set-up, rebuilt from the round file: the time of its start or "
           "arrival event that wrote this line (the k-th line of a round is the round file's k-th "
           "start or position event). Empty when the round file or the round's row is missing.",
           ""},
    Column{"kind", Text, "", "What the line records.",
           "start (round began), position (a figure arrived)"},
    Column{"previous_won", Integer, "", "Whether the round before was won (0 in the first round).",
           kWon},
    Column{"series", Integer, "rounds", "Won rounds in a row before this round.", ">= 0"},
    Column{"p1_cell", Text, "",
           "Player 1's target cell at this moment, set when the key is taken: the cell the "
           "figure stands on or is still travelling to (on a line of player 2's arrival it may "
           "not have reached it yet).",
           kCells},
    Column{"p2_cell", Text, "",
           "Player 2's target cell at this moment, set when the key is taken: the cell the "
           "figure stands on or is still travelling to (on a line of player 1's arrival it may "
           "not have reached it yet).",
           kCells},
    Column{"winning_pairs", Text, "",
           "On start lines, every pair of cells (player 1 then player 2) that wins, separated by "
           "spaces, e.g. \"top_left:bottom_right top_right:top_left\"; empty on position lines.",
           ""},
};

constexpr std::array kSubjectColumns = {
    Column{"subject", Integer, "", "Subject number; joins p1_subject and p2_subject.", ">= 0"},
    Column{"subject_file", Text, "", "The subject's file in log/.", "p + six digits + .csv"},
    Column{"name", Text, "", "Name or synonym.", ""},
    Column{"comment", Text, "", "The experimenter's comment (line breaks kept).", ""},
    Column{"created", DateTime, "",
           "When the subject file was created; to the minute where a spreadsheet saved it "
           "without the seconds, empty where its date or time is in no form the export reads "
           "(a date with / may be day or month first).",
           ""},
    Column{"points", Integer, "rounds", "Rounds won over all games.", ">= 0"},
    Column{"record", Integer, "rounds", "Longest series of won rounds in one game.", ">= 0"},
    Column{"rounds", Integer, "rounds", "Rounds played over all games.", ">= 0"},
    Column{"play_ms", Integer, "ms", "Play time over all games.", ">= 0"},
    Column{"games", Integer, "games", "Game rows in the subject file.", ">= 0"},
};

// What the session files tell about a game's seats and a round's
// connections; empty for games no session file saw start (records from
// before the server wrote them).
constexpr std::array kGameComputerColumns = {
    Column{"p1_address", Text, "", "IPv4 address of player 1's computer at the game's start.", ""},
    Column{"p1_host", Text, "", "Host name player 1's program reported at the game's start.", ""},
    Column{"p2_address", Text, "", "IPv4 address of player 2's computer at the game's start.", ""},
    Column{"p2_host", Text, "", "Host name player 2's program reported at the game's start.", ""},
};

constexpr std::array kRoundConnectionColumns = {
    Column{"connection_lost", Integer, "",
           "Whether a seat lost its connection while the round ran (from its set-up until "
           "it was judged): its player may have missed moves, or made some on return.",
           "1 lost, 0 not"},
    Column{"connection_losses", Integer, "losses",
           "How often a seat lost its connection while the round ran.", ">= 0"},
    Column{"bad_frames", Integer, "reports",
           "Frames a player's program reported it could not draw while the round ran.", ">= 0"},
};

constexpr std::array kConnectionColumns = {
    Column{"session_file", Text, "", "The session file in sessions/: one per run of the server.",
           "s + six digits + .csv"},
    Column{"line", Integer, "", "Its line, from 1.", ">= 6"},
    Column{"time", DateTime, "", "When it happened (local time, with milliseconds).", ""},
    Column{"event", Text, "", "What happened.",
           "seat_taken (a player's computer took the seat), host_changed (it reported another "
           "host name), seat_lost (the connection ended), bad_frames (the player's program "
           "reported frames it could not draw), game_started (one row per seat), game_ended, "
           "server_ended (the server ended in order; a session without it ended otherwise)"},
    Column{"seat", Integer, "", "The seat concerned; empty for game_ended and server_ended.",
           kPlayers},
    Column{"game", Integer, "", "The game being played; empty when none.", ">= 0"},
    Column{"round", Integer, "",
           "The round in progress (from its set-up until it was judged); empty when none.", ">= 1"},
    Column{"address", Text, "", "The seat's computer: its IPv4 address.", ""},
    Column{"host", Text, "", "The seat's computer: the host name its program reported.", ""},
    Column{"count", Integer, "reports",
           "bad_frames: reports within this second (until the next row); empty otherwise.", ">= 1"},
};

constexpr std::array kProblemColumns = {
    Column{"file", Text, "", "The file concerned, relative to the lab folder.", ""},
    Column{"line", Integer, "", "Its line, from 1; empty when the whole file is concerned.",
           ">= 1"},
    Column{"kind", Text, "", "What kind of disagreement (codebook.md lists them).", ""},
    Column{"problem", Text, "", "The disagreement in words.", ""},
};

constexpr std::array kCodebookColumns = {
    Column{"table", Text, "", "The table's file.", ""},
    Column{"column", Text, "", "The column's name in its header row.", ""},
    Column{"type", Text, "", "How its values are written.", "integer, text, datetime"},
    Column{"unit", Text, "", "The unit of its values; empty for none.", ""},
    Column{"meaning", Text, "", "What it holds.", ""},
    Column{"allowed", Text, "", "The values it may hold; empty for any of its type.", ""},
};

// The stimulus columns of rounds.csv: for each player and cell, in the
// board's reading order, the parts of the figure pair it shows.
struct StimulusPart {
    std::string_view suffix;
    std::string_view meaning;
    std::string_view allowed;
};
constexpr std::array<StimulusPart, 5> kStimulusParts = {{
    {"colour", "colour of the first figure (levels 1 to 3)", kColours},
    {"shape", "shape of the first figure (levels 2 to 6)", kShapes},
    {"relation", "whether the two figures touch (levels 3, 5 and 6)", kRelations},
    {"second_colour", "colour of the second figure (level 3)", kColours},
    {"second_shape", "shape of the second figure (levels 3, 5 and 6)", kShapes},
}};
constexpr std::array<std::string_view, 4> kCellNames = {"top_left", "top_right", "bottom_left",
                                                        "bottom_right"};

constexpr Column kLabColumn{
    kLabColumnName, Text, "",
    "The lab folder's identity (its lab_id.txt, made once by the server; else the session "
    "files' or the one given to quib_export with --lab; empty when none). With it the tables "
    "of several labs pool without two games, rounds or subjects sharing a key.",
    "letters, digits, - _ . (at most 64)"};

// Storage for the names and meanings that are put together at start.
struct Built {
    std::deque<std::string> texts;
    std::deque<std::vector<Column>> columns;
    std::array<Table, 8> tables;
};

// `columns`, then the lab's.
std::span<const Column> WithLab(Built& built, std::span<const Column> columns) {
    std::vector<Column>& all = built.columns.emplace_back(columns.begin(), columns.end());
    all.push_back(kLabColumn);
    return all;
}

std::string_view Keep(Built& built, std::string text) {
    return built.texts.emplace_back(std::move(text));
}

Built Build() {
    Built built;
    std::vector<Column> rounds(kRoundColumns.begin(), kRoundColumns.end());
    for (const std::string_view player : {"p1", "p2"}) {
        for (const std::string_view cell : kCellNames) {
            for (const StimulusPart& part : kStimulusParts) {
                const std::string name =
                    std::string(player) + "_" + std::string(cell) + "_" + std::string(part.suffix);
                std::string meaning = "Player " + std::string(player.substr(1)) + "'s " +
                                      std::string(cell) + " cell: " + std::string(part.meaning) +
                                      "; empty when its level has none.";
                meaning[meaning.find('_')] = ' ';
                rounds.push_back({Keep(built, name), Text, "", Keep(built, meaning), part.allowed});
            }
        }
    }
    rounds.insert(rounds.end(), kRoundMeasureColumns.begin(), kRoundMeasureColumns.end());
    rounds.insert(rounds.end(), kRoundConnectionColumns.begin(), kRoundConnectionColumns.end());
    std::vector<Column> games(kGameColumns.begin(), kGameColumns.end());
    games.insert(games.end(), kGameComputerColumns.begin(), kGameComputerColumns.end());
    built.tables = {{
        {"games.csv", "One row per game.", WithLab(built, games)},
        {"rounds.csv", "One row per round file.", WithLab(built, rounds)},
        {"events.csv", "One row per line of a round file's event list.",
         WithLab(built, kEventColumns)},
        {"positions.csv", "One row per line of a game's position file.",
         WithLab(built, kPositionColumns)},
        {"subjects.csv", "One row per subject file.", WithLab(built, kSubjectColumns)},
        {"connections.csv", "One row per line of a session file's event list.",
         WithLab(built, kConnectionColumns)},
        {"problems.csv", "One row per disagreement between the lab's files.",
         WithLab(built, kProblemColumns)},
        {"codebook.csv", "One row per column of the tables above.", kCodebookColumns},
    }};
    return built;
}

}  // namespace

std::span<const Table> Tables() {
    static const Built built = Build();
    return built.tables;
}

const Table& TableNamed(std::string_view file) {
    for (const Table& table : Tables()) {
        if (table.file == file) {
            return table;
        }
    }
    std::abort();
}

std::size_t ColumnIndex(const Table& table, std::string_view name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].name == name) {
            return i;
        }
    }
    std::abort();
}

std::string_view TypeName(ColumnType type) {
    switch (type) {
        case Integer:
            return "integer";
        case Text:
            return "text";
        case DateTime:
            return "datetime";
    }
    return "text";
}

}  // namespace quib::exporter
