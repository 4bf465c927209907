#include "prefs/preferences.h"

#include "prefs/file_access.h"

namespace quib {

Preferences::~Preferences() {
    Close();
}

bool Preferences::Open(const std::filesystem::path& file) {
    Close();
    path_ = file;
    const FileContents contents = ReadFileForEditing(file);
    // A missing file is written anew at Close; one that exists but cannot be
    // read is left alone, as replacing it would throw away what it holds.
    writable_ = contents.access == FileAccess::Missing || contents.access == FileAccess::ReadWrite;
    if (contents.access == FileAccess::Missing || contents.access == FileAccess::Unreadable) {
        return false;
    }
    editor_ = DocumentEditor(Parse(contents.bytes));
    return true;
}

bool Preferences::Create(const std::filesystem::path& file) {
    Close();
    if (!PrepareFileForCreate(file)) {
        return false;
    }
    path_ = file;
    writable_ = true;
    // An existing file keeps its old contents until Close replaces them in
    // one step, even when nothing is written, so that a crash in between
    // never leaves an empty settings file.
    changed_ = true;
    return true;
}

void Preferences::SelectGroup(std::string_view group) {
    editor_.SelectGroup(group);
}

std::string Preferences::ReadText(std::string_view key, std::string_view fallback) const {
    return editor_.ReadText(key, fallback);
}

std::int32_t Preferences::ReadInt(std::string_view key, std::int32_t fallback) const {
    return editor_.ReadInt(key, fallback);
}

void Preferences::WriteText(std::string_view key, std::string_view value) {
    editor_.WriteText(key, value);
    changed_ = true;
}

void Preferences::WriteInt(std::string_view key, std::int32_t value) {
    editor_.WriteInt(key, value);
    changed_ = true;
}

bool Preferences::Close() {
    const bool saved = !IsOpen() || !changed_ || !writable_ ||
                       ReplaceFileContents(path_, Serialize(editor_.document()));
    Forget();
    return saved;
}

void Preferences::Forget() {
    path_.clear();
    editor_ = DocumentEditor();
    writable_ = false;
    changed_ = false;
}

}  // namespace quib
