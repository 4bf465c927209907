#pragma once

// The session file: one per run of the server, beside the record files,
// telling which computer played each seat and what went wrong with the
// connections while games and rounds ran. The record files say what was
// played; only this file says that a seat was lost mid-round, or that a
// player's program could not draw what it was sent.
//
// Where: sessions/s000001.csv, s000002.csv, ... below the lab folder (the
// first number no file has; a number is never used twice). The lab folder's
// identity is kept in lab_id.txt beside the folders (LabIdentity below).
//
// Layout: the plain CSV of the record files (csv_text.h): ";" between
// fields, LF line ends, Windows-1252. A field taken from a player's program
// (the host name) is quoted as spreadsheets quote (CsvQuoted) when it holds
// ";" or a double quote; line breaks never reach it. Unlike the other record
// files its words are fixed English codes in every language of the server:
// the file is read by programs, and its events are named nowhere on screen.
//
//   line 1   quib session;s000003.csv
//   line 2   lab;lab-5f1c9a3e7b2d4068
//   line 3   version;1.4.0
//   line 4   started;2026-12-11T17:02:16.123
//   line 5   time;event;seat;game;round;address;host;count
//   line 6+  2026-12-11T17:02:20.500;seat_taken;1;;;192.168.1.7;PC07;
//            2026-12-11T17:04:00.020;game_started;1;3;;192.168.1.7;PC07;
//            2026-12-11T17:05:01.250;seat_lost;2;3;12;192.168.1.8;PC08;
//            2026-12-11T17:05:02.000;bad_frames;1;3;12;192.168.1.7;PC07;4
//            ...
//            2026-12-11T18:30:00.000;server_ended;;;;;;
//
// The round in progress: from the round's set-up (its boards drawn, the
// players asked to start it) until its result is judged, that is while the
// game waits for both players' start and while they play. Between rounds
// (the result shown, the next one not set up yet) and outside a game the
// field is empty; `round` counts the game's rounds from 1 (the rounds
// recorded so far, plus one).
// seat_taken is written once the program has named its computer (its first
// reply carries the host name), so that the line names it fully; a program
// that never does gets its seat_taken line just before the seat's next line
// (game_started, bad_frames, seat_lost) or server_ended, with `host` empty.
//
// `time` is the local wall-clock time of the event with milliseconds;
// `seat` 1 or 2 (empty for events of the whole server); `game` the number
// of the game being played (its g file's number) and `round` the number of
// the round in progress within it (from 1), each empty when none;
// `address` the player's computer in dotted IPv4 and `host` the name its
// program reported, as far as known when the event happened; `count` only
// for bad_frames. The file only ever grows by whole lines: a line is
// written with one append, so a run ended by a crash or a power cut leaves
// at most its last line cut short, which the next start of the server
// removes (RepairSessionFile).

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quib::server {

inline constexpr const char* kSessionFolderName = "sessions";
inline constexpr const char* kLabIdFileName = "lab_id.txt";
inline constexpr char kSessionFileLetter = 's';

// The fixed words of the header.
inline constexpr std::string_view kSessionTitle = "quib session";
inline constexpr std::string_view kSessionLabLabel = "lab";
inline constexpr std::string_view kSessionVersionLabel = "version";
inline constexpr std::string_view kSessionStartedLabel = "started";
inline constexpr std::string_view kSessionColumns = "time;event;seat;game;round;address;host;count";
// Lines above the first event.
inline constexpr std::size_t kSessionHeaderLines = 5;

enum class SessionEventKind {
    SeatTaken,    // a player's program took the seat (address; host once reported)
    HostChanged,  // the program on the seat reported a host name other than before
    SeatLost,     // the seat's connection ended
    BadFrames,    // the program on the seat reported frames it could not execute:
                  // `count` reports from `time` on, within that wall-clock second
                  // and before the file's next line (another event ends the count
                  // early, so that the lines stay in the order of their times)
    GameStarted,  // the experimenter started a game: one line per seat, with its computer
    GameEnded,    // the game ended (seat empty)
    ServerEnded,  // the server ended in order (a file without it ended otherwise)
};

// Every kind, in the order above.
std::span<const SessionEventKind> AllSessionEventKinds();
// The kind's code as the file writes it: "seat_taken", "bad_frames", ...
std::string_view SessionEventCode(SessionEventKind kind);
std::optional<SessionEventKind> SessionEventKindOf(std::string_view code);

struct SessionEvent {
    std::string time;  // "2026-12-11T17:05:01.250"
    SessionEventKind kind = SessionEventKind::SeatTaken;
    std::optional<int> seat;         // 1 or 2
    std::optional<int> game;         // the game being played
    std::optional<long long> round;  // the round in progress
    std::string address;             // dotted IPv4
    std::string host;                // Windows-1252, one line
    std::optional<long long> count;  // bad_frames only

    bool operator==(const SessionEvent&) const = default;
};

struct SessionHeader {
    std::string file;     // "s000003.csv"
    std::string labId;    // empty when the lab folder had no valid identity
    std::string version;  // the server's version
    std::string started;  // "2026-12-11T17:02:16.123"

    bool operator==(const SessionHeader&) const = default;
};

// The header's five lines, each ended by LF.
std::string FormatSessionHeader(const SessionHeader& header);
// One event line, ended by LF.
std::string FormatSessionEvent(const SessionEvent& event);

// A line of a session file that is not as the server writes it.
struct SessionLineProblem {
    std::size_t line = 0;  // from 1
    std::string text;      // what is wrong, Windows-1252 (it may quote the line)
};

struct SessionFile {
    SessionHeader header;
    // The events that could be read, each with its line (from 1).
    std::vector<std::pair<std::size_t, SessionEvent>> events;
    // The lines that could not: a header line unlike the above (the file's
    // events are then not read), an event line with a field out of place
    // (that line is skipped), and a last line without its LF (cut short).
    std::vector<SessionLineProblem> problems;
    bool headerRead = false;
};

// Reads a session file's text. Also checks the order the server writes in:
// times that never go back, counts and seats in range.
SessionFile ParseSessionFile(std::string_view text);

// Whether `id` can be a lab's identity: 1 to 64 characters of letters,
// digits, "-", "_" and ".", so that it is one cell in every table and a
// safe part of a file name.
bool IsValidLabId(std::string_view id);

// A new identity from 64 random bits: "lab-" + 16 lowercase hex digits.
std::string NewLabId(unsigned long long randomBits);

// The identity kept in lab_id.txt: its first line, without a trailing CR;
// nothing when that is not a valid identity.
std::optional<std::string> LabIdFromFileText(std::string_view text);

// The text of a session file whose last line a crash cut short, without
// that line; the text itself when it ends with LF (or is empty).
std::string_view WholeLinesOf(std::string_view text);

}  // namespace quib::server
