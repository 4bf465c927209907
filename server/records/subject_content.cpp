#include "server/records/subject_content.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/codepage.h"
#include "server/records/csv_text.h"
#include "server/records/subject_format.h"

namespace quib::server {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// How QuotedFieldSpans begins the problem of a quoted field the line ends in.
constexpr std::string_view kNotClosed = "a quoted field is not closed";

// Thrown while reading, caught where the reading began.
struct Refused {
    SubjectRefusal refusal;
};

[[noreturn]] void Refuse(std::size_t line, std::string reason) {
    throw Refused{{line, std::move(reason)}};
}

// 1 to `maxDigits` decimal digits as a number; nothing for anything else.
std::optional<int> Digits(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string_view::npos) {
            return parts;
        }
        start = at + 1;
    }
}

// "09.03.24", "9.3.24", "09.03.2024" or "2024-03-09" into the stamp.
bool ReadDate(std::string_view text, SubjectStamp& stamp) {
    std::optional<int> day;
    std::optional<int> month;
    std::optional<int> year;
    if (const auto dotted = Split(text, '.'); dotted.size() == 3) {
        day = Digits(dotted[0], 2);
        month = Digits(dotted[1], 2);
        // Two digits are the program's own year of this century.
        if (dotted[2].size() == 2 || dotted[2].size() == 4) {
            year = Digits(dotted[2], 4);
        }
        if (year && dotted[2].size() == 2) {
            *year += 2000;
        }
    } else if (const auto iso = Split(text, '-');
               iso.size() == 3 && iso[0].size() == 4 && iso[1].size() == 2 && iso[2].size() == 2) {
        year = Digits(iso[0], 4);
        month = Digits(iso[1], 2);
        day = Digits(iso[2], 2);
    }
    if (!day || !month || !year || *month < 1 || *month > 12 || *day < 1 || *day > 31) {
        return false;
    }
    stamp.year = *year;
    stamp.month = *month;
    stamp.day = *day;
    return true;
}

// "14:05:07", "14:05", "2:05:07 PM" into the stamp.
bool ReadTime(std::string_view text, SubjectStamp& stamp) {
    int twelveHours = -1;  // 0 for AM, 12 for PM, -1 for neither
    if (text.size() > 3 && text[text.size() - 3] == ' ' &&
        std::toupper(static_cast<unsigned char>(text.back())) == 'M') {
        const char half =
            static_cast<char>(std::toupper(static_cast<unsigned char>(text[text.size() - 2])));
        twelveHours = half == 'A' ? 0 : half == 'P' ? 12 : -1;
        if (twelveHours >= 0) {
            text.remove_suffix(3);
        }
    }
    const std::vector<std::string_view> parts = Split(text, ':');
    if ((parts.size() != 2 && parts.size() != 3) || parts[1].size() != 2 ||
        (parts.size() == 3 && parts[2].size() != 2)) {
        return false;
    }
    int hour = Digits(parts[0], 2).value_or(-1);
    const int minute = Digits(parts[1], 2).value_or(-1);
    const int second = parts.size() == 3 ? Digits(parts[2], 2).value_or(-1) : 0;
    if (hour < 0 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return false;
    }
    if (twelveHours >= 0) {
        if (hour < 1 || hour > 12) {
            return false;
        }
        hour = hour % 12 + twelveHours;
    } else if (hour > 23) {
        return false;
    }
    stamp.hour = hour;
    stamp.minute = minute;
    stamp.second = parts.size() == 3 ? std::optional<int>(second) : std::nullopt;
    return true;
}

long long NumberAt(std::size_t line, const std::string& text, std::string_view what) {
    if (text.empty()) {
        return 0;  // as the server has always read it; its next update writes it
    }
    const std::optional<long long> value = StrictNumber(text);
    if (!value) {
        Refuse(line, std::string(what) + " \"" + text + "\" is no whole number");
    }
    return *value;
}

// Nothing for a date or time in no form ReadDate and ReadTime know: the
// server reads no date, so an odd one never keeps a subject from playing.
std::optional<SubjectStamp> StampOf(std::string_view date, std::string_view time) {
    SubjectStamp stamp;
    if (!ReadDate(date, stamp) || !ReadTime(time, stamp)) {
        return std::nullopt;
    }
    return stamp;
}

// Fields as SubjectField reads them, or the refusal of a malformed line.
std::vector<std::string> FieldsOf(const std::vector<std::string_view>& lines, std::size_t line) {
    std::string problem;
    const std::optional<std::vector<std::string_view>> spans =
        QuotedFieldSpans(lines[line], &problem);
    if (!spans) {
        Refuse(line, problem);
    }
    std::vector<std::string> fields;
    for (const std::string_view raw : *spans) {
        fields.push_back(UnquotedField(raw));
    }
    return fields;
}

// Field n (from 1), empty past the line's last field.
const std::string& At(const std::vector<std::string>& fields, int n) {
    static const std::string kNone;
    return n >= 1 && static_cast<std::size_t>(n) <= fields.size()
               ? fields[static_cast<std::size_t>(n) - 1]
               : kNone;
}

SubjectContent Read(const std::vector<std::string_view>& lines, const ServerTexts& texts) {
    // A line break inside a quoted cell, even in a note, would make a CSV
    // reader take the lines below as part of that cell.
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string problem;
        if (!QuotedFieldSpans(lines[i], &problem) && problem.starts_with(kNotClosed)) {
            Refuse(i, problem);
        }
    }
    const std::optional<SubjectLayout> layout = FindSubjectLayout(lines, texts);
    if (!layout) {
        throw Refused{{std::nullopt,
                       "layout not recognised: its number, name, comment, points and rounds "
                       "lines are not there once each and in this order"}};
    }
    SubjectContent content;
    content.layout = *layout;
    for (const std::optional<std::size_t> line : {layout->titleLine, layout->columnTitleLine}) {
        if (line) {
            FieldsOf(lines, *line);  // the program's lines too: refused when malformed
        }
    }
    const auto number = FieldsOf(lines, layout->numberLine);
    content.number = NumberAt(layout->numberLine, At(number, 2), "Spielernr.");
    content.name = At(FieldsOf(lines, layout->nameLine), 2);
    content.comment = DecodeComment(At(FieldsOf(lines, layout->commentLine), 2));
    if (layout->createdLine) {
        const auto created = FieldsOf(lines, *layout->createdLine);
        content.created = StampOf(At(created, 2), At(created, 3));
    }
    const auto points = FieldsOf(lines, layout->pointsLine);
    content.points = NumberAt(layout->pointsLine, At(points, 2), "Punkte");
    content.record = NumberAt(layout->pointsLine, At(points, 4), "Rekord");
    const auto rounds = FieldsOf(lines, layout->roundsLine);
    content.rounds = NumberAt(layout->roundsLine, At(rounds, 2), "Runden");
    content.playMs = NumberAt(layout->roundsLine, At(rounds, 4), "Spielzeit");
    content.playClock = At(rounds, 5);
    for (const std::size_t i : layout->gameRows) {
        const auto fields = FieldsOf(lines, i);
        SubjectGameRow row;
        row.line = i;
        row.game = At(fields, 1);
        // "09.03.24 14:05:07": date and time in one field.
        const std::string& start = At(fields, 2);
        const std::size_t blank = start.find(' ');
        row.start = StampOf(std::string_view(start).substr(0, blank),
                            blank == std::string::npos ? std::string_view()
                                                       : std::string_view(start).substr(blank + 1));
        row.partner = At(fields, 3);
        row.points = NumberAt(i, At(fields, 4), "Punkte");
        row.best = NumberAt(i, At(fields, 5), "Highscore");
        row.rounds = NumberAt(i, At(fields, 6), "Runden");
        row.playMs = NumberAt(i, At(fields, 7), "Dauer (ms)");
        content.rows.push_back(std::move(row));
    }
    return content;
}

}  // namespace

std::string SubjectStamp::Iso() const {
    char text[32];
    if (second) {
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour,
                      minute, *second);
    } else {
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", year, month, day, hour,
                      minute);
    }
    return text;
}

std::variant<SubjectBytes, SubjectRefusal> DecodeSubjectBytes(std::string_view bytes) {
    if (!bytes.starts_with(kByteOrderMark)) {
        return SubjectBytes{std::string(bytes), false};
    }
    const std::string_view utf8 = bytes.substr(kByteOrderMark.size());
    std::string text = Utf8ToCp1252(utf8);
    // Only a text that comes back byte for byte is taken: the server writes
    // the file back in UTF-8, and a note must not lose a character.
    if (Cp1252ToUtf8(text) != utf8) {
        const std::string back = Cp1252ToUtf8(text);
        const auto differs = std::mismatch(utf8.begin(), utf8.end(), back.begin(), back.end());
        const auto line = static_cast<std::size_t>(std::count(utf8.begin(), differs.first, '\n'));
        return SubjectRefusal{line, "saved in UTF-8 with a character that Windows-1252 has not"};
    }
    return SubjectBytes{std::move(text), true};
}

std::string EncodeSubjectText(std::string_view cp1252, bool utf8) {
    return utf8 ? std::string(kByteOrderMark) + Cp1252ToUtf8(cp1252) : std::string(cp1252);
}

std::variant<SubjectContent, SubjectRefusal> ReadSubjectLines(
    const std::vector<std::string_view>& lines, const ServerTexts& texts) {
    try {
        return Read(lines, texts);
    } catch (const Refused& refused) {
        return refused.refusal;
    }
}

std::variant<SubjectContent, SubjectRefusal> ReadSubjectContent(std::string_view bytes,
                                                                const ServerTexts& texts) {
    std::variant<SubjectBytes, SubjectRefusal> decoded = DecodeSubjectBytes(bytes);
    if (const SubjectRefusal* refusal = std::get_if<SubjectRefusal>(&decoded)) {
        return *refusal;
    }
    const std::string& text = std::get<SubjectBytes>(decoded).text;
    return ReadSubjectLines(SplitLines(text), texts);
}

std::string SubjectField(std::string_view line, int n) {
    const std::optional<std::vector<std::string_view>> spans = QuotedFieldSpans(line);
    if (!spans || n < 1 || static_cast<std::size_t>(n) > spans->size()) {
        return {};
    }
    return UnquotedField((*spans)[static_cast<std::size_t>(n) - 1]);
}

std::optional<int> SecondsOfDay(std::string_view text) {
    SubjectStamp stamp;
    if (!ReadTime(text, stamp)) {
        return std::nullopt;
    }
    return stamp.hour * 3600 + stamp.minute * 60 + stamp.second.value_or(0);
}

std::string RefusalSuffix(const SubjectRefusal& refusal) {
    // A layout not recognised has always been reported by the path alone.
    return refusal.line ? ":" + std::to_string(*refusal.line + 1) + " (" + refusal.reason + ")"
                        : std::string();
}

}  // namespace quib::server
