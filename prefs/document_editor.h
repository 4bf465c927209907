#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "prefs/document.h"

namespace quib {

// Reads and edits a document in memory the way the programs see a settings
// file: through a current group, with the first of two equal names winning.
class DocumentEditor {
  public:
    DocumentEditor() = default;
    explicit DocumentEditor(PrefsDocument document) : document_(std::move(document)) {}

    void SelectGroup(std::string_view group);

    std::string ReadText(std::string_view key, std::string_view fallback) const;
    std::int32_t ReadInt(std::string_view key, std::int32_t fallback) const;

    void WriteText(std::string_view key, std::string_view value);
    void WriteInt(std::string_view key, std::int32_t value);

    const PrefsDocument& document() const { return document_; }

  private:
    // The entries of the current group: from just after its header (or the
    // start) up to the next header (or the end).
    struct Span {
        std::size_t begin;
        std::size_t end;
    };
    std::optional<Span> CurrentGroup() const;
    std::optional<std::size_t> FindKey(Span group, std::string_view key) const;
    Span MakeGroupCurrent();

    PrefsDocument document_;
    std::optional<std::size_t> groupHeader_;  // none: the keys before the first header
    std::string pendingGroup_;                // selected, but not in the file yet
};

}  // namespace quib
