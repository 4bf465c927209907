#include "server/records/round_lines.h"

#include "server/core/time_format.h"
#include "server/records/record_text.h"

namespace quib::server {
namespace {

std::string ClockSince(std::uint32_t now, std::uint32_t start) {
    return FormatClock(RecordedMs(now, start) / 1000);
}

}  // namespace

std::string RoundEventLine(std::uint32_t now, std::uint32_t roundStartMs, int seatNumber,
                           std::string_view kind, std::string_view information) {
    return std::to_string(RecordedMs(now, roundStartMs)) + ";" + ClockSince(now, roundStartMs) +
           ";" + std::to_string(seatNumber) + ";" + std::string(kind) + ";" +
           std::string(information);
}

std::string PositionLine(
    const PositionMoment& moment,
    const std::array<std::array<std::string, kRecordedCells>, kRecordedSeats>& stimuli,
    const std::array<std::string, kRecordedSeats>& cellLetters, std::string_view matches) {
    std::string line =
        std::to_string(moment.count) + ";" + ClockSince(moment.now, moment.gameStartMs) + ";" +
        ClockSince(moment.now, moment.roundStartMs) + ";" + std::to_string(moment.round) + ";" +
        std::to_string(moment.prevWon) + ";" + std::to_string(moment.streak) + ";";
    for (const auto& seat : stimuli) {
        for (const std::string& stimulus : seat) {
            line += stimulus + ";";
        }
    }
    for (const std::string& letter : cellLetters) {
        line += letter + ";";
    }
    return line + std::string(matches) + "\n";
}

}  // namespace quib::server
