#include "server/records/csv_text.h"

#include <algorithm>
#include <limits>

namespace quib::server {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Position of the n-th (from 1) occurrence of `c`, kNone when there are fewer.
std::size_t NthPosition(std::string_view text, char c, int n) {
    std::size_t position = kNone;
    for (int i = 0; i < n; ++i) {
        position = text.find(c, position == kNone ? 0 : position + 1);
        if (position == kNone) {
            return kNone;
        }
    }
    return position;
}

// The next ";" at or after `from` that lies on the line ending at
// `lineEnd`, or `lineEnd` itself when the line has no further ";".
std::size_t NextSeparatorOnLine(std::string_view text, std::size_t from, std::size_t lineEnd) {
    const std::size_t separator = text.find(';', from);
    return separator == kNone || separator > lineEnd ? lineEnd : separator;
}

}  // namespace

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == kNone) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text.remove_prefix(end == kNone ? text.size() : end + 1);
    }
    return lines;
}

std::string_view CsvField(std::string_view line, int n) {
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t separator = line.find(';', start);
        if (separator == kNone) {
            return {};
        }
        start = separator + 1;
    }
    return n < 1 ? std::string_view() : line.substr(start, line.find(';', start) - start);
}

std::string SetCsvField(std::string_view text, int line, int field, std::string_view value) {
    if (line < 1 || field < 1) {
        return std::string(text);
    }
    const std::size_t lineEnd = NthPosition(text, '\n', line);
    const auto separators = std::count(text.begin(), text.end(), ';');
    if (lineEnd == kNone || separators < field - 1) {
        return std::string(text);
    }
    std::size_t fieldStart = line == 1 ? 0 : NthPosition(text, '\n', line - 1) + 1;
    for (int i = 1; i < field; ++i) {
        const std::size_t separator = NextSeparatorOnLine(text, fieldStart, lineEnd);
        fieldStart = separator == lineEnd ? lineEnd : separator + 1;
    }
    const std::size_t fieldEnd = NextSeparatorOnLine(text, fieldStart, lineEnd);
    std::string result(text.substr(0, fieldStart));
    result += value;
    result += text.substr(fieldEnd);
    return result;
}

std::optional<std::vector<std::string_view>> QuotedFieldSpans(std::string_view line,
                                                              std::string* problem) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = start;
        while (at < line.size() && line[at] == ' ') {
            ++at;
        }
        if (at < line.size() && line[at] == '"') {
            // Past the closing quote: a quote not followed by another.
            for (++at;; at += 2) {
                at = line.find('"', at);
                if (at == kNone) {
                    if (problem != nullptr) {
                        *problem =
                            "a quoted field is not closed before the line ends (a line "
                            "break inside a cell, or a quote missing)";
                    }
                    return std::nullopt;
                }
                if (at + 1 >= line.size() || line[at + 1] != '"') {
                    break;
                }
            }
            ++at;
            while (at < line.size() && line[at] == ' ') {
                ++at;
            }
            if (at < line.size() && line[at] != ';') {
                if (problem != nullptr) {
                    *problem =
                        "text follows the closing quote of a quoted field (a quote inside "
                        "a quoted field must be doubled)";
                }
                return std::nullopt;
            }
        } else {
            at = std::min(line.find(';', at), line.size());
        }
        fields.push_back(line.substr(start, at - start));
        if (at >= line.size()) {
            return fields;
        }
        start = at + 1;
    }
}

std::string UnquotedField(std::string_view raw) {
    const std::string_view field = TrimSpaces(raw);
    if (field.size() < 2 || field.front() != '"' || field.back() != '"') {
        return std::string(field);
    }
    std::string value;
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        value += field[i];
        if (field[i] == '"') {
            ++i;  // the second of a doubled quote
        }
    }
    return value;
}

std::string CsvQuoted(std::string_view value) {
    if (value.find_first_of(";\"\r\n") == kNone) {
        return std::string(value);
    }
    std::string quoted = "\"";
    for (const char c : value) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

std::optional<long long> StrictNumber(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 18 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    long long value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

}  // namespace quib::server
