#include "server/records/subject_statistics.h"

#include <cstdint>

#include "server/core/time_format.h"

namespace quib::server {
namespace {

std::string UnknownTime(const ServerTexts& texts) {
    return "?? " + texts[txt::kHoursUnit] + " ?? " + texts[txt::kMinutesUnit];
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
    lines[0] = texts[txt::kPoints] + ": " + std::to_string(record.totalPoints) + " " +
               texts[txt::kTotal] + ", " + std::to_string(record.record) + " " +
               texts[txt::kRecord];
    lines[1] = texts[txt::kTotalPlayTime] + ": " + HoursMinutesOfMs(record.totalPlayMs, texts);
    if (other.subjectNumber == record.subjectNumber) {
        lines[2] = texts[txt::kSameSubjectTwiceStart];
        lines[3] = texts[txt::kSameSubjectTwiceEnd];
    } else if (other.subjectNumber >= 0) {
        lines[2] = std::to_string(record.roundsWithPartner) + " " + texts[txt::kRoundsWithPartner];
        lines[3] = texts[txt::kInAllOf] + " " + HoursMinutesOfMs(record.msWithPartner, texts);
    }
    return lines;
}

SubjectStatistics EmptySubjectStatisticsLines(const ServerTexts& texts) {
    return {
        texts[txt::kPoints] + ": ???? " + texts[txt::kTotal] + ", ?? " + texts[txt::kRecord],
        texts[txt::kTotalPlayTime] + ": " + UnknownTime(texts),
        "??? " + texts[txt::kRoundsWithPartner],
        texts[txt::kInAllOf] + " " + UnknownTime(texts),
    };
}

}  // namespace quib::server
