#include "tools/export/tidy_csv_reader.h"

#include <streambuf>
#include <utility>

namespace quib::exporter {

TidyCsvReader::TidyCsvReader(std::istream& in, std::string name)
    : in_(in), name_(std::move(name)) {}

bool TidyCsvReader::Fail(int line, std::string_view what) {
    error_ = name_ + " line " + std::to_string(line) + ": " + std::string(what);
    return false;
}

bool TidyCsvReader::ReadHeader() {
    if (!ReadRow(header_)) {
        return error_.empty() ? Fail(1, "no header row") : false;
    }
    return true;
}

std::optional<std::size_t> TidyCsvReader::ColumnIndex(std::string_view name) const {
    for (std::size_t i = 0; i < header_.size(); ++i) {
        if (header_[i] == name) {
            return i;
        }
    }
    return std::nullopt;
}

bool TidyCsvReader::Next(std::vector<std::string>& cells) {
    if (!ReadRow(cells)) {
        return false;
    }
    if (cells.size() != header_.size()) {
        return Fail(rowLine_, std::to_string(cells.size()) +
                                  (cells.size() == 1 ? " cell" : " cells") +
                                  " where the header has " + std::to_string(header_.size()));
    }
    return true;
}

bool TidyCsvReader::ReadRow(std::vector<std::string>& cells) {
    cells.clear();
    if (!error_.empty()) {
        return false;
    }
    std::streambuf& in = *in_.rdbuf();
    using Traits = std::streambuf::traits_type;
    if (Traits::eq_int_type(in.sgetc(), Traits::eof())) {
        return false;
    }
    rowLine_ = line_;
    std::string cell;
    bool quoted = false;      // inside a quoted cell
    bool afterQuote = false;  // a quoted cell's closing quote was just read
    const auto endCell = [&] {
        if (atStart_) {
            // A byte order mark, which some editors put before UTF-8 text.
            atStart_ = false;
            if (cell.starts_with("\xEF\xBB\xBF")) {
                cell.erase(0, 3);
            }
        }
        if (!IsUtf8(cell)) {
            return Fail(rowLine_, "not UTF-8");
        }
        cells.push_back(std::move(cell));
        cell.clear();
        afterQuote = false;
        return true;
    };
    for (;;) {
        const auto got = in.sbumpc();
        if (Traits::eq_int_type(got, Traits::eof())) {
            if (quoted) {
                return Fail(rowLine_, "a quoted cell is not closed");
            }
            return endCell();  // the last row, without a line end
        }
        const char c = Traits::to_char_type(got);
        if (quoted) {
            if (c == '"') {
                if (Traits::eq_int_type(in.sgetc(), Traits::to_int_type('"'))) {
                    in.sbumpc();
                    cell += '"';
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                line_ += c == '\n' ? 1 : 0;
                cell += c;
            }
            continue;
        }
        if (c == ',') {
            if (!endCell()) {
                return false;
            }
            continue;
        }
        if (c == '\r' && Traits::eq_int_type(in.sgetc(), Traits::to_int_type('\n'))) {
            continue;
        }
        if (c == '\n') {
            ++line_;
            return endCell();
        }
        if (afterQuote) {
            return Fail(rowLine_, "text after the closing quote of a cell");
        }
        if (c == '"') {
            if (atStart_ && cell == "\xEF\xBB\xBF") {
                cell.clear();
                atStart_ = false;
            }
            if (!cell.empty()) {
                return Fail(rowLine_, "a quote inside a cell that is not quoted");
            }
            quoted = true;
            continue;
        }
        if (c == '\r') {
            return Fail(rowLine_, "a carriage return outside quotes");
        }
        cell += c;
    }
}

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned int value = 0;
        unsigned int smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            value = lead & 0x1Fu;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            value = lead & 0x0Fu;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            value = lead & 0x07u;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size()) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            value = (value << 6) | (next & 0x3Fu);
        }
        if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

}  // namespace quib::exporter
