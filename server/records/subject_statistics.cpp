#include "server/records/subject_statistics.h"

#include <cstdint>

#include "server/core/time_format.h"

namespace quib::server {
namespace {

std::string UnknownTime(const ServerTexts& texts) {
    return "?? " + texts[26] + " ?? " + texts[27];
}

std::string HoursMinutesOfMs(std::int32_t ms, const ServerTexts& texts) {
    return FormatHoursMinutes(ms / 1000, texts);
}

}  // namespace

SubjectStatistics SubjectStatisticsLines(const SubjectRecord& record, const SubjectRecord& other,
                                         const ServerTexts& texts) {
    if (record.subjectNumber < 0) {
        return EmptySubjectStatisticsLines(texts);
    }
    SubjectStatistics lines = EmptySubjectStatisticsLines(texts);
    lines[0] = texts[15] + ": " + std::to_string(record.totalPoints) + " " + texts[84] + ", " +
               std::to_string(record.record) + " " + texts[18];
    lines[1] = texts[21] + ": " + HoursMinutesOfMs(record.totalPlayMs, texts);
    if (other.subjectNumber == record.subjectNumber) {
        lines[2] = texts[22];
        lines[3] = texts[23];
    } else if (other.subjectNumber >= 0) {
        lines[2] = std::to_string(record.roundsWithPartner) + " " + texts[24];
        lines[3] = texts[25] + " " + HoursMinutesOfMs(record.msWithPartner, texts);
    }
    return lines;
}

SubjectStatistics EmptySubjectStatisticsLines(const ServerTexts& texts) {
    return {
        texts[15] + ": ???? " + texts[84] + ", ?? " + texts[18],
        texts[21] + ": " + UnknownTime(texts),
        "??? " + texts[24],
        texts[25] + " " + UnknownTime(texts),
    };
}

}  // namespace quib::server
