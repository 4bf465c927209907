#include "tools/export/tidy_csv_writer.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <utility>

namespace quib::exporter {
namespace {

namespace fs = std::filesystem;

// Rows are gathered and written in pieces of this size: large enough that
// writing costs little beside reading the lab's files, small enough to
// keep memory flat.
constexpr std::size_t kWriteChunk = 1 << 16;

fs::path PartialName(const fs::path& file) {
    return file.parent_path() / ("." + file.filename().string() + ".partial");
}

bool SyncAndRename(std::FILE* file, const fs::path& from, const fs::path& to) {
    bool ok = std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
    ok = std::fclose(file) == 0 && ok;
    std::error_code error;
    if (ok) {
        fs::rename(from, to, error);
    }
    if (!ok || error) {
        fs::remove(from, error);
        return false;
    }
    return true;
}

}  // namespace

std::string QuoteField(std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(utf8);
    }
    std::string quoted = "\"";
    for (const char c : utf8) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

TableFile::TableFile(const fs::path& folder, const Table& table, std::string lab)
    : table_(table),
      path_(folder / std::string(table.file)),
      partial_(PartialName(path_)),
      lab_(std::move(lab)),
      labLast_(!table.columns.empty() && table.columns.back().name == kLabColumnName) {
    file_ = std::fopen(partial_.c_str(), "wb");
    failed_ = file_ == nullptr;
    buffer_ = kUtf8ByteOrderMark;
    std::vector<std::string> names;
    for (const Column& column : table.columns) {
        names.emplace_back(column.name);
    }
    WriteFields(names);
}

TableFile::~TableFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
        std::error_code error;
        fs::remove(partial_, error);
    }
}

void TableFile::Row(const std::vector<std::string>& fields) {
    if (!labLast_) {
        WriteFields(fields);
        return;
    }
    std::vector<std::string> withLab;
    withLab.reserve(fields.size() + 1);
    withLab.insert(withLab.end(), fields.begin(), fields.end());
    withLab.push_back(lab_);
    WriteFields(withLab);
}

void TableFile::WriteFields(const std::vector<std::string>& fields) {
    if (fields.size() != table_.columns.size()) {
        std::abort();
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            buffer_ += ',';
        }
        buffer_ += QuoteField(fields[i]);
    }
    buffer_ += '\n';
    if (buffer_.size() >= kWriteChunk) {
        Flush();
    }
}

void TableFile::Flush() {
    if (!failed_ && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
        failed_ = true;
    }
    buffer_.clear();
}

bool TableFile::Finish() {
    Flush();
    if (file_ == nullptr) {
        return false;
    }
    std::FILE* file = std::exchange(file_, nullptr);
    if (failed_) {
        std::fclose(file);
        std::error_code error;
        fs::remove(partial_, error);
        return false;
    }
    return SyncAndRename(file, partial_, path_);
}

bool WriteOutputFile(const fs::path& file, std::string_view bytes) {
    const fs::path partial = PartialName(file);
    std::FILE* out = std::fopen(partial.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
        std::fclose(out);
        std::error_code error;
        fs::remove(partial, error);
        return false;
    }
    return SyncAndRename(out, partial, file);
}

}  // namespace quib::exporter
