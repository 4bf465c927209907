#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "prefs/document.h"
#include "prefs/document_editor.h"

namespace quib {

// One settings or language file, read into memory and written back on Close.
//
// A file is a list of lines: group headers "[name]", comments ";", and key
// lines "key = value", read with CR, LF or CR LF line ends and written with
// CR LF. A file that starts with the UTF-8 byte order mark is UTF-8 and is
// converted to and from Windows-1252 as it is read and written; every text
// that crosses this interface is Windows-1252. Group names and keys compare
// without regard to ASCII case; the first of two equal names wins.
//
// Each program keeps one of these for the file it is working on; opening or
// creating another file closes the current one first. Not thread-safe.
class Preferences {
  public:
    Preferences() = default;
    ~Preferences();
    Preferences(const Preferences&) = delete;
    Preferences& operator=(const Preferences&) = delete;

    // Closes the current file, then reads `file`. False when the file is
    // missing or unreadable: reads then give their defaults, and writes are
    // saved into a new file of that name at Close. A file that can only be
    // read opens, but nothing written to it is ever saved.
    bool Open(const std::filesystem::path& file);

    // Closes the current file, then starts `file` afresh, empty and without
    // a byte order mark: a missing file is created empty at once, and an
    // existing one is replaced as a whole at Close (even when nothing was
    // written), so that it is never left empty half-way. False when the file
    // cannot be created or written.
    bool Create(const std::filesystem::path& file);

    // Makes the first group of that name current; an empty name selects the
    // keys before the first group header. A name not in the file makes reads
    // find nothing, and the first write adds the group at the end.
    void SelectGroup(std::string_view group);

    // The value of `key` in the current group without surrounding blanks and
    // tabs (an empty value is an empty text), or `fallback` when not found.
    std::string ReadText(std::string_view key, std::string_view fallback) const;

    // The value read as a decimal integer (leading blanks, optional sign,
    // digits up to the first non-digit; no digits reads 0; out-of-range values
    // saturate), or `fallback` when the key is not found.
    std::int32_t ReadInt(std::string_view key, std::int32_t fallback) const;

    // Replaces the key's value in the current group (the key takes the given
    // spelling) or adds the key at the end of the group. A value cannot span
    // lines: line breaks in it are stored as blanks.
    void WriteText(std::string_view key, std::string_view value);
    void WriteInt(std::string_view key, std::int32_t value);

    // Writes the file back when something was written and it may be written,
    // then forgets it. The rewrite goes to a temporary file beside it that is
    // renamed over the old one, so a failed write never leaves it half
    // written. False only when a needed write failed.
    bool Close();

    bool IsOpen() const { return !path_.empty(); }
    const std::filesystem::path& path() const { return path_; }

    // The in-memory form, exposed for the parser and writer below.
    using EntryKind = PrefsEntryKind;
    using Entry = PrefsEntry;
    using Document = PrefsDocument;

    // Pure parse and rewrite of a file's bytes; Open and Close use these.
    static Document Parse(std::string_view bytes);
    static std::string Serialize(const Document& document);

  private:
    void Forget();

    std::filesystem::path path_;
    DocumentEditor editor_;  // the entries and the current group
    bool writable_ = false;
    bool changed_ = false;
};

}  // namespace quib
