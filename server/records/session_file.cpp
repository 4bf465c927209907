#include "server/records/session_file.h"

#include <array>
#include <cstdio>

#include "server/records/csv_text.h"

namespace quib::server {
namespace {

constexpr std::array kKinds = {
    SessionEventKind::SeatTaken,   SessionEventKind::HostChanged, SessionEventKind::SeatLost,
    SessionEventKind::BadFrames,   SessionEventKind::GameStarted, SessionEventKind::GameEnded,
    SessionEventKind::ServerEnded,
};

constexpr std::array<std::string_view, kKinds.size()> kCodes = {
    "seat_taken",   "host_changed", "seat_lost",    "bad_frames",
    "game_started", "game_ended",   "server_ended",
};

constexpr int kEventFields = 8;

// Longest identity: one cell of a table, part of a file name on every
// system a lab may copy its folder to.
constexpr std::size_t kLabIdMaxLength = 64;

template <typename T>
std::string Optional(const std::optional<T>& value) {
    return value ? std::to_string(*value) : std::string();
}

// "2026-12-11T17:05:01.250": what the writer puts in the header's start
// and each event's time.
bool IsEventTime(std::string_view text) {
    static constexpr std::string_view kPattern = "dddd-dd-ddTdd:dd:dd.ddd";
    if (text.size() != kPattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : text[i] != kPattern[i]) {
            return false;
        }
    }
    return true;
}

// The value of a header line "label;value"; nothing for another label.
std::optional<std::string> HeaderValue(std::string_view line, std::string_view label) {
    const std::optional<std::vector<std::string_view>> fields = QuotedFieldSpans(line);
    if (!fields || fields->size() != 2 || UnquotedField((*fields)[0]) != label) {
        return std::nullopt;
    }
    return UnquotedField((*fields)[1]);
}

bool ReadHeader(const std::vector<std::string_view>& lines, SessionFile& file) {
    if (lines.size() < kSessionHeaderLines) {
        file.problems.push_back({lines.size() + 1, "the header ends before its five lines"});
        return false;
    }
    const std::optional<std::string> title = HeaderValue(lines[0], kSessionTitle);
    const std::optional<std::string> lab = HeaderValue(lines[1], kSessionLabLabel);
    const std::optional<std::string> version = HeaderValue(lines[2], kSessionVersionLabel);
    const std::optional<std::string> started = HeaderValue(lines[3], kSessionStartedLabel);
    const std::array<bool, kSessionHeaderLines> good = {
        title.has_value(), lab && (lab->empty() || IsValidLabId(*lab)), version.has_value(),
        started && IsEventTime(*started), lines[4] == kSessionColumns};
    for (std::size_t i = 0; i < good.size(); ++i) {
        if (!good[i]) {
            file.problems.push_back(
                {i + 1, "header line not as the server writes it: " + std::string(lines[i])});
            return false;
        }
    }
    file.header = {*title, *lab, *version, *started};
    return true;
}

// Whether the optional number field holds nothing or a number in [low, high].
template <typename T>
bool ReadNumber(std::string_view text, long long low, long long high, std::optional<T>& out) {
    if (text.empty()) {
        out.reset();
        return true;
    }
    const std::optional<long long> number = StrictNumber(text);
    if (!number || *number < low || *number > high) {
        return false;
    }
    out = static_cast<T>(*number);
    return true;
}

// What is wrong with an event's fields: which fields each kind must fill.
std::string EventFault(const SessionEvent& event) {
    const bool ofSeat =
        event.kind != SessionEventKind::GameEnded && event.kind != SessionEventKind::ServerEnded;
    if (ofSeat != event.seat.has_value()) {
        return ofSeat ? "the event names no seat" : "the event names a seat";
    }
    if (event.round && !event.game) {
        return "a round without its game";
    }
    const bool bad = event.kind == SessionEventKind::BadFrames;
    if (bad != (event.count.has_value() && *event.count >= 1)) {
        return bad ? "bad_frames without a count of at least 1" : "a count on another event";
    }
    return {};
}

std::optional<SessionEvent> ReadEvent(std::string_view line, std::string& fault) {
    std::string problem;
    const std::optional<std::vector<std::string_view>> spans = QuotedFieldSpans(line, &problem);
    if (!spans || spans->size() != kEventFields) {
        fault = spans ? "not eight fields" : problem;
        return std::nullopt;
    }
    std::array<std::string, kEventFields> field;
    for (int i = 0; i < kEventFields; ++i) {
        field[i] = UnquotedField((*spans)[i]);
    }
    SessionEvent event;
    event.time = field[0];
    const std::optional<SessionEventKind> kind = SessionEventKindOf(field[1]);
    if (!IsEventTime(event.time) || !kind) {
        fault = !kind ? "unknown event " + field[1] : "no time of the form 2026-12-11T17:05:01.250";
        return std::nullopt;
    }
    event.kind = *kind;
    event.address = field[5];
    event.host = field[6];
    if (!ReadNumber(field[2], 1, 2, event.seat) || !ReadNumber(field[3], 0, 999999, event.game) ||
        !ReadNumber(field[4], 1, 999999999999LL, event.round) ||
        !ReadNumber(field[7], 0, 999999999999LL, event.count)) {
        fault = "a seat, game, round or count out of its range";
        return std::nullopt;
    }
    fault = EventFault(event);
    if (!fault.empty()) {
        return std::nullopt;
    }
    return event;
}

}  // namespace

std::span<const SessionEventKind> AllSessionEventKinds() {
    return kKinds;
}

std::string_view SessionEventCode(SessionEventKind kind) {
    return kCodes[static_cast<std::size_t>(kind)];
}

std::optional<SessionEventKind> SessionEventKindOf(std::string_view code) {
    for (std::size_t i = 0; i < kCodes.size(); ++i) {
        if (kCodes[i] == code) {
            return kKinds[i];
        }
    }
    return std::nullopt;
}

std::string FormatSessionHeader(const SessionHeader& header) {
    return std::string(kSessionTitle) + ";" + CsvQuoted(header.file) + "\n" +
           std::string(kSessionLabLabel) + ";" + CsvQuoted(header.labId) + "\n" +
           std::string(kSessionVersionLabel) + ";" + CsvQuoted(header.version) + "\n" +
           std::string(kSessionStartedLabel) + ";" + header.started + "\n" +
           std::string(kSessionColumns) + "\n";
}

std::string FormatSessionEvent(const SessionEvent& event) {
    return event.time + ";" + std::string(SessionEventCode(event.kind)) + ";" +
           Optional(event.seat) + ";" + Optional(event.game) + ";" + Optional(event.round) + ";" +
           CsvQuoted(event.address) + ";" + CsvQuoted(event.host) + ";" + Optional(event.count) +
           "\n";
}

SessionFile ParseSessionFile(std::string_view text) {
    SessionFile file;
    const std::string_view whole = WholeLinesOf(text);
    const std::vector<std::string_view> lines = SplitLines(whole);
    if (whole.size() < text.size()) {
        file.problems.push_back({lines.size() + 1,
                                 "last line cut short (the server was stopped "
                                 "while writing it)"});
    }
    file.headerRead = ReadHeader(lines, file);
    if (!file.headerRead) {
        return file;
    }
    std::string lastTime = file.header.started;
    for (std::size_t i = kSessionHeaderLines; i < lines.size(); ++i) {
        std::string fault;
        std::optional<SessionEvent> event = ReadEvent(lines[i], fault);
        if (!event) {
            file.problems.push_back({i + 1, fault + ": " + std::string(lines[i])});
            continue;
        }
        // The times are of one clock, written in order; a clock set back
        // by hand (or a summer-time change) is worth a researcher's note.
        if (event->time < lastTime) {
            file.problems.push_back({i + 1, "time before the line above: " + event->time});
        }
        lastTime = event->time;
        file.events.emplace_back(i + 1, std::move(*event));
    }
    return file;
}

bool IsValidLabId(std::string_view id) {
    if (id.empty() || id.size() > kLabIdMaxLength || id == "." || id == "..") {
        return false;
    }
    for (const char c : id) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && c != '-' && c != '_' && c != '.') {
            return false;
        }
    }
    return true;
}

std::string NewLabId(unsigned long long randomBits) {
    char text[24];
    std::snprintf(text, sizeof text, "lab-%016llx", randomBits);
    return text;
}

std::optional<std::string> LabIdFromFileText(std::string_view text) {
    std::string_view line = text.substr(0, text.find('\n'));
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    if (!IsValidLabId(line)) {
        return std::nullopt;
    }
    return std::string(line);
}

std::string_view WholeLinesOf(std::string_view text) {
    const std::size_t lastLf = text.rfind('\n');
    return lastLf == std::string_view::npos ? text.substr(0, 0) : text.substr(0, lastLf + 1);
}

}  // namespace quib::server
